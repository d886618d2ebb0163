#include "controls/field_panel.h"
#include "app/page_host.h"
#include "gameexe/resource_file.h"
#include "platform/qt_platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

namespace quorvex {

namespace {

constexpr int SwatchSide = 21;
constexpr int NumberBoxWidth = 64;

QString fromView(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

FieldPanel::FieldPanel(PageHost& host, QObject* parent) : QObject(parent), host_(host) {}

std::size_t FieldPanel::addRow(QFormLayout* rows, const FieldSpec& spec)
{
    rows->addRow(fromView(spec.caption), add(spec));
    return fields_.size() - 1;
}

std::size_t FieldPanel::addBeside(std::size_t earlier, const FieldSpec& spec)
{
    auto* line = fields_[earlier].line;
    const int beforeStretch = line->count() - 1;
    line->insertWidget(beforeStretch, add(spec));
    if (!spec.caption.empty())
        line->insertWidget(beforeStretch, new QLabel(fromView(spec.caption)));
    return fields_.size() - 1;
}

QWidget* FieldPanel::add(const FieldSpec& spec)
{
    Field field{spec};
    QWidget* row = buildControl(field);
    field.control->setObjectName(fromView(spec.control));
    // Every control must take the focus when clicked, or leaving it would never copy it.
    if (field.control->focusPolicy() != Qt::WheelFocus)
        field.control->setFocusPolicy(Qt::StrongFocus);
    field.control->installEventFilter(this);
    fields_.push_back(field);
    return row;
}

QWidget* FieldPanel::buildControl(Field& field)
{
    const auto k = fields_.size();
    const auto& spec = field.spec;
    if (spec.kind == FieldKind::Tick)
        return field.control = new QCheckBox;
    if (spec.kind == FieldKind::List) {
        auto* list = new QComboBox;
        for (auto text : spec.listRows)
            list->addItem(fromView(text));
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(16);
        list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);   // long rows use the room there is
        list->setMaxVisibleItems(16);
        return field.control = list;
    }
    auto* edit = new QLineEdit;
    edit->setFixedWidth(NumberBoxWidth);
    if (spec.maxLength > 0)
        edit->setMaxLength(spec.maxLength);
    field.control = edit;
    auto* row = new QWidget;
    field.line = new QHBoxLayout(row);
    field.line->setContentsMargins(0, 0, 0, 0);
    field.line->addWidget(edit);
    if (!spec.unit.empty())
        field.line->addWidget(new QLabel(fromView(spec.unit)));
    if (spec.kind == FieldKind::Index) {
        edit->setText("Order");
        edit->setEnabled(false);
    } else if (spec.kind == FieldKind::Colour) {
        field.swatch = new QLabel;
        field.swatch->setObjectName(fromView(spec.control) + "Swatch");
        field.swatch->setFixedSize(SwatchSide, SwatchSide);
        field.line->addWidget(field.swatch);
        connect(edit, &QLineEdit::textChanged, this, [this, k] { host_.guarded([this, k] { colourChanged(k); }); });
    }
    connect(edit, &QLineEdit::textChanged, this, [this, k] { emit edited(k); });
    field.line->addStretch();
    return row;
}

bool FieldPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FocusOut || handling_)
        return false;
    // Only a move to another control counts as leaving the field: focus taken away by another
    // window or a popup (our own message box among them) is not.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    const auto it = std::find_if(fields_.begin(), fields_.end(), [&](const Field& f) { return f.control == watched; });
    if (it == fields_.end())
        return false;
    handling_ = true;
    emit left(static_cast<std::size_t>(it - fields_.begin()));
    handling_ = false;
    return false;
}

FieldValue FieldPanel::value(std::size_t k) const
{
    FieldValue value;
    const auto kind = fields_[k].spec.kind;
    if (kind == FieldKind::Tick)
        value.ticked = static_cast<QCheckBox*>(fields_[k].control)->isChecked();
    else if (kind == FieldKind::List)
        value.row = static_cast<QComboBox*>(fields_[k].control)->currentIndex();
    else
        value.text = toSystemText(static_cast<QLineEdit*>(fields_[k].control)->text());
    return value;
}

void FieldPanel::setValue(std::size_t k, const FieldValue& value)
{
    const auto kind = fields_[k].spec.kind;
    if (kind == FieldKind::Tick)
        static_cast<QCheckBox*>(fields_[k].control)->setChecked(value.ticked);
    else if (kind == FieldKind::List)
        static_cast<QComboBox*>(fields_[k].control)->setCurrentIndex(value.row);
    else
        static_cast<QLineEdit*>(fields_[k].control)->setText(fromSystemText(value.text));
}

void FieldPanel::paintSwatchesBlack()
{
    for (const auto& field : fields_)
        if (field.swatch)
            paintSwatch(field.swatch, Qt::black);
}

void FieldPanel::paintSwatch(QLabel* swatch, const QColor& colour)
{
    QPixmap pixels(SwatchSide, SwatchSide);
    pixels.fill(colour);
    swatch->setPixmap(pixels);
}

void FieldPanel::colourChanged(std::size_t k)
{
    auto* edit = static_cast<QLineEdit*>(fields_[k].control);
    const auto typed = clampColourText(toSystemText(edit->text()));
    if (typed.replacement) {
        edit->setText(fromSystemText(*typed.replacement));   // paints through this handler again
        return;
    }
    const auto colour = ResourceFile(host_.workspace().resourceFile).defaultColour(typed.value);
    paintSwatch(fields_[k].swatch, QColor(colour.red, colour.green, colour.blue));
}

} // namespace quorvex

#include "gui/controls/field_panel.h"
#include "gui/host/page_host.h"
#include "core/gamefile/resource_file.h"
#include "gui/controls/narrow_combo_box.h"
#include "modules/desktop/qt_platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace quorvex {

namespace {

constexpr int SwatchSide = 21;
constexpr int NumberBoxWidth = 64;   // at least; wider for the widest value of the field

QString fromView(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void fitNumberBox(QLineEdit& edit, std::string_view widest)
{
    edit.setFixedWidth(std::max(NumberBoxWidth, lineEditWidthFor(edit, fromView(widest))));
}

} // namespace

int lineEditWidthFor(const QLineEdit& edit, const QString& text)
{
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
    const auto margins = edit.textMargins();
    // QLineEdit keeps 2 pixels beside its text and 1 for the cursor.
    const QSize textSize(edit.fontMetrics().horizontalAdvance(text) + 2 * 2 + 1 + margins.left() + margins.right(),
                          edit.fontMetrics().height());
    return edit.style()->sizeFromContents(QStyle::CT_LineEdit, &option, textSize, &edit).width();
}

FieldPanel::FieldPanel(PageHost& host, QObject* parent) : QObject(parent), host_(host) {}

std::size_t FieldPanel::addRow(QFormLayout* rows, const FieldDescription& description)
{
    rows->addRow(fromView(description.caption), add(description));
    return fields_.size() - 1;
}

std::size_t FieldPanel::addBeside(std::size_t earlier, const FieldDescription& description)
{
    auto* line = fields_[earlier].line;
    const int beforeStretch = line->count() - 1;
    line->insertWidget(beforeStretch, add(description));
    if (!description.caption.empty())
        line->insertWidget(beforeStretch, new QLabel(fromView(description.caption)));
    return fields_.size() - 1;
}

QWidget* FieldPanel::add(const FieldDescription& description)
{
    Field field{description};
    QWidget* row = buildControl(field);
    field.control->setObjectName(fromView(description.control));
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
    const auto& description = field.description;
    if (description.kind == FieldKind::Tick)
        return field.control = new QCheckBox;
    if (description.kind == FieldKind::List) {
        auto* list = new NarrowComboBox(16);
        for (auto text : description.listRows)
            list->addItem(fromView(text));
        list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);   // long rows use the room there is
        list->setMaxVisibleItems(16);
        return field.control = list;
    }
    auto* edit = new QLineEdit;
    fitNumberBox(*edit, description.widest);
    if (description.maxLength > 0)
        edit->setMaxLength(description.maxLength);
    field.control = edit;
    auto* row = new QWidget;
    field.line = new QHBoxLayout(row);
    field.line->setContentsMargins(0, 0, 0, 0);
    field.line->addWidget(edit);
    if (!description.unit.empty())
        field.line->addWidget(new QLabel(fromView(description.unit)));
    if (description.kind == FieldKind::Index) {
        edit->setText("Order");
        edit->setEnabled(false);
    } else if (description.kind == FieldKind::Colour) {
        field.swatch = new QLabel;
        field.swatch->setObjectName(fromView(description.control) + "Swatch");
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
    if (event->type() == QEvent::FontChange)   // the font setting: the widest value must still fit
        for (const auto& field : fields_)
            if (field.control == watched && field.line)
                fitNumberBox(*static_cast<QLineEdit*>(field.control), field.description.widest);
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
    const auto kind = fields_[k].description.kind;
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
    const auto kind = fields_[k].description.kind;
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
    // Texts on the way to a number ("" before typing, "-" before "-4") are not errors yet; the
    // swatch keeps its colour until they become one.
    const auto text = edit->text().trimmed();
    if (text.isEmpty() || text == "-" || text == "+")
        return;
    const auto typed = clampColourText(toSystemText(edit->text()));
    if (typed.replacement) {
        edit->setText(fromSystemText(*typed.replacement));   // paints through this handler again
        return;
    }
    const auto colour = ResourceFile(host_.workspace().resourceFile).defaultColour(typed.value);
    paintSwatch(fields_[k].swatch, QColor(colour.red, colour.green, colour.blue));
}

} // namespace quorvex

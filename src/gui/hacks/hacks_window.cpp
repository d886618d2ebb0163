#include "gui/hacks/hacks_window.h"
#include "gui/host/page_host.h"
#include "gui/host/scheme_colours.h"
#include "gui/controls/field_panel.h"
#include "modules/desktop/qt_platform.h"
#include "core/shell/settings.h"

#include <QShortcut>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <utility>

namespace quorvex {

namespace {

struct GroupInfo {
    HackGroup group;
    const char* caption;
    const char* objectName;
    int column;
};
// Three columns of groups, each column top to bottom.
constexpr GroupInfo Groups[] = {
    {HackGroup::Gravity, " Negative Gravity ", "GravityGroup", 0},
    {HackGroup::Bonuses, " Bonuses ", "BonusGroup", 0},
    {HackGroup::Objects, " Objects ", "ObjectsGroup", 0},
    {HackGroup::Ninjarope, " Ninjarope ", "RopeGroup", 1},
    {HackGroup::Various, " Various ", "VariousGroup", 1},
    {HackGroup::Speed, " Speed ", "SpeedGroup", 2},
    {HackGroup::Aiming, " Aiming ", "AimingGroup", 2},
    {HackGroup::Cycling, " Cycling colors ", "CyclingGroup", 2},
    {HackGroup::Respawn, " Respawn area ", "RespawnGroup", 2},
};

constexpr std::size_t itemByKey(std::string_view key)
{
    for (std::size_t i = 0; i < HackItems.size(); ++i)
        if (HackItems[i].key == key)
            return i;
    return HackItems.size();
}
constexpr auto RiskItem = itemByKey("BOOBYTRAPRISK");
constexpr auto ReloadersItem = itemByKey("HEALTHRELOADER");
static_assert(RiskItem < HackCount && ReloadersItem < HackCount);

HackValues designValues()
{
    HackValues values;
    for (std::size_t i = 0; i < HackCount; ++i)
        values.text[i] = HackItems[i].design;
    return values;
}

FieldDescription describeHack(const HackItem& item)
{
    const auto kind = item.isSwitch ? FieldKind::Tick : item.isColour ? FieldKind::Colour : FieldKind::Number;
    return {item.caption, item.unit, item.key, kind, {}, item.maxLength};
}

} // namespace

TObjForm::TObjForm(PageHost& host, QWidget* parent, Build when)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), host_(host)
{
    setObjectName("ObjForm");
    setWindowTitle("Special Hacks");
    new QShortcut(QKeySequence::HelpContents, this, [this] { host_.showHelp("hacks"); });
    // What the window shows belongs to one game: another game is read afresh.
    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this, [this] { host_.guarded([this] { readGame(); }); });
    connect(&host_.gameEvents(), &GameEvents::gameDataChanged, this, [this](GameParts parts, const QObject* from) {
        if (host_.gameEvents().reloads(this, from) && parts.has(GamePart::Hacks))
            host_.guarded([this] { readGame(); });
    });
    host_.gameModel().hold(this, *this, "Special hacks", GamePart::Hacks);
    if (when == Build::Now)
        build();
}

void TObjForm::setVisible(bool visible)
{
    if (visible)
        build();
    QWidget::setVisible(visible);
}

void TObjForm::build()
{
    if (fields_)
        return;
    fields_ = new FieldPanel(host_, this);
    connect(fields_, &FieldPanel::left, this, [this](std::size_t f) { host_.guarded([this, f] { fieldLeft(itemOf_[f]); }); });
    connect(fields_, &FieldPanel::edited, this, [this](std::size_t f) { host_.guarded([this, f] { fieldEdited(itemOf_[f]); }); });

    auto* layout = new QVBoxLayout(this);
    auto* columns = new QGridLayout;
    std::array<QVBoxLayout*, 3> column{};
    for (int c = 0; c < 3; ++c) {
        column[c] = new QVBoxLayout;
        columns->addLayout(column[c], 0, c);
    }
    for (const auto& info : Groups) {
        auto* group = buildGroup(info.group);
        group->setTitle(info.caption);
        group->setObjectName(info.objectName);
        column[info.column]->addWidget(group);
    }
    for (auto* c : column)
        c->addStretch();
    layout->addLayout(columns);

    auto* bottom = new QHBoxLayout;
    auto* note = new QLabel("Use of this hacks is on your own risk! Keep a backup of your original Torlo.exe !!!");
    note->setObjectName("NoteLabel");
    note->setWordWrap(true);
    bottom->addWidget(note, 1);
    auto* doAll = new QPushButton("Do all !");
    doAll->setObjectName("DoAllButton");
    connect(doAll, &QPushButton::clicked, this, [this] { host_.guarded([this] { DoAllButtonClick(); }); });
    auto* cancel = new QPushButton("Cancel");
    cancel->setObjectName("CancelButton");
    connect(cancel, &QPushButton::clicked, this, [this] { CancelButtonClick(); });
    bottom->addWidget(doAll);
    bottom->addWidget(cancel);
    layout->addLayout(bottom);

    // The design-time texts are there before anything reacts to them ("#29" is no number).
    for (std::size_t i = 0; i < HackCount; ++i) {
        const QSignalBlocker quiet(fields_->control(fieldOf_[i]));
        fields_->setValue(fieldOf_[i], FieldValue{std::string(HackItems[i].design)});
    }
    riskHint_->setText("Now happens 1 out of .. times");
    if (pending_)
        showValues(*std::exchange(pending_, std::nullopt));
}

QGroupBox* TObjForm::buildGroup(HackGroup group)
{
    auto* box = new QGroupBox;
    auto* rows = new QFormLayout(box);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setVerticalSpacing(2);
    for (std::size_t i = 0; i < HackCount; ++i) {
        const auto& item = HackItems[i];
        if (item.group != group)
            continue;
        if (i == ReloadersItem)
            rows->addRow(new QLabel("Turn into weapon reloaders:"));
        fieldOf_[i] = item.besidePrevious ? fields_->addBeside(fieldOf_[i - 1], describeHack(item))
                                          : fields_->addRow(rows, describeHack(item));
        itemOf_.push_back(i);
        fields_->control(fieldOf_[i])->setEnabled(item.enabled);
        if (item.isSwitch)
            connect(static_cast<QCheckBox*>(fields_->control(fieldOf_[i])), &QCheckBox::toggled, this,
                    [this] { showOwnership(); });
        if (i == RiskItem) {
            riskHint_ = new QLabel("Now happens 1 out of .. times");
            riskHint_->setObjectName("RiskHint");
            rows->addRow(riskHint_);
        }
        if (item.key == "JUMPFORCE") {
            // The aiming speed has a caption but no field.
            auto* aiming = new QLabel("Aiming speed");
            aiming->setObjectName("AimingSpeedLabel");
            aiming->setEnabled(false);
            rows->addRow(aiming);
        }
    }
    return box;
}

void TObjForm::FormCreate()
{
    applySettings();
    readGame();
}

void TObjForm::applySettings()
{
    setFont(settingFont(host_.settings(), font()));
    setPalette(schemePalette(host_.settings(), palette()));
    setAutoFillBackground(true);
}

void TObjForm::readGame()
{
    if (!std::filesystem::exists(host_.workspace().torloExe()))
        hide();
    showValues(readHacks(host_.workspace()));
}

HackValues TObjForm::values() const
{
    if (!fields_)
        return pending_ ? *pending_ : designValues();
    HackValues values;
    for (std::size_t i = 0; i < HackCount; ++i) {
        const auto value = fields_->value(fieldOf_[i]);
        values.on[i] = value.ticked;
        values.text[i] = value.text;
    }
    return values;
}

void TObjForm::showValues(const HackValues& values)
{
    if (!fields_) {
        pending_ = values;
        return;
    }
    for (std::size_t i = 0; i < HackCount; ++i) {
        FieldValue value;
        value.ticked = values.on[i];
        value.text = values.text[i];
        fields_->setValue(fieldOf_[i], value);
    }
    riskHint_->setText(fromSystemText(riskHint(values.text[RiskItem])));
    showOwnership();
    shown_ = this->values();
}

std::optional<QString> TObjForm::unsavedEdits() const
{
    if (!fields_ || !shown_)
        return std::nullopt;
    const auto now = values();
    return now.on == shown_->on && now.text == shown_->text ? std::nullopt : std::optional(QString());
}

bool TObjForm::saveEdits()
{
    bool saved = false;
    host_.guarded([&] {
        const auto outcome = saveHacks(host_.workspace(), values());
        host_.report(outcome, this);
        saved = outcome.succeeded();
        // The game keeps a value in its own range (Digging 30 becomes 24): show what it holds.
        readGame();
    });
    return saved;
}

void TObjForm::discardEdits()
{
    host_.guarded([this] { readGame(); });
}

// A field whose bytes belong to a switch that is on cannot be changed while it is on.
void TObjForm::showOwnership()
{
    const auto now = values();
    for (std::size_t i = 0; i < HackCount; ++i)
        if (!HackItems[i].isSwitch && HackItems[i].enabled)
            fields_->control(fieldOf_[i])->setEnabled(!isOwned(now, i));
}

void TObjForm::fieldLeft(std::size_t item)
{
    if (HackItems[item].isSwitch) {
        showOwnership();
        return;
    }
    auto* edit = static_cast<QLineEdit*>(fields_->control(fieldOf_[item]));
    const auto tidy = fromSystemText(tidyOnLeave(HackItems[item], toSystemText(edit->text())));
    if (tidy != edit->text())
        edit->setText(tidy);
}

void TObjForm::fieldEdited(std::size_t item)
{
    auto* edit = static_cast<QLineEdit*>(fields_->control(fieldOf_[item]));
    const auto text = toSystemText(edit->text());
    const auto tidy = tidyOnChange(HackItems[item], text);
    if (tidy != text) {
        edit->setText(fromSystemText(tidy));   // comes back through this handler
        return;
    }
    if (item == RiskItem)
        riskHint_->setText(fromSystemText(riskHint(text)));
}

void TObjForm::DoAllButtonClick()
{
    if (!std::filesystem::exists(host_.workspace().torloExe()))
        hide();
    if (host_.gameModel().save(*this))
        hide();
}

// What was not saved is dropped: the window shows the game again when it is next shown.
void TObjForm::CancelButtonClick()
{
    hide();
    if (std::filesystem::exists(host_.workspace().torloExe()))
        host_.guarded([this] { readGame(); });
}

} // namespace quorvex

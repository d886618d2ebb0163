#include "gui/texts/text_editor_window.h"
#include "gui/host/page_host.h"
#include "gui/host/scheme_colours.h"
#include "core/browser/file_operations.h"
#include "gui/controls/field_panel.h"
#include "gui/controls/game_text_edit.h"
#include "modules/desktop/qt_platform.h"
#include "core/shell/settings.h"
#include "core/texts/translation.h"
#include "core/platform/folders.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTabBar>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quorvex {

namespace {

constexpr const char* UserInfoSaved = "User information saved. May be changed. Detailed information not yet available";
// The question's two lines, broken as a message box here breaks them.
constexpr const char* ReloadQuestion = "Are you sure you want to reload all strings?\nNon-saved data will be lost!";

// Where the rows of a page go: each section runs from the entry of its first line up to the
// next section's first entry (the last one to the end of the table).
struct Section {
    TextPage page;
    int column;
    int firstLine;
    const char* heading;   // bold, over the section; nullptr for none
};
constexpr Section Sections[] = {
    {TextPage::Startup, 0, 7, nullptr},    {TextPage::Startup, 1, 21, nullptr},
    {TextPage::Menu, 0, 36, nullptr},      {TextPage::Menu, 1, 40, nullptr},
    {TextPage::Options, 0, 44, nullptr},   {TextPage::Options, 1, 59, nullptr},
    {TextPage::Game, 0, 76, "Before"},     {TextPage::Game, 1, 80, "During"},    {TextPage::Game, 0, 90, "After"},
    {TextPage::Players, 0, 92, "Weapon"},  {TextPage::Players, 1, 98, "Players"},
    {TextPage::Keys, 0, 113, nullptr},
    {TextPage::Misc, 0, 165, nullptr},     {TextPage::Misc, 1, 171, nullptr},
};
constexpr int KeysPerRow = 4;

std::size_t indexOfLine(int line)
{
    return indexOf(*gameTextOfLine(line));
}

// The table entries of section s, as [from, to).
std::pair<std::size_t, std::size_t> entriesOf(std::size_t s)
{
    const auto from = indexOfLine(Sections[s].firstLine);
    std::size_t to = GameTextCount;
    for (const auto& other : Sections)
        if (const auto start = indexOfLine(other.firstLine); start > from && start < to)
            to = start;
    return {from, to};
}

} // namespace

TTextForm::TTextForm(PageHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), host_(host)
{
    setObjectName("TextForm");
    setWindowTitle("Text Editor");
    new QShortcut(QKeySequence::HelpContents, this, [this] { HelpButtonClick(); });
    host_.gameModel().hold(this, *this, "Text editor", GamePart::Texts);
    // A new game folder: what the fields show belongs to the old game. A hidden window reads
    // afresh when it is shown.
    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this, [this] {
        if (isVisible())
            host_.guarded([this] { ReadStrings(); });
    });
    // A translation activated or a backup restored while the window is open: the fields show
    // the game's texts again, so that Save never writes the old ones back.
    connect(&host_.gameEvents(), &GameEvents::gameDataChanged, this, [this](GameParts parts, const QObject* from) {
        if (host_.gameEvents().reloads(this, from) && parts.has(GamePart::Texts) && isVisible())
            host_.guarded([this] { ReadStrings(); });
    });
}

void TTextForm::setVisible(bool visible)
{
    // 170 fields on eight pages: built when the window is first shown, not at the program's start.
    if (visible && !pages_)
        build();
    QWidget::setVisible(visible);
}

void TTextForm::build()
{
    applyFont();   // before the pages, which are measured in it
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget;
    pages_->setObjectName("TextPages");
    // The tabs keep the system's colours, readable in every scheme.
    auto system = QApplication::palette();
    for (auto role : {QPalette::Window, QPalette::WindowText, QPalette::Button, QPalette::ButtonText})
        system.setColor(role, system.color(role));   // marked as set, so the scheme does not reach them
    pages_->tabBar()->setPalette(system);
    layout->addWidget(pages_);
    buildPages();
    for (std::size_t i = 0; i < GameTextCount; ++i)   // the design-time texts, until the game's are read
        read_[i] = fields_[i]->text();
    buildButtons();
    pages_->setCurrentIndex(pages_->count() - 1);   // " [ Your info ] " first
    applySettings();   // the font decides the window's size before it is first shown
}

// --- building ----------------------------------------------------------------------------

void TTextForm::buildPages()
{
    for (std::size_t p = 0; p < TextPageCaptions.size(); ++p) {
        const auto page = static_cast<TextPage>(p);
        auto* widget = page == TextPage::Keys ? buildKeysPage() : buildFieldPage(page);
        pages_->addTab(widget, QString::fromUtf8(TextPageCaptions[p].data(), qsizetype(TextPageCaptions[p].size())));
    }
    pages_->addTab(buildInfoPage(), " [ Your info ] ");
}

GameTextEdit* TTextForm::buildField(std::size_t entry)
{
    const auto& text = GameTexts[entry];
    auto* edit = new GameTextEdit(text.typedLimit);
    edit->setObjectName(text.line ? QString("Text%1").arg(text.line) : QString("ReadOnlyText%1").arg(entry - indexOfLine(173)));
    edit->putText(fromGameText(text.designText.substr(0, text.width)));
    // Saving fills a shorter text up with spaces to the field's width.
    QString tip = QString("%1 characters wide").arg(text.width);
    if (text.typedLimit < text.width)
        tip += QString(", %1 of them typed").arg(text.typedLimit);
    edit->setToolTip(tip + (text.use.saved ? "; a shorter text is filled up with spaces" : ""));
    fields_[entry] = edit;
    return edit;
}

void TTextForm::fitToTexts()
{
    // Room in every field for its design-time text (at least three letters), as the field's
    // style draws it, so that it shows all of its characters; the window keeps the size that
    // this gives. A whole field of ordinary letters everywhere would not fit a 1024 pixel screen.
    for (std::size_t i = 0; i < GameTextCount; ++i) {
        const auto designed = fromGameText(GameTexts[i].designText.substr(0, GameTexts[i].width));
        fields_[i]->setMinimumWidth(std::max(lineEditWidthFor(*fields_[i], designed), lineEditWidthFor(*fields_[i], "nnn")));
    }
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    layout()->invalidate();
    layout()->activate();
    setFixedSize(sizeHint());
}

QWidget* TTextForm::buildFieldPage(TextPage page)
{
    auto* widget = new QWidget;
    widget->setAutoFillBackground(true);   // the window's background, not the style's pane
    auto* columns = new QHBoxLayout(widget);
    std::array<QGridLayout*, 2> grids{new QGridLayout, new QGridLayout};
    for (auto* grid : grids) {
        grid->setVerticalSpacing(3);
        grid->setColumnStretch(1, 1);
        columns->addLayout(grid);
    }
    columns->setSpacing(12);

    for (std::size_t s = 0; s < std::size(Sections); ++s) {
        const auto& section = Sections[s];
        if (section.page != page)
            continue;
        auto* grid = grids[section.column];
        if (section.heading) {
            auto* heading = new QLabel(section.heading);
            heading->setObjectName(QString(section.heading) + "Heading");
            auto font = heading->font();
            font.setBold(true);
            heading->setFont(font);
            grid->addWidget(heading, grid->rowCount(), 0, 1, 2);
        }
        const auto [from, to] = entriesOf(s);
        QHBoxLayout* row = nullptr;
        for (std::size_t entry = from; entry < to; ++entry) {
            const auto& text = GameTexts[entry];
            auto* edit = buildField(entry);
            if (text.field == 1) {
                const int r = grid->rowCount();
                auto* label = new QLabel(QString::fromUtf8(text.label.data(), qsizetype(text.label.size())));
                label->setBuddy(edit);   // "&&" shows one "&"
                grid->addWidget(label, r, 0);
                row = new QHBoxLayout;
                row->setSpacing(4);
                grid->addLayout(row, r, 1);
            }
            row->addWidget(edit, text.width);
        }
    }
    if (page == TextPage::Misc) {
        auto* note = new QLabel("Changing these two texts might be illegal and can cause Torlo to stop running");
        note->setObjectName("IllegalNote");
        note->setWordWrap(true);
        grids[1]->addWidget(note, grids[1]->rowCount(), 0, 1, 2);
    }
    for (auto* grid : grids)
        grid->setRowStretch(grid->rowCount(), 1);
    return widget;
}

QWidget* TTextForm::buildKeysPage()
{
    auto* widget = new QWidget;
    widget->setAutoFillBackground(true);
    auto* grid = new QGridLayout(widget);
    grid->setVerticalSpacing(3);
    int n = 0;
    for (std::size_t entry = 0; entry < GameTextCount; ++entry)
        if (GameTexts[entry].page == TextPage::Keys) {
            grid->addWidget(buildField(entry), n / KeysPerRow, n % KeysPerRow);
            ++n;
        }
    grid->setRowStretch(grid->rowCount(), 1);
    return widget;
}

QWidget* TTextForm::buildInfoPage()
{
    auto* widget = new QWidget;
    widget->setAutoFillBackground(true);
    auto* grid = new QGridLayout(widget);
    // No length limit, but game text: they go into translation files.
    nameEdit_ = new GameTextEdit(0);
    nameEdit_->putText(DesignAuthor);
    nameEdit_->setObjectName("NameEdit");
    websiteEdit_ = new GameTextEdit(0);
    websiteEdit_->putText(CommunitySite);
    websiteEdit_->setObjectName("WebsiteEdit");
    int row = 0;
    for (auto [caption, edit] : {std::pair{"Your name:", nameEdit_}, std::pair{"Your website address:", websiteEdit_}}) {
        grid->addWidget(new QLabel(caption), row, 0);
        grid->addWidget(edit, row++, 1);
    }
    auto* note = new QLabel("These options are used for saving the text to a file");
    note->setObjectName("InfoNote");
    grid->addWidget(note, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    return widget;
}

void TTextForm::buildButtons()
{
    auto* row = new QHBoxLayout;
    struct Button {
        const char* name;
        const char* caption;
        void (TTextForm::*handler)();
    };
    constexpr Button Buttons[] = {
        {"LoadButton", "Load", &TTextForm::LoadButtonClick},
        {"SaveButton", "Save", &TTextForm::SaveButtonClick},
        {"SaveToFileButton", "Save to file", &TTextForm::SaveToFileButtonClick},
        {"BackButton", "Back to QVX", &TTextForm::BackButtonClick},
        {"RunTorloButton", "Run Torlo", &TTextForm::RunTorloButtonClick},
        {"HelpButton", "Help", &TTextForm::HelpButtonClick},
    };
    for (const auto& button : Buttons) {
        auto* push = new QPushButton(button.caption);
        push->setObjectName(button.name);
        connect(push, &QPushButton::clicked, this, [this, handler = button.handler] { host_.guarded([&] { (this->*handler)(); }); });
        row->addWidget(push);
    }
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

// --- showing and closing -----------------------------------------------------------------

void TTextForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Shown by the program (the "Editors" menu), not restored by the window system: returning
    // to an open window, or from a dialog, keeps the unsaved edits.
    if (!event->spontaneous())
        FormShow();
}

void TTextForm::FormShow()
{
    applySettings();
    host_.guarded([this] { ReadStrings(); });
}

void TTextForm::applyFont()
{
    auto font = settingFont(host_.settings(), this->font());
    font.setPointSize(8);   // the window's size: the longest texts side by side fit a 1024 pixel screen
    setFont(font);
}

void TTextForm::applySettings()
{
    const auto& settings = host_.settings();
    applyFont();
    auto colours = schemePalette(settings, palette());
    // The fields take the window's colours.
    colours.setColor(QPalette::Base, colours.color(QPalette::Window));
    colours.setColor(QPalette::Text, colours.color(QPalette::WindowText));
    setPalette(colours);
    fitToTexts();
    if (auto name = settings.text(setting::Username))
        nameEdit_->putText(fromSystemText(*name));
    if (auto site = settings.text(setting::Website))
        websiteEdit_->putText(fromSystemText(*site));
}

void TTextForm::ReadStrings()
{
    const auto values = readGameTexts(host_.workspace());
    for (std::size_t i = 0; i < GameTextCount; ++i)
        if (GameTexts[i].use.read) {
            fields_[i]->putText(fromGameText(values[i]));
            read_[i] = fields_[i]->text();
        }
}

std::optional<QString> TTextForm::unsavedEdits() const
{
    if (pages_)
        for (std::size_t i = 0; i < GameTextCount; ++i)
            if (GameTexts[i].use.read && fields_[i]->text() != read_[i])
                return QString();
    return std::nullopt;
}

bool TTextForm::saveEdits()
{
    bool saved = false;
    host_.guarded([&] {
        const auto outcome = saveGameTexts(host_.workspace(), fieldTexts());
        if (!outcome.succeeded()) {
            host_.prompts().error(outcome.status);   // the main window's status bar is out of sight
            return;
        }
        host_.report(outcome, this);
        for (std::size_t i = 0; i < GameTextCount; ++i)
            read_[i] = fields_[i]->text();
        saved = true;
    });
    return saved;
}

void TTextForm::discardEdits()
{
    host_.guarded([this] { ReadStrings(); });
}

GameTextValues TTextForm::fieldTexts() const
{
    GameTextValues values;
    for (std::size_t i = 0; i < GameTextCount; ++i)
        values[i] = toGameText(fields_[i]->text());
    return values;
}

void TTextForm::closeEvent(QCloseEvent* event)
{
    if (!host_.gameModel().settle(this)) {
        event->ignore();
        return;
    }
    host_.guarded([this] { FormClose(); });
    QWidget::closeEvent(event);
}

void TTextForm::FormClose()
{
    auto& settings = host_.settings();
    settings.setText(setting::Username, toSystemText(nameEdit_->text()));
    settings.setText(setting::Website, toSystemText(websiteEdit_->text()));
    auto saved = Outcome::done({}, UserInfoSaved);
    saved.logWithoutTime = true;
    host_.report(saved);
}

// --- the buttons -------------------------------------------------------------------------

void TTextForm::LoadButtonClick()
{
    if (host_.prompts().askYesNo(ReloadQuestion))
        ReadStrings();
}

void TTextForm::SaveButtonClick()
{
    host_.gameModel().save(*this);
}

void TTextForm::SaveToFileButtonClick()
{
    const auto chosen = host_.prompts().saveFile(TranslationFilter, {}, TranslationExtension);
    if (!chosen)
        return;
    const auto outcome = exportTranslation(translationName(*chosen), toGameText(nameEdit_->text()),
                                           toGameText(websiteEdit_->text()), fieldTexts());
    if (!outcome.succeeded())
        host_.prompts().error(outcome.status);
}

void TTextForm::BackButtonClick()
{
    close();
}

void TTextForm::RunTorloButtonClick()
{
    const auto outcome = host_.startGame();
    if (!outcome.status.empty())
        host_.prompts().error(outcome.status);
}

void TTextForm::HelpButtonClick()
{
    host_.showHelp("text-editor");
}

} // namespace quorvex

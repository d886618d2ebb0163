#include "gui/browser/mod_browser_control.h"
#include "core/mods/mods.h"
#include "gui/controls/drawn_pictures.h"
#include "core/browser/archive.h"
#include "core/browser/file_filter.h"
#include "core/browser/file_operations.h"
#include "gui/browser/folder_list_control.h"
#include "gui/browser/preview_control.h"
#include "core/formats/activation.h"
#include "core/formats/conversion.h"
#include "core/formats/palette.h"
#include "core/formats/preview.h"
#include "gui/host/game_model.h"
#include "gui/host/browser_host.h"
#include "modules/desktop/qt_platform.h"
#include "core/shell/settings.h"
#include "core/platform/folders.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <random>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

QStringList captionsOf(const std::vector<std::string>& names)
{
    QStringList captions;
    captions.reserve(static_cast<qsizetype>(names.size()));
    for (const auto& name : names)
        captions << fromSystemText(name);
    return captions;
}

} // namespace

ModBrowserControl::ModBrowserControl(BrowserHost& host, Places places)
    : QObject(&host.mainWindow()), host_(host), filterBoxes_(places.filterBoxes)
{
    buildFileList(places.leftColumn);
    buildButtons(places.rightColumn);
    buildHeader(places.header);
    preview_ = new PreviewControl(places.graphicsPage);
    connect(preview_, &PreviewControl::colourText, this, [this](const QString& text) { host_.showColourText(text); });
    for (QCheckBox* box : filterBoxes_)
        if (box)
            connect(box, &QCheckBox::clicked, this, &ModBrowserControl::FilterButtonClick);
    FilesChange();
}

// A listing still under way is waited for: it reads only its own copies of the folder and mask.
ModBrowserControl::~ModBrowserControl() = default;

void ModBrowserControl::buildFileList(QBoxLayout* column)
{
    folders_ = new FolderListControl;
    folders_->holdScans(true);
    column->addWidget(folders_, 1);
    files_ = new QListWidget;
    files_->setObjectName("FileList");
    files_->setToolTip("Select a file to view");
    files_->setUniformItemSizes(true);   // one line per name: big mod folders lay out at once
    column->addWidget(files_, 2);
    connect(folders_, &FolderListControl::folderChanged, this, [this] { relist(); });
    connect(files_, &QListWidget::currentRowChanged, this, &ModBrowserControl::FilesChange);
    connect(files_, &QListWidget::itemDoubleClicked, this, &ModBrowserControl::ActivateButtonClick);
    button(column, "GoButton", "Go to Torlo folder", "Show the game folder in the lists", &ModBrowserControl::GoButtonClick);
    auto* row = new QHBoxLayout;
    column->addLayout(row);
    button(row, "RefreshBut", "Refresh", "Read the folder again", &ModBrowserControl::RefreshButClick);
    button(row, "RandomButton", "Act. Rnd", "Activate a file of the list chosen at random", &ModBrowserControl::RandomButtonClick);
}

void ModBrowserControl::buildButtons(QBoxLayout* column)
{
    edit_ = button(column, "EditButton", "Edit", "Open the selected file in a text editor or paint program",
                   &ModBrowserControl::EditButtonClick);
    zip_ = button(column, "ZipButton", "(Un) Zip", "Pack the selected file into a zip archive, or unpack the selected archive",
                  &ModBrowserControl::ZipButtonClick);
    convert_ = button(column, "ConvertButton", "Convert",
                      "Turn the selected level, palette or graphics mod into a bitmap, or a bitmap back into a game file",
                      &ModBrowserControl::ConvertButtonClick);
    delete_ = button(column, "DeleteButton", "Delete", "Delete the selected file", &ModBrowserControl::DeleteButtonClick);
    rename_ = button(column, "RenameButton", "Rename", "Rename or move the selected file", &ModBrowserControl::RenameButtonClick);
    copy_ = button(column, "CopyButton", "Copy", "Copy the selected file", &ModBrowserControl::CopyButtonClick);
    button(column, "HelpButton", "Help", "Open the help on the page in front", &ModBrowserControl::HelpButtonClick);
    activate_ = button(column, "ActivateButton", "Activate", "Install the selected file into the game",
                       &ModBrowserControl::ActivateButtonClick);
    button(column, "RunButton", "Run", "Start the game", &ModBrowserControl::RunButtonClick);
    button(column, "EditorButton", "Editors", "Open the hacks, the text editor, the changes or the history",
           &ModBrowserControl::EditorButtonClick);
    column->addStretch();
}

void ModBrowserControl::buildHeader(QBoxLayout* header)
{
    // A plain underlined label, so that it takes the colour scheme's text colour.
    auto* link = new QLabel("TorloNet ");
    link->setObjectName("TorloNetText");
    link->setToolTip("Click to go to TorloNet");
    link->setCursor(Qt::PointingHandCursor);
    auto font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    link->installEventFilter(this);
    auto* logo = new QLabel;
    logo->setObjectName("MVLogo");
    logo->setPixmap(makerLogo());
    logo->setCursor(Qt::PointingHandCursor);
    logo->installEventFilter(this);
    header->addWidget(link);
    header->addWidget(logo);
    torloNet_ = link;
    logo_ = logo;
}

QPushButton* ModBrowserControl::button(QBoxLayout* column, const char* name, const char* caption, const char* hint,
                                       void (ModBrowserControl::*handler)())
{
    auto* result = new QPushButton(caption);
    result->setObjectName(name);
    result->setToolTip(hint);
    connect(result, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    column->addWidget(result);
    return result;
}

bool ModBrowserControl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == logo_)
            MVLogoClick();
        else if (watched == torloNet_)
            TorloNetTextClick();
    }
    return QObject::eventFilter(watched, event);
}

// --- list and selection ------------------------------------------------------------------

void ModBrowserControl::pointAt(const fs::path& folder)
{
    folders_->setFolder(folder);
}

const fs::path& ModBrowserControl::folder() const
{
    return folders_->folder();
}

void ModBrowserControl::listHeldFolder(Staged staged)
{
    if (!held_)
        return;
    if (pending_.valid()) {
        auto listing = pending_.get();
        // Made for the folder and filter still shown: taken as it is; else listed afresh.
        if (listing.folder == folder() && listing.mask == mask_ && listing.sortByExtension == host_.sortsByExtension()) {
            held_ = false;
            folders_->takeScan(std::move(listing.scan));
            const auto before = selectedFile();
            fill(std::move(listing.names), std::move(listing.captions), {}, staged);
            if (selectedFile() != before)
                FilesChange();
            return;
        }
    }
    held_ = false;
    folders_->holdScans(false);
    relist();
}

void ModBrowserControl::listHeldFolderInBackground()
{
    if (!held_ || pending_.valid() || folder().empty())
        return;
    pending_ = std::async(std::launch::async, [this, folder = folder(), mask = mask_,
                                               sortByExtension = host_.sortsByExtension()] {
        Listing listing{folder, mask, sortByExtension, scanFolder(folder), {}, {}};
        listing.names = modFiles(listing.scan.files, mask, sortByExtension);
        listing.captions = captionsOf(listing.names);
        // Queued to the window's thread; dropped with this object if it goes first.
        QMetaObject::invokeMethod(this, [this] { listHeldFolder(Staged::Yes); }, Qt::QueuedConnection);
        return listing;
    });
}

bool ModBrowserControl::selectFile(const std::string& name)
{
    listHeldFolder();
    addRows(true);
    const auto found = std::find(names_.begin(), names_.end(), name);
    if (found == names_.end())
        return false;
    files_->setCurrentRow(static_cast<int>(found - names_.begin()));
    return true;
}

std::optional<fs::path> ModBrowserControl::selectedFile() const
{
    const int row = files_->currentRow();
    if (row < 0 || row >= static_cast<int>(names_.size()))
        return std::nullopt;
    return folder() / names_[row];
}

void ModBrowserControl::applyFilter()
{
    FilterTicks ticked{};
    for (std::size_t i = 0; i < ticked.size(); ++i)
        ticked[i] = filterBoxes_[i] && filterBoxes_[i]->isChecked();
    mask_ = fileMask(ticked);
    relist();
}

void ModBrowserControl::FilterButtonClick()
{
    applyFilter();
    FilterTicks ticked{};
    for (std::size_t i = 0; i < ticked.size(); ++i)
        ticked[i] = filterBoxes_[i]->isChecked();
    host_.settings().setInteger(setting::Filter, filterBitsFromTicks(ticked));
}

void ModBrowserControl::refresh(const std::optional<std::string>& keep)
{
    listHeldFolder();
    folders_->rescan();
    relist(keep);
}

void ModBrowserControl::relist(const std::optional<std::string>& keep)
{
    if (pending_.valid()) {   // a new folder or filter while the listing is under way
        listHeldFolder();
        return;
    }
    if (held_)
        return;
    const auto before = selectedFile();
    const auto wanted = keep ? *keep : before ? before->filename().string() : std::string{};
    auto names = modFiles(folders_->scan().files, mask_, host_.sortsByExtension());
    auto captions = captionsOf(names);
    fill(std::move(names), std::move(captions), wanted);
    if (selectedFile() != before)
        FilesChange();
}

void ModBrowserControl::fill(std::vector<std::string> names, QStringList captions, const std::string& wanted, Staged staged)
{
    names_ = std::move(names);
    captions_ = std::move(captions);
    added_ = 0;
    const QSignalBlocker quiet(files_);
    files_->clear();
    addRows(staged == Staged::No);
    const auto found = std::find(names_.begin(), names_.end(), wanted);
    if (!wanted.empty() && found != names_.end())
        files_->setCurrentRow(static_cast<int>(found - names_.begin()));
}

void ModBrowserControl::addRows(bool all)
{
    // A batch costs the window a few milliseconds.
    constexpr qsizetype Batch = 4000;
    const auto count = all ? captions_.size() - added_ : std::min(Batch, captions_.size() - added_);
    if (count <= 0)
        return;
    files_->addItems(added_ == 0 && all ? captions_ : captions_.mid(added_, count));
    added_ += count;
    if (added_ < captions_.size())
        QTimer::singleShot(0, this, [this] { addRows(false); });
}

void ModBrowserControl::FilesChange()
{
    const auto file = selectedFile();
    const auto extension = file ? upperExtension(*file) : std::string{};
    preview_->setSelectedExtension(extension);
    for (QPushButton* button : {zip_, delete_, rename_, copy_})
        button->setEnabled(file.has_value());
    if (!file) {
        for (QPushButton* button : {edit_, convert_, activate_})
            button->setEnabled(false);
        emit fileSelected({});
        return;
    }
    const auto commands = commandsForFile(*file);
    if (commands.edit)
        edit_->setEnabled(*commands.edit);
    if (commands.activate)
        activate_->setEnabled(*commands.activate);
    if (commands.convert)
        convert_->setEnabled(*commands.convert);
    if (commands.page)
        host_.showPage(*commands.page);
    emit fileSelected(fromPath(*file));
    ViewButtonClick();
}

void ModBrowserControl::ViewButtonClick()
{
    const auto file = selectedFile();
    if (!file)
        return;
    host_.guarded([&] {
        const auto& workspace = host_.workspace();
        const bool useGamePalette = host_.previewsWithGamePalette();
        const auto preview = buildPreview(*file, workspace, useGamePalette);
        if (!preview.bitmap.empty()) {
            writePreviewBitmap(workspace, preview);
            preview_->show(preview.kind, workspace.previewBitmap());
        } else {
            preview_->clear(preview.kind);
        }
        if (!preview.status.empty())
            host_.StatusShow(fromSystemText(preview.status));
    });
}

void ModBrowserControl::placeLevelPicture(bool stretched)
{
    preview_->placeLevelPicture(stretched);
}

void ModBrowserControl::RefreshButClick()
{
    refresh();
}

void ModBrowserControl::GoButtonClick()
{
    pointAt(host_.workspace().gameFolder);
}

void ModBrowserControl::RandomButtonClick()
{
    addRows(true);
    if (names_.empty())
        return;
    std::uniform_int_distribution<int> pick(0, static_cast<int>(names_.size()) - 1);
    const int row = pick(host_.random());
    if (row == files_->currentRow())
        FilesChange();   // the same entry again is still a fresh selection
    else
        files_->setCurrentRow(row);
    ActivateButtonClick();
}

// --- commands ----------------------------------------------------------------------------

void ModBrowserControl::show(const Outcome& outcome)
{
    // Nothing may carry a reason meant for the command line; the window stays quiet, and only
    // says what changed (a plugin stopped by a question after some records).
    if (outcome.kind != Outcome::Kind::Nothing) {
        host_.report(outcome);
    } else if (!outcome.changed.empty()) {
        Outcome quiet;
        quiet.changed = outcome.changed;
        host_.report(quiet);
    }
}

void ModBrowserControl::ActivateButtonClick()
{
    const auto file = selectedFile();
    if (!file || !host_.gameModel().settle())
        return;
    host_.guarded([&] {
        auto& prompts = host_.prompts();
        auto pages = host_.pluginPages();
        // The mod becomes an entry of the mod list, which the Mods page shows.
        const auto activation = addMod(*file, folder(), host_.workspace(),
                                       [&](std::string_view question) { return prompts.askYesNo(std::string(question)); },
                                       &pages).activation;
        for (const auto& step : activation.earlier)   // a weapon plugin's saves
            host_.report(step);
        // The rows a plugin wrote are selected first, so that the pages reload them.
        if (activation.pluginWrote.any())
            host_.pluginInstalled(pages, activation.pluginWrote);
        show(activation.outcome);
    });
}

void ModBrowserControl::ConvertButtonClick()
{
    const auto file = selectedFile();
    if (!file)
        return;
    host_.guarded([&] {
        auto& prompts = host_.prompts();
        const auto outcome = convertFile(*file, host_.workspace(),
                                         [&](const std::string& filter, const fs::path& proposed) {
                                             return prompts.saveFile(filter, proposed, {});
                                         },
                                         host_.powerlevelFlag());
        refresh();
        show(outcome);
    });
}

void ModBrowserControl::DeleteButtonClick()
{
    const auto file = selectedFile();
    if (!file || host_.prompts().askYesNoCancel(deleteQuestion(*file)) != Prompts::Answer::Yes)
        return;
    host_.guarded([&] {
        const auto outcome = deleteModFile(*file, folder());
        refresh();
        show(outcome);
    });
}

void ModBrowserControl::RenameButtonClick()
{
    const auto file = selectedFile();
    if (!file)
        return;
    const auto chosen = host_.prompts().saveFile(AllFilesFilter, *file, {});
    if (!chosen)
        return;
    const auto target = withExtensionIfBare(*chosen, *file);
    const auto outcome = renameModFile(*file, target);
    refresh(outcome.succeeded() && target.parent_path() == folder() ? std::optional(target.filename().string()) : std::nullopt);
    show(outcome);
}

void ModBrowserControl::CopyButtonClick()
{
    const auto file = selectedFile();
    if (!file)
        return;
    // The dialog opens in the browsed folder with the file's name, for a copy beside it or of
    // the same name elsewhere.
    const auto chosen = host_.prompts().saveFile(AllFilesFilter, *file, {});
    if (!chosen)
        return;
    host_.guarded([&] {
        const auto outcome = copyModFile(*file, withExtensionIfBare(*chosen, *file));
        refresh();
        show(outcome);
    });
}

void ModBrowserControl::ZipButtonClick()
{
    const auto file = selectedFile();
    if (!file)
        return;
    host_.guarded([&] {
        auto& prompts = host_.prompts();
        const auto outcome = upperExtension(*file) == ".ZIP"
                                 ? unpackArchive(*file, folder(), [&](std::string_view question) {
                                       return prompts.askYesNo(std::string(question));
                                   })
                                 : packFile(*file, archiveFor(*file, folder()));
        refresh();
        show(outcome);
    });
    host_.focusHelpFileButton();
}

void ModBrowserControl::EditButtonClick()
{
    const auto file = selectedFile();
    if (!file)
        return;
    if (const auto launch = editLaunch(*file, host_.settings(), environmentPath("HOME").string()))
        show(start(host_.shell(), *launch));
}

void ModBrowserControl::RunButtonClick()
{
    show(host_.startGame());
}

void ModBrowserControl::HelpButtonClick()
{
    host_.openHelp();
}

void ModBrowserControl::TorloNetTextClick()
{
    show(start(host_.shell(), webLaunch(CommunitySite)));
}

void ModBrowserControl::MVLogoClick()
{
    show(start(host_.shell(), webLaunch(MakerSite)));
}

void ModBrowserControl::EditorButtonClick()
{
    auto& window = host_.mainWindow();
    auto* menu = new QMenu(&window);
    menu->setObjectName("EditorMenu");
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto showWindow = [](QWidget* window) {
        if (!window)
            return;
        window->show();
        window->raise();
        window->activateWindow();
    };
    const auto item = [&](const char* caption, const char* name, BrowserHost::Editor editor) {
        menu->addAction(caption, this, [this, showWindow, editor] { showWindow(host_.editorWindow(editor)); })->setObjectName(name);
    };
    item("Hacks", "MenuHack", BrowserHost::Editor::Hacks);
    item("Text Editor", "MenuTextEdit", BrowserHost::Editor::Texts);
    item("Changes", "MenuChanges", BrowserHost::Editor::Changes);
    item("History", "MenuHistory", BrowserHost::Editor::History);
    menu->popup(window.pos() + QPoint(604, 504));
}

} // namespace quorvex

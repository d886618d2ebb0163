#pragma once
// The mod file browser of the main window: folder and file lists with the filter, the preview
// on the "Graphics" page, and the command buttons that act on the selected file.
#include "core/browser/file_filter.h"
#include "core/browser/file_list.h"
#include "core/base/outcome.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <vector>

class QBoxLayout;
class QCheckBox;
class QListWidget;
class QPushButton;
class QWidget;

namespace quorvex {

class BrowserHost;
class FolderListControl;
class PreviewControl;

class ModBrowserControl : public QObject {
    Q_OBJECT
public:
    // Where the browser's parts go in the main window.
    struct Places {
        QBoxLayout* leftColumn;
        QBoxLayout* rightColumn;
        QBoxLayout* header;
        QWidget* graphicsPage;
        std::array<QCheckBox*, FilterBoxes.size()> filterBoxes;
    };
    ModBrowserControl(BrowserHost& host, Places places);

    // Start-up and the command line.
    void pointAt(const std::filesystem::path& folder);
    bool selectFile(const std::string& name);
    // The browser is made holding its listing: until this is called (after the first paint,
    // or by the first selection) the folder and the filter are only noted, for a game folder
    // of 200,000 files takes half a second to read and list. A listing under way in the
    // background is waited for. Staged: see fill.
    enum class Staged { No, Yes };
    void listHeldFolder(Staged staged = Staged::No);
    // The same off the window's thread: the folder is read, matched and sorted there, and the
    // list filled when that is done, so the window answers meanwhile. Anything that needs the
    // list before then (a selection, a new folder or filter, Refresh) lists at once instead.
    void listHeldFolderInBackground();
    ~ModBrowserControl() override;
    // Builds the mask from the ticked filter boxes and re-reads the folder.
    void applyFilter();
    void placeLevelPicture(bool stretched);

    std::optional<std::filesystem::path> selectedFile() const;
    const std::filesystem::path& folder() const;

    void FilterButtonClick();
    void FilesChange();
    void ViewButtonClick();
    void RefreshButClick();
    void GoButtonClick();
    void RandomButtonClick();
    void ActivateButtonClick();
    void ConvertButtonClick();
    void DeleteButtonClick();
    void RenameButtonClick();
    void CopyButtonClick();
    void ZipButtonClick();
    void EditButtonClick();
    void RunButtonClick();
    void HelpButtonClick();
    void TorloNetTextClick();
    void MVLogoClick();
    void EditorButtonClick();

signals:
    // The selection changed: the selected file's path, empty when none. The "Sounds" page
    // follows it (a selected .SND file is the bank in use).
    void fileSelected(const QString& file);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFileList(QBoxLayout* column);
    void buildButtons(QBoxLayout* column);
    void buildHeader(QBoxLayout* header);
    QPushButton* button(QBoxLayout* column, const char* name, const char* caption, const char* hint,
                        void (ModBrowserControl::*handler)());
    // Re-reads the folder, keeping the selection on keep (or the selected name); a selection
    // that changes runs FilesChange.
    void refresh(const std::optional<std::string>& keep = std::nullopt);
    // The file list from the folder's last read (a new folder, another mask).
    void relist(const std::optional<std::string>& keep = std::nullopt);
    void show(const Outcome& outcome);
    // Shows names (the list's captions beside them) in the file list, keeping wanted selected
    // when it is there. Staged, the list takes its first rows at once and the others a batch
    // at a time from the event loop, so that 200,000 rows never stop the window for long.
    void fill(std::vector<std::string> names, QStringList captions, const std::string& wanted, Staged staged = Staged::No);
    // Adds the rows a staged fill has not added yet: the next batch, or all of them.
    void addRows(bool all);

    // A listing made off the window's thread, and what it was made for.
    struct Listing {
        std::filesystem::path folder;
        std::string mask;
        bool sortByExtension;
        FolderScan scan;
        std::vector<std::string> names;
        QStringList captions;
    };

    BrowserHost& host_;
    std::array<QCheckBox*, FilterBoxes.size()> filterBoxes_;
    FolderListControl* folders_ = nullptr;
    QListWidget* files_ = nullptr;
    PreviewControl* preview_ = nullptr;
    QWidget* torloNet_ = nullptr;
    QWidget* logo_ = nullptr;
    QPushButton *edit_ = nullptr, *zip_ = nullptr, *convert_ = nullptr, *delete_ = nullptr, *rename_ = nullptr,
                *copy_ = nullptr, *activate_ = nullptr;
    std::string mask_;
    std::vector<std::string> names_;   // the listed names as the file system gives them
    QStringList captions_;             // their captions, of which the list holds the first added_
    qsizetype added_ = 0;
    bool held_ = true;                 // see listHeldFolder
    std::future<Listing> pending_;     // see listHeldFolderInBackground
};

} // namespace quorvex

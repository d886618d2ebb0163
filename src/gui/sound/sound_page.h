#pragma once
// The "Sounds" page: the 30 sounds of the bank in use (the .SND file selected in the browser,
// else the game's TORLO.SND), the waveform and length of the selected one, playing, export to
// WAV files, and imports into the bank that are saved in place or as a new sound mod.
#include "core/sound/sound_bank.h"
#include "gui/host/game_model.h"

#include <QWidget>
#include <filesystem>
#include <memory>
#include <optional>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QThread;

namespace quorvex {

class PageHost;
class SoundPlayer;

class SoundPage : public QWidget, public EditHolder {
    Q_OBJECT
public:
    // Builds itself into the main window's "Sounds" tab.
    SoundPage(PageHost& host, QWidget* tab);
    ~SoundPage() override;

    // Start-up: the first sound selected and shown (a missing bank raises the file error).
    void showFirst();
    // The browser's selection changed (an empty text: nothing selected). A .SND file becomes
    // the bank in use, with its first sound shown; any other file gives the game's bank back.
    void followBrowser(const QString& file);

    const std::filesystem::path& bankInUse() const { return bankPath_; }
    // An import is converting its file beside the window ("Import WAV" to its end or Cancel).
    bool importing() const { return import_ != nullptr; }
    bool isPlaying() const;
    // The picture of the sound shown now.
    const QImage& waveform() const { return picture_; }

    // The handlers; they raise file errors for the main window's boundary.
    void SoundListClick();
    void ViewWavButClick();
    void PlayButClick();
    void WavButClick();
    void SaveAllButClick();
    void SaveSoundButClick();
    void SaveModButClick();
    void ImportWavButClick();
    void CancelImportButClick();

    // The sounds imported and not saved ("BAZOOKA imported").
    std::optional<QString> unsavedEdits() const override;
    bool saveEdits() override;
    void discardEdits() override;

private:
    QPushButton* button(const char* name, const char* caption, void (SoundPage::*handler)());
    int selected() const;
    // The bank in use, read when first needed.
    SoundBank& bank();
    // Points the page at another bank file (or the same one again after it changed behind the
    // page's back); unsaved imports are offered for saving first unless they are dropped.
    void switchBank(const std::filesystem::path& file, bool fileReplaced);
    void showQuietly();
    void drawPicture(const std::vector<WaveColumn>& columns, const QString& message);
    void showBankName();
    void updateMarks();
    void stopPlaying();
    // The end of the running import, on the window's thread: its samples into the bank unless
    // it was cancelled or failed.
    void finishImport();
    // Asks the running import to stop; its result is dropped.
    void cancelImport();
    void enableImport();

    PageHost& host_;
    std::filesystem::path bankPath_;
    std::optional<SoundBank> bank_;
    std::optional<std::filesystem::path> selectedMod_;

    QListWidget* list_ = nullptr;
    QLabel* bankLabel_ = nullptr;
    QLabel* image_ = nullptr;
    QLabel* length_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QProgressBar* importProgress_ = nullptr;
    QPushButton *play_ = nullptr, *wav_ = nullptr, *saveAll_ = nullptr, *saveSound_ = nullptr, *saveMod_ = nullptr,
                *importButton_ = nullptr, *cancelImport_ = nullptr;
    QImage picture_;

    // The import converting beside the window, shared with its thread.
    struct Import;
    std::shared_ptr<Import> import_;
    QThread* importThread_ = nullptr;

    // Made at the first play, which loads the module that plays; made and freed by the module.
    struct FreePlayer {
        void (*free)(SoundPlayer* player);
        void operator()(SoundPlayer* player) const { free(player); }
    };
    std::unique_ptr<SoundPlayer, FreePlayer> player_;
};

} // namespace quorvex

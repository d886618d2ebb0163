#include "gui/sound/sound_page.h"
#include "gui/host/page_host.h"
#include "core/base/extension.h"
#include "core/base/errors.h"
#include "core/platform/module_loader.h"
#include "modules/desktop/qt_platform.h"
#include "core/sound/sound_operations.h"
#include "modules/audio/sound_player.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr const char* SoundFileFilter =
    "Sound files|*.wav; *.aif; *.aiff; *.flac; *.ogg|Wave files|*.wav|All files|*.*";
constexpr const char* SoundModFilter = "Sound mods|*.snd|All files|*.*";

} // namespace

struct SoundPage::Import {
    int index;
    fs::path file;
    std::atomic<bool> stop = false;
    std::atomic<int> percent = 0;
    // Written by the import's thread before it ends; none when it stopped.
    std::optional<std::variant<Bytes, Outcome>> result;
};

SoundPage::SoundPage(PageHost& host, QWidget* tab) : QWidget(tab), host_(host)
{
    setObjectName("SoundPage");
    auto* outer = new QVBoxLayout(tab);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(this);
    auto* columns = new QHBoxLayout(this);

    list_ = new QListWidget;
    list_->setObjectName("SoundList");
    list_->setFixedWidth(150);
    for (const char* name : SoundNames)
        list_->addItem(name);
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] { host_.guarded([this] { SoundListClick(); }); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { host_.guarded([this] { PlayButClick(); }); });
    columns->addWidget(list_);

    auto* right = new QVBoxLayout;
    bankLabel_ = new QLabel;
    bankLabel_->setObjectName("BankLabel");
    bankLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bankLabel_->setMaximumWidth(WaveformColumns);   // a long path is cut, not the picture moved
    right->addWidget(bankLabel_);
    image_ = new QLabel;
    image_->setObjectName("SoundImage");
    image_->setFixedSize(WaveformColumns, WaveformHeight);
    right->addWidget(image_);
    auto* lengthRow = new QHBoxLayout;
    auto* caption = new QLabel("Sample Length: ");
    caption->setObjectName("LengthCaption");
    length_ = new QLabel;
    length_->setObjectName("LengthLabel");
    lengthRow->addWidget(caption);
    lengthRow->addWidget(length_, 1);
    right->addLayout(lengthRow);

    auto* buttons = new QHBoxLayout;
    right->addLayout(buttons);
    auto* row = buttons;
    auto add = [&](const char* name, const char* text, void (SoundPage::*handler)()) {
        auto* made = button(name, text, handler);
        row->addWidget(made);
        return made;
    };
    play_ = add("PlayBut", "Play current sound", &SoundPage::PlayButClick);
    wav_ = add("WavBut", "Save as WAV", &SoundPage::WavButClick);
    saveAll_ = add("SaveAllBut", "Save all as WAV", &SoundPage::SaveAllButClick);
    row = new QHBoxLayout;
    right->addLayout(row);
    importButton_ = add("ImportWavBut", "Import WAV", &SoundPage::ImportWavButClick);
    saveSound_ = add("SaveSoundBut", "Save current sound", &SoundPage::SaveSoundButClick);
    saveMod_ = add("SaveModBut", "Save as soundmod", &SoundPage::SaveModButClick);
    progress_ = new QProgressBar;
    progress_->setObjectName("SaveAllProgress");
    progress_->setRange(0, SoundCount);
    progress_->setValue(0);
    progress_->setFormat("%v of %m sounds saved");
    progress_->hide();   // shown while "Save all as WAV" runs
    right->addWidget(progress_);
    // Shown while an import converts its file beside the window.
    row = new QHBoxLayout;
    right->addLayout(row);
    importProgress_ = new QProgressBar;
    importProgress_->setObjectName("ImportProgress");
    importProgress_->setRange(0, 100);
    importProgress_->setFormat("%p% imported");
    row->addWidget(importProgress_);
    cancelImport_ = add("CancelImportBut", "Cancel", &SoundPage::CancelImportButClick);
    importProgress_->hide();
    cancelImport_->hide();
    right->addStretch();
    columns->addLayout(right);
    columns->addStretch();

    for (QPushButton* off : {play_, wav_, importButton_, saveSound_, saveMod_})
        off->setEnabled(false);
    drawPicture({}, {});

    // The bank is held with its imports: a new game or a replaced bank must be read afresh.
    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this, [this] {
        if (!selectedMod_)
            switchBank(host_.workspace().torloSnd(), false);
    });
    connect(&host_.gameEvents(), &GameEvents::gameDataChanged, this, [this](GameParts parts, const QObject* from) {
        if (host_.gameEvents().reloads(this, from) && parts.has(GamePart::Sounds))
            switchBank(bankPath_, true);
    });
}

SoundPage::~SoundPage()
{
    stopPlaying();
    cancelImport();
    if (importThread_)
        importThread_->wait();
}

QPushButton* SoundPage::button(const char* name, const char* caption, void (SoundPage::*handler)())
{
    auto* made = new QPushButton(caption);
    made->setObjectName(name);
    connect(made, &QPushButton::clicked, this, [this, handler] { host_.guarded([this, handler] { (this->*handler)(); }); });
    return made;
}

int SoundPage::selected() const
{
    const auto items = list_->selectedItems();
    return items.isEmpty() ? -1 : list_->row(items.front());
}

SoundBank& SoundPage::bank()
{
    if (bankPath_.empty())
        bankPath_ = soundBankInUse(host_.workspace(), selectedMod_);
    if (!bank_) {
        showBankName();
        bank_ = SoundBank::load(bankPath_, host_.workspace().held);
        updateMarks();
    }
    return *bank_;
}

void SoundPage::switchBank(const fs::path& file, bool fileReplaced)
{
    if (file == bankPath_ && bank_ && !fileReplaced)
        return;
    stopPlaying();
    cancelImport();   // it was meant for the bank that is left
    if (bank_ && bank_->anyChanged()) {
        const auto question = "The imported sounds of " + inQuotes(bankPath_) + " are not saved. Save them now?";
        if (!fileReplaced && host_.prompts().askYesNo(question))
            host_.guarded([this] { host_.report(saveSoundBank(*bank_, bankPath_), this); });
        else
            host_.StatusShow("The imported sounds were dropped");
    }
    bank_.reset();
    bankPath_ = file;
    showBankName();
    updateMarks();
    showQuietly();
}

void SoundPage::showFirst()
{
    {
        const QSignalBlocker quiet(list_);
        list_->setCurrentRow(0);
    }
    SoundListClick();   // a bank that cannot be read raises its error for the start-up
}

void SoundPage::followBrowser(const QString& file)
{
    const auto chosen = file.isEmpty() ? std::nullopt : std::optional(toPath(file));
    const bool soundMod = chosen && upperExtension(*chosen) == ".SND";
    selectedMod_ = soundMod ? chosen : std::nullopt;
    switchBank(soundBankInUse(host_.workspace(), chosen), false);
    if (!soundMod)
        return;
    // A sound mod selected in the browser: its first sound is selected and shown.
    {
        const QSignalBlocker quiet(list_);
        list_->setCurrentRow(0);
    }
    host_.guarded([this] { SoundListClick(); });
}

// --- showing -----------------------------------------------------------------------------

void SoundPage::SoundListClick()
{
    stopPlaying();
    const bool any = selected() >= 0;
    play_->setEnabled(any);
    wav_->setEnabled(any);
    enableImport();
    if (any)
        ViewWavButClick();
}

void SoundPage::ViewWavButClick()
{
    const int index = selected();
    if (index < 0)
        return;
    drawPicture({}, {});
    length_->clear();
    const auto samples = bank().samples(index);
    const auto columns = waveformColumns(samples);
    drawPicture(columns, columns.empty() ? QString("Sound selected is empty") : QString());
    length_->setText(QString::fromStdString(soundLengthText(samples.size())));
}

// Redraws the selected sound after the bank changed; a bank that cannot be read is named in
// the picture instead of a message box, which only the user's own actions raise.
void SoundPage::showQuietly()
{
    try {
        if (selected() >= 0)
            ViewWavButClick();
    } catch (const FileError& error) {
        drawPicture({}, error.what());
    }
}

void SoundPage::drawPicture(const std::vector<WaveColumn>& columns, const QString& message)
{
    picture_ = QImage(WaveformColumns, WaveformHeight, QImage::Format_RGB32);
    picture_.fill(Qt::white);
    QPainter painter(&picture_);
    painter.setPen(QColor(0, 0, 128));
    const int centre = WaveformHeight / 2;
    painter.drawLine(WaveformColumns, centre, 0, centre);
    // Each column from its lowest to its highest sample, reaching to the column before so that
    // the trace stays joined where one block lies wholly above or below the next.
    WaveColumn previous{centre, centre};
    for (std::size_t x = 0; x < columns.size(); ++x) {
        const auto& column = columns[x];
        const int at = static_cast<int>(x) + 1;
        painter.drawLine(at, std::min(column.low, previous.high), at, std::max(column.high, previous.low));
        previous = column;
    }
    if (!message.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(QRect(10, 10, WaveformColumns - 20, 40), Qt::AlignLeft | Qt::AlignTop, message);
    }
    painter.end();
    image_->setPixmap(QPixmap::fromImage(picture_));
}

void SoundPage::showBankName()
{
    bankLabel_->setText("Bank: " + fromPath(bankPath_));
    bankLabel_->setToolTip(fromPath(bankPath_));
}

void SoundPage::updateMarks()
{
    for (int i = 0; i < SoundCount; ++i) {
        const bool changed = bank_ && bank_->changed(i);
        list_->item(i)->setText(QString(SoundNames[static_cast<std::size_t>(i)]) + (changed ? " *" : ""));
    }
    saveSound_->setEnabled(bank_ && bank_->anyChanged());
    saveMod_->setEnabled(bank_.has_value());
}

// --- playing -----------------------------------------------------------------------------

bool SoundPage::isPlaying() const
{
    return player_ && player_->isPlaying();
}

void SoundPage::stopPlaying()
{
    if (player_)
        player_->stop();
}

void SoundPage::PlayButClick()
{
    stopPlaying();
    const int index = selected();
    if (index < 0)
        return;
    const auto samples = bank().samples(index);
    if (samples.empty())
        return;
    if (!player_) {
        try {
            const auto& audio = moduleTable<SoundModuleTable>(SoundModule, SoundModuleEntry, SoundPlayerVersion);
            player_ = {audio.makePlayer(), FreePlayer{audio.freePlayer}};
        } catch (const ModuleError& error) {
            host_.StatusShow("The sound can not be played. " + fromSystemText(error.what()));
            return;
        }
    }
    std::vector<std::uint8_t> unsignedSamples(samples.size());
    std::transform(samples.begin(), samples.end(), unsignedSamples.begin(), wavSample);
    const std::string refused = player_->play(unsignedSamples.data(), unsignedSamples.size(), static_cast<int>(SoundSampleRate));
    if (!refused.empty())
        host_.StatusShow(fromSystemText(refused));
}

// --- export ------------------------------------------------------------------------------

void SoundPage::WavButClick()
{
    const int index = selected();
    if (index < 0)
        return;
    host_.report(exportSound(bank(), index, soundExportPath(host_.workspace().dataFolder, index)));
}

void SoundPage::SaveAllButClick()
{
    auto& sounds = bank();
    progress_->setValue(0);
    progress_->show();
    // The bar counts the files written; the status text says what was kept. It goes when done,
    // also when the export stops on an error.
    struct HideWhenDone {
        QProgressBar* bar;
        ~HideWhenDone() { bar->hide(); }
    } hide{progress_};
    const auto outcome = exportAllSounds(sounds, host_.workspace().dataFolder, [this](int index, int saved) {
        {
            const QSignalBlocker quiet(list_);
            list_->setCurrentRow(index);
        }
        showQuietly();
        progress_->setValue(saved);
        progress_->repaint();
    });
    host_.report(outcome);
}

// --- import and save ---------------------------------------------------------------------

void SoundPage::ImportWavButClick()
{
    const int index = selected();
    if (index < 0 || import_)
        return;
    bank();   // a bank that cannot be read says so before a file is chosen
    const auto file = host_.prompts().openFile(SoundFileFilter, {});
    if (!file)
        return;
    stopPlaying();
    // A long sound takes a while to convert: the window goes on meanwhile, with the progress
    // and a Cancel, and the bank is changed only when the conversion is complete.
    auto import = std::make_shared<Import>(index, *file);
    import_ = import;
    importThread_ = QThread::create([import, bar = importProgress_] {
        const auto progress = [&](double done) {
            const int percent = static_cast<int>(done * 100);
            if (import->percent.exchange(percent) != percent)
                QMetaObject::invokeMethod(bar, [bar, percent] { bar->setValue(percent); }, Qt::QueuedConnection);
            return !import->stop;
        };
        try {
            import->result = soundForImport(import->file, progress);
        } catch (const ImportStopped&) {
        } catch (const std::exception& error) {   // out of memory: refused like a file that cannot be read
            import->result = Outcome::refused("Can not import " + inQuotes(import->file) + ": " + error.what());
        }
    });
    importThread_->setParent(this);
    connect(importThread_, &QThread::finished, this, &SoundPage::finishImport);
    importProgress_->setValue(0);
    importProgress_->show();
    cancelImport_->show();
    enableImport();
    importThread_->start();
}

void SoundPage::CancelImportButClick()
{
    cancelImport();
}

void SoundPage::cancelImport()
{
    if (!import_)
        return;
    import_->stop = true;
    enableImport();
}

void SoundPage::enableImport()
{
    importButton_->setEnabled(selected() >= 0 && !import_);
    cancelImport_->setEnabled(import_ && !import_->stop);
}

void SoundPage::finishImport()
{
    const auto import = std::move(import_);
    importThread_->wait();
    importThread_->deleteLater();
    importThread_ = nullptr;
    importProgress_->hide();
    cancelImport_->hide();
    enableImport();
    if (import->stop || !import->result) {
        host_.StatusShow("The import was cancelled");
        return;
    }
    host_.guarded([&] {
        if (const auto* refusal = std::get_if<Outcome>(&*import->result)) {
            host_.report(*refusal);
            return;
        }
        host_.report(importSamples(bank(), import->index, import->file, std::get<Bytes>(std::move(*import->result))));
        updateMarks();
        showQuietly();
    });
}

void SoundPage::SaveSoundButClick()
{
    host_.gameModel().save(*this);
}

std::optional<QString> SoundPage::unsavedEdits() const
{
    if (!bank_ || !bank_->anyChanged())
        return std::nullopt;
    QStringList imported;
    for (int i = 0; i < SoundCount; ++i)
        if (bank_->changed(i))
            imported << QString(SoundNames[static_cast<std::size_t>(i)]) + " imported";
    return imported.join(", ");
}

bool SoundPage::saveEdits()
{
    stopPlaying();
    bool saved = false;
    host_.guarded([&] {
        const auto outcome = saveSoundBank(bank(), bankPath_);
        host_.report(outcome, this);
        saved = outcome.succeeded();
    });
    updateMarks();
    return saved;
}

void SoundPage::discardEdits()
{
    stopPlaying();
    bank_.reset();
    updateMarks();
    showQuietly();
}

void SoundPage::SaveModButClick()
{
    auto& sounds = bank();
    const auto target = host_.prompts().saveFile(SoundModFilter, bankPath_.parent_path() / "NEWSOUND.SND", "snd");
    if (!target)
        return;
    std::error_code error;
    if (fs::equivalent(*target, bankPath_, error)) {
        SaveSoundButClick();   // the bank in use itself: saved in place
        return;
    }
    const auto outcome = saveSoundMod(sounds, *target, [this](std::string_view question) {
        return host_.prompts().askYesNo(std::string(question));
    });
    if (outcome.kind != Outcome::Kind::Nothing)
        host_.report(outcome);
}

} // namespace quorvex

// The "Sounds" page driven through its widgets on a demo game: the first sound at start-up, the
// bank following the browser's .SND selection, playing, export, import and the two saves.
#include "browser_support.h"
#include "core/base/places.h"
#include "core/sound/sound_bank.h"
#include "gui/sound/sound_page.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QProgressBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

struct SoundPageTest : ::testing::Test {
    MainFormFixture fixture;
    std::unique_ptr<TMainForm> form;
    SoundPage* page = nullptr;
    QListWidget* list = nullptr;
    fs::path bank = fixture.demo.workspace.torloSnd();
    fs::path data = fixture.demo.workspace.dataFolder;

    void open(std::unique_ptr<TMainForm> made = {})
    {
        form = made ? std::move(made) : fixture.create();
        form->showPage(TMainForm::Page::Sounds);
        form->resize(1024, 768);
        form->show();
        page = form->findChild<SoundPage*>();
        list = find<QListWidget>(form.get(), "SoundList");
        ASSERT_TRUE(page && list);
    }

    void choose(int row) { list->setCurrentRow(row); }
    // "Import WAV" to the end of its conversion, which runs beside the window.
    void import()
    {
        click(form.get(), "ImportWavBut");
        ASSERT_TRUE(QTest::qWaitFor([this] { return !page->importing(); }, 20000));
    }
    QString lengthText() const { return find<QLabel>(form.get(), "LengthLabel")->text(); }
    bool enabled(const char* name) const { return find<QPushButton>(form.get(), name)->isEnabled(); }
    // The pixels of the wave itself: below the text, off the centre line.
    int waveInk() const
    {
        const auto& image = page->waveform();
        int count = 0;
        for (int y = 40; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += y != 128 && image.pixelColor(x, y) != Qt::white;
        return count;
    }
    QImage picture() const { return page->waveform(); }
};

// Modules are looked up only in folder while it lives.
struct ModuleFolder {
    QByteArray before = qgetenv("QUORVEX_MODULE_DIR");
    explicit ModuleFolder(const fs::path& folder) { qputenv("QUORVEX_MODULE_DIR", QByteArray::fromStdString(folder.string())); }
    ~ModuleFolder()
    {
        if (before.isNull())
            qunsetenv("QUORVEX_MODULE_DIR");
        else
            qputenv("QUORVEX_MODULE_DIR", before);
    }
};

TEST_F(SoundPageTest, StartUpShowsTheFirstSoundWithEveryControl)
{
    open();
    ASSERT_EQ(list->count(), 30);
    EXPECT_EQ(list->item(0)->text(), "SHOTGUN");
    EXPECT_EQ(list->item(29)->text(), "BURNER");
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(lengthText(), "1500 frames / 68 milliseconds");
    EXPECT_EQ(find<QLabel>(form.get(), "LengthCaption")->text(), "Sample Length: ");
    EXPECT_EQ(find<QLabel>(form.get(), "SoundImage")->size(), QSize(430, 256));
    const std::pair<const char*, const char*> captions[] = {
        {"PlayBut", "Play current sound"}, {"WavBut", "Save as WAV"},           {"SaveAllBut", "Save all as WAV"},
        {"SaveSoundBut", "Save current sound"}, {"SaveModBut", "Save as soundmod"}, {"ImportWavBut", "Import WAV"}};
    for (auto [name, caption] : captions)
        EXPECT_EQ(find<QPushButton>(form.get(), name)->text(), caption);
    EXPECT_TRUE(enabled("PlayBut") && enabled("WavBut") && enabled("ImportWavBut") && enabled("SaveModBut"));
    EXPECT_FALSE(enabled("SaveSoundBut")) << "nothing imported yet";
    EXPECT_GT(waveInk(), 100);
    EXPECT_EQ(page->bankInUse(), bank);

    choose(29);   // the empty sound
    EXPECT_EQ(lengthText(), "0 frames / 0 milliseconds");
    EXPECT_EQ(waveInk(), 0) << "centre line and the text only";
    fixture.prompts.shown.clear();
    click(form.get(), "PlayBut");
    EXPECT_FALSE(page->isPlaying());
    EXPECT_TRUE(fixture.prompts.shown.empty());
}

TEST_F(SoundPageTest, AMissingBankFailsTheFirstSoundAtStartUp)
{
    fs::remove(bank);
    open();
    EXPECT_EQ(fixture.prompts.shown, std::vector<std::string>{"File not found: TORLO.SND"});
    EXPECT_EQ(lengthText(), "");
    // Put back, the bank is read at the next selection.
    writeBytes(bank, readBytes(fixture.demo.game() / "mods" / "CRUNCHY.SND"));
    choose(1);
    EXPECT_EQ(lengthText(), "1720 frames / 78 milliseconds");
}

TEST_F(SoundPageTest, TheBankFollowsTheBrowsersSoundModSelection)
{
    open(openOnMods(fixture));
    choose(5);
    const auto gameThrow = picture();
    ASSERT_TRUE(select(form.get(), "CRUNCHY.SND"));
    EXPECT_EQ(find<QTabWidget>(form.get(), "PageControl")->currentWidget()->objectName(), "SoundTab");
    EXPECT_EQ(page->bankInUse(), fixture.demo.game() / "mods" / "CRUNCHY.SND");
    EXPECT_EQ(list->currentRow(), 0) << "the first sound is selected and shown";
    EXPECT_EQ(find<QLabel>(form.get(), "BankLabel")->text(),
              "Bank: " + QString::fromStdString((fixture.demo.game() / "mods" / "CRUNCHY.SND").string()));
    choose(5);
    EXPECT_NE(picture(), gameThrow) << "the crunchy bank's own samples";

    ASSERT_TRUE(select(form.get(), "MEADOW.LEV"));
    EXPECT_EQ(page->bankInUse(), bank);
    EXPECT_EQ(picture(), gameThrow) << "the game's bank again";
}

TEST_F(SoundPageTest, AnotherGameFolderBringsItsOwnBank)
{
    open();
    DemoGame other;
    auto bytes = readBytes(other.workspace.torloSnd());
    bytes[places::SndSampleLength] = 0;   // SHOTGUN of the other game: 1280 samples
    writeBytes(other.workspace.torloSnd(), bytes);
    form->setGameFolder(other.game());
    EXPECT_EQ(page->bankInUse(), other.workspace.torloSnd());
    EXPECT_EQ(lengthText(), "1280 frames / 58 milliseconds");
}

TEST_F(SoundPageTest, PlayingNeedsASoundOutput)
{
    open();
    choose(3);
    click(form.get(), "PlayBut");
    if (QMediaDevices::audioOutputs().isEmpty()) {
        EXPECT_EQ(statusText(form.get()), "No sound output found: the sound can not be played");
        EXPECT_FALSE(page->isPlaying());
    } else {
        EXPECT_TRUE(QTest::qWaitFor([&] { return page->isPlaying(); }, 2000)) << statusText(form.get()).toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !page->isPlaying(); }, 2000)) << "stops at the end of the sound";
        click(form.get(), "PlayBut");   // again, with the player the first play loaded
        EXPECT_TRUE(QTest::qWaitFor([&] { return page->isPlaying(); }, 2000));
        choose(4);   // selecting another entry stops the sound
        EXPECT_FALSE(page->isPlaying());
    }
}

TEST_F(SoundPageTest, APlayerThatCanNotBeLoadedIsNamedAndThePageGoesOn)
{
    const auto empty = fixture.demo.game() / "no-modules";
    fs::create_directories(empty);
    const ModuleFolder only(empty);
    open();
    choose(3);
    fixture.prompts.shown.clear();
    click(form.get(), "PlayBut");
    EXPECT_EQ(statusText(form.get()),
              "The sound can not be played. The part \"quorvex-audio\" of Quorvex could not be loaded (it is not installed)");
    EXPECT_FALSE(page->isPlaying());
    click(form.get(), "PlayBut");   // asked again, not remembered as broken
    EXPECT_EQ(statusText(form.get()).left(29), "The sound can not be played. ");
    EXPECT_TRUE(fixture.prompts.shown.empty()) << "a status text, as for a missing output";

    choose(4);
    EXPECT_EQ(lengthText(), "2380 frames / 108 milliseconds");
    click(form.get(), "WavBut");
    EXPECT_TRUE(fs::exists(data / "Snd4.wav"));
}

TEST_F(SoundPageTest, SaveAsWavKeepsAnExistingFileAndSaysSo)
{
    open();
    choose(2);
    click(form.get(), "WavBut");
    const auto wav = data / "Snd2.wav";
    EXPECT_EQ(statusText(form.get()).toStdString(), "Saved as " + inQuotes(wav));
    EXPECT_EQ(readBytes(wav).size(), 44u + 1940);
    writeBytes(wav, {1, 2, 3});
    click(form.get(), "WavBut");
    EXPECT_EQ(statusText(form.get()).toStdString(), inQuotes(wav) + " already exists and was kept");
    EXPECT_EQ(readBytes(wav), (std::vector<std::uint8_t>{1, 2, 3}));

    auto* progress = find<QProgressBar>(form.get(), "SaveAllProgress");
    EXPECT_TRUE(progress->isHidden());
    click(form.get(), "SaveAllBut");
    EXPECT_EQ(statusText(form.get()).toStdString(),
              "29 sounds saved as WAV in " + inQuotes(data) + "; kept existing Snd2.wav");
    // The bar counted the files written, not the entries passed, and went when done.
    EXPECT_EQ(progress->text(), "29 of 30 sounds saved");
    EXPECT_TRUE(progress->isHidden());
    EXPECT_EQ(list->currentRow(), 29) << "each entry is selected in turn";
    EXPECT_TRUE(fs::exists(data / "Snd29.wav"));
    EXPECT_EQ(fs::file_size(data / "Snd29.wav"), 0u) << "the empty sound is an empty file";
}

TEST_F(SoundPageTest, AnEntryPastTheEndIsRefusedAndTheOthersStillShow)
{
    auto bytes = readBytes(bank);
    const std::size_t length = places::SndSampleLength + places::SndEntrySize * 5;
    bytes[length + 3] = 0x40;   // a length of a gigabyte
    writeBytes(bank, bytes);
    open();
    fixture.prompts.shown.clear();
    choose(5);
    EXPECT_EQ(fixture.prompts.shown, std::vector<std::string>{"Read beyond end of file"});
    EXPECT_EQ(lengthText(), "");
    click(form.get(), "PlayBut");
    click(form.get(), "WavBut");
    EXPECT_EQ(fixture.prompts.shown.size(), 3u);
    EXPECT_FALSE(fs::exists(data / "Snd5.wav"));
    choose(6);
    EXPECT_EQ(lengthText(), "2820 frames / 128 milliseconds");
}

TEST_F(SoundPageTest, ImportMarksTheEntryUntilTheBankIsSaved)
{
    open();
    const auto before = readBytes(bank);
    choose(7);
    click(form.get(), "WavBut");   // EXP3A as a WAV file, into BEGIN below
    fixture.prompts.shown.clear();

    writeBytes(data / "broken.wav", {'R', 'I', 'F', 'F', 0, 0});
    fixture.prompts.files.push_back(data / "broken.wav");
    choose(22);
    import();
    EXPECT_EQ(statusText(form.get()).left(15), "Can not import ");
    EXPECT_EQ(list->item(22)->text(), "BEGIN");
    EXPECT_FALSE(enabled("SaveSoundBut"));

    fixture.prompts.files.push_back(data / "Snd7.wav");
    import();
    EXPECT_EQ(list->item(22)->text(), "BEGIN *");
    EXPECT_EQ(lengthText(), "3040 frames / 138 milliseconds");
    EXPECT_TRUE(enabled("SaveSoundBut"));
    EXPECT_EQ(readBytes(bank), before) << "kept in memory until saved";

    const auto mod = fixture.demo.scratch / "MINE.SND";
    fixture.prompts.files.push_back(mod);
    click(form.get(), "SaveModBut");
    EXPECT_EQ(statusText(form.get()).toStdString(), "Soundmod saved as " + inQuotes(mod));
    EXPECT_EQ(readBytes(bank), before);
    EXPECT_EQ(list->item(22)->text(), "BEGIN *") << "the bank in use is still unsaved";

    click(form.get(), "SaveSoundBut");
    EXPECT_EQ(statusText(form.get()), "Sounds saved");
    EXPECT_EQ(list->item(22)->text(), "BEGIN");
    EXPECT_EQ(readBytes(bank), readBytes(mod));
    const auto saved = SoundBank::load(bank);
    const auto original = SoundBank::fromBytes(before);
    EXPECT_TRUE(std::ranges::equal(saved.samples(22), original.samples(7)));
    EXPECT_TRUE(std::ranges::equal(saved.samples(23), original.samples(23)));
    EXPECT_NE(readText(fixture.demo.workspace.logFile()).find(": Sound bank " + bank.string() + " saved"), std::string::npos);
    EXPECT_TRUE(fixture.prompts.shown.empty());
}

// Two minutes of 44.1 kHz 16-bit stereo take a while to convert: the window goes on
// meanwhile (its timers fire, the progress and Cancel show), Cancel leaves the bank as it was,
// and an import left to its end replaces the entry.
TEST_F(SoundPageTest, AnImportRunsBesideTheWindowAndCancelLeavesTheBankUnchanged)
{
    open();
    const auto before = readBytes(bank);
    const auto wav = data / "long.wav";
    {
        constexpr std::uint32_t frames = 120 * 44100, size = frames * 4;
        Bytes bytes(44);
        const auto put32 = [&](std::size_t at, std::uint32_t value) {
            for (int b = 0; b < 4; ++b)
                bytes[at + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(value >> (8 * b));
        };
        std::copy_n("RIFFxxxxWAVEfmt ", 16, bytes.begin());
        put32(4, 36 + size);
        put32(16, 16);
        put32(20, 0x00020001);   // PCM, two channels
        put32(24, 44100);
        put32(28, 44100 * 4);
        put32(32, 0x00100004);   // four bytes a frame, 16 bits
        std::copy_n("data", 4, bytes.begin() + 36);
        put32(40, size);
        std::uint32_t noise = 1;
        for (std::uint32_t i = 0; i < size; ++i)
            bytes.push_back(static_cast<std::uint8_t>((noise = noise * 1664525u + 1013904223u) >> 24));
        writeBytes(wav, bytes);
    }
    choose(3);
    const auto shownBefore = picture();
    const auto lengthBefore = lengthText();

    // A timer of the window, started before the import: it fires while the import runs, and
    // cancels it there.
    bool firedDuringImport = false, barShown = false;
    QTimer timer;
    const auto* bar = find<QProgressBar>(form.get(), "ImportProgress");
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!page->importing() || firedDuringImport || bar->value() <= 10)   // once the progress passed 10%
            return;
        firedDuringImport = true;
        barShown = find<QProgressBar>(form.get(), "ImportProgress")->isVisible() && enabled("CancelImportBut")
                   && !enabled("ImportWavBut");
        click(form.get(), "CancelImportBut");
    });
    timer.start(0);
    fixture.prompts.files.push_back(wav);
    import();
    timer.stop();
    EXPECT_TRUE(firedDuringImport);
    EXPECT_TRUE(barShown);
    EXPECT_EQ(statusText(form.get()), "The import was cancelled");
    EXPECT_EQ(list->item(3)->text(), "BAZOOKA");
    EXPECT_FALSE(enabled("SaveSoundBut"));
    EXPECT_FALSE(find<QProgressBar>(form.get(), "ImportProgress")->isVisible());
    EXPECT_EQ(lengthText(), lengthBefore);
    EXPECT_EQ(picture(), shownBefore);
    const auto mod = fixture.demo.scratch / "AFTER.SND";
    fixture.prompts.files.push_back(mod);
    click(form.get(), "SaveModBut");
    EXPECT_EQ(readBytes(mod), SoundBank::fromBytes(before).rebuild()) << "the bank in memory is unchanged";
    EXPECT_EQ(readBytes(bank), before);

    fixture.prompts.files.push_back(wav);
    import();
    EXPECT_EQ(list->item(3)->text(), "BAZOOKA *");
    EXPECT_EQ(lengthText(), "2646000 frames / 120272 milliseconds");
    EXPECT_TRUE(enabled("ImportWavBut"));
    EXPECT_EQ(readBytes(bank), before) << "kept in memory until saved";
}

TEST_F(SoundPageTest, LeavingABankWithUnsavedImportsOffersToSaveThem)
{
    open(openOnMods(fixture));
    const auto before = readBytes(bank);
    choose(1);
    click(form.get(), "WavBut");
    fixture.prompts.files.push_back(data / "Snd1.wav");
    choose(0);
    import();
    ASSERT_EQ(list->item(0)->text(), "SHOTGUN *");

    fixture.prompts.yesNo.push_back(false);
    ASSERT_TRUE(select(form.get(), "CRUNCHY.SND"));
    EXPECT_EQ(fixture.prompts.shown.back(),
              "The imported sounds of " + inQuotes(bank) + " are not saved. Save them now?");
    EXPECT_EQ(list->item(0)->text(), "SHOTGUN");
    ASSERT_TRUE(select(form.get(), "MEADOW.LEV"));
    EXPECT_EQ(readBytes(bank), before) << "dropped";
    EXPECT_EQ(lengthText(), "1500 frames / 68 milliseconds");
}

// The screenshot of the page on a sound of the demo game, at the window size users start with.
TEST_F(SoundPageTest, Screenshot)
{
    open();
    choose(10);
    QApplication::processEvents();
    const auto shots = fs::temp_directory_path() / "sound-shots";
    fs::create_directories(shots);
    ASSERT_TRUE(form->grab().save(QString::fromStdString((shots / "sounds-page.png").string())));
}

} // namespace

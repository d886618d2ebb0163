// The sound bank: the byte rule, the WAV export, the waveform and length texts, entries that
// reach past the end, the rebuild after an import, and imports of sound files of every kind.
#include "core/base/errors.h"
#include "core/base/places.h"
#include "core/sound/sound_bank.h"
#include "core/sound/sound_import.h"
#include "core/sound/sound_operations.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <numeric>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

void put32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get32(const Bytes& bytes, std::size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (std::uint32_t(bytes[at + 3]) << 24);
}

// A bank of the game's layout: header, 30 directory records with names, samples in order.
Bytes makeBank(const std::vector<Bytes>& sounds, const Bytes& tail = {})
{
    Bytes bank(places::SndDirectory + places::SndEntrySize * SoundCount, 0);
    bank[0] = SoundCount;
    for (int i = 0; i < SoundCount; ++i) {
        const auto& sound = i < int(sounds.size()) ? sounds[i] : Bytes{};
        std::copy_n(SoundNames[i], std::min<std::size_t>(8, std::strlen(SoundNames[i])), bank.begin() + 2 + 16 * i);
        put32(bank, places::SndSampleOffset + 16 * i, static_cast<std::uint32_t>(bank.size()));
        put32(bank, places::SndSampleLength + 16 * i, static_cast<std::uint32_t>(sound.size()));
        bank.insert(bank.end(), sound.begin(), sound.end());
    }
    bank.insert(bank.end(), tail.begin(), tail.end());
    return bank;
}

Bytes ramp(std::size_t count, int step = 1)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * step);
    return bytes;
}

Bytes span(std::span<const std::uint8_t> samples) { return Bytes(samples.begin(), samples.end()); }

// A PCM WAV file written by hand, for formats the export never writes.
Bytes pcmWav(int channels, int rate, int bits, const std::vector<std::int32_t>& samples)
{
    const std::uint32_t data = static_cast<std::uint32_t>(samples.size() * bits / 8);
    Bytes wav(44);
    std::copy_n("RIFF", 4, wav.begin());
    put32(wav, 4, 36 + data);
    std::copy_n("WAVEfmt ", 8, wav.begin() + 8);
    put32(wav, 16, 16);
    wav[20] = 1;
    wav[22] = static_cast<std::uint8_t>(channels);
    put32(wav, 24, static_cast<std::uint32_t>(rate));
    put32(wav, 28, static_cast<std::uint32_t>(rate * channels * bits / 8));
    wav[32] = static_cast<std::uint8_t>(channels * bits / 8);
    wav[34] = static_cast<std::uint8_t>(bits);
    std::copy_n("data", 4, wav.begin() + 36);
    put32(wav, 40, data);
    for (auto sample : samples)
        for (int b = 0; b < bits / 8; ++b)
            wav.push_back(static_cast<std::uint8_t>(sample >> (8 * b)));
    return wav;
}

TEST(SoundBank, ExportAddsOneTwentyEightModuloTwoFiftySixSoTheRuleIsItsOwnInverse)
{
    const std::pair<int, int> rule[] = {{0, 128}, {127, 255}, {128, 0}, {129, 1}, {255, 127}};
    for (auto [bank, wav] : rule) {
        EXPECT_EQ(wavSample(static_cast<std::uint8_t>(bank)), wav) << bank;
        EXPECT_EQ(bankSample(static_cast<std::uint8_t>(wav)), bank) << bank;
    }
    const auto wav = soundToWav(Bytes{0, 127, 128, 129, 255});
    ASSERT_EQ(wav.size(), 49u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(get32(wav, 4), 5u + 36);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(get32(wav, 16), 16u);
    EXPECT_EQ(wav[20] | wav[21] << 8, 1);   // PCM
    EXPECT_EQ(wav[22] | wav[23] << 8, 1);   // mono
    EXPECT_EQ(get32(wav, 24), 22050u);
    EXPECT_EQ(get32(wav, 28), 22050u);
    EXPECT_EQ(wav[32] | wav[33] << 8, 1);
    EXPECT_EQ(wav[34] | wav[35] << 8, 8);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(get32(wav, 40), 5u);
    EXPECT_EQ(Bytes(wav.begin() + 44, wav.end()), (Bytes{128, 255, 0, 1, 127}));
    EXPECT_TRUE(soundToWav({}).empty()) << "an empty sound is an empty file";
}

TEST(SoundBank, LengthTextAndColumnsShowTheEnvelopeAtAnyLength)
{
    EXPECT_EQ(soundLengthText(0), "0 frames / 0 milliseconds");
    EXPECT_TRUE(waveformColumns({}).empty());

    EXPECT_EQ(soundLengthText(429), "429 frames / 19 milliseconds");
    EXPECT_TRUE(waveformColumns(Bytes(429, 100)).empty()) << "fewer samples than columns";

    // 22050 samples: 51 per column; the lowest and highest of each block, the last 120 samples
    // not drawn.
    Bytes sound(22050);
    for (std::size_t i = 0; i < sound.size(); ++i)
        sound[i] = bankSample(static_cast<std::uint8_t>(i / 51 % 2 ? 200 : 10 + i % 2));
    EXPECT_EQ(soundLengthText(sound.size()), "22050 frames / 1002 milliseconds");
    const auto columns = waveformColumns(sound);
    ASSERT_EQ(columns.size(), 430u);
    EXPECT_EQ(columns[0], (WaveColumn{10, 11}));
    EXPECT_EQ(columns[1], (WaveColumn{200, 200}));
    std::fill(sound.end() - 120, sound.end(), 0);
    EXPECT_EQ(waveformColumns(sound), columns);

    // Sweeps of half the full amplitude, 20 Hz to 2 kHz, of 120 s and 595 s: every column
    // reaches near both peaks (64 and 192), where the mean of a block lies on the centre line.
    for (const int seconds : {120, 595}) {
        Bytes sweep(static_cast<std::size_t>(seconds) * 22050);
        double phase = 0;
        for (std::size_t i = 0; i < sweep.size(); ++i) {
            phase += 2 * 3.14159265358979 * (20 + 1980.0 * static_cast<double>(i) / static_cast<double>(sweep.size())) / 22050;
            sweep[i] = bankSample(static_cast<std::uint8_t>(std::lround(128 + 64 * std::sin(phase))));
        }
        for (const auto& column : waveformColumns(sweep)) {
            ASSERT_LE(column.low, 66) << seconds << " s";
            ASSERT_GE(column.high, 190) << seconds << " s";
        }
    }
}

TEST(SoundBank, AnEntryPastTheEndIsRefusedAloneAndNothingIsReadBeyondTheBank)
{
    test::ScratchFolder scratch;
    auto bytes = makeBank({ramp(600), ramp(500), ramp(700, 3)});
    put32(bytes, places::SndSampleLength + 16 * 1, 100000);            // past the end
    put32(bytes, places::SndSampleOffset + 16 * 2, 0xFFFFFFF0u);       // offset + length wraps at 32 bits
    const auto bank = SoundBank::fromBytes(bytes);
    for (int damaged : {1, 2}) {
        EXPECT_FALSE(bank.entry(damaged).intact);
        EXPECT_THROW(bank.samples(damaged), FileError);
        EXPECT_THROW(exportSound(bank, damaged, scratch / "x.wav"), FileError);
    }
    EXPECT_FALSE(fs::exists(scratch / "x.wav"));
    EXPECT_EQ(span(bank.samples(0)), ramp(600));
    EXPECT_TRUE(exportSound(bank, 0, scratch / "Snd0.wav").succeeded());

    const auto all = exportAllSounds(bank, scratch.path());
    EXPECT_FALSE(all.succeeded());
    EXPECT_EQ(all.status, "27 sounds saved as WAV in " + inQuotes(scratch.path())
                              + "; kept existing Snd0.wav; past the end of the bank: Snd1.wav, Snd2.wav");
    EXPECT_FALSE(fs::exists(scratch / "Snd1.wav"));

    // A damaged entry cannot be written into a bank until it is replaced.
    auto edited = bank;
    const auto file = scratch / "bank.snd";
    test::writeBytes(file, bytes);
    EXPECT_EQ(saveSoundBank(edited, file).status,
              "SHOT (sound 1) reaches past the end of the bank: import a sound into it before saving");
    EXPECT_EQ(test::readBytes(file), bytes);
    edited.replace(1, ramp(20));
    edited.replace(2, {});
    EXPECT_TRUE(saveSoundBank(edited, file).succeeded()) << "both damaged entries replaced";
    EXPECT_EQ(span(SoundBank::load(file).samples(0)), ramp(600));

    // A bank cut short inside its directory: the records that are there still count.
    const auto cut = SoundBank::fromBytes(Bytes(bytes.begin(), bytes.begin() + 2 + 16 * 3 + 10));
    EXPECT_EQ(cut.entry(2).offset, 0xFFFFFFF0u);
    EXPECT_FALSE(cut.entry(3).intact);
    EXPECT_THROW(cut.samples(29), FileError);
    EXPECT_THROW(SoundBank::load(scratch / "missing.snd"), FileError);
}

TEST(SoundBank, RebuildKeepsEveryOtherEntryAndTheBytesAroundTheSamples)
{
    std::vector<Bytes> sounds;
    for (int i = 0; i < SoundCount; ++i)
        sounds.push_back(i % 7 == 6 ? Bytes{} : ramp(100 + 13 * i, i + 1));
    const Bytes tail{'E', 'N', 'D'};
    const auto original = makeBank(sounds, tail);
    auto bank = SoundBank::fromBytes(original);
    EXPECT_EQ(bank.rebuild(), original) << "an unchanged bank is rebuilt byte for byte";

    bank.replace(4, ramp(5000, 7));
    bank.replace(6, ramp(10));   // an empty entry gets samples
    bank.replace(9, {});         // and one is emptied
    EXPECT_TRUE(bank.changed(4) && bank.anyChanged());
    const auto rebuilt = SoundBank::fromBytes(bank.rebuild());
    std::uint32_t previousEnd = 0;
    for (int i = 0; i < SoundCount; ++i) {
        const auto expected = i == 4 ? ramp(5000, 7) : i == 6 ? ramp(10) : i == 9 ? Bytes{} : sounds[i];
        EXPECT_EQ(span(rebuilt.samples(i)), expected) << i;
        EXPECT_GE(rebuilt.entry(i).offset, previousEnd) << "bank order " << i;
        previousEnd = rebuilt.entry(i).offset + rebuilt.entry(i).length;
        EXPECT_FALSE(rebuilt.changed(i));
    }
    const auto bytes = bank.rebuild();
    EXPECT_EQ(Bytes(bytes.end() - 3, bytes.end()), tail);
    for (int i = 0; i < SoundCount; ++i)   // header byte and name fields are kept
        EXPECT_TRUE(std::equal(bytes.begin() + 2 + 16 * i, bytes.begin() + 10 + 16 * i, original.begin() + 2 + 16 * i));
    EXPECT_EQ(bytes[0], original[0]);
}

TEST(SoundBank, AnEntryInsideTheDirectoryMovesBehindItOnRebuild)
{
    // Entry 0 takes 30 bytes of the directory itself as its samples; the directory ends at 482.
    auto bytes = makeBank({{}, ramp(300), ramp(40, 5)});
    put32(bytes, places::SndSampleOffset, 20);
    put32(bytes, places::SndSampleLength, 30);
    const auto original = SoundBank::fromBytes(bytes);
    ASSERT_TRUE(original.entry(0).intact);
    auto bank = original;
    bank.replace(1, ramp(7, 3));   // an import
    const auto rebuilt = SoundBank::fromBytes(bank.rebuild());
    for (int i = 0; i < SoundCount; ++i) {
        EXPECT_EQ(span(rebuilt.samples(i)), i == 1 ? ramp(7, 3) : span(original.samples(i))) << i;
        EXPECT_EQ(rebuilt.entry(i).length, i == 1 ? 7u : original.entry(i).length) << i;
        EXPECT_GE(rebuilt.entry(i).offset, 482u) << i;
    }
}

TEST(SoundImport, EveryExportedByteImportsBackExactly)
{
    test::ScratchFolder scratch;
    std::vector<Bytes> sounds;
    for (int i = 0; i < SoundCount; ++i)
        sounds.push_back(i == 29 ? Bytes{} : ramp(256 * (i + 1), i * 2 + 1));   // every byte value, empty last
    const auto bank = SoundBank::fromBytes(makeBank(sounds));
    ASSERT_TRUE(exportAllSounds(bank, scratch.path()).succeeded());
    auto back = SoundBank::fromBytes(makeBank({}));
    for (int i = 0; i < SoundCount; ++i) {
        EXPECT_TRUE(importSound(back, i, soundExportPath(scratch.path(), i)).succeeded()) << i;
        EXPECT_EQ(span(back.samples(i)), sounds[i]) << i;
    }
}

TEST(SoundImport, OtherFormatsAreMixedDownAndResampledTo22050)
{
    // One second of a 441 Hz tone, 16-bit stereo at 44100, the right channel silent.
    std::vector<std::int32_t> stereo;
    const double pi = std::acos(-1.0);
    for (int n = 0; n < 44100; ++n) {
        stereo.push_back(static_cast<std::int32_t>(std::lround(16000 * std::sin(2 * pi * 441 * n / 44100.0))));
        stereo.push_back(0);
    }
    const auto samples = bankSamplesFromSoundFile(pcmWav(2, 44100, 16, stereo));
    EXPECT_NEAR(static_cast<double>(samples.size()), 22050.0, 1.0);
    // Mixed down: half the amplitude (16000 / 2 / 256 = 31.25 bank steps); resampled, the tone stays.
    int worst = 0;
    for (std::size_t n = 200; n + 200 < samples.size(); ++n) {
        const double expected = 31.25 * std::sin(2 * pi * 441 * n / 22050.0);
        worst = std::max(worst, std::abs(static_cast<std::int8_t>(samples[n]) - static_cast<int>(std::lround(expected))));
    }
    EXPECT_LE(worst, 1);

    // Mono at 22050 is taken sample for sample: 8-bit byte for byte, 16-bit rounded to the
    // nearest step of 256 (192 is three quarters of a step), full scale clipped.
    std::vector<std::int32_t> bytes(256);
    std::iota(bytes.begin(), bytes.end(), 0);
    Bytes everyByte(256);
    std::transform(bytes.begin(), bytes.end(), everyByte.begin(), [](int b) { return bankSample(static_cast<std::uint8_t>(b)); });
    const struct {
        int bits;
        std::vector<std::int32_t> samples;
        Bytes bank;
    } exact[] = {
        {8, bytes, everyByte},
        {16, {192, -192, 64, -64, 32767, -32768, 0}, {1, 255, 0, 0, 127, 128, 0}},
    };
    for (const auto& c : exact)
        EXPECT_EQ(bankSamplesFromSoundFile(pcmWav(1, 22050, c.bits, c.samples)), c.bank) << c.bits << " bits";

    // FLAC through libsndfile, louder than full scale in float: clipped, never wrapped.
    test::ScratchFolder scratch;
    const auto flac = scratch / "loud.flac";
    SF_INFO info{};
    info.samplerate = 11025;
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* out = sf_open(flac.c_str(), SFM_WRITE, &info);
    ASSERT_NE(out, nullptr) << sf_strerror(nullptr);
    std::vector<short> loud(11025, 32767);
    sf_write_short(out, loud.data(), static_cast<sf_count_t>(loud.size()));
    sf_close(out);
    const auto fromFlac = bankSamplesFromSoundFile(flac);
    EXPECT_NEAR(static_cast<double>(fromFlac.size()), 22050.0, 1.0);
    EXPECT_EQ(fromFlac[11025], 127);
}

TEST(SoundImport, TheConverterKeepsTheBanksWholeBandAndDropsWhatItCannotHold)
{
    // Two seconds of a tone at 62.5 bank steps: up to 10.2 kHz (93% of the bank's 11025) it
    // comes out within a step of the same tone at 22050 (a converter whose pass band ends
    // lower, like libsamplerate's faster ones, loses it); above the bank's 11025 nothing
    // comes out (a converter that lets it through folds it back as another tone).
    const double pi = std::acos(-1.0);
    const struct {
        int rate;
        double hertz;
        double kept;   // the share of the amplitude that comes out
    } tones[] = {{44100, 10200, 1}, {48000, 10200, 1}, {96000, 7000, 1}, {11025, 5000, 1}, {8000, 3000, 1},
                 {44100, 11600, 0}, {48000, 13000, 0}, {96000, 30000, 0}};
    for (const auto& tone : tones) {
        std::vector<std::int32_t> mono;
        for (int n = 0; n < 2 * tone.rate; ++n)
            mono.push_back(static_cast<std::int32_t>(std::lround(16000 * std::sin(2 * pi * tone.hertz * n / tone.rate))));
        const auto samples = bankSamplesFromSoundFile(pcmWav(1, tone.rate, 16, mono));
        EXPECT_NEAR(static_cast<double>(samples.size()), 44100.0, 1.0) << tone.rate;
        int worst = 0;
        for (std::size_t n = 400; n + 400 < samples.size(); ++n) {
            const double expected = tone.kept * 62.5 * std::sin(2 * pi * tone.hertz * static_cast<double>(n) / 22050.0);
            worst = std::max(worst, std::abs(static_cast<std::int8_t>(samples[n]) - static_cast<int>(std::lround(expected))));
        }
        EXPECT_LE(worst, 1) << tone.hertz << " Hz at " << tone.rate;
    }
}

TEST(SoundImport, AnOddLengthSoundThatBeginsLikeAWavFileImportsBack)
{
    // Found by fuzzing (fuzz/regressions/sound_file): libsndfile skips the pad byte after an
    // odd-sized data chunk by a seek past the end; refused, it read the samples as a chunk.
    std::vector<std::int32_t> riff(101, 128);
    std::copy_n("RIFF", 4, riff.begin());
    const auto samples = bankSamplesFromSoundFile(pcmWav(1, 22050, 8, riff));
    ASSERT_EQ(samples.size(), riff.size());
    EXPECT_EQ(bankSamplesFromSoundFile(soundToWav(samples)), samples);
}

TEST(SoundImport, AFileThatCannotBeReadChangesNothing)
{
    test::ScratchFolder scratch;
    const auto original = makeBank({ramp(900)});
    auto bank = SoundBank::fromBytes(original);
    auto header = pcmWav(1, 22050, 8, std::vector<std::int32_t>(100, 7));
    const std::pair<const char*, Bytes> files[] = {
        {"text.wav", Bytes{'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'u', 'n', 'd'}},
        {"cut.wav", Bytes(header.begin(), header.begin() + 30)},
        {"rate.wav", pcmWav(1, 50, 8, std::vector<std::int32_t>(100, 7))},
        // A rate at which ten minutes would take gigabytes before resampling.
        {"fast.wav", pcmWav(1, 384000, 8, std::vector<std::int32_t>(100, 7))},
        // Found by fuzzing (fuzz/regressions/sound_file): an Ogg Vorbis header that libsndfile
        // refuses, leaking a few kilobytes inside the library (fuzz/lsan.supp).
        {"vorbis.ogg", Bytes{0x4f, 0x67, 0x67, 0x53, 0x00, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0xfc, 0x7a, 0x90, 0, 0, 0, 0, 0,
                             0xee, 0x6c, 0xd6, 0x58, 0x01, 0x1e, 0x01, 'v', 'o', 'r', 'b', 'i', 's', 0, 0, 0, 0, 0x01,
                             0x22, 0x56, 0, 0, 0, 0, 0, 0, 0x37, 0xb0, 0, 0, 0, 0, 0, 0, 0xa9, 0x01}},
    };
    for (const auto& [name, bytes] : files) {
        test::writeBytes(scratch / name, bytes);
        const auto outcome = importSound(bank, 0, scratch / name);
        EXPECT_FALSE(outcome.succeeded()) << name;
        EXPECT_EQ(outcome.status.rfind("Can not import " + inQuotes(scratch / name) + ": ", 0), 0u) << outcome.status;
    }
    EXPECT_EQ(importSound(bank, 0, scratch / "missing.wav").status,
              "Can not import " + inQuotes(scratch / "missing.wav") + ": File not found: missing.wav");
    EXPECT_FALSE(bank.anyChanged());
    EXPECT_EQ(bank.rebuild(), original);
}

TEST(SoundOperations, TheBankInUseIsTheSelectedSoundModElseTheGames)
{
    test::DemoGame demo;
    const auto game = demo.workspace.torloSnd();
    EXPECT_EQ(soundBankInUse(demo.workspace, std::nullopt), game);
    EXPECT_EQ(soundBankInUse(demo.workspace, fs::path("/x/crunchy.snd")), fs::path("/x/crunchy.snd"));
    EXPECT_EQ(soundBankInUse(demo.workspace, fs::path("/x/MAP.LEV")), game);
    EXPECT_EQ(soundNumber("29"), 29);
    EXPECT_FALSE(soundNumber("30") || soundNumber("-1") || soundNumber("one"));
}

TEST(SoundOperations, SaveReplacesTheBankOrWritesANewModOnly)
{
    test::DemoGame demo;
    const auto game = demo.workspace.torloSnd();
    const auto before = test::readBytes(game);
    auto bank = SoundBank::load(game);
    bank.replace(2, ramp(3000));

    const auto mod = demo.scratch / "NEW.SND";
    EXPECT_EQ(saveSoundMod(bank, mod, {}).status, "Soundmod saved as " + inQuotes(mod));
    EXPECT_EQ(test::readBytes(game), before);
    EXPECT_EQ(span(SoundBank::load(mod).samples(2)), ramp(3000));
    // An existing file is replaced only when the user agrees.
    EXPECT_EQ(saveSoundMod(bank, game, [](std::string_view) { return false; }).kind, Outcome::Kind::Nothing);
    EXPECT_EQ(test::readBytes(game), before);

    const auto saved = saveSoundBank(bank, game);
    EXPECT_EQ(saved.status, "Sounds saved");
    EXPECT_EQ(saved.logMessage, "Sound bank " + game.string() + " saved");
    EXPECT_FALSE(bank.anyChanged());
    const auto reread = SoundBank::load(game);
    EXPECT_EQ(span(reread.samples(2)), ramp(3000));
    EXPECT_EQ(span(reread.samples(3)), span(SoundBank::fromBytes(before).samples(3)));
}

} // namespace

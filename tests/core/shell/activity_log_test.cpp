#include "core/base/errors.h"
#include "core/shell/activity_log.h"
#include "core/shell/settings.h"
#include "core/browser/file_filter.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;

TEST(ActivityLog, FirstStartWritesTheCreationHeader)
{
    test::ScratchFolder scratch;
    test::FixedClock clock;
    ActivityLog log(scratch / "quorvex.log", clock);
    log.writeStartHeader();
    EXPECT_EQ(test::readText(scratch / "quorvex.log"),
              "------------------------------\r\n"
              "  Quorvex Log created 14/03/2026 on 12:34:56\r\n"
              "  Read this Log to see what actions you performed\r\n"
              "------------------------------\r\n");
}

TEST(ActivityLog, LaterStartsAndEntriesAreAppended)
{
    test::ScratchFolder scratch;
    test::FixedClock clock;
    ActivityLog log(scratch / "quorvex.log", clock);
    log.writeStartHeader();
    const auto first = test::readText(scratch / "quorvex.log");
    log.writeStartHeader();
    log.append("Weaponname changed to LASER");
    log.appendLine("- Hacks saved. Detailed information not yet available");
    // A path holding control characters stays on its line.
    log.append("Level /tmp/a\nb\r\tc\x1b\x7f.LEV activated");
    EXPECT_EQ(test::readText(scratch / "quorvex.log"),
              first + "\r\n----------\r\nQuorvex Log date 14/03/2026\r\n"
                      "- 12:34:56: Weaponname changed to LASER\r\n"
                      "- Hacks saved. Detailed information not yet available\r\n"
                      "- 12:34:56: Level /tmp/a\\nb\\r\\tc\\x1b\\x7f.LEV activated\r\n");
}

TEST(ActivityLog, EntryAfterTheLogWasDeletedCreatesItAgain)
{
    test::ScratchFolder scratch;
    test::FixedClock clock;
    ActivityLog log(scratch / "quorvex.log", clock);
    log.writeStartHeader();
    fs::remove(scratch / "quorvex.log");
    log.append("Weapons saved to Torlo.exe");
    const auto text = test::readText(scratch / "quorvex.log");
    EXPECT_EQ(text.rfind("------------------------------\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\n- 12:34:56: Weapons saved to Torlo.exe\r\n"), std::string::npos);
}

TEST(ActivityLog, UnwritableFolderRaisesTheFileError)
{
    test::FixedClock clock;
    ActivityLog log("/nonexistent-folder/quorvex.log", clock);
    EXPECT_THROW(log.append("x"), FileError);
}

TEST(Settings, FirstRunDefaultsAreTheTenValues)
{
    test::MemorySettings store;
    writeFirstRunDefaults(store);
    EXPECT_EQ(store.integer("FG"), 2147483656LL);
    EXPECT_EQ(store.integer("BG"), 2147483663LL);
    EXPECT_EQ(store.integer("Filter"), 255);
    EXPECT_EQ(store.text("DoSound"), "yes");
    EXPECT_EQ(store.text("MakePL"), "no");
    EXPECT_EQ(store.text("Stretch"), "no");
    EXPECT_EQ(store.text("Font"), "Tahoma");
    EXPECT_EQ(store.text("UsePal"), "yes");
    EXPECT_EQ(store.text("SortExt"), "yes");
    EXPECT_EQ(store.text("MakeLWP2"), "no");
    EXPECT_FALSE(store.contains("TorloPath"));
}

TEST(Settings, YesAndNoCountOnlyWhenExact)
{
    test::MemorySettings store;
    store.setText("MakePL", "Yes");
    store.setText("DoSound", "NO");
    EXPECT_FALSE(isYes(store, "MakePL"));
    EXPECT_FALSE(isNo(store, "DoSound"));
    store.setText("MakePL", "yes");
    EXPECT_TRUE(isYes(store, "MakePL"));
}

TEST(Settings, GreetingsOnTheirDatesOnly)
{
    EXPECT_EQ(greetingFor({2027, 1, 1}), "Happy new year!");
    EXPECT_EQ(greetingFor({2027, 4, 25}), "Today is the birthday of TorloNet!");
    EXPECT_EQ(greetingFor({2027, 12, 16}), "Today is the birthday of Quorvex!");
    EXPECT_TRUE(greetingFor({2027, 9, 17}).has_value());
    EXPECT_FALSE(greetingFor({2027, 1, 10}).has_value());   // "1001", not "0101"
    EXPECT_FALSE(greetingFor({2027, 12, 7}).has_value());
}

TEST(Settings, ColourSchemesIncludingTheRandomOnes)
{
    int draws = 0;
    auto random = [&] { return std::int64_t{1000} + draws++; };
    EXPECT_EQ(schemeColours(2, random), (std::pair<std::int64_t, std::int64_t>{2863095, 128}));
    EXPECT_EQ(schemeColours(42, random), (std::pair<std::int64_t, std::int64_t>{16232235, 8388608}));
    EXPECT_EQ(schemeColours(9, random), (std::pair<std::int64_t, std::int64_t>{1000, 16777215 - 1000}));
    EXPECT_EQ(schemeColours(8, random), (std::pair<std::int64_t, std::int64_t>{1001, 1002}));
}

TEST(FileFilter, BitsTicksAndMask)
{
    const auto all = filterTicksFromBits(511);
    EXPECT_TRUE(std::all_of(all.begin(), all.end(), [](bool b) { return b; }));
    const auto none = filterTicksFromBits(0);
    EXPECT_TRUE(std::none_of(none.begin(), none.end(), [](bool b) { return b; }));
    EXPECT_EQ(fileMask(none), "");
    const auto standard = filterTicksFromBits(255);
    EXPECT_FALSE(standard[8]);
    EXPECT_TRUE(standard[0] && standard[7]);
    EXPECT_EQ(filterBitsFromTicks(standard), 255);
    const auto palettes = filterTicksFromBits(16);
    EXPECT_EQ(fileMask(palettes), "*.ACT;*.PAL;*.LPL");
    EXPECT_EQ(fileMask(filterTicksFromBits(1 + 256)), "*.LEV;*.LFT");
    EXPECT_EQ(filterBitsFromTicks(filterTicksFromBits(1000)), 511);   // more than all bits: all ticked
}

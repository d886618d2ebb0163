#include "core/base/places.h"
#include "core/shell/blood.h"
#include "test_support.h"

#include <climits>
#include <unistd.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

std::uint32_t storedBlood(const fs::path& dat)
{
    const auto bytes = readBytes(dat);
    return bytes[14] | bytes[15] << 8 | bytes[16] << 16 | static_cast<std::uint32_t>(bytes[17]) << 24;
}

} // namespace

TEST(Blood, TheAmountIsPositiveAtMost32750AndAMultipleOf25)
{
    DemoGame demo;
    const auto dat = demo.workspace.torloDat();
    for (auto [typed, written] : std::vector<std::pair<int, std::uint32_t>>{
             {-60, 50}, {32751, 32750}, {99999, 32750}, {24, 0}, {100, 100}, {INT_MIN, 32750}, {32749, 32725}}) {
        const auto outcome = setBlood(demo.workspace, typed);
        EXPECT_TRUE(outcome.succeeded()) << typed;
        EXPECT_EQ(outcome.status, std::to_string(written));
        EXPECT_EQ(storedBlood(dat), written) << typed;
        EXPECT_EQ(fs::file_size(dat), places::DatSize);
    }
}

TEST(Blood, AMissingShortOrUnwritableTorloDatIsReportedAndLeftAsItWas)
{
    DemoGame demo;
    const auto dat = demo.workspace.torloDat();
    const auto original = readBytes(dat);

    const std::vector<std::uint8_t> shortDat(original.begin(), original.begin() + 17);
    writeBytes(dat, shortDat);
    auto outcome = setBlood(demo.workspace, 100);
    EXPECT_FALSE(outcome.succeeded());
    EXPECT_EQ(outcome.status, "\"Torlo.Dat\" is too short to hold the blood amount. Blood not set");
    EXPECT_EQ(readBytes(dat), shortDat) << "never grown";

    fs::remove(dat);
    outcome = setBlood(demo.workspace, 100);
    EXPECT_EQ(outcome.status, "\"Torlo.Dat\" does not exist. Blood not set");
    EXPECT_FALSE(fs::exists(dat));

    Workspace noGame = demo.workspace;
    noGame.gameFolder.clear();
    EXPECT_FALSE(setBlood(noGame, 100).succeeded());

    if (::geteuid() != 0) {   // root writes through read-only permissions
        writeBytes(dat, original);
        fs::permissions(dat, fs::perms::owner_read);
        outcome = setBlood(demo.workspace, 100);
        EXPECT_EQ(outcome.status, "\"Torlo.Dat\": File access denied. Blood not set");
        fs::permissions(dat, fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(readBytes(dat), original);
    }
}

#include "core/browser/archive.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

Asker never()
{
    return [](std::string_view question) {
        ADD_FAILURE() << "unexpected question: " << question;
        return false;
    };
}

std::vector<fs::path> contentsOf(const fs::path& folder)
{
    std::vector<fs::path> all;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        all.push_back(fs::relative(entry.path(), folder));
    std::sort(all.begin(), all.end());
    return all;
}

// Replaces every occurrence of from by to (same length) in the archive's bytes: names in the
// local and central headers, so that libzip's own refusals can be side-stepped.
void patchArchive(const fs::path& archive, const std::string& from, const std::string& to)
{
    auto bytes = test::readBytes(archive);
    for (auto it = bytes.begin(); (it = std::search(it, bytes.end(), from.begin(), from.end())) != bytes.end();)
        it = std::copy(to.begin(), to.end(), it);
    test::writeBytes(archive, bytes);
}

// Sets the uncompressed size that every entry declares, in its local and central header.
void declareSizes(const fs::path& archive, std::uint32_t size)
{
    auto bytes = test::readBytes(archive);
    const auto put = [&](std::size_t at) {
        for (int k = 0; k < 4; ++k)
            bytes[at + k] = static_cast<std::uint8_t>(size >> (8 * k));
    };
    for (std::size_t i = 0; i + 46 <= bytes.size(); ++i) {
        if (bytes[i] == 'P' && bytes[i + 1] == 'K' && bytes[i + 2] == 3 && bytes[i + 3] == 4)
            put(i + 22);
        if (bytes[i] == 'P' && bytes[i + 1] == 'K' && bytes[i + 2] == 1 && bytes[i + 3] == 2)
            put(i + 24);
    }
    test::writeBytes(archive, bytes);
}

} // namespace

TEST(Archive, PackAndUnpackRoundTripInTheBrowsedFolder)
{
    test::ScratchFolder folder;
    const std::vector<std::uint8_t> level(176400, 7);
    test::writeBytes(folder / "MAP1.LEV", level);
    const auto archive = archiveFor(folder / "MAP1.LEV", folder.path());
    EXPECT_EQ(archive, folder / "MAP1.zip");

    const auto packed = packFile(folder / "MAP1.LEV", archive);
    ASSERT_TRUE(packed.succeeded()) << packed.status;
    EXPECT_EQ(test::zipEntryNames(archive), std::vector<std::string>{"MAP1.LEV"});

    test::ScratchFolder other;
    const auto unpacked = unpackArchive(archive, other.path(), never());
    ASSERT_TRUE(unpacked.succeeded()) << unpacked.status;
    EXPECT_EQ(test::readBytes(other / "MAP1.LEV"), level);
    EXPECT_EQ(contentsOf(other.path()), std::vector<fs::path>{"MAP1.LEV"});   // no staging left
}

TEST(Archive, PackingAddsToAnExistingArchiveAndLeavesAForeignFileAlone)
{
    test::ScratchFolder folder;
    test::writeZip(folder / "MAP1.zip", {{"readme.txt", "hello"}, {"MAP1.LEV", "old"}});
    test::writeBytes(folder / "MAP1.LEV", {1, 2, 3});
    ASSERT_TRUE(packFile(folder / "MAP1.LEV", folder / "MAP1.zip").succeeded());
    EXPECT_EQ(test::zipEntryNames(folder / "MAP1.zip"), (std::vector<std::string>{"readme.txt", "MAP1.LEV"}));

    test::ScratchFolder out;
    ASSERT_TRUE(unpackArchive(folder / "MAP1.zip", out.path(), never()).succeeded());
    EXPECT_EQ(test::readBytes(out / "MAP1.LEV"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(test::readText(out / "readme.txt"), "hello");

    test::writeBytes(folder / "MAP2.zip", {'n', 'o', 't', ' ', 'z', 'i', 'p'});
    test::writeBytes(folder / "MAP2.LEV", {4});
    EXPECT_EQ(packFile(folder / "MAP2.LEV", folder / "MAP2.zip").kind, Outcome::Kind::Refused);
    EXPECT_EQ(test::readText(folder / "MAP2.zip"), "not zip");
}

TEST(Archive, EntryNamesThatLeaveTheFolderAreNamed)
{
    EXPECT_EQ(entryNameProblem("mods/a.lev"), "");
    EXPECT_EQ(entryNameProblem("./a.lev"), "");
    EXPECT_EQ(entryNameProblem("..PPK"), "");   // two dots that begin a name climb nowhere
    EXPECT_NE(entryNameProblem(""), "");
    EXPECT_NE(entryNameProblem("/etc/passwd"), "");
    EXPECT_NE(entryNameProblem("\\\\server\\share\\a"), "");
    EXPECT_NE(entryNameProblem("C:evil.lev"), "");
    EXPECT_NE(entryNameProblem("../evil.lev"), "");
    EXPECT_NE(entryNameProblem("mods\\..\\..\\evil.lev"), "");
    EXPECT_NE(entryNameProblem("mods/.."), "");
}

TEST(Archive, HostileArchivesAreRefusedWithNothingWritten)
{
    struct Case {
        const char* what;
        std::vector<test::ZipEntry> entries;
    };
    const std::vector<Case> cases = {
        {"climbs out", {{"good.lev", "x"}, {"../evil.lev", "x"}}},
        {"absolute", {{"good.lev", "x"}, {"/tmp/quorvex-evil.lev", "x"}}},
        {"backslashes", {{"good.lev", "x"}, {"a\\..\\..\\evil.lev", "x"}}},
        {"link", {{"good.lev", "x"}, {"link", "/etc", true}}},
        // All or nothing: each of these used to leave "good.lev" written.
        {"file, then a folder of that name", {{"good.lev", "x"}, {"a", "x"}, {"a/b", "x"}}},
        {"folder, then a file of that name", {{"good.lev", "x"}, {"c/d", "x"}, {"c", "x"}}},
        {"name too long", {{"good.lev", "x"}, {std::string(300, 'n') + ".lev", "x"}}},
        {"the same file twice", {{"good.lev", "x"}, {"./good.lev", "y"}}},
        // The staging folder is no name an entry may take.
        {"staging name", {{".quorvex-unzip-0/a", "x"}, {"b", "y"}}},
    };
    for (const auto& hostile : cases) {
        test::ScratchFolder scratch;
        const auto inside = scratch / "extract";
        fs::create_directory(inside);
        fs::create_directory(scratch / "extractEvil");
        test::writeZip(scratch / "evil.zip", hostile.entries);
        const auto outcome = unpackArchive(scratch / "evil.zip", inside, never());
        EXPECT_EQ(outcome.kind, Outcome::Kind::Refused) << hostile.what;
        EXPECT_NE(outcome.status.find("nothing was written"), std::string::npos) << outcome.status;
        EXPECT_TRUE(fs::is_empty(inside)) << hostile.what;
        EXPECT_TRUE(fs::is_empty(scratch / "extractEvil")) << hostile.what;
        EXPECT_FALSE(fs::exists(scratch / "evil.lev")) << hostile.what;
    }
    EXPECT_FALSE(fs::exists("/tmp/quorvex-evil.lev"));
}

TEST(Archive, ANameHeldTwiceIsCalledThat)
{
    test::ScratchFolder scratch;
    fs::create_directory(scratch / "out");
    test::writeZip(scratch / "a.zip", {{"one.lev", "1"}, {"two.lev", "2"}});
    patchArchive(scratch / "a.zip", "two.lev", "one.lev");
    const auto outcome = unpackArchive(scratch / "a.zip", scratch / "out", never());
    EXPECT_EQ(outcome.status, "Not unpacked \"a.zip\": the archive holds the name \"one.lev\" twice; nothing was written");
    EXPECT_TRUE(fs::is_empty(scratch / "out"));
}

TEST(Archive, DeclaredSizesMustFitTheFreeSpaceAndBeKept)
{
    test::ScratchFolder scratch;
    fs::create_directory(scratch / "out");
    // 3000 entries declaring 4 GB each: 12 TB, more than any disk the tests run on.
    std::vector<test::ZipEntry> many;
    for (int i = 0; i < 3000; ++i)
        many.push_back({"f" + std::to_string(i), std::string(200, 'z')});
    test::writeZip(scratch / "big.zip", many);
    declareSizes(scratch / "big.zip", 0xFFFFFFF0u);
    const auto big = unpackArchive(scratch / "big.zip", scratch / "out", never());
    EXPECT_EQ(big.kind, Outcome::Kind::Refused);
    EXPECT_NE(big.status.find("more than the free space"), std::string::npos) << big.status;
    EXPECT_TRUE(fs::is_empty(scratch / "out"));

    // An entry that holds more than it declares is stopped before it is written whole.
    test::writeZip(scratch / "liar.zip", {{"good.lev", std::string(200, 'g')}, {"bomb.lev", std::string(1 << 20, 'b')}});
    declareSizes(scratch / "liar.zip", 1000);
    const auto liar = unpackArchive(scratch / "liar.zip", scratch / "out", never());
    EXPECT_EQ(liar.kind, Outcome::Kind::Refused);
    EXPECT_NE(liar.status.find("holds more than the 1000 bytes it declares"), std::string::npos) << liar.status;
    EXPECT_TRUE(fs::is_empty(scratch / "out"));
}

TEST(Archive, AMoveThatFailsAtTheEndUndoesTheMovesBeforeIt)
{
    test::ScratchFolder scratch;
    test::writeZip(scratch / "a.zip", {{"one.lev", "new"}, {"sub/two.lev", "2"}, {"three.lev", "3"}});
    test::writeBytes(scratch / "one.lev", {'o'});
    // While the question is open, another program puts a folder where "three.lev" goes.
    const auto outcome = unpackArchive(scratch / "a.zip", scratch.path(), [&](std::string_view) {
        fs::create_directories(scratch / "three.lev" / "kept");
        return true;
    });
    EXPECT_EQ(outcome.kind, Outcome::Kind::Refused);
    EXPECT_EQ(test::readText(scratch / "one.lev"), "o");
    EXPECT_FALSE(fs::exists(scratch / "sub"));
    EXPECT_TRUE(fs::is_directory(scratch / "three.lev" / "kept"));
    EXPECT_EQ(contentsOf(scratch.path()),
              (std::vector<fs::path>{"a.zip", "one.lev", "three.lev", "three.lev/kept"}));
}

TEST(Archive, LinksAlreadyInTheFolderDoNotLeadOutside)
{
    test::ScratchFolder scratch;
    fs::create_directory(scratch / "extract");
    fs::create_directory(scratch / "outside");
    fs::create_directory_symlink(scratch / "outside", scratch / "extract" / "sub");
    test::writeZip(scratch / "a.zip", {{"sub/evil.lev", "x"}});
    EXPECT_EQ(unpackArchive(scratch / "a.zip", scratch / "extract", never()).kind, Outcome::Kind::Refused);
    EXPECT_TRUE(fs::is_empty(scratch / "outside"));
}

TEST(Archive, ExistingFilesAreReplacedOnlyWhenTheUserSaysSo)
{
    test::ScratchFolder scratch;
    test::writeZip(scratch / "a.zip", {{"one.lev", "new1"}, {"two.lev", "new2"}, {"sub/three.lev", "new3"}});
    test::writeBytes(scratch / "one.lev", {'o'});
    test::writeBytes(scratch / "two.lev", {'t'});
    std::vector<std::string> asked;
    std::deque<bool> answers{true, false};
    const auto outcome = unpackArchive(scratch / "a.zip", scratch.path(), [&](std::string_view question) {
        asked.emplace_back(question);
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    });
    ASSERT_TRUE(outcome.succeeded()) << outcome.status;
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(test::readText(scratch / "one.lev"), "new1");
    EXPECT_EQ(test::readText(scratch / "two.lev"), "t");
    EXPECT_EQ(test::readText(scratch / "sub" / "three.lev"), "new3");
}

TEST(Archive, AFileInTheWayOfAFolderRefusesTheWholeArchive)
{
    test::ScratchFolder scratch;
    test::writeBytes(scratch / "MAP1.LEV", {1});
    test::writeZip(scratch / "a.zip", {{"first.lev", "1"}, {"MAP1.LEV/inner.lev", "2"}});
    EXPECT_EQ(unpackArchive(scratch / "a.zip", scratch.path(), never()).kind, Outcome::Kind::Refused);
    EXPECT_FALSE(fs::exists(scratch / "first.lev"));
    EXPECT_EQ(test::readBytes(scratch / "MAP1.LEV"), std::vector<std::uint8_t>{1});
}

TEST(Archive, DamagedArchiveIsRefused)
{
    test::ScratchFolder scratch;
    fs::create_directory(scratch / "out");
    test::writeZip(scratch / "a.zip", {{"a.lev", std::string(5000, 'a')}, {"b.lev", std::string(5000, 'b')}});
    auto bytes = test::readBytes(scratch / "a.zip");
    bytes[40] ^= 0xFF;   // inside the first entry's data
    test::writeBytes(scratch / "a.zip", bytes);
    EXPECT_EQ(unpackArchive(scratch / "a.zip", scratch / "out", never()).kind, Outcome::Kind::Refused);
    EXPECT_TRUE(fs::is_empty(scratch / "out"));
    test::writeBytes(scratch / "b.zip", {1, 2, 3});
    EXPECT_EQ(unpackArchive(scratch / "b.zip", scratch / "out", never()).kind, Outcome::Kind::Refused);
}

// Without the module quorvex-codecs an unpacking is refused with the loader's message and
// writes nothing. A process keeps the module once loaded, so the case runs in a fresh run of
// this binary (a death test of the "threadsafe" style re-executes it for this test alone).
TEST(Archive, WithoutTheCodecsModuleNothingIsUnpacked)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::ScratchFolder scratch;
    fs::create_directories(scratch / "no-modules");
    fs::create_directories(scratch / "out");
    test::writeZip(scratch / "a.zip", {{"MAP1.LEV", "new"}, {"sub/MAP2.LEV", "two"}});
    test::writeBytes(scratch / "out" / "MAP1.LEV", {1, 2, 3});
    // Exits 0 when the unpacking was refused and the folder left as it was.
    const auto unpackWithoutCodecs = [&] {
        ::setenv("QUORVEX_MODULE_DIR", (scratch / "no-modules").c_str(), 1);
        const auto outcome = unpackArchive(scratch / "a.zip", scratch / "out", [](std::string_view) { return true; });
        std::cerr << outcome.status << '\n';
        const bool left = outcome.kind == Outcome::Kind::Refused &&
                          contentsOf(scratch / "out") == std::vector<fs::path>{"MAP1.LEV"} &&
                          test::readBytes(scratch / "out" / "MAP1.LEV") == std::vector<std::uint8_t>{1, 2, 3};
        fs::remove_all(scratch.path());   // _Exit skips the destructors
        std::_Exit(left ? 0 : 1);
    };
    EXPECT_EXIT(unpackWithoutCodecs(), ::testing::ExitedWithCode(0),
                "^Not unpacked \"a.zip\": The part \"quorvex-codecs\" of Quorvex could not be loaded "
                "\\(it is not installed\\); nothing was written\n$");
}

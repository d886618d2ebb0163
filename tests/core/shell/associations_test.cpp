#include "core/shell/associations.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

AssociationSet kindsNamed(std::initializer_list<const char*> words)
{
    AssociationSet kinds;
    for (auto word : words)
        kinds.set(*associationByWord(word));
    return kinds;
}

bool installed(const std::string& tool)
{
    return runCommand({"sh", "-c", "command -v " + tool}).exitCode == 0;
}

// A store in a scratch home, running the desktop's update tools as the program does.
struct ScratchDesktop {
    ScratchFolder home;
    ScratchFolder quorvexData;   // the record of what associate found, outside the desktop's folders
    DesktopFolders folders{home / "data", home / "config", quorvexData / "associations"};
    std::vector<std::vector<std::string>> toolRuns;
    std::optional<std::string> desktopAnswer;   // what xdg-mime answers instead of the real one
    FreedesktopClassStore store{folders, [this](const std::vector<std::string>& command) -> std::optional<std::string> {
                                    if (command.front() == "xdg-mime" && desktopAnswer)
                                        return desktopAnswer;
                                    toolRuns.push_back(command);
                                    if (!installed(command.front()))
                                        return std::nullopt;
                                    if (command.front() == "xdg-mime")
                                        return xdgMime({command.begin() + 1, command.end()});
                                    return runCommand(command).out;
                                }};
    fs::path program = home / "Quorvex $1.8" / "quorvex";

    std::string xdgMime(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command{"env", "XDG_DATA_HOME=" + folders.dataHome.string(),
                                         "XDG_CONFIG_HOME=" + folders.configHome.string(), "xdg-mime"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        auto out = runCommand(command).out;
        while (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
    }
};

// Every file (its bytes) and folder under root, by path from root.
std::map<std::string, std::string> treeOf(const fs::path& root)
{
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        tree[entry.path().lexically_relative(root).string()] = entry.is_directory() ? "(folder)" : readText(entry.path());
    return tree;
}

// A desktop as a user has it: their own defaults, another program's entry and the databases.
void prepareDesktop(ScratchDesktop& desktop)
{
    const auto write = [](const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        writeBytes(file, {text.begin(), text.end()});
    };
    write(desktop.store.mimeAppsFile(), "# mine\n[Default Applications]\nimage/png=gimp.desktop\n"
                                        "application/x-torlo-palette=gimp.desktop\n");
    write(desktop.folders.dataHome / "applications" / "gimp.desktop",
          "[Desktop Entry]\nType=Application\nName=GIMP\nExec=gimp %U\nMimeType=image/png;application/x-torlo-palette;\n");
    write(desktop.folders.dataHome / "icons" / "hicolor" / "scalable" / "apps" / "gimp.svg", "<svg/>");
    // The desktop passes over an entry whose program is not there (xdg-mime reads the program's
    // path up to the first space).
    desktop.program = desktop.home / "bin" / "quorvex";
    write(desktop.program, "#!/bin/sh\n");
    fs::permissions(desktop.program, fs::perms::owner_all);
}

} // namespace

TEST(Associations, TheKindsTableMatchesTheBoxesAndTheirClasses)
{
    ASSERT_EQ(AssociationKinds.size(), 6u);
    EXPECT_EQ(AssociationKinds[3].caption, "Palettes");
    EXPECT_EQ((AssociationKinds[3].extensions), (std::array<std::string_view, 3>{".act", ".lpl", ".pal"}));
    EXPECT_EQ(AssociationKinds[1].className, "Quorvex.GFXMod");
    EXPECT_EQ(AssociationKinds[1].description, "Torlo Graphics Mod");
    for (const auto& kind : AssociationKinds)
        EXPECT_FALSE(iconSvg(mimeIconName(kind)).empty()) << kind.caption;
    EXPECT_NE(iconSvg(ProgramIconName).find("<svg"), std::string_view::npos);
}

TEST(Associations, NothingChosenWritesNothing)
{
    ScratchDesktop desktop;
    const auto outcome = assignExtensions(desktop.store, {}, desktop.program);
    EXPECT_EQ(outcome.kind, Outcome::Kind::Nothing);
    EXPECT_TRUE(outcome.status.empty());
    EXPECT_FALSE(fs::exists(desktop.home / "data"));
    EXPECT_FALSE(fs::exists(desktop.home / "config"));
    EXPECT_TRUE(desktop.toolRuns.empty());
}

TEST(Associations, FreedesktopFilesForTheChosenKinds)
{
    ScratchDesktop desktop;
    const auto outcome = assignExtensions(desktop.store, kindsNamed({"levels", "palettes"}), desktop.program);
    EXPECT_EQ(outcome.status, "Extension(s) assigned");

    const auto package = readText(desktop.store.mimePackageFile());
    EXPECT_NE(package.find("<mime-type type=\"application/x-torlo-level\">"), std::string::npos);
    EXPECT_NE(package.find("<comment>Palette</comment>"), std::string::npos);
    // The game's own level by name; the generic palettes below the desktop's 50, .act not by name.
    for (const auto& [glob, weight] : {std::pair{"*.lev", "60"}, {"*.lpl", "40"}, {"*.pal", "40"}})
        EXPECT_NE(package.find(std::string("<glob pattern=\"") + glob + "\" weight=\"" + weight + "\"/>"), std::string::npos) << glob;
    EXPECT_EQ(package.find("*.act"), std::string::npos);
    EXPECT_NE(package.find("<magic priority=\"40\"><match type=\"string\" value=\"JASC-PAL\""), std::string::npos) << package;
    EXPECT_EQ(package.find("soundmod"), std::string::npos);

    const auto entry = readText(desktop.store.desktopFile());
    // A path with a space is quoted for the Exec line, its dollar escaped (twice: as an argument and as a string).
    const auto quoted = desktop.home.path().string() + "/Quorvex \\\\$1.8/quorvex";
    EXPECT_NE(entry.find("\nExec=\"" + quoted + "\" %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nMimeType=application/x-torlo-level;application/x-torlo-palette;\n"), std::string::npos);
    if (installed("desktop-file-validate")) {
        const auto check = runCommand({"desktop-file-validate", desktop.store.desktopFile().string()});
        EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
        EXPECT_EQ(check.out + check.err, "");
    }
    EXPECT_TRUE(fs::exists(desktop.home / "data/icons/hicolor/scalable/mimetypes/application-x-torlo-level.svg"));
    EXPECT_TRUE(fs::exists(desktop.home / "data/icons/hicolor/scalable/apps/quorvex.svg"));
    EXPECT_FALSE(fs::exists(desktop.home / "data/icons/hicolor/scalable/mimetypes/application-x-torlo-weapon.svg"));
    std::erase_if(desktop.toolRuns, [](const auto& run) { return run.front() == "xdg-mime"; });
    ASSERT_EQ(desktop.toolRuns.size(), 2u);
    EXPECT_EQ(desktop.toolRuns[0], (std::vector<std::string>{"update-mime-database", (desktop.home / "data/mime").string()}));
    EXPECT_EQ(desktop.toolRuns[1].front(), "update-desktop-database");

    // A later choice adds to what was registered before.
    assignExtensions(desktop.store, kindsNamed({"weapons"}), desktop.program);
    EXPECT_EQ(kindsInPackage(readText(desktop.store.mimePackageFile())), kindsNamed({"levels", "palettes", "weapons"}));
    EXPECT_NE(readText(desktop.store.desktopFile()).find("application/x-torlo-weapon;"), std::string::npos);
}

TEST(Associations, ExecLineQuotingFollowsTheDesktopEntryRules)
{
    EXPECT_NE(desktopEntry(kindsNamed({"levels"}), "/opt/quorvex/quorvex").find("\nExec=/opt/quorvex/quorvex %f\n"),
              std::string::npos);
    // Inside quotes " ` $ \ are escaped, and then every backslash once more as a string value.
    EXPECT_NE(desktopEntry(kindsNamed({"levels"}), "/opt/a$b\\c/q").find("\nExec=\"/opt/a\\\\$b\\\\\\\\c/q\" %f\n"),
              std::string::npos)
        << desktopEntry(kindsNamed({"levels"}), "/opt/a$b\\c/q");
    EXPECT_TRUE(desktopEntry(kindsNamed({"levels"}), "/opt/new\nline/quorvex").empty());

    // What an entry's Exec line starts, read back as the desktop reads it.
    for (const char* path : {"/opt/quorvex/quorvex", "/opt/a$b\\c/q", "/home/j\xC3\xB6rg/Quorvex \"1.8\"/`q`", "/a b\tc"})
        EXPECT_EQ(execProgram(desktopEntry(kindsNamed({"levels"}), path)), path) << path;
    EXPECT_EQ(execProgram("[Desktop Entry]\nExec=\"/opt/open %f\n"), std::nullopt);
    EXPECT_EQ(execProgram("[Desktop Entry]\nName=Quorvex\n"), std::nullopt);

    // Paths the desktop cannot start (a line break; a percent sign, which GLib looks up before
    // expanding "%%"; bytes that are not UTF-8) are refused before anything is written, and a
    // desktop that names another program for a kind makes the assignment a failure.
    for (const char* path : {"/tmp/a\nb", "/opt/100%/quorvex", "/opt/\xFF\xFE/quorvex"}) {
        ScratchDesktop desktop;
        EXPECT_EQ(assignExtensions(desktop.store, kindsNamed({"levels"}), path).kind, Outcome::Kind::Refused) << path;
        EXPECT_FALSE(fs::exists(desktop.store.mimePackageFile()));
    }
    ScratchDesktop desktop;
    desktop.desktopAnswer = "other.desktop\n";
    const auto other = assignExtensions(desktop.store, kindsNamed({"levels"}), desktop.program);
    EXPECT_EQ(other.kind, Outcome::Kind::Refused);
    EXPECT_EQ(other.status, "The desktop does not open application/x-torlo-level with Quorvex: xdg-mime names \"other.desktop\"");
}

TEST(Associations, MimeAppsListKeepsEveryOtherProgramsLine)
{
    const std::string before = "# mine\n[Added Associations]\napplication/x-torlo-level=other.desktop;\n\n"
                               "[Default Applications]\ntext/plain=gedit.desktop;\n"
                               "application/x-torlo-level=other.desktop;quorvex.desktop;\n";
    const auto after = withDefaults(before, {"application/x-torlo-level", "application/x-torlo-weapon"}, "quorvex.desktop");
    EXPECT_EQ(after, "# mine\n[Added Associations]\napplication/x-torlo-level=other.desktop;\n\n"
                     "[Default Applications]\napplication/x-torlo-weapon=quorvex.desktop;\ntext/plain=gedit.desktop;\n"
                     "application/x-torlo-level=quorvex.desktop;other.desktop;\n");
    EXPECT_EQ(withoutApplication(after, "quorvex.desktop"),
              "# mine\n[Added Associations]\napplication/x-torlo-level=other.desktop;\n\n"
              "[Default Applications]\ntext/plain=gedit.desktop;\napplication/x-torlo-level=other.desktop;\n");

    // No file or no section yet: the section is added.
    EXPECT_EQ(withDefaults("", {"a/b"}, "q.desktop"), "[Default Applications]\na/b=q.desktop;\n");
    EXPECT_EQ(withDefaults("[Other]\nx=y\n", {"a/b"}, "q.desktop"), "[Other]\nx=y\n\n[Default Applications]\na/b=q.desktop;\n");
    // A program whose name only begins like ours is not ours.
    EXPECT_EQ(withoutApplication("[Default Applications]\na/b=quorvex.desktop.old;\n", "quorvex.desktop"),
              "[Default Applications]\na/b=quorvex.desktop.old;\n");
}

TEST(Associations, RemovalTakesAwayOnlyWhatQuorvexWrote)
{
    ScratchDesktop desktop;
    fs::create_directories(desktop.folders.configHome);
    const std::string others = "[Default Applications]\ntext/plain=gedit.desktop;\n";
    writeBytes(desktop.store.mimeAppsFile(), {others.begin(), others.end()});
    const auto foreignIcon = desktop.home / "data/icons/hicolor/scalable/mimetypes/text-x-other.svg";
    fs::create_directories(foreignIcon.parent_path());
    writeBytes(foreignIcon, {'<'});
    assignExtensions(desktop.store, AssociationSet().set(), desktop.program);

    EXPECT_EQ(removeExtensions(desktop.store).status, "Associations removed");
    EXPECT_FALSE(fs::exists(desktop.store.mimePackageFile()));
    EXPECT_FALSE(fs::exists(desktop.store.desktopFile()));
    EXPECT_FALSE(fs::exists(desktop.store.iconFile(ProgramIconName)));
    for (const auto& kind : AssociationKinds)
        EXPECT_FALSE(fs::exists(desktop.store.iconFile(mimeIconName(kind))));
    EXPECT_TRUE(fs::exists(foreignIcon));
    EXPECT_EQ(readText(desktop.store.mimeAppsFile()), "[Default Applications]\ntext/plain=gedit.desktop;\n");
}

TEST(Associations, TheDesktopAnswersQuorvexForEachType)
{
    if (!installed("xdg-mime") || !installed("update-mime-database"))
        GTEST_SKIP() << "xdg-utils or shared-mime-info not installed";
    ScratchDesktop desktop;
    assignExtensions(desktop.store, AssociationSet().set(), desktop.program);
    for (const auto& kind : AssociationKinds)
        EXPECT_EQ(desktop.xdgMime({"query", "default", std::string(kind.mimeType)}), DesktopId) << kind.mimeType;
    removeExtensions(desktop.store);
    for (const auto& kind : AssociationKinds)
        EXPECT_EQ(desktop.xdgMime({"query", "default", std::string(kind.mimeType)}), "") << kind.mimeType;
}

// Quorvex claims a file by its mark where the kind has one; for the extensions that other types
// use (.snd is Sun audio, .lwp Lotus Word Pro) the extension alone leaves the desktop's type.
TEST(Associations, TheDesktopKnowsTorloFilesByTheirMarkAndLeavesOtherFilesBe)
{
    if (!installed("xdg-mime") || !installed("update-mime-database") || !installed("gio"))
        GTEST_SKIP() << "xdg-utils, shared-mime-info or gio not installed";
    ScratchDesktop desktop;
    assignExtensions(desktop.store, AssociationSet().set(), desktop.program);
    DemoGame demo;
    const auto files = desktop.home / "files";
    fs::create_directories(files);
    fs::copy_file(demo.workspace.torloSnd(), files / "bank.snd");
    // A real audio file: Sun audio, 8-bit mu-law, one channel, 8000 per second.
    std::vector<std::uint8_t> sun{'.', 's', 'n', 'd', 0, 0, 0, 24, 0, 0, 0, 64, 0, 0, 0, 1, 0, 0, 0x1f, 0x40, 0, 0, 0, 1};
    sun.resize(24 + 64, 0x7f);
    writeBytes(files / "beep.snd", sun);
    writeBytes(files / "noise.snd", std::vector<std::uint8_t>(600, 0x33));
    const auto text = [&](const std::string& name, const std::string& content) {
        writeBytes(files / name, std::vector<std::uint8_t>(content.begin(), content.end()));
    };
    text("gun.lwp", "TORLOKIT:WEAPONPLUGIN\r\nWEAPON:1\r\n");
    text("gun2.lwp", "LWP\r\nVERSION:2\r\n");
    text("letter.lwp", "a word processor's document");
    text("french.llf", "Torlo Language File\r\nFormat created by Vandrel and Morvane\r\nLanguage: French\r\n");
    text("warm.pal", "JASC-PAL\r\n0100\r\n256\r\n");
    fs::copy_file(demo.game() / "mods" / "MEADOW.LEV", files / "MEADOW.LEV");
    const std::pair<const char*, const char*> expected[] = {
        {"bank.snd", "application/x-torlo-soundmod"}, {"beep.snd", "audio/basic"},
        {"noise.snd", "audio/basic"},                 {"gun.lwp", "application/x-torlo-weapon"},
        {"gun2.lwp", "application/x-torlo-weapon"},   {"letter.lwp", "application/vnd.lotus-wordpro"},
        {"french.llf", "application/x-torlo-translation"}, {"warm.pal", "application/x-torlo-palette"},
        {"MEADOW.LEV", "application/x-torlo-level"},
    };
    for (const auto& [name, type] : expected) {
        EXPECT_EQ(desktop.xdgMime({"query", "filetype", (files / name).string()}), type) << name;
        const auto gio = runCommand({"env", "XDG_DATA_HOME=" + desktop.folders.dataHome.string(), "gio", "info", "-a",
                                     "standard::content-type", (files / name).string()});
        EXPECT_NE(gio.out.find(std::string("standard::content-type: ") + type + "\n"), std::string::npos) << name << gio.out;
    }
}

// A type the user gave another program stays with it (said, and a success) unless forced.
TEST(Associations, TheUsersOwnDefaultIsLeftAloneUnlessForced)
{
    ScratchDesktop desktop;
    prepareDesktop(desktop);
    auto done = assignExtensions(desktop.store, AssociationSet().set(), desktop.program, false);
    EXPECT_TRUE(done.succeeded());
    EXPECT_EQ(done.status, "Extension(s) assigned; left with the program you chose for them: Palettes (--force gives them to Quorvex)");
    const auto list = readText(desktop.store.mimeAppsFile());
    EXPECT_NE(list.find("\napplication/x-torlo-palette=gimp.desktop\n"), std::string::npos) << list;
    EXPECT_NE(list.find("application/x-torlo-level=" + std::string(DesktopId) + ";\n"), std::string::npos) << list;

    done = assignExtensions(desktop.store, kindsNamed({"palettes"}), desktop.program, false);
    EXPECT_EQ(done.status.rfind("No extension assigned; left with", 0), 0u) << done.status;
    done = assignExtensions(desktop.store, kindsNamed({"palettes"}), desktop.program, true);
    EXPECT_EQ(done.status, "Extension(s) assigned");
    EXPECT_NE(readText(desktop.store.mimeAppsFile()).find("application/x-torlo-palette=" + std::string(DesktopId) + ";gimp.desktop;\n"),
              std::string::npos);
}

// Removal puts the desktop's folders back byte for byte, with the databases the update tools
// rewrote; a file the user changed in between loses only Quorvex's part.
TEST(Associations, RemovalPutsTheDesktopBackAsItWas)
{
    for (const bool userChangesTheList : {false, true}) {
        ScratchDesktop desktop;
        prepareDesktop(desktop);
        if (installed("update-desktop-database"))
            runCommand({"update-desktop-database", (desktop.folders.dataHome / "applications").string()});
        const auto before = treeOf(desktop.home.path());
        ASSERT_TRUE(assignExtensions(desktop.store, kindsNamed({"levels", "sounds"}), desktop.program, false).succeeded());
        ASSERT_TRUE(assignExtensions(desktop.store, AssociationSet().set(), desktop.program, true).succeeded());
        EXPECT_NE(treeOf(desktop.home.path()), before);
        if (userChangesTheList) {
            auto list = readText(desktop.store.mimeAppsFile()) + "text/plain=gedit.desktop;\n";
            writeBytes(desktop.store.mimeAppsFile(), {list.begin(), list.end()});
        }
        EXPECT_EQ(removeExtensions(desktop.store).status, "Associations removed");
        auto expected = before;
        if (userChangesTheList)
            expected["config/mimeapps.list"] = "# mine\n[Default Applications]\nimage/png=gimp.desktop\n"
                                               "application/x-torlo-palette=gimp.desktop;\ntext/plain=gedit.desktop;\n";
        EXPECT_EQ(treeOf(desktop.home.path()), expected) << userChangesTheList;
        EXPECT_FALSE(fs::exists(desktop.folders.record));
    }
}

// An association that the desktop does not take is undone whole: nothing changed, a failure said.
TEST(Associations, AFailedAssociationLeavesEverythingAsItWas)
{
    ScratchDesktop desktop;
    prepareDesktop(desktop);
    const auto before = treeOf(desktop.home.path());
    desktop.desktopAnswer = "gimp.desktop";
    const auto failed = assignExtensions(desktop.store, AssociationSet().set(), desktop.program, true);
    EXPECT_EQ(failed.kind, Outcome::Kind::Refused);
    EXPECT_NE(failed.status.find("xdg-mime names \"gimp.desktop\""), std::string::npos) << failed.status;
    EXPECT_EQ(treeOf(desktop.home.path()), before);
    EXPECT_FALSE(fs::exists(desktop.folders.record / "before"));
}

// Palettes are generic formats: a text file named .act is no Torlo palette, and a JASC palette
// is the shared database's own type where it has one.
TEST(Associations, PalettesAreClaimedBelowTheSharedDatabase)
{
    if (!installed("xdg-mime") || !installed("update-mime-database") || !installed("gio"))
        GTEST_SKIP() << "xdg-utils, shared-mime-info or gio not installed";
    ScratchDesktop desktop;
    assignExtensions(desktop.store, AssociationSet().set(), desktop.program);
    const auto files = desktop.home / "files";
    fs::create_directories(files);
    const auto text = [&](const std::string& name, const std::string& content) {
        writeBytes(files / name, std::vector<std::uint8_t>(content.begin(), content.end()));
    };
    text("notes.act", "a shopping list\n");
    text("warm.pal", "JASC-PAL\r\n0100\r\n256\r\n0 0 0\r\n");
    // A shared database that knows JASC palettes, as newer ones do.
    const auto shared = desktop.home / "shared";
    fs::create_directories(shared / "mime" / "packages");
    text("../shared/mime/packages/jasc.xml",
         "<?xml version=\"1.0\"?>\n<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
         "<mime-type type=\"application/x-jasc-palette\"><glob pattern=\"*.pal\"/>"
         "<magic><match type=\"string\" value=\"JASC-PAL\" offset=\"0\"/></magic></mime-type>\n</mime-info>\n");
    runCommand({"update-mime-database", (shared / "mime").string()});
    const auto typeOf = [&](const std::string& name, const std::string& dataDirs) {
        const auto gio = runCommand({"env", "XDG_DATA_HOME=" + desktop.folders.dataHome.string(), "XDG_DATA_DIRS=" + dataDirs,
                                     "gio", "info", "-a", "standard::content-type", (files / name).string()});
        const auto at = gio.out.find("standard::content-type: ");
        return at == std::string::npos ? gio.out : gio.out.substr(at + 24, gio.out.find('\n', at) - at - 24);
    };
    EXPECT_EQ(typeOf("notes.act", "/usr/share"), "text/plain");
    EXPECT_EQ(typeOf("warm.pal", "/usr/share"), "application/x-torlo-palette");
    EXPECT_EQ(typeOf("warm.pal", shared.string() + ":/usr/share"), "application/x-jasc-palette");
    EXPECT_NE(desktop.xdgMime({"query", "filetype", (files / "notes.act").string()}), "application/x-torlo-palette");
}

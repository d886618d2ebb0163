#include "test_support.h"
#include "programs.h"
#include "demo_game.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

namespace fs = std::filesystem;

namespace quorvex::test {

ScratchFolder::ScratchFolder()
{
    // Screenshots for the help and the README show the folder in the browser: there it has a
    // plain name, the first free one of Torlo, Torlo2, Torlo3 ...
    if (std::getenv("QUORVEX_SHOTS_DIR")) {
        for (int n = 1;; ++n) {
            path_ = fs::temp_directory_path() / (n == 1 ? std::string("Torlo") : "Torlo" + std::to_string(n));
            if (fs::create_directory(path_))
                return;
        }
    }
    static std::mt19937_64 random{std::random_device{}()};
    path_ = fs::temp_directory_path() / ("quorvex-test-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
    fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code error;
    fs::remove_all(path_, error);
}

DemoGame::DemoGame()
{
    workspace.gameFolder = scratch / "game";
    workspace.dataFolder = scratch / "data";
    workspace.tempFolder = scratch / "temp";
    workspace.resourceFile = QUORVEX_TEST_RESOURCE_FILE;
    fs::create_directories(workspace.dataFolder);
    fs::create_directories(workspace.tempFolder);
    demo::writeGameFolder(workspace.gameFolder, true);
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

std::string FixedClock::shortDate() const
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", date.day, date.month, date.year);
    return text;
}

bool MemorySettings::contains(const std::string& name) const
{
    return texts.count(name) || integers.count(name);
}

std::optional<std::string> MemorySettings::text(const std::string& name) const
{
    if (auto it = texts.find(name); it != texts.end())
        return it->second;
    if (auto it = integers.find(name); it != integers.end())
        return std::to_string(it->second);
    return std::nullopt;
}

std::optional<std::int64_t> MemorySettings::integer(const std::string& name) const
{
    if (auto it = integers.find(name); it != integers.end())
        return it->second;
    return std::nullopt;
}

void MemorySettings::setText(const std::string& name, const std::string& value)
{
    integers.erase(name);
    texts[name] = value;
}

void MemorySettings::setInteger(const std::string& name, std::int64_t value)
{
    texts.erase(name);
    integers[name] = value;
}

bool ScriptedPrompts::askYesNo(const std::string& text)
{
    shown.push_back(text);
    if (yesNo.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return false;
    }
    const bool answer = yesNo.front();
    yesNo.pop_front();
    return answer;
}

Prompts::Answer ScriptedPrompts::askYesNoCancel(const std::string& text)
{
    shown.push_back(text);
    if (yesNoCancel.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return Answer::Cancel;
    }
    const auto answer = yesNoCancel.front();
    yesNoCancel.pop_front();
    return answer;
}

Prompts::Unsaved ScriptedPrompts::askUnsaved(const std::string& text, const UnsavedChoices& choices)
{
    shown.push_back(text);
    unsavedChoices.push_back(choices);
    if (unsaved.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return Unsaved::Discard;
    }
    const auto answer = unsaved.front();
    unsaved.pop_front();
    return answer;
}

std::optional<fs::path> ScriptedPrompts::openFile(const std::string& filter, const fs::path& initial,
                                                  const std::string& title)
{
    titles.push_back(title);
    filters.push_back(filter);
    initialNames.push_back(initial);
    if (files.empty()) {
        ADD_FAILURE() << "unexpected open dialog: " << filter;
        return std::nullopt;
    }
    auto answer = files.front();
    files.pop_front();
    return answer;
}

std::optional<fs::path> ScriptedPrompts::saveFile(const std::string& filter, const fs::path& initial, const std::string&)
{
    return openFile(filter, initial);
}

std::optional<std::uint32_t> ScriptedPrompts::chooseColour(std::uint32_t initial)
{
    colourInitials.push_back(initial);
    if (colours.empty()) {
        ADD_FAILURE() << "unexpected colour dialog";
        return std::nullopt;
    }
    auto answer = colours.front();
    colours.pop_front();
    return answer;
}

std::vector<std::uint8_t> readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string readText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::optional<CommandResult> runInDosBox(const std::filesystem::path& folder, const std::vector<std::string>& commands,
                                         const std::filesystem::path& scratch)
{
    std::stringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
    std::filesystem::path dosbox;
    for (std::string entry; dosbox.empty() && std::getline(path, entry, ':');)
        if (!entry.empty() && std::filesystem::exists(std::filesystem::path(entry) / "dosbox"))
            dosbox = std::filesystem::path(entry) / "dosbox";
    if (dosbox.empty())
        return std::nullopt;
    std::string settings = "[sdl]\nfullscreen=false\n[mixer]\nnosound=true\n[speaker]\npcspeaker=false\n"
                           "[autoexec]\nmount c \"" + folder.string() + "\"\nc:\n";
    for (const auto& command : commands)
        settings += command + "\n";
    settings += "exit\n";
    const auto config = scratch / "dosbox.conf";
    writeBytes(config, std::vector<std::uint8_t>(settings.begin(), settings.end()));
    return runCommand({"env", "HOME=" + scratch.string(), "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "timeout", "60",
                       dosbox.string(), "-conf", config.string()});
}

CommandResult runCommand(const std::vector<std::string>& arguments, const std::string& input)
{
    // Standard output and error go to files so that neither pipe can fill and block the child.
    ScratchFolder scratch;
    const auto outFile = scratch / "out", errFile = scratch / "err", inFile = scratch / "in";
    std::ofstream(inFile, std::ios::binary) << input;
    const pid_t child = ::fork();
    if (child == 0) {
        std::freopen(inFile.c_str(), "rb", stdin);
        std::freopen(outFile.c_str(), "wb", stdout);
        std::freopen(errFile.c_str(), "wb", stderr);
        std::vector<char*> argv;
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        std::_Exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(outFile), readText(errFile)};
}

namespace {

std::string windowsBuild()
{
    const char* folder = std::getenv("QUORVEX_TEST_WINDOWS_BUILD");
    return folder ? folder : "";
}

} // namespace

bool testsWindowsBuild()
{
    return !windowsBuild().empty();
}

std::string joinedAsPrinted(const fs::path& folder, const std::string& name)
{
    return folder.string() + (testsWindowsBuild() ? "\\" : "/") + name;
}

std::string absoluteAsPrinted(const fs::path& path)
{
    if (!testsWindowsBuild())
        return path.string();
    auto shown = "Z:" + path.string();
    std::replace(shown.begin(), shown.end(), '/', '\\');
    return shown;
}

std::string cliProgram()
{
    return testsWindowsBuild() ? windowsBuild() + "/quorvex-cli" : QUORVEX_CLI_PATH;
}

std::string demoProgram()
{
    return testsWindowsBuild() ? windowsBuild() + "/quorvex-demo-game" : QUORVEX_DEMO_PATH;
}

CommandResult runCli(const std::vector<std::string>& arguments)
{
    std::vector<std::string> all{quorvex::test::cliProgram()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return runCommand(all);
}

CommandResult runCli(const fs::path& dataFolder, const std::vector<std::string>& arguments)
{
    std::vector<std::string> all{"env", "QUORVEX_DATA_DIR=" + dataFolder.string(), quorvex::test::cliProgram()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return runCommand(all);
}

bool canDropPrivileges()
{
    return ::geteuid() == 0 && ::access("/usr/bin/setpriv", X_OK) == 0;
}

std::string errorText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const FileError& error) {
        return error.what();
    }
    return "no error";
}

std::string inChildProcess(bool unprivileged, const std::function<std::string()>& action)
{
    int pipe[2];
    if (::pipe(pipe) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        std::string text;
        if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            text = "could not drop privileges";
        else
            text = action();
        (void)!::write(pipe[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(pipe[0]);
    ::waitpid(child, nullptr, 0);
    return text;
}

void writeZip(const fs::path& archive, const std::vector<ZipEntry>& entries)
{
    int code = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(zip, nullptr) << code;
    for (const auto& entry : entries) {
        zip_source_t* source = zip_source_buffer(zip, entry.content.data(), entry.content.size(), 0);
        const auto index = zip_file_add(zip, entry.name.c_str(), source, ZIP_FL_ENC_RAW);
        ASSERT_GE(index, 0) << zip_strerror(zip);
        if (entry.link)
            zip_file_set_external_attributes(zip, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                             (0120777u) << 16);
    }
    ASSERT_EQ(zip_close(zip), 0) << zip_strerror(zip);
}

std::vector<std::string> zipEntryNames(const fs::path& archive)
{
    std::vector<std::string> names;
    int code = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, &code);
    if (!zip)
        return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i)
        names.emplace_back(zip_get_name(zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW));
    zip_discard(zip);
    return names;
}

} // namespace quorvex::test

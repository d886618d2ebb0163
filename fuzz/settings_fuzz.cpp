// The settings values read at start-up, one a line in the order of the table below: yes/no
// texts, the filter bits, the colour scheme, the game folder, the emulator and the editor.
#include "core/browser/file_filter.h"
#include "core/browser/file_operations.h"
#include "fuzz_support.h"
#include "core/shell/settings.h"

#include <charconv>
#include <map>
#include <sstream>

using namespace quorvex;

namespace {

constexpr const char* Names[] = {setting::TorloPath, setting::FG,      setting::BG,         setting::Filter,
                                 setting::DoSound,   setting::MakePL,  setting::Stretch,    setting::Font,
                                 setting::UsePal,    setting::SortExt, setting::MakeLWP2,   setting::RunCommand,
                                 setting::TextEditor};

// The store as the settings file gives it: every value a text, integers where the text is one.
class InputSettings final : public SettingsStore {
public:
    std::map<std::string, std::string> values;
    bool contains(const std::string& name) const override { return values.contains(name); }
    std::optional<std::string> text(const std::string& name) const override
    {
        const auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<std::int64_t> integer(const std::string& name) const override
    {
        const auto value = text(name);
        std::int64_t number = 0;
        if (!value || std::from_chars(value->data(), value->data() + value->size(), number).ec != std::errc{})
            return std::nullopt;
        return number;
    }
    void setText(const std::string& name, const std::string& value) override { values[name] = value; }
    void setInteger(const std::string& name, std::int64_t value) override { values[name] = std::to_string(value); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    InputSettings settings;
    std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
    std::string line;
    for (const char* name : Names)
        if (std::getline(lines, line))
            settings.values[name] = line;

    for (const char* name : Names) {
        fuzz::check(!(isYes(settings, name) && isNo(settings, name)), "a value is not yes and no at once");
        textOr(settings, name, "fallback");
    }
    const auto bits = settings.integer(setting::Filter).value_or(DefaultFilter);
    const auto ticks = filterTicksFromBits(bits);
    const auto mask = fileMask(ticks);
    fuzz::check(mask.empty() || mask.back() != ';', "the mask has no final separator");
    const auto back = filterBitsFromTicks(ticks);
    fuzz::check(back >= 0 && back <= 511 && (bits < 0 || bits > 511 || back == bits), "the filter bits round-trip");

    std::uint32_t draw = 12345;
    const auto random = [&] { return static_cast<std::int64_t>((draw = draw * 1103515245 + 12345) % 16777215); };
    const auto scheme = settings.integer(setting::FG).value_or(0);
    schemeColours(static_cast<int>(scheme), random);

    Workspace workspace;
    workspace.gameFolder = settings.text(setting::TorloPath).value_or("");
    const auto game = gameLaunch(workspace, settings);
    fuzz::check(!game.target.empty() && game.parameters.find("torlo.exe") != std::string::npos,
                "the game is started through an emulator");
    editLaunch("/x/notes.llf", settings);
    return 0;
}

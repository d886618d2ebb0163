#pragma once
// The outside effects of the program, each behind a small interface with one real
// implementation and one test double: dialogs, the shell, the clock and the settings store.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvex {

// A yes/no question asked by a core operation; true means yes.
using Asker = std::function<bool(std::string_view question)>;

// The captions of the first two answers to a question about unsaved edits.
struct UnsavedChoices {
    std::string save = "Save";
    std::string discard = "Discard";
};

class Prompts {
public:
    enum class Answer { Yes, No, Cancel };
    virtual ~Prompts() = default;
    virtual void information(const std::string& text) = 0;
    virtual void error(const std::string& text) = 0;
    virtual bool askYesNo(const std::string& text) = 0;
    virtual Answer askYesNoCancel(const std::string& text) = 0;
    // Before edits that are not saved would be dropped: "Save", "Discard" or "Cancel"; the
    // choices name the first two otherwise ("Save all"; "Save over it" and "Reload").
    enum class Unsaved { Save, Discard, Cancel };
    virtual Unsaved askUnsaved(const std::string& text, const UnsavedChoices& choices = {}) = 0;
    // filter in the "Caption|*.ext|Caption|*.*" form; empty result when cancelled. title says
    // what the dialog asks for.
    virtual std::optional<std::filesystem::path> openFile(const std::string& filter,
                                                          const std::filesystem::path& initial,
                                                          const std::string& title = "Open") = 0;
    virtual std::optional<std::filesystem::path> saveFile(const std::string& filter,
                                                          const std::filesystem::path& initial,
                                                          const std::string& defaultExtension) = 0;
    // Colours in the toolkit's form (red in the low byte).
    virtual std::optional<std::uint32_t> chooseColour(std::uint32_t initial) = 0;
};

class Shell {
public:
    enum class Window { Normal, Minimised, Maximised };
    virtual ~Shell() = default;
    // Opens a document or address with its associated program, or starts a program with
    // parameters. Returns an empty text on success, else what went wrong and what to do.
    virtual std::string open(const std::string& target, const std::string& parameters,
                             const std::filesystem::path& workingFolder, Window window) = 0;
};

struct Date {
    int year = 0, month = 0, day = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual Date today() const = 0;
    // The system's short date and long time formats.
    virtual std::string shortDate() const = 0;
    virtual std::string longTime() const = 0;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual bool contains(const std::string& name) const = 0;
    virtual std::optional<std::string> text(const std::string& name) const = 0;
    virtual std::optional<std::int64_t> integer(const std::string& name) const = 0;
    virtual void setText(const std::string& name, const std::string& value) = 0;
    virtual void setInteger(const std::string& name, std::int64_t value) = 0;
};

} // namespace quorvex

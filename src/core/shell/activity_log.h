#pragma once
// quorvex.log: a plain-text diary of the changes made to the game, CRLF line ends, appended to.
#include "core/base/services.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace quorvex {

class ActivityLog {
public:
    ActivityLog(std::filesystem::path file, const Clock& clock) : file_(std::move(file)), clock_(clock) {}

    // Once at start: a creation header for a new log, else a dated separator.
    void writeStartHeader();
    // "- " + time + ": " + message.
    void append(const std::string& message);
    // A whole line as it stands (the few entries that carry no time).
    void appendLine(const std::string& line);

    const std::filesystem::path& file() const { return file_; }

private:
    void appendLines(std::initializer_list<std::string> lines);
    void create();

    std::filesystem::path file_;
    const Clock& clock_;
};

// text with its control characters written as escapes (\n, \r, \t, else \xHH), so that a value
// or a path holding a line break stays on its one line and cannot pass for another.
std::string escapedText(std::string_view text);

struct Outcome;
// An operation's log entry, with or without its time as the operation says.
// A change has already been made when its entry is appended: a log that cannot be written gives
// back a warning to show instead of an error that would report the change as failed.
std::string appendToLog(ActivityLog& log, const Outcome& outcome);

} // namespace quorvex

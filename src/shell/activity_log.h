#pragma once
// quorvex.log: a plain-text diary of the changes made to the game, CRLF line ends, appended to.
#include "shell/services.h"

#include <filesystem>
#include <string>

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

struct Outcome;
// An operation's log entry, with or without its time as the operation says.
void appendToLog(ActivityLog& log, const Outcome& outcome);

} // namespace quorvex

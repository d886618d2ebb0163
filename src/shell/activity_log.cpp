#include "shell/activity_log.h"
#include "shell/outcome.h"
#include "gameexe/errors.h"

#include <cerrno>
#include <cstdio>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr const char* Rule = "------------------------------";

void writeLines(const fs::path& file, const char* mode, std::initializer_list<std::string> lines)
{
    std::FILE* out = std::fopen(file.string().c_str(), mode);
    if (!out)
        throw FileError::fromErrno(errno);
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const int code = errno;
    if (std::fclose(out) != 0 || !written)
        throw FileError::fromErrno(written ? errno : code);
}

} // namespace

void ActivityLog::create()
{
    writeLines(file_, "wb", {Rule, "  Quorvex Log created " + clock_.shortDate() + " on " + clock_.longTime(),
                             "  Read this Log to see what actions you performed", Rule});
}

void ActivityLog::writeStartHeader()
{
    std::error_code error;
    if (fs::exists(file_, error))
        writeLines(file_, "ab", {"", "----------", "Quorvex Log date " + clock_.shortDate()});
    else
        create();
}

void ActivityLog::appendLines(std::initializer_list<std::string> lines)
{
    // A log deleted during the run starts again with its creation header, so an action that
    // already succeeded is never reported as a failure.
    std::error_code error;
    if (!fs::exists(file_, error))
        create();
    writeLines(file_, "ab", lines);
}

void ActivityLog::append(const std::string& message)
{
    appendLines({"- " + clock_.longTime() + ": " + message});
}

void ActivityLog::appendLine(const std::string& line)
{
    appendLines({line});
}

void appendToLog(ActivityLog& log, const Outcome& outcome)
{
    if (outcome.logWithoutTime)
        log.appendLine("- " + outcome.logMessage);
    else
        log.append(outcome.logMessage);
}

} // namespace quorvex

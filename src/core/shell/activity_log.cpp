#include "core/shell/activity_log.h"
#include "core/base/outcome.h"
#include "core/base/errors.h"
#include "core/os/files.h"

#include <cerrno>
#include <cstdio>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr const char* Rule = "------------------------------";

void writeLines(const fs::path& file, const char* mode, std::initializer_list<std::string> lines)
{
    // The narrow name is UTF-8, which Windows takes through the manifest's code page.
    std::FILE* out = std::fopen(os::textOf(file).c_str(), mode);
    if (!out)
        throw FileError::fromErrno(errno, file);
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const int code = errno;
    if (std::fclose(out) != 0 || !written)
        throw FileError::fromErrno(written ? errno : code, file);
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
    appendLines({"- " + clock_.longTime() + ": " + escapedText(message)});
}

void ActivityLog::appendLine(const std::string& line)
{
    appendLines({escapedText(line)});
}

std::string escapedText(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n')
            escaped += "\\n";
        else if (c == '\r')
            escaped += "\\r";
        else if (c == '\t')
            escaped += "\\t";
        else if (byte < 0x20 || byte == 0x7F) {
            constexpr char Digits[] = "0123456789abcdef";
            escaped += {'\\', 'x', Digits[byte >> 4], Digits[byte & 15]};
        } else
            escaped += c;
    }
    return escaped;
}

std::string appendToLog(ActivityLog& log, const Outcome& outcome)
{
    try {
        if (outcome.logWithoutTime)
            log.appendLine("- " + outcome.logMessage);
        else
            log.append(outcome.logMessage);
        return {};
    } catch (const FileError& error) {
        return std::string("The change was made, but the activity log could not be written: ") + error.what();
    }
}

} // namespace quorvex

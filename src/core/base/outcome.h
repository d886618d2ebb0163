#pragma once
// What a core operation did, for the caller to show: the status text first, then the log line.
#include "core/base/game_parts.h"
#include "core/os/files.h"

#include <filesystem>
#include <string>

namespace quorvex {

struct Outcome {
    enum class Kind { Done, Refused, Nothing };
    Kind kind = Kind::Nothing;
    std::string status;       // empty: the status bar keeps its text
    std::string logMessage;   // empty: no log entry
    bool logWithoutTime = false;   // the entry is "- " + message, with no time
    GameParts changed;             // the parts of the game it changed, whatever its kind

    static Outcome done(std::string status, std::string log = {}) { return {Kind::Done, std::move(status), std::move(log), false, {}}; }
    static Outcome refused(std::string status) { return {Kind::Refused, std::move(status), {}, false, {}}; }
    static Outcome nothing(std::string why = {}) { return {Kind::Nothing, std::move(why), {}, false, {}}; }
    // An edit that found every value already in place: it wrote nothing, adds no step to the
    // history and logs nothing, and says so.
    static Outcome unchanged() { return done("Nothing changed: the game already holds these values"); }
    bool succeeded() const { return kind == Kind::Done; }
    Outcome changing(GameParts parts) && { changed |= parts; return std::move(*this); }
};

// A file name as status texts show it: in double quotation marks.
inline std::string inQuotes(const std::filesystem::path& path)
{
    return "\"" + os::textOf(path) + "\"";
}

} // namespace quorvex

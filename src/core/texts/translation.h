#pragma once
// Translation files (.LLF): a complete set of game texts, one per line, that players share.
#include "core/base/workspace.h"
#include "core/base/outcome.h"
#include "core/base/services.h"
#include "core/texts/game_texts.h"

#include <filesystem>
#include <string>

namespace quorvex {

inline constexpr const char* TranslationFilter = "Torlo Language Files|*.llf|All files|*.*";
inline constexpr const char* TranslationExtension = "llf";
// The author the text editor shows before one is stored (the web site: CommunitySite).
inline constexpr const char* DesignAuthor = "Quorvex";

struct TranslationName {
    std::filesystem::path file;   // the name cut at its first dot, with ".LLF"
    std::string language;         // the file name without folder and extension
};
// The file written for a name chosen in the save dialog: French, French.llf and French.txt give
// French.LLF, my.french.llf gives my.LLF; dots in folder names do not count.
TranslationName translationName(const std::filesystem::path& chosen);

// The whole file as the editor writes it: six header lines, then the texts of lines 7 to 173,
// each line ended by CR LF. Author and web site are game text (8-bit).
std::string translationText(const std::string& language, const std::string& author, const std::string& website,
                            const GameTextValues& values);

// "Save to file": writes translationText whole (a failure leaves no partial file). Refused,
// with nothing written, when a text holds a line break, which would shift every later line.
Outcome exportTranslation(const TranslationName& name, const std::string& author, const std::string& website,
                          const GameTextValues& values);

// Activation of a .LLF file: checks the header ("Invalid file"), asks, and writes lines 7 to
// 170 into torlo.exe (line 145 to both places of "Print Screen"). A line longer than its field
// is cut to the width; a missing or empty line leaves its field as it is.
Outcome importTranslation(const std::filesystem::path& file, const Workspace& workspace, const Asker& ask);

} // namespace quorvex

#pragma once
// The documents made from the command table at build time, so that they never drift from it:
// the manual page, the bash completion and the help page of quorvex-cli.
#include "cli/cli.h"

#include <string>

namespace quorvex::cli {

// quorvex-cli.1 in man(7) form.
std::string manPage(const CommandTable& table);
// The bash completion script: commands, options, the keys of KEY=VALUE commands, the words of
// a usage ("weapon|object|sobject") and file names by the extensions a command takes.
std::string bashCompletion(const CommandTable& table);
// The body of the help page "quorvex-cli" (HTML, without the page around it).
std::string htmlReference(const CommandTable& table);

} // namespace quorvex::cli

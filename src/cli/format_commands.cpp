// convert, activate, preview: the mod formats.
#include "cli/cli.h"

namespace quorvex::cli {

void addFormatCommands(CommandTable& table)
{
    (void)table;
}

} // namespace quorvex::cli

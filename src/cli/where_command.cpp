#include "cli/commands.h"

namespace dorvane::cli {

// Placeholder until the command is written.
void AddWhereCommand(CLI::App& /*app*/) {}

}  // namespace dorvane::cli

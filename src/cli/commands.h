#pragma once

#include <CLI/CLI.hpp>

namespace dorvane::cli {

// Each subcommand registers itself on the application; its callback does the work and
// throws platform::PlatformError for the errors the user is shown.
void AddListCommand(CLI::App& app);
void AddCatCommand(CLI::App& app);
void AddRecoverCommand(CLI::App& app);
void AddWhereCommand(CLI::App& app);
void AddTreeCommand(CLI::App& app);
void AddExtractCommand(CLI::App& app);
void AddBatchCommand(CLI::App& app);
void AddExportStoreCommand(CLI::App& app);
void AddDeletedCommand(CLI::App& app);

}  // namespace dorvane::cli

#include <iostream>

#include "cli/commands.h"
#include "store/store_location.h"

namespace dorvane::cli {

void AddWhereCommand(CLI::App& app) {
    CLI::App* where = app.add_subcommand(
        "where", "Print the store directory the registry records (an empty line for none)");
    where->callback([] { std::cout << LocateStoreRoot() << "\n"; });
}

}  // namespace dorvane::cli

// dorvane-cli: the store reader for scripts and servers. Parse the arguments, run the
// subcommand, turn its error into a message and an exit status.

#include <clocale>
#include <iostream>

#include "cli/commands.h"
#include "cli/output.h"

namespace {

int Run(int argc, char** argv) {
    // Dates follow the user's LC_TIME, as in the window; nothing else depends on the locale.
    std::setlocale(LC_TIME, "");
    const dorvane::cli::BinaryOutput output;

    CLI::App app{"Reads Outlook Express 5 mail stores.", "dorvane-cli"};
    app.require_subcommand(1);
    dorvane::cli::AddListCommand(app);
    dorvane::cli::AddCatCommand(app);
    dorvane::cli::AddRecoverCommand(app);
    dorvane::cli::AddWhereCommand(app);
    dorvane::cli::AddTreeCommand(app);
    dorvane::cli::AddExtractCommand(app);
    dorvane::cli::AddBatchCommand(app);
    dorvane::cli::AddExportStoreCommand(app);
    dorvane::cli::AddDeletedCommand(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::RuntimeError& error) {
        // A command that has said what went wrong and only asks for its exit status.
        std::cout.flush();
        return error.get_exit_code();
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& error) {
        std::cerr << "usage: dorvane-cli COMMAND [ARGS...]   (dorvane-cli --help lists them)\n"
                  << error.what() << "\n";
        return 2;
    } catch (const std::exception& error) {
        // Platform errors carry the user's text; anything else (memory exhausted, say)
        // still ends the command with its reason rather than an abort.
        std::cout.flush();
        std::cerr << error.what() << "\n";
        return 1;
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (...) {
        // Setting up the commands or printing the help failed, out of memory most likely:
        // a failure status rather than an abort.
        return 1;
    }
}

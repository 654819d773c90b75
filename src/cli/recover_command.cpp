#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "recovery/recovery_scan.h"
#include "store/record_format.h"

namespace dorvane::cli {

namespace {

struct RecoverOptions {
    std::string File;
    bool Json = false;
};

void RunRecover(const RecoverOptions& options) {
    ReaderState reader;
    MessageList messages;
    ScanObserver silent;
    ScanForMessages(reader, options.File, 80, messages, silent);
    if (!options.Json) WriteMessageTableCaption(std::cout);
    for (const auto& message : messages) {
        options.Json ? WriteJsonLine(std::cout, *message) : WriteTableRow(std::cout, *message);
    }
    std::cout.flush();
    std::cerr << messages.size() << " messages recovered.\n";
}

}  // namespace

void AddRecoverCommand(CLI::App& app) {
    auto options = std::make_shared<RecoverOptions>();
    CLI::App* recover = app.add_subcommand(
        "recover", "Scan a damaged DBX file for message text and list the messages found");
    recover->add_option("FILE", options->File, "the DBX file")->required();
    recover->add_flag("--json", options->Json, "JSON Lines, one object per record");
    recover->callback([options] { RunRecover(*options); });
}

}  // namespace dorvane::cli

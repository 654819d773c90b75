#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "recovery/deleted_messages.h"
#include "store/record_format.h"

namespace dorvane::cli {

void AddDeletedCommand(CLI::App& app) {
    auto file = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    CLI::App* deleted =
        app.add_subcommand("deleted", "List deleted messages whose text a DBX file still holds");
    deleted->add_option("FILE", *file, "the DBX file")->required();
    deleted->add_flag("--json", *json, "JSON Lines, one object per record");
    deleted->callback([file, json] {
        ReaderState reader;
        MessageList messages;
        ScanObserver silent;
        FindDeletedMessages(reader, *file, messages, silent);
        if (!*json) WriteMessageTableCaption(std::cout);
        for (const auto& message : messages) {
            *json ? WriteJsonLine(std::cout, *message) : WriteTableRow(std::cout, *message);
        }
        std::cout.flush();
        std::cerr << messages.size() << " deleted messages found.\n";
    });
}

}  // namespace dorvane::cli

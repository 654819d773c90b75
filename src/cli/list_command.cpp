#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "store/record_format.h"
#include "store/uoexpress.h"

namespace dorvane::cli {

namespace {

struct ListOptions {
    std::string File;
    bool Json = false;
};

void RunList(const ListOptions& options) {
    ReaderState reader;
    FolderList folders;
    MessageList messages;
    ReadDbxIndex(reader, options.File, &folders, &messages);
    std::ostream& out = std::cout;
    if (IsCatalogueFile(options.File)) {
        if (!options.Json) WriteFolderTableCaption(out);
        for (const auto& folder : folders) {
            options.Json ? WriteJsonLine(out, *folder) : WriteTableRow(out, *folder);
        }
    } else {
        if (!options.Json) WriteMessageTableCaption(out);
        for (const auto& message : messages) {
            options.Json ? WriteJsonLine(out, *message) : WriteTableRow(out, *message);
        }
    }
}

}  // namespace

void AddListCommand(CLI::App& app) {
    auto options = std::make_shared<ListOptions>();
    CLI::App* list = app.add_subcommand(
        "list", "List the records of a DBX file's index: folders of folders.dbx, else messages");
    list->add_option("FILE", options->File, "the DBX file")->required();
    list->add_flag("--json", options->Json, "JSON Lines, one object per record");
    list->callback([options] { RunList(*options); });
}

}  // namespace dorvane::cli

#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "store/folder_tree.h"
#include "store/store_location.h"
#include "store/store_paths.h"

namespace dorvane::cli {

void AddTreeCommand(CLI::App& app) {
    auto catalogue = std::make_shared<std::string>();
    CLI::App* tree = app.add_subcommand(
        "tree", "Print the folder tree of a catalogue (default: folders.dbx of the store)");
    tree->add_option("CATALOGUE", *catalogue, "the catalogue file");
    tree->callback([catalogue] {
        const std::string path = catalogue->empty()
                                     ? WithTrailingDelimiter(LocateStoreRoot()) + "folders.dbx"
                                     : *catalogue;
        ReaderState reader;
        FolderList folders;
        MessageList messages;
        ReadDbxIndex(reader, path, &folders, &messages);
        std::cout << RenderFolderTree(BuildFolderTree(folders));
    });
}

}  // namespace dorvane::cli

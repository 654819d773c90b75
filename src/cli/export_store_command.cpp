#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "platform/platform_error.h"
#include "store/uoexpress.h"
#include "ui/tools/store_export.h"

namespace dorvane::cli {

namespace {

struct ExportStoreOptions {
    std::string Catalogue;
    std::string Directory;
    bool Mbox = false;
    bool Update = false;
};

}  // namespace

void AddExportStoreCommand(CLI::App& app) {
    auto options = std::make_shared<ExportStoreOptions>();
    CLI::App* command =
        app.add_subcommand("export-store", "Write every folder of a store into a directory tree");
    command->add_option("CATALOGUE", options->Catalogue, "the store's folders.dbx")->required();
    command->add_option("DIR", options->Directory, "the directory to write the tree under")
        ->required();
    command->add_flag("--mbox", options->Mbox,
                      "one <folder>.mbox per folder instead of .eml files");
    command->add_flag("--update", options->Update,
                      "leave alone what an earlier run already wrote with the same bytes");
    command->callback([options] {
        // Any other file would read as a store without folders and "succeed" empty.
        if (!IsCatalogueFile(options->Catalogue)) {
            throw platform::PlatformError("Not a folder catalogue (folders.dbx): " +
                                          options->Catalogue);
        }
        std::filesystem::create_directories(options->Directory);
        ReaderState reader;
        const ExportTally tally = ExportStore(reader, options->Catalogue, options->Directory,
                                              {options->Update, options->Mbox});
        std::cout << StoreExportSummary(tally) << "\n";
        if (tally.WriteFailures + tally.ReadFailures > 0) {
            const std::string notice = WriteFailureNotice(tally);
            std::cout.flush();
            if (!notice.empty()) std::cerr << notice << "\n";
            throw CLI::RuntimeError(1);
        }
    });
}

}  // namespace dorvane::cli

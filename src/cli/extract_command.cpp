#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/platform_error.h"
#include "recovery/deleted_messages.h"
#include "recovery/recovery_scan.h"
#include "store/store_paths.h"
#include "ui/tools/store_export.h"

namespace dorvane::cli {

namespace {

struct ExtractOptions {
    std::string File;
    std::string Target;
    bool Recovered = false;
    bool Deleted = false;
    bool Mbox = false;
    bool Update = false;
    std::vector<std::size_t> Rows;
};

void RunExtract(const ExtractOptions& options) {
    ReaderState reader;
    MessageList messages;
    ScanObserver silent;
    if (options.Deleted) {
        FindDeletedMessages(reader, options.File, messages, silent);
    } else if (options.Recovered) {
        ScanForMessages(reader, options.File, 80, messages, silent);
    } else {
        ReadDbxIndex(reader, options.File, nullptr, &messages);
    }
    const bool salvaged = options.Deleted || options.Recovered;
    // As Extract Selected: the chosen rows top to bottom, numbered from 1; without --rows,
    // as Extract All: every row.
    std::vector<std::size_t> rows = options.Rows;
    if (rows.empty()) {
        rows.resize(messages.size());
        std::iota(rows.begin(), rows.end(), 0);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (!rows.empty() && rows.back() >= messages.size()) {
        throw platform::PlatformError("Row " + std::to_string(rows.back()) +
                                      " is not in the list of " + std::to_string(messages.size()) +
                                      " messages");
    }
    const ExportSettings settings{options.Update, options.Mbox};
    ExportTally tally;
    if (options.Mbox) {
        const std::string directory = DirectoryPart(options.Target);
        if (!directory.empty()) std::filesystem::create_directories(directory);
        tally = ExportMboxFile(reader, options.File, salvaged, messages, rows, options.Target,
                               settings);
    } else {
        std::filesystem::create_directories(options.Target);
        tally = ExtractMessages(reader, options.File, salvaged, messages, rows, options.Target, {},
                                settings);
    }
    if (tally.WriteFailures > 0) throw platform::PlatformError(WriteFailureNotice(tally));
}

}  // namespace

void AddExtractCommand(CLI::App& app) {
    auto options = std::make_shared<ExtractOptions>();
    CLI::App* extract = app.add_subcommand(
        "extract", "Write messages of a DBX file as numbered .eml files into a directory");
    extract->add_option("FILE", options->File, "the DBX file")->required();
    extract
        ->add_option("TARGET", options->Target, "the target directory (with --mbox: the mbox file)")
        ->required();
    CLI::Option* recovered =
        extract->add_flag("--recovered", options->Recovered,
                          "scan the file as Recover does and write the salvaged messages");
    extract
        ->add_flag("--deleted", options->Deleted,
                   "write the deleted messages whose text the file still holds")
        ->excludes(recovered);
    extract->add_flag("--mbox", options->Mbox, "write one mbox file (mboxrd) instead");
    extract->add_flag("--update", options->Update,
                      "leave alone what an earlier run already wrote with the same bytes");
    extract->add_option("--rows", options->Rows, "zero-based rows to write, e.g. 2,5,9")
        ->delimiter(',');
    extract->callback([options] { RunExtract(*options); });
}

}  // namespace dorvane::cli

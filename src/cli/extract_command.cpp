#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/platform_error.h"
#include "recovery/recovery_scan.h"
#include "ui/tools/store_export.h"

namespace dorvane::cli {

namespace {

struct ExtractOptions {
    std::string File;
    std::string Directory;
    bool Recovered = false;
    std::vector<std::size_t> Rows;
};

void RunExtract(const ExtractOptions& options) {
    ReaderState reader;
    MessageList messages;
    if (options.Recovered) {
        ScanObserver silent;
        ScanForMessages(reader, options.File, 80, messages, silent);
    } else {
        ReadDbxIndex(reader, options.File, nullptr, &messages);
    }
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
    std::filesystem::create_directories(options.Directory);
    const ExportTally tally =
        ExtractMessages(reader, options.File, options.Recovered, messages, rows, options.Directory);
    if (tally.WriteFailures > 0) throw platform::PlatformError(WriteFailureNotice(tally));
}

}  // namespace

void AddExtractCommand(CLI::App& app) {
    auto options = std::make_shared<ExtractOptions>();
    CLI::App* extract = app.add_subcommand(
        "extract", "Write messages of a DBX file as numbered .eml files into a directory");
    extract->add_option("FILE", options->File, "the DBX file")->required();
    extract->add_option("DIR", options->Directory, "the target directory")->required();
    extract->add_flag("--recovered", options->Recovered,
                      "scan the file as Recover does and write the salvaged messages");
    extract->add_option("--rows", options->Rows, "zero-based rows to write, e.g. 2,5,9")
        ->delimiter(',');
    extract->callback([options] { RunExtract(*options); });
}

}  // namespace dorvane::cli

#include <cstdint>
#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "store/uoexpress.h"

namespace dorvane::cli {

namespace {

struct CatOptions {
    std::string File;
    std::int32_t Offset = 0;
    bool Recovered = false;
};

void RunCat(const CatOptions& options) {
    ReaderState reader;
    if (options.Recovered) {
        ReadRecoveredText(reader, options.File, options.Offset, std::cout);
    } else {
        ReadMessageText(reader, options.File, options.Offset, std::cout);
    }
}

}  // namespace

void AddCatCommand(CLI::App& app) {
    auto options = std::make_shared<CatOptions>();
    CLI::App* cat = app.add_subcommand("cat", "Write a message's stored text to standard output");
    cat->add_option("FILE", options->File, "the DBX file")->required();
    cat->add_option("OFFSET", options->Offset, "the message's DataOffset (the Position column)")
        ->required();
    cat->add_flag("--recovered", options->Recovered,
                  "read as a salvaged message: no header check, NUL bytes as blanks");
    cat->callback([options] { RunCat(*options); });
}

}  // namespace dorvane::cli

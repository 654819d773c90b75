#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "ui/tools/store_export.h"

namespace dorvane::cli {

void AddBatchCommand(CLI::App& app) {
    auto pairs = std::make_shared<std::vector<std::string>>();
    auto update = std::make_shared<bool>(false);
    CLI::App* batch =
        app.add_subcommand("batch", "Export many DBX files in one go, as Batch Mode's Start does");
    batch->add_option("SOURCE_DIR", *pairs, "pairs of a DBX file and the directory to save to")
        ->required()
        ->expected(2, -1);
    batch->add_flag("--update", *update,
                    "leave alone what an earlier run already wrote with the same bytes");
    batch->callback([pairs, update] {
        if (pairs->size() % 2 != 0)
            throw CLI::ValidationError("SOURCE DIR", "needs pairs of SOURCE and DIR");
        ReaderState reader;
        ExportTally tally;
        for (std::size_t i = 0; i + 1 < pairs->size(); i += 2) {
            tally.Add(ExportBatchRow(reader, (*pairs)[i], (*pairs)[i + 1], {*update, false}));
        }
        std::cout << BatchNotice(tally) << "\n";
        if (tally.WriteFailures + tally.ReadFailures > 0) {
            const std::string notice = WriteFailureNotice(tally);
            if (!notice.empty()) std::cerr << notice << "\n";
            throw CLI::RuntimeError(1);
        }
    });
}

}  // namespace dorvane::cli

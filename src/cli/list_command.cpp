#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "cli/commands.h"
#include "store/record_format.h"
#include "store/uoexpress.h"
#include "ui/tools/message_search.h"
#include "ui/tools/message_sort.h"

namespace dorvane::cli {

namespace {

struct ListOptions {
    std::string File;
    bool Json = false;
    std::string From, To, Subject, Before, After, Sort;
};

// "YYYY-MM-DD" as 00:00 local time of that day, the bound a search date picker gives.
std::optional<LocalDateTime> DayStart(const std::string& text, const char* option) {
    if (text.empty()) return std::nullopt;
    int year = 0, month = 0, day = 0;
    char dash1 = 0, dash2 = 0;
    std::istringstream in(text);
    in >> year >> dash1 >> month >> dash2 >> day;
    if (!in || dash1 != '-' || dash2 != '-' || month < 1 || month > 12 || day < 1 || day > 31 ||
        in.peek() != std::char_traits<char>::eof()) {
        throw CLI::ValidationError(option, "expects a date as YYYY-MM-DD");
    }
    return LocalDateTime{year, month, day, 0, 0, 0, 0};
}

// "Received", "Subject:asc", ...: a column caption, then the direction; descending when
// none is given, as the first click on a header sorts.
std::pair<MessageColumn, bool> SortOrder(const std::string& text) {
    static const char* const kCaptions[] = {"From",     "Reply to", "To",  "Subject",
                                            "Received", "Position", "Size"};
    const auto colon = text.rfind(':');
    const std::string caption = colon == std::string::npos ? text : text.substr(0, colon);
    const std::string direction = colon == std::string::npos ? "desc" : text.substr(colon + 1);
    if (direction != "asc" && direction != "desc") {
        throw CLI::ValidationError("--sort", "direction is asc or desc");
    }
    for (int i = 0; i < 7; ++i) {
        if (caption == kCaptions[i]) return {static_cast<MessageColumn>(i), direction == "desc"};
    }
    throw CLI::ValidationError("--sort",
                               "column is one of: From, Reply to, To, Subject, "
                               "Received, Position, Size");
}

// The search that the options ask for; none for a catalogue, whose folders are listed
// whatever the criteria.
std::optional<SearchCriteria> RequestedSearch(const ListOptions& options) {
    if (IsCatalogueFile(options.File)) return std::nullopt;
    SearchCriteria criteria =
        TrimmedCriteria({options.From, options.To, options.Subject,
                         DayStart(options.Before, "--before"), DayStart(options.After, "--after")});
    if (!HasAnyCriterion(criteria)) return std::nullopt;
    return criteria;
}

void RunList(const ListOptions& options) {
    ReaderState reader;
    std::ostream& out = std::cout;
    const std::optional<SearchCriteria> search = RequestedSearch(options);
    // A catalogue's folders are listed in the order read, whatever --sort says.
    if (options.Sort.empty() || IsCatalogueFile(options.File)) {
        // Printed as the walk reaches each record, the search applied on the way: nothing is
        // kept, so a folder of any size lists in little memory. The caption waits for the
        // file to open, so that an error leaves nothing on standard output.
        bool captioned = options.Json;
        const auto caption = [&] {
            if (captioned) return;
            captioned = true;
            IsCatalogueFile(options.File) ? WriteFolderTableCaption(out)
                                          : WriteMessageTableCaption(out);
        };
        // One "now" for the whole search, so that every message without a time compares alike.
        const LocalDateTime now = search ? platform::LocalNow() : LocalDateTime{};
        ForEachIndexRecord(
            reader, options.File,
            [&](const Toe5_FolderInfo& folder) {
                caption();
                options.Json ? WriteJsonLine(out, folder) : WriteTableRow(out, folder);
            },
            [&](const Toe5_MessageInfo& message) {
                caption();
                if (search && !MatchesSearch(message, *search, now)) return;
                options.Json ? WriteJsonLine(out, message) : WriteTableRow(out, message);
            });
        caption();
        return;
    }
    // Sorting needs every record at hand, so this path keeps the whole list.
    const auto [column, descending] = SortOrder(options.Sort);
    MessageList messages;
    ReadDbxIndex(reader, options.File, nullptr, &messages);
    if (search) ApplySearch(messages, *search);
    SortMessages(messages, column, descending);
    if (!options.Json) WriteMessageTableCaption(out);
    for (const auto& message : messages) {
        options.Json ? WriteJsonLine(out, *message) : WriteTableRow(out, *message);
    }
}

}  // namespace

void AddListCommand(CLI::App& app) {
    auto options = std::make_shared<ListOptions>();
    CLI::App* list = app.add_subcommand(
        "list", "List the records of a DBX file's index: folders of folders.dbx, else messages");
    list->add_option("FILE", options->File, "the DBX file")->required();
    list->add_flag("--json", options->Json, "JSON Lines, one object per record");
    list->add_option("--from", options->From, "keep messages whose From or Reply to holds TEXT");
    list->add_option("--to", options->To, "keep messages whose To holds TEXT");
    list->add_option("--subject", options->Subject, "keep messages whose Subject holds TEXT");
    list->add_option("--before", options->Before, "keep messages received before YYYY-MM-DD");
    list->add_option("--after", options->After, "keep messages received after YYYY-MM-DD 00:00");
    list->add_option("--sort", options->Sort, "COLUMN[:asc|:desc], a column caption");
    list->callback([options] { RunList(*options); });
}

}  // namespace dorvane::cli

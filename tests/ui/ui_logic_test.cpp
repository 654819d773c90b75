// The window's rules that need no window: which file a folder click reads, the error box's
// text and caption, the list's cell texts.

#include <gtest/gtest.h>

#include "store/store_paths.h"
#include "ui/main/error_box_text.h"
#include "ui/main/folder_load.h"
#include "ui/main/message_rows.h"

namespace dorvane::ui {
namespace {

const std::string D(1, kPathDelimiter);

Toe5_FolderInfo Folder(const std::string& fileName) {
    return {"Name", 1, 0, fileName};
}

TEST(PlanFolderLoad, WhichFileAClickReads) {
    const std::string store = D + "store";
    const std::string other = D + "other";
    const Toe5_FolderInfo inbox = Folder("Inbox.dbx");
    const Toe5_FolderInfo group = Folder("");
    const Toe5_FolderInfo single = Folder(other + D + "Single.dbx");
    const Toe5_FolderInfo storeSingle = Folder(store + D + "Own.dbx");
    struct Row {
        const char* Case;
        std::string Current;
        std::string StoreRoot;
        const Toe5_FolderInfo* Focused;
        std::size_t Nodes;
        bool JustOpened;
        std::string Expected;
        bool Reads;
    };
    const Row rows[] = {
        {"store folder", store + D + "folders.dbx", store, &inbox, 5, false,
         store + D + "Inbox.dbx", true},
        {"store root given with its delimiter", store + D + "folders.dbx", store + D, &inbox, 5,
         false, store + D + "Inbox.dbx", true},
        {"grouping folder reads nothing", store + D + "Inbox.dbx", store, &group, 5, false,
         store + D + "Inbox.dbx", false},
        {"no focused node reads nothing", store + D + "folders.dbx", store, nullptr, 5, false,
         store + D + "folders.dbx", false},
        {"just-opened single file", other + D + "Single.dbx", store, nullptr, 1, true,
         other + D + "Single.dbx", true},
        {"single file clicked again", other + D + "Single.dbx", store, &single, 1, false,
         other + D + "Single.dbx", true},
        {"single file of the store clicked again", store + D + "Own.dbx", store, &storeSingle, 1,
         false, store + D + "Own.dbx", true},
        {"folder of a catalogue elsewhere", other + D + "folders.dbx", store, &inbox, 4, false,
         other + D + "Inbox.dbx", true},
        {"next folder of a catalogue elsewhere", other + D + "Inbox.dbx", store, &group, 4, false,
         other + D + "Inbox.dbx", false},
        {"lone folder of the store's catalogue", store + D + "folders.dbx", store, &inbox, 1, false,
         store + D + "Inbox.dbx", true},
        {"lone folder of a catalogue elsewhere", other + D + "folders.dbx", store, &inbox, 1, false,
         other + D + "Inbox.dbx", true},
        {"store directory compared case-sensitively", D + "STORE" + D + "folders.dbx", store,
         &inbox, 5, false, D + "STORE" + D + "Inbox.dbx", true},
        {"no store and no catalogue", "", "", &inbox, 5, false, "Inbox.dbx", true},
    };
    for (const Row& row : rows) {
        const FolderLoadPlan plan =
            PlanFolderLoad(row.Current, row.StoreRoot, row.Focused, row.Nodes, row.JustOpened);
        EXPECT_EQ(plan.CurrentMailFile, row.Expected) << row.Case;
        EXPECT_EQ(plan.ReadIndex, row.Reads) << row.Case;
        if (plan.ReadIndex) {
            EXPECT_FALSE(IsCatalogueFile(plan.CurrentMailFile)) << row.Case;
        }
    }
}

TEST(ErrorBox, FullStopAndCaption) {
    const std::pair<std::string, std::string> texts[] = {
        {"Cannot open file C:\\folders.dbx", "Cannot open file C:\\folders.dbx."},
        {"Already ends.", "Already ends."},
        {"Ends in a blank ", "Ends in a blank "},
        {"Ends in a comma,", "Ends in a comma,"},
        {"Ends in a bracket (x)", "Ends in a bracket (x)"},
        {"Ends in a slash /", "Ends in a slash /."},
        // A closing quote sorts before the full stop too.
        {"Invalid data type for 'Store Root'", "Invalid data type for 'Store Root'"},
        {"", "."},
    };
    for (const auto& [text, shown] : texts) EXPECT_EQ(ErrorBoxText(text), shown) << text;

    const std::pair<std::string, std::string> programs[] = {
        {D + "usr" + D + "bin" + D + "dorvane", "dorvane"},
        {"dorvane.exe", "dorvane"},
        {D + "opt" + D + "dorvane.1.2.exe", "dorvane.1.2"},
    };
    for (const auto& [path, title] : programs) EXPECT_EQ(ApplicationTitle(path), title) << path;
}

TEST(MessageRowText, ColumnsAsShown) {
    Toe5_MessageInfo message;
    message.FromName = "Alice \xE9";
    message.ReplyTo = "reply";
    message.ToName = "to";
    message.Subject = "subject";
    message.DataOffset = -5;
    message.MsgSize = 2147483647;
    const std::pair<int, std::string> cells[] = {
        {0, "Alice \xE9"}, {1, "reply"}, {2, "to"}, {3, "subject"}, {5, "-5"}, {6, "2147483647"},
    };
    for (const auto& [column, text] : cells) EXPECT_EQ(MessageRowText(message, column), text);
    EXPECT_EQ(kMessageColumnCaptions[kPositionColumn], "Position");
}

// The keyed sort must give CompareMessages' order: every neighbour pair in order, for every
// column and both directions, on texts that differ in case, by a prefix, by bytes above
// 127, and on sizes and times that include negatives and missing times.
TEST(SortMessageList, FollowsCompareMessages) {
    const std::pair<std::string, std::int32_t> seeds[] = {
        {"alpha", 5},
        {"ALPHA", -3},
        {"Alph", 0},
        {"\xE9t\xE9", 7},
        {"beta", 2147483647},
        {"9 lives", 12},
        {"Zed", -2147483647 - 1},
        {"", 5},
        {"zed", 1},
        {"alpha ", 40},
    };
    MessageList list;
    std::uint64_t tick = 127000000000000000ULL;
    for (const auto& [text, number] : seeds) {
        auto m = std::make_shared<Toe5_MessageInfo>();
        m->FromName = m->ReplyTo = m->ToName = m->Subject = text;
        m->MsgSize = number;
        m->DataOffset = -number / 2;
        // Some share a time, one has none (now), the rest differ by a millisecond.
        m->ReceivedTime = number == 5 ? FileTime{} : FileTime::FromTicks(tick);
        tick += number % 2 == 0 ? 0 : 10000;
        list.push_back(std::move(m));
    }
    const LocalDateTime now = platform::LocalNow();
    for (int column = 0; column < kMessageColumnCount; ++column) {
        for (const bool descending : {true, false}) {
            MessageList sorted = list;
            SortMessageList(sorted, column, descending);
            ASSERT_EQ(sorted.size(), list.size());
            for (std::size_t i = 1; i < sorted.size(); ++i) {
                EXPECT_LE(CompareMessages(*sorted[i - 1], *sorted[i],
                                          static_cast<MessageColumn>(column), descending, now),
                          0)
                    << "column " << column << (descending ? " descending" : " ascending") << " at "
                    << i;
            }
        }
    }
}

}  // namespace
}  // namespace dorvane::ui

#include <gtest/gtest.h>

#include "store/folder_tree.h"
#include "store/store_paths.h"

namespace dorvane {
namespace {

FolderList Folders(std::initializer_list<Toe5_FolderInfo> folders) {
    FolderList list;
    for (const auto& folder : folders)
        list.push_back(std::make_shared<const Toe5_FolderInfo>(folder));
    return list;
}

TEST(BuildFolderTree, HangsEachFolderUnderTheFirstEarlierMatchInPreOrder) {
    struct Case {
        const char* Name;
        FolderList Folders;
        std::string Expected;
    };
    const Case cases[] = {
        {"Empty", Folders({}), ""},
        {"Nested",
         Folders({{"Outlook Express", 0, 0, ""},
                  {"Inbox", 1, 0, "Inbox.dbx"},
                  {"Kids", 2, 1, "K.dbx"}}),
         "Outlook Express\n  Inbox [Inbox.dbx]\n    Kids [K.dbx]\n"},
        {"ChildBeforeItsParentGoesUnderTheTop",
         Folders({{"Top", 0, 0, ""}, {"Child", 2, 1, ""}, {"Parent", 1, 0, ""}}),
         "Top\n  Child\n  Parent\n"},
        {"DuplicateIdsTakeTheFirstInPreOrder",
         // Two folders with id 5: "A" (under X, made later) comes before "B" in pre-order.
         Folders({{"Top", 0, 0, ""},
                  {"X", 1, 0, ""},
                  {"B", 5, 0, ""},
                  {"A", 5, 1, ""},
                  {"Child of 5", 6, 5, ""}}),
         "Top\n  X\n    A\n      Child of 5\n  B\n"},
        {"SelfParentIsNeverItsOwnParent",
         Folders({{"Top", 0, 0, ""}, {"Self", 7, 7, ""}, {"Again", 7, 7, ""}}),
         "Top\n  Self\n    Again\n"},
        {"NoMatchGoesUnderTheTop", Folders({{"Top", 3, 0, ""}, {"Lost", 4, 99, ""}}),
         "Top\n  Lost\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RenderFolderTree(BuildFolderTree(c.Folders)), c.Expected) << c.Name;
    }
}

TEST(FolderImageIndex, DbxExactlyThenTheTopFolder) {
    EXPECT_EQ(FolderImageIndex({"Inbox", 1, 0, "Inbox.dbx"}), 0);
    EXPECT_EQ(FolderImageIndex({"Inbox", 1, 0, "Inbox.DBX"}), -1);
    EXPECT_EQ(FolderImageIndex({"Group", 1, 0, ""}), -1);
    EXPECT_EQ(FolderImageIndex({"Outlook Express", 0, 0, ""}), 1);
    EXPECT_EQ(FolderImageIndex({"Outlook Express", 0, 0, "x.dbx"}), 1);
}

TEST(StorePaths, DelimiterRulesOfThisPlatform) {
    const std::string d(1, kPathDelimiter);
    EXPECT_EQ(WithTrailingDelimiter("store"), "store" + d);
    EXPECT_EQ(WithTrailingDelimiter("store" + d), "store" + d);
    EXPECT_EQ(FileNamePart("a" + d + "b" + d + "folders.dbx"), "folders.dbx");
    EXPECT_TRUE(LiesInDirectory("a" + d + "Inbox.dbx", "a"));
    EXPECT_TRUE(LiesInDirectory("a" + d + "Inbox.dbx", "a" + d));
    EXPECT_FALSE(LiesInDirectory("A" + d + "Inbox.dbx", "a"));  // exact, case-sensitive
    EXPECT_FALSE(LiesInDirectory("a" + d + "b" + d + "Inbox.dbx", "a"));
}

}  // namespace
}  // namespace dorvane

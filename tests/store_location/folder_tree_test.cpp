#include <gtest/gtest.h>

#include <random>

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
        {"DuplicateIdsOnDifferentBranches",
         // A (id 5) is made after B but sits under X, which comes before B; D, made later
         // under Z, comes after A. Children of 5 go under A.
         Folders({{"Top", 0, 0, ""},
                  {"X", 1, 0, ""},
                  {"Y", 2, 1, ""},
                  {"B", 5, 0, ""},
                  {"A", 5, 2, ""},
                  {"C", 5, 5, ""},
                  {"Z", 3, 0, ""},
                  {"D", 5, 3, ""},
                  {"E", 6, 5, ""}}),
         "Top\n  X\n    Y\n      A\n        C\n        E\n  B\n  Z\n    D\n"},
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

// The rule as written: each later record searches the nodes made so far in pre-order and
// takes the first whose FolderId is its ParentId. Quadratic, and plainly right.
std::vector<std::size_t> ParentsBySearch(const FolderList& folders) {
    std::vector<std::size_t> parents(folders.size(), 0);
    std::vector<std::vector<std::size_t>> children(folders.size());
    for (std::size_t record = 1; record < folders.size(); ++record) {
        std::vector<std::size_t> pending{0};
        while (!pending.empty()) {
            const std::size_t node = pending.back();
            pending.pop_back();
            if (folders[node]->FolderId == folders[record]->ParentId) {
                parents[record] = node;
                break;
            }
            pending.insert(pending.end(), children[node].rbegin(), children[node].rend());
        }
        children[parents[record]].push_back(record);
    }
    return parents;
}

TEST(BuildFolderTree, AgreesWithTheSearchOnRandomCatalogues) {
    // Few distinct ids, so duplicates, self-parents and children before parents abound.
    std::mt19937 random(20040117);
    for (int round = 0; round < 300; ++round) {
        const int ids = 2 + round % 12;
        FolderList folders;
        for (int i = 0; i < 1 + round % 60; ++i) {
            Toe5_FolderInfo folder;
            folder.FolderId = static_cast<std::int32_t>(random() % ids);
            folder.ParentId = static_cast<std::int32_t>(random() % ids);
            folders.push_back(std::make_shared<const Toe5_FolderInfo>(folder));
        }
        const FolderTree tree = BuildFolderTree(folders);
        const auto expected = ParentsBySearch(folders);
        ASSERT_EQ(tree.Nodes.size(), folders.size());
        for (std::size_t i = 0; i < folders.size(); ++i) {
            ASSERT_EQ(tree.Nodes[i].Parent, expected[i]) << "round " << round << " node " << i;
        }
    }
}

TEST(FolderImageIndex, DbxExactlyThenTheTopFolder) {
    EXPECT_EQ(FolderImageIndex({"Inbox", 1, 0, "Inbox.dbx"}), 0);
    EXPECT_EQ(FolderImageIndex({"Inbox", 1, 0, "Inbox.DBX"}), -1);
    EXPECT_EQ(FolderImageIndex({"Group", 1, 0, ""}), -1);
    EXPECT_EQ(FolderImageIndex({"Outlook Express", 0, 0, ""}), 1);
    EXPECT_EQ(FolderImageIndex({"Outlook Express", 0, 0, "x.dbx"}), 1);
}

TEST(StorePaths, SplitAndJoinWithThisPlatformsDelimiter) {
    // Written with "/" and turned into this platform's delimiter.
    const auto local = [](std::string path) {
        for (char& c : path) c = c == '/' ? kPathDelimiter : c;
        return path;
    };
    struct Case {
        std::string Path, FileName, Directory;
    };
    const Case cases[] = {
        {local("a/b/folders.dbx"), "folders.dbx", local("a/b/")},
        {local("/folders.dbx"), "folders.dbx", local("/")},
        {"folders.dbx", "folders.dbx", ""},
        {local("a/b/"), "", local("a/b/")},
#ifdef _WIN32
        // The file name also ends at a drive colon; the directory part does not.
        {"C:folders.dbx", "folders.dbx", ""},
#endif
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNamePart(c.Path), c.FileName) << c.Path;
        EXPECT_EQ(DirectoryPart(c.Path), c.Directory) << c.Path;
    }

    EXPECT_EQ(WithTrailingDelimiter("store"), local("store/"));
    EXPECT_EQ(WithTrailingDelimiter(local("store/")), local("store/"));
    EXPECT_EQ(WithTrailingDelimiter(""), local("/"));  // no store: the root of the drive
    EXPECT_TRUE(LiesInDirectory(local("a/Inbox.dbx"), "a"));
    EXPECT_TRUE(LiesInDirectory(local("a/Inbox.dbx"), local("a/")));
    EXPECT_FALSE(LiesInDirectory(local("A/Inbox.dbx"), "a"));  // exact, case-sensitive
    EXPECT_FALSE(LiesInDirectory(local("a/b/Inbox.dbx"), "a"));
}

}  // namespace
}  // namespace dorvane

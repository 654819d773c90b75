#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "store/uoexpress.h"

namespace dorvane {

struct FolderTreeNode {
    std::shared_ptr<const Toe5_FolderInfo> Folder;
    std::size_t Parent = 0;             // index of the parent; the top node's is itself
    std::vector<std::size_t> Children;  // in the order they were hung
};

// The folder tree of a catalogue. Nodes[0] is the one top node; empty for no folders.
struct FolderTree {
    std::vector<FolderTreeNode> Nodes;
};

// The first record becomes the top node. Every later record is hung, as last child, under
// the first node in depth-first pre-order whose FolderId is its ParentId, among the nodes
// made before it; failing that, under the top node. A record thus finds its parent only
// among the records before it, and never becomes its own parent.
FolderTree BuildFolderTree(const FolderList& folders);

// The tree as text: one line per node in pre-order, two blanks of indent per level, the
// folder name and, when it has one, its file name in brackets.
std::string RenderFolderTree(const FolderTree& tree);

// The node's image: 1 for the store's top folder ("Outlook Express"), 0 for a folder file
// (a file name whose extension is exactly ".dbx"), -1 for none.
int FolderImageIndex(const Toe5_FolderInfo& folder);

}  // namespace dorvane

#include "store/folder_tree.h"

#include <algorithm>
#include <unordered_map>

#include "store/store_paths.h"

namespace dorvane {

namespace {

// Visits the nodes in depth-first pre-order until visit returns true; iterative, since a
// damaged catalogue may nest folders deeply.
template <typename Visit>
void PreOrder(const FolderTree& tree, Visit visit) {
    if (tree.Nodes.empty()) return;
    std::vector<std::size_t> pending{0};
    while (!pending.empty()) {
        const std::size_t node = pending.back();
        pending.pop_back();
        if (visit(node)) return;
        const auto& children = tree.Nodes[node].Children;
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            pending.push_back(*child);
    }
}

std::vector<std::size_t> PathFromTop(const FolderTree& tree, std::size_t node) {
    std::vector<std::size_t> path{node};
    while (node != 0) {
        node = tree.Nodes[node].Parent;
        path.push_back(node);
    }
    return {path.rbegin(), path.rend()};
}

// Whether a comes before b in pre-order. Siblings stand in the order they were made, which
// is the order of their indices.
bool ComesBefore(const FolderTree& tree, std::size_t a, std::size_t b) {
    const auto pathA = PathFromTop(tree, a);
    const auto pathB = PathFromTop(tree, b);
    const auto diverge = std::mismatch(pathA.begin(), pathA.end(), pathB.begin(), pathB.end());
    if (diverge.first == pathA.end()) return diverge.second != pathB.end();  // a is above b
    if (diverge.second == pathB.end()) return false;                         // b is above a
    return *diverge.first < *diverge.second;
}

}  // namespace

FolderTree BuildFolderTree(const FolderList& folders) {
    // Searching the whole tree for every record would be quadratic in a large damaged
    // catalogue: each id keeps the node that comes first in pre-order instead.
    FolderTree tree;
    std::unordered_map<std::int32_t, std::size_t> firstWithId;
    for (const auto& folder : folders) {
        std::size_t parent = 0;
        if (const auto match = firstWithId.find(folder->ParentId); match != firstWithId.end()) {
            parent = match->second;
        }
        const std::size_t index = tree.Nodes.size();
        tree.Nodes.push_back({folder, parent, {}});
        if (index > 0) tree.Nodes[parent].Children.push_back(index);
        const auto [known, isNew] = firstWithId.try_emplace(folder->FolderId, index);
        if (!isNew && ComesBefore(tree, index, known->second)) known->second = index;
    }
    return tree;
}

std::string RenderFolderTree(const FolderTree& tree) {
    std::string text;
    std::vector<std::size_t> depth(tree.Nodes.size(), 0);
    PreOrder(tree, [&](std::size_t node) {
        if (node != 0) depth[node] = depth[tree.Nodes[node].Parent] + 1;
        const Toe5_FolderInfo& folder = *tree.Nodes[node].Folder;
        text.append(2 * depth[node], ' ');
        text += folder.FolderName;
        if (!folder.FileName.empty()) text += " [" + folder.FileName + "]";
        text += '\n';
        return false;
    });
    return text;
}

int FolderImageIndex(const Toe5_FolderInfo& folder) {
    int image = -1;
    const std::string name = FileNamePart(folder.FileName);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && name.substr(dot) == ".dbx") image = 0;
    if (folder.FolderName == "Outlook Express") image = 1;
    return image;
}

}  // namespace dorvane

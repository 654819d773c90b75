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

// Answers "does node a come before node b in pre-order?" for a tree that only grows by
// appending last children. Walking both paths up to the top would make a catalogue with a
// long chain of folders and many duplicate ids quadratic; jump pointers (each node keeps
// one far ancestor, chosen so that any ancestor is reached in logarithmic steps) keep each
// answer at O(log^2 n).
class PreOrderComparer {
  public:
    explicit PreOrderComparer(const FolderTree& tree) : tree_(tree) {}

    // Call for every node as it is made, the top node first.
    void Added(std::size_t node) {
        const std::size_t parent = tree_.Nodes[node].Parent;
        if (node == parent) {
            depth_.push_back(0);
            jump_.push_back(node);
            return;
        }
        const std::size_t up = jump_[parent];
        const bool evenSteps = depth_[parent] - depth_[up] == depth_[up] - depth_[jump_[up]];
        depth_.push_back(depth_[parent] + 1);
        jump_.push_back(evenSteps ? jump_[up] : parent);
    }

    bool ComesBefore(std::size_t a, std::size_t b) const {
        if (a == b) return false;
        const std::size_t shared = std::min(depth_[a], depth_[b]);
        const std::size_t upA = AncestorAt(a, shared);
        const std::size_t upB = AncestorAt(b, shared);
        if (upA == upB) return depth_[a] < depth_[b];  // one lies above the other
        // The deepest common ancestor lies above `shared`: find the depth just below it.
        std::size_t same = 0;
        std::size_t differ = shared;
        while (differ - same > 1) {
            const std::size_t middle = same + (differ - same) / 2;
            (AncestorAt(upA, middle) == AncestorAt(upB, middle) ? same : differ) = middle;
        }
        // Siblings stand in the order they were made, which is the order of their indices.
        return AncestorAt(upA, differ) < AncestorAt(upB, differ);
    }

  private:
    std::size_t AncestorAt(std::size_t node, std::size_t depth) const {
        while (depth_[node] > depth) {
            node = depth_[jump_[node]] >= depth ? jump_[node] : tree_.Nodes[node].Parent;
        }
        return node;
    }

    const FolderTree& tree_;
    std::vector<std::size_t> depth_;
    std::vector<std::size_t> jump_;
};

}  // namespace

FolderTree BuildFolderTree(const FolderList& folders) {
    // Searching the whole tree for every record would be quadratic in a large damaged
    // catalogue: each id keeps the node that comes first in pre-order instead.
    FolderTree tree;
    tree.Nodes.reserve(folders.size());
    std::unordered_map<std::int32_t, std::size_t> firstWithId;
    PreOrderComparer order(tree);
    for (const auto& folder : folders) {
        std::size_t parent = 0;
        if (const auto match = firstWithId.find(folder->ParentId); match != firstWithId.end()) {
            parent = match->second;
        }
        const std::size_t index = tree.Nodes.size();
        tree.Nodes.push_back({folder, parent, {}});
        if (index > 0) tree.Nodes[parent].Children.push_back(index);
        order.Added(index);
        const auto [known, isNew] = firstWithId.try_emplace(folder->FolderId, index);
        if (!isNew && order.ComesBefore(index, known->second)) known->second = index;
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

#pragma once

// Which file a click in the folder tree reads, worked out without any window.

#include <cstddef>
#include <string>

#include "store/uoexpress.h"

namespace dorvane::ui {

struct FolderLoadPlan {
    std::string CurrentMailFile;  // the browsing state's file after the load
    bool ReadIndex = false;       // false: the list stays empty
};

// currentMailFile and fileJustOpened are the browsing state before the load, storeRoot the
// store directory as the registry gives it now, focused the node with the focus (null for
// none) and nodeCount the number of nodes in the whole tree.
//
// A folder of the store is read from the store directory. Beyond that:
// - a folder of a catalogue opened from elsewhere is read from that catalogue's directory;
// - the node of a single opened file (its FileName a full path) reads that file again;
// - a lone folder of a catalogue reads its own file: the catalogue's records are never
//   message records, so listing them would be wrong whatever the tree looks like.
FolderLoadPlan PlanFolderLoad(const std::string& currentMailFile, const std::string& storeRoot,
                              const Toe5_FolderInfo* focused, std::size_t nodeCount,
                              bool fileJustOpened);

}  // namespace dorvane::ui

#include "ui/main/folder_load.h"

#include "store/store_paths.h"

namespace dorvane::ui {

namespace {

// A node of a catalogue names a bare file; the node of an opened file carries its path.
bool IsBareFileName(const std::string& fileName) {
    return FileNamePart(fileName) == fileName;
}

// The file a node stands for when the current file is not in the store directory, or when
// joining with the store directory would name the catalogue itself.
std::string FileBesideCurrent(const std::string& currentMailFile, const std::string& fileName) {
    return IsBareFileName(fileName) ? DirectoryPart(currentMailFile) + fileName : fileName;
}

}  // namespace

FolderLoadPlan PlanFolderLoad(const std::string& currentMailFile, const std::string& storeRoot,
                              const Toe5_FolderInfo* focused, std::size_t nodeCount,
                              bool fileJustOpened) {
    FolderLoadPlan plan{currentMailFile, false};
    const std::string storeDirectory = WithTrailingDelimiter(storeRoot);
    const bool inStore = DirectoryPart(currentMailFile) == storeDirectory;
    const bool namesFile = focused != nullptr && !focused->FileName.empty();

    if (inStore && namesFile && nodeCount > 1) {
        plan.CurrentMailFile = storeDirectory + focused->FileName;
    }
    if (inStore && namesFile) {
        if (IsCatalogueFile(plan.CurrentMailFile)) {
            plan.CurrentMailFile = FileBesideCurrent(plan.CurrentMailFile, focused->FileName);
        }
        plan.ReadIndex = true;
    } else if (fileJustOpened && !currentMailFile.empty()) {
        plan.ReadIndex = true;
    } else if (namesFile) {
        plan.CurrentMailFile = FileBesideCurrent(currentMailFile, focused->FileName);
        plan.ReadIndex = true;
    }
    return plan;
}

}  // namespace dorvane::ui

#pragma once

#include <cstdint>
#include <memory>

#include "store/file_window.h"
#include "store/uoexpress.h"

namespace dorvane {

// The two record readers of the index walk. Each returns the record built from the
// property record at offset, or null when the record is not taken.
std::shared_ptr<const Toe5_MessageInfo> ReadMessageRecord(FileWindow& file, std::int32_t offset);
std::shared_ptr<const Toe5_FolderInfo> ReadFolderRecord(FileWindow& file, std::int32_t offset);

}  // namespace dorvane

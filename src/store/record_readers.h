#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "store/file_window.h"
#include "store/uoexpress.h"

namespace dorvane {

// Where the records of one walk are made: in blocks of many, so that a walk of 100,000
// records makes a few hundred allocations and reference counts instead of one per record.
// A block lives as long as any of its records is held.
template <typename Record>
class RecordBlocks {
  public:
    // A fresh record at a stable address, and the pointer that keeps it alive.
    std::pair<Record&, std::shared_ptr<const Record>> Make() {
        if (!block_ || block_->size() == block_->capacity()) {
            // Small files stay small; large ones settle at a few hundred records a block.
            blockSize_ = std::min<std::size_t>(blockSize_ * 2, kLargestBlock);
            block_ = std::make_shared<std::vector<Record>>();
            block_->reserve(blockSize_);
        }
        Record& record = block_->emplace_back();
        return {record, std::shared_ptr<const Record>(block_, &record)};
    }

  private:
    static constexpr std::size_t kLargestBlock = 256;
    std::shared_ptr<std::vector<Record>> block_;
    std::size_t blockSize_ = 2;
};

// The two record readers of the index walk. Each returns the record built from the
// property record at offset, or null when the record is not taken.
std::shared_ptr<const Toe5_MessageInfo> ReadMessageRecord(FileWindow& file, std::int32_t offset,
                                                          RecordBlocks<Toe5_MessageInfo>& blocks);
std::shared_ptr<const Toe5_FolderInfo> ReadFolderRecord(FileWindow& file, std::int32_t offset,
                                                        RecordBlocks<Toe5_FolderInfo>& blocks);

// The same readers for a walk that keeps no record: they fill the one given and say
// whether the record is taken. Its texts keep their room, so filling one record again and
// again allocates next to nothing.
bool ReadMessageRecord(FileWindow& file, std::int32_t offset, Toe5_MessageInfo& message);
bool ReadFolderRecord(FileWindow& file, std::int32_t offset, Toe5_FolderInfo& folder);

// The reader for the kind of record the blocks hold.
inline std::shared_ptr<const Toe5_MessageInfo> ReadRecord(FileWindow& file, std::int32_t offset,
                                                          RecordBlocks<Toe5_MessageInfo>& blocks) {
    return ReadMessageRecord(file, offset, blocks);
}
inline std::shared_ptr<const Toe5_FolderInfo> ReadRecord(FileWindow& file, std::int32_t offset,
                                                         RecordBlocks<Toe5_FolderInfo>& blocks) {
    return ReadFolderRecord(file, offset, blocks);
}
inline bool ReadRecord(FileWindow& file, std::int32_t offset, Toe5_MessageInfo& message) {
    return ReadMessageRecord(file, offset, message);
}
inline bool ReadRecord(FileWindow& file, std::int32_t offset, Toe5_FolderInfo& folder) {
    return ReadFolderRecord(file, offset, folder);
}

}  // namespace dorvane

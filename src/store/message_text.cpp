#include <algorithm>
#include <array>
#include <optional>
#include <ostream>
#include <unordered_set>
#include <vector>

#include "platform/platform_error.h"
#include "store/file_window.h"
#include "store/reader_slot.h"
#include "store/uoexpress.h"

namespace dorvane {

namespace {

constexpr std::size_t kBlockSize = 528;
constexpr std::size_t kBlockHeaderSize = 16;
constexpr std::int32_t kBlockDataSize = 512;

// Remembers the blocks of one chain, so a chain that comes back to a block it has read ends
// there. Chains are short, so a small list kept in place serves until one gets long.
class ChainGuard {
  public:
    // False when offset was read before.
    bool FirstVisit(std::int32_t offset) {
        if (many_.empty()) {
            const auto end = few_.begin() + static_cast<std::ptrdiff_t>(fewUsed_);
            if (std::find(few_.begin(), end, offset) != end) return false;
            if (fewUsed_ < few_.size()) {
                few_[fewUsed_++] = offset;
                return true;
            }
            many_.insert(few_.begin(), few_.end());
        }
        return many_.insert(offset).second;
    }

  private:
    std::array<std::int32_t, 64> few_;  // only the first fewUsed_ are read
    std::size_t fewUsed_ = 0;
    std::unordered_set<std::int32_t> many_;
};

enum class TextMode { Stored, Recovered };

void ReadBlockChain(FileWindow& file, std::int32_t offset, TextMode mode, std::ostream& out) {
    // Blocks of a real chain never overlap, so a chain cannot hold more of them than the file
    // has room for (its size / 528 + 1); past that a crafted file could make the text many
    // times the file's size. The bytes read so far prove the file at least that long, which
    // settles the question for every real chain without asking the system for the size.
    std::uint64_t blocksRead = 0;
    std::uint64_t provenSize = 0;
    std::optional<std::uint64_t> blockLimit;
    ChainGuard guard;
    std::array<char, kBlockDataSize> cleaned;  // filled before each use
    std::int32_t expected = offset;
    while (guard.FirstVisit(expected)) {
        if (blocksRead >= provenSize / kBlockSize + 1) {
            if (!blockLimit) blockLimit = file.Size() / kBlockSize + 1;
            if (blocksRead >= *blockLimit) break;
        }
        ++blocksRead;
        const auto block = file.Bytes(expected, kBlockSize);
        if (!block.empty()) {
            provenSize = std::max<std::uint64_t>(
                provenSize, static_cast<std::uint64_t>(expected) + block.size());
        }
        if (block.size() < kBlockHeaderSize || LoadI32(block.data()) != expected) break;
        const std::int32_t used = std::min(LoadI32(block.data() + 8), kBlockDataSize);
        const std::int32_t next = LoadI32(block.data() + 12);
        // Bytes the file ends before are not there to write.
        const auto available = static_cast<std::int32_t>(block.size() - kBlockHeaderSize);
        const std::int32_t take = std::clamp(used, 0, available);
        const auto* data = reinterpret_cast<const char*>(block.data() + kBlockHeaderSize);
        if (mode == TextMode::Recovered) {
            std::replace_copy(data, data + take, cleaned.begin(), '\0', ' ');
            data = cleaned.data();
        }
        out.write(data, take);
        if (next == 0) break;
        expected = next;
    }
}

void ReadText(ReaderState& reader, const std::string& path, std::int32_t offset, TextMode mode,
              std::ostream& out) {
    if (offset <= 0) return;
    // Unlike the index, the text is read only while nobody else holds the file.
    OpenFileSlot slot(reader, path, platform::ShareMode::Exclusive, platform::SizeQuery::WhenAsked);
    if (mode == TextMode::Stored) ReadItemCount(reader);
    if (mode == TextMode::Recovered || reader.FileHeader.ItemCount > 0) {
        FileWindow file(slot.File(), FileWindow::Access::Buffered, reader.ReadBuffer);
        ReadBlockChain(file, offset, mode, out);
    }
    // A directory can open for reading, but none of its reads gives a byte, so nothing was
    // written: fail as the open would have.
    if (slot.File().NamesDirectory()) {
        throw platform::PlatformError(platform::FormatErrorText("Cannot open file %s", path));
    }
}

}  // namespace

void ReadMessageText(ReaderState& reader, const std::string& path, std::int32_t offset,
                     std::ostream& out) {
    ReadText(reader, path, offset, TextMode::Stored, out);
}

void ReadRecoveredText(ReaderState& reader, const std::string& path, std::int32_t offset,
                       std::ostream& out) {
    ReadText(reader, path, offset, TextMode::Recovered, out);
}

}  // namespace dorvane

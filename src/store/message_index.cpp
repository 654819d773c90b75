
#include "platform/platform_error.h"
#include "store/file_window.h"
#include "store/offset_table.h"
#include "store/property_record.h"
#include "store/reader_slot.h"
#include "store/record_readers.h"
#include "store/store_paths.h"
#include "store/uoexpress.h"

namespace dorvane {

namespace {

constexpr std::int64_t kItemCountOffset = 0xC4;
constexpr std::int64_t kCatalogueRootOffset = 0x30;
constexpr std::int64_t kMessageRootOffset = 0xE4;
constexpr std::size_t kNodeHeaderSize = 24;
constexpr std::size_t kEntrySize = 12;

// One node of the index walk in progress. The walk keeps these on a stack of its own
// rather than recursing, so a damaged file that chains a million nodes cannot exhaust the
// program's stack; the stages reproduce the recursive order exactly.
struct NodeFrame {
    enum class Stage { FirstLink, SecondLink, Entries };
    std::int32_t Node;
    Stage Next;
    std::int32_t FirstLink;
    std::int32_t SecondLink;
    std::uint32_t EntryCount;
    std::uint32_t EntryIndex;
};

// What one walk appends, with the records already read by offset: an index that names a
// record from many entries appends it many times, and each time shares the same record.
class IndexWalk {
  public:
    IndexWalk(ReaderState& reader, FileWindow& file, FolderList* folders, MessageList* messages)
        : reader_(reader), file_(file), folders_(folders), messages_(messages) {}

    void Run(std::int32_t root);

  private:
    // Reads the header of node, marks it visited and returns its frame; nothing when the
    // node is not there.
    std::optional<NodeFrame> Enter(std::int32_t node);
    void ReadRecord(std::int32_t offset);
    bool ShouldWalk(std::int32_t node) const {
        return node > 0 && !reader_.VisitedNodes.contains(node);
    }

    ReaderState& reader_;
    FileWindow& file_;
    FolderList* folders_;
    MessageList* messages_;
    // Records read so far, by offset: where the record was appended to the list, or
    // kNotTaken.
    OffsetTable recordIndex_;
    RecordBlocks<Toe5_FolderInfo> folderBlocks_;
    RecordBlocks<Toe5_MessageInfo> messageBlocks_;
};

std::optional<NodeFrame> IndexWalk::Enter(std::int32_t node) {
    const auto header = file_.Bytes(node, kNodeHeaderSize);
    if (header.size() < kNodeHeaderSize || LoadI32(header.data()) != node) return std::nullopt;
    reader_.VisitedNodes.insert(node);
    // Entries the file ends before are never read, so a huge count in a small file costs
    // nothing.
    const std::uint64_t room = file_.Size() - (static_cast<std::uint64_t>(node) + kNodeHeaderSize);
    const std::uint64_t stored = LoadU32(header.data() + 0x10) >> 8;
    const auto count =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(stored, room / kEntrySize));
    return NodeFrame{node,
                     NodeFrame::Stage::FirstLink,
                     LoadI32(header.data() + 0x0C),
                     LoadI32(header.data() + 0x08),
                     count,
                     0};
}

void IndexWalk::Run(std::int32_t root) {
    std::vector<NodeFrame> stack;
    if (root <= 0) return;
    if (auto frame = Enter(root)) stack.push_back(*frame);
    while (!stack.empty()) {
        NodeFrame& top = stack.back();
        std::int32_t descend = 0;
        switch (top.Next) {
            case NodeFrame::Stage::FirstLink:
                top.Next = NodeFrame::Stage::SecondLink;
                if (ShouldWalk(top.FirstLink)) descend = top.FirstLink;
                break;
            case NodeFrame::Stage::SecondLink:
                top.Next = NodeFrame::Stage::Entries;
                if (ShouldWalk(top.SecondLink)) descend = top.SecondLink;
                break;
            case NodeFrame::Stage::Entries: {
                if (top.EntryIndex >= top.EntryCount) {
                    stack.pop_back();
                    break;
                }
                const std::int64_t at = std::int64_t{top.Node} + kNodeHeaderSize +
                                        std::int64_t{top.EntryIndex} * kEntrySize;
                ++top.EntryIndex;
                const auto entry = file_.Bytes(at, kEntrySize);
                const std::int32_t record = LoadI32(entry.data());
                const std::int32_t child = LoadI32(entry.data() + 4);
                if (record > 0) ReadRecord(record);
                if (ShouldWalk(child)) descend = child;
                break;
            }
        }
        if (descend != 0) {
            // Pushing may move the stack, so `top` is not used past this point.
            if (auto frame = Enter(descend)) stack.push_back(*frame);
        }
    }
}

constexpr std::uint32_t kNotTaken = UINT32_MAX;

// Appends the record at offset, reading it only the first time the walk meets it; later
// entries naming it append the same record again. The list only grows during a walk, so
// the position of the first append names the record for good.
template <typename Record, typename Reader>
void AppendRecord(OffsetTable& index, std::int32_t offset, Reader read,
                  std::vector<std::shared_ptr<const Record>>& list) {
    if (const auto known = index.Find(offset)) {
        if (*known != kNotTaken) {
            auto again = list[*known];
            list.push_back(std::move(again));
        }
        return;
    }
    auto record = read(offset);
    index.Insert(offset, record ? static_cast<std::uint32_t>(list.size()) : kNotTaken);
    if (record) list.push_back(std::move(record));
}

void IndexWalk::ReadRecord(std::int32_t offset) {
    if (folders_ != nullptr) {
        AppendRecord(
            recordIndex_, offset,
            [this](std::int32_t at) { return ReadFolderRecord(file_, at, folderBlocks_); },
            *folders_);
    } else {
        AppendRecord(
            recordIndex_, offset,
            [this](std::int32_t at) { return ReadMessageRecord(file_, at, messageBlocks_); },
            *messages_);
    }
}

}  // namespace

bool IsCatalogueFile(const std::string& path) {
    return FileNamePart(path) == "folders.dbx";
}

void ReadItemCount(ReaderState& reader) {
    if (!reader.OpenFile) return;
    std::uint8_t bytes[4] = {};
    // A header the file ends in the middle of gives 0: no bytes that were not read are used.
    const std::size_t got = reader.OpenFile->ReadAt(kItemCountOffset, bytes);
    reader.FileHeader.ItemCount = got == sizeof bytes ? LoadI32(bytes) : 0;
}

void ReadDbxIndex(ReaderState& reader, const std::string& path, FolderList* folders,
                  MessageList* messages) {
    const bool catalogue = IsCatalogueFile(path);
    if ((catalogue && folders == nullptr) || (!catalogue && messages == nullptr)) return;

    OpenFileSlot slot(reader, path, platform::ShareMode::ReadWrite);
    ReadItemCount(reader);
    if (reader.FileHeader.ItemCount == 0) return;

    FileWindow file(slot.File(), FileWindow::Access::Mapped, reader.ReadBuffer);
    const auto rootField = file.Bytes(catalogue ? kCatalogueRootOffset : kMessageRootOffset, 4);
    const std::int32_t root = rootField.size() == 4 ? LoadI32(rootField.data()) : 0;

    reader.VisitedNodes.clear();
    IndexWalk walk(reader, file, catalogue ? folders : nullptr, catalogue ? nullptr : messages);
    try {
        walk.Run(root);
    } catch (...) {
        reader.VisitedNodes.clear();
        throw;
    }
    reader.VisitedNodes.clear();
}

}  // namespace dorvane

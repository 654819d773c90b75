
#include <functional>

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

// What a walk does with the record offset of each entry that names one, in walk order.
class EntrySink {
  public:
    virtual void Take(std::int32_t recordOffset) = 0;

  protected:
    ~EntrySink() = default;
};

// The walk over the index nodes, in the order of the rules.
class IndexWalk {
  public:
    IndexWalk(ReaderState& reader, FileWindow& file, EntrySink& sink)
        : reader_(reader), file_(file), sink_(sink) {}

    void Run(std::int32_t root);

  private:
    // Reads the header of node, marks it visited and returns its frame; nothing when the
    // node is not there.
    std::optional<NodeFrame> Enter(std::int32_t node);
    bool ShouldWalk(std::int32_t node) const {
        return node > 0 && !reader_.VisitedNodes.contains(node);
    }

    ReaderState& reader_;
    FileWindow& file_;
    EntrySink& sink_;
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
                if (record > 0) sink_.Take(record);
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

// Appends to the list, with the records already read by offset: an index that names a
// record from many entries appends it many times, and each time shares the same record.
template <typename Record>
class ListSink final : public EntrySink {
  public:
    ListSink(FileWindow& file, std::vector<std::shared_ptr<const Record>>& list)
        : file_(file), list_(list) {}

    void Take(std::int32_t offset) override {
        AppendRecord(
            index_, offset, [this](std::int32_t at) { return ReadRecord(file_, at, blocks_); },
            list_);
    }

  private:
    FileWindow& file_;
    std::vector<std::shared_ptr<const Record>>& list_;
    // Records read so far, by offset: where the record was appended to the list, or
    // kNotTaken.
    OffsetTable index_;
    RecordBlocks<Record> blocks_;
};

// Hands each record on as the walk reaches it and keeps none: a record named again is read
// again, which gives the same record. One record is filled again for each, so its texts
// are allocated once rather than once per record.
template <typename Record>
class StreamSink final : public EntrySink {
  public:
    StreamSink(FileWindow& file, const std::function<void(const Record&)>& take)
        : file_(file), take_(take) {}

    void Take(std::int32_t offset) override {
        if (ReadRecord(file_, offset, current_)) take_(current_);
    }

  private:
    FileWindow& file_;
    const std::function<void(const Record&)>& take_;
    Record current_;
};

// Opens path into the reader's slot and walks its index, if the ItemCount gate lets it,
// with the sink that makeSink gives for the file.
template <typename MakeSink>
void WalkIndex(ReaderState& reader, const std::string& path, bool catalogue, MakeSink makeSink) {
    OpenFileSlot slot(reader, path, platform::ShareMode::ReadWrite);
    ReadItemCount(reader);
    if (reader.FileHeader.ItemCount == 0) return;

    FileWindow file(slot.File(), FileWindow::Access::Walked, reader.ReadBuffer);
    const auto rootField = file.Bytes(catalogue ? kCatalogueRootOffset : kMessageRootOffset, 4);
    const std::int32_t root = rootField.size() == 4 ? LoadI32(rootField.data()) : 0;

    reader.VisitedNodes.clear();
    auto sink = makeSink(file);
    IndexWalk walk(reader, file, sink);
    try {
        walk.Run(root);
    } catch (...) {
        reader.VisitedNodes.clear();
        throw;
    }
    reader.VisitedNodes.clear();
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
    if (IsCatalogueFile(path)) {
        if (folders == nullptr) return;
        WalkIndex(reader, path, true,
                  [&](FileWindow& file) { return ListSink<Toe5_FolderInfo>(file, *folders); });
    } else {
        if (messages == nullptr) return;
        WalkIndex(reader, path, false,
                  [&](FileWindow& file) { return ListSink<Toe5_MessageInfo>(file, *messages); });
    }
}

void ForEachIndexRecord(ReaderState& reader, const std::string& path,
                        const std::function<void(const Toe5_FolderInfo&)>& folder,
                        const std::function<void(const Toe5_MessageInfo&)>& message) {
    if (IsCatalogueFile(path)) {
        if (!folder) return;
        WalkIndex(reader, path, true,
                  [&](FileWindow& file) { return StreamSink<Toe5_FolderInfo>(file, folder); });
    } else {
        if (!message) return;
        WalkIndex(reader, path, false,
                  [&](FileWindow& file) { return StreamSink<Toe5_MessageInfo>(file, message); });
    }
}

}  // namespace dorvane

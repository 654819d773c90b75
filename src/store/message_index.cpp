
#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

#include "platform/platform_error.h"
#include "store/file_window.h"
#include "store/offset_table.h"
#include "store/property_record.h"
#include "store/reader_slot.h"
#include "store/record_readers.h"
#include "store/side_by_side.h"
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

// Appends to the list as the walk meets each record, with the records already read by
// offset: an index that names a record from many entries appends it many times, and each
// time shares the same record.
template <typename Record>
class InlineListSink final : public EntrySink {
  public:
    InlineListSink(FileWindow& file, std::vector<std::shared_ptr<const Record>>& list)
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

// Collects what the walk finds: each record offset once, in the order the walk first meets
// it, and for each entry the number of the offset it names. The records are made once the
// walk is over (see MakeRecords), which lets several threads make them.
class EntryCollector final : public EntrySink {
  public:
    // Thrown once the walk names more entries than the file has room for.
    struct TooMany {};

    // An index whose nodes do not overlap names at most one entry per 12 bytes of the file.
    // Nodes that overlap may name the same few offsets from millions of entries, and keeping
    // a number for each would cost more than the file; such a walk is given up.
    explicit EntryCollector(std::uint64_t fileSize) : mostEntries_(fileSize / kEntrySize) {}

    void Take(std::int32_t offset) override {
        if (entries_.size() >= mostEntries_) throw TooMany{};
        if (const auto known = numbers_.Find(offset)) {
            entries_.push_back(*known);
            return;
        }
        const auto number = static_cast<std::uint32_t>(offsets_.size());
        numbers_.Insert(offset, number);
        offsets_.push_back(offset);
        entries_.push_back(number);
    }

    const std::vector<std::int32_t>& Offsets() const { return offsets_; }
    const std::vector<std::uint32_t>& Entries() const { return entries_; }
    // The lookup is needed only while the walk runs.
    void EndWalk() { numbers_ = {}; }

  private:
    std::uint64_t mostEntries_;
    OffsetTable numbers_;
    std::vector<std::int32_t> offsets_;
    std::vector<std::uint32_t> entries_;
};

// A large index is made into records by several threads, each reading the file in place
// through the walk's mapping. Copying the file costs about as much as making the records
// from it, and a processor's memory bandwidth bounds the copying; in place, each thread
// touches only the pages its records lie in, and the threads share the work of making them.
//
// Records a thread takes at a time: enough that its reads stay together, few enough that
// the threads move through the file side by side, as one forward stream, which is what a
// disk the file is not cached from reads best.
constexpr std::size_t kRecordsPerBatch = 256;
// A thread is worth starting for this many records; fewer are made by the walking thread.
constexpr std::size_t kRecordsPerThread = 16384;
constexpr std::size_t kMostThreads = 4;

std::size_t ThreadsFor(std::size_t records, const FileWindow& walked) {
    if (!walked.Mapped()) return 1;
    const std::size_t processors =
        std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, kMostThreads);
    return std::clamp<std::size_t>(records / kRecordsPerThread, 1, processors);
}

// Read in place, a record costs mostly the wait for its bytes to arrive from memory, as the
// records lie too far apart for the processor to guess where the next one is. So the first
// bytes of a record a few ahead are asked for while this one is made: enough for the header,
// the table and the usual texts.
constexpr std::size_t kPrefetchAhead = 4;
constexpr std::size_t kPrefetchBytes = 256;

// Makes the records at offsets [first, end) into made.
template <typename Record>
void MakeRange(FileWindow& window, const std::vector<std::int32_t>& offsets, std::size_t first,
               std::size_t end, RecordBlocks<Record>& blocks,
               std::vector<std::shared_ptr<const Record>>& made) {
    for (std::size_t i = first; i < std::min(end, first + kPrefetchAhead); ++i) {
        window.Prefetch(offsets[i], kPrefetchBytes);
    }
    for (std::size_t i = first; i < end; ++i) {
        if (i + kPrefetchAhead < end) window.Prefetch(offsets[i + kPrefetchAhead], kPrefetchBytes);
        made[i] = ReadRecord(window, offsets[i], blocks);
    }
}

// Makes the record at each offset into made (null where a record is not taken).
template <typename Record>
void MakeRecords(FileWindow& walked, const std::vector<std::int32_t>& offsets,
                 std::vector<std::shared_ptr<const Record>>& made) {
    made.resize(offsets.size());
    const std::size_t threads = ThreadsFor(offsets.size(), walked);
    if (threads == 1) {
        RecordBlocks<Record> blocks;
        MakeRange(walked, offsets, 0, offsets.size(), blocks, made);
        return;
    }

    // Each thread reads through a window of its own over the walk's mapping.
    RunSideBySide(offsets.size(), kRecordsPerBatch, threads, [&] {
        return [&, window = FileWindow(walked, FileWindow::SharingMapping{}),
                blocks = RecordBlocks<Record>()](std::size_t first, std::size_t end) mutable {
            MakeRange(window, offsets, first, end, blocks, made);
        };
    });
}

// Makes the records the walk found and appends them, one for each entry that names one:
// an index that names a record from many entries appends it many times, and each time
// shares the same record.
template <typename Record>
void AppendFound(FileWindow& file, EntryCollector& found,
                 std::vector<std::shared_ptr<const Record>>& list) {
    found.EndWalk();
    std::vector<std::shared_ptr<const Record>> made;
    MakeRecords(file, found.Offsets(), made);
    // The list grows by exactly what it takes, with no room left over from doubling.
    const auto taken = std::count_if(found.Entries().begin(), found.Entries().end(),
                                     [&](std::uint32_t number) { return made[number] != nullptr; });
    list.reserve(list.size() + static_cast<std::size_t>(taken));
    if (found.Entries().size() == made.size()) {
        // No record is named twice (as in any file that is not damaged): the entries are the
        // records in order, which move into the list without touching their counts.
        for (auto& record : made) {
            if (record) list.push_back(std::move(record));
        }
        return;
    }
    for (const std::uint32_t number : found.Entries()) {
        if (made[number]) list.push_back(made[number]);
    }
}

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

// Opens path into the reader's slot and, if the ItemCount gate lets it, calls
// use(file, walk): walk(sink) walks the index, handing each entry's record offset to sink.
template <typename Use>
void WalkIndex(ReaderState& reader, const std::string& path, bool catalogue, Use use) {
    OpenFileSlot slot(reader, path, platform::ShareMode::ReadWrite);
    ReadItemCount(reader);
    if (reader.FileHeader.ItemCount == 0) return;

    FileWindow file(slot.File(), FileWindow::Access::Walked, reader.ReadBuffer);
    const auto rootField = file.Bytes(catalogue ? kCatalogueRootOffset : kMessageRootOffset, 4);
    const std::int32_t root = rootField.size() == 4 ? LoadI32(rootField.data()) : 0;

    const auto walk = [&](EntrySink& sink) {
        reader.VisitedNodes.clear();
        IndexWalk nodes(reader, file, sink);
        try {
            nodes.Run(root);
        } catch (...) {
            reader.VisitedNodes.clear();
            throw;
        }
        reader.VisitedNodes.clear();
    };
    use(file, walk);
}

template <typename Record>
void WalkIntoList(ReaderState& reader, const std::string& path, bool catalogue,
                  std::vector<std::shared_ptr<const Record>>& list) {
    WalkIndex(reader, path, catalogue, [&](FileWindow& file, const auto& walk) {
        try {
            EntryCollector found(file.Size());
            walk(found);
            AppendFound(file, found, list);
        } catch (const EntryCollector::TooMany&) {
            // A damaged index whose nodes overlap: walked again, making each record as the
            // walk meets it, it costs memory only for the entries that name a record.
            InlineListSink<Record> sink(file, list);
            walk(sink);
        }
    });
}

template <typename Record>
void WalkIntoStream(ReaderState& reader, const std::string& path, bool catalogue,
                    const std::function<void(const Record&)>& take) {
    WalkIndex(reader, path, catalogue, [&](FileWindow& file, const auto& walk) {
        StreamSink<Record> sink(file, take);
        walk(sink);
    });
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
        WalkIntoList(reader, path, true, *folders);
    } else {
        if (messages == nullptr) return;
        WalkIntoList(reader, path, false, *messages);
    }
}

void ForEachIndexRecord(ReaderState& reader, const std::string& path,
                        const std::function<void(const Toe5_FolderInfo&)>& folder,
                        const std::function<void(const Toe5_MessageInfo&)>& message) {
    if (IsCatalogueFile(path)) {
        if (!folder) return;
        WalkIntoStream(reader, path, true, folder);
    } else {
        if (!message) return;
        WalkIntoStream(reader, path, false, message);
    }
}

}  // namespace dorvane

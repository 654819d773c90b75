#pragma once

// The mail store reader: the records it builds from Outlook Express 5 DBX files and the
// operations that read them. Everything here only ever reads the mail files.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/local_time.h"
#include "platform/read_only_file.h"

namespace dorvane {

using platform::LocalDateTime;

// A Windows FILETIME: 100-nanosecond intervals since 1601-01-01 UTC, kept as the two
// 32-bit halves the files store, low half first.
struct FileTime {
    std::uint32_t Low = 0;
    std::uint32_t High = 0;

    static constexpr FileTime FromTicks(std::uint64_t ticks) {
        return {static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    }
    constexpr std::uint64_t Ticks() const { return (std::uint64_t{High} << 32) | Low; }
    constexpr bool IsZero() const { return Low == 0 && High == 0; }
    bool operator==(const FileTime&) const = default;
};

struct Toe5_FileHeader {
    // The value at 0xC4 of the file read last. Only a gate: indexing needs it non-zero,
    // reading message text needs it above zero.
    std::int32_t ItemCount = 0;
};

// One folder of a catalogue (folders.dbx).
struct Toe5_FolderInfo {
    std::string FolderName;
    std::int32_t FolderId = 0;
    std::int32_t ParentId = 0;
    std::string FileName;

    bool operator==(const Toe5_FolderInfo&) const = default;
};

// One message of a folder file's index, or one salvaged from raw text. Texts are the bytes
// the file holds, unconverted.
struct Toe5_MessageInfo {
    std::int32_t Value80 = 0;
    std::int32_t Value01 = 0;
    std::string Text1B;
    std::string Text1A;
    std::string Text07;
    FileTime Time02;
    FileTime ReceivedTime;
    std::string Subject;
    std::string FromName;
    std::string Text09;
    std::string ToName;
    std::string ReplyTo;
    std::string Text0A;
    std::string Text0B;
    std::int32_t MsgSize = 0;
    std::int32_t DataOffset = 0;
    std::int32_t RecordOffset = 0;

    bool operator==(const Toe5_MessageInfo&) const = default;
};

// Records never change once made, and an index may name one record from many entries, so
// lists hold shared pointers: a repeated entry costs a pointer, not a copy of its texts.
using FolderList = std::vector<std::shared_ptr<const Toe5_FolderInfo>>;
using MessageList = std::vector<std::shared_ptr<const Toe5_MessageInfo>>;

// The reader's shared state: one open-file slot, the header of the file in it, and the
// nodes already walked by the indexing under way. Each operation opens its file into the
// slot at its start and closes it before it returns, however it ends.
struct ReaderState {
    std::optional<platform::ReadOnlyFile> OpenFile;
    Toe5_FileHeader FileHeader;
    std::unordered_set<std::int32_t> VisitedNodes;
    // Where text reads land; kept so reading thousands of messages allocates it once.
    std::vector<std::uint8_t> ReadBuffer;
};

// True when the file-name part of path (after the last delimiter) is exactly "folders.dbx".
bool IsCatalogueFile(const std::string& path);

// Reads the index of the DBX file at path. A catalogue appends one record per folder to
// folders, any other file one record per message record to messages; records follow what
// the list already holds. When the list the file calls for is null nothing happens and no
// file is opened. Throws platform::PlatformError("Cannot open file <path>").
void ReadDbxIndex(ReaderState& reader, const std::string& path, FolderList* folders,
                  MessageList* messages);

// Walks the index as ReadDbxIndex does, but hands each record to folder or message the
// moment the walk reaches it and keeps none: the same records in the same order, one call
// for each record ReadDbxIndex would append. Lists a large file without holding it in
// memory. Records are only valid during the call.
void ForEachIndexRecord(ReaderState& reader, const std::string& path,
                        const std::function<void(const Toe5_FolderInfo&)>& folder,
                        const std::function<void(const Toe5_MessageInfo&)>& message);

// Reads the signed 32-bit value at 0xC4 of the file in the slot into FileHeader.ItemCount;
// does nothing when the slot is empty.
void ReadItemCount(ReaderState& reader);

// A stored UTC time as local date and time, converted with the zone offset in force now.
// A zero time, or one whose local year falls outside 1991..2049, gives the current local
// time: such messages show, sort and search as "now".
LocalDateTime MessageTimeToDateTime(FileTime time);
// The same, with "now" given by the caller, so one sort or search can use one "now".
LocalDateTime MessageTimeToDateTime(FileTime time, const LocalDateTime& now);
// The local time of a stored time, or nothing where MessageTimeToDateTime gives "now".
std::optional<LocalDateTime> StoredTimeToLocal(FileTime time);

// Writes the text of the message whose first block is at offset to out, byte for byte.
// Writes nothing for an offset of 0 or below, or when the file's ItemCount is not above 0.
// Opens the file without sharing. Throws platform::PlatformError("Cannot open file <path>").
void ReadMessageText(ReaderState& reader, const std::string& path, std::int32_t offset,
                     std::ostream& out);

// As ReadMessageText for salvaged messages: the header is not trusted, so ItemCount is not
// tested, and NUL bytes in the text become blanks.
void ReadRecoveredText(ReaderState& reader, const std::string& path, std::int32_t offset,
                       std::ostream& out);

}  // namespace dorvane

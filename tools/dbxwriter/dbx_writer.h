#pragma once

// Low-level DBX writer: lays out index nodes, property records and message blocks at
// offsets it hands back, so a test can state a file's structure (broken parts included)
// in a few lines and patch any byte afterwards.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dorvane::fixture {

// One property of a record. Ids of 0x80 and above carry their value directly; ids below
// keep it in the data area, and the entry holds the value's offset there.
struct Property {
    std::uint8_t Id = 0;
    std::uint32_t Direct = 0;                 // the 24-bit value, for direct ids
    std::string Data;                         // the bytes stored in the data area, for the others
    std::optional<std::uint32_t> DataOffset;  // force the entry's offset (e.g. past the end)

    static Property Value(std::uint8_t id, std::uint32_t value);     // direct 24-bit
    static Property Text(std::uint8_t id, const std::string& text);  // NUL added
    static Property Time(std::uint8_t id, std::uint64_t filetime);   // 8 bytes
    static Property Number32(std::uint8_t id, std::uint32_t value);  // 4 bytes
    static Property Number24(std::uint8_t id, std::uint32_t value);  // 3 bytes
    static Property Raw(std::uint8_t id, const std::string& bytes);  // as given
    static Property At(std::uint8_t id, std::uint32_t offset);       // offset only
};

struct Entry {
    std::int32_t Record = 0;
    std::int32_t Child = 0;
};

struct RecordOptions {
    std::optional<std::uint8_t> StoredCount;  // the count byte at 0x0A, when not the truth
    std::optional<std::int32_t> BodyLength;   // the length at 0x04, when not the truth
};

class DbxWriter {
  public:
    // The header is zero-filled; real files use 0x24BC bytes, tests get by with less.
    static constexpr std::size_t kRealHeaderSize = 0x24BC;
    static constexpr std::size_t kSmallHeaderSize = 0x100;
    explicit DbxWriter(std::size_t headerSize = kSmallHeaderSize);

    // Header fields.
    void SetItemCount(std::int32_t count) { PutU32(0xC4, static_cast<std::uint32_t>(count)); }
    void SetMessageRoot(std::int32_t node) { PutU32(0xE4, static_cast<std::uint32_t>(node)); }
    void SetCatalogueRoot(std::int32_t node) { PutU32(0x30, static_cast<std::uint32_t>(node)); }

    // An index node with its two links: `first` (at 0x0C) is walked before `second` (0x08).
    std::int32_t AddNode(const std::vector<Entry>& entries, std::int32_t first = 0,
                         std::int32_t second = 0);
    void SetNodeLinks(std::int32_t node, std::int32_t first, std::int32_t second);
    void SetNodeEntry(std::int32_t node, std::size_t index, Entry entry);
    // Writes a raw entry count (bits 8..31 of the word at 0x10).
    void SetNodeEntryCount(std::int32_t node, std::uint32_t count);

    std::int32_t AddRecord(const std::vector<Property>& properties,
                           const RecordOptions& options = {});

    // A message text as a chain of blocks, each holding up to bytesPerBlock bytes (1..512).
    // Returns the offset of the first block; an empty text still gets one block.
    std::int32_t AddText(const std::string& text, std::size_t bytesPerBlock = 512);
    // One block with the given fields as stored.
    std::int32_t AddBlock(const std::string& data, std::int32_t usedLength, std::int32_t next);

    // Zero bytes appended; returns their offset.
    std::int32_t AddPadding(std::size_t bytes);
    std::int32_t AddBytes(const std::string& bytes);

    void PutU32(std::size_t at, std::uint32_t value);
    std::int32_t Size() const { return static_cast<std::int32_t>(bytes_.size()); }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t>& Bytes() { return bytes_; }

    // Writes the bytes to path; throws std::runtime_error when it cannot.
    void Save(const std::string& path) const;

  private:
    std::vector<std::uint8_t> bytes_;
};

void SaveBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace dorvane::fixture

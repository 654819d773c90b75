#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "store/file_window.h"

namespace dorvane {

// One property record as found in the file: its table of entries and its data area, both
// clipped to what the file holds. Values are looked up only inside the data area.
class PropertyRecord {
  public:
    // Reads the record at offset; Valid() is false when the file does not hold its header
    // or its self-offset does not match. zeroMeansEighteen: message records store 18
    // entries as a count of 0, folder records mean no entries by it.
    PropertyRecord(FileWindow& file, std::int32_t offset, bool zeroMeansEighteen);

    bool Valid() const { return valid_; }
    std::size_t EntryCount() const { return entryCount_; }

    // Entry i of the table, split into id (low 8 bits) and 24-bit number.
    std::uint8_t Id(std::size_t i) const { return table_[i * 4]; }
    std::uint32_t Number(std::size_t i) const { return LoadU32(&table_[i * 4]) >> 8; }

    // Values in the data area at the given offset. A value that does not fit in the data
    // area gives empty text or 0. A text is assigned into a string the caller has, which
    // keeps its room when it is filled again.
    void Text(std::uint32_t at, std::string& into) const;
    std::uint32_t U32(std::uint32_t at) const;
    std::uint32_t U24(std::uint32_t at) const;
    std::uint64_t U64(std::uint32_t at) const;

  private:
    bool valid_ = false;
    std::size_t entryCount_ = 0;
    std::span<const std::uint8_t> table_;
    std::span<const std::uint8_t> data_;
};

}  // namespace dorvane

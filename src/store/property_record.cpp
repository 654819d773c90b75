#include "store/property_record.h"

#include <algorithm>
#include <cstring>

namespace dorvane {

namespace {
constexpr std::size_t kHeaderSize = 12;
}

PropertyRecord::PropertyRecord(FileWindow& file, std::int32_t offset, bool zeroMeansEighteen) {
    const auto header = file.Bytes(offset, kHeaderSize);
    if (header.size() < kHeaderSize || LoadI32(header.data()) != offset) return;
    const std::int32_t bodyLength = LoadI32(header.data() + 4);
    entryCount_ = header[0x0A];
    if (entryCount_ == 0 && zeroMeansEighteen) entryCount_ = 18;
    const std::size_t tableSize = entryCount_ * 4;
    // A body shorter than its own table leaves no data area at all.
    const std::size_t dataSize =
        bodyLength > static_cast<std::int64_t>(tableSize) ? bodyLength - tableSize : 0;

    // Header, table and data area lie back to back: one request keeps them all in view.
    const auto whole = file.Bytes(offset, kHeaderSize + tableSize + dataSize);
    const auto afterHeader = whole.subspan(std::min(whole.size(), kHeaderSize));
    // Only entries the file holds in full are decoded.
    entryCount_ = std::min(entryCount_, afterHeader.size() / 4);
    table_ = afterHeader.first(entryCount_ * 4);
    data_ = afterHeader.size() >= tableSize ? afterHeader.subspan(tableSize)
                                            : std::span<const std::uint8_t>{};
    valid_ = true;
}

void PropertyRecord::Text(std::uint32_t at, std::string& into) const {
    into.clear();
    if (at >= data_.size()) return;
    const auto* start = data_.data() + at;
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(start, 0, data_.size() - at));
    // A text must end inside the data area; one that runs off its end is not taken.
    if (end == nullptr) return;
    into.assign(reinterpret_cast<const char*>(start), static_cast<std::size_t>(end - start));
}

std::uint32_t PropertyRecord::U32(std::uint32_t at) const {
    if (at > data_.size() || data_.size() - at < 4) return 0;
    return LoadU32(data_.data() + at);
}

std::uint32_t PropertyRecord::U24(std::uint32_t at) const {
    if (at > data_.size() || data_.size() - at < 3) return 0;
    const auto* bytes = data_.data() + at;
    return bytes[0] + bytes[1] * 256u + bytes[2] * 65536u;
}

std::uint64_t PropertyRecord::U64(std::uint32_t at) const {
    if (at > data_.size() || data_.size() - at < 8) return 0;
    return LoadU32(data_.data() + at) | std::uint64_t{LoadU32(data_.data() + at + 4)} << 32;
}

}  // namespace dorvane

#include "recovery/zero_runs.h"

#include <algorithm>
#include <cstring>

#include "store/file_window.h"

namespace dorvane {

namespace {

// The bytes looked at in one go around a zero byte: a block header's zero bytes all lie
// within its 16 bytes.
constexpr std::size_t kClusterBytes = 16;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
constexpr std::uint64_t kHigh = 0x8080808080808080ULL;

std::uint64_t LoadWord64(const std::uint8_t* at) {
    std::uint64_t word = 0;
    for (int i = 7; i >= 0; --i) word = word << 8 | at[i];
    return word;
}

// Bit i set where byte i of the little-endian word is zero.
unsigned ZeroByteBits(std::uint64_t word) {
    // The high bit of each byte ends up set exactly where the byte is zero (no carry
    // crosses bytes); the multiplication gathers the eight high bits into the top byte.
    const std::uint64_t high = ~(((word & kLow7) + kLow7) | word | kLow7);
    return static_cast<unsigned>(((high >> 7) * 0x0102040810204080ULL) >> 56);
}

// Eight bytes counting up from the lowest byte of `first`, wrapping at 256: the lowest
// bytes of eight consecutive offsets.
std::uint64_t CountingBytes(std::uint64_t first) {
    const std::uint64_t a = (first & 0xFF) * 0x0101010101010101ULL;
    const std::uint64_t b = 0x0706050403020100ULL;
    return ((a & kLow7) + (b & kLow7)) ^ ((a ^ b) & kHigh);
}

// Whether no run that matters starts in the 16 bytes at `at`, which start with a zero
// byte: true when the last of them is not zero, so that every run in them ends inside them
// (too short to matter), and no offset in them that follows a zero byte holds its own
// lowest byte, which a block start must.
bool QuietCluster(const std::uint8_t* at, std::uint64_t offset) {
    const std::uint64_t low = LoadWord64(at);
    const std::uint64_t high = LoadWord64(at + 8);
    const unsigned zeros = ZeroByteBits(low) | ZeroByteBits(high) << 8;
    const unsigned ownLowByte = ZeroByteBits(low ^ CountingBytes(offset)) |
                                ZeroByteBits(high ^ CountingBytes(offset + 8)) << 8;
    return (zeros & 0x8000u) == 0 && ((zeros << 1) & ownLowByte & 0xFFFFu) == 0;
}

}  // namespace

std::size_t ListZeroRuns(std::span<const std::uint8_t> bytes, std::int64_t first, std::size_t from,
                         std::size_t pageLength, bool fileEndsThere, std::size_t maxRuns,
                         std::vector<ZeroRun>& runs) {
    const std::size_t size = bytes.size();
    pageLength = std::min(pageLength, size);
    std::size_t i = from;
    while (i < pageLength) {
        if (runs.size() >= maxRuns) return i;
        const void* found = std::memchr(bytes.data() + i, 0, pageLength - i);
        if (found == nullptr) break;
        const auto zero =
            static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - bytes.data());
        const std::int64_t offset = first + static_cast<std::int64_t>(zero);
        if (zero + kClusterBytes <= size &&
            QuietCluster(bytes.data() + zero, static_cast<std::uint64_t>(offset))) {
            i = zero + kClusterBytes;
            continue;
        }
        std::size_t end = zero;
        while (end < size && bytes[end] == 0) ++end;
        ZeroRun run{offset, first + static_cast<std::int64_t>(end), 0, true};
        if (end == size && !fileEndsThere) {
            // No later run starts in the page.
            run.Complete = false;
            runs.push_back(run);
            return pageLength;
        }
        for (std::size_t x = std::max(zero + 1, end >= 3 ? end - 3 : 0); x <= end; ++x) {
            const std::int64_t at = first + static_cast<std::int64_t>(x);
            if (x + 4 > size) {
                // A word the file ends in never matches; one the bytes end in is unknown.
                if (!fileEndsThere) run.Complete = false;
                break;
            }
            if (at >= 1 && LoadU32(bytes.data() + x) == static_cast<std::uint32_t>(at)) {
                run.BlockStarts |= 1u << (x + 3 - end);
            }
        }
        if (!run.Complete || run.Matters()) runs.push_back(run);
        i = end;
    }
    return pageLength;
}

}  // namespace dorvane

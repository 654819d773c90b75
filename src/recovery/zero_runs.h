#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace dorvane {

// Eighteen zero bytes hold fifteen zero words: the gap that ends a message's text.
inline constexpr std::int64_t kZeroRunBytes = 18;

// A run of zero bytes [Start, End) as the recovery scan's searches see it: they stop at a
// run of 18 zero bytes or more, or at a block start, an offset that follows a zero byte and
// holds its own value as a word. Inside a run the word is 0, which no offset above 0
// equals, so only the last three offsets of a run and the one after it can start a block:
// BlockStarts has bit k set when End - 3 + k does.
struct ZeroRun {
    std::int64_t Start = 0;
    std::int64_t End = 0;
    unsigned BlockStarts = 0;
    // False when the bytes at hand ended before the run or its block starts did: the run
    // is to be looked at again in the file.
    bool Complete = true;

    bool Long() const { return End - Start >= kZeroRunBytes; }
    bool Matters() const { return Long() || BlockStarts != 0; }
    std::int64_t FirstBlockStart() const { return End - 3 + std::countr_zero(BlockStarts); }
};

// Lists, in order, the runs that matter among those starting in bytes [from, pageLength)
// of `bytes`, which hold the file from offset `first` on; stops once `runs` holds maxRuns,
// and returns where it stopped (pageLength when it did not). Bytes past the page let runs
// that start near its end be judged in full; fileEndsThere says that no bytes follow
// `bytes` in the file, so that a run or word reaching its end ends there. A run that
// reaches past the bytes is listed, incomplete, whether it matters or not. `from` should
// not lie inside a run that matters: the rest of such a run would be listed as a run.
std::size_t ListZeroRuns(std::span<const std::uint8_t> bytes, std::int64_t first, std::size_t from,
                         std::size_t pageLength, bool fileEndsThere, std::size_t maxRuns,
                         std::vector<ZeroRun>& runs);

}  // namespace dorvane

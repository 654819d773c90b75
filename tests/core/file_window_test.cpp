#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <thread>

#include "store/file_window.h"
#include "temp_dir.h"

namespace dorvane {
namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t size, std::mt19937& random) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

// The index walk's window over a file, fed the request patterns of the walks it must serve:
// every span must hold exactly the file's bytes, whether it came from a copied stretch,
// from the mapping, or from the moment one gave way to the other.
TEST(WalkedWindow, GivesTheFileBytesWhateverTheOrderOfRequests) {
    constexpr std::size_t kSize = 24u << 20;
    std::mt19937 random(11);
    const auto bytes = RandomBytes(kSize, random);
    testing::TempDir dir;
    const std::string path = dir.Write("walk.dbx", bytes);

    struct Request {
        std::int64_t Offset;
        std::size_t Length;
    };
    // A record: its 12-byte header, then the whole of it.
    const auto records = [](const std::vector<std::int64_t>& offsets) {
        std::vector<Request> requests;
        for (const std::int64_t offset : offsets) {
            requests.push_back({offset, 12});
            requests.push_back({offset, 300});
        }
        return requests;
    };
    const auto every = [](std::int64_t step) {
        std::vector<std::int64_t> offsets;
        for (std::int64_t at = 0x100; at + 300 < static_cast<std::int64_t>(kSize); at += step) {
            offsets.push_back(at);
        }
        return offsets;
    };
    auto shuffled = every(2800);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    // Five regions read in turn, one more than the window keeps stretches for, so each
    // request finds its stretch taken by another.
    std::vector<std::int64_t> fiveRegions;
    for (std::int64_t i = 0; i < 2000; ++i) fiveRegions.push_back((i % 5) * (4 << 20) + i * 64);
    // Records in file order with a visit to the index nodes near the end of the file every
    // hundred records, and now and then a step back or a long record: a large file's walk,
    // whose stream is read ahead while it goes on.
    std::vector<Request> walkWithJumps;
    {
        std::int64_t node = static_cast<std::int64_t>(kSize) - (1 << 20);
        std::int64_t i = 0;
        for (const std::int64_t offset : every(2800)) {
            if (offset >= node - (2 << 20)) break;
            if (++i % 100 == 0) {
                walkWithJumps.push_back({node, 24});
                walkWithJumps.push_back({node + 24, std::size_t{12} * 100});
                node += 1224;
            }
            if (i % 700 == 0 && offset > (3 << 20)) {
                walkWithJumps.push_back({offset - (3 << 20), 300});
            }
            walkWithJumps.push_back({offset, 12});
            // Now and then a record longer than the chunks overlap.
            walkWithJumps.push_back({offset, i % 500 == 0 ? std::size_t{40000} : std::size_t{300}});
        }
    }
    // Two streams read side by side, each steadily forward: records through the first half of
    // the file and, once they are well under way, requests longer than the chunks overlap
    // through the second half.
    std::vector<Request> twoStreams;
    for (std::int64_t i = 0; 0x100 + i * 2800 + 300 < static_cast<std::int64_t>(kSize / 2); ++i) {
        twoStreams.push_back({0x100 + i * 2800, 12});
        twoStreams.push_back({0x100 + i * 2800, 300});
        if (i >= 2000 && i % 10 == 0) {
            twoStreams.push_back({static_cast<std::int64_t>(kSize / 2) + (i - 2000) * 2000, 20000});
        }
    }
    // One byte after another, so that requests start exactly where each stretch ends.
    std::vector<Request> bytewise;
    for (std::int64_t at = 0; at < (64 << 10); ++at) bytewise.push_back({at, 1});
    const std::vector<Request> edges = {{static_cast<std::int64_t>(kSize) - 5, 12},
                                        {static_cast<std::int64_t>(kSize), 4},
                                        {-1, 4},
                                        {100, std::size_t{3} << 20},  // longer than a stretch
                                        {0, 0}};

    struct Case {
        const char* Name;
        std::vector<Request> Requests;
        bool StillCopying;
        // A thread must have read ahead of the walk (where there is a processor for it).
        bool ReadsAhead;
    };
    const std::vector<Case> cases = {
        {"records close together, in file order", records(every(2800)), true, true},
        {"records close together, in any order", records(shuffled), false, false},
        {"a walk's records with visits to its nodes", walkWithJumps, true, true},
        {"two streams side by side", twoStreams, true, true},
        {"records far apart", records(every(40 << 10)), false, false},
        {"more regions than stretches, in turn", records(fiveRegions), false, false},
        {"one byte after another", bytewise, true, false},
        {"the file's ends and a long request", edges, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        platform::ReadOnlyFile file(path, platform::ShareMode::ReadWrite);
        FileWindow window(file, FileWindow::Access::Walked);
        for (const Request& r : c.Requests) {
            const auto got = window.Bytes(r.Offset, r.Length);
            const std::size_t expected =
                r.Offset < 0 || r.Offset >= static_cast<std::int64_t>(kSize)
                    ? 0
                    : std::min<std::size_t>(r.Length, kSize - static_cast<std::size_t>(r.Offset));
            ASSERT_EQ(got.size(), expected) << r.Offset;
            if (expected > 0) {
                ASSERT_TRUE(std::equal(got.begin(), got.end(), bytes.begin() + r.Offset))
                    << r.Offset;
            }
        }
        EXPECT_EQ(window.Copying(), c.StillCopying);
        if (c.ReadsAhead && std::thread::hardware_concurrency() > 1) {
            EXPECT_GT(window.ChunksTakenAhead(), 0u);
        }
    }
}

// Another program cuts the file short in the middle of a walk. Its bytes past the new end
// are gone: the window must give only bytes the file held, and nothing past the new end once
// it has learnt of it, whether it copies or, for scattered reads, reads through the mapping
// (touching a page past the end of a mapped file would kill the program).
TEST(WalkedWindow, FileCutShortDuringTheWalkEndsThere) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows refuses to shorten a file while it is mapped";
#else
    constexpr std::size_t kSize = 32u << 20;
    constexpr std::size_t kCut = 20u << 20;
    std::mt19937 random(5);
    const auto bytes = RandomBytes(kSize, random);
    testing::TempDir dir;
    const std::string path = dir.Write("cut.dbx", bytes);

    platform::ReadOnlyFile file(path, platform::ShareMode::ReadWrite);
    FileWindow window(file, FileWindow::Access::Walked);
    const auto check = [&](std::int64_t offset, std::size_t length) {
        const auto got = window.Bytes(offset, length);
        ASSERT_LE(got.size(), length);
        ASSERT_TRUE(std::equal(got.begin(), got.end(), bytes.begin() + offset)) << offset;
    };
    std::int64_t at = 0x100;
    for (; at < (12 << 20); at += 2800) {
        check(at, 12);
        check(at, 300);
    }
    std::filesystem::resize_file(path, kCut);
    // The walk goes on to where the file used to end...
    for (; at + 300 < static_cast<std::int64_t>(kSize); at += 2800) {
        check(at, 12);
        check(at, 300);
    }
    EXPECT_TRUE(window.Bytes(static_cast<std::int64_t>(kSize) - 300, 12).empty());
    // ...then reads all over it, which sends the reads to the mapping.
    std::uniform_int_distribution<std::int64_t> anywhere(0, kSize - 300);
    for (int i = 0; i < 20000; ++i) {
        const std::int64_t offset = anywhere(random);
        check(offset, 300);
        if (offset >= static_cast<std::int64_t>(kCut) && !window.Copying()) {
            ASSERT_TRUE(window.Bytes(offset, 300).empty()) << offset;
        }
    }
    EXPECT_FALSE(window.Copying());
#endif
}

}  // namespace
}  // namespace dorvane

// Memory stays linear in the size of the file, whatever its index claims. Each case runs
// the listing in a child process and reads how far the child's resident set grew.

#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "dbx_writer.h"
#include "store/uoexpress.h"
#include "temp_dir.h"

namespace dorvane {
namespace {

using fixture::DbxWriter;
using fixture::Entry;
using fixture::Property;

// A field of /proc/self/status, in bytes; -1 when the system does not tell.
long StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size()) * 1024L;
    }
    return -1;
}

// Peak resident set, in bytes, that listing path adds to a child process. The child starts
// out with the pages of this process, which earlier tests may have left large: it hands
// back the memory they freed, resets its peak and counts from what it holds then. Where the
// system cannot reset the peak, the child's whole peak is taken.
long PeakBytesOfListing(const std::string& path, bool expectRecords = true) {
    int channel[2];
    if (::pipe(channel) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ::malloc_trim(0);
        long base = -1;
        if (std::ofstream("/proc/self/clear_refs") << "5" << std::flush) {
            base = StatusBytes("VmRSS");
        }
        ReaderState reader;
        MessageList messages;
        ReadDbxIndex(reader, path, nullptr, &messages);
        long peak = StatusBytes("VmHWM");
        if (base < 0 || peak < 0) {
            rusage usage{};
            ::getrusage(RUSAGE_SELF, &usage);
            base = 0;
            peak = usage.ru_maxrss * 1024L;
        }
        const long grown = peak - base;
        const bool sent = ::write(channel[1], &grown, sizeof grown) == sizeof grown;
        ::_exit(sent && messages.empty() != expectRecords ? 0 : 1);
    }
    ::close(channel[1]);
    long grown = -1;
    if (::read(channel[0], &grown, sizeof grown) != sizeof grown) grown = -1;
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GE(grown, 0);
    return grown;
}

TEST(Limits, RecordNamedByManyEntriesIsHeldOnce) {
    // 800,000 entries all name one record carrying 4 MB of text: copied per entry that
    // would be terabytes.
    constexpr std::size_t kEntries = 800'000;
    DbxWriter w;
    const std::int32_t record = w.AddRecord({Property::Text(0x08, std::string(4 << 20, 's'))});
    const std::int32_t node = w.AddNode({});
    w.SetNodeEntryCount(node, kEntries);
    w.Bytes().resize(w.Bytes().size() + kEntries * 12);
    for (std::size_t i = 0; i < kEntries; ++i) w.SetNodeEntry(node, i, {record, 0});
    w.SetMessageRoot(node);
    w.SetItemCount(1);
    testing::TempDir dir;
    const std::string path = dir.Write("Inbox.dbx", w.Bytes());

    const long bound = 64L * kEntries + 4L * static_cast<long>(w.Bytes().size());
    EXPECT_LT(PeakBytesOfListing(path), bound);
}

TEST(Limits, OverlappingNodesCostNoMoreThanTheRecordsTheyName) {
    // 100 nodes, each claiming entries to the end of the file, over a megabyte of entries
    // that name no record: the walk meets millions of entries and keeps nothing for them.
    // (Entries that run over the nodes after theirs name those nodes, which read as records.)
    constexpr int kNodes = 100;
    DbxWriter w;
    std::int32_t next = 0;
    for (int i = 0; i < kNodes; ++i) {
        next = w.AddNode({}, next);
        w.SetNodeEntryCount(next, 0xFFFFFF);
    }
    w.AddBytes(std::string(1 << 20, '\x01'));
    w.SetMessageRoot(next);
    w.SetItemCount(1);
    testing::TempDir dir;
    const std::string path = dir.Write("Inbox.dbx", w.Bytes());

    EXPECT_LT(PeakBytesOfListing(path), 16L << 20);
}

TEST(Limits, ALargeFolderIsNotHeldInMemoryWhileItIsRead) {
    // 32,768 records, 2 KB apart, over 68 MB: making them goes through the whole file, and
    // the pages read must be handed back along the way. The records themselves and the
    // pages the threads have not yet handed back come to about half the file's size at
    // most (checked builds included), so three quarters leaves room; holding every page
    // read would come to more than the whole file.
    constexpr int kRecords = 32'768;
    DbxWriter w;
    std::vector<Entry> entries;
    for (int i = 0; i < kRecords; ++i) {
        entries.push_back({w.AddRecord({Property::Text(0x08, "m" + std::to_string(i))}), 0});
        w.AddBytes(std::string(2048, 'x'));
    }
    w.SetMessageRoot(w.AddNode(entries));
    w.SetItemCount(kRecords);
    testing::TempDir dir;
    const std::string path = dir.Write("Inbox.dbx", w.Bytes());

    EXPECT_LT(PeakBytesOfListing(path), static_cast<long>(w.Bytes().size()) * 3 / 4);
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(Limits, AGigabyteOfJunkListsInAboutTheTimeOfReadingIt) {
    // Random bytes repeated to 1 GB, with the index root pointing into the middle of them.
    constexpr std::size_t kBlock = 1 << 20;
    constexpr std::size_t kBlocks = 1024;
    std::vector<char> block(kBlock);
    std::mt19937 random(7);
    for (char& c : block) c = static_cast<char>(random());
    testing::TempDir dir;
    const std::string path = dir.File("junk.dbx");
    {
        std::ofstream out(path, std::ios::binary);
        for (std::size_t i = 0; i < kBlocks; ++i) {
            if (i == 0) {
                // A header that sends the walk into the junk.
                std::vector<char> first = block;
                const std::uint32_t root = 512u << 20, count = 1000;
                std::memcpy(first.data() + 0xE4, &root, 4);
                std::memcpy(first.data() + 0xC4, &count, 4);
                out.write(first.data(), kBlock);
            } else {
                out.write(block.data(), kBlock);
            }
        }
        ASSERT_TRUE(out.good());
    }
    using Clock = std::chrono::steady_clock;
    const auto readStart = Clock::now();
    {
        std::ifstream in(path, std::ios::binary);
        while (in.read(block.data(), kBlock)) {
        }
    }
    const auto readTime = Clock::now() - readStart;
    const auto listStart = Clock::now();
    const long peak = PeakBytesOfListing(path, /*expectRecords=*/false);
    const auto listTime = Clock::now() - listStart;
    EXPECT_LT(listTime, 2 * readTime + std::chrono::seconds(1));
    EXPECT_LT(peak, 64L << 20);
}
#endif

}  // namespace
}  // namespace dorvane

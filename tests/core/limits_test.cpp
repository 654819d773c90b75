// Memory stays linear in the size of the file, whatever its index claims. Each case runs
// the listing in a child process and reads the child's peak resident set.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "dbx_writer.h"
#include "store/uoexpress.h"
#include "temp_dir.h"

namespace dorvane {
namespace {

using fixture::DbxWriter;
using fixture::Property;

// Peak resident set, in bytes, of a child process that lists path.
long PeakBytesOfListing(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        ReaderState reader;
        MessageList messages;
        ReadDbxIndex(reader, path, nullptr, &messages);
        ::_exit(messages.empty() ? 1 : 0);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return usage.ru_maxrss * 1024L;
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

}  // namespace
}  // namespace dorvane

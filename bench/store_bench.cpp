// Reading speed of the store reader on a large folder file.
// DORVANE_BENCH_FOLDER names the file (written by dorvane-bench-folder; run_store_bench.sh
// makes one of 100,000 messages).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>

#include "store/string_sink.h"
#include "store/uoexpress.h"

namespace {

std::string FolderFile() {
    const char* path = std::getenv("DORVANE_BENCH_FOLDER");
    return path != nullptr ? path : "/tmp/dorvane-bench/Inbox.dbx";
}

void ReadIndex(benchmark::State& state) {
    dorvane::ReaderState reader;
    std::size_t records = 0;
    for (auto _ : state) {
        dorvane::MessageList messages;
        dorvane::ReadDbxIndex(reader, FolderFile(), nullptr, &messages);
        records = messages.size();
        benchmark::DoNotOptimize(messages.data());
        // Reading ends with the list in the caller's hands, which keep it while the folder
        // is shown; letting it go is not part of reading.
        state.PauseTiming();
        messages = {};
        state.ResumeTiming();
    }
    state.counters["records"] = static_cast<double>(records);
    state.counters["records_per_second"] =
        benchmark::Counter(static_cast<double>(records) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
// Wall-clock time: a thread reads the file ahead of the walk, so the walking thread's own
// processor time would leave out part of the work.
BENCHMARK(ReadIndex)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

dorvane::MessageList ListedMessages(dorvane::ReaderState& reader, const std::string& path) {
    dorvane::MessageList messages;
    dorvane::ReadDbxIndex(reader, path, nullptr, &messages);
    return messages;
}

// Every message's text, one ReadMessageText call at a time.
void ReadEveryMessageText(benchmark::State& state) {
    dorvane::ReaderState reader;
    const std::string path = FolderFile();
    const dorvane::MessageList messages = ListedMessages(reader, path);
    // One string, emptied before each message but keeping its room, so that the measure is
    // the reader's own work and not the making of streams.
    std::string received;
    dorvane::StringSink sink(received);
    std::ostream text(&sink);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        for (const auto& message : messages) {
            received.clear();
            dorvane::ReadMessageText(reader, path, message->DataOffset, text);
            bytes += static_cast<std::int64_t>(received.size());
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(ReadEveryMessageText)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same with a new std::ostringstream for every message, as the export hands the reader:
// the difference from the above is what making and growing those streams costs.
void ReadEveryMessageTextIntoNewStreams(benchmark::State& state) {
    dorvane::ReaderState reader;
    const std::string path = FolderFile();
    const dorvane::MessageList messages = ListedMessages(reader, path);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        for (const auto& message : messages) {
            std::ostringstream text;
            dorvane::ReadMessageText(reader, path, message->DataOffset, text);
            bytes += static_cast<std::int64_t>(text.tellp());
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(ReadEveryMessageTextIntoNewStreams)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();

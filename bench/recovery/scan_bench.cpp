// Speed of the recovery scan on a large folder file.
// DORVANE_BENCH_SCAN_FILE names the file (run_scan_bench.sh makes a 1 GB one).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "recovery/recovery_scan.h"

namespace {

void ScanFolderFile(benchmark::State& state) {
    const char* path = std::getenv("DORVANE_BENCH_SCAN_FILE");
    const std::string file = path != nullptr ? path : "/tmp/dorvane-bench/Scan.dbx";
    dorvane::ReaderState reader;
    dorvane::ScanObserver silent;
    std::size_t records = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        dorvane::MessageList list;
        dorvane::ScanForMessages(reader, file, 80, list, silent);
        records = list.size();
        reader.OpenFile.emplace(file, dorvane::platform::ShareMode::ReadWrite);
        bytes += static_cast<std::int64_t>(reader.OpenFile->Size());
        reader.OpenFile.reset();
    }
    state.counters["records"] = static_cast<double>(records);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(ScanFolderFile)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();

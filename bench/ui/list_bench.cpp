// The message list's sort and row texts on a folder of 100,000 messages. Targets: sorting
// by Received within 150 ms, by Subject within 100 ms.

#include <benchmark/benchmark.h>

#include "synthetic_folder.h"
#include "ui/main/message_rows.h"

namespace {

using dorvane::MessageColumn;

void SortFolder(benchmark::State& state, MessageColumn column) {
    const dorvane::MessageList folder = dorvane::bench::SyntheticFolder(100000);
    bool descending = true;
    for (auto _ : state) {
        state.PauseTiming();
        dorvane::MessageList list = folder;  // the reader's order every time
        state.ResumeTiming();
        dorvane::ui::SortMessageList(list, static_cast<int>(column), descending);
        benchmark::DoNotOptimize(list.data());
        descending = !descending;
    }
}

void BM_SortByReceived(benchmark::State& state) {
    SortFolder(state, MessageColumn::Received);
}
void BM_SortBySubject(benchmark::State& state) {
    SortFolder(state, MessageColumn::Subject);
}
void BM_SortByFrom(benchmark::State& state) {
    SortFolder(state, MessageColumn::From);
}
void BM_SortBySize(benchmark::State& state) {
    SortFolder(state, MessageColumn::Size);
}

// One screen of the list: 40 rows of seven texts, the received date included.
void BM_ScreenOfRowTexts(benchmark::State& state) {
    const dorvane::MessageList folder = dorvane::bench::SyntheticFolder(100000);
    std::size_t first = 0;
    for (auto _ : state) {
        for (std::size_t row = first; row < first + 40; ++row) {
            for (int column = 0; column < dorvane::ui::kMessageColumnCount; ++column) {
                benchmark::DoNotOptimize(dorvane::ui::MessageRowText(*folder[row], column));
            }
        }
        first = (first + 40) % (folder.size() - 40);
    }
}

BENCHMARK(BM_SortByReceived)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortBySubject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByFrom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortBySize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScreenOfRowTexts)->Unit(benchmark::kMicrosecond);

}  // namespace

// The plain comparison sort the command line uses, for comparison.
void BM_CompareSortBySubject(benchmark::State& state) {
    const dorvane::MessageList folder = dorvane::bench::SyntheticFolder(100000);
    for (auto _ : state) {
        state.PauseTiming();
        dorvane::MessageList list = folder;
        state.ResumeTiming();
        dorvane::SortMessages(list, MessageColumn::Subject, true);
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_CompareSortBySubject)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

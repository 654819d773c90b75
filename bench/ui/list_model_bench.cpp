// From a loaded folder to its rows being shown, without the index read: the model takes
// the row count of 100,000 messages and the view asks for one screen of texts. Target: the
// index read plus at most 100 ms.

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "synthetic_folder.h"
#include "ui/main/message_list_model.h"

namespace {

void BM_PresentFolder(benchmark::State& state) {
    const dorvane::MessageList folder = dorvane::bench::SyntheticFolder(100000);
    dorvane::ui::MessageListModel model(folder, nullptr);
    for (auto _ : state) {
        model.SetRowCount(0);
        model.SetRowCount(static_cast<int>(folder.size()));
        for (int row = 0; row < 40; ++row) {
            for (int column = 0; column < model.columnCount(); ++column) {
                benchmark::DoNotOptimize(model.index(row, column).data());
            }
        }
    }
}

BENCHMARK(BM_PresentFolder)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

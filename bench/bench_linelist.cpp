// The line list's row fetch: what the list asks of its owner-data model when
// it paints or scrolls (the display text and font of a row) over a document
// of 100,000 observation lines, and setting its item count. The model keeps
// no object per row; a row's text is made from the document's bytes when it
// is asked for.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>
#include <vector>

#include "framework/linelist.h"

namespace {

std::vector<std::string> observation_lines(int n) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        std::string l = std::to_string(i);
        l.resize(15, ' ');
        l += "2005 03 11.12345 12 34 56.78 +12 34 56.7          15.2V       095\r\n";
        lines.push_back(std::move(l));
    }
    return lines;
}

QApplication& app() {
    static int argc = 1;
    static char name[] = "bench_linelist";
    static char* argv[] = {name, nullptr};
    static QApplication a(argc, argv);
    return a;
}

// One screenful of rows at a random place (as a scroll by the thumb asks).
void BM_RowFetch(benchmark::State& state) {
    app();
    const auto lines = observation_lines(100000);
    fw::LineListModel model;
    model.setLines(&lines, 80);
    int row = 0;
    for (auto _ : state) {
        for (int k = 0; k < 40; ++k) {
            const QModelIndex i = model.index((row + k) % 100000, 0);
            benchmark::DoNotOptimize(model.data(i, Qt::DisplayRole));
            benchmark::DoNotOptimize(model.data(i, Qt::FontRole));
        }
        row = (row * 7919 + 104729) % 100000;
    }
    state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK(BM_RowFetch);

// The item count after a line is added to a list of 100,000 (no reset of
// the list, no object made per row).
void BM_SetItemCount(benchmark::State& state) {
    app();
    auto lines = observation_lines(100000);
    fw::LineListModel model;
    model.setLines(&lines, 80);
    int n = 100000;
    for (auto _ : state) {
        model.setItemCount(n % 2 == 0 ? n - 1 : n + 1);
        n = model.itemCount();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetItemCount);

}  // namespace

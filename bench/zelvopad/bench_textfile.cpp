// The editor's reading and writing of a large observation file: 100 000
// lines of 80 columns with CR LF ends (8.2 MB), decoded for the editor and
// encoded back unchanged and after one line was added in the middle.
#include <benchmark/benchmark.h>

#include <string>

#include "textfile.h"

namespace {

std::string observation_file() {
    const std::string line =
        "     K05L03X  C2006 01 01.12345 01 23 45.67 +12 34 56.7          17.8 V\xA0\x80    568\r\n";
    std::string bytes;
    bytes.reserve(line.size() * 100000);
    for (int i = 0; i < 100000; ++i) bytes += line;
    return bytes;
}

void BM_Read(benchmark::State& state) {
    const std::string bytes = observation_file();
    for (auto _ : state) benchmark::DoNotOptimize(zpad::TextFile(bytes).text().size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond);

void BM_WriteUnchanged(benchmark::State& state) {
    const std::string bytes = observation_file();
    const zpad::TextFile file(bytes);
    for (auto _ : state) benchmark::DoNotOptimize(file.bytesOf(file.text()).bytes.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_WriteUnchanged)->Unit(benchmark::kMillisecond);

void BM_WriteLineAdded(benchmark::State& state) {
    const std::string bytes = observation_file();
    const zpad::TextFile file(bytes);
    QString edited = file.text();
    edited.insert(edited.size() / 2 / 81 * 81, QStringLiteral("a new line\n"));
    for (auto _ : state) benchmark::DoNotOptimize(file.bytesOf(edited).bytes.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_WriteLineAdded)->Unit(benchmark::kMillisecond);

}  // namespace

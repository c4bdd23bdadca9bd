// A whole paper measured and laid out from scratch (every node dirty), as after page setup or
// opening a file: 10, 40 and 160 pages, both writing directions.
#include "bench_paper.h"

using namespace benchpaper;

namespace {

void FullLayout(benchmark::State& state)
{
    LaidOutPaper paper(state);
    for (auto _ : state) {
        paper.root->SetDirtyAll(1);
        paper.Layout();
    }
    state.counters["pages"] = paper.root->GetPageCount();
}

}  // namespace

BENCHMARK(FullLayout)->ArgsProduct({{10, 40, 160}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);

QN_BENCHMARK_MAIN()

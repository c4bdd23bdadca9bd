// A whole paper measured and laid out from scratch (every node dirty), as after page setup or
// opening a file: 10, 40 and 160 pages, both writing directions.
#include "bench_paper.h"

using namespace benchpaper;

namespace {

void FullLayout(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    const int vertical = static_cast<int>(state.range(1));
    std::unique_ptr<CEditPrint> root = BuildPaper(pages, vertical);
    std::unique_ptr<CDC> dc = MeasuringDC();
    CDisplayMap map = ScreenMap(vertical);
    for (auto _ : state) {
        root->SetDirtyAll(1);
        MeasureAndLayout(root.get(), dc.get(), &map);
    }
    state.counters["pages"] = root->GetPageCount();
}

}  // namespace

BENCHMARK(FullLayout)->ArgsProduct({{10, 40, 160}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);

QN_BENCHMARK_MAIN()

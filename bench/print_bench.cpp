// Printing through the Qt context into a PDF as the print command does it: each page laid out
// at its own corner and drawn at the printer's resolution. One page of a 40-page paper, and all
// 40 pages into one file; both writing directions.
#include "bench_paper.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

using namespace benchpaper;

namespace {

constexpr int kPrinterDpi = 300;

struct PRINT_JOB {
    QPrinter printer{QPrinter::HighResolution};
    std::unique_ptr<CQtDC> dc;
    CDisplayMap map;

    PRINT_JOB(const CEditPrint* root, const QString& file)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setResolution(kPrinterDpi);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        printer.setFullPage(true);
        dc = CQtDC::ForPrinter(&printer);
        map = ScreenMap(root->m_vertical);
        map.SetResolution(dc->GetDeviceCaps(LOGPIXELSX), dc->GetDeviceCaps(LOGPIXELSY), 100);
        if (root->m_vertical) {
            SIZE sheet{0, root->m_geometry.height};
            map.DocToDeviceSize(&sheet);
            dc->SetViewportOrg(sheet.cx, 0);
        }
    }

    void PrintPage(CEditPrint* root, int page)
    {
        LAYOUT_CONTEXT context;
        context.page = page;
        root->LayoutPage(&context, 0);
        context = LAYOUT_CONTEXT();
        context.page = page;
        root->DrawPage(dc.get(), &map, &context);
    }
};

void PrintPages(benchmark::State& state)
{
    const bool all = state.range(2) != 0;
    LaidOutPaper paper(state);
    paper.Layout();
    CEditPrint* root = paper.root.get();
    QTemporaryDir folder;
    const QString file = folder.filePath("paper.pdf");
    qint64 bytes = 0;
    for (auto _ : state) {
        {
            PRINT_JOB job(root, file);
            if (all) {
                for (int page = 1; page <= root->GetPageCount(); ++page) {
                    if (page > 1)
                        job.dc->NewPage();
                    job.PrintPage(root, page);
                }
            } else {
                job.PrintPage(root, root->GetPageCount() / 2);
            }
            job.dc->End();
        }
        state.PauseTiming();
        bytes = QFileInfo(file).size();
        paper.Layout();  // back to screen positions
        state.ResumeTiming();
    }
    state.counters["pages"] = root->GetPageCount();
    state.counters["pdf_kB"] = static_cast<double>(bytes) / 1024.0;
    if (const QByteArray keep = qgetenv("QN_BENCH_KEEP_PDF"); !keep.isEmpty())
        QFile::copy(file, QString::fromLocal8Bit(keep) + QString("-%1-%2.pdf").arg(paper.vertical ? "v" : "h").arg(all ? "all" : "one"));
}

}  // namespace

BENCHMARK(PrintPages)
    ->ArgsProduct({{40}, {0, 1}, {0, 1}})
    ->ArgNames({"pages", "vertical", "all"})
    ->Unit(benchmark::kMillisecond);

QN_BENCHMARK_MAIN()

// The Word export into our own Word server, on about 40 pages: the sample paper (three pages,
// nine questions with ruby, a table and a formula each) written thirteen times into one
// document. Three phases, each its own benchmark: the writer's automation calls with the server
// building its document (formula pictures included), the formula pictures alone (each formula's
// fragment file read, laid out and drawn at 300 dots per inch), and the package (WordprocessingML
// and the zip) saved to a file.
#include "bench_paper.h"

#include "export/automation_wrappers.h"
#include "export/convert_progress.h"
#include "export/word_server.h"
#include "export/word_server_docx.h"
#include "export/word_server_pictures.h"
#include "export/word_steps.h"
#include "export/word_writer.h"
#include "nodes/edit_kind.h"
#include "printfile/edit_to_fo.h"
#include "printfile/fo_fragment.h"
#include "printfile/print_reader.h"

#include <QTemporaryDir>

#include <string>
#include <vector>

using namespace benchpaper;

namespace {

// The sample paper's three pages written this many times make about 40 pages.
constexpr int kCopies = 13;

class NoProgress : public IConvertProgress {
public:
    void SetMessage(const std::u16string&) override {}
    void SetRange32(int, int) override {}
    void SetPos(int) override {}
};

// The sample paper, laid out as the editing view lays it out before an export.
std::unique_ptr<CEditPrint> SamplePaper()
{
    auto root = std::make_unique<CEditPrint>();
    if (!LoadXmlFile(root.get(), QN_SAMPLE_PAPER))
        return nullptr;
    std::unique_ptr<CDC> dc = MeasuringDC();
    CDisplayMap map = ScreenMap(root->m_vertical);
    MeasureAndLayout(root.get(), dc.get(), &map);
    return root;
}

// A new document of a new server and its application.
struct WORD_RUN {
    CWordDispatch application{NewWordServer([](const std::string&) {})};
    CWordDispatch document;
    WORD_RUN()
    {
        CWordDispatch documents(application.GetDocuments());
        VARIANT a = VARIANT::Missing();
        VARIANT b = VARIANT::Missing();
        document.AttachDispatch(documents.AddDocument(&a, &b));
    }
};

void WriteCopies(CEditPrint& root, CWordDispatch& document)
{
    NoProgress progress;
    for (int copy = 0; copy < kCopies; ++copy) {
        CWordDocumentWriter writer(root, document);
        writer.WriteWordDocument(progress);
    }
}

void CollectFormulas(CEditNode* node, std::vector<std::pair<CEditNode*, int>>* found)
{
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CEditNode* child = node->GetEditChild(i);
        if (child == nullptr)
            continue;
        if (child->HasKindFlags(EditKind::kFormula))
            found->push_back({node, i});
        else
            CollectFormulas(child, found);
    }
}

void BM_WordExportCalls(benchmark::State& state)
{
    std::unique_ptr<CEditPrint> root = SamplePaper();
    if (!root) {
        state.SkipWithError("the sample paper does not open");
        return;
    }
    for (auto _ : state) {
        WORD_RUN run;
        WriteCopies(*root, run.document);
        benchmark::DoNotOptimize(WordServerModel(run.document.m_lpDispatch));
    }
}
BENCHMARK(BM_WordExportCalls)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WordFormulaPictures(benchmark::State& state)
{
    std::unique_ptr<CEditPrint> root = SamplePaper();
    if (!root) {
        state.SkipWithError("the sample paper does not open");
        return;
    }
    // The fragment files the export would write, made once.
    QTemporaryDir folder;
    std::vector<std::pair<CEditNode*, int>> formulas;
    CollectFormulas(root.get(), &formulas);
    std::vector<std::string> files;
    for (const auto& [container, index] : formulas) {
        CFoBlockContainer block;
        const CEditBox* box = BoxOf(container, container->GetEditChild(index));
        block.m_width = box ? box->m_width : 0;
        block.m_height = box ? box->m_height : 0;
        {
            CEditSentence lent;
            const LentNodes lending(container, {index}, &lent);
            XML_BUILD_CONTEXT fresh;
            BuildXmlTree(&lent, &block, &fresh);
        }
        const std::string path = folder.filePath(QString::number(files.size()) + ".QNI").toStdString();
        if (ExportMathFo(&block, path.c_str()))
            files.push_back(path);
    }
    for (auto _ : state) {
        for (int copy = 0; copy < kCopies; ++copy)
            for (const std::string& file : files)
                benchmark::DoNotOptimize(PictureFromFragment(u"Vumat.Document", file));
    }
    state.counters["pictures"] = static_cast<double>(files.size() * kCopies);
}
BENCHMARK(BM_WordFormulaPictures)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WordPackage(benchmark::State& state)
{
    std::unique_ptr<CEditPrint> root = SamplePaper();
    if (!root) {
        state.SkipWithError("the sample paper does not open");
        return;
    }
    WORD_RUN run;
    WriteCopies(*root, run.document);
    const CWordDocumentModel* model = WordServerModel(run.document.m_lpDispatch);
    QTemporaryDir folder;
    const std::string path = folder.filePath("paper.docx").toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveWordPackage(*model, path));
}
BENCHMARK(BM_WordPackage)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

QN_BENCHMARK_MAIN()

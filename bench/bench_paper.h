// Test papers built in code for the benchmarks: dense Japanese text in question parts (a number
// label, a question text with line breaks, an answer part), horizontal or vertical, measured and
// laid out through the Qt device context as the editing view does it. Also the program's entry
// point: a headless Qt application around the benchmark runner.
#pragma once

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/edit_char.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/edit_switches.h"
#include "platform/fonts.h"
#include "platform/gdi_qt.h"

#include <QByteArray>
#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace benchpaper {

// A question-number label: a character with the label's kind.
class NumberLabel : public CEditChar {
public:
    explicit NumberLabel(const CStringW& text) : CEditChar(EditKind::Code(EditKind::kDmonno)) { SetText(text); }
};

// Text that reads like a test: kanji, kana and punctuation, line-start-forbidden marks included.
inline constexpr char16_t kText[] =
    u"次の文章を読んで、後の問いに答えなさい。日本の気候は地域によって大きく異なり、"
    u"北海道では冬の寒さが厳しく、沖縄では一年を通して温暖である。このような違いは、"
    u"緯度や海流、季節風の影響によって生まれる。人々はそれぞれの土地の気候に合わせて、"
    u"住まいや食べ物、祭りなどの暮らしを工夫してきた。「雪国」と呼ばれる地方では、"
    u"屋根の傾きを大きくして雪が積もりにくくしている。";

inline constexpr int kTextLength = static_cast<int>(std::size(kText)) - 1;

// Characters of the question text per question; a line break every kLineLength characters.
inline constexpr int kQuestionChars = 360;
inline constexpr int kAnswerChars = 90;
inline constexpr int kLineLength = 70;
// About this many characters fill a page of the paper below (measured with the default faces).
inline constexpr int kCharsPerPageHorizontal = 1460;
inline constexpr int kCharsPerPageVertical = 950;

inline void AddText(CEditNode* parent, int count, int* cursor)
{
    for (int i = 0; i < count; ++i) {
        parent->AppendChild(new CEditChar(kText[*cursor % kTextLength]));
        ++*cursor;
        if ((i + 1) % kLineLength == 0 && i + 1 < count)
            parent->AppendChild(new CEditCR());
    }
}

inline CEditSentence* AddPart(CEditPrint* root, int question, int kind, int count, int* cursor)
{
    auto* part = new CEditSentence();
    part->m_questionNumber = question;
    part->m_partKind = kind;
    if (kind == PART_QUESTION)
        part->AppendChild(new NumberLabel(CStringW(u"問") + CStringW(std::to_string(question).c_str())));
    AddText(part, count, cursor);
    part->AppendChild(new CEditCR());
    root->AppendChild(part);
    return part;
}

// The paper: A4 with 20 mm margins, one column, about `pages` pages of question parts.
inline std::unique_ptr<CEditPrint> BuildPaper(int pages, int vertical)
{
    CurrentWritingVertical = vertical;  // new characters take the faces of the writing direction
    auto root = std::make_unique<CEditPrint>();
    root->m_vertical = vertical;
    if (vertical)
        root->SetPaperSize(29700, 21000);  // stored exchanged in vertical writing
    root->SetMargins(2000, 2000, 2000, 2000);
    const int perPage = vertical ? kCharsPerPageVertical : kCharsPerPageHorizontal;
    const int questions = pages * perPage / (kQuestionChars + kAnswerChars);
    int cursor = 0;
    for (int q = 1; q <= questions; ++q) {
        AddPart(root.get(), q, PART_QUESTION, kQuestionChars, &cursor);
        AddPart(root.get(), q, PART_ANSWER, kAnswerChars, &cursor);
    }
    return root;
}

// The measuring context of the view: a memory context mapped 2540 : 96.
inline std::unique_ptr<CDC> MeasuringDC()
{
    std::unique_ptr<CDC> dc = CQtDC::WithImage(16, 16);
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(2540, 2540);
    dc->SetViewportExt(96, 96);
    return dc;
}

inline CDisplayMap ScreenMap(int vertical)
{
    CDisplayMap map;
    map.SetResolution(96, 96, 100);
    map.SetVertical(vertical);
    return map;
}

inline void MeasureAndLayout(CEditPrint* root, CDC* dc, CDisplayMap* map)
{
    LAYOUT_CONTEXT measure;
    root->Measure(dc, map, &measure);
    LAYOUT_CONTEXT layout;
    root->Layout(&layout, root->m_vertical);
}

// The paper a benchmark runs on, from its "pages" and "vertical" arguments (the first two), with
// the view's measuring context and screen map.
struct LaidOutPaper {
    explicit LaidOutPaper(const benchmark::State& state)
        : vertical(static_cast<int>(state.range(1))),
          root(BuildPaper(static_cast<int>(state.range(0)), vertical)),
          dc(MeasuringDC()),
          map(ScreenMap(vertical))
    {
    }

    void Layout() { MeasureAndLayout(root.get(), dc.get(), &map); }

    int vertical;
    std::unique_ptr<CEditPrint> root;
    std::unique_ptr<CDC> dc;
    CDisplayMap map;
};

// The top of a page on screen, in document units.
inline int PageTop(const CEditPrint* root, int page)
{
    return (page - 1) * root->m_geometry.height + page * root->m_pageGapDown;
}

// One page of the screen at 96 dpi: an image of the sheet, drawn through the Qt context with the
// map's origin at the page's top.
class ScreenPage {
public:
    explicit ScreenPage(const CEditPrint* root)
        : m_vertical(root->m_vertical),
          m_image(794, 1123, QImage::Format_RGB32)
    {
    }

    void Draw(CEditPrint* root, int page)
    {
        m_image.fill(Qt::white);
        std::unique_ptr<CQtDC> dc = CQtDC::ForImage(&m_image);
        CDisplayMap map = ScreenMap(m_vertical);
        map.SetOrigin(0, PageTop(root, page));
        if (m_vertical)
            dc->SetViewportOrg(m_image.width(), 0);  // the first column stands at the right edge
        LAYOUT_CONTEXT context;
        root->Draw(dc.get(), &map, &context);
    }

    const QImage& Image() const { return m_image; }

private:
    int m_vertical;
    QImage m_image;
};

// The character in the middle of the block at the given fraction of the paper.
inline CEditNode* CaretNodeAt(CEditPrint* root, double fraction)
{
    const int block = std::min(root->GetChildCount() - 1, static_cast<int>(root->GetChildCount() * fraction));
    CEditNode* part = root->GetEditChild(block);
    return part->GetEditChild(part->GetChildCount() / 2);
}

}  // namespace benchpaper

// The benchmark program's entry: fonts and GDI resources as the editor sets them up.
#define QN_BENCHMARK_MAIN()                                                          \
    int main(int argc, char** argv)                                                  \
    {                                                                                \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                          \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                 \
        LoadFontAliasRules();                                                        \
        QGuiApplication app(argc, argv);                                             \
        CreateGdiResources();                                                        \
        ::benchmark::Initialize(&argc, argv);                                        \
        if (::benchmark::ReportUnrecognizedArguments(argc, argv))                    \
            return 1;                                                                \
        ::benchmark::RunSpecifiedBenchmarks();                                       \
        ::benchmark::Shutdown();                                                     \
        return 0;                                                                    \
    }

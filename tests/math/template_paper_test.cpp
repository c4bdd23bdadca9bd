// A test sheet with one formula of every template kind, drawn through the Qt context into an image
// (as the screen shows it) and printed into a PDF (as the paper shows it). Some templates have an
// empty slot: its green mark belongs on the screen only. Set QN_TEST_OUTPUT_DIR to keep the PNG
// and the PDF for a person to look at.
#include "math_fixture.h"

#include "base/gdi_cache.h"
#include "nodes/display_map.h"
#include "platform/gdi_qt.h"
#include "platform/gdi_recording.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

#include <functional>

using namespace mathtest;

namespace {

constexpr int kHeight = -600;
constexpr int kLeft = 1500;
constexpr int kTop = 1500;
constexpr int kGap = 350;

// A formula "y=" followed by one template, the template sized and filled; `setUp` gives the
// template its embedded characters or its shape before the slots are filled.
template <typename Template>
std::unique_ptr<CEditMath> FormulaWith(std::initializer_list<std::u16string_view> contents,
                                       const std::function<void(Template*)>& setUp = {})
{
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    FillSlots(formula.get(), {u"y="});
    auto* node = new Template();
    node->m_lf.lfHeight = kHeight;
    if constexpr (requires(Template* t) { t->CreateDefaultSlots(); })
        node->CreateDefaultSlots();
    if (setUp)
        setUp(node);
    FillSlots(node, contents);
    formula->InsertChildAt(2, node);
    formula->m_lf.lfHeight = kHeight;
    formula->ApplyFontSize(nullptr);
    return formula;
}

std::vector<std::unique_ptr<CEditMath>> EveryTemplate()
{
    std::vector<std::unique_ptr<CEditMath>> sheet;
    sheet.push_back(FormulaWith<CEditFrac>({u"a+b", u"2c"}));
    sheet.push_back(FormulaWith<CEditFrac>({u"1", u""}, [](CEditFrac* f) { f->m_bevelled = 1; }));
    sheet.push_back(FormulaWith<CEditSqrt>({u"x+1"}));
    sheet.push_back(FormulaWith<CEditRoot>({u"3", u"abc"}));
    sheet.push_back(FormulaWith<CEditLongdiv>({u"144"}));
    sheet.push_back(FormulaWith<CEditMatrix>({u"a", u"b", u"cd", u""}, [](CEditMatrix* m) {
        m->CreateDefaultSlots(2, 2);
        m->EditBorderRecord()->m_borderStyle = 1;
    }));
    sheet.push_back(FormulaWith<CEditMulti>({u"a", u"b", u"X", u"c", u"d"}));
    sheet.push_back(FormulaWith<CEditOver>({u"\u2192", u"AB"}));
    sheet.push_back(FormulaWith<CEditUnder>({u"lim", u""}));
    sheet.push_back(FormulaWith<CEditOver2>({u"AB"}, [](CEditOver2* t) { t->m_mark->SetText(u'\u2322'); }));
    sheet.push_back(FormulaWith<CEditUnder2>({u"xyz"}, [](CEditUnder2* t) { t->m_mark->SetText(u'\uFE38'); }));
    sheet.push_back(FormulaWith<CEditUnderover>({u"n", u"\uF577", u"\u0394"}));
    sheet.push_back(FormulaWith<CEditUnderover2>({u"a+b"}, [](CEditUnderover2* t) {
        t->m_overMark->SetText(u'\uFE37');
        t->m_underMark->SetText(u'\uFE36');
    }));
    sheet.push_back(FormulaWith<CEditOUnderover>({u"heat", u"H2O"}, [](CEditOUnderover* t) { t->m_glyph->SetText(u'\u21C4'); }));
    sheet.push_back(FormulaWith<CEditSubsup>({u"x", u"2", u"i"}));
    sheet.push_back(FormulaWith<CEditSub>({u"a", u""}));
    sheet.push_back(FormulaWith<CEditSuper>({u"f", u"2"}));
    sheet.push_back(FormulaWith<CEditPresubPresup>({u"14", u"6", u"C"}));
    sheet.push_back(FormulaWith<CEditPresub>({u"n", u"A"}));
    sheet.push_back(FormulaWith<CEditPresuper>({u"t", u"A"}));
    sheet.push_back(FormulaWith<CEditPresubSub>({u"2", u"B", u"3"}));
    sheet.push_back(FormulaWith<CEditOPresubSub>({u"n", u"r"}, [](CEditOPresubSub* t) {
        t->m_symbol->SetText(u'C');
        t->m_symbol->m_lf.lfItalic = 0;
        t->AppendChild(new CEditMathCR());
        t->AppendChild(new CEditMathCR());
    }));
    sheet.push_back(FormulaWith<CEditSigmaSubsup>({u"n", u"k=1"}));
    sheet.push_back(FormulaWith<CEditSigmaSub>({u""}));
    sheet.push_back(FormulaWith<CEditSigmaUnderover>({u"n", u"k=1"}));
    sheet.push_back(FormulaWith<CEditSigmaUnder>({u"\uFE38"}));
    sheet.push_back(FormulaWith<CEditIntegralSubsup>({u"1", u"0"}));
    sheet.push_back(FormulaWith<CEditIntegralSub>({u"D"}));
    sheet.push_back(FormulaWith<CEditFenced>({u"x-1"}));
    return sheet;
}

// Measured in document units on a screen-like context, then laid out one formula under another
// in two columns.
void MeasureAndStack(std::vector<std::unique_ptr<CEditMath>>& sheet)
{
    std::unique_ptr<CDC> measuring = CQtDC::WithImage(16, 16);
    measuring->SetMapMode(MM_ANISOTROPIC);
    measuring->SetWindowExt(2540, 2540);
    measuring->SetViewportExt(96, 96);
    CDisplayMap map;
    int y = kTop;
    int x = kLeft;
    const size_t half = (sheet.size() + 1) / 2;
    for (size_t i = 0; i < sheet.size(); ++i) {
        CEditMath* formula = sheet[i].get();
        if (i == half) {
            x = kLeft + 9500;
            y = kTop;
        }
        LAYOUT_CONTEXT measure;
        measure.availableWidth = 18000;
        measure.fullWidth = 18000;
        formula->Measure(measuring.get(), &map, &measure);
        LAYOUT_CONTEXT layout;
        layout.originX = x;
        layout.originY = y;
        layout.rowAscent = formula->m_ascent;
        formula->Layout(&layout, 0);
        y += formula->m_height + kGap;
    }
}

void DrawSheet(std::vector<std::unique_ptr<CEditMath>>& sheet, CDC* dc, CDisplayMap* map)
{
    for (auto& formula : sheet) {
        LAYOUT_CONTEXT context;
        formula->Draw(dc, map, &context);
    }
}

QString OutputFolder(const QTemporaryDir& temporary)
{
    const QByteArray kept = qgetenv("QN_TEST_OUTPUT_DIR");
    return kept.isEmpty() ? temporary.path() : QString::fromLocal8Bit(kept);
}

bool IsMarkGreen(QRgb pixel) { return qRed(pixel) < 60 && qGreen(pixel) > 200 && qBlue(pixel) < 60; }

}  // namespace

TEST(TemplateSheet, EveryTemplateDrawsOnScreenAndPrintsWithoutEmptySlotMarks)
{
    CreateGdiResources();
    std::vector<std::unique_ptr<CEditMath>> sheet = EveryTemplate();
    MeasureAndStack(sheet);
    for (auto& formula : sheet)
        EXPECT_GT(formula->m_width, 0);
    QTemporaryDir temporary;
    const QDir folder(OutputFolder(temporary));

    // The screen: an image at 150 dots per inch, an A4 sheet's width.
    constexpr int kDpi = 150;
    CDisplayMap screenMap;
    screenMap.SetResolution(kDpi, kDpi, 100);
    SIZE sheetSize{21000, 29700};
    screenMap.DocToDeviceSize(&sheetSize);
    std::unique_ptr<CQtDC> screen = CQtDC::WithImage(sheetSize.cx, sheetSize.cy, kDpi, kDpi);
    DrawSheet(sheet, screen.get(), &screenMap);
    QImage* image = screen->Image();
    ASSERT_NE(image, nullptr);
    int green = 0;
    int ink = 0;
    for (int y = 0; y < image->height(); ++y) {
        for (int x = 0; x < image->width(); ++x) {
            const QRgb pixel = image->pixel(x, y);
            green += IsMarkGreen(pixel) ? 1 : 0;
            ink += qGray(pixel) < 128 ? 1 : 0;
        }
    }
    EXPECT_GT(green, 0);  // the empty slots show on screen
    EXPECT_GT(ink, 5000);
    EXPECT_TRUE(image->save(folder.filePath("formula-templates.png")));

    // The same sheet on a vertical page: each formula runs down the page, its marks with it.
    CDisplayMap verticalMap = screenMap;
    verticalMap.SetVertical(1);
    std::unique_ptr<CQtDC> turned = CQtDC::WithImage(sheetSize.cy, sheetSize.cx, kDpi, kDpi);
    turned->SetViewportOrg(sheetSize.cy, 0);
    DrawSheet(sheet, turned.get(), &verticalMap);
    ASSERT_NE(turned->Image(), nullptr);
    EXPECT_TRUE(turned->Image()->save(folder.filePath("formula-templates-vertical.png")));

    // The paper: the same sheet printed, every empty-slot mark left out.
    CRecordingDC printerRecord(DeviceKind::Printer);
    DrawSheet(sheet, &printerRecord, &screenMap);
    EXPECT_EQ(GreenMarks(printerRecord), 0);
    EXPECT_FALSE(printerRecord.CallsOf(GdiOp::TextOutW).empty());

    const QString pdf = folder.filePath("formula-templates.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(300);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    printer.setFullPage(true);
    std::unique_ptr<CQtDC> paper = CQtDC::ForPrinter(&printer);
    CDisplayMap printMap;
    printMap.SetResolution(paper->GetDeviceCaps(LOGPIXELSX), paper->GetDeviceCaps(LOGPIXELSY), 100);
    DrawSheet(sheet, paper.get(), &printMap);
    paper->End();
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("%PDF"));
}

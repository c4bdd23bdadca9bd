// Page furniture: points-label texts, the page-break block's line, its measuring (typed nodes are
// hidden, never deleted, so undo records stay valid), its drawing only on screen, and the text
// box's first line.
#include "nodes/page_furniture.h"

#include "nodes/caret.h"
#include "nodes/edit_print.h"
#include "nodes/undo.h"
#include "node_fixture.h"

#include <gtest/gtest.h>

using namespace nodetest;

TEST(PageFurniture, PointsLabelTexts)
{
    struct Case {
        int style;
        int p1, p2, p3;
        const char16_t* fence;
        bool vertical;
        bool majorPart;
        const char16_t* expected;
    };
    const Case cases[] = {
        {1, 0, 0, 20, u"（", false, true, u"（20点）"},
        {1, 0, 0, 20, u"（", true, true, u"（２０点）"},
        {2, 5, 4, 20, u"（", false, true, u"（各5点×4＝20点）"},
        {2, 5, 4, 20, u"（", true, true, u"（各５点×４＝２０点）"},
        {3, 5, 0, 20, u"（", false, true, u"（各5点：計20点）"},
        {3, 5, 0, 20, u"（", true, true, u"（各５点：計２０点）"},
        {4, 0, 0, 3, u"（", false, false, u"（3点）"},
        {4, 0, 0, 3, u"（", false, true, u"（計3点）"},
        {4, 0, 0, 3, u"（", true, true, u"（計３点）"},
        {4, 0, 0, 3, u"（", true, false, u"（３点）"},
        {1, 0, 0, 7, u"［", false, true, u"［7点］"},
        {1, 0, 0, 7, u"[", false, true, u"（7点）"},
        {0, 0, 0, 7, u"（", false, true, u"（ --- 点）"},
        {5, 0, 0, 7, u"［", true, true, u"［ --- 点］"},
    };
    for (const Case& c : cases) {
        HAITEN_INFO info;
        info.style = c.style;
        info.p1 = c.p1;
        info.p2 = c.p2;
        info.p3 = c.p3;
        info.fence = c.fence;
        EXPECT_EQ(HaitenText(info, c.vertical, c.majorPart), CStringW(c.expected)) << c.style;
    }
}

TEST(PageFurniture, PointsLabelMeasuresFromItsPartAndDrawsInItsOwnFont)
{
    SwitchGuard guard;
    CurrentWritingVertical = 0;
    CEditPrint root;
    auto* part = new CEditSentence();
    part->m_questionNumber = 1;
    part->m_subQuestionNumber = 2;
    root.AppendChild(part);
    auto* label = new CEditHaiten();
    EXPECT_EQ(label->m_lf.lfHeight, -371);
    EXPECT_EQ(std::string(label->m_lf.lfFaceName), "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");
    label->m_info.style = 4;
    label->m_info.p3 = 3;
    part->AppendChild(label);
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    LAYOUT_CONTEXT context = MeasureContext(10000);
    label->Measure(&dc, &map, &context);
    EXPECT_EQ(label->GetText(), u"（3点）");
    EXPECT_GT(label->m_width, 1);
    label->m_hidden = 1;
    label->Measure(&dc, &map, &context);
    EXPECT_EQ(label->m_width, 1);
    label->m_hidden = 0;
    label->Measure(&dc, &map, &context);

    // The shared font of the row is not used, and is handed back afterwards.
    CFont shared;
    LOGFONTA other{};
    other.lfHeight = -999;
    shared.CreateFontIndirect(&other);
    LAYOUT_CONTEXT draw = LayoutContext(0, 0);
    draw.font = shared;
    label->Layout(&draw, 0);
    for (auto [kind, color] : {std::pair{DeviceKind::Screen, 0xFF00FFu}, std::pair{DeviceKind::Printer, 0u}}) {
        CRecordingDC target(kind);
        label->Draw(&target, &map, &draw);
        const auto texts = target.CallsOf(GdiOp::TextOutW);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].textColor, color);
        EXPECT_EQ(texts[0].font.lfHeight, -371);
        EXPECT_EQ(draw.font, HFONT(shared));
    }
}

TEST(PageFurniture, PageBreakLineAndTextBoxLine)
{
    CEditKaiPage pageBreak;
    EXPECT_EQ(pageBreak.GetKind(), EditKind::Code(EditKind::kKaiPage));
    pageBreak.Fill();
    ASSERT_EQ(pageBreak.GetChildCount(), 1);
    auto* line = dynamic_cast<CEditCR*>(pageBreak.GetChildAt(0));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetText(), u"----- 改ページ -----");
    EXPECT_EQ(line->m_color, 0x808080u);
    EXPECT_EQ(line->m_lf.lfHeight, -282);

    CEditGai textBox;
    EXPECT_EQ(textBox.GetKind(), EditKind::Code(EditKind::kGai));
    textBox.AddLineBreak();
    ASSERT_EQ(textBox.GetChildCount(), 1);
    EXPECT_NE(dynamic_cast<CEditCR*>(textBox.GetChildAt(0)), nullptr);
    EXPECT_EQ(CEditKimeiran().GetKind(), EditKind::Code(EditKind::kKimeiran));
}

TEST(PageFurniture, PageBreakShowsOnScreenOnlyAndOnlyItsMarkedLine)
{
    SwitchGuard guard;
    CEditPrint root;
    auto* pageBreak = new CEditKaiPage();
    pageBreak->Fill();
    root.AppendChild(pageBreak);
    CEditNode* marked = pageBreak->GetEditChild(0);

    // Nodes that reached the block (a paste, an older file); undo records may name them.
    std::vector<CEditNode*> typed;
    for (char16_t c : std::u16string_view(u"ab")) {
        typed.push_back(new CEditChar(c));
        pageBreak->InsertChildAt(static_cast<int>(typed.size()) - 1, typed.back());
    }
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    LAYOUT_CONTEXT context = MeasureContext(10000);
    pageBreak->Measure(&dc, &map, &context);
    // Still in the block (the sanitizers would report a freed one), hidden by the system.
    ASSERT_EQ(pageBreak->GetChildCount(), 3);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(pageBreak->IndexOfChild(typed[static_cast<size_t>(i)]), i);
        EXPECT_EQ(typed[static_cast<size_t>(i)]->m_hidden, 2);
    }
    EXPECT_EQ(pageBreak->GetEditChild(2), marked);
    EXPECT_EQ(marked->m_hidden, 0);
    EXPECT_GT(pageBreak->GetBoxCount(), 0);
    // Taken out again (as undoing the paste does), the block keeps its marked line.
    for (CEditNode* node : typed)
        delete node;
    EXPECT_EQ(pageBreak->GetChildCount(), 1);

    LAYOUT_CONTEXT place = LayoutContext(0, 0);
    pageBreak->Layout(&place, 0);
    CRecordingDC screen;
    pageBreak->Draw(&screen, &map, &place);
    EXPECT_FALSE(screen.CallsOf(GdiOp::TextOutW).empty());
    CRecordingDC printer(DeviceKind::Printer);
    pageBreak->Draw(&printer, &map, &place);
    EXPECT_TRUE(printer.Drawings().empty());

    // A hidden page break measures to nothing.
    pageBreak->m_hidden = 1;
    pageBreak->Measure(&dc, &map, &context);
    EXPECT_EQ(pageBreak->GetBoxCount(), 0);
    EXPECT_EQ(pageBreak->m_height, 0);
}

TEST(PageFurniture, TypingIntoAPageBreakIsRefused)
{
    CEditPrint root;
    auto* pageBreak = new CEditKaiPage();
    pageBreak->Fill();
    root.AppendChild(pageBreak);
    CCaret caret;
    caret.m_caretNode = pageBreak->GetEditChild(0);
    CUndoGroup group;
    CStringW text(u"x");
    EXPECT_FALSE(pageBreak->InsertChars(&caret, &text, &group));
    EXPECT_FALSE(pageBreak->InsertString(&caret, &text, &group));
    EXPECT_FALSE(pageBreak->InsertLineBreak(&caret, &group));
    EXPECT_EQ(pageBreak->GetChildCount(), 1);
    EXPECT_EQ(group.GetCount(), 0);
}

TEST(PageFurniture, DefaultNameFieldCellsInBothDirections)
{
    SwitchGuard guard;
    // Each cell's text with line breaks as "/" and U+3000 as "_", in front of its own content.
    auto cellText = [](int column) {
        CEditContainer cell(EditKind::Code(EditKind::kCell));
        cell.AppendChild(new CEditCR());
        CEditKimeiran::FillDefaultCell(&cell, column);
        std::u16string text;
        for (int i = 0; i < cell.GetChildCount(); ++i) {
            const CEditNode* node = cell.GetEditChild(i);
            if (node->HasKindFlags(EditKind::kLineBreak))
                text += u'/';
            else
                text += node->GetText().View() == u"\u3000" ? std::u16string(u"_") : std::u16string(node->GetText().View());
        }
        return text;
    };
    auto spaces = [](int n) { return std::u16string(static_cast<size_t>(n), u'_'); };
    CurrentWritingVertical = 0;
    EXPECT_EQ(cellText(0), u"//" + spaces(6) + u"テスト" + spaces(4) + u"/");
    EXPECT_EQ(cellText(1), u"//" + spaces(6) + u"年" + spaces(6) + u"組" + spaces(6) + u"番（名前）" + spaces(27) + u"/");
    EXPECT_EQ(cellText(2), u"得点" + spaces(7) + u"//" + spaces(7) + u"／１００/");
    CurrentWritingVertical = 1;
    EXPECT_EQ(cellText(0), u"//" + spaces(3) + u"テスト" + spaces(2) + u"/");
    EXPECT_EQ(cellText(1), u"//" + spaces(3) + u"年" + spaces(3) + u"組" + spaces(3) + u"番（名前）" + spaces(19) + u"/");
    EXPECT_EQ(cellText(2), u"得点" + spaces(4) + u"//" + spaces(4) + u"／１００/");
}

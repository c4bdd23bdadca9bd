// The view controller on a small paper: hints, mapping, painting, keys in both writing
// directions, typing with its class fonts, the input method, scrolling, zoom, command routing.
#include "view_fixture.h"

#include "base/default_fonts.h"
#include "nodes/edit_switches.h"
#include "view/caret_context.h"

#include <cstring>
#include <tuple>

using namespace viewtest;

namespace {

// A character that records which caret move reached it.
class MoveRecorder : public CEditChar {
public:
    MoveRecorder() : CEditChar(u'm') {}
    CEditNode* MovePrev(CCaret*, int extend) override { return Log("prev", extend); }
    CEditNode* MoveNext(CCaret*, int extend) override { return Log("next", extend); }
    CEditNode* MoveUp(CCaret*, int extend) override { return Log("up", extend); }
    CEditNode* MoveDown(CCaret*, int extend) override { return Log("down", extend); }
    CEditNode* MoveHome(CCaret*, int extend) override { return Log("home", extend); }
    CEditNode* MoveEnd(CCaret*, int extend) override { return Log("end", extend); }
    std::string log;

private:
    CEditNode* Log(const char* what, int extend)
    {
        log += std::string(what) + (extend ? "+shift" : "");
        return this;
    }
};

// A character before which nothing can be inserted.
class RefusingChar : public CEditChar {
public:
    RefusingChar() : CEditChar(u'r') {}
    BOOL InsertString(CCaret*, CStringW*, CUndoGroup*) override { return FALSE; }
};

// A text box: a paragraph of the text-box kind.
class TextBox : public CEditSentence {
public:
    TextBox() : CEditSentence(EditKind::Code(EditKind::kGai)) {}
};

std::string Face(const LOGFONTA& font) { return font.lfFaceName; }

}  // namespace

TEST_F(ViewTest, HintsRelayoutResetOrRepaintANode)
{
    Build({u"abc"});
    view.SetViewMode(ViewMode::kNameField);
    struct Case {
        int hint;
        int relayouts;
        bool reset;
    };
    for (const Case& c : {Case{0, 1, false}, Case{3, 1, false}, Case{4, 1, false}, Case{7, 0, false}, Case{2, 0, true}}) {
        const int before = view.GetRelayoutCount();
        view.OnUpdate(c.hint);
        EXPECT_EQ(view.GetRelayoutCount() - before, c.relayouts) << c.hint;
        EXPECT_EQ(view.GetViewMode() == ViewMode::kText, c.reset) << c.hint;
    }
    // Hint 5 repaints the node's rectangle grown by 1 left and top, 2 right and bottom.
    UseIdentityScale();
    CEditNode* node = At(0, 1);
    node->m_rcLayout = RECT{1000, 2000, 1050, 2100};
    view.OnUpdate(UpdateHint::kNode, node);
    EXPECT_TRUE(SameRect(host.lastArea, Rect(999, 1999, 1052, 2102))) << RectText(host.lastArea);
}

TEST_F(ViewTest, ResetFitsTheNumberingFaceToTheDirection)
{
    settings.numberingFace = u"ＭＳ 明朝";
    Build({u"a"}, 1);
    EXPECT_EQ(settings.numberingFace, u"@ＭＳ Ｐ明朝");
    document.root->m_vertical = 0;
    view.ResetViewState();
    EXPECT_EQ(settings.numberingFace, u"ＭＳ Ｐ明朝");
    EXPECT_EQ(view.GetImeOpenText(), 1);
    EXPECT_EQ(view.GetImeOpenMath(), 0);
    EXPECT_TRUE(SameRect(view.GetCaretRect(), Rect(0, 0, 1, 10)));
}

TEST_F(ViewTest, MappingWithZoomAndVerticalWriting)
{
    Build({u"a"});
    ChangeDisplayMap([](CDisplayMap& map) { map.SetResolution(96, 96, 100); });
    POINT p{2540, 0};
    view.LogicalToDevicePoint(&p);
    EXPECT_EQ(p.x, 96);
    ChangeDisplayMap([](CDisplayMap& map) { map.SetZoom(200); });
    p = POINT{2540, 0};
    view.LogicalToDevicePoint(&p);
    EXPECT_EQ(p.x, 192);

    ChangeDisplayMap([](CDisplayMap& map) {
        map.SetZoom(100);
        map.SetVertical(1);
    });
    host.client = SIZE{800, 600};
    CRecordingDC dc;
    view.OnPrepareDC(&dc);
    POINT origin{0, 0};
    view.LogicalToDevicePoint(&origin);
    EXPECT_EQ(origin.x, 800);
    EXPECT_EQ(origin.y, 0);
    POINT down{0, 2540};
    view.LogicalToDevicePoint(&down);
    EXPECT_EQ(down.x, 800 - 96);
    view.DeviceToLogicalPoint(&down);
    EXPECT_EQ(down.y, 2540);

    const RECT page3 = CEditViewController::PageRect(*document.root, 3);
    EXPECT_EQ(page3.top, 3 * 500 + 2 * 29700);
    EXPECT_EQ(page3.bottom - page3.top, 29700);
}

TEST_F(ViewTest, PaintFillsTheClipBoxGreyAndThePagesWhite)
{
    Build({u"abc"});
    CRecordingDC dc;
    dc.SetDeviceSize(20000, 15000);
    EXPECT_FALSE(view.PaintInto(&dc, RECT{0, 0, 0, 0}));
    EXPECT_TRUE(dc.Drawings().empty());
    ASSERT_TRUE(view.PaintInto(&dc, RECT{0, 0, 20000, 15000}));
    const std::vector<GdiCall> fills = dc.CallsOf(GdiOp::FillSolidRect);
    ASSERT_GE(fills.size(), 2u);
    EXPECT_EQ(fills[0].color, CEditViewController::kBackColor);
    EXPECT_TRUE(SameRect(fills[1].rect, Rect(500, 500, 21500, 30200))) << RectText(fills[1].rect);
    EXPECT_EQ(fills[1].color, 0xFFFFFFu);
    // The caret in a plain paragraph: no frame round a container.
    EXPECT_TRUE(dc.CallsOf(GdiOp::FrameRect).empty());
}

TEST_F(ViewTest, OffscreenBufferCoversTheScreenAndAnyLargerWindow)
{
    Build({u"a"});
    host.client = SIZE{800, 600};
    ASSERT_NE(view.GetOffscreenDC(), nullptr);
    EXPECT_EQ(view.GetOffscreenSize().cx, 1280);
    EXPECT_EQ(view.GetOffscreenSize().cy, 1024);
    host.client = SIZE{3000, 1100};
    ASSERT_NE(view.GetOffscreenDC(), nullptr);
    EXPECT_EQ(view.GetOffscreenSize().cx, 3000);
    EXPECT_EQ(view.GetOffscreenSize().cy, 1100);
}

TEST_F(ViewTest, CaretKeysByWritingDirection)
{
    struct Case {
        int key;
        int vertical;
        const char* move;
        int lock;
    };
    const Case cases[] = {
        {ViewKey::kLeft, 0, "prev", 0},  {ViewKey::kRight, 0, "next", 0}, {ViewKey::kUp, 0, "up", 1},
        {ViewKey::kDown, 0, "down", 1},  {ViewKey::kHome, 0, "home", 0},  {ViewKey::kEnd, 0, "end", 0},
        {ViewKey::kLeft, 1, "down", 1},  {ViewKey::kRight, 1, "up", 1},   {ViewKey::kUp, 1, "prev", 0},
        {ViewKey::kDown, 1, "next", 0},  {ViewKey::kHome, 1, "home", 0},  {ViewKey::kEnd, 1, "end", 0},
    };
    Build({u"ab"});
    auto* recorder = new MoveRecorder();
    document.root->GetEditChild(0)->InsertChildAt(1, recorder);
    for (const Case& c : cases) {
        ChangeDisplayMap([&c](CDisplayMap& map) { map.SetVertical(c.vertical); });
        for (int lockBefore : {0, 1}) {
            recorder->log.clear();
            view.SetCaretNode(recorder);
            ChangeCaret([lockBefore](CCaret& caret) { caret.m_verticalMove = lockBefore; });
            view.OnKeyDown(c.key, false);
            EXPECT_EQ(recorder->log, c.move) << c.key << " vertical " << c.vertical;
            EXPECT_EQ(view.GetCaret().m_verticalMove, c.lock) << c.key << " vertical " << c.vertical;
        }
    }
    recorder->log.clear();
    view.OnKeyDown(ViewKey::kLeft, true);
    EXPECT_EQ(recorder->log, "down+shift");
    // Keys move nothing while a picture or answer fields are sized.
    for (int mode : {ViewMode::kPicture, ViewMode::kFieldSize}) {
        view.SetViewMode(mode);
        recorder->log.clear();
        view.OnKeyDown(ViewKey::kLeft, false);
        EXPECT_EQ(recorder->log, "");
    }
}

TEST_F(ViewTest, RealCaretMovesAlongTheLine)
{
    Build({u"abc"});
    PlaceCaret(0, 0);
    view.OnKeyDown(ViewKey::kRight, false);
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 1));
    EXPECT_EQ(view.GetCaretRect().left, At(0, 1)->m_rcLayout.left);
    view.OnKeyDown(ViewKey::kEnd, false);
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 3));
}

TEST_F(ViewTest, TypedCharactersTakeTheFontOfTheirClass)
{
    const CDefaultFontTable& fonts = CDefaultFontTable::Instance();
    LOGFONTA hankaku{}, numeric{}, wide{};
    fonts.GetHankakuFont(&hankaku, 0);
    fonts.GetNumericFont(&numeric, 0);
    fonts.GetDefaultFont(&wide, 0);
    struct Case {
        char16_t ch;
        std::string face;
    };
    Build({u"xy"});
    for (const Case& c : {Case{u'A', Face(hankaku)}, Case{u'5', Face(numeric)}, Case{u'あ', Face(wide)}}) {
        PlaceCaret(0, 1);
        view.OnChar(c.ch);
        CEditNode* typed = At(0, 1);
        EXPECT_EQ(typed->GetText().GetAt(0), c.ch);
        EXPECT_EQ(Face(typed->m_lf), c.face) << static_cast<int>(c.ch);
        // The typing format afterwards is that of the character just typed.
        EXPECT_EQ(Face(view.GetCaret().m_logFont), c.face);
    }
    EXPECT_EQ(Text(0), u"xあ5Ay|");
    EXPECT_EQ(document.groups.size(), 3u);
    EXPECT_TRUE(document.modified);
}

TEST_F(ViewTest, ControlCharactersAreNeverInserted)
{
    Build({u"ab"});
    for (char16_t ch : {u'\t', u'\n', char16_t(0x01), char16_t(0x02), char16_t(0x1B), char16_t(0x1F), char16_t(0x7F)}) {
        PlaceCaret(0, 1);
        view.OnChar(ch);
        view.OnPaletteChar(ch, nullptr);
        view.OnImeComposition(std::u16string(1, ch));
    }
    EXPECT_EQ(Text(0), u"ab|");
    EXPECT_TRUE(document.groups.empty());
    EXPECT_FALSE(document.modified);
    // Backspace and Enter are the view's own.
    PlaceCaret(0, 1);
    view.OnChar(8);
    EXPECT_EQ(Text(0), u"b|");
    view.OnChar(13);
    EXPECT_EQ(Text(0), u"|b|");
}

// After Enter the blocks below move only as their pages are drawn: a later page drawn then shows
// its text where a whole layout of the paper puts it.
TEST_F(ViewTest, APageDrawnAfterAnEditShowsItsTextWhereAWholeLayoutPutsIt)
{
    Build(std::vector<std::u16string>(300, u"あいうえお"));
    ASSERT_GE(document.root->GetPageCount(), 3);
    const auto textsOnPage = [this](int page) {
        const int top = CEditViewController::PageRect(*document.root, page).top;
        ChangeDisplayMap([top](CDisplayMap& map) { map.SetOrigin(0, top); });
        CRecordingDC dc;
        dc.SetDeviceSize(20000, 15000);
        EXPECT_TRUE(view.PaintInto(&dc, RECT{0, 0, 20000, 15000}));
        std::vector<std::tuple<std::u16string, int, int>> texts;
        for (const GdiCall& call : dc.CallsOf(GdiOp::ExtTextOutW))
            texts.emplace_back(call.text, call.points.empty() ? 0 : call.points[0].x, call.points.empty() ? 0 : call.points[0].y);
        return texts;
    };
    PlaceCaret(2, 0);
    view.OnChar(13);
    view.OnChar(13);
    const auto afterEdit = textsOnPage(3);
    ASSERT_FALSE(afterEdit.empty());

    document.root->SetDirtyAll(1);
    view.OnUpdate(UpdateHint::kAll);
    document.root->SettleAll();
    EXPECT_EQ(afterEdit, textsOnPage(3));
}

// Enter near the top leaves the pages far below to be paginated when first reached: the last
// page drawn and printed then is the one a whole layout of the paper gives.
TEST_F(ViewTest, TheLastPageReachedAfterAnEditIsTheOneAWholeLayoutGives)
{
    Build(std::vector<std::u16string>(700, u"あいうえお"));
    const auto textsOf = [](const CRecordingDC& dc) {
        std::vector<std::tuple<std::u16string, int, int>> texts;
        for (const GdiCall& call : dc.CallsOf(GdiOp::ExtTextOutW))
            texts.emplace_back(call.text, call.points.empty() ? 0 : call.points[0].x, call.points.empty() ? 0 : call.points[0].y);
        return texts;
    };
    const auto drawn = [&](int page) {
        const int top = CEditViewController::PageRect(*document.root, page).top;
        ChangeDisplayMap([top](CDisplayMap& map) { map.SetOrigin(0, top); });
        CRecordingDC dc;
        dc.SetDeviceSize(20000, 15000);
        EXPECT_TRUE(view.PaintInto(&dc, RECT{0, 0, 20000, 15000}));
        return textsOf(dc);
    };
    const auto printed = [&](int page) {
        CRecordingDC printer(DeviceKind::Printer);
        printer.SetResolution(600, 600);
        printer.SetDeviceSize(MulDiv(21000, 600, 2540), MulDiv(29700, 600, 2540));
        CPrintInfo info;
        info.m_nCurPage = page;
        view.OnPrint(&printer, &info);
        return textsOf(printer);
    };
    PlaceCaret(2, 0);
    view.OnChar(13);
    view.OnChar(13);
    ASSERT_TRUE(document.root->HasPendingPagination());
    const int last = document.root->GetKnownPageCount();
    ASSERT_GE(last, 4);
    const auto drawnAfterEdit = drawn(last);
    EXPECT_FALSE(document.root->HasPendingPagination());
    const auto printedAfterEdit = printed(last);
    ASSERT_FALSE(drawnAfterEdit.empty());
    ASSERT_FALSE(printedAfterEdit.empty());

    document.root->SetDirtyAll(1);
    view.OnUpdate(UpdateHint::kAll);
    document.root->SettleAll();
    EXPECT_EQ(document.root->GetPageCount(), last);
    EXPECT_EQ(drawnAfterEdit, drawn(last));
    EXPECT_EQ(printedAfterEdit, printed(last));
}

// Enter near the top pushes the paper onto another page while the later blocks wait: drawing the
// last page known paginates them, and the scroll bar then reaches the new last page.
TEST_F(ViewTest, PagesPaginatedByADrawingReachTheScrollBar)
{
    Build(std::vector<std::u16string>(700, u"あいうえお"));
    PlaceCaret(2, 0);
    const int before = document.root->GetPageCount();
    for (int i = 0; i < 120; ++i)
        view.OnChar(13);
    ASSERT_TRUE(document.root->HasPendingPagination());
    const int known = document.root->GetKnownPageCount();
    const int top = CEditViewController::PageRect(*document.root, known).top;
    ChangeDisplayMap([top](CDisplayMap& map) { map.SetOrigin(0, top); });
    CRecordingDC dc;
    dc.SetDeviceSize(20000, 15000);
    ASSERT_TRUE(view.PaintInto(&dc, RECT{0, 0, 20000, 15000}));

    ASSERT_FALSE(document.root->HasPendingPagination());
    ASSERT_GT(document.root->GetPageCount(), before);
    int width = 0;
    int height = 0;
    document.root->GetExtent(&width, &height);
    EXPECT_EQ(view.GetVBar().max, height);
}

TEST_F(ViewTest, TypingOverASelectionIsOneUndoStep)
{
    Build({u"abcd"});
    Select(0, 1, 3);
    view.OnChar(u'X');
    EXPECT_EQ(Text(0), u"aXd|");
    ASSERT_EQ(document.groups.size(), 1u);
    view.OnCommand(ViewCommand::kEditUndo);
    EXPECT_EQ(Text(0), u"abcd|");
    view.OnCommand(ViewCommand::kEditRedo);
    EXPECT_EQ(Text(0), u"aXd|");
}

TEST_F(ViewTest, ADeletedSelectionMarksThePaperModifiedEvenWhenTheInsertionFails)
{
    Build({u"abc"});
    auto* refusing = new RefusingChar();
    document.root->GetEditChild(0)->InsertChildAt(2, refusing);
    view.PlaceCaret(refusing, At(0, 0));
    view.OnChar(u'X');
    EXPECT_EQ(Text(0), u"rc|");
    EXPECT_TRUE(document.modified);
    ASSERT_EQ(document.groups.size(), 1u);
    view.OnEditUndo();
    EXPECT_EQ(Text(0), u"abrc|");
}

TEST_F(ViewTest, PaletteCharactersOnlyWhileTypingIsAllowed)
{
    Build({u"ab"});
    for (int mode : {ViewMode::kPicture, ViewMode::kFieldSize}) {
        view.SetViewMode(mode);
        PlaceCaret(0, 1);
        view.OnPaletteChar(u'α', nullptr);
    }
    EXPECT_EQ(Text(0), u"ab|");
    EXPECT_FALSE(document.modified);
    view.SetViewMode(ViewMode::kText);
    const LOGFONTA before = view.GetCaret().m_logFont;
    view.OnPaletteChar(u'α', nullptr);
    EXPECT_EQ(Text(0), u"aαb|");
    EXPECT_TRUE(document.modified);
    // The typing format is put back after a palette character.
    EXPECT_EQ(Face(view.GetCaret().m_logFont), Face(before));
}

TEST_F(ViewTest, ComposedTextGoesInAsOneStepInBothDirections)
{
    for (int vertical : {0, 1}) {
        TestDocument doc;
        TestHost windowHost;
        VIEW_SETTINGS values;
        CEditViewController v(doc, windowHost, values);
        doc.view = &v;
        doc.root->m_vertical = vertical;
        auto* part = new CEditSentence();
        AddChars(part, u"abc");
        AddCR(part);
        doc.root->AppendChild(part);
        v.OnInitialUpdate();
        v.PlaceCaret(part->GetEditChild(2), part->GetEditChild(1));
        v.OnImeComposition(u"漢字");
        std::u16string text;
        for (int i = 0; i < part->GetChildCount() - 1; ++i)
            text += part->GetEditChild(i)->GetText().View();
        EXPECT_EQ(text, u"a漢字c") << vertical;
        EXPECT_EQ(doc.groups.size(), 1u);
        EXPECT_TRUE(doc.modified);
        // The composition window sits at the caret in the caret's font, turned in vertical writing.
        EXPECT_EQ(v.GetImeFont().lfEscapement, vertical ? 2700 : 0);
        EXPECT_EQ(v.GetImeFont().lfOrientation, vertical ? 2700 : 0);
        EXPECT_NE(v.GetImeFont().lfHeight, 0);
    }
}

TEST_F(ViewTest, GaijiTypingFaceShowsTheDefaultFaceInTheComposition)
{
    Build({u"ab"});
    std::strcpy(view.TypingFont().lfFaceName, "Orvellan Gaiji");
    view.TypingFont().lfHeight = -2540;
    view.PlaceImeWindow();
    LOGFONTA wide{};
    CDefaultFontTable::Instance().GetDefaultFont(&wide, 0);
    EXPECT_EQ(Face(view.GetImeFont()), Face(wide));
    EXPECT_EQ(std::abs(view.GetImeFont().lfHeight), 2540);
}

TEST_F(ViewTest, InputMethodOpenStateIsKeptPerContext)
{
    Build({u"ab"});
    ChangeCaret([](CCaret& caret) { caret.m_caretKind = EditKind::kMathChar; });
    view.OnImeOpenStatus(true);
    EXPECT_EQ(view.GetImeOpenMath(), 1);
    EXPECT_EQ(view.GetImeOpenText(), 1);
    ChangeCaret([](CCaret& caret) { caret.m_caretKind = EditKind::kChar; });
    view.OnImeOpenStatus(false);
    EXPECT_EQ(view.GetImeOpenText(), 0);
    EXPECT_EQ(view.GetImeOpenMath(), 1);
    EXPECT_FALSE(view.IsImeOpen());
}

TEST_F(ViewTest, ScrollBarsFromTheExtentWithNegativeOrigins)
{
    Build({u"a"});
    struct Case {
        SIZE client;
        SCROLL_BAR_STATE h;
        SCROLL_BAR_STATE v;
        int originY;
    };
    const Case cases[] = {
        {{20000, 15000}, {24500, 20000, 0}, {33200, 15000, 0}, 0},
        {{25000, 15000}, {0, 0, 0}, {33200, 15000, 0}, 0},
        // A paper shorter than the window: the origin goes negative and the bar is disabled.
        {{20000, 40000}, {24500, 20000, 0}, {0, 0, 0}, 33200 - 40000},
    };
    for (const Case& c : cases) {
        host.client = c.client;
        ChangeDisplayMap([](CDisplayMap& map) { map.SetOrigin(0, 0); });
        view.UpdateScrollBars();
        EXPECT_EQ(view.GetHBar().max, c.h.max);
        EXPECT_EQ(view.GetHBar().page, c.h.page);
        EXPECT_EQ(view.GetVBar().max, c.v.max);
        EXPECT_EQ(view.GetVBar().page, c.v.page);
        EXPECT_EQ(view.GetDisplayMap().m_originY, c.originY);
    }
}

TEST_F(ViewTest, WheelScrollsByItsDeltaAndReachesTheTop)
{
    Build({u"a"});
    view.OnMouseWheel(-120);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 1000);
    view.OnMouseWheel(-30);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 1250);
    view.OnMouseWheel(120);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 250);
    view.OnMouseWheel(120);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 0);
    view.OnKeyDown(ViewKey::kPageDown, false);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 15000);
    view.OnVScroll(ScrollCode::kThumbTrack, 4000);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 4000);
}

TEST_F(ViewTest, VerticalWritingScrollsTowardsTheLeft)
{
    Build({u"a"}, 1);
    host.client = SIZE{20000, 15000};
    view.UpdateScrollBars();
    // The start of the paper shows with the horizontal bar at its right end.
    EXPECT_EQ(view.GetHBar().pos, 33200 - 20000);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 0);
    view.OnHScroll(ScrollCode::kLineUp);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 1000);
    view.OnKeyDown(ViewKey::kPageDown, false);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 13200);
    // Dragging the thumb to the right end goes back to the start of the paper.
    view.OnHScroll(ScrollCode::kThumbTrack, view.GetHBar().max - view.GetHBar().page);
    EXPECT_EQ(view.GetDisplayMap().m_originY, 0);
}

TEST_F(ViewTest, CaretScrolledIntoViewCanReachOriginZero)
{
    Build({u"a"});
    host.client = SIZE{5000, 15000};
    view.UpdateScrollBars();
    ChangeDisplayMap([](CDisplayMap& map) { map.m_originX = 5000; });
    view.UpdateScrollBars();
    ASSERT_EQ(view.GetHBar().pos, 5000);
    // x − w − margin is exactly 0.
    view.SetCaretRect(RECT{10 + 17, 600, 10, 100});
    view.EnsureCaretVisible();
    EXPECT_EQ(view.GetDisplayMap().m_originX, 0);
}

TEST_F(ViewTest, ZoomBoxAndDialogAndPagePane)
{
    Build({u"ab"});
    host.barZoom = 1000;
    EXPECT_TRUE(view.OnCommand(ViewCommand::kZoomBox));
    EXPECT_EQ(view.GetDisplayMap().m_zoom, 500);
    EXPECT_EQ(settings.zoom, 500);
    host.barZoom = 20;
    view.OnZoomComboChange();
    EXPECT_EQ(view.GetDisplayMap().m_zoom, 50);
    // The dialog zooms the view only.
    view.m_zoomDialog = [](int* percent) {
        *percent = 150;
        return true;
    };
    EXPECT_TRUE(view.OnCommand(ViewCommand::kViewZoom));
    EXPECT_EQ(view.GetDisplayMap().m_zoom, 150);
    EXPECT_EQ(host.barZoom, 150);
    EXPECT_EQ(settings.zoom, 50);

    PlaceCaret(0, 0);
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kPageIndicator).text, u"  1ページ");
    At(0, 0)->m_page = 12;
    EXPECT_EQ(view.PageIndicatorText(), u" 12ページ");
    view.SetCaretNode(nullptr);
    EXPECT_EQ(view.PageIndicatorText(), u"");
}

TEST_F(ViewTest, RoutingDropsDisabledCommands)
{
    Build({u"abc"});
    PlaceCaret(0, 1);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kEditCopy).enabled);
    EXPECT_FALSE(view.OnCommand(ViewCommand::kEditCopy));
    view.SetAnchorNode(At(0, 0));
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kFormatFont).enabled);
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kEditUndo).enabled);
    EXPECT_FALSE(view.OnCommand(12345));
    const int marks = LineBreakMarksVisible;
    EXPECT_TRUE(view.OnCommand(ViewCommand::kViewLineBreaks));
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kViewLineBreaks).check, marks ? 0 : 1);
    // Clear deletes at the caret.
    view.SetAnchorNode(nullptr);
    EXPECT_TRUE(view.OnCommand(ViewCommand::kEditClear));
    EXPECT_EQ(Text(0), u"ac|");
}

TEST_F(ViewTest, CaretContextTable)
{
    CEditPrint root;
    auto add = [](CEditNode* parent, uint32_t kind) {
        auto* node = new CEditContainer(EditKind::Code(kind));
        parent->AppendChild(node);
        return node;
    };
    auto* part = new CEditSentence();
    root.AppendChild(part);
    auto* box = new TextBox();
    root.AppendChild(box);
    CEditNode* plain = AddChar(part, u'a');
    CEditNode* inBox = AddChar(box, u'b');
    CEditNode* inAnswer = AddChar(add(part, EditKind::kCyukai), u'c');
    CEditNode* inFormula = AddChar(add(part, EditKind::kMath), u'd');
    CEditNode* inKasen = AddChar(add(part, EditKind::kKasen), u'e');
    CEditNode* inKan = AddChar(add(part, EditKind::kKan), u'f');
    CEditNode* inRuby = AddChar(add(part, EditKind::kRuby), u'g');
    CEditNode* inTable = AddChar(add(add(part, EditKind::kTable), EditKind::kCell), u'h');
    CEditNode* inFloat = AddChar(add(part, EditKind::kFloat), u'i');
    auto* picture = new CEditNode(EditKind::Code(EditKind::kGraphic));
    part->AppendChild(picture);

    using C = CaretContext;
    struct Case {
        CEditNode* node;
        C context;
        bool allowed;
    };
    const Case cases[] = {
        {plain, C::QuestionPart, true},        {inBox, C::QuestionPart, false},
        {plain, C::InTextAnswer, true},        {inBox, C::InTextAnswer, false},
        {inAnswer, C::InTextAnswer, true},     {inAnswer, C::WrapInTextAnswer, false},
        {plain, C::WrapInTextAnswer, true},    {plain, C::UnderlineNumbering, true},
        {inFormula, C::UnderlineNumbering, false}, {inKasen, C::UnderlineNumbering, false},
        {inAnswer, C::UnderlineNumbering, false},  {inKan, C::Kanbun, true},
        {plain, C::Kanbun, false},             {inRuby, C::Ruby, true},
        {inTable, C::Table, true},             {plain, C::Table, false},
        {inFloat, C::Float, true},             {picture, C::Picture, true},
        {plain, C::Picture, false},            {nullptr, C::InTextAnswer, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        CCaret caret;
        caret.m_caretNode = cases[i].node;
        EXPECT_EQ(CaretContextAllows(caret, cases[i].context), cases[i].allowed) << "case " << i;
    }
    // The anchor in a formula refuses the underline numbering too.
    CCaret caret;
    caret.m_caretNode = plain;
    caret.m_anchorNode = inFormula;
    EXPECT_FALSE(CaretContextAllows(caret, C::UnderlineNumbering));
}

TEST_F(ViewTest, TrackersOfTheModeAndTheFrameOfTheContainer)
{
    Build({u"abc", u"def", u"ghi"});
    CEditNode* current = document.root->GetEditChild(0);
    CEditNode* other = document.root->GetEditChild(1);
    other->m_rcLayout = RECT{1000, 2000, 3000, 2600};
    view.SetViewMode(ViewMode::kFieldSize);
    view.SetFieldSelection(current, {current, other});
    CRecordingDC dc;
    ASSERT_TRUE(view.PaintInto(&dc, RECT{0, 0, 20000, 15000}));
    // The current field has its tracker; the other shows eight 5 × 5 inversions.
    const std::vector<GdiCall> handles = dc.CallsOf(GdiOp::PatBlt);
    ASSERT_EQ(handles.size(), 8u);
    for (const GdiCall& call : handles) {
        EXPECT_EQ(call.rop, DSTINVERT);
        EXPECT_EQ(call.rect.right - call.rect.left, 5);
        EXPECT_EQ(call.rect.bottom - call.rect.top, 5);
    }
    EXPECT_TRUE(SameRect(handles[0].rect, Rect(998, 1998, 1003, 2003))) << RectText(handles[0].rect);
    EXPECT_FALSE(dc.CallsOf(GdiOp::FillRect).empty());

    // The caret in a formula: its frame is drawn with the exclusive-or pen, not on a printer.
    view.SetViewMode(ViewMode::kText);
    auto* formula = new CEditContainer(EditKind::Code(EditKind::kMath));
    document.root->GetEditChild(2)->InsertChildAt(0, formula);
    view.SetCaretNode(AddChar(formula, u'x'));
    view.OnUpdate(UpdateHint::kAll);
    CRecordingDC screen;
    view.OnDraw(&screen);
    const std::vector<GdiCall> frames = screen.CallsOf(GdiOp::FrameRect);
    ASSERT_EQ(frames.size(), 1u);
    RECT expected = formula->m_rcLayout;
    view.GetDisplayMap().DocToDeviceRect(&expected);
    EXPECT_TRUE(SameRect(frames[0].rect, Rect(expected.left - 1, expected.top - 1, expected.right + 2, expected.bottom + 2)));
    EXPECT_EQ(frames[0].rop2, R2_XORPEN);
    CRecordingDC printer(DeviceKind::Printer);
    view.OnDraw(&printer);
    EXPECT_TRUE(printer.CallsOf(GdiOp::FrameRect).empty());
}

TEST_F(ViewTest, FontSheetChangesTheDefaultsOnlyForAWholeParagraph)
{
    CDefaultFontTable& defaults = CDefaultFontTable::Instance();
    const CDefaultFontTable saved = defaults;
    struct Case {
        int from;
        int to;  // the caret node; the selection ends before it
        bool gaiji;
        bool defaultsChange;
    };
    for (const Case& c : {Case{0, 3, false, true}, Case{0, 2, false, false}, Case{0, 3, true, false}}) {
        defaults = saved;
        TestDocument doc;
        TestHost windowHost;
        VIEW_SETTINGS values;
        CEditViewController v(doc, windowHost, values);
        auto* part = new CEditSentence();
        AddChars(part, u"abc");
        AddCR(part);
        doc.root->AppendChild(part);
        v.OnInitialUpdate();
        v.PlaceCaret(part->GetEditChild(c.to), part->GetEditChild(c.from));
        v.m_fontSheet = [&c](FONT_SHEET_VALUES* sheet) {
            if (c.gaiji)
                std::strcpy(sheet->fonts[FONT_SHEET_VALUES::FullWidth].font.lfFaceName, "Orvellan Gaiji");
            sheet->fonts[FONT_SHEET_VALUES::HalfWidth].height = 500;
            sheet->fonts[FONT_SHEET_VALUES::FullWidth].height = 500;
            return true;
        };
        EXPECT_TRUE(v.OnCommand(ViewCommand::kFormatFont));
        EXPECT_EQ(part->GetEditChild(0)->m_lf.lfHeight, -500) << c.to;
        EXPECT_EQ(v.GetCaret().m_logFont.lfHeight, -500);
        EXPECT_EQ(defaults.GetDefaultHeight() == 500, c.defaultsChange) << c.to;
        EXPECT_EQ(doc.groups.size(), 1u);
        EXPECT_TRUE(doc.modified);
    }
    defaults = saved;
}

TEST_F(ViewTest, TypingFormatComesFromTheTextBeforeTheCaret)
{
    Build({u"ab"});
    CEditNode* part = document.root->GetEditChild(0);
    auto named = [](CEditNode* node, const char* face) {
        std::strcpy(node->m_lf.lfFaceName, face);
        return node;
    };
    auto* box = new CEditContainer(EditKind::Code(EditKind::kMath));
    auto* cell = new CEditContainer(EditKind::Code(EditKind::kKan));
    auto* secondBox = new CEditContainer(EditKind::Code(EditKind::kMath));
    // a b [formula] c [kanbun] d [formula] [formula] |
    part->InsertChildAt(2, box);
    part->InsertChildAt(3, new CEditChar(u'c'));
    part->InsertChildAt(4, cell);
    part->InsertChildAt(5, new CEditChar(u'd'));
    part->InsertChildAt(6, secondBox);
    part->InsertChildAt(7, new CEditContainer(EditKind::Code(EditKind::kMath)));
    ASSERT_EQ(part->GetChildCount(), 9);
    // A second line: e |
    named(AddChar(part, u'e'), "FaceE");
    AddCR(part);
    ASSERT_EQ(At(0, 5)->GetText().GetAt(0), u'd');
    named(At(0, 0), "FaceA");
    named(At(0, 1), "FaceB");
    named(box, "FaceBox");
    named(At(0, 3), "FaceC");
    named(At(0, 5), "FaceD");
    named(secondBox, "FaceBox2");
    LOGFONTA wide{};
    CDefaultFontTable::Instance().GetDefaultFont(&wide, 0);
    struct Case {
        int index;
        std::string face;
    };
    const Case cases[] = {
        {0, "FaceA"},          // no text before: the caret node itself
        {1, "FaceA"},          // a character before: that character
        {3, "FaceBox"},        // a formula before a character: the formula
        {5, Face(wide)},       // a kanbun cell before: the default text face only
        {6, "Before"},         // an object after text: nothing copied
        {7, "FaceBox2"},       // an object after an object: the one before
        {9, "FaceE"},          // a line break before: the caret node itself
    };
    for (const Case& c : cases) {
        PlaceCaret(0, c.index);
        std::strcpy(view.TypingFont().lfFaceName, "Before");
        view.UpdateCaret(TRUE);
        EXPECT_EQ(Face(view.GetCaret().m_logFont), c.face) << c.index;
    }
    // Without taking the format, the caret only moves.
    PlaceCaret(0, 1);
    std::strcpy(view.TypingFont().lfFaceName, "Kept");
    view.UpdateCaret(FALSE);
    EXPECT_EQ(Face(view.GetCaret().m_logFont), "Kept");
}

// The automation wrappers: their member tables as the word processors' vocabulary gives them, the
// call each member makes on a recording server (name or fixed id, kind, typed arguments), and how
// failures leave a member.
#include "export/automation_wrappers.h"

#include "tests/support/recording_server.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct MEMBER_ROW {
    const char* member;
    const char* name;  // "#id" for a member called by its fixed id
    const char* kind;  // get, put or method
    const char* arguments;
    const char* result;  // - none, o object, l long, V VARIANT
};

std::string KindOf(WORD flags)
{
    return flags == DISPATCH_PROPERTYGET ? "get" : flags == DISPATCH_PROPERTYPUT ? "put" : "method";
}

std::string ResultOf(VARTYPE type)
{
    switch (type) {
    case VT_EMPTY: return "-";
    case VT_DISPATCH: return "o";
    case VT_I4: return "l";
    case VT_VARIANT: return "V";
    default: return "?";
    }
}

std::string NameOf(const DISPATCH_MEMBER& member)
{
    if (member.name == nullptr)
        return "#" + std::to_string(member.fixedId);
    return std::string(member.name, member.name + std::char_traits<char16_t>::length(member.name));
}

void ExpectTable(std::span<const DISPATCH_MEMBER> table, const std::vector<MEMBER_ROW>& expected)
{
    ASSERT_EQ(table.size(), expected.size());
    for (size_t i = 0; i < table.size(); ++i) {
        const MEMBER_ROW& row = expected[i];
        EXPECT_STREQ(table[i].member, row.member) << i;
        EXPECT_EQ(NameOf(table[i]), row.name) << row.member;
        EXPECT_EQ(table[i].name == nullptr, table[i].fixedId != DISPID_UNKNOWN) << row.member;
        EXPECT_EQ(KindOf(table[i].flags), row.kind) << row.member;
        EXPECT_EQ(table[i].arguments, row.arguments) << row.member;
        EXPECT_EQ(ResultOf(table[i].result), row.result) << row.member;
    }
}

TEST(AutomationWrappers, TheMemberTablesHoldEveryMembersNameKindAndArgumentTypes)
{
    // Argument letters: l long, f float, b BOOL, o object, w wide text, n narrow text,
    // R VARIANT by reference, V VARIANT by value.
    const std::vector<MEMBER_ROW> word = {
        {"GetDocuments", "Documents", "get", "", "o"},
        {"SetVisible", "Visible", "put", "b", "-"},
        {"SetWindowState", "WindowState", "put", "l", "-"},
        {"Quit", "Quit", "method", "RRR", "-"},
        {"AddDocument", "Add", "method", "RR", "o"},
        {"GetTables", "Tables", "get", "", "o"},
        {"GetPageSetup", "PageSetup", "get", "", "o"},
        {"GetActiveWindow", "ActiveWindow", "get", "", "o"},
        {"SaveAs", "SaveAs", "method", "RRRRRRRRRRR", "-"},
        {"Range", "Range", "method", "RR", "o"},
        {"GetActivePane", "ActivePane", "get", "", "o"},
        {"GetSelection", "Selection", "get", "", "o"},
        {"Select", "Select", "method", "", "-"},
        {"PhoneticGuide", "PhoneticGuide", "method", "wllln", "-"},
        {"SetAlignment", "Alignment", "put", "l", "-"},
        {"SetRightIndent", "RightIndent", "put", "f", "-"},
        {"SetLeftIndent", "LeftIndent", "put", "f", "-"},
        {"SetLineSpacing", "LineSpacing", "put", "f", "-"},
        {"SetLineSpacingRule", "LineSpacingRule", "put", "l", "-"},
        {"SetBaseLineAlignment", "BaseLineAlignment", "put", "l", "-"},
        {"SetBold", "Bold", "put", "l", "-"},
        {"SetItalic", "Italic", "put", "l", "-"},
        {"SetStrikeThrough", "StrikeThrough", "put", "l", "-"},
        {"SetColorIndex", "ColorIndex", "put", "l", "-"},
        {"SetSubscript", "Subscript", "put", "l", "-"},
        {"SetSuperscript", "Superscript", "put", "l", "-"},
        {"SetUnderline", "Underline", "put", "l", "-"},
        {"SetSize", "Size", "put", "f", "-"},
        {"SetName", "Name", "put", "n", "-"},
        {"SetScaling", "Scaling", "put", "l", "-"},
        {"GetBorders", "Borders", "get", "", "o"},
        {"GetShading", "Shading", "get", "", "o"},
        {"GetRows", "Rows", "get", "", "o"},
        {"Cell", "Cell", "method", "ll", "o"},
        {"AutoFitBehavior", "AutoFitBehavior", "method", "l", "-"},
        {"SetDispId113", "#113", "put", "f", "-"},
        {"SetDispId114", "#114", "put", "f", "-"},
        {"SetDispId115", "#115", "put", "f", "-"},
        {"SetDispId116", "#116", "put", "f", "-"},
        {"SetRowHeight", "Height", "put", "f", "-"},
        {"AddTable", "Add", "method", "oll", "o"},
        {"GetCount", "Count", "get", "", "l"},
        {"RowsItem", "Item", "method", "l", "o"},
        {"SetDispId13", "#13", "put", "f", "-"},
        {"SetDispId14", "#14", "put", "f", "-"},
        {"SetDispId20", "#20", "put", "f", "-"},
        {"SetDispId21", "#21", "put", "f", "-"},
        {"SetDispId17", "#17", "put", "f", "-"},
        {"SetDispId105", "#105", "put", "f", "-"},
        {"SetDispId106", "#106", "put", "l", "-"},
        {"BordersItem", "Item", "method", "l", "o"},
        {"SetLineStyle", "LineStyle", "put", "l", "-"},
        {"SetBackgroundPatternColorIndex", "BackgroundPatternColorIndex", "put", "l", "-"},
        {"SetTexture", "Texture", "put", "l", "-"},
        {"SetTopMargin", "TopMargin", "put", "f", "-"},
        {"SetBottomMargin", "BottomMargin", "put", "f", "-"},
        {"SetLeftMargin", "LeftMargin", "put", "f", "-"},
        {"SetRightMargin", "RightMargin", "put", "f", "-"},
        {"SetGutter", "Gutter", "put", "f", "-"},
        {"SetPageWidth", "PageWidth", "put", "f", "-"},
        {"SetPageHeight", "PageHeight", "put", "f", "-"},
        {"SetPageOrientation", "Orientation", "put", "l", "-"},
        {"SetFirstPageTray", "FirstPageTray", "put", "l", "-"},
        {"SetOtherPagesTray", "OtherPagesTray", "put", "l", "-"},
        {"SetVerticalAlignment", "VerticalAlignment", "put", "l", "-"},
        {"SetMirrorMargins", "MirrorMargins", "put", "l", "-"},
        {"SetHeaderDistance", "HeaderDistance", "put", "f", "-"},
        {"SetFooterDistance", "FooterDistance", "put", "f", "-"},
        {"SetSectionStart", "SectionStart", "put", "l", "-"},
        {"SetOddAndEvenPagesHeaderFooter", "OddAndEvenPagesHeaderFooter", "put", "l", "-"},
        {"SetDifferentFirstPageHeaderFooter", "DifferentFirstPageHeaderFooter", "put", "l", "-"},
        {"SetSuppressEndnotes", "SuppressEndnotes", "put", "l", "-"},
        {"GetLineNumbering", "LineNumbering", "get", "", "o"},
        {"GetTextColumns", "TextColumns", "get", "", "o"},
        {"SetTwoPagesOnOne", "TwoPagesOnOne", "put", "b", "-"},
        {"SetDispId131", "#131", "put", "l", "-"},
        {"SetActive", "Active", "put", "l", "-"},
        {"SetCount", "SetCount", "method", "l", "-"},
        {"GetFont", "Font", "get", "", "o"},
        {"GetParagraphFormat", "ParagraphFormat", "get", "", "o"},
        {"GetColumns", "Columns", "get", "", "o"},
        {"GetRange", "Range", "get", "", "o"},
        {"GetInformation", "Information", "get", "l", "V"},
        {"SetTextOrientation", "Orientation", "put", "l", "-"},
        {"GetInlineShapes", "InlineShapes", "get", "", "o"},
        {"Move", "Move", "method", "RR", "l"},
        {"MoveStart", "MoveStart", "method", "RR", "l"},
        {"Paste", "Paste", "method", "", "-"},
        {"InsertBreak", "InsertBreak", "method", "R", "-"},
        {"GoTo", "GoTo", "method", "RRRR", "o"},
        {"MoveRight", "MoveRight", "method", "RRR", "l"},
        {"TypeText", "TypeText", "method", "w", "-"},
        {"TypeParagraph", "TypeParagraph", "method", "", "-"},
        {"TypeBackspace", "TypeBackspace", "method", "", "-"},
        {"SelectColumn", "SelectColumn", "method", "", "-"},
        {"SetShapeHeight", "Height", "put", "f", "-"},
        {"SetShapeWidth", "Width", "put", "f", "-"},
        {"InlineShapesItem", "Item", "method", "l", "o"},
        {"AddOLEObject", "AddOLEObject", "method", "RRRRRRRR", "o"},
    };
    ExpectTable(WordMembers(), word);
    const std::vector<MEMBER_ROW> taro = {
        {"GetItem", "Item", "get", "V", "V"},
        {"SetItem", "Item", "put", "VV", "-"},
        {"CancelMode", "CancelMode", "method", "", "V"},
        {"CancelSelectFrame", "CancelSelectFrame", "method", "", "V"},
        {"CancelSelectRange", "CancelSelectRange", "method", "", "V"},
        {"CharacterAttribute", "CharacterAttribute", "method", "VVVVVVVVVVVVVVVVVVVVVVVVVVV", "V"},
        {"CharacterSize", "CharacterSize", "method", "VVVV", "V"},
        {"Columns", "Columns", "method", "V", "V"},
        {"CursorDown", "CursorDown", "method", "V", "V"},
        {"CursorLeft", "CursorLeft", "method", "V", "V"},
        {"CursorRight", "CursorRight", "method", "V", "V"},
        {"DocumentStyleDoubleLeaf", "DocumentStyleDoubleLeaf", "method", "VVVVV", "V"},
        {"DocumentStyleFont", "DocumentStyleFont", "method", "VVVVVVVVV", "V"},
        {"DocumentStyleLayout", "DocumentStyleLayout", "method", "VVVVVVV", "V"},
        {"DocumentStyleMargin", "DocumentStyleMargin", "method", "VVVVV", "V"},
        {"DocumentStylePage", "DocumentStylePage", "method", "VVVVVVVVVVVVVVVVVV", "V"},
        {"DocumentStylePageDecoration", "DocumentStylePageDecoration", "method", "VVVVVVVVVVVVVVV", "V"},
        {"DocumentStylePaper", "DocumentStylePaper", "method", "V", "V"},
        {"DocumentStyleRoman", "DocumentStyleRoman", "method", "VVVVVVVVVVVVVVVVV", "V"},
        {"FormatCenter", "FormatCenter", "method", "V", "V"},
        {"FormatLeft", "FormatLeft", "method", "", "V"},
        {"FormatRight", "FormatRight", "method", "V", "V"},
        {"GetColumn", "GetColumn", "method", "", "V"},
        {"GetLineType", "GetLineType", "method", "", "V"},
        {"GetOptionEnvironment", "GetOptionEnvironment", "method", "", "V"},
        {"GetPage", "GetPage", "method", "", "V"},
        {"GetRow", "GetRow", "method", "", "V"},
        {"Indent", "Indent", "method", "VVVVVV", "V"},
        {"InputBold", "InputBold", "method", "V", "V"},
        {"InputCharacterSize", "InputCharacterSize", "method", "VVV", "V"},
        {"InputDecoration", "InputDecoration", "method", "VVVVVVV", "V"},
        {"InputFont", "InputFont", "method", "VV", "V"},
        {"InputItalic", "InputItalic", "method", "V", "V"},
        {"InputSizePoint", "InputSizePoint", "method", "V", "V"},
        {"Insert", "Insert", "method", "V", "V"},
        {"InsertOLEObject", "InsertOLEObject", "method", "VVVVVVVVVV", "V"},
        {"InsertPage", "InsertPage", "method", "V", "V"},
        {"InsertPicture", "InsertPicture", "method", "VVVVVVVV", "V"},
        {"InsertReturn", "InsertReturn", "method", "VV", "V"},
        {"Jump", "Jump", "method", "VVV", "V"},
        {"Keisen", "Keisen", "method", "VVV", "V"},
        {"KeisenEnd", "KeisenEnd", "method", "", "V"},
        {"KeisenMode", "KeisenMode", "method", "VVV", "V"},
        {"KeisenStart", "KeisenStart", "method", "", "V"},
        {"NewDocument", "NewDocument", "method", "", "V"},
        {"OptionEnvironment", "OptionEnvironment", "method", "V", "V"},
        {"PasteOLEObject", "PasteOLEObject", "method", "VVVVVVVVVV", "V"},
        {"RightCell", "RightCell", "method", "V", "V"},
        {"Ruby", "Ruby", "method", "VVVVVVVVVV", "V"},
        {"SaveDocument", "SaveDocument", "method", "V", "V"},
        {"SelectFrameID", "SelectFrameID", "method", "V", "V"},
        {"SelectRangeStart", "SelectRangeStart", "method", "V", "V"},
        {"SetDocumentStyle", "SetDocumentStyle", "method", "", "V"},
        {"WarningMode", "WarningMode", "method", "V", "V"},
        {"ZoomFrame", "ZoomFrame", "method", "VVV", "V"},
        {"ZoomFrameMode", "ZoomFrameMode", "method", "V", "V"},
        {"GetTaroLibrary", "TaroLibrary", "get", "", "o"},
        {"SetVisible", "Visible", "put", "b", "-"},
        {"SetWindowState", "WindowState", "put", "l", "-"},
        {"Quit", "Quit", "method", "V", "-"},
    };
    ExpectTable(TaroMembers(), taro);
}

class WrapperCalls : public ::testing::Test {
protected:
    WrapperCalls()
    {
        m_server->NameObjectsByMember();
        for (const char* member :
             {"Documents", "Add", "Tables", "PageSetup", "ActiveWindow", "Range", "ActivePane", "Selection", "Borders",
              "Shading", "Rows", "Cell", "Item", "LineNumbering", "TextColumns", "Font", "ParagraphFormat", "Columns",
              "InlineShapes", "GoTo", "AddOLEObject", "TaroLibrary"})
            m_server->ReturnsObject(member);
        m_server->Returns("Count", VARIANT::Long(4));
        m_server->Returns("Move", VARIANT::Long(2));
        m_server->Returns("MoveStart", VARIANT::Long(-2));
        m_server->Returns("MoveRight", VARIANT::Long(2));
        m_server->Returns("Information", VARIANT::Long(320));
    }
    // The one line the call made, and whether it looked its name up.
    std::string OneCall(const std::function<void(CWordDispatch&)>& call, bool* lookedUp)
    {
        CWordDispatch object(m_server->NewObject("X"));
        m_server->ClearTranscript();
        const size_t lookups = m_server->LookedUp().size();
        call(object);
        *lookedUp = m_server->LookedUp().size() != lookups;
        const std::vector<std::string> lines = m_server->Transcript();
        return lines.size() == 1 ? lines[0] : "calls: " + std::to_string(lines.size());
    }

    std::shared_ptr<CRecordingServer> m_server = std::make_shared<CRecordingServer>();
};

TEST_F(WrapperCalls, EveryWordMemberMakesOneCallWithItsTypedArguments)
{
    VARIANT one = VARIANT::Long(1);
    VARIANT two = VARIANT::Long(2);
    VARIANT missing = VARIANT::Missing();
    VARIANT path = VARIANT::String(u"a.doc");
    struct Case {
        std::function<void(CWordDispatch&)> call;
        std::string line;
    };
    const std::vector<Case> cases = {
        {[](CWordDispatch& d) { EXPECT_NE(d.GetDocuments(), nullptr); }, "X.Documents get()"},
        {[](CWordDispatch& d) { d.SetVisible(TRUE); }, "X.Visible put(true)"},
        {[](CWordDispatch& d) { d.SetWindowState(1); }, "X.WindowState put(1)"},
        {[&](CWordDispatch& d) { d.Quit(&missing, &missing, &missing); }, "X.Quit call(&missing, &missing, &missing)"},
        {[&](CWordDispatch& d) { EXPECT_NE(d.AddDocument(&missing, &missing), nullptr); },
         "X.Add call(&missing, &missing)"},
        {[](CWordDispatch& d) { d.GetTables(); }, "X.Tables get()"},
        {[](CWordDispatch& d) { d.GetPageSetup(); }, "X.PageSetup get()"},
        {[](CWordDispatch& d) { d.GetActiveWindow(); }, "X.ActiveWindow get()"},
        {[&](CWordDispatch& d) {
             d.SaveAs({&path, &missing, &missing, &missing, &missing, &missing, &missing, &missing, &missing, &missing,
                       &missing});
         },
         "X.SaveAs call(&\"a.doc\", &missing, &missing, &missing, &missing, &missing, &missing, &missing, &missing, "
         "&missing, &missing)"},
        {[&](CWordDispatch& d) { EXPECT_NE(d.Range(&missing, &missing), nullptr); }, "X.Range call(&missing, &missing)"},
        {[](CWordDispatch& d) { d.GetActivePane(); }, "X.ActivePane get()"},
        {[](CWordDispatch& d) { d.GetSelection(); }, "X.Selection get()"},
        {[](CWordDispatch& d) { d.Select(); }, "X.Select call()"},
        // A face name travels as code page 932 and arrives as the same characters.
        {[](CWordDispatch& d) { d.PhoneticGuide(u"かな", 2, 0, 5, "\x82\x6c\x82\x72 \x96\xbe\x92\xa9"); },
         "X.PhoneticGuide call(\"かな\", 2, 0, 5, \"ＭＳ 明朝\")"},
        {[](CWordDispatch& d) { d.SetAlignment(3); }, "X.Alignment put(3)"},
        {[](CWordDispatch& d) { d.SetRightIndent(1.5f); }, "X.RightIndent put(1.5f)"},
        {[](CWordDispatch& d) { d.SetLeftIndent(2.5f); }, "X.LeftIndent put(2.5f)"},
        {[](CWordDispatch& d) { d.SetLineSpacing(0.5f); }, "X.LineSpacing put(0.5f)"},
        {[](CWordDispatch& d) { d.SetLineSpacingRule(3); }, "X.LineSpacingRule put(3)"},
        {[](CWordDispatch& d) { d.SetBaseLineAlignment(1); }, "X.BaseLineAlignment put(1)"},
        {[](CWordDispatch& d) { d.SetBold(1); }, "X.Bold put(1)"},
        {[](CWordDispatch& d) { d.SetItalic(0); }, "X.Italic put(0)"},
        {[](CWordDispatch& d) { d.SetStrikeThrough(1); }, "X.StrikeThrough put(1)"},
        {[](CWordDispatch& d) { d.SetColorIndex(6); }, "X.ColorIndex put(6)"},
        {[](CWordDispatch& d) { d.SetSubscript(1); }, "X.Subscript put(1)"},
        {[](CWordDispatch& d) { d.SetSuperscript(0); }, "X.Superscript put(0)"},
        {[](CWordDispatch& d) { d.SetUnderline(11); }, "X.Underline put(11)"},
        {[](CWordDispatch& d) { d.SetSize(10.5f); }, "X.Size put(10.5f)"},
        {[](CWordDispatch& d) { d.SetName("Times New Roman"); }, "X.Name put(\"Times New Roman\")"},
        {[](CWordDispatch& d) { d.SetScaling(50); }, "X.Scaling put(50)"},
        {[](CWordDispatch& d) { d.GetBorders(); }, "X.Borders get()"},
        {[](CWordDispatch& d) { d.GetShading(); }, "X.Shading get()"},
        {[](CWordDispatch& d) { d.GetRows(); }, "X.Rows get()"},
        {[](CWordDispatch& d) { EXPECT_NE(d.Cell(1, 2), nullptr); }, "X.Cell call(1, 2)"},
        {[](CWordDispatch& d) { d.AutoFitBehavior(1); }, "X.AutoFitBehavior call(1)"},
        {[](CWordDispatch& d) { d.SetDispId113(0.0f); }, "X.#113 put(0f)"},
        {[](CWordDispatch& d) { d.SetDispId114(0.0f); }, "X.#114 put(0f)"},
        {[](CWordDispatch& d) { d.SetDispId115(0.0f); }, "X.#115 put(0f)"},
        {[](CWordDispatch& d) { d.SetDispId116(0.0f); }, "X.#116 put(0f)"},
        {[](CWordDispatch& d) { d.SetRowHeight(12.0f); }, "X.Height put(12f)"},
        {[&](CWordDispatch& d) { EXPECT_NE(d.AddTable(d.m_lpDispatch, 3, 2), nullptr); }, "X.Add call(#X, 3, 2)"},
        {[](CWordDispatch& d) { EXPECT_EQ(d.GetCount(), 4); }, "X.Count get()"},
        {[](CWordDispatch& d) { d.RowsItem(2); }, "X.Item call(2)"},
        {[](CWordDispatch& d) { d.SetDispId13(0.0f); }, "X.#13 put(0f)"},
        {[](CWordDispatch& d) { d.SetDispId14(0.0f); }, "X.#14 put(0f)"},
        {[](CWordDispatch& d) { d.SetDispId20(0.0f); }, "X.#20 put(0f)"},
        {[](CWordDispatch& d) { d.SetDispId21(0.0f); }, "X.#21 put(0f)"},
        {[](CWordDispatch& d) { d.SetDispId17(36.0f); }, "X.#17 put(36f)"},
        {[](CWordDispatch& d) { d.SetDispId105(72.0f); }, "X.#105 put(72f)"},
        {[](CWordDispatch& d) { d.SetDispId106(3); }, "X.#106 put(3)"},
        {[](CWordDispatch& d) { d.BordersItem(1); }, "X.Item call(1)"},
        {[](CWordDispatch& d) { d.SetLineStyle(1); }, "X.LineStyle put(1)"},
        {[](CWordDispatch& d) { d.SetBackgroundPatternColorIndex(8); }, "X.BackgroundPatternColorIndex put(8)"},
        {[](CWordDispatch& d) { d.SetTexture(-12); }, "X.Texture put(-12)"},
        {[](CWordDispatch& d) { d.SetTopMargin(72.0f); }, "X.TopMargin put(72f)"},
        {[](CWordDispatch& d) { d.SetBottomMargin(36.0f); }, "X.BottomMargin put(36f)"},
        {[](CWordDispatch& d) { d.SetLeftMargin(18.0f); }, "X.LeftMargin put(18f)"},
        {[](CWordDispatch& d) { d.SetRightMargin(9.0f); }, "X.RightMargin put(9f)"},
        {[](CWordDispatch& d) { d.SetGutter(0.0f); }, "X.Gutter put(0f)"},
        {[](CWordDispatch& d) { d.SetPageWidth(595.0f); }, "X.PageWidth put(595f)"},
        {[](CWordDispatch& d) { d.SetPageHeight(842.0f); }, "X.PageHeight put(842f)"},
        {[](CWordDispatch& d) { d.SetPageOrientation(0); }, "X.Orientation put(0)"},
        {[](CWordDispatch& d) { d.SetFirstPageTray(0); }, "X.FirstPageTray put(0)"},
        {[](CWordDispatch& d) { d.SetOtherPagesTray(0); }, "X.OtherPagesTray put(0)"},
        {[](CWordDispatch& d) { d.SetVerticalAlignment(0); }, "X.VerticalAlignment put(0)"},
        {[](CWordDispatch& d) { d.SetMirrorMargins(0); }, "X.MirrorMargins put(0)"},
        {[](CWordDispatch& d) { d.SetHeaderDistance(0.0f); }, "X.HeaderDistance put(0f)"},
        {[](CWordDispatch& d) { d.SetFooterDistance(0.0f); }, "X.FooterDistance put(0f)"},
        {[](CWordDispatch& d) { d.SetSectionStart(2); }, "X.SectionStart put(2)"},
        {[](CWordDispatch& d) { d.SetOddAndEvenPagesHeaderFooter(0); }, "X.OddAndEvenPagesHeaderFooter put(0)"},
        {[](CWordDispatch& d) { d.SetDifferentFirstPageHeaderFooter(0); }, "X.DifferentFirstPageHeaderFooter put(0)"},
        {[](CWordDispatch& d) { d.SetSuppressEndnotes(0); }, "X.SuppressEndnotes put(0)"},
        {[](CWordDispatch& d) { d.GetLineNumbering(); }, "X.LineNumbering get()"},
        {[](CWordDispatch& d) { d.GetTextColumns(); }, "X.TextColumns get()"},
        {[](CWordDispatch& d) { d.SetTwoPagesOnOne(FALSE); }, "X.TwoPagesOnOne put(false)"},
        {[](CWordDispatch& d) { d.SetDispId131(0); }, "X.#131 put(0)"},
        {[](CWordDispatch& d) { d.SetActive(0); }, "X.Active put(0)"},
        {[](CWordDispatch& d) { d.SetCount(2); }, "X.SetCount call(2)"},
        {[](CWordDispatch& d) { d.GetFont(); }, "X.Font get()"},
        {[](CWordDispatch& d) { d.GetParagraphFormat(); }, "X.ParagraphFormat get()"},
        {[](CWordDispatch& d) { d.GetColumns(); }, "X.Columns get()"},
        {[](CWordDispatch& d) { d.GetRange(); }, "X.Range get()"},
        {[](CWordDispatch& d) { EXPECT_EQ(d.GetInformation(5).lVal, 320); }, "X.Information get(5)"},
        {[](CWordDispatch& d) { d.SetTextOrientation(1); }, "X.Orientation put(1)"},
        {[](CWordDispatch& d) { d.GetInlineShapes(); }, "X.InlineShapes get()"},
        {[&](CWordDispatch& d) { EXPECT_EQ(d.Move(&one, &two), 2); }, "X.Move call(&1, &2)"},
        {[&](CWordDispatch& d) {
             VARIANT back = VARIANT::Long(-2);
             EXPECT_EQ(d.MoveStart(&one, &back), -2);
         },
         "X.MoveStart call(&1, &-2)"},
        {[](CWordDispatch& d) { d.Paste(); }, "X.Paste call()"},
        {[](CWordDispatch& d) {
             VARIANT pageBreak = VARIANT::Long(7);
             d.InsertBreak(&pageBreak);
         },
         "X.InsertBreak call(&7)"},
        {[&](CWordDispatch& d) { EXPECT_NE(d.GoTo(&one, &two, &missing, &one), nullptr); },
         "X.GoTo call(&1, &2, &missing, &1)"},
        {[&](CWordDispatch& d) {
             VARIANT no = VARIANT::Long(0);
             EXPECT_EQ(d.MoveRight(&one, &two, &no), 2);
         },
         "X.MoveRight call(&1, &2, &0)"},
        // A character outside code page 932 arrives intact.
        {[](CWordDispatch& d) { d.TypeText(u"問\u00e9\U0001F600"); }, "X.TypeText call(\"問é😀\")"},
        {[](CWordDispatch& d) { d.TypeParagraph(); }, "X.TypeParagraph call()"},
        {[](CWordDispatch& d) { d.TypeBackspace(); }, "X.TypeBackspace call()"},
        {[](CWordDispatch& d) { d.SelectColumn(); }, "X.SelectColumn call()"},
        {[](CWordDispatch& d) { d.SetShapeHeight(20.0f); }, "X.Height put(20f)"},
        {[](CWordDispatch& d) { d.SetShapeWidth(30.0f); }, "X.Width put(30f)"},
        {[](CWordDispatch& d) { EXPECT_NE(d.InlineShapesItem(4), nullptr); }, "X.Item call(4)"},
        {[&](CWordDispatch& d) {
             EXPECT_NE(d.AddOLEObject({&path, &missing, &missing, &missing, &missing, &missing, &missing, &missing}),
                       nullptr);
         },
         "X.AddOLEObject call(&\"a.doc\", &missing, &missing, &missing, &missing, &missing, &missing, &missing)"},
    };
    ASSERT_EQ(cases.size(), WordMembers().size());
    for (size_t i = 0; i < cases.size(); ++i) {
        bool lookedUp = false;
        EXPECT_EQ(OneCall(cases[i].call, &lookedUp), cases[i].line) << WordMembers()[i].member;
        // A fixed-id member is one automation call, with no name look-up.
        EXPECT_EQ(lookedUp, WordMembers()[i].name != nullptr) << WordMembers()[i].member;
    }
    EXPECT_EQ(m_server->LiveObjects(), 0);
}

TEST_F(WrapperCalls, IchitaroMembersSendVariantsByValueAndWarningModeABool)
{
    CTaroDispatch taro(m_server->NewObject("T"));
    taro.WarningMode(true);
    taro.WarningMode(false);
    taro.Ruby({VARIANT::Long(1), VARIANT::String(u"かな"), VARIANT::Long(1), VARIANT::Missing(), VARIANT::Missing(),
               VARIANT::Missing(), VARIANT::Missing(), VARIANT::Missing(), VARIANT::Missing(), VARIANT::Long(1)});
    taro.SetVisible(FALSE);
    taro.SetWindowState(1);
    taro.Quit(VARIANT::Long(3));
    EXPECT_NE(taro.GetTaroLibrary(), nullptr);
    taro.FormatLeft();
    EXPECT_EQ(m_server->Transcript(),
              (std::vector<std::string>{"T.WarningMode call(true)", "T.WarningMode call(false)",
                                        "T.Ruby call(1, \"かな\", 1, missing, missing, missing, missing, missing, "
                                        "missing, 1)",
                                        "T.Visible put(false)", "T.WindowState put(1)", "T.Quit call(3)",
                                        "T.TaroLibrary get()", "T.FormatLeft call()"}));
    // A member given another number of arguments than its row sends nothing.
    m_server->ClearTranscript();
    EXPECT_THROW(taro.Ruby({VARIANT::Long(1)}), COleException);
    EXPECT_THROW(taro.Keisen({}), COleException);
    EXPECT_TRUE(m_server->Transcript().empty());
}

TEST_F(WrapperCalls, FailuresLeaveTheMemberAsTheirOwnException)
{
    CWordDispatch word(m_server->NewObject("X"));
    // An unknown name is invoked with id -1, which the server refuses with a bare status.
    m_server->DoesNotKnow("Bold");
    try {
        word.SetBold(1);
        ADD_FAILURE() << "no exception";
    } catch (const COleException& error) {
        EXPECT_EQ(error.m_sc, DISP_E_MEMBERNOTFOUND);
    }
    // A failure the server describes keeps its description.
    m_server->Fails("Italic", u"書式を設定できません。");
    try {
        word.SetItalic(1);
        ADD_FAILURE() << "no exception";
    } catch (const COleDispatchException& error) {
        EXPECT_EQ(error.m_strDescription, u"書式を設定できません。");
    }
    m_server->Fails("Size", u"", 0, E_FAIL);
    EXPECT_THROW(word.SetSize(12.0f), COleException);
    // A result of the wrong type: a long member given text.
    m_server->Returns("Count", VARIANT::String(u"x"));
    EXPECT_THROW(word.GetCount(), COleException);
    // A driver that holds no object (a get that returned null) raises what callers catch.
    auto server = std::make_shared<CRecordingServer>();
    server->Returns("Font", VARIANT::Object(nullptr));
    CWordDispatch selection(server->NewObject());
    CWordDispatch font(selection.GetFont());
    EXPECT_FALSE(font.IsAttached());
    try {
        font.SetBold(1);
        ADD_FAILURE() << "no exception";
    } catch (const COleException& error) {
        EXPECT_EQ(error.m_sc, E_POINTER);
    }
    CTaroDispatch none;
    EXPECT_THROW(none.NewDocument(), COleException);
}

}  // namespace

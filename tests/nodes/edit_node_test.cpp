#include "node_fixture.h"

#include "base/default_fonts.h"
#include "nodes/edit_box.h"
#include "nodes/node_archive.h"

#include <cstring>

using namespace nodetest;

namespace {

template <typename T>
int32_t IntAt(const T& record, size_t offset)
{
    int32_t value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(&record) + offset, sizeof value);
    return value;
}

// An element object with the records of fo:inline, as the print-file reader builds them.
class InlineElement : public CQNXMLNode,
                      public CFontProperties,
                      public CColorRelatedProperties,
                      public CBorderPaddingBackgroundProperties,
                      public CInlineMarginProperties,
                      public CAreaAlignmentProperties,
                      public CCharacterProperties,
                      public CKasenRenbanProperties {
public:
    explicit InlineElement(int code) : CQNXMLNode(code) {}
};

}  // namespace

TEST(EditPropertiesTest, ResetRecordAndByteLayout)
{
    CEditProperties record;
    EXPECT_EQ(record.m_dirty, 1);
    EXPECT_EQ(record.m_caretStop, 1);
    EXPECT_EQ(record.m_page, 1);
    EXPECT_EQ(record.m_hidden, 0);
    EXPECT_EQ(record.m_lf.lfHeight, -371);
    EXPECT_STREQ(record.m_lf.lfFaceName, kMsPMinchoFace);

    record.m_ptText = POINT{5, 6};
    record.m_rcHit = Rect(1, 2, 3, 4);
    record.m_extra[1] = 9;
    record.m_width = 77;
    record.m_dirty = 0;
    record.Reset();
    EXPECT_EQ(record.m_width, 0);
    EXPECT_EQ(record.m_dirty, 1);
    EXPECT_EQ(record.m_ptText.y, 6);
    EXPECT_EQ(record.m_rcHit.right, 3);
    EXPECT_EQ(record.m_extra[1], 9);

    record.m_hidden = 0x11;
    record.m_ascent = 0x22;
    record.m_rcLayout.bottom = 0x33;
    TEXTMETRICA metrics{};
    metrics.tmHeight = 0x44;
    record.m_tm = metrics;
    record.m_boxIndex = 0x55;
    const EditPropertiesImage image = EditPropertiesToImage(record);
    EXPECT_EQ(IntAt(image, 4), 0x11);
    EXPECT_EQ(IntAt(image, 28), 0x22);
    EXPECT_EQ(IntAt(image, 48), 0x33);
    EXPECT_EQ(IntAt(image, 84), -371);
    EXPECT_EQ(IntAt(image, 144), 0x44);
    EXPECT_EQ(IntAt(image, 264), 0x55);
}

TEST(EditPropertiesTest, FreshLineRecord)
{
    EDIT_LINE line;
    EXPECT_EQ(line.m_first, -1);
    EXPECT_EQ(line.m_last, -1);
    EXPECT_EQ(line.m_count, 0);
    EXPECT_EQ(line.m_dirty, 1);
    EXPECT_EQ(line.m_page, 1);
    line.m_first = 0x101;
    line.m_count = 0x102;
    line.m_belowAxis = 0x103;
    line.m_slack = 0x104;
    line.m_maxFontSize = 0x105;
    const EditLineImage image = EditLineToImage(line);
    EXPECT_EQ(IntAt(image, 272), 0x101);
    EXPECT_EQ(IntAt(image, 276), -1);
    EXPECT_EQ(IntAt(image, 280), 0x102);
    EXPECT_EQ(IntAt(image, 292), 0x103);
    EXPECT_EQ(IntAt(image, 308), 0x104);
    EXPECT_EQ(IntAt(image, 324), 0x105);

    CEditBox box;
    EXPECT_EQ(box.GetLine(3).m_first, -1);
    box.SetLine(2, line);
    EXPECT_EQ(box.GetLineCount(), 0);
    box.SetLineAtGrow(2, line);
    ASSERT_EQ(box.GetLineCount(), 3);
    EXPECT_EQ(box.GetLine(0).m_first, -1);
    EXPECT_EQ(box.GetLine(2).m_first, 0x101);
}

TEST(EditNodeTest, KindsOfTheBaseClasses)
{
    EXPECT_EQ(CEditNode().GetKind(), 0);
    EXPECT_EQ(CEditChar().GetKind(), 0x01001001);
    EXPECT_EQ(CEditCR().GetKind(), 0x11001002);
    EXPECT_TRUE(CEditCR().HasKindFlags(EditKind::kCharacter));
    EXPECT_TRUE(CEditCR().HasKindFlags(EditKind::kLineBreak));
    EXPECT_EQ(EditKind::kMath, 0x22001031u);
    EXPECT_EQ(EditKind::kOUnderover, 0x22001037u);
    EXPECT_EQ(EditKind::kSigmaUnderover, 0x22801041u);
    CEditNode node;
    EXPECT_EQ(node.m_runNumber, 1);
    EXPECT_EQ(node.m_dirty, 1);
}

TEST(EditNodeTest, HiddenAncestorHidesAndStopsTheCaret)
{
    CEditContainer root(EditKind::Code(EditKind::kSentence));
    auto* inner = new CEditContainer(EditKind::Code(EditKind::kRuby));
    root.AppendChild(inner);
    CEditChar* leaf = AddChar(inner, u'a');
    EXPECT_TRUE(leaf->IsVisible());
    EXPECT_TRUE(leaf->IsCaretStop());
    root.m_hidden = 2;
    EXPECT_FALSE(leaf->IsVisible());
    EXPECT_FALSE(leaf->IsCaretStop());
    root.m_hidden = 0;
    leaf->m_caretStop = 0;
    EXPECT_FALSE(leaf->IsCaretStop());
    EXPECT_EQ(leaf->GetRoot(), &root);

    root.SetCaretStopRecursive(0);
    EXPECT_EQ(inner->m_caretStop, 0);
    root.SetDirtyRecursive(0);
    EXPECT_EQ(leaf->m_dirty, 0);
    leaf->SetText(u'b');
    EXPECT_EQ(leaf->m_dirty, 1);
}

TEST(EditNodeTest, PartModifiedReachesOnlyAPlainParagraph)
{
    CEditContainer part(EditKind::Code(EditKind::kSentence));
    auto* box = new CEditContainer(EditKind::Code(EditKind::kGai));
    part.AppendChild(box);
    CEditChar* leaf = AddChar(box, u'a');
    leaf->MarkPartModified(1);
    EXPECT_EQ(part.m_modified, 1);
    EXPECT_EQ(box->m_modified, 0);

    CEditContainer alone(EditKind::Code(EditKind::kGai));
    CEditChar* other = AddChar(&alone, u'b');
    other->MarkPartModified(1);
    EXPECT_EQ(alone.m_modified, 0);
}

TEST(EditNodeTest, SameFormatAndSameRunStyle)
{
    struct Case {
        const char* what;
        void (*change)(CEditNode&);
        bool sameFormat;
        bool sameRunStyle;
    };
    const Case cases[] = {
        {"nothing", [](CEditNode&) {}, true, true},
        {"numbering type", [](CEditNode& n) { n.EditNumbering().m_renbanType = 2; }, false, true},
        {"background", [](CEditNode& n) { n.EditBorderRecord()->m_backgroundColor = 0xFF; }, false, true},
        {"hatch", [](CEditNode& n) { n.EditBorderRecord()->m_backgroundPattern = 1; }, false, true},
        {"frame width", [](CEditNode& n) { n.EditBorderRecord()->m_borderWidth = 3; }, false, true},
        {"height", [](CEditNode& n) { n.m_lf.lfHeight = -200; }, false, false},
        {"italic", [](CEditNode& n) { n.m_lf.lfItalic = 1; }, false, false},
        {"face", [](CEditNode& n) { n.m_lf.lfFaceName[0] = 'X'; }, false, false},
        {"colour", [](CEditNode& n) { n.m_color = 5; }, false, false},
        {"script", [](CEditNode& n) { n.m_scriptPosition = 1; }, false, false},
        {"width mode", [](CEditNode& n) { n.EditFontRecord()->m_fontWidth = 2; }, false, false},
        {"underline", [](CEditNode& n) { n.EditCharacterRecord()->m_underlineStyle = 7; }, false, false},
        {"strike width", [](CEditNode& n) { n.EditCharacterRecord()->m_lineThroughWidth = 3; }, false, false},
        {"escapement", [](CEditNode& n) { n.m_lf.lfEscapement = 2700; }, true, true},
        {"label size", [](CEditNode& n) { n.EditNumbering().m_renbanSize = 1; }, true, true},
    };
    for (const Case& c : cases) {
        CEditChar a(u'a');
        CEditChar b(u'b');
        c.change(b);
        EXPECT_EQ(a.SameFormat(&b), c.sameFormat) << c.what;
        EXPECT_EQ(a.SameRunStyle(&b), c.sameRunStyle) << c.what;
    }
}

TEST(EditNodeTest, LogFontAndFontRecordConvert)
{
    CEditChar node(u'a');
    node.m_lf.lfHeight = -423;
    node.m_lf.lfWeight = 700;
    node.m_lf.lfItalic = 1;
    node.m_lf.lfUnderline = 1;
    node.m_lf.lfStrikeOut = 1;
    node.LogFontToFontProperties();
    EXPECT_EQ(node.FontRecord().m_fontSize, 423);
    EXPECT_EQ(node.FontRecord().m_fontWeight, 700);
    EXPECT_EQ(node.FontRecord().m_fontItalic, 1);
    EXPECT_STREQ(node.FontRecord().m_fontFace, kMsPMinchoFace);
    EXPECT_EQ(node.CharacterRecord().m_underlineStyle, 1);
    EXPECT_EQ(node.CharacterRecord().m_underlineWidth, 1);
    EXPECT_EQ(node.CharacterRecord().m_lineThroughStyle, 1);

    node.EditFontRecord()->m_fontSize = 282;
    node.EditFontRecord()->m_fontWeight = 400;
    node.EditFontRecord()->m_fontItalic = 0;
    node.FontPropertiesToLogFont();
    EXPECT_EQ(node.m_lf.lfHeight, -282);
    EXPECT_EQ(node.m_lf.lfWeight, 400);
    EXPECT_EQ(node.m_lf.lfItalic, 0);
}

TEST(EditNodeTest, StyleComesFromBlockAndInlineElements)
{
    InlineElement inlineElement(0xC32);
    inlineElement.m_fontSize = 500;
    inlineElement.m_color = 0x0000FF;
    inlineElement.m_underlineStyle = 7;
    inlineElement.m_scriptPosition = 2;
    inlineElement.m_renbanType = 5;
    CEditChar fromInline(u'a');
    fromInline.m_dirty = 0;
    fromInline.CopyStyleFromElement(&inlineElement);
    EXPECT_EQ(fromInline.m_lf.lfHeight, -500);
    EXPECT_EQ(fromInline.m_color, 0x0000FFu);
    EXPECT_EQ(fromInline.CharacterRecord().m_underlineStyle, 7);
    EXPECT_EQ(fromInline.m_scriptPosition, 2);
    EXPECT_EQ(fromInline.Numbering().m_renbanType, 5);
    EXPECT_EQ(fromInline.m_dirty, 1);

    // A block carries no script position or numbering to the node.
    inlineElement.m_typeCode = 0xC22;
    CEditChar fromBlock(u'a');
    fromBlock.CopyStyleFromElement(&inlineElement);
    EXPECT_EQ(fromBlock.m_color, 0x0000FFu);
    EXPECT_EQ(fromBlock.m_scriptPosition, 0);
    EXPECT_EQ(fromBlock.Numbering().m_renbanType, 0);

    // Any other element changes nothing but the dirty flag.
    inlineElement.m_typeCode = 0x101;
    CEditChar untouched(u'a');
    untouched.m_dirty = 0;
    untouched.CopyStyleFromElement(&inlineElement);
    EXPECT_EQ(untouched.m_color, 0u);
    EXPECT_EQ(untouched.m_dirty, 1);

    InlineElement output(0xC32);
    CEditChar source(u'a');
    source.m_lf.lfHeight = -600;
    source.m_scriptPosition = 1;
    source.EditNumbering().m_renbanString = u"甲";
    source.CopyStyleToElement(&output);
    EXPECT_EQ(output.m_fontSize, 600);
    EXPECT_EQ(output.m_scriptPosition, 1);
    EXPECT_EQ(output.m_renbanString, u"甲");
}

TEST(EditNodeTest, LineBreakRecordGoesToAndFromABlock)
{
    class BlockElement : public CQNXMLNode, public CBlockLineRelatedProperties {
    public:
        BlockElement() : CQNXMLNode(0xC22) {}
    };
    BlockElement block;
    block.m_textAlign = 3;
    block.m_lineSpacing = 140;
    CEditCR cr;
    cr.CopyStyleFromElement(&block);
    EXPECT_EQ(cr.m_textAlign, 3);
    EXPECT_EQ(cr.m_lineSpacing, 140);
    cr.m_textAlign = 4;
    cr.CopyStyleToElement(&block);
    EXPECT_EQ(block.m_textAlign, 4);
}

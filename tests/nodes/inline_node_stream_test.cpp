#include "node_fixture.h"

#include "base/gdi_cache.h"
#include "nodes/edit_table.h"
#include "nodes/in_text_answer.h"
#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "nodes/labelled_underline.h"
#include "nodes/node_archive.h"
#include "nodes/ruby.h"
#include "platform/memory_file.h"

#include <cstring>

using namespace nodetest;

namespace {

const CRuntimeClassRegistry& Classes(NODE_PROGRAM program)
{
    static const CRuntimeClassRegistry problem = [] {
        CRuntimeClassRegistry r;
        RegisterNodeClasses(r, NODE_PROGRAM::ProblemEditor);
        return r;
    }();
    static const CRuntimeClassRegistry formula = [] {
        CRuntimeClassRegistry r;
        RegisterNodeClasses(r, NODE_PROGRAM::FormulaEditor);
        return r;
    }();
    return program == NODE_PROGRAM::ProblemEditor ? problem : formula;
}

std::vector<BYTE> OwnBytes(CObject& node)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    node.Serialize(ar);
    ar.Close();
    return file.Detach();
}

std::vector<int32_t> Ints(const std::vector<BYTE>& bytes, size_t count)
{
    std::vector<int32_t> values(count);
    std::memcpy(values.data(), bytes.data(), count * 4);
    return values;
}

std::unique_ptr<CEditNode> RoundTrip(CEditNode* node, NODE_PROGRAM program = NODE_PROGRAM::ProblemEditor)
{
    CEditNode* nodes[] = {node};
    auto copies = NodeListFromBytes(NodeListToBytes(nodes), &Classes(program));
    EXPECT_EQ(copies.size(), 1u);
    return copies.empty() ? nullptr : std::move(copies[0]);
}

}  // namespace

TEST(InlineNodeStreams, OwnFieldsStandBeforeTheBaseForm)
{
    CEditKunten marks;
    marks.SetLimits(2, 60);
    EXPECT_EQ(Ints(OwnBytes(marks), 2), (std::vector<int32_t>{2, 60}));

    CEditOkurigana kana;
    kana.m_pushToEnd = 1;
    EXPECT_EQ(Ints(OwnBytes(kana), 1), (std::vector<int32_t>{1}));

    CEditKanCR lineBreak;
    lineBreak.m_lineSpacing = 71;
    lineBreak.m_textAlign = 2;
    EXPECT_EQ(Ints(OwnBytes(lineBreak), 5), (std::vector<int32_t>{16, 0, 71, 0, 2}));

    CEditKan cell;
    cell.m_hyphenMode = 1;
    const std::vector<BYTE> cellBytes = OwnBytes(cell);
    EXPECT_EQ(Ints(cellBytes, 1), (std::vector<int32_t>{1}));
    // Then the anchor in the character's form: its content state first.
    CEditChar space(u'\u3000');
    const std::vector<BYTE> anchorBytes = OwnBytes(space);
    EXPECT_EQ(std::vector<BYTE>(cellBytes.begin() + 4, cellBytes.begin() + 8),
              std::vector<BYTE>(anchorBytes.begin(), anchorBytes.begin() + 4));

    // A table carries the node part, not the container's margins and layout boxes.
    CEditTable table;
    table.Create(1, 2);
    const std::vector<BYTE> tableBytes = OwnBytes(table);
    EXPECT_EQ(Ints(tableBytes, 2), (std::vector<int32_t>{1, 2}));
    CEditNode plain(EditKind::Code(EditKind::kTable));
    EXPECT_EQ(Ints(std::vector<BYTE>(tableBytes.begin() + 8, tableBytes.end()), 1), Ints(OwnBytes(plain), 1));
}

TEST(InlineNodeStreams, CellsComeBackInTheirFormAndLayTheSameOut)
{
    CreateGdiResources();
    SwitchGuard switches;
    CEditKan cell;
    cell.BuildFromText(u"漢", 0, nullptr);
    cell.SetReturnMarkText(u"一レ", nullptr);
    cell.SetMode(1, nullptr, nullptr);
    cell.SetMode(0, nullptr, nullptr);
    cell.LockSubBoxes(1);
    auto copy = RoundTrip(&cell);
    auto* back = dynamic_cast<CEditKan*>(copy.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_hyphenMode, 0);
    ASSERT_EQ(back->GetChildCount(), 7);
    EXPECT_EQ(back->GetPunctuationBox()->m_spacing, 60);
    EXPECT_EQ(back->GetReturnMarkBox()->m_maxChars, 2);
    EXPECT_EQ(back->GetRightKanaBox()->m_pushToEnd, 1);
    CStringW marks;
    EXPECT_EQ(back->GetReturnMarkText(marks), 1);
    EXPECT_EQ(marks, CStringW(u"一レ"));
    EXPECT_EQ(back->GetHyphenAnchor().GetText(), cell.GetHyphenAnchor().GetText());

    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    for (CEditKan* each : {&cell, back}) {
        LAYOUT_CONTEXT measure = MeasureContext(10000);
        each->Measure(&dc, &map, &measure);
        LAYOUT_CONTEXT layout = LayoutContext(0, 0);
        layout.rowAscent = each->m_ascent;
        each->Layout(&layout, 0);
    }
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(SameRect(back->GetEditChild(i)->m_rcLayout, cell.GetEditChild(i)->m_rcLayout)) << i;
}

TEST(InlineNodeStreams, EveryInlineClassComesBackWithItsChildren)
{
    CEditTable table;
    table.Create(2, 2);
    auto tableCopy = RoundTrip(&table);
    auto* tableBack = dynamic_cast<CEditTable*>(tableCopy.get());
    ASSERT_NE(tableBack, nullptr);
    EXPECT_EQ(tableBack->GetRows(), 2);
    EXPECT_TRUE(tableBack->HasGridShape());
    EXPECT_NE(dynamic_cast<CEditCell*>(tableBack->GetEditChild(3)), nullptr);

    CEditRuby ruby;
    ruby.AppendChild(new CEditRubyBase());
    ruby.AppendChild(new CEditRubyText());
    AddCR(ruby.GetEditChild(1), 1);
    auto rubyCopy = RoundTrip(&ruby, NODE_PROGRAM::FormulaEditor);
    ASSERT_NE(dynamic_cast<CEditRuby*>(rubyCopy.get()), nullptr);
    EXPECT_NE(dynamic_cast<CEditRubyText*>(rubyCopy->GetEditChild(1)), nullptr);

    CEditKasen kasen;
    AddChar(&kasen, u'a');
    auto kasenCopy = RoundTrip(&kasen);
    ASSERT_NE(dynamic_cast<CEditKasen*>(kasenCopy.get()), nullptr);
    EXPECT_EQ(static_cast<CEditKasen*>(kasenCopy.get())->m_labelNumber, 1);
    EXPECT_TRUE(static_cast<CEditKasen*>(kasenCopy.get())->GetLabel().GetText().IsEmpty());

    CEditCyukai answer;
    answer.AddLineBreak();
    EXPECT_NE(dynamic_cast<CEditCyukai*>(RoundTrip(&answer).get()), nullptr);

    // The reading-mark editor's root belongs to the problem editor's classes only.
    CEditEditKan root;
    EXPECT_NE(RoundTrip(&root).get(), nullptr);
    CEditNode* nodes[] = {&root};
    EXPECT_THROW(NodeListFromBytes(NodeListToBytes(nodes), &Classes(NODE_PROGRAM::FormulaEditor)), CArchiveException);
}

TEST(InlineNodeStreams, DamagedStreamsAreRefused)
{
    CEditKan cell;
    cell.BuildEmpty(0);
    CEditNode* nodes[] = {&cell};
    const std::vector<BYTE> bytes = NodeListToBytes(nodes);
    for (size_t length = 0; length < bytes.size(); length += 5) {
        EXPECT_THROW(NodeListFromBytes(std::span<const BYTE>(bytes.data(), length), &Classes(NODE_PROGRAM::ProblemEditor)),
                     CArchiveException)
            << length;
    }
}

TEST(InlineNodeStreams, AlteredStreamsLoadSafelyOrAreRefusedAndWhatLoadsIsDrawnSafely)
{
    CreateGdiResources();
    SwitchGuard switches;
    CEditKan cell;
    cell.m_hyphenMode = 1;
    cell.BuildFromText(u"漢", 1, nullptr);
    CEditTable table;
    table.Create(1, 2);
    CEditRuby ruby;
    ruby.AppendChild(new CEditRubyBase());
    ruby.AppendChild(new CEditRubyText());
    CEditCyukai answer;
    answer.AddLineBreak();
    CEditNode* nodes[] = {&cell, &table, &ruby, &answer};
    const std::vector<BYTE> bytes = NodeListToBytes(nodes);

    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    int loaded = 0;
    for (size_t at = 0; at < bytes.size(); ++at) {
        std::vector<BYTE> altered = bytes;
        altered[at] ^= 0xFF;
        std::vector<std::unique_ptr<CEditNode>> copies;
        try {
            copies = NodeListFromBytes(altered, &Classes(NODE_PROGRAM::ProblemEditor));
        } catch (const CArchiveException&) {
            continue;
        }
        ++loaded;
        for (auto& node : copies) {
            LAYOUT_CONTEXT measure = MeasureContext(10000);
            node->Measure(&dc, &map, &measure);
            LAYOUT_CONTEXT layout = LayoutContext(0, 0);
            node->Layout(&layout, 0);
            LAYOUT_CONTEXT draw;
            node->Draw(&dc, &map, &draw);
            int after = 0;
            node->HitTest(10, 10, &after);
            dc.ClearCalls();
        }
    }
    EXPECT_GT(loaded, 0);
}

// The reading-mark editor and its window, driven offscreen with synthetic events, and its undo
// history: positions, the bound, and the nodes that dropped groups delete.
#include "dialogs/kunten_edit_wnd.h"
#include "tests/dialogs/dialog_fixture.h"

#include "base/gdi_cache.h"
#include "nodes/edit_char.h"
#include "nodes/edit_kind.h"
#include "nodes/kunten_box.h"
#include "nodes/node_archive.h"
#include "nodes/undo.h"
#include "platform/clipboard.h"
#include "platform/gdi_recording.h"

#include <QApplication>
#include <QTest>

#include <string>
#include <vector>

namespace {

std::string Utf8(std::u16string_view text)
{
    return QString::fromStdU16String(std::u16string(text)).toStdString();
}

// The characters of a box, a line break as "|".
std::string BoxText(const CEditNode* box)
{
    std::string out;
    for (int i = 0; box != nullptr && i < box->GetChildCount(); ++i) {
        const CEditNode* child = box->GetEditChild(i);
        out += IsLineBreak(child) ? std::string("|") : Utf8(child->GetText().View());
    }
    return out;
}

std::unique_ptr<CEditKan> EditableCell(char16_t base)
{
    auto cell = std::make_unique<CEditKan>();
    cell->BuildFromText(CStringW(std::u16string_view(&base, 1)), 0, nullptr);
    cell->LockSubBoxes(0);
    return cell;
}

class KuntenEditorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateGdiResources();
        RegisterNodeClasses(ProgramClassRegistry(), NODE_PROGRAM::ProblemEditor);
    }

    KuntenEditorTest()
    {
        window.resize(246, 280);
        editor().m_displayMap.SetVertical(1);
        editor().SetScaleFromSize(370);
        editor().SwapCell(EditableCell(u'学'));
        window.show();
        window.setFocus();
        QApplication::processEvents();
    }

    CKuntenEditor& editor() { return window.Editor(); }
    CEditKan* cell() { return editor().GetCurrentCell(); }
    void CaretInto(CEditNode* box, int index = 0)
    {
        editor().m_caret.ClearSelection();
        editor().m_caret.m_caretNode = box->GetEditChild(index);
        editor().m_caret.m_caretAfter = 0;
        editor().Relayout();
    }

    CKuntenEditWnd window;
};

}  // namespace

TEST_F(KuntenEditorTest, ScaleShowsTheBaseCharacterAtOneSizeAndIgnoresZero)
{
    EXPECT_EQ(editor().SetScaleFromSize(370), 100);
    EXPECT_EQ(editor().m_displayMap.m_zoom, 501);
    EXPECT_EQ(editor().m_defaultExtent1, 299);
    EXPECT_EQ(editor().SetScaleFromSize(-742), 200);
    EXPECT_EQ(editor().m_displayMap.m_zoom, 250);
    // A size of 0 keeps the former zoom: it would divide by it.
    EXPECT_EQ(editor().SetScaleFromSize(0), 200);
    EXPECT_EQ(editor().m_displayMap.m_zoom, 250);
}

TEST_F(KuntenEditorTest, EscIsIgnoredAndEnterBreaksTheLineInTheBox)
{
    CEditNode* kana = cell()->GetRightKanaBox();
    CaretInto(kana);
    QTest::keyClicks(&window, "a");
    ASSERT_EQ(BoxText(kana), "a|");
    // Esc stays in the window: the dialog around it would take it as a cancel.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window, &esc);
    EXPECT_TRUE(esc.isAccepted());
    EXPECT_EQ(BoxText(kana), "a|");
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(BoxText(kana), "a||");
    EXPECT_EQ(kana->GetEditChild(1)->GetKind(), EditKind::Code(EditKind::kKanCR));
    EXPECT_EQ(editor().History().GetCount(), 2);
    // Ctrl+Y right after an edit changes nothing; Ctrl+Z takes the line break back.
    QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(BoxText(kana), "a||");
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(BoxText(kana), "a|");
}

TEST_F(KuntenEditorTest, ArrowsFollowTheWritingDirectionAndStayInTheCell)
{
    CEditNode* kana = cell()->GetRightKanaBox();
    CaretInto(kana);
    QTest::keyClicks(&window, "ab");
    CaretInto(kana, 1);
    ASSERT_EQ(editor().m_caret.m_caretNode, kana->GetEditChild(1));
    // Vertical writing: Up goes to the previous character, Down to the next.
    QTest::keyClick(&window, Qt::Key_Up);
    EXPECT_EQ(editor().m_caret.m_caretNode, kana->GetEditChild(0));
    QTest::keyClick(&window, Qt::Key_Down);
    EXPECT_EQ(editor().m_caret.m_caretNode, kana->GetEditChild(1));
    // Shift+Tab moves as Up and extends the selection; Tab as Down without extending.
    QTest::keyClick(&window, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(editor().m_caret.m_caretNode, kana->GetEditChild(0));
    EXPECT_NE(editor().m_caret.m_anchorNode, nullptr);

    // From the cell's first and last positions the caret goes nowhere.
    CEditNode* first = editor().m_root.GetFirstInner();
    editor().m_caret.ClearSelection();
    editor().m_caret.m_caretNode = first;
    QTest::keyClick(&window, Qt::Key_Up);
    EXPECT_EQ(editor().m_caret.m_caretNode, first);
    CEditNode* box = cell()->GetTrailBracketBox();
    CEditNode* last = box->GetEditChild(box->GetChildCount() - 1);
    editor().m_caret.m_caretNode = last;
    QTest::keyClick(&window, Qt::Key_Down);
    EXPECT_TRUE(editor().m_caret.m_caretNode == last || cell()->IsAncestorOf(editor().m_caret.m_caretNode));
    EXPECT_NE(editor().m_caret.m_caretNode->GetParent(), &editor().m_root);
}

TEST_F(KuntenEditorTest, PasteFromThePaperGivesKanbunCharactersAndAtTheRootNewCells)
{
    // What a copy on the paper puts on the clipboard: two characters and a line break.
    CEditChar a(u'一');
    CEditChar b(u'二');
    CEditCR lineBreak;
    CEditNode* nodes[] = {&a, &b, &lineBreak};
    ASSERT_TRUE(CopyNodesToClipboard(nodes));

    CEditNode* kana = cell()->GetLeftKanaBox();
    CaretInto(kana);
    QTest::keyClick(&window, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(BoxText(kana), Utf8(u"一二|"));
    EXPECT_EQ(kana->GetEditChild(0)->GetKind(), EditKind::Code(EditKind::kKanChar));
    EXPECT_EQ(kana->GetEditChild(1)->GetKind(), EditKind::Code(EditKind::kKanChar));
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(BoxText(kana), "|");

    // Between the cell and the final line break: one new cell per character.
    editor().m_caret.ClearSelection();
    editor().m_caret.m_caretNode = editor().m_root.GetEditChild(1);
    QTest::keyClick(&window, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(editor().m_root.GetChildCount(), 4);
    for (int i : {1, 2}) {
        auto* pasted = dynamic_cast<CEditKan*>(editor().m_root.GetEditChild(i));
        ASSERT_NE(pasted, nullptr);
        EXPECT_EQ(BoxText(pasted->GetBaseBox()), Utf8(i == 1 ? u"一|" : u"二|"));
    }
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor().m_root.GetChildCount(), 2);
}

TEST_F(KuntenEditorTest, DamagedClipboardListsAndTextsAreCheckedAsInTheView)
{
    const UINT format = RegisterClipboardFormat(kNodeListClipboardFormatName);
    const BYTE junk[] = {0xFF, 0xFF, 0x01, 0x00, 0x7F};
    ASSERT_TRUE(SetClipboardData(format, junk));
    CEditNode* kana = cell()->GetRightKanaBox();
    CaretInto(kana);
    editor().OnEditPaste();
    EXPECT_EQ(BoxText(kana), "|");
    EXPECT_EQ(editor().History().GetCount(), 0);

    // Text up to its first zero; control characters are left out.
    ASSERT_TRUE(SetClipboardUnicodeText(std::u16string(u"ア\tイ") + u'\0' + u"ウ"));
    editor().OnEditPaste();
    EXPECT_EQ(BoxText(kana), Utf8(u"アイ|"));
}

TEST_F(KuntenEditorTest, CopyWithoutASelectionLeavesTheClipboard)
{
    ASSERT_TRUE(SetClipboardUnicodeText(u"keep"));
    CaretInto(cell()->GetRightKanaBox());
    editor().OnEditCopy();
    std::u16string text;
    ASSERT_TRUE(GetClipboardUnicodeText(text));
    EXPECT_EQ(text, u"keep");
}

TEST_F(KuntenEditorTest, HistoryPositionsAndTheUndoneGroupsLostToANewEdit)
{
    CEditNode* kana = cell()->GetRightKanaBox();
    CaretInto(kana);
    EXPECT_EQ(editor().History().GetPosition(), -1);
    QTest::keyClicks(&window, "abc");
    EXPECT_EQ(editor().History().GetCount(), 3);
    EXPECT_EQ(editor().History().GetPosition(), 0);
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor().History().GetPosition(), 2);
    EXPECT_EQ(BoxText(kana), "a|");
    QTest::keyClicks(&window, "x");
    EXPECT_EQ(editor().History().GetCount(), 2);
    EXPECT_EQ(editor().History().GetPosition(), 0);
    QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(BoxText(kana), "ax|");
    editor().ClearUndo();
    EXPECT_EQ(editor().History().GetPosition(), -1);
    EXPECT_EQ(editor().GetUndoRecord(), nullptr);
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(BoxText(kana), "ax|");
}

TEST_F(KuntenEditorTest, DroppedGroupsDeleteOnlyTheNodesOutsideTheTree)
{
    // Type, delete what was typed, undo the deletion twice over: groups that hold the same nodes
    // inserted and removed. Every drop must leave the tree's nodes alone (ASan tells otherwise).
    CEditNode* kana = cell()->GetRightKanaBox();
    CaretInto(kana);
    QTest::keyClicks(&window, "ab");
    QTest::keyClick(&window, Qt::Key_Backspace);
    QTest::keyClick(&window, Qt::Key_Backspace);
    ASSERT_EQ(BoxText(kana), "|");
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(BoxText(kana), "ab|");
    // A new edit drops the two undone deletions; their characters are in the tree again.
    QTest::keyClicks(&window, "c");
    EXPECT_EQ(BoxText(kana), "abc|");
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(BoxText(kana), "a|");
    // Clearing drops the undone insertion of "b" (out of the tree: deleted) and the rest.
    editor().ClearUndo();
    EXPECT_EQ(BoxText(kana), "a|");
    QTest::keyClicks(&window, "d");
    EXPECT_EQ(BoxText(kana), "ad|");
}

TEST_F(KuntenEditorTest, AFullHistoryDropsItsOldestGroup)
{
    CEditNode* kana = cell()->GetRightKanaBox();
    CaretInto(kana);
    for (int i = 0; i < CUndoHistory::kMaxKeptGroups + 2; ++i) {
        auto group = std::make_unique<CUndoGroup>();
        group->RecordInt(UndoCode::kBold, nullptr, i, i + 1);
        editor().PushUndo(std::move(group));
    }
    EXPECT_EQ(editor().History().GetCount(), CUndoHistory::kMaxKeptGroups + 1);
    EXPECT_EQ(editor().History().GetAt(editor().History().GetCount() - 1)->GetAt(0)->m_oldValue, 1);
    // Property actions are never replayed here: Undo steps over them.
    editor().Undo();
    EXPECT_EQ(editor().History().GetPosition(), 1);
}

TEST_F(KuntenEditorTest, PaletteCharactersTakeThePaletteFaceAtTheTypingSize)
{
    CEditNode* kana = cell()->GetRightKanaBox();
    CaretInto(kana);
    QTest::keyClicks(&window, "a");
    const LOGFONTA before = editor().m_caret.m_logFont;
    LOGFONTA palette{};
    ASSERT_TRUE(FindInstalledFont("@Orvellan Gaiji", &palette));
    palette.lfHeight = -999;
    palette.lfItalic = 1;
    window.OnPaletteChar(u'\u30EC', &palette);
    ASSERT_EQ(BoxText(kana), Utf8(u"aレ|"));
    const CEditNode* inserted = kana->GetEditChild(1);
    EXPECT_STREQ(inserted->m_lf.lfFaceName, "@Orvellan Gaiji");
    EXPECT_EQ(inserted->m_lf.lfHeight, before.lfHeight);
    EXPECT_EQ(inserted->m_lf.lfItalic, 0);
    EXPECT_STREQ(editor().m_caret.m_logFont.lfFaceName, before.lfFaceName);
}

TEST_F(KuntenEditorTest, PaintingFramesTheSatelliteBoxesAndSetsTheRepaintFlag)
{
    cell()->SetLeadBracketText(u"「", nullptr);
    cell()->SetTrailBracketText(u"」", nullptr);
    cell()->SetReturnMarkText(u"レ", nullptr);
    editor().CheckModified(true);
    const QImage picture = window.Render();
    // Set QN_TEST_OUTPUT_DIR to keep the picture.
    if (const QByteArray folder = qgetenv("QN_TEST_OUTPUT_DIR"); !folder.isEmpty())
        picture.save(QString::fromLocal8Bit(folder) + "/kunten_edit_window.png");
    EXPECT_TRUE(editor().CheckModified(false));
    EXPECT_TRUE(editor().CheckModified(true));
    EXPECT_FALSE(editor().CheckModified(false));
    // The sunken border: grey at the top left, white at the bottom right.
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(picture.pixelColor(picture.width() - 1, picture.height() - 1), QColor(Qt::white));
    // Something besides white inside: the base character and the frames.
    int dark = 0;
    for (int y = 4; y < picture.height() - 4; ++y)
        for (int x = 4; x < picture.width() - 4; ++x)
            dark += picture.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
    EXPECT_GT(dark, 100);
    // Nothing of the cell touches the border: two white pixels inside it on every side.
    int touching = 0;
    for (int i = 2; i < 4; ++i) {
        for (int y = 2; y < picture.height() - 2; ++y)
            touching += (picture.pixelColor(i, y) != QColor(Qt::white)) +
                        (picture.pixelColor(picture.width() - 1 - i, y) != QColor(Qt::white));
        for (int x = 2; x < picture.width() - 2; ++x)
            touching += (picture.pixelColor(x, i) != QColor(Qt::white)) +
                        (picture.pixelColor(x, picture.height() - 1 - i) != QColor(Qt::white));
    }
    EXPECT_EQ(touching, 0);
}

namespace {

// The editor on a recording context of a fixed client size.
class RecordingHost : public IKuntenEditorHost {
public:
    SIZE GetClientSize() const override { return client; }
    CDC* GetMeasuringDC() override { return &dc; }

    SIZE client{246, 280};
    CRecordingDC dc;
};

RECT ToClient(RECT r, POINT windowOrigin)
{
    return RECT{std::min(r.left, r.right) - windowOrigin.x, std::min(r.top, r.bottom) - windowOrigin.y,
                std::max(r.left, r.right) - windowOrigin.x, std::max(r.top, r.bottom) - windowOrigin.y};
}

}  // namespace

TEST(KuntenEditorDrawing, TheCellAndItsFramesLieInsideTheBorderInBothDirections)
{
    CreateGdiResources();
    for (const int vertical : {0, 1}) {
        SCOPED_TRACE(vertical != 0 ? "vertical" : "horizontal");
        // The window has the size of the dialog's placeholder, which fits the cell upright; the
        // horizontal form is the same cell turned, so it gets the turned window.
        RecordingHost host;
        if (vertical == 0)
            host.client = SIZE{host.client.cy, host.client.cx};
        CKuntenEditor editor(host);
        editor.m_displayMap.SetVertical(vertical);
        editor.SetScaleFromSize(370);
        auto cell = EditableCell(u'学');
        cell->SetLeadBracketText(u"「", nullptr);
        cell->SetTrailBracketText(u"」", nullptr);
        cell->SetPunctuationText(u"○", nullptr);
        cell->SetReturnMarkText(u"レ", nullptr);
        CEditKan* shown = cell.get();
        editor.SwapCell(std::move(cell));
        CRecordingDC dc;
        editor.Paint(&dc);

        // Inside the two-pixel sunken border, with room to spare on every side.
        const RECT inside{2, 2, host.client.cx - 2, host.client.cy - 2};
        auto expectInside = [&](const RECT& r, const char* what) {
            EXPECT_GE(r.left, inside.left) << what;
            EXPECT_GE(r.top, inside.top) << what;
            EXPECT_LE(r.right, inside.right) << what;
            EXPECT_LE(r.bottom, inside.bottom) << what;
        };
        RECT box = shown->m_rcLayout;
        editor.m_displayMap.DocToDeviceRect(&box);
        const RECT cellBox = ToClient(box, editor.m_windowOrigin);
        expectInside(cellBox, "the cell");
        EXPECT_GT(cellBox.right - cellBox.left, 40);
        const std::vector<GdiCall> frames = dc.CallsOf(GdiOp::FrameRect);
        EXPECT_EQ(frames.size(), 6u);
        for (const GdiCall& frame : frames)
            expectInside(ToClient(frame.rect, editor.m_windowOrigin), "a box frame");
        // A click on the middle of the cell's base character finds it again.
        RECT base = shown->GetBaseBox()->m_rcLayout;
        editor.m_displayMap.DocToDeviceRect(&base);
        const RECT baseBox = ToClient(base, editor.m_windowOrigin);
        POINT middle{(baseBox.left + baseBox.right) / 2, (baseBox.top + baseBox.bottom) / 2};
        editor.ClientToDoc(&middle);
        int after = 0;
        CEditNode* hit = editor.m_root.HitTest(middle.x, middle.y, &after);
        ASSERT_NE(hit, nullptr);
        EXPECT_TRUE(shown->GetBaseBox() == hit || shown->GetBaseBox()->IsAncestorOf(hit));
    }
}

// The reading-mark dialog over a passage of three cells, its steps driven without an event loop:
// what each command writes back into the paper, the marks it shows and sets, and a quit.
#include "dialogs/kunten_session.h"
#include "tests/dialogs/dialog_fixture.h"

#include "base/gdi_cache.h"
#include "nodes/edit_char.h"
#include "nodes/edit_container.h"
#include "nodes/edit_kind.h"
#include "nodes/kunten_box.h"
#include "nodes/node_archive.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"
#include "ui/char_palette.h"

#include <QApplication>
#include <QTimer>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Utf8(std::u16string_view text)
{
    return QString::fromStdU16String(std::u16string(text)).toStdString();
}

std::string MarkOf(CEditKan* cell)
{
    CStringW text;
    cell->GetReturnMarkText(text);
    return Utf8(text.View());
}

class KuntenDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateGdiResources();
        RegisterNodeClasses(ProgramClassRegistry(), NODE_PROGRAM::ProblemEditor);
    }

    KuntenDialogTest() : paragraph(EditKind::Code(EditKind::kSentence))
    {
        for (char16_t base : {u'学', u'而', u'時'}) {
            auto* cell = new CEditKan();
            cell->BuildFromText(CStringW(std::u16string_view(&base, 1)), 0, nullptr);
            cell->LockSubBoxes(1);
            paragraph.AppendChild(cell);
        }
        paragraph.AppendChild(new CEditCR());
        map.SetVertical(1);
    }
    ~KuntenDialogTest() override { groups.clear(); }

    CEditKan* Cell(int index) { return dynamic_cast<CEditKan*>(paragraph.GetEditChild(index)); }

    std::unique_ptr<CKuntenSession> Open(int index)
    {
        auto session = std::make_unique<CKuntenSession>(
            Cell(index), map, 370, 0, [this](std::unique_ptr<CUndoGroup> group) { groups.push_back(std::move(group)); },
            [this](CEditKan* current, bool) { steps.push_back(current); });
        EXPECT_TRUE(session->Begin(nullptr));
        return session;
    }

    // Chooses the item of the return-mark list, as the user does.
    static void Choose(CKuntenDlg& dialog, int listId, int index)
    {
        dialog.List(listId)->setCurrentIndex(index);
        dialog.OnSelectMark(listId);
    }

    CEditContainer paragraph;
    CDisplayMap map;
    std::vector<std::unique_ptr<CUndoGroup>> groups;  // cleared before the paragraph goes
    std::vector<CEditKan*> steps;
};

}  // namespace

TEST_F(KuntenDialogTest, CloseWritesTheEditedCellBackAsOneGroup)
{
    CEditKan* original = Cell(1);
    auto session = Open(1);
    CKuntenDlg& dialog = *session->Dialog();
    EXPECT_TRUE(dialog.isVisible());
    Choose(dialog, CKuntenDlg::kReturnMarkList, 1);  // "レ"
    EXPECT_TRUE(session->Step());
    EXPECT_TRUE(groups.empty());
    EXPECT_EQ(MarkOf(original), "");

    Click(&dialog, IDOK);
    EXPECT_EQ(dialog.m_command, KuntenCommand::kClose);
    EXPECT_FALSE(session->Step());
    ASSERT_EQ(groups.size(), 1u);
    const CUndoGroup& group = *groups[0];
    ASSERT_EQ(group.GetCount(), 2);
    EXPECT_EQ(group.GetAt(0)->m_code, UndoCode::kRemoveAt);
    EXPECT_EQ(group.GetAt(0)->m_pNode, original);
    EXPECT_EQ(group.GetAt(0)->m_index, 1);
    EXPECT_EQ(group.GetAt(1)->m_code, UndoCode::kInsertAt);
    EXPECT_EQ(group.GetAt(1)->m_index, 1);
    CEditKan* written = Cell(1);
    EXPECT_NE(written, original);
    EXPECT_EQ(group.GetAt(1)->m_pNode, written);
    EXPECT_EQ(group.GetAt(1)->m_pSecondNode, Cell(2));
    EXPECT_EQ(MarkOf(written), Utf8(u"レ"));
    EXPECT_EQ(steps.back(), written);
    // The written cell is the paper's again: no caret stops inside its boxes.
    EXPECT_FALSE(written->GetReturnMarkBox()->GetEditChild(0)->IsCaretStop());
    // Undo in the paper puts the old cell back.
    ReplayUndoGroup(*groups[0], UndoDirection::Undo);
    EXPECT_EQ(Cell(1), original);
    session->End();
    EXPECT_EQ(session->Dialog(), nullptr);
}

TEST_F(KuntenDialogTest, CancelAfterNextKeepsTheCellsAlreadyWritten)
{
    auto session = Open(0);
    CKuntenDlg& dialog = *session->Dialog();
    Choose(dialog, CKuntenDlg::kReturnMarkList, 2);  // "一"
    Click(&dialog, KuntenCommand::kNextChar);
    EXPECT_TRUE(session->Step());
    EXPECT_EQ(dialog.m_command, KuntenCommand::kNone);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(MarkOf(Cell(0)), Utf8(u"一"));
    EXPECT_EQ(session->CurrentCell(), Cell(1));
    // The editor shows the next cell, with an empty history.
    EXPECT_EQ(dialog.List(CKuntenDlg::kReturnMarkList)->currentIndex(), 0);
    EXPECT_EQ(dialog.Editor().History().GetCount(), 0);

    Choose(dialog, CKuntenDlg::kReturnMarkList, 3);  // "二"
    dialog.reject();
    EXPECT_EQ(dialog.m_command, KuntenCommand::kCancel);
    EXPECT_FALSE(session->Step());
    EXPECT_EQ(groups.size(), 1u);
    EXPECT_EQ(MarkOf(Cell(0)), Utf8(u"一"));
    EXPECT_EQ(MarkOf(Cell(1)), "");
}

TEST_F(KuntenDialogTest, PreviousOnTheFirstCellChangesNothing)
{
    CEditKan* first = Cell(0);
    auto session = Open(0);
    CKuntenDlg& dialog = *session->Dialog();
    Click(&dialog, KuntenCommand::kPrevChar);
    EXPECT_TRUE(session->Step());
    EXPECT_TRUE(groups.empty());
    EXPECT_EQ(Cell(0), first);
    EXPECT_EQ(session->CurrentCell(), first);
    EXPECT_EQ(dialog.m_command, KuntenCommand::kNone);
    EXPECT_NE(dialog.Editor().GetCurrentCell(), nullptr);
    // "次の文字↓" on the last cell changes nothing either.
    auto last = std::make_unique<CKuntenSession>(Cell(2), map, 370, 0,
                                                 [this](std::unique_ptr<CUndoGroup> g) { groups.push_back(std::move(g)); },
                                                 nullptr);
    ASSERT_TRUE(last->Begin(nullptr));
    Click(last->Dialog(), KuntenCommand::kNextChar);
    EXPECT_TRUE(last->Step());
    EXPECT_TRUE(groups.empty());
}

TEST_F(KuntenDialogTest, AMinchoMarkTakesTheBaseFaceAndAGaijiMarkKeepsItsOwn)
{
    const std::string mincho = kKuntenMinchoFace;
    const std::string gaiji = kKuntenGaijiFace;
    const std::string gothic = "@\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";  // "@ＭＳ ゴシック"
    const struct {
        std::string baseFace;
        std::string boxFace;  // the face of the box's first node
        int item;             // of the return-mark list: 1 "レ" G, 2 "一" M
        std::string expected;
    } cases[] = {
        {gothic, mincho, 2, gothic},  // the base character's face
        {gaiji, gothic, 2, gothic},   // a gaiji base: the box's own face
        {gaiji, gaiji, 2, mincho},    // both gaiji: the item's face
        {gothic, mincho, 1, gaiji},   // a gaiji item always keeps its face
    };
    for (const auto& c : cases) {
        auto session = Open(0);
        CKuntenDlg& dialog = *session->Dialog();
        CEditKan* cell = dialog.Editor().GetCurrentCell();
        CEditNode* base = cell->GetBaseBox()->GetEditChild(0);
        ASSERT_TRUE(base->SetFaceName(c.baseFace.c_str(), nullptr));
        CEditNode* box = cell->GetReturnMarkBox();
        ASSERT_TRUE(box->GetEditChild(0)->SetFaceName(c.boxFace.c_str(), nullptr));
        Choose(dialog, CKuntenDlg::kReturnMarkList, c.item);
        const CEditNode* mark = box->GetEditChild(0);
        ASSERT_FALSE(IsLineBreak(mark));
        EXPECT_EQ(std::string(mark->m_lf.lfFaceName), c.expected) << c.item;
        // The caret goes to the box.
        EXPECT_EQ(dialog.Editor().m_caret.m_caretNode, box->GetFirstInner());
        // The empty item empties the box again.
        Choose(dialog, CKuntenDlg::kReturnMarkList, 0);
        EXPECT_TRUE(IsLineBreak(box->GetEditChild(0)));
    }
}

TEST_F(KuntenDialogTest, AMarkInTheGaijiFaceSelectsTheGaijiItem)
{
    LOGFONTA gaijiFont{};
    ASSERT_TRUE(FindInstalledFont(kKuntenGaijiFace, &gaijiFont));
    Cell(0)->SetTrailBracketText(u"」", &gaijiFont);
    Cell(0)->SetLeadBracketText(u"「", nullptr);
    Cell(0)->SetPunctuationText(u"※", nullptr);
    auto session = Open(0);
    CKuntenDlg& dialog = *session->Dialog();
    EXPECT_EQ(dialog.List(CKuntenDlg::kTrailBracketList)->currentIndex(), 3);
    EXPECT_EQ(dialog.List(CKuntenDlg::kLeadBracketList)->currentIndex(), 1);
    EXPECT_EQ(dialog.List(CKuntenDlg::kPunctuationList)->currentIndex(), 0);  // no such item
    EXPECT_EQ(dialog.List(CKuntenDlg::kReturnMarkList)->count(), 16);
    EXPECT_EQ(dialog.List(CKuntenDlg::kHyphenReturnMarkList)->count(), 9);
}

TEST_F(KuntenDialogTest, TheHyphenFormSwapsTheListsAndTheCellsBoxes)
{
    auto session = Open(0);
    CKuntenDlg& dialog = *session->Dialog();
    auto shown = [&dialog](int id) { return dialog.List(id)->isVisibleTo(&dialog); };
    EXPECT_TRUE(shown(CKuntenDlg::kTrailBracketList));
    EXPECT_FALSE(shown(CKuntenDlg::kHyphenReturnMarkList));
    Click(&dialog, CKuntenDlg::kWithHyphen);
    EXPECT_EQ(dialog.m_hyphenStyle, 1);
    EXPECT_FALSE(shown(CKuntenDlg::kTrailBracketList));
    EXPECT_FALSE(shown(CKuntenDlg::kPunctuationList));
    EXPECT_FALSE(shown(CKuntenDlg::kReturnMarkList));
    EXPECT_TRUE(shown(CKuntenDlg::kHyphenReturnMarkList));
    CEditKan* cell = dialog.Editor().GetCurrentCell();
    EXPECT_EQ(cell->GetHyphenMode(), 1);
    EXPECT_EQ(cell->GetTrailBracketBox(), nullptr);
    EXPECT_EQ(cell->GetPunctuationBox(), nullptr);
    // Not undoable in the editor.
    EXPECT_EQ(dialog.Editor().History().GetCount(), 0);
}

TEST_F(KuntenDialogTest, ManualSizesGoToTheBoxesWithoutAnUndoStep)
{
    auto session = Open(0);
    CKuntenDlg& dialog = *session->Dialog();
    CEditKan* cell = dialog.Editor().GetCurrentCell();
    dialog.Editor().m_caret.m_caretNode = cell->GetRightKanaBox()->GetEditChild(0);
    int focus = -1;
    dialog.runSizeDialog = [&focus](CFontSizeDlg& sizes) {
        focus = sizes.m_focusField;
        sizes.m_baseSize = 742;
        sizes.m_leftKanaSize = 212;
        sizes.m_rightKanaSize = 194;
        return 1;
    };
    dialog.OnFontSize();
    EXPECT_EQ(focus, CFontSizeDlg::kFocusRightKana);
    EXPECT_EQ(std::abs(cell->GetBaseBox()->GetEditChild(0)->m_lf.lfHeight), 742);
    EXPECT_EQ(std::abs(cell->GetLeftKanaBox()->GetEditChild(0)->m_lf.lfHeight), 212);
    EXPECT_EQ(std::abs(cell->GetRightKanaBox()->GetEditChild(0)->m_lf.lfHeight), 194);
    EXPECT_EQ(dialog.Editor().m_displayMap.m_zoom, 250);
    EXPECT_EQ(dialog.Editor().History().GetCount(), 0);
}

TEST_F(KuntenDialogTest, ClosingThePaletteUnchecksItsButtonForTheNextRun)
{
    auto session = std::make_unique<CKuntenSession>(Cell(0), map, 370, 1, [](std::unique_ptr<CUndoGroup>) {}, nullptr);
    ASSERT_TRUE(session->Begin(nullptr));
    CKuntenDlg& dialog = *session->Dialog();
    auto* toggle = FindControl<QAbstractButton>(&dialog, CKuntenDlg::kPaletteButton);
    EXPECT_TRUE(toggle->isChecked());
    dialog.OnKuntenRelayout();
    EXPECT_TRUE(dialog.Palette()->isVisible());
    dialog.Palette()->reject();  // its own close box
    QApplication::processEvents();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(dialog.Palette()->isVisible());
    session->End();
    EXPECT_EQ(session->PaletteShown(), 0);
}

TEST_F(KuntenDialogTest, AQuitDuringTheLoopEndsTheRunAndIsPassedOn)
{
    CKuntenSession session(Cell(0), map, 370, 0, [](std::unique_ptr<CUndoGroup>) {}, nullptr);
    int passed = 0;
    session.passQuitOn = [&passed] { ++passed; };
    QTimer::singleShot(0, [&session] { session.OnQuitRequested(); });
    session.Run(nullptr);
    EXPECT_TRUE(session.QuitRequested());
    EXPECT_EQ(passed, 1);
    EXPECT_EQ(session.Dialog(), nullptr);
    EXPECT_FALSE(session.IsRunning());
}

TEST_F(KuntenDialogTest, TheLoopRunsTheStepsAfterTheDialogsEvents)
{
    CEditKan* third = Cell(2);
    bool closing = false;
    std::unique_ptr<CKuntenSession> session;
    session = std::make_unique<CKuntenSession>(
        Cell(1), map, 370, 0, [this](std::unique_ptr<CUndoGroup> group) { groups.push_back(std::move(group)); },
        [&](CEditKan* current, bool) {
            // Once the step to the next cell is taken, the user closes.
            if (current == third && !closing) {
                closing = true;
                QTimer::singleShot(0, [&session] { Click(session->Dialog(), IDOK); });
            }
        });
    QTimer::singleShot(0, [&session] { Click(session->Dialog(), KuntenCommand::kNextChar); });
    session->Run(nullptr);
    EXPECT_FALSE(session->QuitRequested());
    // The cell stepped from and the cell closed on, each written back.
    EXPECT_EQ(groups.size(), 2u);
    EXPECT_EQ(session->CurrentCell(), Cell(2));
}

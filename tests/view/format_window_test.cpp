// The formatting commands in the program's main window, on sample papers in both writing
// directions: the format bar's boxes and the pickers' kinds reach the selection through the
// frame, an in-text answer is shown and hidden, a run of underlines is numbered, and the paper
// saved and read again holds the same formats. Set QN_TEST_OUTPUT_DIR to keep screenshots.
#include "editor/main_frame.h"
#include "editor/sorel_app.h"
#include "editor/sorel_doc.h"
#include "editor/toolbars.h"
#include "editor/view_hookup.h"
#include "nodes/edit_char.h"
#include "nodes/edit_print.h"
#include "nodes/edit_switches.h"
#include "printfile/print_reader.h"
#include "tests/editor/program_fixture.h"
#include "tests/printfile/printfile_fixture.h"
#include "tests/support/case_names.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The formats the commands set, of every node, in paper order.
void FormatsInto(const CEditNode* node, std::string& out)
{
    for (int i = 0; i < node->GetChildCount(); ++i) {
        const CEditNode* child = node->GetEditChild(i);
        if (child == nullptr)
            continue;
        out += std::to_string(static_cast<uint32_t>(child->GetKind()) & 0xFFFF) + ":";
        if (child->HasKindFlags(EditKind::kCharacter) && !child->HasKindFlags(EditKind::kLineBreak)) {
            // Question-number and points labels compute their texts; characters keep theirs.
            for (char16_t c : child->GetText().View())
                out += std::to_string(c) + ",";
            out += " w" + std::to_string(child->m_lf.lfWeight) + " h" + std::to_string(child->m_lf.lfHeight) + " f" +
                   child->m_lf.lfFaceName + " u" + std::to_string(child->CharacterRecord().m_underlineStyle) + "/" +
                   std::to_string(child->CharacterRecord().m_underlineWidth) + " c" + std::to_string(child->m_color) + " b" +
                   std::to_string(child->BorderRecord().m_backgroundColor) + " p" + std::to_string(child->BorderRecord().m_backgroundPattern) +
                   " s" + std::to_string(child->CharacterRecord().m_lineThroughStyle) + " r" + std::to_string(child->BorderRecord().m_borderStyle) +
                   " n" + std::to_string(child->Numbering().m_renbanType);
        }
        if (const auto* cr = dynamic_cast<const CEditCR*>(child))
            out += " a" + std::to_string(cr->m_textAlign);
        out += "[";
        FormatsInto(child, out);
        out += "]\n";
    }
}

std::string Formats(const CEditNode* root)
{
    std::string out;
    FormatsInto(root, out);
    return out;
}

// The first run of `length` plain characters side by side in one parent.
bool FindRun(CEditNode* node, int length, CEditNode** parent, int* start)
{
    int run = 0;
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CEditNode* child = node->GetEditChild(i);
        if (child == nullptr)
            continue;
        run = child->IsKind(EditKind::kChar) && !child->GetText().IsEmpty() ? run + 1 : 0;
        if (run == length) {
            *parent = node;
            *start = i - length + 1;
            return true;
        }
        if (!child->HasKindFlags(EditKind::kCharacter) && FindRun(child, length, parent, start))
            return true;
    }
    return false;
}

class FormatWindowTest : public ProgramRun, public ::testing::WithParamInterface<const char*> {
protected:
    std::string CopyOfPaper() { return CopyOfFile(printfiletest::DataPath(GetParam())); }
};

}  // namespace

TEST_P(FormatWindowTest, TheBarAndThePickersFormatTheSelectionAndThePaperReopensTheSame)
{
    const std::string paper = CopyOfPaper();
    ASSERT_TRUE(Start({paper})) << MessagesShown();
    CSorelView* view = ShowFrame();
    ASSERT_NE(view, nullptr);
    CMainFrame& frame = *Program().Frame();
    CEditViewController& controller = view->Controller();
    CSorelDoc* doc = Program().App().GetDocument();
    auto* bar = dynamic_cast<CFormatToolBar*>(frame.Bar(BarId::kFormat));
    ASSERT_NE(bar, nullptr);
    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    CEditNode* closeUp = nullptr;  // a close-up around this node goes beside each screenshot
    auto shoot = [&](const char* what) {
        controller.OnUpdate(UpdateHint::kAll);
        if (keep.isEmpty())
            return;
        const QDir dir(QString::fromLocal8Bit(keep));
        frame.grab().save(dir.filePath(QString("%1_%2.png").arg(what, GetParam())));
        if (closeUp == nullptr)
            return;
        POINT p{closeUp->m_rcLayout.left, closeUp->m_rcLayout.top};
        controller.LogicalToDevicePoint(&p);
        const QRect area = controller.GetDisplayMap().IsVertical() ? QRect(p.x - 60, p.y - 20, 120, 360)
                                                                : QRect(p.x - 20, p.y - 40, 360, 120);
        const QImage image = view->grab(area).toImage();
        image.scaled(image.size() * 3).save(dir.filePath(QString("%1_%2_close.png").arg(what, GetParam())));
    };

    // A run of text to format at the caret's place.
    ASSERT_NE(controller.GetCaret().m_caretNode, nullptr);
    for (char16_t c : std::u16string(u"あいうえおかきくけこさしすせそたちつてとなにぬねのは"))
        controller.OnChar(c);
    CEditNode* part = nullptr;
    int start = 0;
    ASSERT_TRUE(FindRun(doc->GetRoot(), 26, &part, &start));
    auto select = [&](int from, int to) {
        controller.PlaceCaret(part->GetEditChild(start + to), part->GetEditChild(start + from));
    };
    CEditNode* first = part->GetEditChild(start);
    closeUp = first;

    // Enter in the font-name box changes nothing; a face selected in it reaches the selection.
    select(0, 4);
    const std::string untouched = Formats(doc->GetRoot());
    QComboBox* faces = bar->FontNameBox();
    faces->setFocus();
    QTest::keyClick(faces, Qt::Key_Return);
    EXPECT_EQ(Formats(doc->GetRoot()), untouched);
    const int gothic = faces->findText(QString::fromUtf16(u"ＭＳ ゴシック"));
    ASSERT_GE(gothic, 0);
    faces->setCurrentIndex(gothic);
    emit faces->activated(gothic);
    EXPECT_STREQ(first->m_lf.lfFaceName, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");  // ＭＳ ゴシック
    // A size typed into the size box and confirmed with Enter.
    QComboBox* sizes = bar->SizeBox();
    sizes->setFocus();
    sizes->lineEdit()->setText("14");
    QTest::keyClick(sizes->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(first->m_lf.lfHeight, -MulDiv(14, 2540, 72));
    // Bold, and the pickers' kinds as the frame sends them.
    view->setFocus();
    frame.OnCommand(ViewCommand::kBold);
    frame.OnCommand(ViewCommand::kUnderlineFirst + 3);  // thick
    frame.OnCommand(ViewCommand::kTextColorFirst + 5);  // red
    EXPECT_EQ(first->m_lf.lfWeight, 700);
    EXPECT_EQ(first->CharacterRecord().m_underlineStyle, 1);
    EXPECT_EQ(first->CharacterRecord().m_underlineWidth, 3);
    EXPECT_EQ(first->m_color, 0x0000FFu);
    select(4, 6);
    frame.OnCommand(ViewCommand::kUnderlineFirst + 8);   // wave
    frame.OnCommand(ViewCommand::kBackColorFirst + 11);  // yellow
    select(6, 8);
    frame.OnCommand(ViewCommand::kHatchFirst + 5);       // horizontal
    select(11, 14);
    frame.OnCommand(ViewCommand::kBorderFirst + 1);
    frame.OnCommand(ViewCommand::kStrikeFirst + 2);      // double
    frame.OnCommand(ViewCommand::kAlignCenter);
    EXPECT_EQ(part->GetEditChild(start + 4)->BorderRecord().m_backgroundColor, 0x00FFFFu);
    // The bar follows the typing format.
    bar->OnUpdateCmdUI();
    EXPECT_EQ(sizes->currentText(), "14");
    bool enabled = false, checked = false;
    frame.UpdateCommandUI(ViewCommand::kBold, &enabled, &checked);
    EXPECT_TRUE(enabled);
    EXPECT_TRUE(checked);
    controller.PlaceCaret(part->GetEditChild(start + 15));
    shoot("formatted");

    // Numbered underlines ①②③ on three runs.
    for (int run = 0; run < 3; ++run) {
        select(15 + 4 * run, 18 + 4 * run);
        frame.OnCommand(ViewCommand::kInsertUnderlineNumber);
    }
    EXPECT_EQ(part->GetEditChild(start + 15)->Numbering().m_renbanType, 1);
    EXPECT_EQ(part->GetEditChild(start + 18)->Numbering().m_renbanType, 0);
    controller.SetCaretNode(part->GetEditChild(start + 26));
    closeUp = part->GetEditChild(start + 12);
    shoot("numbered");

    // An in-text answer typed at the caret, shown and hidden.
    controller.PlaceCaret(part->GetEditChild(start + 1));
    frame.OnCommand(ViewCommand::kInTextAnswer);
    ASSERT_TRUE(controller.GetCaret().m_caretNode->GetEditParent()->IsKind(EditKind::kCyukai));
    for (char16_t c : std::u16string(u"答え"))
        controller.OnChar(c);
    closeUp = first;
    shoot("answer_shown");
    frame.OnCommand(ViewCommand::kViewInTextAnswers);
    EXPECT_EQ(InTextAnswersVisible, 0);
    shoot("answer_hidden");
    frame.OnCommand(ViewCommand::kViewInTextAnswers);

    // Saved and read again, the paper holds the same formats.
    const std::string formats = Formats(doc->GetRoot());
    ASSERT_TRUE(doc->OnFileSave());
    CEditPrint reread;
    ASSERT_TRUE(LoadXmlFile(&reread, paper));
    EXPECT_EQ(Formats(&reread), formats);
}

INSTANTIATE_TEST_SUITE_P(Papers, FormatWindowTest, ::testing::Values("horizontal_one_column.xml", "vertical_two_columns.xml"),
                         CaseNameFromFile());

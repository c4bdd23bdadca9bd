// A person at the view's window on the sample papers, in both writing directions: a formula typed
// with templates chosen from the formula toolbar's pickers, ruby on a word and a 3 × 3 table with
// its lines turned off; the paper saved and read again holds the same nodes. Set
// QN_TEST_OUTPUT_DIR to keep the screenshots.
#include "view_fixture.h"
#include "tests/support/case_names.h"

#include "editor/frame_commands.h"
#include "ui/menus.h"
#include "platform/utf8.h"
#include "math/formula_family.h"
#include "printfile/print_reader.h"
#include "printfile/print_writer.h"
#include "tests/printfile/printfile_fixture.h"
#include "view/sorel_view.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QInputMethodEvent>
#include <QTemporaryDir>
#include <QTest>

using namespace viewtest;

namespace {

void Commit(QWidget* widget, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

// The kinds and texts of a subtree, one word per node, containers with their children.
std::string Shape(const CEditNode* node)
{
    std::string out;
    for (int i = 0; i < node->GetChildCount(); ++i) {
        const CEditNode* child = node->GetEditChild(i);
        char kind[16];
        std::snprintf(kind, sizeof kind, "%x", static_cast<unsigned>(child->GetKind()));
        out += kind;
        if (!child->GetText().IsEmpty() && !child->HasKindFlags(EditKind::kLineBreak))
            out += ":" + Utf16ToUtf8(child->GetText().View());
        if (child->GetChildCount() > 0)
            out += "[" + Shape(child) + "]";
        out += " ";
    }
    return out;
}

class FormulaWindowTest : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite()
    {
        printfiletest::RegisterPaperFaces();
        RegisterFormulaFamily();
    }
};

// Opens the picker of a formula-toolbar button, clicks its item and hands the chosen id on.
unsigned ChooseFromPicker(unsigned button, int item)
{
    std::unique_ptr<CPickerMenu> menu = MakeDropDownMenu(button);
    if (!menu)
        return 0;
    CPickerPopup popup(*menu);
    popup.Open(QPoint(100, 100));
    if (!QTest::qWaitForWindowExposed(&popup))
        return 0;
    QTest::mouseClick(&popup, Qt::LeftButton, Qt::NoModifier, popup.ItemRect(item).center());
    const unsigned chosen = popup.Chosen();
    popup.close();
    return chosen;
}

}  // namespace

TEST_P(FormulaWindowTest, FormulaRubyAndTableFromTheWindowSurviveASave)
{
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath(GetParam())));
    VIEW_SETTINGS settings;
    CSorelView view(document, settings);
    document.view = &view.Controller();
    view.resize(900, 700);
    view.show();
    view.activateWindow();
    view.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    CEditViewController& controller = view.Controller();
    controller.OnInitialUpdate();
    ASSERT_NE(controller.GetCaret().m_caretNode, nullptr);
    const bool vertical = document.root->m_vertical != 0;
    CEditNode* part = controller.GetCaret().m_caretNode->GetEditParent();
    const int partIndex = part->GetEditParent()->IndexOfChild(part);

    // The formula: fraction, square root, superscript, 2 × 2 matrix and brace, each from its
    // picker (button, item and the id it sends), with a character typed into its first slot.
    struct PICK {
        unsigned button;
        int item;
        unsigned id;
        const char* typed;
    };
    const PICK picks[] = {{32835, 0, 180, "1"}, {32838, 0, 184, "2"}, {32841, 0, 194, "x"},
                          {32847, 2, 231, "a"}, {32999, 0, 431, "y"}};
    // Each template in text makes a formula around itself; formula mode off steps out of it.
    QTest::keyClicks(&view, "s");
    for (const PICK& pick : picks) {
        const unsigned chosen = ChooseFromPicker(pick.button, pick.item);
        EXPECT_EQ(chosen, pick.id);
        EXPECT_TRUE(controller.OnCommand(static_cast<int>(chosen)));
        EXPECT_EQ(controller.OnUpdateCommand(ViewCommand::kMathMode).check, 1);
        QTest::keyClicks(&view, pick.typed);
        controller.OnCommand(ViewCommand::kMathMode);
        QTest::keyClicks(&view, "+");
    }
    EXPECT_EQ(controller.OnUpdateCommand(ViewCommand::kMathMode).check, 0);

    // Ruby on a word: the word typed, selected and given its reading.
    Commit(&view, QString::fromUtf16(u"漢字"));
    CEditNode* after = controller.GetCaret().m_caretNode;
    controller.SetAnchorNode(CEditNode::FromNode(CEditNode::FromNode(after->GetPrevSibling())->GetPrevSibling()));
    ASSERT_TRUE(controller.OnCommand(ViewCommand::kFurigana));
    Commit(&view, QString::fromUtf16(u"かんじ"));
    controller.PlaceCaret(after);

    // A 3 × 3 table with its lines turned off.
    controller.m_tableInsertDialog = [](int* rows, int* columns) {
        *rows = 3;
        *columns = 3;
        return true;
    };
    controller.m_tableFormatDialog = [](int* frame, int*) {
        *frame = 0;
        return true;
    };
    ASSERT_TRUE(controller.OnCommand(ViewCommand::kInsertTable));
    for (char cell = '1'; cell <= '9'; ++cell) {
        QTest::keyClicks(&view, QString(QChar(cell)));
        if (cell != '9')
            QTest::keyClick(&view, vertical ? Qt::Key_Down : Qt::Key_Right);
    }
    ASSERT_TRUE(controller.OnCommand(ViewCommand::kTableFormat));
    controller.OnUpdate(UpdateHint::kAll);

    const std::string shape = Shape(part);
    EXPECT_NE(shape.find("22001021["), std::string::npos);  // the fraction
    EXPECT_NE(shape.find("20001008[1001001:9"), std::string::npos);  // the last cell
    EXPECT_NE(shape.find("20001003["), std::string::npos);  // the ruby pair
    EXPECT_NE(shape.find("1007["), std::string::npos);      // the table

    const QImage shot = view.grab().toImage();
    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    if (!keep.isEmpty())
        shot.save(QDir(QString::fromLocal8Bit(keep)).filePath(QString::fromLatin1(GetParam()).replace(".xml", "_formula.png")));

    QTemporaryDir folder;
    const std::string path = folder.filePath("typed.xml").toStdString();
    ASSERT_TRUE(SavePrintFile(document.root.get(), path));
    CEditPrint reread;
    ASSERT_TRUE(LoadXmlFile(&reread, path));
    ASSERT_NE(reread.GetEditChild(partIndex), nullptr);
    // Up to the question-number label, whose text only a layout fills in.
    const auto typedPart = [](const std::string& text) { return text.substr(0, text.find("4000100a")); };
    EXPECT_EQ(typedPart(Shape(reread.GetEditChild(partIndex))), typedPart(shape));
    view.hide();
}

INSTANTIATE_TEST_SUITE_P(Papers, FormulaWindowTest, ::testing::Values("horizontal_one_column.xml", "vertical_two_columns.xml"),
                         CaseNameFromFile());

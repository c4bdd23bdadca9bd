// The clipboard commands: Copy, Cut and Paste of node lists between views, the plain copies that
// other programs read, Select All, every row of the paste conversion, text and pictures from
// other programs, and hostile clipboard data.
#include "view_fixture.h"

#include "math/formula.h"
#include "math/math_char.h"
#include "math/math_templates.h"
#include "nodes/edit_table.h"
#include "nodes/floating_frame.h"
#include "nodes/in_text_answer.h"
#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "nodes/node_archive.h"
#include "nodes/page_furniture.h"
#include "nodes/picture_node.h"
#include "platform/clipboard.h"
#include "platform/image_files.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <functional>

using namespace viewtest;

namespace {

using NodeList = std::vector<std::unique_ptr<CEditNode>>;

CEditMath* NewFormula(std::u16string_view text)
{
    auto* formula = new CEditMath();
    formula->CreateDefaultSlots(0);
    int at = 0;
    for (char16_t c : text)
        formula->InsertChildAt(at++, new CEditMathChar(c));
    return formula;
}

template <typename T, typename... Args>
std::unique_ptr<CEditNode> Make(Args... args)
{
    return std::make_unique<T>(args...);
}

// A box with the kanbun flag, as the reading-mark boxes of a kanbun cell are.
CEditNode* NewKanbunBox(std::u16string_view text)
{
    auto* box = new CEditKunten();
    for (char16_t c : text)
        box->AppendChild(new CEditKanChar(c));
    box->AppendChild(new CEditKanCR());
    return box;
}

// A 2 × 1 picture as PNG bytes.
QByteArray TinyPng()
{
    QImage image(2, 1, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void PutOnClipboard(const QString& type, const QByteArray& bytes)
{
    auto* data = new QMimeData;
    data->setData(type, bytes);
    QGuiApplication::clipboard()->setMimeData(data);
}

class ClipboardTest : public ViewTest {
protected:
    ClipboardTest() { QGuiApplication::clipboard()->clear(); }
    CEditNode* Part(int i) { return document.root->GetEditChild(i); }
};

}  // namespace

TEST_F(ClipboardTest, CopyInOneViewPastesTheTreeAndItsFormatsInAnother)
{
    Build({u"abc"});
    At(0, 1)->SetBold(1, nullptr);
    Select(0, 0, 2);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kEditCopy));
    // Only the node format: other programs find nothing to paste.
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{QString::fromStdString(ClipboardFormatMimeType(
                                   RegisterClipboardFormat(kNodeListClipboardFormatName)))});
    EXPECT_FALSE(data->hasText());

    TestDocument other;
    TestHost otherHost;
    VIEW_SETTINGS otherSettings;
    CEditViewController second(other, otherHost, otherSettings);
    auto* part = new CEditSentence();
    AddChars(part, u"xy");
    AddCR(part);
    other.root->AppendChild(part);
    second.OnInitialUpdate();
    second.SetCaretNode(part->GetEditChild(1));
    ASSERT_TRUE(second.OnCommand(ViewCommand::kEditPaste));
    EXPECT_EQ(Describe(part), "c:x c:a c:b c:y |");
    EXPECT_NE(part->GetEditChild(1), At(0, 0)) << "new nodes";
    EXPECT_EQ(part->GetEditChild(2)->m_lf.lfWeight, At(0, 1)->m_lf.lfWeight);
    EXPECT_NE(part->GetEditChild(1)->m_lf.lfWeight, At(0, 1)->m_lf.lfWeight) << "the bold one stays bold, alone";
    EXPECT_EQ(second.GetCaret().m_caretNode, part->GetEditChild(3));
    EXPECT_TRUE(other.modified);

    second.OnEditUndo();
    EXPECT_EQ(Describe(part), "c:x c:y |");
    second.OnEditRedo();
    EXPECT_EQ(Describe(part), "c:x c:a c:b c:y |");
    other.groups.clear();
}

TEST_F(ClipboardTest, CutRemovesTheSelectionAsOneStep)
{
    Build({u"abcd"});
    Select(0, 1, 3);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kEditCut));
    EXPECT_EQ(Text(0), u"ad|");
    EXPECT_TRUE(ClipboardHasNodeList());
    EXPECT_EQ(document.groups.size(), 1u);
    view.OnEditUndo();
    EXPECT_EQ(Text(0), u"abcd|");
    view.OnEditRedo();
    EXPECT_EQ(Text(0), u"ad|");
    // Paste puts the cut nodes back.
    view.OnEditPaste();
    EXPECT_EQ(Text(0), u"abcd|");
}

TEST_F(ClipboardTest, PlainTextCopyGivesCrLfAndLeavesOutHiddenNodes)
{
    Build({u"abc"});
    At(0, 1)->InsertBefore(new CEditCR());  // a | b c |
    At(0, 3)->m_hidden = 1;
    Select(0, 0, 4);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kPlainTextCopy));
    std::u16string text;
    ASSERT_TRUE(GetClipboardUnicodeText(text));
    EXPECT_EQ(text, u"a\r\nb");
}

TEST_F(ClipboardTest, SelectAllTakesTheQuestionPartAroundTheCaret)
{
    Build({u"abc"});
    auto* box = new CEditGai();
    AddChars(box, u"de");
    AddCR(box);
    document.root->AppendChild(box);
    auto* cell = new CEditCell();
    AddChars(cell, u"f");
    AddCR(cell);
    At(0, 2)->InsertBefore(cell);  // a b cell c |

    const struct {
        const char* where;
        CEditNode* caret;
        CEditNode* anchor;  // null: nothing selected
        CEditNode* last;
    } cases[] = {
        {"in a question part", At(0, 1), At(0, 0), At(0, 4)},
        {"in a cell, the part around it", cell->GetEditChild(0), At(0, 0), At(0, 4)},
        {"in a text box, nothing", box->GetEditChild(0), nullptr, box->GetEditChild(0)},
    };
    for (const auto& c : cases) {
        view.PlaceCaret(c.caret);
        ASSERT_TRUE(view.OnCommand(ViewCommand::kSelectAll)) << c.where;
        EXPECT_EQ(view.GetCaret().m_anchorNode, c.anchor) << c.where;
        EXPECT_EQ(view.GetCaret().m_caretNode, c.last) << c.where;
    }
    view.SetCaretNode(nullptr);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kSelectAll).enabled);
}

TEST_F(ClipboardTest, PasteTurnsEachNodeIntoWhatThePlaceHolds)
{
    // Where the caret stands: in a plain part, in a formula, in a kanbun box, in a text box.
    using Place = std::function<CEditNode*()>;
    const Place inPart = [this] {
        Build({u"z"});
        return At(0, 0);
    };
    const Place inFormula = [this] {
        Build({u"z"});
        CEditMath* formula = NewFormula(u"q");
        At(0, 0)->InsertBefore(formula);
        return formula->GetEditChild(1);  // its slot end
    };
    const Place inKanbun = [this] {
        Build({u"z"});
        CEditNode* box = NewKanbunBox(u"");
        At(0, 0)->InsertBefore(box);
        return box->GetEditChild(0);
    };
    const Place inTextBox = [this] {
        Build({});
        auto* box = new CEditGai();
        AddChars(box, u"z");
        AddCR(box);
        document.root->AppendChild(box);
        return box->GetEditChild(0);
    };
    auto kanbunCell = [] {
        auto cell = std::make_unique<CEditKan>();
        return std::unique_ptr<CEditNode>(std::move(cell));
    };
    auto picture = [] {
        auto node = std::make_unique<CEditGraphic>();
        node->m_width = 100;
        node->m_height = 100;
        return std::unique_ptr<CEditNode>(std::move(node));
    };
    auto formulaOf = [](std::u16string_view text) { return std::unique_ptr<CEditNode>(NewFormula(text)); };

    struct Case {
        const char* row;
        Place place;
        std::function<NodeList()> nodes;
        std::string expected;  // the caret's container afterwards
    };
    const Case cases[] = {
        {"formula: a formula gives its contents without slot ends", inFormula,
         [&] { NodeList l; l.push_back(formulaOf(u"xy")); return l; }, "m:q m:x m:y |"},
        {"formula: another formula node goes in", inFormula,
         [&] { NodeList l; l.push_back(Make<CEditFrac>()); return l; }, "m:q frac |"},
        {"formula: characters become formula characters, line breaks drop", inFormula,
         [&] { NodeList l; l.push_back(Make<CEditChar>(u'a')); l.push_back(Make<CEditCR>()); l.push_back(Make<CEditKanChar>(u'b')); return l; },
         "m:q m:a m:b |"},
        {"formula: other nodes drop", inFormula,
         [&] { NodeList l; l.push_back(Make<CEditSentence>()); return l; }, "m:q |"},
        {"kanbun: kanbun characters go in, others are copied, line breaks and boxes drop", inKanbun,
         [&] { NodeList l; l.push_back(Make<CEditKanChar>(u'k')); l.push_back(Make<CEditChar>(u'a')); l.push_back(Make<CEditMathChar>(u'x'));
               l.push_back(Make<CEditCR>()); l.push_back(formulaOf(u"y")); return l; },
         "k:k k:a k:x |"},
        {"text: formula characters become characters", inPart,
         [&] { NodeList l; l.push_back(Make<CEditMathChar>(u'x')); return l; }, "c:x c:z |"},
        {"text: a formula stays a formula", inPart,
         [&] { NodeList l; l.push_back(formulaOf(u"x")); return l; }, "math[m:x |] c:z |"},
        {"text: another formula node gets a formula around it", inPart,
         [&] { NodeList l; l.push_back(Make<CEditFrac>()); return l; }, "math[frac] c:z |"},
        {"text: kanbun characters become characters", inPart,
         [&] { NodeList l; l.push_back(Make<CEditKanChar>(u'k')); return l; }, "c:k c:z |"},
        {"text: a kanbun cell goes into a question part", inPart,
         [&] { NodeList l; l.push_back(kanbunCell()); return l; }, "kan c:z |"},
        {"text: a kanbun cell drops elsewhere", inTextBox,
         [&] { NodeList l; l.push_back(kanbunCell()); return l; }, "c:z |"},
        {"text: other kanbun nodes drop", inPart,
         [&] { NodeList l; l.push_back(Make<CEditKanCR>()); l.push_back(std::unique_ptr<CEditNode>(NewKanbunBox(u"k"))); return l; },
         "c:z |"},
        {"text: a picture gets a frame on its own line", inPart,
         [&] { NodeList l; l.push_back(Make<CEditChar>(u'a')); l.push_back(picture()); l.push_back(Make<CEditChar>(u'b')); return l; },
         "c:a | float[picture c:b |] | c:z |"},
        {"text: a picture outside a question part stops the paste", inTextBox,
         [&] { NodeList l; l.push_back(Make<CEditChar>(u'a')); l.push_back(picture()); l.push_back(Make<CEditChar>(u'b')); return l; },
         "c:a c:z |"},
        {"text: anything else goes in", inPart,
         [&] { NodeList l; l.push_back(Make<CEditChar>(u'a')); l.push_back(Make<CEditCR>()); return l; }, "c:a | c:z |"},
    };
    for (const Case& c : cases) {
        document.groups.clear();
        document.undone = 0;
        document.root->DeleteAllChildren();
        CEditNode* caret = c.place();
        view.SetCaretNode(caret);
        CEditNode* container = caret->GetEditParent();
        NodeList nodes = c.nodes();
        CUndoGroup group;
        view.PasteNodes(nodes, &group);
        EXPECT_EQ(Describe(container), c.expected) << c.row;
    }
}

TEST_F(ClipboardTest, PastedPictureInAPartUndoesInTwoSteps)
{
    Build({u"ab"});
    auto* picture = new CEditGraphic();
    picture->m_width = 300;
    picture->m_height = 200;
    At(0, 1)->InsertBefore(picture);
    Select(0, 1, 2);
    view.OnEditCopy();
    PlaceCaret(0, 3);  // before the line break, behind "b"
    view.OnEditPaste();
    EXPECT_EQ(Describe(Part(0)), "c:a picture c:b | float[picture |] | |");
    EXPECT_EQ(document.groups.size(), 2u);
    view.OnEditUndo();
    EXPECT_EQ(Describe(Part(0)), "c:a picture c:b | float[|] | |");
    view.OnEditUndo();
    EXPECT_EQ(Describe(Part(0)), "c:a picture c:b |");
}

TEST_F(ClipboardTest, PasteIntoAnInTextAnswerTakesOnlyTheAnswersContent)
{
    Build({u"ab"});
    auto* answer = new CEditCyukai();
    AddChars(answer, u"x");
    answer->AddLineBreak();
    At(0, 1)->InsertBefore(answer);
    // The copied answer holds a character, a nested answer and its line break.
    auto* copied = new CEditCyukai();
    AddChars(copied, u"p");
    auto* nested = new CEditCyukai();
    AddChars(nested, u"n");
    copied->AppendChild(nested);
    copied->AddLineBreak();
    At(0, 0)->InsertBefore(copied);
    CEditNode* copiedNode = copied;
    ASSERT_TRUE(CopyNodesToClipboard(std::span<CEditNode* const>(&copiedNode, 1)));

    view.SetCaretNode(answer->GetEditChild(1));
    view.OnEditPaste();
    EXPECT_EQ(Describe(answer), "c:x c:p |");
}

TEST_F(ClipboardTest, TextFromOtherProgramsPastesCharacterByCharacter)
{
    Build({u"z"});
    const struct {
        const char* what;
        QString type;
        QByteArray bytes;
        std::u16string expected;
    } cases[] = {
        {"Unicode text", "text/plain;charset=utf-8", QByteArray("ab"), u"abz|"},
        {"text stops at the first zero", "text/plain", QByteArray("cd\0ef", 5), u"cdz|"},
        {"Shift_JIS text is read as code page 932", "text/plain;charset=Shift_JIS", QByteArray("\x82\xa0\x5c", 3), u"あ\\z|"},
        {"Windows-31J is code page 932 too", "text/plain; charset=windows-31j", QByteArray("\x87\x40", 2), u"①z|"},
        {"line breaks split the line, other control characters drop", "text/plain", QByteArray("a\r\nb\tc\x01\nd"), u"a|bc|dz|"},
    };
    for (const auto& c : cases) {
        document.root->DeleteAllChildren();
        document.groups.clear();
        document.undone = 0;
        Build({u"z"});
        PutOnClipboard(c.type, c.bytes);
        view.OnEditPaste();
        EXPECT_EQ(Text(0), c.expected) << c.what;
        EXPECT_EQ(document.groups.size(), 1u) << c.what;
    }
}

TEST_F(ClipboardTest, PictureFromOtherProgramsGetsAFrameAtItsActualSize)
{
    Build({u"ab"});
    ChangeDisplayMap([](CDisplayMap& map) { map.SetZoom(200); });
    PutOnClipboard("image/png", TinyPng());
    PlaceCaret(0, 1);
    view.OnEditPaste();
    EXPECT_EQ(Describe(Part(0)), "c:a | float[picture |] | c:b |");
    const CEditNode* picture = Part(0)->GetEditChild(2)->GetEditChild(0);
    // Two by one pixels at 96 dpi, whatever the zoom.
    EXPECT_EQ(picture->m_width, 53);
    EXPECT_EQ(picture->m_height, 26);
    EXPECT_TRUE(document.modified);

    // Into a formula nothing goes.
    document.root->DeleteAllChildren();
    Build({u"z"});
    CEditMath* formula = NewFormula(u"q");
    At(0, 0)->InsertBefore(formula);
    view.SetCaretNode(formula->GetEditChild(0));
    document.modified = false;
    view.OnEditPaste();
    EXPECT_EQ(Describe(formula), "m:q |");
    EXPECT_FALSE(document.modified);
}

TEST_F(ClipboardTest, HostileClipboardDataPastesNothing)
{
    const QString nodeType =
        QString::fromStdString(ClipboardFormatMimeType(RegisterClipboardFormat(kNodeListClipboardFormatName)));
    // A node list naming a class this program lacks, from the bytes of a real one.
    CEditChar probe(u'a');
    CEditNode* probeNode = &probe;
    std::vector<BYTE> foreign = NodeListToBytes(std::span<CEditNode* const>(&probeNode, 1));
    const std::string name = "CEditChar";
    auto at = std::search(foreign.begin(), foreign.end(), name.begin(), name.end());
    ASSERT_NE(at, foreign.end());
    *(at + 5) = 'X';  // "CEditXhar"

    const struct {
        const char* what;
        QString type;
        QByteArray bytes;
    } cases[] = {
        {"an empty node list block", nodeType, QByteArray()},
        {"a node list of garbage", nodeType, QByteArray("\xff\xff\xff\x7f garbage", 12)},
        {"a node list with a huge count", nodeType, QByteArray("\xff\xff\x00\x00\xff\xff\xff\xff", 8)},
        {"a node list of an unknown class", nodeType,
         QByteArray(reinterpret_cast<const char*>(foreign.data()), static_cast<qsizetype>(foreign.size()))},
        {"an empty text", "text/plain", QByteArray()},
        {"a picture that does not decode", "image/png", QByteArray("\x89PNG\r\n\x1a\n broken", 16)},
        {"a bitmap header claiming a huge picture", "image/bmp", QByteArray("BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\xff\xff\xff\x7f\xff\xff\xff\x7f\x01\0\x18\0", 30)},
    };
    for (const auto& c : cases) {
        document.root->DeleteAllChildren();
        document.groups.clear();
        document.undone = 0;
        Build({u"ab"});
        PlaceCaret(0, 1);
        document.modified = false;
        PutOnClipboard(c.type, c.bytes);
        view.OnEditPaste();
        EXPECT_EQ(Text(0), u"ab|") << c.what;
        EXPECT_TRUE(document.groups.empty()) << c.what;
        EXPECT_FALSE(document.modified) << c.what;
    }
}

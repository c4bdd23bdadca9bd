// The picture commands: a picture file inline or in a floating frame on its own line, the
// file that does not load, and the switch into picture resizing.
#include "view_fixture.h"

#include "math/formula.h"
#include "math/math_char.h"
#include "nodes/page_furniture.h"
#include "platform/shell.h"
#include "platform/utf8.h"
#include "nodes/rect_tracker.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

using namespace viewtest;

namespace {

class PictureTest : public ViewTest {
protected:
    PictureTest()
    {
        QImage image(2, 1, QImage::Format_RGB32);
        image.fill(Qt::blue);
        picture = (dir.path() + "/two.png").toStdString();
        image.save(QString::fromStdString(picture), "PNG");
        broken = (dir.path() + "/broken.png").toStdString();
        QFile file(QString::fromStdString(broken));
        file.open(QIODevice::WriteOnly);
        file.write("not a picture");
        previous = SetShellHandler([this](SHELL_REQUEST& request) {
            requests.push_back(request);
            if (request.kind != ShellRequestKind::OpenFile)
                return IDOK;
            if (answer.empty())
                return IDCANCEL;
            request.file = answer;
            return IDOK;
        });
    }
    ~PictureTest() override { SetShellHandler(previous); }

    QTemporaryDir dir;
    std::string picture;
    std::string broken;
    std::string answer;
    std::vector<SHELL_REQUEST> requests;
    ShellHandler previous;
};

}  // namespace

TEST_F(PictureTest, FrameStandsOnItsOwnLine)
{
    answer = picture;
    const struct {
        const char* where;
        int index;
        std::string expected;
    } cases[] = {
        {"mid-line: the line is split", 2, "c:a c:b | float[picture |] | c:c |"},
        {"at the line start: no empty line in front", 0, "float[picture |] | c:a c:b c:c |"},
        {"after a line break: none added", 3, "c:a c:b | float[picture |] | c:c |"},
    };
    for (const auto& c : cases) {
        document.root->DeleteAllChildren();
        document.groups.clear();
        document.undone = 0;
        Build({u"abc"});
        if (c.index == 3)
            At(0, 2)->InsertBefore(new CEditCR());  // a b | c
        PlaceCaret(0, c.index == 3 ? 3 : c.index);
        ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertImage));
        EXPECT_EQ(Describe(document.root->GetEditChild(0)), c.expected) << c.where;
        EXPECT_EQ(view.GetCaret().m_caretNode->GetEditParent()->GetKind(), EditKind::Code(EditKind::kFloat)) << c.where;
        ASSERT_EQ(document.groups.size(), 1u) << c.where;
        EXPECT_TRUE(document.modified);
    }
    // The filter of the open dialog.
    ASSERT_FALSE(requests.empty());
    ASSERT_EQ(requests.back().filters.size(), 2u);
    EXPECT_EQ(requests.back().filters[0].label, u"イメージファイル (*.bmp;*.jpg;*.png)");

    // One undo step takes the frame back; redo puts it again.
    view.OnEditUndo();
    EXPECT_EQ(Describe(document.root->GetEditChild(0)), "c:a c:b | c:c |");
    view.OnEditRedo();
    EXPECT_EQ(Describe(document.root->GetEditChild(0)), "c:a c:b | float[picture |] | c:c |");
}

TEST_F(PictureTest, PictureIsItsPixelSizeAtEveryZoom)
{
    answer = picture;
    for (int vertical : {0, 1}) {
        document.root->DeleteAllChildren();
        document.groups.clear();
        document.undone = 0;
        Build({u"ab"}, vertical);
        ChangeDisplayMap([](CDisplayMap& map) { map.SetZoom(200); });
        PlaceCaret(0, 1);
        ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertImageInline));
        EXPECT_EQ(Describe(document.root->GetEditChild(0)), "c:a picture c:b |");
        // Two by one pixels at 96 dpi; along the line in vertical writing is down the screen.
        const CEditNode* node = At(0, 1);
        EXPECT_EQ(node->m_width, vertical ? 26 : 53);
        EXPECT_EQ(node->m_height, vertical ? 53 : 26);
        EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 2)) << "the caret stays before the same node";
        view.OnEditUndo();
        EXPECT_EQ(Describe(document.root->GetEditChild(0)), "c:a c:b |");
    }
}

TEST_F(PictureTest, CommandsThatInsertNothing)
{
    Build({u"ab"});
    auto* box = new CEditGai();
    AddChars(box, u"c");
    AddCR(box);
    document.root->AppendChild(box);
    CEditMath* formula = new CEditMath();
    formula->CreateDefaultSlots(0);
    At(0, 1)->InsertBefore(formula);

    struct Case {
        const char* what;
        int command;
        CEditNode* caret;
        std::string file;
        bool asks;
    };
    const Case cases[] = {
        {"a frame in a text box", ViewCommand::kInsertImage, box->GetEditChild(0), picture, false},
        {"an inline picture in a formula", ViewCommand::kInsertImageInline, formula->GetEditChild(0), picture, false},
        {"a cancelled dialog", ViewCommand::kInsertImage, At(0, 0), "", true},
        {"a file that does not load", ViewCommand::kInsertImage, At(0, 0), broken, true},
        {"an inline file that does not load", ViewCommand::kInsertImageInline, At(0, 0), broken, true},
    };
    for (const Case& c : cases) {
        requests.clear();
        answer = c.file;
        view.SetCaretNode(c.caret);
        view.OnCommand(c.command);
        EXPECT_EQ(Describe(document.root->GetEditChild(0)), "c:a math[|] c:b |") << c.what;
        EXPECT_EQ(Describe(box), "c:c |") << c.what;
        EXPECT_TRUE(document.groups.empty()) << c.what;
        EXPECT_FALSE(document.modified) << c.what;
        EXPECT_EQ(!requests.empty(), c.asks) << c.what;
        if (c.file == broken) {
            ASSERT_EQ(requests.size(), 2u) << c.what;
            EXPECT_EQ(requests[1].text, u"イメージを読み込めませんでした。\n\n" + Utf8ToUtf16(broken));
        }
    }
}

TEST_F(PictureTest, PictureSizeToggleNeedsAPictureAtTheCaret)
{
    answer = picture;
    Build({u"ab"});
    PlaceCaret(0, 1);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kImageSize).enabled);
    view.OnCommand(ViewCommand::kInsertImageInline);
    PlaceCaret(0, 1);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kImageSize));
    EXPECT_EQ(view.GetViewMode(), ViewMode::kPicture);
    EXPECT_EQ(view.GetSizedImage(), At(0, 1));
    ASSERT_TRUE(view.OnCommand(ViewCommand::kImageSize));
    EXPECT_EQ(view.GetViewMode(), ViewMode::kText);
    EXPECT_EQ(view.GetSizedImage(), nullptr);
}

TEST_F(PictureTest, UndoOfThePictureBeingSizedLeavesTheMode)
{
    answer = picture;
    Build({u"ab"});
    PlaceCaret(0, 1);
    view.OnCommand(ViewCommand::kInsertImageInline);
    PlaceCaret(0, 1);
    view.OnCommand(ViewCommand::kImageSize);
    ASSERT_EQ(view.GetViewMode(), ViewMode::kPicture);
    view.OnEditUndo();
    EXPECT_EQ(view.GetViewMode(), ViewMode::kText);
    EXPECT_EQ(view.GetSizedImage(), nullptr);
    // A new change drops the undone insertion with its picture; the mouse finds no tracker.
    view.OnChar(u'x');
    EXPECT_EQ(view.TrackerHitAt(POINT{0, 0}), CRectTracker::hitNothing);
}

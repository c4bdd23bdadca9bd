// The page-setup sheet driven offscreen: the paper found from its size, the values taken from
// every page that was shown when OK, print or preview is pressed, refused values keeping the
// sheet open, the pictures of either writing direction, and the answer-sheet page's buttons.
// Set QN_TEST_OUTPUT_DIR to keep a picture of each page.
#include "dialogs/page_setup_sheet.h"
#include "tests/dialogs/dialog_fixture.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTabWidget>

#include <string>
#include <vector>

namespace {

void KeepPicture(QWidget* widget, const char* name)
{
    if (const char* keep = std::getenv("QN_TEST_OUTPUT_DIR"))
        widget->grab().save(QDir(QString::fromLocal8Bit(keep)).filePath(QString::fromLatin1(name)));
}

int ListIndex(QWidget* page, int id)
{
    auto* list = FindControl<QComboBox>(page, id);
    return list != nullptr ? list->currentIndex() : -1;
}

void ChooseInList(QWidget* page, int id, int index)
{
    auto* list = FindControl<QComboBox>(page, id);
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(index);
}

int RadioChecked(QWidget* page, int firstId)
{
    auto* group = page->findChild<QButtonGroup*>(QString::number(firstId));
    return group != nullptr ? group->checkedId() : -2;
}

int PictureOf(QWidget* page, int id)
{
    auto* label = FindControl<QLabel>(page, id);
    return label != nullptr ? label->property("pictureId").toInt() : 0;
}

// The answer-sheet page's three calls, recorded.
class RecordingDocument : public IPageFieldDocument {
public:
    void DoAnswerVisibilityDialog(QWidget* parent) override { calls.push_back(parent ? "visibility+parent" : "visibility"); }
    void DoNameFieldDialog(QWidget* parent) override { calls.push_back(parent ? "name+parent" : "name"); }
    void ResetFieldSizes() override { calls.push_back("reset"); }
    std::vector<std::string> calls;
};

struct PAPER_CASE {
    int width, height;
    int index, orientation;
};

TEST(PageSetupSheet, FindsThePaperFromItsSizeAndGivesBackTheChosenOne)
{
    // The six papers, and one of its own size (listed as such, in the orientation it stands).
    const PAPER_CASE cases[] = {{210, 297, 0, 0}, {257, 364, 1, 0}, {182, 257, 2, 0}, {297, 210, 0, 1},
                                {364, 257, 1, 1}, {257, 182, 2, 1}, {200, 150, 3, 1}};
    for (const PAPER_CASE& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        CPageSetupSheet sheet;
        sheet.SizePage().m_paperWidth = c.width;
        sheet.SizePage().m_paperHeight = c.height;
        sheet.show();
        EXPECT_EQ(sheet.windowTitle(), QString::fromUtf16(u"ページ設定"));
        EXPECT_EQ(ListIndex(&sheet.SizePage(), CPageSizePage::kPaperList), c.index);
        EXPECT_EQ(RadioChecked(&sheet.SizePage(), CPageSizePage::kPortrait), c.orientation);
        Click(&sheet, IDOK);
        EXPECT_EQ(sheet.result(), IDOK);
        // OK without a change keeps the size, the paper's own included.
        EXPECT_EQ(sheet.SizePage().m_paperWidth, c.width);
        EXPECT_EQ(sheet.SizePage().m_paperHeight, c.height);
    }

    // B4 landscape; a paper of its own size turned; and A4 picked in place of it.
    struct CHOICE {
        int index, orientation, width, height;
    } choices[] = {{1, 1, 364, 257}, {3, 0, 150, 200}, {0, 1, 297, 210}};
    for (const CHOICE& c : choices) {
        CPageSetupSheet sheet;
        sheet.SizePage().m_paperWidth = 200;
        sheet.SizePage().m_paperHeight = 150;
        sheet.show();
        ChooseInList(&sheet.SizePage(), CPageSizePage::kPaperList, c.index);
        Click(&sheet.SizePage(), c.orientation == 0 ? CPageSizePage::kPortrait : CPageSizePage::kLandscape);
        Click(&sheet, IDOK);
        EXPECT_EQ(sheet.SizePage().m_paperWidth, c.width) << c.index;
        EXPECT_EQ(sheet.SizePage().m_paperHeight, c.height) << c.index;
    }
}

TEST(PageSetupSheet, PrintAndPreviewTakeTheValuesOfEveryPageShown)
{
    // B4 on the paper page, then the preview button of the margin page.
    {
        CPageSetupSheet sheet;
        sheet.show();
        ChooseInList(&sheet.SizePage(), CPageSizePage::kPaperList, 1);
        sheet.Tabs()->setCurrentIndex(1);
        Click(&sheet.MarginPage(), kPageSetupPreview);
        EXPECT_EQ(sheet.result(), kPageSetupPreview);
        EXPECT_EQ(sheet.SizePage().m_paperWidth, 257);
        EXPECT_EQ(sheet.SizePage().m_paperHeight, 364);
    }
    // Margins typed on the margin page, then its print button.
    {
        CPageSetupSheet sheet(nullptr, 1);
        sheet.MarginPage().m_top = 20;
        sheet.show();
        EXPECT_EQ(ControlText(&sheet.MarginPage(), CPageMarginPage::kTop), "20");
        TypeInto(&sheet.MarginPage(), CPageMarginPage::kTop, "15");
        TypeInto(&sheet.MarginPage(), CPageMarginPage::kLeft, " 30 ");
        TypeInto(&sheet.MarginPage(), CPageMarginPage::kRight, "0");
        TypeInto(&sheet.MarginPage(), CPageMarginPage::kBottom, "100");
        Click(&sheet.MarginPage(), kPageSetupPrint);
        EXPECT_EQ(sheet.result(), kPageSetupPrint);
        EXPECT_EQ(sheet.MarginPage().m_top, 15u);
        EXPECT_EQ(sheet.MarginPage().m_left, 30u);
        EXPECT_EQ(sheet.MarginPage().m_right, 0u);
        EXPECT_EQ(sheet.MarginPage().m_bottom, 100u);
    }
    // The answer-sheet page shown first takes its layout too; the paper page, never shown, keeps
    // its members.
    {
        CPageSetupSheet sheet(nullptr, 2);
        sheet.SizePage().m_lineSpacing = 602;
        sheet.show();
        ChooseInList(&sheet.FieldPage(), CPageFieldPage::kLayoutList, 2);
        Click(&sheet, IDOK);
        EXPECT_EQ(sheet.result(), IDOK);
        EXPECT_EQ(sheet.FieldPage().m_layoutIndex, 2);
        EXPECT_EQ(sheet.SizePage().m_lineSpacing, 602);
        EXPECT_FALSE(sheet.SizePage().IsInitialised());
    }
}

TEST(PageSetupSheet, RefusedValuesKeepTheSheetOpenWithTheirMessage)
{
    struct CASE {
        int page;
        int id;
        const char* text;
        std::u16string title;
    } cases[] = {
        {0, CPageSizePage::kLineSpacing, "12", u"行間"},
        {0, CPageSizePage::kCharSpacing, "-1", u"文字間"},
        {1, CPageMarginPage::kTop, "101", u"余白"},
        {1, CPageMarginPage::kRight, "1.5", u"余白"},
        {1, CPageMarginPage::kLeft, "", u"余白"},
        // Margins wider than the paper (A4 is 210 mm wide).
        {1, CPageMarginPage::kLeft, "100", u"余白"},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.text);
        MessageRecorder recorder;
        // B5 (182 mm wide), with a right margin of 100 mm.
        CPageSetupSheet sheet(nullptr, c.page);
        sheet.SizePage().m_paperWidth = 182;
        sheet.SizePage().m_paperHeight = 257;
        sheet.SizePage().m_lineSpacing = 371;
        sheet.MarginPage().m_right = 100;
        sheet.show();
        QWidget* page = c.page == 0 ? static_cast<QWidget*>(&sheet.SizePage()) : &sheet.MarginPage();
        // Both pages shown; the margins otherwise leave room.
        sheet.Tabs()->setCurrentIndex(1 - c.page);
        if (c.page == 0 || std::string(c.text) != "100")
            TypeInto(&sheet.MarginPage(), CPageMarginPage::kRight, "10");
        TypeInto(page, c.id, QString::fromLatin1(c.text));
        Click(&sheet, IDOK);
        EXPECT_TRUE(sheet.isVisible());
        EXPECT_EQ(sheet.Tabs()->currentWidget(), page);
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].caption, c.title);
        if (c.page == 0) {
            EXPECT_EQ(recorder.messages[0].text, u"数値が正しくありません。");
        }
        // Nothing was taken: the line spacing stays until the text is corrected.
        EXPECT_EQ(sheet.SizePage().m_lineSpacing, 371);
    }
}

TEST(PageSetupSheet, PicturesFollowTheWritingDirectionAndTheLayout)
{
    for (int vertical : {0, 1}) {
        CPageSetupSheet sheet;
        sheet.SizePage().m_vertical = vertical;
        sheet.FieldPage().m_vertical = vertical;
        sheet.show();
        EXPECT_EQ(PictureOf(&sheet.SizePage(), CPageSizePage::kColumnPicture1), vertical ? 406 : 344);
        EXPECT_EQ(PictureOf(&sheet.SizePage(), CPageSizePage::kColumnPicture2), vertical ? 407 : 345);
        sheet.Tabs()->setCurrentIndex(2);
        const int expected[2][4] = {{349, 347, 348, 346}, {405, 403, 404, 402}};
        for (int index : {0, 1, 2, 3}) {
            ChooseInList(&sheet.FieldPage(), CPageFieldPage::kLayoutList, index);
            EXPECT_EQ(PictureOf(&sheet.FieldPage(), CPageFieldPage::kPreview), expected[vertical][index]);
        }
    }
}

TEST(PageSetupSheet, TheAnswerSheetButtonsActOnThePaperAtOnce)
{
    RecordingDocument document;
    MessageRecorder recorder;
    CPageSetupSheet sheet(nullptr, 2);
    sheet.FieldPage().m_document = &document;
    sheet.show();
    Click(&sheet.FieldPage(), CPageFieldPage::kAnswerDisplay);
    Click(&sheet.FieldPage(), CPageFieldPage::kNameField);
    EXPECT_EQ(document.calls, (std::vector<std::string>{"visibility", "name"}));

    // The reset asks first; Cancel leaves the paper alone.
    SetShellHandler([&recorder](SHELL_REQUEST& request) {
        recorder.messages.push_back(request);
        return IDCANCEL;
    });
    Click(&sheet.FieldPage(), CPageFieldPage::kResetSizes);
    EXPECT_EQ(document.calls.size(), 2u);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text,
              u"この操作を行うと、全てのフィールドのサイズがリセットされます。\n\n実行してよろしいですか？");
    EXPECT_EQ(recorder.messages[0].caption, u"Lumetra　生物 - 問題作成エディタ");
    EXPECT_EQ(recorder.messages[0].style, MB_OKCANCEL | MB_ICONINFORMATION);
    SetShellHandler([](SHELL_REQUEST&) { return IDOK; });
    Click(&sheet.FieldPage(), CPageFieldPage::kResetSizes);
    EXPECT_EQ(document.calls.back(), "reset");

    // Without a paper the buttons do nothing; Cancel ends the sheet.
    sheet.FieldPage().m_document = nullptr;
    Click(&sheet.FieldPage(), CPageFieldPage::kNameField);
    EXPECT_EQ(document.calls.size(), 3u);
    Click(&sheet, IDCANCEL);
    EXPECT_EQ(sheet.result(), IDCANCEL);
}

TEST(PageSetupSheet, EachPageAsAPicture)
{
    for (int vertical : {0, 1}) {
        CPageSetupSheet sheet;
        sheet.SizePage().m_lineSpacing = 602;
        sheet.SizePage().m_vertical = vertical;
        sheet.MarginPage().m_top = 20;
        sheet.MarginPage().m_bottom = 20;
        sheet.MarginPage().m_left = 15;
        sheet.MarginPage().m_right = 15;
        sheet.FieldPage().m_layoutIndex = 1;
        sheet.FieldPage().m_vertical = vertical;
        sheet.show();
        const char* names[2][3] = {
            {"page_setup_paper.png", "page_setup_margins.png", "page_setup_answer_sheet.png"},
            {"page_setup_paper_vertical.png", "page_setup_margins_vertical.png", "page_setup_answer_sheet_vertical.png"}};
        for (int page = 0; page < 3; ++page) {
            sheet.Tabs()->setCurrentIndex(page);
            EXPECT_GT(sheet.Tabs()->currentWidget()->sizeHint().height(), 100);
            KeepPicture(&sheet, names[vertical][page]);
        }
        EXPECT_EQ(ControlText(&sheet.SizePage(), CPageSizePage::kLineSpacing), "17");
    }
}

}  // namespace

// The document's page-layout commands with their dialogs answered in place of a person: page
// setup's values to the sheet and back (millimetres, the doubled line spacing, the turn of a
// vertical paper), the column warning, print and preview queued after the values apply, the
// spacings, the reset of the answer fields' sizes as one undo group, and the HTML command's name.
#include "editor/document_commands.h"
#include "editor/sorel_doc.h"

#include "fake_print_files.h"
#include "shell_answers.h"

#include "nodes/display_map.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/edit_table.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <QTabWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class CommandHost : public CSorelDocHost {
public:
    void UpdateAllViews(int hint) override { hints.push_back(hint); }
    void PostFrameCommand(unsigned id) override
    {
        posted.push_back(id);
        if (onPost)
            onPost();
    }
    std::vector<int> hints;
    std::vector<unsigned> posted;
    std::function<void()> onPost;
};

// Answers the sheet (or a spacing dialog) with an action on its members and a result.
class SheetAnswer {
public:
    SheetAnswer(std::function<void(CPageSetupSheet&)> action, int result)
    {
        m_former = SetPageSetupRunner([this, action, result](CPageSetupSheet& sheet) {
            ++runs;
            if (action)
                action(sheet);
            return result;
        });
    }
    ~SheetAnswer() { SetPageSetupRunner(m_former); }
    int runs = 0;

private:
    PageSetupRunner m_former;
};

class SpacingAnswer {
public:
    SpacingAnswer(std::function<void(CSpacingDlg&)> action, int result)
    {
        m_former = SetSpacingRunner([action, result](CSpacingDlg& dialog) {
            if (action)
                action(dialog);
            return result;
        });
    }
    ~SpacingAnswer() { SetSpacingRunner(m_former); }

private:
    SpacingRunner m_former;
};

class DocumentCommandsTest : public ::testing::Test {
protected:
    DocumentCommandsTest()
    {
        EXPECT_TRUE(m_doc.OnNewDocument());
        m_doc.SetModifiedFlag(false);
        m_host.hints.clear();
    }
    CEditPrint& Root() { return *m_doc.GetRoot(); }
    void Geometry(int width, int height, int left, int top, int right, int bottom)
    {
        Root().SetPaperSize(width, height);
        Root().SetMargins(left, top, right, bottom);
    }
    std::vector<int> Margins()
    {
        int l = 0, t = 0, r = 0, b = 0;
        Root().GetMargins(&l, &t, &r, &b);
        return {l, t, r, b};
    }
    std::vector<int> PaperSize()
    {
        int w = 0, h = 0;
        Root().GetPaperSize(&w, &h);
        return {w, h};
    }
    // A question part holding a table that many millimetres wide.
    void AddTable(int width)
    {
        auto* part = new CEditSentence();
        auto* table = new CEditTable();
        table->m_rcLayout = RECT{0, 0, width, 1000};
        part->AppendChild(table);
        Root().AppendChild(part);
    }

    FakePrintFiles m_files;
    CommandHost m_host;
    ShellAnswers m_shell;
    CSorelDoc m_doc{m_files, m_host};
};

TEST_F(DocumentCommandsTest, PageSetupShowsWholeMillimetresAndDoubledLineSpacingAndStoresThemBack)
{
    Geometry(21000, 29700, 1999, 2000, 1500, 1550);
    Root().m_lineSpacing = 301;
    Root().EditCharacterRecord()->m_letterSpacing = 71;
    {
        SheetAnswer answer([](CPageSetupSheet& sheet) {
            EXPECT_EQ(sheet.windowTitle(), QString::fromUtf16(u"ページ設定"));
            EXPECT_EQ(sheet.SizePage().m_paperWidth, 210);
            EXPECT_EQ(sheet.SizePage().m_paperHeight, 297);
            EXPECT_EQ(sheet.MarginPage().m_left, 19u);
            EXPECT_EQ(sheet.MarginPage().m_top, 20u);
            EXPECT_EQ(sheet.MarginPage().m_right, 15u);
            EXPECT_EQ(sheet.MarginPage().m_bottom, 15u);
            EXPECT_EQ(sheet.SizePage().m_lineSpacing, 602);
            EXPECT_EQ(sheet.SizePage().m_charSpacing, 71);
            EXPECT_EQ(sheet.SizePage().m_columns, 0);
            EXPECT_EQ(sheet.FieldPage().m_layoutIndex, 0);
            EXPECT_NE(sheet.FieldPage().m_document, nullptr);
            EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
        }, IDOK);
        EXPECT_EQ(m_doc.DoPageSetup(0, nullptr), IDOK);
        EXPECT_EQ(answer.runs, 1);
    }
    EXPECT_EQ(Margins(), (std::vector<int>{1900, 2000, 1500, 1500}));
    EXPECT_EQ(Root().m_lineSpacing, 301);
    EXPECT_EQ(Root().CharacterRecord().m_letterSpacing, 71);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_host.hints, std::vector<int>{kHintPageSetup});
    EXPECT_TRUE(m_host.posted.empty());

    // Cancel changes nothing; the answer-sheet command starts on the third page.
    m_doc.SetModifiedFlag(false);
    {
        SheetAnswer answer([](CPageSetupSheet& sheet) {
            EXPECT_EQ(sheet.Tabs()->currentIndex(), 2);
            sheet.MarginPage().m_left = 40;
        }, IDCANCEL);
        EXPECT_TRUE(m_doc.OnDocumentCommand(DocCommand::kAnswerSheet, nullptr));
        EXPECT_EQ(answer.runs, 1);
    }
    EXPECT_EQ(Margins(), (std::vector<int>{1900, 2000, 1500, 1500}));
    EXPECT_FALSE(m_doc.IsModified());

    // Without a paper there is nothing to set up.
    m_doc.DeleteRoot();
    EXPECT_EQ(m_doc.DoPageSetup(0, nullptr), IDCANCEL);
    EXPECT_FALSE(m_doc.OnUpdateDocumentCommand(DocCommand::kPageSetup));
}

TEST_F(DocumentCommandsTest, NoToTheColumnWarningKeepsOneColumnAndAppliesTheRest)
{
    Geometry(21000, 29700, 2000, 2000, 2000, 2000);
    AddTable(12000);  // wider than a column of two (17000 − 500) / 2
    auto twoColumnsOnB4 = [](CPageSetupSheet& sheet) {
        sheet.SizePage().m_columns = 1;
        sheet.SizePage().m_lineSpacing = 742;
        sheet.MarginPage().m_left = 25;
    };
    m_shell.Answer(IDNO);
    {
        SheetAnswer answer(twoColumnsOnB4, IDOK);
        EXPECT_EQ(m_doc.DoPageSetup(0, nullptr), IDOK);
    }
    ASSERT_EQ(m_shell.requests.size(), 1u);
    EXPECT_EQ(m_shell.requests[0].text, u"はみ出す表組みがあります。よろしいですか？");
    EXPECT_EQ(m_shell.requests[0].caption, u"確認");
    EXPECT_EQ(m_shell.requests[0].style, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(Root().m_geometry.columnCount, 1);
    EXPECT_EQ(Root().m_lineSpacing, 371);
    EXPECT_EQ(Margins()[0], 2500);

    m_shell.Answer(IDYES);
    {
        SheetAnswer answer(twoColumnsOnB4, IDOK);
        m_doc.DoPageSetup(0, nullptr);
    }
    EXPECT_EQ(Root().m_geometry.columnCount, 2);

    // Back to one column asks nothing.
    {
        SheetAnswer answer([](CPageSetupSheet& sheet) { sheet.SizePage().m_columns = 0; }, IDOK);
        m_doc.DoPageSetup(0, nullptr);
    }
    EXPECT_EQ(Root().m_geometry.columnCount, 1);
    EXPECT_EQ(m_shell.requests.size(), 2u);
}

TEST_F(DocumentCommandsTest, PrintAndPreviewApplyTheValuesThenQueueTheirCommand)
{
    for (int result : {kPageSetupPrint, kPageSetupPreview}) {
        SCOPED_TRACE(result);
        Geometry(21000, 29700, 2000, 2000, 2000, 2000);
        m_host.posted.clear();
        std::vector<int> sizeWhenPosted;
        m_host.onPost = [&] { sizeWhenPosted = PaperSize(); };
        SheetAnswer answer([](CPageSetupSheet& sheet) {
            sheet.SizePage().m_paperWidth = 364;
            sheet.SizePage().m_paperHeight = 257;
        }, result);
        EXPECT_EQ(m_doc.DoPageSetup(0, nullptr), IDOK);
        EXPECT_EQ(m_host.posted,
                  std::vector<unsigned>{result == kPageSetupPrint ? DocCommand::kPrint : DocCommand::kPrintPreview});
        EXPECT_EQ(sizeWhenPosted, (std::vector<int>{36400, 25700}));
    }
}

TEST_F(DocumentCommandsTest, AVerticalPaperIsShownAsTheScreenShowsItAndComesBackIdentical)
{
    // Stored turned: the width runs down the screen and the stored top margin lies at the right.
    Root().m_vertical = 1;
    Geometry(29700, 21000, 1000, 2000, 3000, 4000);
    Root().m_lineSpacing = 300;
    {
        SheetAnswer answer([](CPageSetupSheet& sheet) {
            EXPECT_EQ(sheet.SizePage().m_paperWidth, 210);
            EXPECT_EQ(sheet.SizePage().m_paperHeight, 297);
            EXPECT_EQ(sheet.SizePage().m_vertical, 1);
            EXPECT_EQ(sheet.FieldPage().m_vertical, 1);
            EXPECT_EQ(sheet.MarginPage().m_left, 40u);
            EXPECT_EQ(sheet.MarginPage().m_top, 10u);
            EXPECT_EQ(sheet.MarginPage().m_right, 20u);
            EXPECT_EQ(sheet.MarginPage().m_bottom, 30u);
        }, IDOK);
        m_doc.DoPageSetup(0, nullptr);
    }
    EXPECT_EQ(PaperSize(), (std::vector<int>{29700, 21000}));
    EXPECT_EQ(Margins(), (std::vector<int>{1000, 2000, 3000, 4000}));
    EXPECT_EQ(Root().m_lineSpacing, 300);

    // The screen's own turn: the gap between each edge of the page and the printable area, as
    // the display map draws a vertical paper, is the margin the sheet names for that edge.
    const PAGE_SETUP_VALUES shown = ReadPageSetup(Root());
    // One device unit per 1/100 mm, so the gaps read as lengths.
    CDisplayMap map;
    map.SetResolution(2540, 2540, 100);
    map.SetVertical(1);
    RECT page{0, 0, 29700, 21000};
    RECT printable{1000, 2000, 29700 - 3000, 21000 - 4000};
    map.DocToDeviceRect(&page);
    map.DocToDeviceRect(&printable);
    EXPECT_EQ(page.right - page.left, 21000);  // the stored height runs across
    EXPECT_EQ((printable.left - page.left) / 100, shown.left);
    EXPECT_EQ((printable.top - page.top) / 100, shown.top);
    EXPECT_EQ((page.right - printable.right) / 100, shown.right);
    EXPECT_EQ((page.bottom - printable.bottom) / 100, shown.bottom);

    // Landscape B5 on a vertical paper is stored turned as well.
    {
        SheetAnswer answer([](CPageSetupSheet& sheet) {
            sheet.SizePage().m_paperWidth = 257;
            sheet.SizePage().m_paperHeight = 182;
            sheet.MarginPage().m_left = 5;
        }, IDOK);
        m_doc.DoPageSetup(0, nullptr);
    }
    EXPECT_EQ(PaperSize(), (std::vector<int>{18200, 25700}));
    EXPECT_EQ(Margins(), (std::vector<int>{1000, 2000, 3000, 500}));
}

TEST_F(DocumentCommandsTest, SpacingCommandsShowAndStoreTheRootsValues)
{
    Root().m_lineSpacing = 301;
    Root().EditCharacterRecord()->m_letterSpacing = 0;
    {
        SpacingAnswer answer([](CSpacingDlg& dialog) {
            EXPECT_EQ(dialog.TemplateId(), 320);
            EXPECT_EQ(dialog.m_spacing, 602);
        }, IDOK);
        EXPECT_TRUE(m_doc.OnDocumentCommand(DocCommand::kLineSpacing, nullptr));
    }
    EXPECT_EQ(Root().m_lineSpacing, 301);
    EXPECT_TRUE(m_doc.IsModified());
    {
        SpacingAnswer answer([](CSpacingDlg& dialog) {
            EXPECT_EQ(dialog.TemplateId(), 321);
            dialog.m_spacing = 71;
        }, IDOK);
        m_doc.OnCharSpacing(nullptr);
    }
    EXPECT_EQ(Root().CharacterRecord().m_letterSpacing, 71);
    EXPECT_EQ(m_host.hints, (std::vector<int>{0, 0}));
    {
        SpacingAnswer answer([](CSpacingDlg& dialog) { dialog.m_spacing = 1000; }, IDCANCEL);
        m_doc.OnLineSpacing(nullptr);
    }
    EXPECT_EQ(Root().m_lineSpacing, 301);
    EXPECT_EQ(m_host.hints.size(), 2u);
}

TEST_F(DocumentCommandsTest, ResettingFieldSizesIsOneUndoGroupAndNothingWhenAllAreDefault)
{
    std::vector<CEditSentence*> parts;
    for (int width : {0, 0, 0}) {
        auto* part = new CEditSentence();
        part->m_areaWidth = width;
        Root().AppendChild(part);
        parts.push_back(part);
    }
    m_doc.ResetFieldSizes();
    EXPECT_EQ(m_doc.GetUndoRecord(), nullptr);
    EXPECT_TRUE(m_host.hints.empty());
    EXPECT_FALSE(m_doc.IsModified());

    const int widths[] = {5000, 7000, 9000};
    for (size_t i = 0; i < parts.size(); ++i)
        parts[i]->m_areaWidth = widths[i];
    m_doc.ResetFieldSizes();
    for (CEditSentence* part : parts)
        EXPECT_EQ(part->m_areaWidth, 0);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_host.hints, std::vector<int>{0});
    CUndoGroup* group = m_doc.GetUndoRecord();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetCount(), 3);
    EXPECT_EQ(group->GetAt(0)->m_code, UndoCode::kFieldSize);
    ReplayUndoGroup(*group, UndoDirection::Undo);
    for (size_t i = 0; i < parts.size(); ++i)
        EXPECT_EQ(parts[i]->m_areaWidth, widths[i]);
    EXPECT_EQ(m_doc.GetUndoRecord(), nullptr);  // the only group
}

TEST_F(DocumentCommandsTest, TheHtmlCommandProposesThePapersNameWithHtm)
{
    EXPECT_EQ(m_doc.ProposedHtmlName(), "無題.htm");
    const struct {
        const char* path;
        const char* proposed;
    } cases[] = {{"/p/a.b.qns", "/p/a.b.htm"}, {"/p.q/paper", "/p.q/paper.htm"}, {"/p/.qns", "/p/.qns.htm"}};
    for (const auto& c : cases) {
        m_doc.SetPathName(c.path);
        EXPECT_EQ(m_doc.ProposedHtmlName(), c.proposed);
    }
    m_shell.Answer(IDCANCEL);
    EXPECT_FALSE(m_doc.OnFileSaveHtml());
    ASSERT_EQ(m_shell.requests.size(), 1u);
    EXPECT_EQ(m_shell.requests[0].file, "/p/.qns.htm");
    EXPECT_EQ(m_shell.requests[0].title, u"HTML形式で保存");
    EXPECT_EQ(m_shell.requests[0].defaultExtension, "htm");
}

}  // namespace

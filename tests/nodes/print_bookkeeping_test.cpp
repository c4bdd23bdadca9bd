// Print-file bookkeeping of the root: path parts, the temporary-file lists and the part-reference
// tree written for and read from the print file's flow.
#include "base/element_classes.h"
#include "nodes/edit_print.h"
#include "nodes/page_furniture.h"
#include "paper_fixture.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

using papertest::AddEmptyPart;
using papertest::AddEmptyQuestion;

std::string Narrow(const CStringW& text)
{
    std::string out;
    for (char16_t c : text.View())
        out += static_cast<char>(c);
    return out;
}

// The flow as text: each select path, or "block" with its break-after value.
std::vector<std::string> FlowOf(const CEditPrint& root)
{
    std::vector<std::string> entries;
    const CQNXMLNode* flow = root.GetPartReferences();
    for (int i = 0; i < flow->GetChildCount(); ++i) {
        const CQNXMLNode* entry = flow->GetChildAt(i);
        if (const auto* apply = dynamic_cast<const CXslApplyTemplates*>(entry))
            entries.push_back(Narrow(apply->m_select));
        else if (const auto* block = dynamic_cast<const CFoBlockContainer*>(entry))
            entries.push_back("block " + std::to_string(block->m_breakAfter));
    }
    return entries;
}

}  // namespace

TEST(PrintBookkeeping, PathParts)
{
    CEditPrint root;
    root.SetPathName("/home/teacher/tests/math.test.qnp");
    EXPECT_EQ(root.m_pathName, "/home/teacher/tests/math.test.qnp");
    EXPECT_EQ(root.m_drive, "");
    EXPECT_EQ(root.m_directory, "/home/teacher/tests/");
    EXPECT_EQ(root.m_fileName, "math.test");
    EXPECT_EQ(root.m_extension, ".qnp");
    root.SetPathName("plain");
    EXPECT_EQ(root.m_directory, "");
    EXPECT_EQ(root.m_fileName, "plain");
    EXPECT_EQ(root.m_extension, "");
}

TEST(PrintBookkeeping, FileListsAreDeletedFromDiskButKept)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString();
    auto touch = [&](const char* name) {
        const std::string path = base + "/" + name;
        std::ofstream(path) << "x";
        return path;
    };
    CEditPrint root;
    const std::string extracted = touch("picture.bmp");
    root.AddExtractedFile(extracted.c_str());
    root.AddExtractedFile((base + "/missing.bin").c_str());
    root.DeleteExtractedFiles();
    EXPECT_FALSE(std::filesystem::exists(extracted));
    EXPECT_EQ(root.m_extractedFiles.size(), 2u);

    const std::string side = touch("side.dat");
    root.AddSideFile(side.c_str());
    root.DeleteSideFiles();
    EXPECT_FALSE(std::filesystem::exists(side));
    touch("side.dat");
    root.DeleteSideFiles();  // the list still names it
    EXPECT_FALSE(std::filesystem::exists(side));
    root.ClearSideFiles();
    EXPECT_TRUE(root.m_sideFiles.empty());
}

TEST(PrintBookkeeping, PartPathsFollowTheChildren)
{
    CEditPrint root;
    AddEmptyQuestion(root, 1, 0);
    EXPECT_EQ(root.BuildPartPaths(), 0) << "no part-reference tree";
    root.SetPartReferences(std::make_unique<CFoFlow>());
    root.AppendChild(new CEditGai());
    AddEmptyQuestion(root, 2, 0);
    root.AppendChild(new CEditKaiPage());
    AddEmptyQuestion(root, 2, 1);
    root.AppendChild(new CEditGai());
    // Blocks that are no question part: a paragraph of kind 0, 5 or 6, a floating frame.
    AddEmptyPart(root, 0, 0, PART_NONE);
    AddEmptyPart(root, 0, 0, 6);
    root.AppendChild(new CEditContainer(EditKind::Code(EditKind::kFloat)));
    ASSERT_EQ(root.BuildPartPaths(), 1);
    const std::vector<std::string> expected = {
        "/print/dmon[1]/mon/dai",         "/print/dmon[1]/mon/ran",         "/print/dmon[1]/mon/kai",
        "/print/dmon[1]/mon/setsu",       "/print/gai[1]",                  "/print/dmon[2]/mon/dai",
        "/print/dmon[2]/mon/ran",         "/print/dmon[2]/mon/kai",         "/print/dmon[2]/mon/setsu",
        "block 2",                        "/print/dmon[2]/smon[1]/dai",     "/print/dmon[2]/smon[1]/ran",
        "/print/dmon[2]/smon[1]/kai",     "/print/dmon[2]/smon[1]/setsu",   "/print/gai[2]",
        "block 0",                        "block 0",                        "block 0",
    };
    EXPECT_EQ(FlowOf(root), expected);
    const auto* entry = dynamic_cast<const CXslApplyTemplates*>(root.GetPartReferences()->GetChildAt(12));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_applyReserved[0], EditKind::Code(EditKind::kSentence));
    EXPECT_EQ(entry->m_applyReserved[1], 2);
    EXPECT_EQ(entry->m_applyReserved[2], 1);
    EXPECT_EQ(entry->m_applyReserved[3], PART_ANSWER);
    const auto* box = dynamic_cast<const CXslApplyTemplates*>(root.GetPartReferences()->GetChildAt(4));
    EXPECT_EQ(box->m_applyReserved[3], 5);

    // Built again, the tree is replaced, not extended; read back, every block gets its identity.
    ASSERT_EQ(root.BuildPartPaths(), 1);
    EXPECT_EQ(FlowOf(root).size(), expected.size());
    for (int i = 0; i < root.GetChildCount(); ++i) {
        if (auto* part = dynamic_cast<CEditSentence*>(root.GetChildAt(i)))
            part->m_questionNumber = part->m_subQuestionNumber = part->m_partKind = -7;
    }
    ASSERT_EQ(root.ReadPartIds(), 1);
    const CEditSentence* sub = root.FindSubPart(2, 1, PART_ANSWER);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(root.GetChildAt(12), sub);
    EXPECT_EQ(dynamic_cast<CEditSentence*>(root.GetChildAt(4))->m_partKind, 5);
    EXPECT_EQ(dynamic_cast<CEditSentence*>(root.GetChildAt(9))->m_partKind, 6);
    EXPECT_EQ(dynamic_cast<CEditSentence*>(root.GetChildAt(15))->m_partKind, 6);
}

TEST(PrintBookkeeping, ReadingStepsOfTheFlow)
{
    struct Case {
        const char16_t* select;
        bool ok;
        int major, sub, kind;
    };
    const Case cases[] = {
        {u"/print/dmon[3]/smon[2]/dai", true, 3, 2, 1},
        {u"/print/dmon[3]/mon/setsu", true, 3, 0, 4},
        {u"{/print/dmon[4]/mon/ran}", true, 4, 0, 2},
        {u"/print/dmon[1]/smon[5]/kai", true, 1, 5, 3},
        {u"/print/dmon[1]/mon/other", true, 1, 0, 0},
        {u"/print/dmon[1]/mon", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        CEditPrint root;
        CEditSentence* part = AddEmptyPart(root, 0, 0, 0);
        auto flow = std::make_unique<CFoFlow>();
        auto* entry = new CXslApplyTemplates();
        entry->m_select = c.select;
        flow->AppendChild(entry);
        root.SetPartReferences(std::move(flow));
        EXPECT_EQ(root.ReadPartIds(), c.ok ? 1 : 0);
        if (c.ok) {
            EXPECT_EQ(part->m_questionNumber, c.major);
            EXPECT_EQ(part->m_subQuestionNumber, c.sub);
            EXPECT_EQ(part->m_partKind, c.kind);
        }
    }
}

TEST(PrintBookkeeping, ReadingRefusesFlowsThatDoNotMatch)
{
    {
        CEditPrint root;
        root.AppendChild(new CEditGai());
        auto flow = std::make_unique<CFoFlow>();
        auto* entry = new CXslApplyTemplates();
        entry->m_select = u"/print/dmon[1]/mon/dai";
        flow->AppendChild(entry);
        root.SetPartReferences(std::move(flow));
        EXPECT_EQ(root.ReadPartIds(), 0) << "a text box needs a gai step";
    }
    {
        CEditPrint root;
        AddEmptyPart(root, 1, 0, 1);
        auto flow = std::make_unique<CFoFlow>();
        flow->AppendChild(new CFoBlock());
        root.SetPartReferences(std::move(flow));
        EXPECT_EQ(root.ReadPartIds(), 0) << "only apply-templates and block containers";
    }
    CEditPrint root;
    root.SetPartReferences(std::make_unique<CFoFlow>());
    AddEmptyPart(root, 1, 0, 1);
    EXPECT_EQ(root.ReadPartIds(), 0) << "empty tree";
}

// Ruby, in-text answers, labelled underlines, kanbun cells, tables, floating frames and pictures
// through the print file: the nodes the reader builds, the FO shapes the converter makes, and the
// side files of pictures.
#include "printfile_fixture.h"

#include "base/element_classes.h"
#include "nodes/edit_table.h"
#include "nodes/floating_frame.h"
#include "nodes/in_text_answer.h"
#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "nodes/labelled_underline.h"
#include "nodes/picture_node.h"
#include "nodes/ruby.h"
#include "printfile/edit_to_fo.h"
#include "printfile/print_reader.h"
#include "printfile/print_writer.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>

using namespace printfiletest;

namespace {

std::string TextOf(CQNXMLNode* node)
{
    CStringW text;
    if (node != nullptr)
        node->GetSubtreeText(text);
    return Narrow(text);
}

template <class T>
T* Find(CQNXMLNode* node, uint32_t kind)
{
    return dynamic_cast<T*>(node->FindDescendantOfType(EditKind::Code(kind)));
}

// The inline-node sample with one text of it replaced, written as paper.xml into the folder
// with the sample's second picture beside it; the paper's path.
std::string WriteSampleVariant(const std::string& folder, std::u16string_view from, std::u16string_view to)
{
    std::u16string text = ReadUtf8Text(DataPath("horizontal_inline_nodes.xml"));
    const size_t at = text.find(from);
    EXPECT_NE(at, std::u16string::npos);
    if (at != std::u16string::npos)
        text.replace(at, from.size(), to);
    const std::string path = folder + "/paper.xml";
    std::ofstream(path, std::ios::binary) << Utf16ToUtf8(text);
    std::filesystem::copy_file(DataPath("inline-02.png"), folder + "/inline-02.png",
                               std::filesystem::copy_options::overwrite_existing);
    return path;
}

// A print file as written (UTF-16 with byte-order mark), as UTF-8 text.
std::string SavedText(const std::string& path)
{
    const std::string bytes = ReadBytes(path);
    if (bytes.size() < 2)
        return std::string();
    std::u16string text((bytes.size() - 2) / 2, u'\0');
    std::memcpy(text.data(), bytes.data() + 2, text.size() * 2);
    return Utf16ToUtf8(text);
}

TEST(InlineNodes, TheSampleReadsIntoItsNodes)
{
    RegisterPaperFaces();
    MessageRecorder messages;
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, DataPath("horizontal_inline_nodes.xml")));
    EXPECT_TRUE(messages.messages.empty());
    CEditSentence* question = root.FindPart(1, 1);
    ASSERT_NE(question, nullptr);

    auto* ruby = Find<CEditRuby>(question, EditKind::kRuby);
    ASSERT_NE(ruby, nullptr);
    EXPECT_EQ(TextOf(ruby->GetChildAt(CEditRuby::kBaseIndex)), "漢字\r\n");
    EXPECT_EQ(TextOf(ruby->GetChildAt(CEditRuby::kReadingIndex)), "かんじ\r\n");
    EXPECT_EQ(TextOf(Find<CEditCyukai>(question, EditKind::kCyukai)), "かんじ\r\n");
    EXPECT_EQ(TextOf(Find<CEditKasen>(question, EditKind::kKasen)), "傍線部\r\n");

    auto* kan = Find<CEditKan>(question, EditKind::kKan);
    ASSERT_NE(kan, nullptr);
    EXPECT_EQ(kan->GetHyphenMode(), KanbunMode::kWithoutHyphen);
    EXPECT_EQ(TextOf(kan->GetBaseBox()), "学");
    EXPECT_EQ(TextOf(kan->GetRightKanaBox()), "まな");
    EXPECT_EQ(TextOf(kan->GetReturnMarkBox()), "レ");
    EXPECT_EQ(kan->GetReturnMarkBox()->GetEditChild(0)->m_scriptPosition, 0);
    EXPECT_EQ(kan->GetRightKanaBox()->m_pushToEnd, 1);

    // A ragged table: rows of 2 and 1 cells become 2 × 2 with an empty cell.
    auto* table = Find<CEditTable>(question, EditKind::kTable);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->m_rows, 2);
    EXPECT_EQ(table->m_columns, 2);
    ASSERT_EQ(table->GetChildCount(), 4);
    EXPECT_TRUE(table->HasGridShape());
    EXPECT_EQ(TextOf(table->GetCell(1, 0)), "C\r\n");
    EXPECT_EQ(table->BorderRecord().m_borderStyle, 1);

    auto* picture = Find<CEditGraphic>(question, EditKind::kGraphic);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetPixelWidth(), 8);
    EXPECT_EQ(picture->m_width, 1000);
    EXPECT_EQ(picture->m_height, 500);
    auto* frame = Find<CEditFloat>(question, EditKind::kFloat);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetFloatSide(), 2);
    EXPECT_EQ(root.m_extractedFiles.size(), 2u);
}

TEST(InlineNodes, PicturesBecomeNumberedSideFilesOfEachSave)
{
    RegisterPaperFaces();
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, DataPath("horizontal_inline_nodes.xml")));
    TempFolder folder;
    for (int save = 0; save < 2; ++save) {
        ASSERT_TRUE(SavePrintFile(&root, folder.File("test.xml")));
        EXPECT_EQ(root.m_sideFiles, (std::vector<std::string>{folder.File("test-01.png"), folder.File("test-02.png")}));
    }
    EXPECT_EQ(ReadBytes(folder.File("test-01.png")), ReadBytes(DataPath("inline-01.png")));
    EXPECT_EQ(ReadBytes(folder.File("test-02.png")), ReadBytes(DataPath("inline-02.png")));
}

TEST(InlineNodes, PicturesOfTheNameFieldAndThePaperNeverShareAName)
{
    RegisterPaperFaces();
    const auto picture = [](const char* file) {
        auto* node = new CEditGraphic();
        EXPECT_TRUE(node->LoadFile(DataPath(file).c_str(), nullptr));
        return node;
    };
    CEditPrint root;
    auto* part = new CEditSentence();
    part->m_questionNumber = 1;
    part->m_partKind = PART_QUESTION;
    part->AppendChild(picture("inline-02.png"));
    part->AppendChild(new CEditCR());
    root.AppendChild(part);
    ASSERT_TRUE(root.SetPageFlagged(1, true));
    root.GetNameFieldLayer()->AppendChild(new CEditKimeiran());
    auto nameField = std::make_unique<CEditKimeiran>();
    nameField->AppendChild(picture("inline-01.png"));
    nameField->AppendChild(new CEditCR());
    root.SetNameFieldTemplate(std::move(nameField));
    TempFolder folder;
    ASSERT_TRUE(SavePrintFile(&root, folder.File("test.xml")));
    EXPECT_EQ(ReadBytes(folder.File("test-01.png")), ReadBytes(DataPath("inline-01.png")));
    EXPECT_EQ(ReadBytes(folder.File("test-02.png")), ReadBytes(DataPath("inline-02.png")));
    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, folder.File("test.xml")));
    EXPECT_EQ(again.m_extractedFiles.size(), 2u);
}

TEST(InlineNodes, APictureThatCannotBeWrittenFailsTheSave)
{
    RegisterPaperFaces();
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, DataPath("horizontal_inline_nodes.xml")));
    TempFolder folder;
    std::filesystem::create_directory(folder.File("test-01.png"));  // no file can take this name
    MessageRecorder messages;
    EXPECT_FALSE(SavePrintFile(&root, folder.File("test.xml")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("test.xml")));
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_EQ(messages.messages.front().rfind("イメージの保存に失敗しました。", 0), 0u);
}

// A picture whose file is missing, refused, or no regular file of the paper's own folder stays
// as a placeholder of its size and name, is reported, and goes back into the next save, which
// then opens the same way.
// A save that fails after its pictures were written leaves every earlier file of the target as
// it was: when the print file cannot be written (a paper of no part, its picture in the name
// field), and when it cannot be put in place (a folder holds its name).
TEST(InlineNodes, AFailedSaveLeavesEveryEarlierFileAsItWas)
{
    RegisterPaperFaces();
    const auto picture = [] {
        auto* node = new CEditGraphic();
        EXPECT_TRUE(node->LoadFile(DataPath("inline-01.png").c_str(), nullptr));
        return node;
    };
    CEditPrint noPart;
    ASSERT_TRUE(noPart.SetPageFlagged(1, true));
    noPart.GetNameFieldLayer()->AppendChild(new CEditKimeiran());
    auto nameField = std::make_unique<CEditKimeiran>();
    nameField->AppendChild(picture());
    nameField->AppendChild(new CEditCR());
    noPart.SetNameFieldTemplate(std::move(nameField));

    CEditPrint onePart;
    ASSERT_TRUE(LoadXmlFile(&onePart, DataPath("horizontal_inline_nodes.xml")));

    struct Case {
        const char* what;
        CEditPrint* paper;
        bool printFileIsAFolder;
    } cases[] = {
        {"the print file cannot be written", &noPart, false},
        {"the print file cannot be put in place", &onePart, true},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        if (c.printFileIsAFolder)
            std::filesystem::create_directory(folder.File("test.xml"));
        else
            std::ofstream(folder.File("test.xml")) << "earlier paper";
        std::ofstream(folder.File("test-01.png")) << "earlier picture";
        MessageRecorder messages;
        EXPECT_FALSE(SavePrintFile(c.paper, folder.File("test.xml"))) << c.what;
        EXPECT_FALSE(messages.messages.empty()) << c.what;
        if (!c.printFileIsAFolder) {
            EXPECT_EQ(ReadBytes(folder.File("test.xml")), "earlier paper") << c.what;
        }
        EXPECT_EQ(ReadBytes(folder.File("test-01.png")), "earlier picture") << c.what;
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"test-01.png", "test.xml"})) << c.what;
    }
}

TEST(InlineNodes, SideFilesAreReadOnlyAsRegularFilesOfThePapersFolder)
{
    RegisterPaperFaces();
    TempFolder outer;
    const std::string folder = outer.File("paper");
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(DataPath("inline-01.png"), outer.File("secret.png"));
    std::ofstream(outer.File("secret.txt")) << "outside the paper's folder";
    std::filesystem::create_symlink(outer.File("secret.png"), folder + "/link.png");
    std::filesystem::create_symlink(outer.File("secret.txt"), folder + "/link.wmf");
    ASSERT_EQ(mkfifo((folder + "/pipe.png").c_str(), 0600), 0);
    struct Case {
        const char16_t* src;
        std::string line;  // of the message
    } cases[] = {
        {u"../secret.png", "印刷ファイルが参照するファイル名が正しくありません: ../secret.png"},
        {u"/etc/hostname", "印刷ファイルが参照するファイル名が正しくありません: /etc/hostname"},
        {u"missing.png", folder + "/missing.png"},
        {u"pipe.png", folder + "/pipe.png"},
        {u"link.png", folder + "/link.png"},
        {u"link.wmf", folder + "/link.wmf"},
    };
    for (const Case& c : cases) {
        const std::string name = Utf16ToUtf8(c.src);
        const std::string path = WriteSampleVariant(folder, u"inline-01.png", c.src);
        MessageRecorder messages;
        CEditPrint root;
        ASSERT_TRUE(LoadXmlFile(&root, path)) << name;
        EXPECT_EQ(messages.messages, std::vector<std::string>{"イメージを読み込めませんでした。\n\n" + c.line}) << name;
        EXPECT_EQ(root.m_extractedFiles, std::vector<std::string>{folder + "/inline-02.png"}) << name;
        auto* placeholder = Find<CEditGraphic>(root.FindPart(1, 1), EditKind::kGraphic);
        ASSERT_NE(placeholder, nullptr) << name;
        EXPECT_TRUE(placeholder->IsPlaceholder()) << name;
        EXPECT_EQ(placeholder->GetReference(), name);
        EXPECT_EQ(placeholder->m_width, 1000);
        EXPECT_EQ(placeholder->m_height, 500);

        // Saved elsewhere, the placeholder keeps its name and size and the save succeeds.
        TempFolder elsewhere;
        ASSERT_TRUE(SavePrintFile(&root, elsewhere.File("saved.xml"))) << name;
        EXPECT_EQ(root.m_sideFiles, std::vector<std::string>{elsewhere.File("saved-01.png")}) << name;
        EXPECT_NE(SavedText(elsewhere.File("saved.xml")).find("src=\"" + name + "\""), std::string::npos) << name;
        CEditPrint again;
        ASSERT_TRUE(LoadXmlFile(&again, elsewhere.File("saved.xml"))) << name;
        EXPECT_EQ(DescribePaper(again), DescribePaper(root)) << name;
        auto* reread = Find<CEditGraphic>(again.FindPart(1, 1), EditKind::kGraphic);
        ASSERT_NE(reread, nullptr);
        EXPECT_EQ(reread->GetReference(), name);
        EXPECT_EQ(reread->m_width, 1000);
        EXPECT_EQ(reread->m_height, 500);
    }
    EXPECT_TRUE(std::filesystem::exists(outer.File("secret.png")));
}

// Numbered side files never take a name that a placeholder of the same paper keeps.
TEST(InlineNodes, SideFilesAvoidTheNamesOfPlaceholders)
{
    RegisterPaperFaces();
    TempFolder folder;
    const std::string path = WriteSampleVariant(folder.Path(), u"inline-01.png", u"saved-01.png");
    MessageRecorder messages;
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, path));
    TempFolder elsewhere;
    ASSERT_TRUE(SavePrintFile(&root, elsewhere.File("saved.xml")));
    EXPECT_EQ(root.m_sideFiles, std::vector<std::string>{elsewhere.File("saved-02.png")});
    EXPECT_FALSE(std::filesystem::exists(elsewhere.File("saved-01.png")));
}

TEST(InlineNodes, AnUnreadableLabelSizeIsWrittenBackAsItsText)
{
    RegisterPaperFaces();
    TempFolder folder;
    std::filesystem::copy_file(DataPath("inline-01.png"), folder.File("inline-01.png"));
    const std::string paper = WriteSampleVariant(folder.Path(), u"bango-type=\"maru\"", u"bango-type=\"maru\" bango-font-size=\"1.2em\"");
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, paper));
    auto* kasen = Find<CEditKasen>(root.FindPart(1, 1), EditKind::kKasen);
    ASSERT_NE(kasen, nullptr);
    EXPECT_EQ(kasen->GetEditChild(0)->Numbering().m_renbanSize, CKasenRenbanProperties().m_renbanSize);
    ASSERT_TRUE(SavePrintFile(&root, folder.File("saved.xml")));
    EXPECT_NE(SavedText(folder.File("saved.xml")).find("bango-font-size=\"1.2em\""), std::string::npos);

    // A size given since is written instead.
    kasen->GetEditChild(0)->EditNumbering().m_renbanSize = 353;
    ASSERT_TRUE(SavePrintFile(&root, folder.File("resized.xml")));
    const std::string resized = SavedText(folder.File("resized.xml"));
    EXPECT_EQ(resized.find("1.2em"), std::string::npos);
    EXPECT_NE(resized.find("bango-font-size=\"10pt\""), std::string::npos);
}

// The converter's shapes of the inline nodes.
TEST(InlineNodes, KanbunCellsRubyAndTablesBecomeTheirFoShapes)
{
    RegisterPaperFaces();
    CEditSentence part;
    auto* sevenBoxes = new CEditKan();
    sevenBoxes->BuildFromText(u"学", 0, nullptr);
    part.AppendChild(sevenBoxes);
    auto* fiveBoxes = new CEditKan();
    fiveBoxes->BuildFromText(u"而", 1, nullptr);
    fiveBoxes->SetHyphenMode(KanbunMode::kWithHyphen);
    part.AppendChild(fiveBoxes);
    auto* ruby = new CEditRuby();
    ruby->AppendChild(new CEditRubyBase());
    ruby->AppendChild(new CEditRubyText());
    ruby->GetChildAt(0)->AppendChild(new CEditChar(u'字'));
    ruby->GetChildAt(0)->AppendChild(new CEditCR());
    ruby->GetChildAt(1)->AppendChild(new CEditChar(u'じ'));
    ruby->GetChildAt(1)->AppendChild(new CEditCR());
    part.AppendChild(ruby);
    auto* table = new CEditTable();
    table->Create(2, 3);
    part.AppendChild(table);
    part.AppendChild(new CEditCR());

    CFoBlockContainer container;
    XML_BUILD_CONTEXT context;
    BuildXmlTree(&part, &container, &context);
    ASSERT_EQ(container.GetChildCount(), 1);
    CQNXMLNode* block = container.GetChildAt(0);
    ASSERT_EQ(block->GetChildCount(), 5);

    CQNXMLNode* seven = block->GetChildAt(0);
    EXPECT_EQ(seven->m_idClass, XCC_KANA);
    ASSERT_EQ(seven->GetChildCount(), 3);
    EXPECT_EQ(seven->GetChildAt(1)->GetChildCount(), 5);
    EXPECT_EQ(Narrow(seven->GetChildAt(1)->GetChildAt(1)->GetText()), "学");
    EXPECT_EQ(dynamic_cast<CFoInline*>(seven->GetChildAt(1)->GetChildAt(2))->m_scriptPosition, 2);
    EXPECT_EQ(dynamic_cast<CFoInline*>(seven->GetChildAt(1)->GetChildAt(3))->m_scriptPosition, 1);
    CQNXMLNode* five = block->GetChildAt(1);
    EXPECT_EQ(five->m_idClass, XCC_KANB);
    EXPECT_EQ(five->GetChildAt(1)->GetChildCount(), 4);

    CQNXMLNode* pair = block->GetChildAt(2);
    EXPECT_EQ(pair->m_idClass, XCC_RUBY);
    ASSERT_EQ(pair->GetChildCount(), 2);
    EXPECT_EQ(Narrow(pair->GetChildAt(0)->GetChildAt(0)->GetText()), "じ");
    EXPECT_EQ(Narrow(pair->GetChildAt(1)->GetChildAt(0)->GetText()), "字");

    CQNXMLNode* holder = block->GetChildAt(3);
    EXPECT_EQ(holder->m_idClass, 0);
    CQNXMLNode* body = holder->GetChildAt(0)->GetChildAt(0)->GetChildAt(0);
    ASSERT_EQ(body->m_typeCode, XEC_FO_TABLE_BODY);
    ASSERT_EQ(body->GetChildCount(), 2);
    EXPECT_EQ(body->GetChildAt(1)->GetChildCount(), 3);
    EXPECT_EQ(dynamic_cast<CFoTableCell*>(body->GetChildAt(1)->GetChildAt(2))->m_borderStyle, table->BorderRecord().m_borderStyle);
}

}  // namespace

#include "math/formula.h"
#include "math/math_char.h"

namespace {

int Depth(CQNXMLNode* node, int kind)
{
    int deepest = 0;
    for (int i = 0; i < node->GetChildCount(); ++i)
        deepest = std::max(deepest, Depth(node->GetChildAt(i), kind));
    return deepest + (node->m_typeCode == kind ? 1 : 0);
}

TEST(InlineNodes, AFormulaInAnInTextAnswerKeepsItsDepth)
{
    RegisterPaperFaces();
    CEditPrint root;
    auto* part = new CEditSentence();
    part->m_questionNumber = 1;
    part->m_partKind = PART_QUESTION;
    auto* answer = new CEditCyukai();
    auto* formula = new CEditMath();
    formula->AppendChild(new CEditMathChar(CStringW(u"x")));
    formula->AppendChild(new CEditMathCR());
    answer->AppendChild(formula);
    answer->AppendChild(new CEditCR());
    part->AppendChild(answer);
    part->AppendChild(new CEditCR());
    root.AppendChild(part);
    TempFolder folder;
    CEditPrint* paper = &root;
    CEditPrint reloaded[2];
    for (CEditPrint& next : reloaded) {
        ASSERT_TRUE(SavePrintFile(paper, folder.File("paper.xml")));
        ASSERT_TRUE(LoadXmlFile(&next, folder.File("paper.xml")));
        CQNXMLNode* read = next.GetEditChild(0)->FindDescendantOfType(EditKind::Code(EditKind::kCyukai));
        ASSERT_NE(read, nullptr);
        EXPECT_NE(read->FindDescendantOfType(EditKind::Code(EditKind::kMath)), nullptr);
        EXPECT_EQ(Depth(read, EditKind::Code(EditKind::kMathCyukai)), 0);
        EXPECT_EQ(TextOf(read), TextOf(answer));
        paper = &next;
    }
}

}  // namespace

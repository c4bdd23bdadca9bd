// The Word and Ichitaro exports against a recording automation server: the calls the drivers
// make in each command-line mode, their failures and exit codes, the keyboard option of
// Ichitaro, and the commands' file dialog with the file-in-use choice.
#include "editor/sorel_doc.h"
#include "editor/word_export.h"

#include "fake_print_files.h"
#include "shell_answers.h"

#include "editor/command_line.h"
#include "export/automation_wrappers.h"
#include "export/taro_writer.h"
#include "export/word_writer.h"
#include "nodes/edit_print.h"
#include "platform/utf8.h"
#include "tests/support/recording_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class ExportHost : public CSorelDocHost {
public:
    int GetCommandLineMode() const override { return mode; }
    void SetExitCode(int code) override { exitCode = code; }
    void BeginWaitCursor() override { ++waits; }
    void EndWaitCursor() override { --waits; }
    int FileInUseDialog(const std::u16string& caption) override
    {
        inUseCaptions.push_back(caption);
        if (inUseAnswers.empty())
            return IDCANCEL;
        const int answer = inUseAnswers.front();
        inUseAnswers.pop_front();
        return answer;
    }

    int mode = 0;
    int exitCode = 0;
    int waits = 0;
    std::deque<int> inUseAnswers;
    std::vector<std::u16string> inUseCaptions;
};

// Test writers that type one paragraph into the new document.
class TypingWriters {
public:
    TypingWriters()
    {
        m_former = WordProcessorWriters();
        WordProcessorWriters().word = [](CEditPrint&, CWordDispatch& document, XML_BUILD_CONTEXT&, IConvertProgress&) {
            document.InvokeHelper(document.LookUp(u"TypeText"), DISPATCH_METHOD, VT_EMPTY, {VARIANT::String(u"問一")});
            document.InvokeHelper(document.LookUp(u"TypeParagraph"), DISPATCH_METHOD, VT_EMPTY, {});
        };
        WordProcessorWriters().ichitaro = [](CEditPrint&, CTaroDispatch& library, XML_BUILD_CONTEXT&, IConvertProgress&) {
            library.InvokeHelper(library.LookUp(u"Insert"), DISPATCH_METHOD, VT_VARIANT, {VARIANT::String(u"問一")});
            library.InvokeHelper(library.LookUp(u"InsertReturn"), DISPATCH_METHOD, VT_VARIANT,
                                 {VARIANT::Long(1), VARIANT::Long(0)});
        };
    }
    ~TypingWriters() { WordProcessorWriters() = m_former; }

private:
    WORD_PROCESSOR_WRITERS m_former;
};

class WordExportTest : public ::testing::Test {
protected:
    WordExportTest() : m_doc(m_files, m_host) { EXPECT_TRUE(m_doc.OnFileNew()); }
    // A server whose members hand out the objects the drivers use on, with the keyboard option on.
    static std::shared_ptr<CRecordingServer> NewServer()
    {
        auto server = std::make_shared<CRecordingServer>();
        for (const char* member : {"Documents", "Add", "TaroLibrary", "GetOptionEnvironment"})
            server->ReturnsObject(member);
        server->Returns("Item", VARIANT::Long(1));
        return server;
    }
    ~WordExportTest() override
    {
        EXPECT_EQ(m_host.waits, 0);
        EXPECT_EQ(m_server->LiveObjects(), 0) << "an automation object was not released";
    }
    std::string Path(const std::string& name) const { return m_dir.path().toStdString() + "/" + name; }
    std::unique_ptr<CAutomationRegistration> Register(const char* progId)
    {
        return std::make_unique<CAutomationRegistration>(progId, m_server->Factory());
    }

    QTemporaryDir m_dir;
    FakePrintFiles m_files;
    ExportHost m_host;
    ShellAnswers m_shell;
    CSorelDoc m_doc;
    std::shared_ptr<CRecordingServer> m_server = NewServer();
};

using Lines = std::vector<std::string>;

TEST_F(WordExportTest, EachCommandLineModeMakesTheWordProcessorsCallSequence)
{
    TypingWriters writers;
    const std::string missing10 =
        "&missing, &missing, &missing, &missing, &missing, &missing, &missing, &missing, &missing, &missing";
    const Lines wordStart = {"1.Visible put(false)", "1.Documents get()", "2.Add call(&missing, &missing)",
                             "3.TypeText call(\"問一\")", "3.TypeParagraph call()"};
    const Lines taroStart = {"1.Visible put(false)",
                             "1.TaroLibrary get()",
                             "2.WarningMode call(false)",
                             "2.NewDocument call()",
                             "1.Visible put(false)",
                             "2.GetOptionEnvironment call()",
                             "3.Item get(\"JW型ｷｰ割付\")",
                             "3.Item put(\"JW型ｷｰ割付\", 0)",
                             "2.OptionEnvironment call(#3)",
                             "2.Insert call(\"問一\")",
                             "2.InsertReturn call(1, 0)"};
    struct Case {
        int mode;
        Lines tail;
    };
    const std::string out = Path("out");
    const Case cases[] = {
        {CommandLineMode::kWord,
         {"3.SaveAs call(&\"" + out + "\", " + missing10 + ")", "1.Visible put(true)", "1.WindowState put(1)"}},
        {CommandLineMode::kWordQuit,
         {"3.SaveAs call(&\"" + out + "\", " + missing10 + ")", "1.Quit call(&missing, &missing, &missing)"}},
        {CommandLineMode::kTaro,
         {"2.SaveDocument call(\"" + out + "\")", "3.Item put(\"JW型ｷｰ割付\", 1)", "2.OptionEnvironment call(#3)",
          "2.WarningMode call(true)", "1.Visible put(true)", "1.WindowState put(1)"}},
        {CommandLineMode::kTaroQuit,
         {"2.SaveDocument call(\"" + out + "\")", "3.Item put(\"JW型ｷｰ割付\", 1)", "2.OptionEnvironment call(#3)",
          "1.Quit call(3)"}},
    };
    for (const Case& c : cases) {
        const bool word = (c.mode & CommandLineMode::kWord) != 0;
        m_server = NewServer();
        auto registration = Register(word ? kWordProgId : kIchitaroProgId);
        m_host.mode = c.mode;
        EXPECT_TRUE(word ? m_doc.ExportWord(out) : m_doc.ExportIchitaro(out)) << c.mode;
        Lines expected = word ? wordStart : taroStart;
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(m_server->Transcript(), expected) << c.mode;
        EXPECT_EQ(m_host.exitCode, 0);
        EXPECT_TRUE(m_shell.requests.empty());
    }
}

TEST_F(WordExportTest, WithoutAServerTheCommandsAreDisabledAndTheStartFailureIsReported)
{
    EXPECT_FALSE(m_doc.OnUpdateSaveWord());
    EXPECT_FALSE(m_doc.OnUpdateSaveIchitaro());
    {
        auto registration = Register(kWordProgId);
        EXPECT_TRUE(m_doc.OnUpdateSaveWord());
        EXPECT_FALSE(m_doc.OnUpdateSaveIchitaro());
    }
    // Interactively the message is a box captioned with the application title.
    EXPECT_FALSE(m_doc.ExportWord(Path("a.doc")));
    EXPECT_FALSE(m_doc.ExportIchitaro(Path("a.jtd")));
    ASSERT_EQ(m_shell.requests.size(), 2u);
    EXPECT_EQ(m_shell.requests[0].text, u"ワードが起動できません。");
    EXPECT_EQ(m_shell.requests[1].text, u"一太郎が起動できません。");
    EXPECT_EQ(m_shell.requests[0].caption, u"Lumetra　生物 - 問題作成エディタ");
    EXPECT_EQ(m_shell.requests[0].style, MB_OK | MB_ICONEXCLAMATION);
    // A command-line run waits on no box: the text goes to the error stream.
    m_host.mode = CommandLineMode::kWordQuit;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(m_doc.ExportWord(Path("a.doc")));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("ワードが起動できません。"), std::string::npos) << errors;
    EXPECT_EQ(m_shell.requests.size(), 2u);
    EXPECT_FALSE(fs::exists(Path("a.doc")));
}

TEST_F(WordExportTest, AFailedExportSetsItsExitCodeAndSavesNothing)
{
    struct Case {
        const char* name;
        bool word;
        bool writer;           // the document writer is there
        const char* failing;   // the call the server fails, with a description
        bool box;              // the description is shown
    };
    const Case cases[] = {
        {"word without writer", true, false, nullptr, false},
        {"ichitaro without writer", false, false, nullptr, false},
        {"word save refused", true, true, "SaveAs", true},
        {"ichitaro save refused", false, true, "SaveDocument", true},
        {"word document refused", true, true, "Add", true},
        {"ichitaro library refused", false, true, "TaroLibrary", true},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TypingWriters> writers;
        const WORD_PROCESSOR_WRITERS former = WordProcessorWriters();
        if (c.writer)
            writers = std::make_unique<TypingWriters>();
        else
            WordProcessorWriters() = WORD_PROCESSOR_WRITERS();
        auto server = NewServer();
        if (c.failing)
            server->Fails(c.failing, u"保存できません。");
        CAutomationRegistration registration(c.word ? kWordProgId : kIchitaroProgId, server->Factory());
        m_host.exitCode = 0;
        m_shell.requests.clear();
        const std::string out = Path("out");
        EXPECT_FALSE(c.word ? m_doc.ExportWord(out) : m_doc.ExportIchitaro(out)) << c.name;
        EXPECT_EQ(m_host.exitCode, c.word ? 10 : 20) << c.name;
        EXPECT_EQ(m_shell.Messages(), c.box ? std::vector<std::u16string>{u"保存できません。"}
                                            : std::vector<std::u16string>{})
            << c.name;
        bool saved = false;
        for (const std::string& line : server->Transcript())
            saved = saved || (line.find("SaveAs") != std::string::npos && !c.failing) ||
                    (line.find("SaveDocument") != std::string::npos && !c.failing);
        EXPECT_FALSE(saved) << c.name;
        // Interactively the word processor stays up for the user, also after a failure.
        EXPECT_EQ(server->Transcript().back(), "1.WindowState put(1)") << c.name;
        EXPECT_EQ(server->LiveObjects(), 0) << c.name;
        writers.reset();
        WordProcessorWriters() = former;
    }
}

TEST_F(WordExportTest, AWriterStoppedByARefusedCallFailsTheExportButWhatItWroteIsSaved)
{
    WordProcessorWriters().word = [](CEditPrint&, CWordDispatch& document, XML_BUILD_CONTEXT&, IConvertProgress&) {
        document.InvokeHelper(document.LookUp(u"TypeText"), DISPATCH_METHOD, VT_EMPTY, {VARIANT::String(u"問一")});
        document.InvokeHelper(document.LookUp(u"TypeParagraph"), DISPATCH_METHOD, VT_EMPTY, {});
    };
    struct Case {
        HRESULT status;
        std::vector<std::u16string> messages;
    } const cases[] = {{DISP_E_EXCEPTION, {u"段落を追加できません。"}}, {E_FAIL, {}}};
    for (const Case& c : cases) {
        m_server = NewServer();
        m_server->Fails("TypeParagraph", c.status == DISP_E_EXCEPTION ? u"段落を追加できません。" : u"", 0, E_FAIL);
        auto registration = Register(kWordProgId);
        m_host.exitCode = 0;
        m_shell.requests.clear();
        EXPECT_FALSE(m_doc.ExportWord(Path("out.doc")));
        EXPECT_EQ(m_host.exitCode, 10);
        EXPECT_EQ(m_shell.Messages(), c.messages);
        const Lines transcript = m_server->Transcript();
        ASSERT_GE(transcript.size(), 5u);
        EXPECT_EQ(transcript[3], "3.TypeText call(\"問一\")");
        EXPECT_EQ(transcript[4], "3.TypeParagraph call()");
        EXPECT_EQ(transcript[5].rfind("3.SaveAs call(", 0), 0u) << transcript[5];
    }
    WordProcessorWriters() = WORD_PROCESSOR_WRITERS{ExportWordDocument, ExportIchitaroDocument};
}

TEST_F(WordExportTest, AnIchitaroWriterStoppedByARefusedCallFailsTheExportButItsTextIsSavedAndTheOptionRestored)
{
    TypingWriters writers;
    struct Case {
        HRESULT status;
        std::vector<std::u16string> messages;
    } const cases[] = {{DISP_E_EXCEPTION, {u"改行できません。"}}, {E_FAIL, {}}};
    for (const Case& c : cases) {
        m_server = NewServer();
        m_server->Fails("InsertReturn", c.status == DISP_E_EXCEPTION ? u"改行できません。" : u"", 0, E_FAIL);
        auto registration = Register(kIchitaroProgId);
        m_host.exitCode = 0;
        m_host.mode = CommandLineMode::kTaroQuit;
        m_shell.requests.clear();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(m_doc.ExportIchitaro(Path("out.jtd")));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m_host.exitCode, 20);
        for (const std::u16string& message : c.messages)
            EXPECT_NE(errors.find(Utf16ToUtf8(message)), std::string::npos) << errors;
        const Lines transcript = m_server->Transcript();
        const Lines tail = {"2.Insert call(\"問一\")", "2.InsertReturn call(1, 0)",
                            "2.SaveDocument call(\"" + Path("out.jtd") + "\")", "3.Item put(\"JW型ｷｰ割付\", 1)",
                            "2.OptionEnvironment call(#3)", "1.Quit call(3)"};
        ASSERT_GE(transcript.size(), tail.size());
        EXPECT_EQ(Lines(transcript.end() - static_cast<long>(tail.size()), transcript.end()), tail);
    }
}

TEST_F(WordExportTest, TheKeyboardOptionIsRestoredAfterAFailedWrite)
{
    const WORD_PROCESSOR_WRITERS former = WordProcessorWriters();
    WordProcessorWriters().ichitaro = [](CEditPrint&, CTaroDispatch&, XML_BUILD_CONTEXT&, IConvertProgress&) {
        throw COleException(E_FAIL);
    };
    auto registration = Register(kIchitaroProgId);
    m_server->Returns("Item", VARIANT::Long(2));
    m_host.mode = CommandLineMode::kTaroQuit;
    EXPECT_FALSE(m_doc.ExportIchitaro(Path("out.jtd")));
    WordProcessorWriters() = former;
    EXPECT_EQ(m_host.exitCode, 20);
    const Lines transcript = m_server->Transcript();
    const Lines expectedTail = {"3.Item put(\"JW型ｷｰ割付\", 2)", "2.OptionEnvironment call(#3)", "1.Quit call(3)"};
    ASSERT_GE(transcript.size(), expectedTail.size());
    EXPECT_EQ(Lines(transcript.end() - 3, transcript.end()), expectedTail);
}

TEST_F(WordExportTest, AnOptionThatIsOffOrOfTheWrongTypeIsLeftAlone)
{
    TypingWriters writers;
    auto registration = Register(kIchitaroProgId);
    for (VARIANT value : {VARIANT::Long(0), VARIANT::String(u"x")}) {
        m_server->Returns("Item", value);
        m_server->ClearTranscript();
        m_host.mode = CommandLineMode::kTaroQuit;
        EXPECT_TRUE(m_doc.ExportIchitaro(Path("out.jtd")));
        int puts = 0;
        for (const std::string& line : m_server->Transcript())
            puts += line.find("Item put") != std::string::npos ? 1 : 0;
        EXPECT_EQ(puts, 0);
    }
}

TEST_F(WordExportTest, TheCommandProposesTheDocumentsNameAndAsksAgainOnRename)
{
    TypingWriters writers;
    auto registration = Register(kWordProgId);
    // A target that cannot be opened for writing counts as in use.
    const std::string busy = Path("busy.doc");
    fs::create_directory(busy);
    ASSERT_TRUE(IsFileInUse(busy));
    EXPECT_FALSE(IsFileInUse(Path("missing.doc"))) << "a file that is not there is not in use";

    struct Case {
        const char* name;
        std::vector<int> inUse;   // the answers of the in-use choice
        int dialogs;              // file dialogs shown
        std::string exportedTo;   // empty: no export
    };
    const std::string free = Path("free.doc");
    const Case cases[] = {
        {"retry", {kFileInUseRetry}, 1, busy},
        {"rename", {kFileInUseRename}, 2, free},
        {"cancel", {IDCANCEL}, 1, ""},
    };
    for (const Case& c : cases) {
        m_server->ClearTranscript();
        m_shell.requests.clear();
        m_host.inUseAnswers.assign(c.inUse.begin(), c.inUse.end());
        m_host.inUseCaptions.clear();
        m_shell.ChooseFile(busy);
        if (c.dialogs == 2)
            m_shell.ChooseFile(free);
        m_doc.OnFileSaveWord();
        int dialogs = 0;
        for (const SHELL_REQUEST& request : m_shell.requests)
            dialogs += request.kind == ShellRequestKind::SaveFile ? 1 : 0;
        EXPECT_EQ(dialogs, c.dialogs) << c.name;
        EXPECT_EQ(m_host.inUseCaptions, std::vector<std::u16string>{u"Lumetra　生物 - 問題作成エディタ"}) << c.name;
        std::string savedTo;
        for (const std::string& line : m_server->Transcript())
            if (line.find("SaveAs") != std::string::npos)
                savedTo = line.substr(line.find('"') + 1, line.find('"', line.find('"') + 1) - line.find('"') - 1);
        EXPECT_EQ(savedTo, c.exportedTo) << c.name;
        if (c.dialogs == 2) {
            EXPECT_EQ(m_shell.requests[1].file, busy) << "the dialog comes back with the name chosen";
        }
    }

    // The first dialog: the export's title and filter, the paper's name with the new extension.
    m_shell.requests.clear();
    m_doc.SetPathName(Path("paper.v2.qns"), false);
    m_doc.OnFileSaveIchitaro();
    ASSERT_EQ(m_shell.requests.size(), 1u);
    const SHELL_REQUEST& dialog = m_shell.requests[0];
    EXPECT_EQ(dialog.title, u"一太郎形式で保存");
    EXPECT_EQ(dialog.file, Path("paper.v2.jtd"));
    EXPECT_EQ(dialog.defaultExtension, "jtd");
    ASSERT_EQ(dialog.filters.size(), 2u);
    EXPECT_EQ(dialog.filters[0].label, u"一太郎ファイル(*.jtd)");
    EXPECT_EQ(dialog.filters[0].pattern, "*.jtd");
    EXPECT_EQ(dialog.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST);
}

TEST_F(WordExportTest, APaperInColumnsWithNameFieldsIsWarnedAboutAndStillExported)
{
    TypingWriters writers;
    auto registration = Register(kWordProgId);
    CEditPrint* root = m_doc.GetRoot();
    root->m_geometry.columnCount = 2;
    ASSERT_TRUE(root->SetPageFlagged(1, true));
    m_shell.Answer(IDOK);
    m_shell.ChooseFile(Path("two.doc"));
    m_doc.OnFileSaveWord();
    ASSERT_GE(m_shell.requests.size(), 2u);
    EXPECT_EQ(m_shell.requests[0].text, u"２段組が設定されたデータを変換する場合、記名欄のデータは損なわれます。");
    EXPECT_EQ(m_shell.requests[0].style, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(m_shell.requests[1].file, "無題.docx");
    bool saved = false;
    for (const std::string& line : m_server->Transcript())
        saved = saved || line.find("SaveAs") != std::string::npos;
    EXPECT_TRUE(saved);
}

TEST_F(WordExportTest, ACommandLineRunWarnsOfLostNameFieldsOnTheErrorStream)
{
    TypingWriters writers;
    auto word = Register(kWordProgId);
    auto ichitaro = Register(kIchitaroProgId);
    CEditPrint* root = m_doc.GetRoot();
    root->m_geometry.columnCount = 2;
    ASSERT_TRUE(root->SetPageFlagged(1, true));
    for (int mode : {CommandLineMode::kWordQuit, CommandLineMode::kTaroQuit, 0}) {
        m_host.mode = mode;
        m_shell.requests.clear();
        testing::internal::CaptureStderr();
        EXPECT_TRUE(mode == CommandLineMode::kTaroQuit ? m_doc.ExportIchitaro(Path("two.jtd"))
                                                       : m_doc.ExportWord(Path("two.doc")));
        const std::string errors = testing::internal::GetCapturedStderr();
        const bool warned = errors.find("２段組が設定されたデータを変換する場合、記名欄のデータは損なわれます。") !=
                            std::string::npos;
        // The interactive command warns before its file dialog, not the driver.
        EXPECT_EQ(warned, mode != 0) << errors;
        EXPECT_TRUE(m_shell.requests.empty());
    }
}

}  // namespace

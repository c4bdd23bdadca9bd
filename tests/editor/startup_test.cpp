// Start-up and exit: each command-line form gives its open, batch or error path and exit code;
// settings are written back only when they were read; the search library is found only in the
// program's folder.
#include "editor/sorel_app.h"

#include "fake_print_files.h"
#include "shell_answers.h"

#include "export/automation_wrappers.h"
#include "nodes/edit_print.h"
#include "tests/support/recording_server.h"
#include "platform/profile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class RecordingWindows : public CSorelAppWindows {
public:
    void ShowSplash() override { calls.push_back("splash"); }
    void DestroySplash() override { calls.push_back("destroy splash"); }
    bool CreateMainFrame() override
    {
        calls.push_back("create frame");
        return frameCreates;
    }
    void ShowMainFrame(int show) override { calls.push_back("show " + std::to_string(show)); }
    void PostToMainFrame(unsigned message) override { posted.push_back(message); }
    void SetFrameTitle(const std::u16string& title) override { this->title = title; }

    bool frameCreates = true;
    std::u16string title;
    std::vector<std::string> calls;
    std::vector<unsigned> posted;
};

class StartupTest : public ::testing::Test {
protected:
    StartupTest()
    {
        CClassRegistry::UseFile(Path("classes.ini"));
        m_environment.programPath = Path("bin/Tarsel");
        m_environment.profilePath = Path("Tarsel.ini");
        fs::create_directories(Path("bin"));
    }
    ~StartupTest() override { CClassRegistry::UseFile(""); }

    std::string Path(const std::string& name) const { return m_dir.path().toStdString() + "/" + name; }
    std::string Paper(const std::string& name)
    {
        WriteWholeFile(Path(name), "QNPRINT\npaper\n\n");
        return Path(name);
    }
    bool Has(const std::string& call) const
    {
        return std::find(m_windows.calls.begin(), m_windows.calls.end(), call) != m_windows.calls.end();
    }

    QTemporaryDir m_dir;
    SOREL_APP_ENVIRONMENT m_environment;
    FakePrintFiles m_files;
    RecordingWindows m_windows;
    ShellAnswers m_shell;
};

}  // namespace

TEST(CommandLine, SwitchesAndFilesFromATable)
{
    struct Case {
        std::vector<std::string> parameters;
        int mode;
        const char* file;
        const char* word;
        const char* taro;
        const char* page = "";  // the HTML or text output
    } const cases[] = {
        {{}, 0, "", "", ""},
        {{"/home/t/a.qns"}, 0, "/home/t/a.qns", "", ""},
        {{"/k1", "a.qns"}, 1, "a.qns", "", ""},
        {{"-k1", "a.qns"}, 1, "a.qns", "", ""},
        {{"/w", "in.qns", "out.doc"}, 2, "in.qns", "out.doc", ""},
        {{"-wq", "in.qns", "out.doc"}, 10, "in.qns", "out.doc", ""},
        {{"/t", "in.qns", "out.jtd"}, 4, "in.qns", "", "out.jtd"},
        {{"/tq", "in.qns", "out.jtd"}, 12, "in.qns", "", "out.jtd"},
        {{"in.qns", "/w", "out.doc"}, 2, "in.qns", "", ""},    // the switch resets the counter
        {{"/W", "in.qns", "out.doc"}, 0, "/W", "", ""},         // case-sensitive: a file name
        {{"/w", "/t", "in.qns", "out"}, 4, "in.qns", "", "out"},  // the last switch wins
        {{"/w", "in.qns", "out.doc", "extra"}, 2, "in.qns", "out.doc", ""},
        {{"-x", "a"}, 0, "-x", "", ""},
        {{"-html", "in.qns", "out.htm"}, 16, "in.qns", "", "", "out.htm"},
        {{"/text", "in.qns", "out.txt"}, 32, "in.qns", "", "", "out.txt"},
        {{"-HTML", "a"}, 0, "-HTML", "", ""},
    };
    for (const Case& c : cases) {
        CSorelCommandLineInfo info;
        info.ParseCommandLine(c.parameters);
        const std::string label = c.parameters.empty() ? "(none)" : c.parameters[0];
        EXPECT_EQ(info.mode, c.mode) << label;
        EXPECT_EQ(info.fileName, c.file) << label;
        EXPECT_EQ(info.shellCommand, *c.file ? CSorelCommandLineInfo::FileOpen : CSorelCommandLineInfo::FileNew) << label;
        EXPECT_EQ(info.wordOutput, c.word) << label;
        EXPECT_EQ(info.taroOutput, c.taro) << label;
        EXPECT_EQ(info.htmlOutput + info.textOutput, c.page) << label;
    }
}

TEST_F(StartupTest, WithoutParametersANewPaperIsShown)
{
    CSorelApp app(m_files, m_windows, m_environment);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(m_windows.calls, (std::vector<std::string>{"splash", "create frame", "show 1", "destroy splash"}));
    EXPECT_TRUE(m_windows.posted.empty());
    EXPECT_EQ(app.GetDocument()->GetTitle(), u"無題");
    // The frame shows the paper's name before the application title.
    EXPECT_EQ(m_windows.title, u"無題 - Lumetra　生物 - 問題作成エディタ");
    EXPECT_EQ(app.HelpFilePath(), Path("bin/Tarsel.CHM"));
    // No search library beside the program: said by a notice that start-up does not wait on.
    EXPECT_EQ(m_shell.Messages(), std::vector<std::u16string>{u"再検索用ＤＬＬが見つかりません。"});
    EXPECT_TRUE(m_shell.requests.at(0).modeless);
    EXPECT_EQ(app.ExitInstance(), 0);

    // The registrations and the settings were written.
    std::string value;
    EXPECT_TRUE(CClassRegistry::Instance().QueryValue(".qns", "", &value));
    CProfile profile(m_environment.profilePath);
    EXPECT_EQ(profile.GetProfileInt("Options", "WritingMode", -1), 0);
    EXPECT_EQ(profile.GetProfileInt("Settings", "Zoom", -1), 100);
}

TEST_F(StartupTest, TheMaximizedSettingMaximizesTheWindow)
{
    {
        CProfile profile(m_environment.profilePath);
        profile.WriteProfileInt("Options", "Maximized", 1);
    }
    CSorelApp app(m_files, m_windows, m_environment);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_TRUE(Has("show 3"));
    app.ExitInstance();
}

TEST_F(StartupTest, K1OpensAnUntitledModifiedCopyAndDeletesTheFile)
{
    const std::string paper = Paper("handed.qnp");
    CSorelApp app(m_files, m_windows, m_environment);
    ASSERT_TRUE(app.InitInstance({"-k1", paper}));
    CSorelDoc* doc = app.GetDocument();
    EXPECT_EQ(doc->GetTitle(), u"無題");
    EXPECT_EQ(m_windows.title, u"無題 - Lumetra　生物 - 問題作成エディタ");
    EXPECT_TRUE(doc->GetPathName().empty());
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(app.GetCommandLineMode(), 0);
    EXPECT_EQ(app.RecentFiles().GetSize(), 0);
    EXPECT_FALSE(fs::exists(paper));
    app.ExitInstance();
}

TEST_F(StartupTest, AnOpenedPaperNamesTheFrame)
{
    const std::string paper = Paper("biology.qnp");
    CSorelApp app(m_files, m_windows, m_environment);
    ASSERT_TRUE(app.InitInstance({paper}));
    EXPECT_EQ(m_windows.title, u"biology.qnp - Lumetra　生物 - 問題作成エディタ");
    app.OnFileNew();
    EXPECT_EQ(m_windows.title, u"無題 - Lumetra　生物 - 問題作成エディタ");
    app.ExitInstance();
}

TEST_F(StartupTest, TheMissingSearchLibraryIsReportedOncePerInstallation)
{
    // An export run reports it only on the error stream and does not count as telling the user.
    {
        RecordingWindows windows;
        CSorelApp app(m_files, windows, m_environment);
        ASSERT_TRUE(app.InitInstance({"/w", Paper("in.qnp"), Path("out.doc")}));
        app.ExitInstance();
    }
    for (int start = 0; start < 3; ++start) {
        RecordingWindows windows;
        CSorelApp app(m_files, windows, m_environment);
        ASSERT_TRUE(app.InitInstance({}));
        app.ExitInstance();
    }
    EXPECT_EQ(m_shell.Messages(),
              (std::vector<std::u16string>{u"再検索用ＤＬＬが見つかりません。", u"再検索用ＤＬＬが見つかりません。"}));
}

TEST_F(StartupTest, ExportRunsStayHiddenAndPostTheirMessage)
{
    struct Case {
        const char* sw;
        unsigned message;
    } const cases[] = {{"/w", WM_BATCH_WORD}, {"/wq", WM_BATCH_WORD}, {"-t", WM_BATCH_TARO}, {"/tq", WM_BATCH_TARO}};
    for (const Case& c : cases) {
        RecordingWindows windows;
        CSorelApp app(m_files, windows, m_environment);
        ASSERT_TRUE(app.InitInstance({c.sw, Paper("in.qnp"), Path("out.doc")})) << c.sw;
        EXPECT_EQ(windows.calls, (std::vector<std::string>{"create frame", "show 0", "destroy splash"})) << c.sw;
        EXPECT_EQ(windows.posted, std::vector<unsigned>{c.message}) << c.sw;
        EXPECT_TRUE(fs::exists(Path("in.qnp")));
        app.ExitInstance();
    }
}

TEST_F(StartupTest, AFailedExportEndsWithItsCodeAndASuccessfulOneWithZero)
{
    struct Case {
        const char* sw;
        unsigned message;
        bool serverAndWriter;
        int exitCode;
        const char* reported;  // on the error stream
    } const cases[] = {
        {"/w", WM_BATCH_WORD, false, 10, "ワードが起動できません。"},
        {"/wq", WM_BATCH_WORD, false, 10, "ワードが起動できません。"},
        {"/t", WM_BATCH_TARO, false, 20, "一太郎が起動できません。"},
        {"/tq", WM_BATCH_TARO, false, 20, "一太郎が起動できません。"},
        {"/wq", WM_BATCH_WORD, true, 0, ""},
    };
    for (const Case& c : cases) {
        auto server = std::make_shared<CRecordingServer>();
        server->ReturnsObject("Documents");
        server->ReturnsObject("Add");
        std::unique_ptr<CAutomationRegistration> registration;
        const WORD_PROCESSOR_WRITERS formerWriters = WordProcessorWriters();
        if (c.serverAndWriter) {
            registration = std::make_unique<CAutomationRegistration>(kWordProgId, server->Factory());
            WordProcessorWriters().word = [](CEditPrint&, CWordDispatch&, XML_BUILD_CONTEXT&, IConvertProgress&) {};
        } else {
            // A Word that cannot be started, in place of the program's own server.
            registration = std::make_unique<CAutomationRegistration>(kWordProgId,
                                                                     [] { return std::shared_ptr<IDispatch>(); });
        }
        RecordingWindows windows;
        CSorelApp app(m_files, windows, m_environment);
        ASSERT_TRUE(app.InitInstance({c.sw, Paper("in.qnp"), Path("out")}));
        EXPECT_TRUE(app.WordInstalled());
        EXPECT_FALSE(app.TaroInstalled());
        testing::internal::CaptureStderr();
        app.RunBatchExport(c.message);
        const std::string errors = testing::internal::GetCapturedStderr();
        WordProcessorWriters() = formerWriters;
        EXPECT_EQ(app.ExitInstance(), c.exitCode) << c.sw;
        EXPECT_EQ(errors.empty(), c.exitCode == 0) << errors;
        EXPECT_NE(errors.find(c.reported), std::string::npos) << errors;
        if (c.serverAndWriter) {
            const std::vector<std::string> calls = server->Transcript();
            ASSERT_GE(calls.size(), 2u);
            EXPECT_EQ(calls[calls.size() - 2].find("3.SaveAs call(&\"" + Path("out") + "\""), 0u) << calls[calls.size() - 2];
            EXPECT_EQ(calls.back(), "1.Quit call(&missing, &missing, &missing)");
        }
    }
}

TEST_F(StartupTest, HtmlAndTextRunsExportWithoutWindowAndTheExitCodeSaysWhetherTheyDid)
{
    struct Case {
        std::vector<std::string> parameters;
        unsigned message;
        const char* exported;  // what the print-file access was asked for, or empty
        int exitCode;
    } const cases[] = {
        {{"-html", Paper("in.qnp"), Path("out.htm")}, WM_BATCH_HTML, "html:", 0},
        {{"/text", Paper("in.qnp"), Path("out.txt")}, WM_BATCH_TEXT, "text:", 0},
        {{"-html", Paper("in.qnp")}, WM_BATCH_HTML, "", kExitHtmlFailed},  // no output named
        {{"-text", Paper("in.qnp")}, WM_BATCH_TEXT, "", kExitTextFailed},
    };
    for (const Case& c : cases) {
        RecordingWindows windows;
        FakePrintFiles files;
        CSorelApp app(files, windows, m_environment);
        ASSERT_TRUE(app.InitInstance(c.parameters));
        EXPECT_EQ(windows.posted, std::vector<unsigned>{c.message});
        EXPECT_EQ(windows.calls, (std::vector<std::string>{"create frame", "show 0", "destroy splash"}));
        testing::internal::CaptureStderr();
        app.RunBatchExport(c.message);
        const std::string errors = testing::internal::GetCapturedStderr();
        const std::string expected = *c.exported ? c.exported + c.parameters[2] : std::string();
        EXPECT_EQ(files.exported.empty() ? std::string() : files.exported.back(), expected);
        EXPECT_EQ(app.ExitInstance(), c.exitCode) << c.parameters[0];
        EXPECT_EQ(errors.empty(), c.exitCode == 0) << errors;
    }
}

TEST_F(StartupTest, AnInputThatCannotBeOpenedEndsTheRunWithAnError)
{
    WriteWholeFile(Path("broken.qnp"), "not a paper");
    for (const std::vector<std::string>& parameters :
         {std::vector<std::string>{Path("missing.qnp")}, std::vector<std::string>{"/w", Path("broken.qnp"), "o"},
          std::vector<std::string>{"-k1", Path("broken.qnp")}}) {
        RecordingWindows windows;
        CSorelApp app(m_files, windows, m_environment);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(app.InitInstance(parameters));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find("could not be opened"), std::string::npos) << parameters[0];
        EXPECT_TRUE(windows.posted.empty());
        EXPECT_EQ(app.ExitInstance(), kExitStartFailed);
    }
    EXPECT_TRUE(fs::exists(Path("broken.qnp")));  // "k1" keeps a file it could not read
}

TEST_F(StartupTest, SettingsAreSavedOnlyWhenTheyWereLoaded)
{
    CSorelApp app(m_files, m_windows, m_environment);
    EXPECT_EQ(app.ExitInstance(), kExitStartFailed);
    EXPECT_FALSE(fs::exists(m_environment.profilePath));
}

TEST_F(StartupTest, AMissingRecentFileIsReportedAndDropped)
{
    CSorelApp app(m_files, m_windows, m_environment);
    ASSERT_TRUE(app.InitInstance({}));
    app.RecentFiles().Add(Paper("kept.qnp"));
    app.RecentFiles().Add(Path("gone.qnp"));
    app.OnOpenRecentFile(0);
    EXPECT_EQ(m_shell.Messages().back(), u"ファイルが見つかりません。");
    ASSERT_EQ(app.RecentFiles().GetSize(), 1);
    EXPECT_EQ(app.RecentFiles().GetAt(0), Path("kept.qnp"));
    app.OnOpenRecentFile(0);
    EXPECT_EQ(app.GetDocument()->GetPathName(), Path("kept.qnp"));
    app.ExitInstance();

    CRecentFileList stored;
    stored.ReadList(CProfile(m_environment.profilePath));
    EXPECT_EQ(stored.GetSize(), 1);
}

TEST_F(StartupTest, HelpCommandsMapToTheHelpFile)
{
    CSorelApp app(m_files, m_windows, m_environment);
    ASSERT_TRUE(app.InitInstance({}));
    const std::pair<unsigned, unsigned> cases[] = {
        {HELP_CONTENTS, HH_DISPLAY_TOC}, {HELP_HELPONHELP, HH_DISPLAY_SEARCH},
        {HELP_FINDER, HH_DISPLAY_INDEX}, {HELP_CONTEXT, HH_DISPLAY_TOPIC}};
    for (const auto& [command, expected] : cases) {
        app.WinHelp(57666, command);
        ASSERT_EQ(m_shell.requests.back().kind, ShellRequestKind::Help);
        EXPECT_EQ(m_shell.requests.back().helpCommand, expected);
        EXPECT_EQ(m_shell.requests.back().helpFile, Path("bin/Tarsel.CHM"));
    }
    app.ExitInstance();
}

TEST_F(StartupTest, TheSearchLibraryIsFoundOnlyInTheProgramFolder)
{
    // Beside the program: the first of the three entries it exports is the only one kept.
    fs::copy_file(QN_FAKE_SEARCH_LIBRARY, Path("bin/Zovivuva.dll"));
    {
        CSorelApp app(m_files, m_windows, m_environment);
        ASSERT_TRUE(app.InitInstance({}));
        EXPECT_TRUE(m_shell.Messages().empty());
        EXPECT_NE(app.SearchProc20(), nullptr);
        EXPECT_EQ(app.SearchProc2(), nullptr);
        EXPECT_EQ(app.SearchProc(), nullptr);
        app.ExitInstance();
        EXPECT_EQ(app.SearchProc20(), nullptr);
    }
    // In the working folder only: not looked at.
    fs::create_directories(Path("other"));
    m_environment.programPath = Path("other/Tarsel");
    const fs::path former = fs::current_path();
    fs::current_path(Path("bin"));
    CSorelApp app(m_files, m_windows, m_environment);
    ASSERT_TRUE(app.InitInstance({}));
    fs::current_path(former);
    EXPECT_EQ(app.SearchProc20(), nullptr);
    EXPECT_EQ(m_shell.Messages().back(), u"再検索用ＤＬＬが見つかりません。");
    app.ExitInstance();
}

TEST_F(StartupTest, AFrameThatCannotBeCreatedEndsTheStart)
{
    m_windows.frameCreates = false;
    CSorelApp app(m_files, m_windows, m_environment);
    EXPECT_FALSE(app.InitInstance({}));
    EXPECT_EQ(app.ExitInstance(), kExitStartFailed);
}

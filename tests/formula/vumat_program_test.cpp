// The formula editor program: each way it is started. The process starts that end at once are
// run as the program itself; the container's channel and the ".qni" file are driven in this
// process through the program's own start-up, with pipes for the channel and answers for the
// message boxes and file dialogs.
#include "formula_fixture.h"

#include "dialogs/kunten_combos.h"
#include "formula/window/format_bar.h"
#include "formula/window/main_frame.h"
#include "formula/window/view_window.h"
#include "formula/window/vumat_program.h"
#include "math/math_char.h"
#include "nodes/edit_switches.h"
#include "platform/embedding_protocol.h"
#include "platform/embedding_server.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

using namespace formulatest;
using namespace Embedding;

struct PROCESS_RESULT {
    int exitCode = -1;
    QByteArray output;
};

// Runs the program to its end with its input given by `input`.
PROCESS_RESULT RunProgram(const QStringList& arguments, const std::function<void(QProcess&)>& input)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    input(process);
    process.start(QString::fromUtf8(QN_VUMAT_PROGRAM), arguments);
    if (!process.waitForStarted(10000))
        return {};
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput()};
}

struct START_CASE {
    const char* name;
    QStringList arguments;
    bool terminalInput;  // the input is a terminal, else a pipe the test closes at once
    int exitCode;
};

class ProgramStartCase : public ::testing::TestWithParam<START_CASE> {};

TEST_P(ProgramStartCase, EndsAtOnceWithoutAWindow)
{
    const START_CASE& c = GetParam();
    int terminal = -1;
    const PROCESS_RESULT result = RunProgram(c.arguments, [&](QProcess& process) {
        if (!c.terminalInput)
            return;
        terminal = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        ASSERT_EQ(grantpt(terminal), 0);
        ASSERT_EQ(unlockpt(terminal), 0);
        process.setStandardInputFile(QString::fromLocal8Bit(ptsname(terminal)));
    });
    if (terminal >= 0)
        close(terminal);
    EXPECT_EQ(result.exitCode, c.exitCode);
    // Nothing reaches the channel: no frame, no stray print.
    EXPECT_TRUE(result.output.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    VumatProgram, ProgramStartCase,
    ::testing::Values(START_CASE{"NoArgument", {}, false, 0}, START_CASE{"Automation", {"-Automation"}, false, 0},
                      START_CASE{"EmbeddingWithoutHello", {"-Embedding"}, false, 1},
                      START_CASE{"EmbeddingOnATerminal", {"-Embedding"}, true, 1}),
    [](const ::testing::TestParamInfo<START_CASE>& info) { return std::string(info.param.name); });

// The program in this process on pipes: the test is the container.
class EmbeddedProgramTest : public FormulaDocumentTest {
protected:
    void SetUp() override
    {
        FormulaDocumentTest::SetUp();
        m_wideTextOut = UseWideTextOut;
        ASSERT_EQ(pipe(m_toProgram), 0);
        ASSERT_EQ(pipe(m_fromProgram), 0);
        fcntl(m_fromProgram[0], F_SETFL, O_NONBLOCK);
        program = std::make_unique<CVumatProgram>(std::vector<std::string>{"-Embedding"}, m_toProgram[0],
                                                  m_fromProgram[1], m_dir.filePath("Vumat.ini").toStdString());
        ASSERT_TRUE(program->Start());
    }
    void TearDown() override
    {
        program.reset();
        for (int fd : {m_toProgram[0], m_toProgram[1], m_fromProgram[0], m_fromProgram[1]})
            if (fd >= 0)
                close(fd);
        UseWideTextOut = m_wideTextOut;
        FormulaDocumentTest::TearDown();
    }

    void Send(const std::vector<uint8_t>& frame) { ASSERT_EQ(write(m_toProgram[1], frame.data(), frame.size()), ssize_t(frame.size())); }
    void CloseInput()
    {
        close(m_toProgram[1]);
        m_toProgram[1] = -1;
    }

    // The frames that arrive while Qt runs, until `count` are there or the time is up.
    std::vector<FRAME> Receive(size_t count, int timeoutMs = 10000)
    {
        QElapsedTimer timer;
        timer.start();
        while (m_frames.size() < count && timer.elapsed() < timeoutMs) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            uint8_t buffer[65536];
            ssize_t n;
            while ((n = read(m_fromProgram[0], buffer, sizeof buffer)) > 0)
                m_reader.Feed(std::span<const uint8_t>(buffer, size_t(n)));
            FRAME frame;
            while (m_reader.Next(&frame) == CFrameReader::Result::Frame)
                m_frames.push_back(frame);
        }
        return m_frames;
    }

    static std::vector<uint8_t> HelloNew()
    {
        HELLO_MESSAGE hello;
        hello.className = "Vumat.Document";
        hello.isNew = true;
        return EncodeHello(hello);
    }

    std::unique_ptr<CVumatProgram> program;

private:
    QTemporaryDir m_dir;
    int m_toProgram[2] = {-1, -1};
    int m_fromProgram[2] = {-1, -1};
    CFrameReader m_reader;
    std::vector<FRAME> m_frames;
    int m_wideTextOut = 1;
};

TEST_F(EmbeddedProgramTest, ANewObjectAnswersItsStateAndOpensItsWindowOnTheVerb)
{
    Send(HelloNew());
    std::vector<FRAME> frames = Receive(1);
    ASSERT_EQ(frames.size(), 1u);
    ASSERT_EQ(frames[0].code, kChanged);
    const auto first = DecodeState(frames[0].payload);
    ASSERT_TRUE(first.has_value());
    EXPECT_GT(first->extent.cx, 0);
    EXPECT_EQ(first->pictureKind, kSvgPicture);
    EXPECT_EQ(program->Frame(), nullptr);
    // Text goes out through code page 932 in this program.
    EXPECT_EQ(UseWideTextOut, 0);

    Send(EncodeDoVerb(kVerbOpen));
    Receive(2, 500);
    ASSERT_NE(program->Frame(), nullptr);
    EXPECT_TRUE(program->Frame()->isVisible());

    // Closing the window of an unchanged formula still gives the container its data.
    program->Frame()->close();
    frames = Receive(4);
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames[1].code, kSaved);
    EXPECT_EQ(frames.back().code, kClosed);
    const auto saved = DecodeState(frames[1].payload);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->storage, first->storage);
    EXPECT_EQ(program->Server()->GetState(), CEmbeddingServer::State::Closed);
}

TEST_F(EmbeddedProgramTest, OpeningAConvertedFormulaStopsWritingItsStoredSize)
{
    HELLO_MESSAGE hello;
    hello.className = "Vumat.Document";
    Send(EncodeHello(hello));
    Send(EncodeLoad(Bytes(Fragment(" id=\"converted1\" width=\"30mm\" height=\"10mm\"", EmptyFormulaBlock()))));
    std::vector<FRAME> frames = Receive(1);
    ASSERT_EQ(frames.size(), 1u);
    const auto loaded = DecodeState(frames[0].payload);
    ASSERT_TRUE(loaded.has_value());
    const std::string before(loaded->storage.begin(), loaded->storage.end());
    EXPECT_NE(before.find("width=\""), std::string::npos) << before;

    Send(EncodeDoVerb(kVerbPrimary));
    Receive(2, 500);
    ASSERT_NE(program->Frame(), nullptr);
    Send(EncodeClose(true));
    frames = Receive(3);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1].code, kSaved);
    EXPECT_EQ(frames[2].code, kClosed);
    const auto saved = DecodeState(frames[1].payload);
    ASSERT_TRUE(saved.has_value());
    const std::string after(saved->storage.begin(), saved->storage.end());
    EXPECT_EQ(after.find("width="), std::string::npos) << after;
    EXPECT_EQ(after.find("height="), std::string::npos) << after;
    EXPECT_EQ(program->Server()->GetState(), CEmbeddingServer::State::Closed);
}

TEST_F(EmbeddedProgramTest, AClosedPipeBeforeHelloEndsWithoutAWindow)
{
    CloseInput();
    Receive(1, 500);
    EXPECT_EQ(program->ExitCode(), VumatExit::kNoContainer);
    EXPECT_EQ(program->Frame(), nullptr);
}

TEST_F(EmbeddedProgramTest, ABrokenPipeOffersAnUndeliveredChange)
{
    Send(HelloNew());
    ASSERT_EQ(Receive(1).size(), 1u);
    Send(EncodeDoVerb(kVerbShow));
    Receive(2, 500);
    ASSERT_NE(program->Frame(), nullptr);
    // A change that no frame carried yet.
    CEditNode* formula = program->Document().GetRoot()->GetEditChild(0);
    auto character = std::make_unique<CEditMathChar>(u'y');
    ASSERT_GE(formula->InsertChildAt(formula->GetChildCount() - 1, character.get()), 0);
    character.release();
    program->Document().LayoutRoot();
    CloseInput();
    Receive(2, 1000);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find(u"保存しますか"), std::u16string::npos);
    EXPECT_EQ(program->ExitCode(), VumatExit::kOk);
}

// The program on a ".qni" file.
class FileProgramTest : public FormulaDocumentTest {
protected:
    void SetUp() override
    {
        FormulaDocumentTest::SetUp();
        m_wideTextOut = UseWideTextOut;
        SetShellHandler([this](SHELL_REQUEST& request) {
            messages.push_back(request.text);
            if (request.kind == ShellRequestKind::SaveFile) {
                request.file = copyTarget;
                return IDOK;
            }
            return answer;
        });
    }
    void TearDown() override
    {
        program.reset();
        UseWideTextOut = m_wideTextOut;
        FormulaDocumentTest::TearDown();
    }
    std::string Path(const char* name) const { return m_dir.filePath(name).toStdString(); }
    void Start(const std::string& file)
    {
        program = std::make_unique<CVumatProgram>(std::vector<std::string>{file}, 0, -1, Path("Vumat.ini"));
        ASSERT_TRUE(program->Start()) << program->ExitCode() << " " << messages.size();
    }
    static std::string Read(const std::string& path)
    {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }
    static void Write(const std::string& path, const std::string& bytes)
    {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
    }

    std::unique_ptr<CVumatProgram> program;
    std::string copyTarget;
    int answer = IDOK;

private:
    QTemporaryDir m_dir;
    int m_wideTextOut = 1;
};

TEST_F(FileProgramTest, UpdateReplacesTheFileAndTheCopyGoesElsewhere)
{
    const std::string path = Path("formula.qni");
    Write(path, Fragment(" width=\"30mm\" height=\"10mm\"", EmptyFormulaBlock()));
    Start(path);
    ASSERT_NE(program->Frame(), nullptr);
    EXPECT_TRUE(program->Frame()->isVisible());
    EXPECT_TRUE(program->Frame()->windowTitle().startsWith("formula.qni"));
    EXPECT_EQ(program->Document().m_storedWidth, 3000);

    CEditNode* formula = program->Document().GetRoot()->GetEditChild(0);
    auto character = std::make_unique<CEditMathChar>(u'q');
    ASSERT_GE(formula->InsertChildAt(formula->GetChildCount() - 1, character.get()), 0);
    character.release();
    program->Document().SetModifiedFlag(TRUE);
    program->Frame()->OnCommand(VumatCmd::kFileUpdate);
    const std::string written = Read(path);
    EXPECT_NE(written.find(">q</mi>"), std::string::npos);
    EXPECT_NE(written.find("width=\"30mm\""), std::string::npos);
    EXPECT_FALSE(program->Document().IsModified());
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(QString::fromStdString(Path(""))).entryList(QDir::Files).size(), 1);

    copyTarget = Path("copy.qni");
    program->Frame()->OnCommand(VumatCmd::kFileSaveCopyAs);
    EXPECT_EQ(Read(copyTarget), written);
}

TEST_F(FileProgramTest, TextThatIsNoFormulaGivesTheMessageAndAnEmptyFormula)
{
    const std::string path = Path("broken.qni");
    Write(path, "<fo:root><unclosed>");
    Start(path);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(u"XML Parsing Error"), std::u16string::npos);
    EXPECT_EQ(Children(program->Document().GetRoot()), "math cr");
    // The file stays as it was until the user updates it.
    EXPECT_EQ(Read(path), "<fo:root><unclosed>");
}

TEST_F(FileProgramTest, AFileThatCannotBeReadIsToldAndEndsTheProgram)
{
    program = std::make_unique<CVumatProgram>(std::vector<std::string>{Path("")}, 0, -1, Path("Vumat.ini"));
    EXPECT_FALSE(program->Start());
    EXPECT_EQ(program->ExitCode(), VumatExit::kUnreadableFile);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(u"読み込めません"), std::u16string::npos);
    EXPECT_EQ(program->Frame(), nullptr);
}

TEST_F(FileProgramTest, ClosingWithChangesAsksAndCancelKeepsTheWindow)
{
    const std::string path = Path("new.qni");
    Start(path);
    program->Document().SetModifiedFlag(TRUE);
    answer = IDCANCEL;
    EXPECT_FALSE(program->Frame()->close());
    EXPECT_TRUE(program->Frame()->isVisible());
    answer = IDYES;
    EXPECT_TRUE(program->Frame()->close());
    EXPECT_NE(Read(path).find("<fo:root"), std::string::npos);
}

}  // namespace

namespace {

// The characters of the formula's first line, in order.
std::u16string FormulaText(CVumatDoc& document)
{
    std::u16string text;
    std::function<void(const CEditNode*)> walk = [&](const CEditNode* node) {
        for (int i = 0; node != nullptr && i < node->GetChildCount(); ++i) {
            const CEditNode* child = node->GetEditChild(i);
            if (const auto* character = dynamic_cast<const CEditMathChar*>(child))
                text += character->GetText().View();
            walk(child);
        }
    };
    walk(document.GetRoot());
    return text;
}

}  // namespace

TEST_F(FileProgramTest, KeysCommitsAndPaletteCharactersReachTheFormulaThroughTheWindow)
{
    const std::string path = Path("typed.qni");
    Start(path);
    CVumatViewWindow* view = program->ViewWindow();
    ASSERT_NE(view, nullptr);
    program->Frame()->resize(640, 360);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(program->Frame()));
    view->setFocus();
    QApplication::processEvents();

    QTest::keyClicks(view, "x^2+1");
    EXPECT_EQ(FormulaText(program->Document()), u"x^2+1");
    EXPECT_TRUE(program->Document().IsModified());

    // The input method's commit arrives as one string.
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf16(u"ａｂｃ"));
    QApplication::sendEvent(view, &commit);
    EXPECT_EQ(FormulaText(program->Document()), u"x^2+1ａｂｃ");

    // A palette character goes through the frame to the view.
    LOGFONTA font{};
    std::strcpy(font.lfFaceName, "Orvellan Gaiji");
    program->Frame()->OnPaletteChar(u'α', font);
    EXPECT_EQ(FormulaText(program->Document()).size(), 9u);

    // The idle pass shows the caret's format in the font bar's boxes.
    program->Frame()->OnIdleUpdate();
    EXPECT_EQ(program->Frame()->FormatBar()->SizeCombo()->currentText(), "10.5");
    view->repaint();
    const QImage shot = view->grab().toImage();
    // Something besides the white paper was drawn: the formula's characters.
    bool inked = false;
    for (int y = 0; y < shot.height() && !inked; ++y)
        for (int x = 0; x < shot.width() && !inked; ++x)
            inked = qGray(shot.pixel(x, y)) < 128;
    EXPECT_TRUE(inked);
    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    if (!keep.isEmpty())
        program->Frame()->grab().save(QDir(QString::fromLocal8Bit(keep)).filePath("vumat_window.png"));
}

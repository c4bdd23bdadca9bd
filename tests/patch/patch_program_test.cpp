// The update patch as a user starts it: the program itself against a fake installation, and the
// version notes the build put into the programs.
#include "platform/file_version_note.h"

#include "tests/patch/patch_fixture.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using PatchProgram = FakeInstallation;

struct RUN_RESULT {
    int exitCode = -1;
    QString errors;
};

RUN_RESULT RunPatch(const QStringList& arguments)
{
    QProcess process;
    process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    process.start(QN_ULVIX_PROGRAM, arguments);
    process.closeWriteChannel();
    RUN_RESULT result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.errors = QString::fromUtf8(process.readAllStandardError());
    return result;
}

TEST(PatchPrograms, CarryTheirVersionNotes)
{
    const struct {
        const char* program;
        const char* version;
    } programs[] = {
        {QN_ULVIX_PROGRAM, "2, 0, 0, 0"},
        {QN_PATCH_PAYLOAD_205, "1.30.0000"},
#ifdef QN_VUMAT_PROGRAM
        {QN_VUMAT_PROGRAM, "1.30.0000"},
#endif
    };
    for (const auto& entry : programs) {
        std::string text;
        EXPECT_TRUE(ReadFileVersionNote(entry.program, &text)) << entry.program;
        EXPECT_EQ(text, entry.version) << entry.program;
    }
}

#ifdef QN_VUMAT_PROGRAM
// The exit code of the program started with arguments on a terminal of its own.
int RunOnTerminal(const std::string& program, const char* argument)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return -1;
    const std::string terminal = ::ptsname(master);
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        const int slave = ::open(terminal.c_str(), O_RDWR);
        ::dup2(slave, 0);
        ::dup2(slave, 1);
        ::dup2(slave, 2);
        ::execl(program.c_str(), program.c_str(), argument, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    for (int waited = 0; waited < 600; ++waited) {
        if (::waitpid(child, &status, WNOHANG) == child) {
            ::close(master);
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        // The terminal's output is read so the program never blocks on writing it.
        char drain[256];
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        while (::read(master, drain, sizeof drain) > 0) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    ::close(master);
    return -1;
}
#endif

TEST_F(PatchProgram, SilentRunReplacesTheOutdatedFormulaEditor)
{
    InstallCurrent();
    Install("Vumat", "1.10.0000");
    const FILE_STATE vumat = StateOf("Vumat");
    const RUN_RESULT first = RunPatch({"-s"});
#ifdef QN_VUMAT_PROGRAM
    EXPECT_EQ(first.exitCode, 0) << first.errors.toStdString();
    EXPECT_EQ(ReadBytes(PathOf("Vumat")), ReadBytes(QN_VUMAT_PROGRAM));
    EXPECT_EQ(Listing(), QStringList({"Kiran", "Pennic", "Vumat"}));
    EXPECT_EQ(RunOnTerminal(PathOf("Vumat"), "-Embedding"), 1);
    const FILE_STATE replaced = StateOf("Vumat");
    EXPECT_EQ(RunPatch({"/s"}).exitCode, 0);
    EXPECT_EQ(StateOf("Vumat"), replaced);
#else
    // A build without the formula editor carries no copy of it: the run stops and changes nothing.
    EXPECT_EQ(first.exitCode, 1);
    EXPECT_EQ(StateOf("Vumat"), vumat);
    EXPECT_EQ(Listing(), QStringList({"Kiran", "Pennic", "Vumat"}));
#endif
    EXPECT_TRUE(first.errors.isEmpty()) << first.errors.toStdString();
}

TEST_F(PatchProgram, SilentRunOfACurrentInstallationEndsWell)
{
    InstallCurrent();
    const auto before = StatesOfAll();
    EXPECT_EQ(RunPatch({"/S"}).exitCode, 0);
    EXPECT_EQ(StatesOfAll(), before);
}

TEST_F(PatchProgram, ABoxNobodyCanAnswerDeclinesAndWritesNothing)
{
    // Offscreen, the confirmation gets its safe answer, Cancel.
    InstallCurrent();
    Install("Vumat", "1.10.0000");
    const auto before = StatesOfAll();
    const RUN_RESULT run = RunPatch({"x", "/s"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains(QString::fromUtf8("修正プログラムを実行しますか")));
    EXPECT_EQ(StatesOfAll(), before);
}

}  // namespace

// The formula editor as its entry point starts it. Started by a container with "-Embedding", it
// serves one object over its standard input and output: it answers the container's frames, opens
// its window when the container asks the object to be shown, sends every change, and ends when the
// container closes the object or the window closes. Started on a ".qni" file, it edits that file:
// "更新" replaces the file safely. Any other start ends at once. The tests start the program
// through this class too.
#pragma once

#include "formula/vumat_app.h"
#include "formula/window/main_frame.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

class CEmbeddingServer;
class CVumatDoc;
class CVumatViewWindow;
class QSocketNotifier;
class QWidget;

// Exit codes of the program.
namespace VumatExit {
constexpr int kOk = 0;
// -Embedding without a container: a terminal on the input, no HELLO, or a broken first frame.
constexpr int kNoContainer = 1;
// A ".qni" file that cannot be read.
constexpr int kUnreadableFile = 2;
}  // namespace VumatExit

class CVumatProgram : public QObject, public IVumatDocumentSite {
public:
    // Needs the QApplication; the parameters are the command line's, the program's name left out.
    // inputFd and outputFd are the container's channel; outputFd −1 takes the standard output.
    // The settings are the user's, or those of the profile at profilePath when it is given.
    explicit CVumatProgram(std::vector<std::string> parameters, int inputFd = 0, int outputFd = -1,
                           const std::string& profilePath = {});
    ~CVumatProgram() override;

    // The start-up: false when the process is to end at once, with ExitCode().
    bool Start();
    int ExitCode() const { return m_exitCode; }

    CVumatApp& App() { return *m_app; }
    CVumatDoc& Document() { return *m_document; }
    CMainFrame* Frame() const { return m_frame.get(); }
    CEmbeddingServer* Server() const { return m_server.get(); }
    // The view's window in the frame; null until the window opens.
    CVumatViewWindow* ViewWindow() const { return m_view; }
    // Creates (once) and shows the window, raised over the others.
    bool ShowWindow();

    // IVumatDocumentSite
    void OnFileUpdate() override;
    void OnFileSaveCopyAs() override;
    bool OnFrameClose() override;
    void OnHelp() override;

private:
    bool StartEmbedding();
    bool StartOnFile();
    void OnInput();
    // The container went away: an undelivered change is offered to a file, then the program ends.
    void OnLinkBroken();
    void Quit(int code);
    bool WriteFormula(const std::string& path);
    void TypeTestKeys();
    void RunTestStep(const QString& step);

    std::vector<std::string> m_parameters;
    int m_input;
    int m_output;
    std::unique_ptr<CVumatApp> m_app;
    std::unique_ptr<CVumatDoc> m_document;
    std::unique_ptr<CEmbeddingServer> m_server;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<CMainFrame> m_frame;
    CVumatViewWindow* m_view = nullptr;  // owned by the frame
    std::string m_file;
    int m_exitCode = VumatExit::kOk;
    bool m_ending = false;
};

// The program's entry point: the message loop between Start and the end.
int RunVumat(int argc, char** argv);

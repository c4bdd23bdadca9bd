// The problem editor as its entry point starts it: the user's profile, the program's own folder,
// the screen, the message boxes and file dialogs as widgets, the print files read and written for
// real, and the main window with its editing view. The entry point runs the message loop between
// Start and Finish; the tests start the program through the same class, so what the program
// needs to open a paper cannot differ between the two.
#pragma once

#include "editor/sorel_app.h"
#include "platform/shell.h"

#include <memory>
#include <string>
#include <vector>

class CFrameView;
class CMainFrame;
class IPrintFileAccess;

class CSorelProgram {
public:
    // Needs the QApplication; the parameters are the command line's, the program's name left out.
    explicit CSorelProgram(std::vector<std::string> parameters);
    ~CSorelProgram();
    CSorelProgram(const CSorelProgram&) = delete;
    CSorelProgram& operator=(const CSorelProgram&) = delete;

    // The application's start-up: false when the program is to end at once.
    bool Start();
    // The application's exit, then the windows go: the program's exit code.
    int Finish();

    CSorelApp& App() { return *m_app; }
    CMainFrame* Frame() const;
    CFrameView* View() const;

private:
    class Windows;

    std::vector<std::string> m_parameters;
    SOREL_APP_ENVIRONMENT m_environment;
    std::unique_ptr<IPrintFileAccess> m_files;
    std::unique_ptr<Windows> m_windows;
    std::unique_ptr<CSorelApp> m_app;
    ShellHandler m_formerShell;
    bool m_shellInstalled = false;
    bool m_finished = false;
};

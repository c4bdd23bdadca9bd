// The program with its windows: the Qt application, the main frame as start-up asks for it,
// the message loop and the exit code.
#include "dialogs/splash_dialog.h"
#include "editor/main_frame.h"
#include "editor/print_file_access.h"
#include "editor/shell_widgets.h"
#include "editor/sorel_app.h"
#include "editor/view_hookup.h"
#include "platform/fonts.h"
#include "platform/profile.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <cstdio>
#include <memory>

namespace {

QWidget* g_mainWindow = nullptr;

QWidget* MainWindow() { return g_mainWindow; }

class CQtAppWindows : public CSorelAppWindows {
public:
    void Attach(CSorelApp* app) { m_app = app; }
    CFrameView* View() const { return m_view.get(); }
    CMainFrame* Frame() const { return m_frame.get(); }

    bool CreateMainFrame() override
    {
        m_frame = std::make_unique<CMainFrame>(*m_app);
        if (!m_frame->Create()) {
            m_frame.reset();
            return false;
        }
        g_mainWindow = m_frame.get();
        // The editing view fills the frame.
        m_view = std::make_unique<CFrameView>(*m_app, *m_frame);
        return true;
    }
    void UpdateAllViews(int hint) override
    {
        if (m_view)
            m_view->UpdateAllViews(hint);
    }
    void InitialUpdateViews() override
    {
        if (m_view)
            m_view->InitialUpdate();
    }
    void CommitPendingEdit() override
    {
        if (m_view)
            m_view->CommitPendingEdit();
    }
    void ShowMainFrame(int show) override
    {
        if (show == SW_HIDE)
            return;
        m_frame->ShowFrame(show);
    }
    void PostToMainFrame(unsigned message) override { m_frame->PostBatch(message); }
    // The start-up picture, until the main window is up.
    void ShowSplash() override
    {
        m_splash = std::make_unique<CSplashDlg>();
        m_splash->Create();
        QApplication::processEvents();
    }
    void DestroySplash() override { m_splash.reset(); }
    void SetFrameTitle(const std::u16string& title) override
    {
        if (m_frame)
            m_frame->setWindowTitle(QString::fromStdU16String(title));
    }
    void BeginWaitCursor() override { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    void EndWaitCursor() override { QApplication::restoreOverrideCursor(); }
    void Destroy()
    {
        g_mainWindow = nullptr;
        if (m_view)
            m_view->Detach();
        m_frame.reset();
    }

private:
    CSorelApp* m_app = nullptr;
    // Outlives the frame, which owns the view itself.
    std::unique_ptr<CFrameView> m_view;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CSplashDlg> m_splash;
};

}  // namespace

int RunSorelApp(int argc, char** argv)
{
    LoadFontAliasRules();
    QApplication application(argc, argv);
    InstallQtTranslations();

    SOREL_APP_ENVIRONMENT environment;
    environment.programPath = QCoreApplication::applicationFilePath().toStdString();
    environment.profilePath = CProfile::DefaultPath("Orvellan", "Tarsel");
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        environment.screenWidth = screen->geometry().width();
        environment.screenHeight = screen->geometry().height();
    }

    std::vector<std::string> parameters;
    for (int i = 1; i < argc; ++i)
        parameters.emplace_back(argv[i]);

    // An export run shows no window, so its messages go to the standard error stream instead
    // of boxes nobody would answer.
    CSorelCommandLineInfo commandLine;
    commandLine.ParseCommandLine(parameters);
    if (!CommandLineMode::IsExport(commandLine.mode))
        InstallWidgetShell(&MainWindow);

    std::unique_ptr<IPrintFileAccess> files = CreatePrintFileAccess();
    CQtAppWindows windows;
    CSorelApp app(*files, windows, environment);
    windows.Attach(&app);
    if (app.InitInstance(parameters)) {
        // The loop ends when the main window closes.
        QApplication::setQuitOnLastWindowClosed(true);
        application.exec();
    }
    const int code = app.ExitInstance();
    windows.Destroy();
    if (code != 0)
        std::fprintf(stderr, "Tarsel: ended with exit code %d\n", code);
    return code;
}

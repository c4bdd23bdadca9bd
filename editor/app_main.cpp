// The program with its windows: the Qt application, the main frame as start-up asks for it,
// the message loop and the exit code.
#include "dialogs/export_dialogs.h"
#include "dialogs/splash_dialog.h"
#include "editor/main_frame.h"
#include "editor/print_file_access.h"
#include "ui/shell_widgets.h"
#include "editor/sorel_app.h"
#include "editor/sorel_program.h"
#include "editor/view_hookup.h"
#include "platform/fonts.h"
#include "platform/profile.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

QWidget* g_mainWindow = nullptr;

QWidget* MainWindow() { return g_mainWindow; }

// The export's progress window over the main window, gone with the export.
class CProgressWindow : public IConvertProgress {
public:
    CProgressWindow(const std::u16string& caption, const std::u16string& message) : m_dialog(MainWindow())
    {
        m_dialog.setWindowTitle(QString::fromStdU16String(caption));
        m_dialog.SetMessage(message);
        m_dialog.ShowNoActivate();
        QApplication::processEvents();
    }
    void SetMessage(const std::u16string& text) override { m_dialog.SetMessage(text); }
    void SetRange32(int lower, int upper) override { m_dialog.SetRange32(lower, upper); }
    void SetPos(int position) override { m_dialog.SetPos(position); }

private:
    CConvertProgressDlg m_dialog;
};

}  // namespace

class CSorelProgram::Windows : public CSorelAppWindows {
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
    bool RelayoutActiveView() override { return m_view && m_view->Relayout(); }
    void ShowMainFrame(int show) override
    {
        if (show == SW_HIDE)
            return;
        m_frame->ShowFrame(show);
    }
    void PostToMainFrame(unsigned message) override { m_frame->PostBatch(message); }
    void PostCommandToMainFrame(unsigned id) override
    {
        if (m_frame)
            QTimer::singleShot(0, m_frame.get(), [frame = m_frame.get(), id] { frame->OnCommand(id); });
    }
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
    std::unique_ptr<IConvertProgress> ShowConvertProgress(const std::u16string& caption,
                                                          const std::u16string& message) override
    {
        // An export run shows no window at all.
        if (!m_frame || !m_frame->isVisible())
            return nullptr;
        return std::make_unique<CProgressWindow>(caption, message);
    }
    int FileInUseDialog(const std::u16string& caption) override
    {
        CFileInUseDlg dialog(MainWindow());
        dialog.m_strCaption = caption;
        return dialog.DoModal();
    }
    void BeginWaitCursor() override { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    void EndWaitCursor() override { QApplication::restoreOverrideCursor(); }
    void Destroy()
    {
        g_mainWindow = nullptr;
        m_splash.reset();
        if (m_view)
            m_view->Detach();
        m_frame.reset();
        m_view.reset();
    }

private:
    CSorelApp* m_app = nullptr;
    // Outlives the frame, which owns the view itself.
    std::unique_ptr<CFrameView> m_view;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CSplashDlg> m_splash;
};

CSorelProgram::CSorelProgram(std::vector<std::string> parameters)
    : m_parameters(std::move(parameters)), m_files(CreatePrintFileAccess()), m_windows(std::make_unique<Windows>())
{
    m_environment.programPath = QCoreApplication::applicationFilePath().toStdString();
    m_environment.profilePath = CProfile::DefaultPath("Orvellan", "Tarsel");
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        m_environment.screenWidth = screen->geometry().width();
        m_environment.screenHeight = screen->geometry().height();
    }

    // An export run shows no window, so its messages go to the standard error stream instead
    // of boxes nobody would answer.
    CSorelCommandLineInfo commandLine;
    commandLine.ParseCommandLine(m_parameters);
    if (!CommandLineMode::IsExport(commandLine.mode)) {
        m_formerShell = SetShellHandler(nullptr);
        m_shellInstalled = true;
        InstallWidgetShell(&MainWindow);
    }

    m_app = std::make_unique<CSorelApp>(*m_files, *m_windows, m_environment);
    m_windows->Attach(m_app.get());
}

CSorelProgram::~CSorelProgram()
{
    if (!m_finished)
        Finish();
    if (m_shellInstalled)
        SetShellHandler(m_formerShell);
}

bool CSorelProgram::Start() { return m_app->InitInstance(m_parameters); }

int CSorelProgram::Finish()
{
    m_finished = true;
    const int code = m_app->ExitInstance();
    m_windows->Destroy();
    return code;
}

CMainFrame* CSorelProgram::Frame() const { return m_windows->Frame(); }

CFrameView* CSorelProgram::View() const { return m_windows->View(); }

int RunSorelApp(int argc, char** argv)
{
    LoadFontAliasRules();
    QApplication application(argc, argv);
    InstallQtTranslations();

    std::vector<std::string> parameters;
    for (int i = 1; i < argc; ++i)
        parameters.emplace_back(argv[i]);

    CSorelProgram program(std::move(parameters));
    if (program.Start()) {
        // The loop ends when the main window closes.
        QApplication::setQuitOnLastWindowClosed(true);
        application.exec();
    }
    const int code = program.Finish();
    if (code != 0)
        std::fprintf(stderr, "Tarsel: ended with exit code %d\n", code);
    return code;
}

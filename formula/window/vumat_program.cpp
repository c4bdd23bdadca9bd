#include "formula/window/vumat_program.h"

#include "formula/vumat_doc.h"
#include "formula/window/view_window.h"
#include "platform/embedding_server.h"
#include "platform/fonts.h"
#include "platform/profile.h"
#include "platform/safe_file.h"
#include "platform/shell.h"
#include "platform/utf8.h"
#include "ui/shell_widgets.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// How long a container has to say HELLO before the program gives up on it.
constexpr int kHelloTimeoutMs = 30000;
// A ".qni" file larger than the object data may be is not read.
constexpr std::streamoff kMaxFileSize = std::streamoff(CVumatDoc::kMaxObjectData);

QWidget* g_mainWindow = nullptr;
QWidget* MainWindow() { return g_mainWindow; }

std::u16string FileTitle(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).fileName().toStdU16String() + u" - " + CVumatApp::kDocumentTitle;
}

}  // namespace

CVumatProgram::CVumatProgram(std::vector<std::string> parameters, int inputFd, int outputFd,
                             const std::string& profilePath)
    : m_parameters(std::move(parameters)), m_input(inputFd), m_output(outputFd)
{
    m_app = std::make_unique<CVumatApp>(profilePath.empty() ? CProfile::DefaultPath("Orvellan", "Vumat") : profilePath,
                                        QCoreApplication::applicationFilePath().toStdString());
}

CVumatProgram::~CVumatProgram()
{
    g_mainWindow = nullptr;
    m_notifier.reset();
    m_view = nullptr;
    m_frame.reset();
    m_server.reset();
    m_document.reset();
}

bool CVumatProgram::Start()
{
    const VUMAT_COMMAND_LINE line = m_app->InitInstance(m_parameters);
    switch (line.start) {
    case VumatStart::Embedding: return StartEmbedding();
    case VumatStart::File:
        m_file = line.file;
        return StartOnFile();
    case VumatStart::Automation:
    case VumatStart::None: break;
    }
    // Nothing to serve: the process ends without a window or a message.
    m_exitCode = VumatExit::kOk;
    return false;
}

bool CVumatProgram::StartEmbedding()
{
    if (isatty(m_input)) {
        std::fputs("Vumat: -Embedding serves a container over a pipe, not a terminal\n", stderr);
        m_exitCode = VumatExit::kNoContainer;
        return false;
    }
    if (m_output < 0)
        m_output = CEmbeddingServer::TakeStandardOutput();
    if (m_output < 0) {
        m_exitCode = VumatExit::kNoContainer;
        return false;
    }
    m_document = std::make_unique<CVumatDoc>();
    m_server = std::make_unique<CEmbeddingServer>(m_document.get(), m_input, m_output);
    m_server->SetVerbHandler([this](int verb) {
        if (verb != Embedding::kVerbHide)
            ShowWindow();
        else if (m_frame)
            m_frame->hide();
    });
    m_notifier = std::make_unique<QSocketNotifier>(m_input, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { OnInput(); });
    QTimer::singleShot(kHelloTimeoutMs, this, [this] {
        if (m_server && !m_server->HelloSeen()) {
            std::fputs("Vumat: no container said HELLO\n", stderr);
            Quit(VumatExit::kNoContainer);
        }
    });
    return true;
}

bool CVumatProgram::StartOnFile()
{
    m_document = std::make_unique<CVumatDoc>();
    m_document->OnNewDocument();
    std::error_code error;
    if (std::filesystem::exists(m_file, error)) {
        std::ifstream in(m_file, std::ios::binary);
        in.seekg(0, std::ios::end);
        const std::streamoff size = in ? std::streamoff(in.tellg()) : -1;
        in.seekg(0);
        if (!in || size < 0 || size > kMaxFileSize) {
            ShellMessageBox(u"ファイルを読み込めません。\n" + Utf8ToUtf16(m_file), CVumatApp::kCaption,
                            MB_OK | MB_ICONEXCLAMATION);
            m_exitCode = VumatExit::kUnreadableFile;
            return false;
        }
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        m_document->DeleteContents();
        // Text that is no formula gives the parser's message and an empty formula.
        m_document->LoadObjectData(bytes);
    }
    m_document->SetModifiedFlag(FALSE);
    if (!ShowWindow()) {
        m_exitCode = VumatExit::kUnreadableFile;
        return false;
    }
    m_frame->setWindowTitle(QString::fromStdU16String(FileTitle(m_file)));
    return true;
}

bool CVumatProgram::ShowWindow()
{
    if (!m_frame) {
        // The first editing activation of an object: from now on its measured extent rules, and
        // the stored size of a converted formula is no longer written into its data.
        if (m_server)
            m_document->m_sizeStored = 0;
        auto frame = std::make_unique<CMainFrame>(*this);
        if (!frame->Create())
            return false;
        m_frame = std::move(frame);
        g_mainWindow = m_frame.get();
        m_view = new CVumatViewWindow(*m_document, *m_app, *m_frame);
        m_frame->setCentralWidget(m_view);
        m_frame->SetActiveView(m_view);
        m_frame->show();
        m_view->setFocus();
        TypeTestKeys();
    }
    m_frame->show();
    m_frame->raise();
    m_frame->activateWindow();
    m_view->setFocus();
    return true;
}

void CVumatProgram::TypeTestKeys()
{
    // A scripted session, once the window has opened (the tests of both programs running together
    // use this): each character is typed into the view as a key press; "{n}" is the command n as
    // a bar button sends it, "{Left}" … "{End}" the caret key ("{+Left}" with Shift), and
    // "{shot:name}" keeps the window as name.png in QN_TEST_OUTPUT_DIR.
    const QString keys = qEnvironmentVariable("QN_VUMAT_TEST_KEYS");
    std::vector<QString> steps;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const qsizetype close = keys[i] == u'{' ? keys.indexOf(u'}', i) : -1;
        if (close > i + 1) {
            steps.push_back(keys.mid(i, close - i + 1));
            i = close;
        } else {
            steps.push_back(QString(keys[i]));
        }
    }
    for (size_t i = 0; i < steps.size(); ++i)
        QTimer::singleShot(int(50 * (i + 1)), m_view, [this, step = steps[i]] { RunTestStep(step); });
}

void CVumatProgram::RunTestStep(const QString& step)
{
    if (step.size() < 3 || !step.startsWith(u'{')) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, step);
        QCoreApplication::sendEvent(m_view, &press);
        return;
    }
    QString name = step.mid(1, step.size() - 2);
    if (name.startsWith(QStringLiteral("shot:"))) {
        const QByteArray folder = qgetenv("QN_TEST_OUTPUT_DIR");
        if (!folder.isEmpty())
            m_frame->grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(name.mid(5) + ".png"));
        return;
    }
    bool number = false;
    if (const unsigned id = name.toUInt(&number); number) {
        m_frame->OnCommand(id);
        return;
    }
    const bool shift = name.startsWith(u'+');
    if (shift)
        name = name.mid(1);
    static const std::pair<const char*, int> kKeys[] = {{"Left", Qt::Key_Left}, {"Right", Qt::Key_Right},
                                                        {"Up", Qt::Key_Up},     {"Down", Qt::Key_Down},
                                                        {"Home", Qt::Key_Home}, {"End", Qt::Key_End}};
    for (const auto& [keyName, key] : kKeys) {
        if (name == QLatin1String(keyName)) {
            QKeyEvent press(QEvent::KeyPress, key, shift ? Qt::ShiftModifier : Qt::NoModifier);
            QCoreApplication::sendEvent(m_view, &press);
            return;
        }
    }
}

void CVumatProgram::OnInput()
{
    uint8_t buffer[65536];
    ssize_t n = 0;
    do {
        n = read(m_input, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        m_notifier->setEnabled(false);
        OnLinkBroken();
        return;
    }
    const CEmbeddingServer::State state = m_server->Feed(std::span<const uint8_t>(buffer, size_t(n)));
    if (state == CEmbeddingServer::State::Closed)
        Quit(VumatExit::kOk);
    else if (state == CEmbeddingServer::State::Broken)
        OnLinkBroken();
}

void CVumatProgram::OnLinkBroken()
{
    if (m_ending)
        return;
    m_notifier->setEnabled(false);
    // A container that never spoke gets no window and no question.
    if (!m_server->Started()) {
        Quit(VumatExit::kNoContainer);
        return;
    }
    std::string current;
    const bool changed = m_document->StoreObjectData(&current) &&
                         std::vector<uint8_t>(current.begin(), current.end()) != m_server->LastSentStorage();
    if (changed && m_frame &&
        ShellMessageBox(u"呼び出し元との接続が切れました。最後の変更が届いていません。\n数式をファイルに保存しますか？",
                        CVumatApp::kCaption, MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
        OnFileSaveCopyAs();
    Quit(VumatExit::kOk);
}

void CVumatProgram::Quit(int code)
{
    if (m_ending)
        return;
    m_ending = true;
    m_exitCode = code;
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (m_frame)
        m_frame->hide();
    QTimer::singleShot(0, qApp, [code] { QCoreApplication::exit(code); });
}

bool CVumatProgram::WriteFormula(const std::string& path)
{
    std::string bytes;
    if (!m_document->StoreObjectData(&bytes)) {
        ShellMessageBox(u"数式を保存できませんでした。", CVumatApp::kCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (const std::error_code error = ReplaceFileSafely(path, bytes)) {
        ShellMessageBox(u"ファイルに書き込めませんでした。\n" + Utf8ToUtf16(path), CVumatApp::kCaption,
                        MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void CVumatProgram::OnFileUpdate()
{
    if (m_server) {
        m_server->SendSaved();
        m_document->SetModifiedFlag(FALSE);
        return;
    }
    if (!m_file.empty() && WriteFormula(m_file))
        m_document->SetModifiedFlag(FALSE);
}

void CVumatProgram::OnFileSaveCopyAs()
{
    SHELL_REQUEST dialog;
    dialog.kind = ShellRequestKind::SaveFile;
    dialog.title = u"ｺﾋﾟｰに名前を付けて保存";
    dialog.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    dialog.filters = {{u"数式ファイル(*.qni)", "*.qni"}, {u"すべてのファイル(*.*)", "*.*"}};
    dialog.defaultExtension = "qni";
    dialog.file = m_file;
    if (ShellFileDialog(dialog))
        WriteFormula(dialog.file);
}

bool CVumatProgram::OnFrameClose()
{
    if (m_server) {
        // The container stores the formula whether or not it changed, then the link ends.
        m_document->SetModifiedFlag(TRUE);
        m_server->SendSaved();
        m_server->SendChanged();
        m_server->SendClosed();
        Quit(VumatExit::kOk);
        return true;
    }
    if (m_document && m_document->IsModified()) {
        const int answer = ShellMessageBox(FileTitle(m_file) + u"\n変更を保存しますか？", CVumatApp::kCaption,
                                           MB_YESNOCANCEL | MB_ICONEXCLAMATION);
        if (answer == IDCANCEL)
            return false;
        if (answer == IDYES && !WriteFormula(m_file))
            return false;
    }
    Quit(VumatExit::kOk);
    return true;
}

void CVumatProgram::OnHelp() { m_app->WinHelp(); }

int RunVumat(int argc, char** argv)
{
    std::vector<std::string> parameters;
    for (int i = 1; i < argc; ++i)
        parameters.emplace_back(argv[i]);
    // A start with nothing to serve ends before any window system is asked for.
    const VumatStart start = ParseVumatCommandLine(parameters).start;
    if (start == VumatStart::None || start == VumatStart::Automation)
        return VumatExit::kOk;

    LoadFontAliasRules();
    QApplication application(argc, argv);
    InstallQtTranslations();
    const ShellHandler former = SetShellHandler(nullptr);
    InstallWidgetShell(&MainWindow);
    int code = VumatExit::kOk;
    {
        CVumatProgram program(std::move(parameters));
        if (program.Start()) {
            QApplication::setQuitOnLastWindowClosed(false);
            code = application.exec();
        } else {
            code = program.ExitCode();
        }
    }
    SetShellHandler(former);
    return code;
}

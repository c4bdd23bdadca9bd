// The clipboard as another program on the same X display sees it: text from the plain text copy
// reaches it with CR LF, a Copy leaves it nothing to paste, and text it copies pastes into the
// paper. The other program is a Tk script; the test skips without an X display (the tests run
// offscreen) or without python3's tkinter. Run it under xvfb-run with QT_QPA_PLATFORM=xcb.
#include "view_fixture.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

using namespace viewtest;

namespace {

constexpr char kPeerScript[] = R"(
import json, sys, tkinter
root = tkinter.Tk()
root.withdraw()
if sys.argv[1] == 'read':
    try:
        print(json.dumps(root.clipboard_get()))
    except tkinter.TclError:
        print('NONE')
else:
    root.clipboard_clear()
    root.clipboard_append(sys.argv[2])
    root.update()
    print('READY', flush=True)
    root.after(5000, root.destroy)
    root.mainloop()
)";

class ClipboardPeerTest : public ViewTest {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X display";
        python = QStandardPaths::findExecutable("python3");
        if (python.isEmpty() || QProcess::execute(python, {"-c", "import tkinter; tkinter.Tk().destroy()"}) != 0)
            GTEST_SKIP() << "needs python3 with tkinter";
    }

    // Runs the peer and returns the first line it prints, keeping this program's event loop
    // turning so that it can answer the peer's requests for the clipboard.
    QString RunPeer(QProcess& peer, const QStringList& arguments)
    {
        peer.start(python, QStringList{"-c", kPeerScript} + arguments);
        QEventLoop loop;
        QObject::connect(&peer, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
        QObject::connect(&peer, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
        const QString line = QString::fromUtf8(peer.readLine()).trimmed();
        if (line.isEmpty())
            ADD_FAILURE() << peer.readAllStandardError().toStdString();
        return line;
    }

    QString python;
};

}  // namespace

TEST_F(ClipboardPeerTest, TextTravelsBothWaysAndTheNodeFormatStaysPrivate)
{
    Build({u"ab", u"cd"});
    At(0, 1)->InsertBefore(new CEditCR());  // a | b |
    Select(0, 0, 3);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kPlainTextCopy));
    {
        QProcess peer;
        EXPECT_EQ(RunPeer(peer, {"read"}), QString("\"a\\r\\nb\""));
        peer.waitForFinished();
    }

    ASSERT_TRUE(view.OnCommand(ViewCommand::kEditCopy));
    {
        QProcess peer;
        EXPECT_EQ(RunPeer(peer, {"read"}), QString("NONE"));
        peer.waitForFinished();
    }

    QProcess writer;
    ASSERT_EQ(RunPeer(writer, {"write", QString::fromUtf16(u"外部")}), QString("READY"));
    PlaceCaret(1, 1);
    view.OnEditPaste();
    EXPECT_EQ(Text(1), u"c外部d|");
    writer.kill();
    writer.waitForFinished();
}

// A small object server for the tests: it speaks the embedding channel, draws its object as a
// numbered rectangle (sent as PNG) and shows it in a window of its own. What it does on each
// DOVERB comes from a script, so that a test can change the object's extent, send the same one
// again, crash or send bad data at the moment it wants.
//   QN_TEST_SERVER_SCRIPT  a file; line n holds the commands run on the n-th DOVERB:
//                          "change CX CY", "same", "save", "crash", "garbage", "exit"
//   QN_TEST_SERVER_START   "silent" (never answers), "fail" (answers FAILED), "crash"
//   QN_TEST_SERVER_EXTENT  "CXxCY", the extent of a new object (default 3000x2000)
#include "platform/embedding_protocol.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Embedding;

namespace {

int g_channel = -1;

void SendRaw(const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(g_channel, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            std::_Exit(3);
        done += size_t(n);
    }
}

struct ServerObject {
    int number = 1;
    SIZE extent{3000, 2000};

    QImage Picture() const
    {
        const int width = std::clamp(extent.cx * 96 / 2540, 8, 2000);
        const int height = std::clamp(extent.cy * 96 / 2540, 8, 2000);
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(255, 250, 220));
        QPainter painter(&image);
        painter.setPen(QPen(QColor(40, 80, 200), 3));
        painter.drawRect(1, 1, width - 3, height - 3);
        QFont font;
        font.setPixelSize(std::max(8, height / 2));
        painter.setFont(font);
        painter.drawText(QRect(0, 0, width, height), Qt::AlignCenter, QString::number(number));
        return image;
    }

    OBJECT_STATE State() const
    {
        OBJECT_STATE state;
        state.extent = extent;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        Picture().save(&buffer, "PNG");
        state.pictureKind = kPngPicture;
        state.picture.assign(png.begin(), png.end());
        const std::string text = "n=" + std::to_string(number) + ";cx=" + std::to_string(extent.cx) +
                                 ";cy=" + std::to_string(extent.cy);
        state.storage.assign(text.begin(), text.end());
        return state;
    }

    void Load(const std::vector<uint8_t>& storage)
    {
        const QStringList fields = QString::fromUtf8(reinterpret_cast<const char*>(storage.data()),
                                                     qsizetype(storage.size())).split(';');
        for (const QString& field : fields) {
            const QStringList pair = field.split('=');
            if (pair.size() != 2)
                continue;
            if (pair[0] == "n")
                number = pair[1].toInt();
            else if (pair[0] == "cx")
                extent.cx = pair[1].toInt();
            else if (pair[0] == "cy")
                extent.cy = pair[1].toInt();
        }
    }
};

class ServerWindow : public QWidget {
public:
    explicit ServerWindow(const ServerObject& object) : m_object(object)
    {
        setWindowTitle(QStringLiteral("Test object server"));
        resize(360, 260);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(230, 230, 230));
        const QImage picture = m_object.Picture();
        painter.drawImage(QPoint((width() - picture.width()) / 2, (height() - picture.height()) / 2), picture);
    }

private:
    const ServerObject& m_object;
};

class Server {
public:
    Server()
    {
        if (const char* extent = std::getenv("QN_TEST_SERVER_EXTENT")) {
            const QStringList parts = QString::fromUtf8(extent).split('x');
            if (parts.size() == 2)
                m_object.extent = SIZE{parts[0].toInt(), parts[1].toInt()};
        }
        if (const char* script = std::getenv("QN_TEST_SERVER_SCRIPT")) {
            QFile file(QString::fromUtf8(script));
            if (file.open(QIODevice::ReadOnly))
                m_script = QString::fromUtf8(file.readAll()).split('\n');
        }
        m_start = QString::fromUtf8(std::getenv("QN_TEST_SERVER_START") ? std::getenv("QN_TEST_SERVER_START") : "");
    }

    void OnInput()
    {
        uint8_t buffer[65536];
        const ssize_t n = read(0, buffer, sizeof buffer);
        if (n <= 0)
            std::exit(0);
        m_reader.Feed(std::span<const uint8_t>(buffer, size_t(n)));
        FRAME frame;
        for (;;) {
            const auto result = m_reader.Next(&frame);
            if (result == CFrameReader::Result::Broken)
                std::_Exit(4);
            if (result == CFrameReader::Result::NeedMore)
                return;
            Handle(frame);
        }
    }

private:
    void Handle(const FRAME& frame)
    {
        switch (frame.code) {
        case kHello: {
            const auto hello = DecodeHello(frame.payload);
            if (!hello) {
                SendRaw(EncodeFailed("bad hello"));
                std::_Exit(5);
            }
            if (hello->isNew)
                Started();
            break;
        }
        case kLoad: {
            const auto storage = DecodeLoad(frame.payload);
            if (storage)
                m_object.Load(*storage);
            Started();
            break;
        }
        case kDoVerb: RunScriptLine(); break;
        case kClose: {
            const auto save = DecodeClose(frame.payload);
            if (save && *save)
                SendRaw(EncodeState(kSaved, m_object.State()));
            SendRaw(EncodeClosed());
            std::exit(0);
        }
        default: break;
        }
    }

    void Started()
    {
        if (m_start == "silent")
            return;
        if (m_start == "fail") {
            SendRaw(EncodeFailed("cannot start"));
            std::exit(0);
        }
        if (m_start == "crash")
            std::abort();
        SendRaw(EncodeState(kChanged, m_object.State()));
    }

    void RunScriptLine()
    {
        if (!m_window) {
            m_window = std::make_unique<ServerWindow>(m_object);
            m_window->show();
        }
        m_window->raise();
        const QString line = m_next < m_script.size() ? m_script[m_next] : QString();
        ++m_next;
        const QStringList words = line.split(' ', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString& word = words[i];
            if (word == "change" && i + 2 < words.size()) {
                m_object.extent = SIZE{words[i + 1].toInt(), words[i + 2].toInt()};
                ++m_object.number;
                i += 2;
                SendRaw(EncodeState(kChanged, m_object.State()));
            } else if (word == "same") {
                SendRaw(EncodeState(kChanged, m_object.State()));
            } else if (word == "save") {
                SendRaw(EncodeState(kSaved, m_object.State()));
            } else if (word == "crash") {
                std::abort();
            } else if (word == "garbage") {
                // A frame header claiming more than any frame may hold.
                SendRaw({0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x00});
            } else if (word == "exit") {
                std::exit(0);
            }
        }
        m_window->update();
    }

    ServerObject m_object;
    CFrameReader m_reader;
    QStringList m_script;
    qsizetype m_next = 0;
    QString m_start;
    std::unique_ptr<ServerWindow> m_window;
};

}  // namespace

int main(int argc, char** argv)
{
    // Descriptor 1 becomes the channel; whatever else prints goes to standard error.
    g_channel = dup(1);
    dup2(2, 1);
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    Server server;
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&server] { server.OnInput(); });
    return app.exec();
}

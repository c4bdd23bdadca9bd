// A stand-in for the formula editor's server program in the tests: it speaks the embedding
// channel with the real formula document and makes the edits a script asks for, so that the
// container's side runs against the real object data, extent and picture before the editor's
// window exists. It reads the test server's settings:
//   QN_TEST_SERVER_SCRIPT  a file; line n holds the commands run on the n-th DOVERB:
//                          "type TEXT" (characters appended to the formula), "control" (a
//                          character no XML may hold, so that storing fails), "crash", "exit"
//   QN_TEST_SERVER_START   "silent" (never answers)
//   QN_TEST_SERVER_PID     a file the stand-in writes its process id into
#include "base/gdi_cache.h"
#include "formula/vumat_doc.h"
#include "math/formula_family.h"
#include "math/formula.h"
#include "math/math_char.h"
#include "platform/fonts.h"

#include <QFile>
#include <QGuiApplication>
#include <QString>
#include <QStringList>

#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace {

// Appends the characters to the first line of the document's formula.
void TypeIntoFormula(CVumatDoc& document, const QString& text)
{
    CEditMathSentence* root = document.GetRoot();
    CEditNode* formula = root != nullptr ? root->GetEditChild(0) : nullptr;
    if (formula == nullptr || formula->GetChildCount() == 0)
        return;
    for (const QChar c : text) {
        auto character = std::make_unique<CEditMathChar>(char16_t(c.unicode()));
        if (formula->InsertChildAt(formula->GetChildCount() - 1, character.get()) >= 0)
            character.release();
    }
    document.LayoutRoot();
    document.SetModifiedFlag(TRUE);
    document.UpdateAllItems(0);
}

QStringList ReadScript()
{
    const char* path = std::getenv("QN_TEST_SERVER_SCRIPT");
    if (path == nullptr)
        return {};
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n');
}

}  // namespace

int main(int argc, char** argv)
{
    const int channel = CEmbeddingServer::TakeStandardOutput();
    if (channel < 0)
        return 2;
    if (const char* pidFile = std::getenv("QN_TEST_SERVER_PID")) {
        QFile file(QString::fromUtf8(pidFile));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(QByteArray::number(qint64(getpid())));
    }
    LoadFontAliasRules();
    QGuiApplication app(argc, argv);
    CreateGdiResources();
    RegisterFormulaFamily();
    if (const char* start = std::getenv("QN_TEST_SERVER_START"); start != nullptr && QString::fromUtf8(start) == "silent") {
        // Reads and never answers, until the container ends the process.
        char buffer[4096];
        while (read(0, buffer, sizeof buffer) > 0) {
        }
        return 0;
    }

    CVumatDoc document;
    CEmbeddingServer server(&document, 0, channel);
    const QStringList script = ReadScript();
    qsizetype next = 0;
    server.SetVerbHandler([&](int) {
        const QString line = next < script.size() ? script[next] : QString();
        ++next;
        const QStringList words = line.split(' ', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < words.size(); ++i) {
            if (words[i] == "type" && i + 1 < words.size()) {
                TypeIntoFormula(document, words[++i]);
            } else if (words[i] == "control") {
                TypeIntoFormula(document, QString(QChar(0x0001)));
            } else if (words[i] == "crash") {
                std::abort();
            } else if (words[i] == "exit") {
                std::_Exit(0);
            }
        }
    });
    return server.Run() == CEmbeddingServer::State::Closed ? 0 : 1;
}

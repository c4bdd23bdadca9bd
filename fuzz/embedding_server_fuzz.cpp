// Bytes from a container's channel, fed to the formula server's side of the link in pieces whose
// sizes the input chooses; its answers go nowhere. The link must end or go on, never crash.
#include "base/gdi_cache.h"
#include "formula/vumat_doc.h"
#include "math/formula_family.h"
#include "platform/shell.h"

#include <QGuiApplication>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const int sink = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "embedding_server_fuzz";
        static char* argv[] = {name, nullptr};
        static QGuiApplication application(argc, argv);
        RegisterFormulaFamily();
        CreateGdiResources();
        SetShellHandler([](SHELL_REQUEST& request) { return ShellDefaultAnswer(request); });
        return open("/dev/null", O_WRONLY);
    }();

    CVumatDoc document;
    CEmbeddingServer server(&document, -1, sink);
    size_t at = 0;
    while (at < size && server.GetState() == CEmbeddingServer::State::Running) {
        // The first byte of each piece tells how many bytes follow in it.
        const size_t piece = std::min<size_t>(size - at - 1, data[at] + 1u);
        server.Feed(std::span<const uint8_t>(data + at + 1, piece));
        at += piece + 1;
    }
    return 0;
}

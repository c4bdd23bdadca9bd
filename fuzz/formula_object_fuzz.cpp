// Bytes stored as a formula object's data: read into the formula document as its server reads
// them; whatever formula they give is stored again, and that data must read back to a formula.
#include "base/gdi_cache.h"
#include "formula/vumat_doc.h"
#include "math/formula_family.h"
#include "platform/shell.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "formula_object_fuzz";
        static char* argv[] = {name, nullptr};
        static QGuiApplication application(argc, argv);
        RegisterFormulaFamily();
        CreateGdiResources();
        SetShellHandler([](SHELL_REQUEST& request) { return ShellDefaultAnswer(request); });
        return true;
    }();
    (void)ready;

    CVumatDoc document;
    document.LoadObjectData(std::vector<uint8_t>(data, data + size));
    if (document.GetRoot() == nullptr)
        std::abort();
    std::string stored;
    if (document.StoreObjectData(&stored)) {
        CVumatDoc again;
        again.LoadObjectData(std::vector<uint8_t>(stored.begin(), stored.end()));
        if (again.GetRoot() == nullptr)
            std::abort();
    }
    return 0;
}

// Print files as the HTML and text exports read them: the bytes loaded as a print file, the
// stylesheet they carry applied, and the XSL-FO that results written as text and as a page
// with its pictures, all inside a private folder of the run.
#include "base/gdi_cache.h"
#include "export/html_exporter.h"
#include "export/text_exporter.h"
#include "math/formula_family.h"
#include "platform/fonts.h"
#include "platform/shell.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// The folder every input is written into and exported beside; made once, emptied per input.
const std::string& RunFolder()
{
    static const std::string folder = [] {
        std::string pattern = (fs::temp_directory_path() / "export-fuzz-XXXXXX").string();
        return mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }();
    return folder;
}

void StartOnce()
{
    static const bool started = [] {
        // Formulas are drawn with Qt's fonts, which need a (windowless) application.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        LoadFontAliasRules();
        static int argc = 1;
        static char name[] = "export_reader_fuzz";
        static char* argv[] = {name, nullptr};
        static QGuiApplication application(argc, argv);
        RegisterFormulaFamily();
        CreateGdiResources();
        SetShellHandler([](SHELL_REQUEST& request) { return ShellDefaultAnswer(request); });
        // The folder's name is made before the exit handler is registered, so it outlives it.
        RunFolder();
        std::atexit([] {
            std::error_code error;
            fs::remove_all(RunFolder(), error);
        });
        return true;
    }();
    (void)started;
}

void EmptyRunFolder()
{
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(RunFolder(), error))
        fs::remove_all(entry.path(), error);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartOnce();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartOnce();
    if (RunFolder().empty())
        return 0;
    EmptyRunFolder();
    const std::string source = RunFolder() + "paper.tmp";
    std::ofstream(source, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    {
        CTextExporter text;
        if (text.Load(source))
            text.SaveText(RunFolder() + "out.txt", FALSE);
    }
    {
        CHtmlExporter page;
        if (page.Load(source))
            page.SaveHtml(RunFolder() + "out.htm", TRUE);
    }
    return 0;
}

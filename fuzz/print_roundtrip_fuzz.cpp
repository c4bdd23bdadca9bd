// Print files read, saved, read again and saved again, each save under the same name in a folder
// of its own: a paper that is read and saved must read back, and its second save must write the
// bytes of the first (side files included).
#include "base/gdi_cache.h"
#include "fuzz/fuzz_input.h"
#include "math/formula_family.h"
#include "nodes/edit_print.h"
#include "nodes/node_archive.h"
#include "platform/fonts.h"
#include "platform/shell.h"
#include "printfile/print_messages.h"
#include "printfile/print_reader.h"
#include "printfile/print_writer.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

void StartOnce()
{
    static const bool started = [] {
        LoadFontAliasRules();
        RegisterNodeClasses(ProgramClassRegistry(), NODE_PROGRAM::ProblemEditor);
        RegisterMathClasses(ProgramClassRegistry());
        RegisterFormulaFamily();
        CreateGdiResources();
        SetPrintFileMessageSink([](const CStringW&) {});
        SetShellHandler([](SHELL_REQUEST& request) { return ShellDefaultAnswer(request); });
        return true;
    }();
    (void)started;
}

// Every regular file of a folder, by name, with its bytes.
std::vector<std::pair<std::string, std::string>> Contents(const std::filesystem::path& folder)
{
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& item : std::filesystem::directory_iterator(folder))
        if (item.is_regular_file())
            files.emplace_back(item.path().filename().string(), ReadBytes(item.path()));
    std::sort(files.begin(), files.end());
    return files;
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
    const std::filesystem::path& scratch = ScratchFolder::Empty();
    for (const char* name : {"in", "once", "twice"})
        std::filesystem::create_directory(scratch / name);
    WriteBytes(scratch / "in" / "paper.xml", data, size);

    CEditPrint read;
    if (!LoadXmlFile(&read, (scratch / "in" / "paper.xml").string()))
        return 0;
    if (!SavePrintFile(&read, (scratch / "once" / "paper.xml").string()))
        return 0;
    CEditPrint again;
    if (!LoadXmlFile(&again, (scratch / "once" / "paper.xml").string()))
        std::abort();  // the writer wrote what the reader refuses
    if (!SavePrintFile(&again, (scratch / "twice" / "paper.xml").string()))
        std::abort();  // a paper that was saved and read cannot be saved again
    if (Contents(scratch / "once") != Contents(scratch / "twice"))
        std::abort();  // the second save changed the file
    return 0;
}

// Print files as papers are opened from disk: the bytes read as a file (any encoding its
// declaration names), the file's stylesheet applied, the result built into a paper's nodes, and
// the paper laid out once.
#include "base/gdi_cache.h"
#include "fuzz/fuzz_input.h"
#include "math/formula_family.h"
#include "nodes/display_map.h"
#include "nodes/edit_print.h"
#include "nodes/node_archive.h"
#include "platform/archive.h"
#include "platform/fonts.h"
#include "platform/gdi_recording.h"
#include "platform/shell.h"
#include "printfile/print_messages.h"
#include "printfile/print_reader.h"

namespace {

// What the problem editor's start-up provides (font aliases loaded first, as the program does:
// fontconfig keeps what it loads for the life of the process); messages and boxes are answered
// silently.
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

}  // namespace

// libFuzzer starts the program before the first input, so that what start-up keeps is not
// counted as an input's leak; the replay driver starts it with the first input.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartOnce();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartOnce();
    const MemoryFile file(data, size);
    CEditPrint root;
    if (!LoadXmlFile(&root, file.Path()))
        return 0;
    CRecordingDC dc;
    CDisplayMap map;
    map.SetResolution(2540, 2540, 100);
    map.SetVertical(root.m_vertical);
    LAYOUT_CONTEXT measure;
    root.Measure(&dc, &map, &measure);
    LAYOUT_CONTEXT layout;
    root.Layout(&layout, root.m_vertical);
    return 0;
}

#include "editor/print_file_access.h"

#include "platform/shell.h"
#include "printfile/print_messages.h"
#include "printfile/print_reader.h"
#include "printfile/print_writer.h"

namespace {

// The print-file library for reading and writing papers. The package (pack and extract) and the
// HTML and text exports are not part of the program yet: they fail, so the user is told and
// nothing on disk changes.
class CProgramPrintFileAccess : public IPrintFileAccess {
public:
    CProgramPrintFileAccess()
    {
        // The reader's and writer's own messages go to the program's message boxes.
        SetPrintFileMessageSink([](const CStringW& text) {
            ShellMessageBox(std::u16string(text.View()), u"Tarsel", MB_OK | MB_ICONEXCLAMATION);
        });
    }
    ~CProgramPrintFileAccess() override { SetPrintFileMessageSink({}); }

    bool LoadNewTemplate(CEditPrint* root, bool vertical) override { return ::LoadNewTemplate(root, vertical); }
    bool LoadXmlFile(CEditPrint* root, const std::string& path) override { return ::LoadXmlFile(root, path); }
    bool WritePrintFile(CEditPrint* root, const std::string& path) override { return SavePrintFile(root, path); }
    bool PackFilesToCabinet(const std::vector<std::string>&, const std::string&, const std::string&) override
    {
        return false;
    }
    bool ExtractCabinet(const std::string&, const std::string&) override { return false; }
    std::string GetExtractedFirstFile() override { return {}; }
    bool ExportHtml(CEditPrint*, const std::string&) override { return false; }
    bool ExportText(CEditPrint*, const std::string&) override { return false; }
};

}  // namespace

std::unique_ptr<IPrintFileAccess> CreatePrintFileAccess()
{
    return std::make_unique<CProgramPrintFileAccess>();
}

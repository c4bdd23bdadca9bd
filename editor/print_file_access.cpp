#include "editor/print_file_access.h"

namespace {

// Stands in until the print-file reader, writer and package are part of the program: every
// operation fails, so the user is told and nothing on disk changes.
class CUnavailablePrintFileAccess : public IPrintFileAccess {
public:
    bool LoadNewTemplate(CEditPrint*, bool) override { return false; }
    bool LoadXmlFile(CEditPrint*, const std::string&) override { return false; }
    bool WritePrintFile(CEditPrint*, const std::string&) override { return false; }
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
    return std::make_unique<CUnavailablePrintFileAccess>();
}

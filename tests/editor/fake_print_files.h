// A stand-in for the print-file library and the package, for the document's tests: a "print
// file" holds a header line and the paper's bank text, with one side file beside it; a
// "package" starts with "MSCF" and holds the files by bare name and size. Failures can be
// switched on, one at a time.
#pragma once

#include "editor/print_file_access.h"

#include <string>
#include <vector>

class FakePrintFiles : public IPrintFileAccess {
public:
    bool LoadNewTemplate(CEditPrint* root, bool vertical) override;
    bool LoadXmlFile(CEditPrint* root, const std::string& path) override;
    bool WritePrintFile(CEditPrint* root, const std::string& path) override;
    bool PackFilesToCabinet(const std::vector<std::string>& files, const std::string& folder,
                            const std::string& name) override;
    bool ExtractCabinet(const std::string& cabinet, const std::string& folder) override;
    std::string GetExtractedFirstFile() override { return m_firstExtracted; }
    bool ExportHtml(CEditPrint* root, const std::string& path) override;
    bool ExportText(CEditPrint* root, const std::string& path) override;

    bool failTemplate = false;
    bool failWriteHalfway = false;  // the writer stops after half of its bytes, as a full disk does
    bool failPack = false;
    std::vector<std::string> loaded;     // paths given to LoadXmlFile
    std::vector<std::string> packed;     // the file lists of the last pack, bare names
    std::vector<std::string> exported;   // "html:<path>" or "text:<path>"

private:
    std::string m_firstExtracted;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

#include "export/export_commands.h"

#include "export/html_exporter.h"
#include "export/text_exporter.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A folder of the temporary directory that only this user can enter, removed with all it holds
// when the command ends.
class ExportTempFolder {
public:
    ExportTempFolder()
    {
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        if (error)
            return;
        std::string pattern = (base / "tarsel-export-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~ExportTempFolder()
    {
        std::error_code error;
        if (!m_path.empty())
            fs::remove_all(m_path, error);
    }
    ExportTempFolder(const ExportTempFolder&) = delete;
    ExportTempFolder& operator=(const ExportTempFolder&) = delete;

    bool Valid() const { return !m_path.empty(); }
    std::string Folder() const { return m_path + "/"; }

private:
    std::string m_path;
};

template <typename Exporter, typename Save>
bool ExportThroughPrintFile(const PrintFileWriter& writePrintFile, const std::string& outputPath, Save save)
{
    if (outputPath.empty() || !writePrintFile)
        return false;
    ExportTempFolder temp;
    if (!temp.Valid())
        return false;
    const std::string printFile = temp.Folder() + ExportPrintFileName(outputPath);
    if (!writePrintFile(printFile))
        return false;
    Exporter exporter;
    if (!exporter.Load(printFile))
        return false;
    return (exporter.*save)(outputPath, TRUE) != FALSE;
}

}  // namespace

std::string ExportPrintFileName(const std::string& outputPath)
{
    return SplitFilePath(outputPath).name + ".tmp";
}

bool ExportPaperToHtml(const PrintFileWriter& writePrintFile, const std::string& outputPath)
{
    return ExportThroughPrintFile<CHtmlExporter>(writePrintFile, outputPath, &CHtmlExporter::SaveHtml);
}

bool ExportPaperToText(const PrintFileWriter& writePrintFile, const std::string& outputPath)
{
    return ExportThroughPrintFile<CTextExporter>(writePrintFile, outputPath, &CTextExporter::SaveText);
}

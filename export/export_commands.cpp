#include "export/export_commands.h"

#include "export/export_temp_files.h"
#include "export/html_exporter.h"
#include "export/text_exporter.h"



namespace {

template <typename Exporter, typename Save>
bool ExportThroughPrintFile(const PrintFileWriter& writePrintFile, const std::string& outputPath, Save save)
{
    if (outputPath.empty() || !writePrintFile)
        return false;
    CExportTempFolder temp;
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

#include "editor/print_file_access.h"

#include "export/export_commands.h"
#include "nodes/edit_print.h"
#include "platform/shell.h"
#include "printfile/print_messages.h"
#include "printfile/print_package.h"
#include "printfile/print_reader.h"
#include "printfile/print_writer.h"

namespace {

// The print-file library for reading and writing papers and packing and extracting packages, and
// the HTML and text exports.
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
    bool PackFilesToCabinet(const std::vector<std::string>& files, const std::string& folder,
                            const std::string& name) override
    {
        std::vector<const char*> list;
        list.reserve(files.size());
        for (const std::string& file : files)
            list.push_back(file.c_str());
        return ::PackFilesToCabinet(static_cast<int>(list.size()), list.data(), folder.c_str(), name.c_str());
    }
    bool ExtractCabinet(const std::string& cabinet, const std::string& folder) override
    {
        return ::ExtractCabinet(cabinet.c_str(), folder.c_str());
    }
    std::string GetExtractedFirstFile() override { return ::GetExtractedFirstFile(); }
    bool ExportHtml(CEditPrint* root, const std::string& path) override
    {
        return Export(root, path, &ExportPaperToHtml);
    }
    bool ExportText(CEditPrint* root, const std::string& path) override
    {
        return Export(root, path, &ExportPaperToText);
    }

private:
    // The export writes the paper into a temporary folder of its own, which it removes. Writing
    // points the root at the temporary file and its side files; the root gets its own path and
    // side files back, so the paper still names the file it came from.
    static bool Export(CEditPrint* root, const std::string& path,
                       bool (*exportPaper)(const PrintFileWriter&, const std::string&))
    {
        if (root == nullptr)
            return false;
        struct RootPath {
            explicit RootPath(CEditPrint* r)
                : root(r), path(r->m_pathName), drive(r->m_drive), directory(r->m_directory),
                  fileName(r->m_fileName), extension(r->m_extension), sideFiles(r->m_sideFiles)
            {
            }
            ~RootPath()
            {
                root->m_pathName.swap(path);
                root->m_drive.swap(drive);
                root->m_directory.swap(directory);
                root->m_fileName.swap(fileName);
                root->m_extension.swap(extension);
                root->m_sideFiles.swap(sideFiles);
            }
            CEditPrint* root;
            std::string path, drive, directory, fileName, extension;
            std::vector<std::string> sideFiles;
        } kept(root);
        return exportPaper([root](const std::string& printFile) { return SavePrintFile(root, printFile); }, path);
    }
};

}  // namespace

std::unique_ptr<IPrintFileAccess> CreatePrintFileAccess()
{
    return std::make_unique<CProgramPrintFileAccess>();
}

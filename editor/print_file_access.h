// What the document needs of the print-file format: a new paper from the empty-paper template,
// reading and writing a print file, and packing and extracting a print package. Paths are
// file-system paths (UTF-8). The program binds the print-file library; tests bind a double.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CEditPrint;

class IPrintFileAccess {
public:
    virtual ~IPrintFileAccess() = default;

    // A new paper from the empty-paper template of the writing direction.
    virtual bool LoadNewTemplate(CEditPrint* root, bool vertical) = 0;
    // Reads the print file at path into root, which records the path it read.
    virtual bool LoadXmlFile(CEditPrint* root, const std::string& path) = 0;
    // Writes root as a plain print file at path: the root takes the path, its side-file list
    // starts again, the name-field layer and the body are converted and written; the side files
    // land beside path and are listed in the root. The file at path is replaced only when the
    // new one is complete.
    virtual bool WritePrintFile(CEditPrint* root, const std::string& path) = 0;
    // Packs the files, in order and under their bare names, into folder + name; the package
    // replaces a former one only when complete.
    virtual bool PackFilesToCabinet(const std::vector<std::string>& files, const std::string& folder,
                                    const std::string& name) = 0;
    // Extracts every file of the package into folder; false when the package is not one, is
    // damaged or names a file outside the folder.
    virtual bool ExtractCabinet(const std::string& cabinet, const std::string& folder) = 0;
    // The first file of the latest extraction: the print file.
    virtual std::string GetExtractedFirstFile() = 0;
    // The exports that Save As offers besides the package (HTML and text), given the chosen
    // file; false when they cannot be made.
    virtual bool ExportHtml(CEditPrint* root, const std::string& path) = 0;
    virtual bool ExportText(CEditPrint* root, const std::string& path) = 0;
};

// The access the program uses: the print-file library's reader, writer and package, and the HTML
// and text exports.
std::unique_ptr<IPrintFileAccess> CreatePrintFileAccess();

// The HTML and text export commands: the open paper is written as a print file, with its side
// files, into a private temporary folder made for the command, the exporter reads it and writes
// the output, and the folder is removed, whatever happened, before the command returns.
#pragma once

#include <functional>
#include <string>

// Writes the paper as a print file at the given path; false when it cannot.
using PrintFileWriter = std::function<bool(const std::string& printFile)>;

// The print file's name for an output file: its name cut at the last "." (unless that is the
// first character), with ".tmp" ("a.b.htm" gives "a.b.tmp").
std::string ExportPrintFileName(const std::string& outputPath);

// True only when the print file was written, loaded and the page or text saved at outputPath.
bool ExportPaperToHtml(const PrintFileWriter& writePrintFile, const std::string& outputPath);
bool ExportPaperToText(const PrintFileWriter& writePrintFile, const std::string& outputPath);

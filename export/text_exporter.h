// The plain-text export: the XSL-FO document of a print file written as code page 932 text, a
// line for every block, question numbers and points labels as text, ruby as base then reading,
// formulas in a linear form, gaiji characters as "■"; pictures and objects are left out.
#pragma once

#include "export/xsl_fo_reader.h"

#include <string>

class CTextExporter : public CXslFoReader {
public:
    CTextExporter();
    ~CTextExporter() override;

    // Writes the text to path; the source print file is deleted afterwards when deleteSource is
    // set. False for an empty path, a reader without document and a file that cannot be written.
    BOOL SaveText(const std::string& path, BOOL deleteSource);

private:
    // Each appends to the text being built; false when the element could not be read whole.
    BOOL WriteNode(const XmlNode& element, std::string& out);
    BOOL WriteChildren(const XmlNode& element, std::string& out);
    BOOL WriteMath(const XmlNode& element, std::string& out);
    BOOL WriteMathChildren(const XmlNode& element, std::string& out);
    void WriteInstreamChild(const XmlNode& child, std::string& out);
};

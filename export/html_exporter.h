// The HTML export: the XSL-FO document of a print file turned into a UTF-16 page whose "html"
// element holds the paper's blocks, inline styles, ruby, scripts and tables (inside one vertical
// "div" in vertical writing), with question numbers and points labels as text, and a folder
// "<page name>.files" beside it holding PNG pictures of formulas and objects and copies of the
// pictures.
#pragma once

#include "export/xsl_fo_reader.h"

#include <string>

class CHtmlExporter : public CXslFoReader {
public:
    CHtmlExporter();
    ~CHtmlExporter() override;

    // Builds the page and saves it to path; the sources it converts are deleted when
    // deleteSource is set. False for an empty path, a reader without document, and a page that
    // cannot be saved.
    BOOL SaveHtml(const std::string& path, BOOL deleteSource);

    // The page as built by the latest SaveHtml.
    const XmlDocument& GetHtml() const { return *m_html; }

private:
    BOOL ConvertNode(const XmlNode& element, XmlNode& parent);
    BOOL ConvertChildren(const XmlNode& element, XmlNode& parent);
    // The content of an "fo:instream-foreign-object"; false when it stopped on a failure.
    BOOL ConvertInstream(const XmlNode& element, XmlNode& parent);
    BOOL ConvertObject(const XmlNode& object, XmlNode& parent, bool* endInstream);
    BOOL ConvertFormula(const XmlNode& math, XmlNode& parent);
    BOOL ConvertPicture(const XmlNode& graphic, XmlNode& parent);
    XmlNode Append(XmlNode& parent, const char16_t* name);
    // Makes the images folder when it is missing; false when it cannot be made.
    bool MakeImagesFolder();
    // The "src" text of a file in the images folder, relative to the page, and its real path.
    std::u16string ImageSource(const std::string& fileName) const;
    std::string ImagePath(const std::string& fileName) const;

    std::string m_outputPath;
    std::string m_outputDirectory;
    std::string m_outputName;
    std::string m_outputExtension;
    std::string m_imagesFolder;
    std::unique_ptr<XmlDocument> m_html;
};

// Helpers of the export tests: hand-written print files in a temporary folder, exporters whose
// DOM a test fills with hand-written XSL-FO, and file reading.
#pragma once

#include "export/xsl_fo_reader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace exporttest {

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A print file: a data part and a stylesheet whose flow holds flowBody and whose templates turn
// each question part's element into a block container holding its text.
inline std::string PrintFile(const std::string& flowBody, const std::string& data = "<dmon/>",
                             const std::string& masterAttributes = "", const std::string& templates = "")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<print>" + data +
           "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\""
           " xmlns:fo=\"http://www.w3.org/1999/XSL/Format\">"
           "<xsl:template match=\"/\"><fo:root><fo:layout-master-set>"
           "<fo:simple-page-master master-name=\"BodyPage\" " + masterAttributes + "/>"
           "</fo:layout-master-set><fo:page-sequence master-reference=\"BodyPage\">"
           "<fo:flow flow-name=\"xsl-region-body\">" + flowBody +
           "</fo:flow></fo:page-sequence></fo:root></xsl:template>"
           "<xsl:template match=\"dai|ran|kai|setsu|gai\"><fo:block-container><fo:block>"
           "<xsl:value-of select=\".\"/></fo:block></fo:block-container></xsl:template>" +
           templates + "</xsl:stylesheet></print>";
}

// An exporter whose reader state a test sets directly: an XSL-FO text in place of a loaded print
// file, the part list and the writing direction.
template <typename Exporter>
class Prepared : public Exporter {
public:
    void SetFo(const std::u16string& fo, std::vector<EXPORT_PART> parts = {}, bool vertical = false)
    {
        ASSERT_TRUE(this->m_dom->loadXML(fo)) << "fixture does not parse";
        this->m_parts = std::move(parts);
        this->m_vertical = vertical ? TRUE : FALSE;
    }
    void SetSource(const std::string& path)
    {
        this->m_sourcePath = path;
        const SPLIT_PATH split = SplitFilePath(path);
        this->m_sourceDirectory = split.directory;
        this->m_sourceName = split.name;
    }
    void SetDeleteSource(BOOL value) { this->m_deleteSource = value; }
};

// An XSL-FO document around the content of its flow.
inline std::u16string Fo(const std::u16string& flow)
{
    return u"<fo:root xmlns:fo=\"http://www.w3.org/1999/XSL/Format\"><fo:page-sequence><fo:flow>" + flow +
           u"</fo:flow></fo:page-sequence></fo:root>";
}

}  // namespace exporttest

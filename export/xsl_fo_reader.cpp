#include "export/xsl_fo_reader.h"

#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "base/wide_string.h"
#include "platform/shell.h"
#include "platform/utf8.h"
#include "printfile/fo_tree.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr char16_t kXslNamespaces[] = u"xmlns:xsl='http://www.w3.org/1999/XSL/Transform'";
constexpr char16_t kFoNamespaces[] = u"xmlns:fo='http://www.w3.org/1999/XSL/Format'";

// Whether a transformation's text holds no more than its XML declaration and white space.
bool IsEmptyResult(std::u16string_view text)
{
    if (text.substr(0, 5) == u"<?xml") {
        const size_t end = text.find(u"?>");
        text = end == std::u16string_view::npos ? std::u16string_view() : text.substr(end + 2);
    }
    return text.find_first_not_of(u" \t\r\n") == std::u16string_view::npos;
}

bool Contains(const CStringW& text, const char16_t* word) { return text.Find(word) >= 0; }

}  // namespace

bool ReadPartPath(CStringW select, EXPORT_PART* part)
{
    std::vector<CStringW> steps;
    SplitPath(steps, select);
    if (steps.size() >= 4) {
        part->major = GetPathStepIndex(steps[1]);
        part->minor = Contains(steps[2], u"smon") ? GetPathStepIndex(steps[2]) : 0;
        const CStringW& last = steps[3];
        static constexpr const char16_t* kKindWords[] = {u"dai", u"ran", u"kai", u"setsu", u"gai"};
        part->kind = ExportPartKind::kLiteral;
        for (int k = 0; k < 5; ++k) {
            if (Contains(last, kKindWords[k])) {
                part->kind = k + 1;
                break;
            }
        }
        return true;
    }
    if (steps.size() >= 2) {
        if (!Contains(steps[1], u"gai"))
            return false;
        part->kind = ExportPartKind::kGai;
        return true;
    }
    return false;
}

SPLIT_PATH SplitFilePath(const std::string& path)
{
    SPLIT_PATH split;
    const size_t slash = path.find_last_of('/');
    std::string file = path;
    if (slash != std::string::npos) {
        split.directory = path.substr(0, slash + 1);
        file = path.substr(slash + 1);
    }
    const size_t dot = file.find_last_of('.');
    if (dot != std::string::npos && dot != 0) {
        split.name = file.substr(0, dot);
        split.extension = file.substr(dot);
    } else {
        split.name = file;
    }
    return split;
}

bool IsBareFileName(std::u16string_view name)
{
    if (name.empty() || name == u"." || name == u"..")
        return false;
    for (char16_t unit : name)
        if (unit == u'/' || unit == u'\\' || unit == 0)
            return false;
    return true;
}

CXslFoReader::CXslFoReader() : m_dom(std::make_unique<XmlDocument>()) {}

CXslFoReader::~CXslFoReader() = default;

const EXPORT_PART* CXslFoReader::CurrentPart() const
{
    if (m_partCounter < 0 || static_cast<size_t>(m_partCounter) >= m_parts.size())
        return nullptr;
    return &m_parts[static_cast<size_t>(m_partCounter)];
}

void CXslFoReader::DeleteSourceIfAsked() const
{
    if (!m_deleteSource || m_sourcePath.empty())
        return;
    std::error_code error;
    fs::remove(m_sourcePath, error);
}

std::string CXslFoReader::SideFilePath(std::u16string_view name) const
{
    if (!IsBareFileName(name))
        return std::string();
    return m_sourceDrive + m_sourceDirectory + Utf16ToUtf8(name);
}

void CXslFoReader::ShowMessage(const std::u16string& text)
{
    ShellMessageBox(text, kExportMessageCaption, MB_OK);
}

std::u16string CXslFoReader::ErrorText(const char16_t* what, const XmlParseError& error)
{
    CStringW text;
    text.Format(u"%s Error: Code=0x%x Source=Line:%ld; Char:%ld Error Description=%s", what,
                static_cast<unsigned>(error.errorCode), error.line, error.linepos, std::u16string_view(error.reason));
    return std::u16string(text.View());
}

BOOL CXslFoReader::Load(const std::string& path)
{
    if (path.empty())
        return FALSE;
    m_vertical = FALSE;
    m_sourcePath = path;
    const SPLIT_PATH split = SplitFilePath(path);
    m_sourceDrive.clear();
    m_sourceDirectory = split.directory;
    m_sourceName = split.name;
    m_sourceExtension = split.extension;
    try {
        if (!m_dom->load(path)) {
            ShowMessage(ErrorText(u"XML Parsing", m_dom->parseError()));
            return FALSE;
        }
        m_dom->setProperty(u"SelectionLanguage", u"XPath");
        m_dom->setProperty(u"SelectionNamespaces", kXslNamespaces);
        const XmlNode stylesheet = m_dom->selectSingleNode(u"//xsl:stylesheet");
        if (!stylesheet)
            return FALSE;
        m_dom->setProperty(u"SelectionNamespaces", kFoNamespaces);
        // Without the stylesheet's flow there is no part list to number the labels by.
        const XmlNode flow = m_dom->selectSingleNode(u"//fo:flow");
        if (!flow || !ReadPartList(flow))
            return FALSE;
        XmlNode documentElement = m_dom->documentElement();
        if (!documentElement || !(documentElement.removeChild(stylesheet) == stylesheet))
            return FALSE;
        if (!Transform(stylesheet))
            return FALSE;
        m_dom->setProperty(u"SelectionNamespaces", kFoNamespaces);
        if (const XmlNode master = m_dom->selectSingleNode(u"//fo:simple-page-master")) {
            for (const XmlNode& attribute : master.attributes())
                if (attribute.nodeName() == u"writing-mode" && attribute.nodeValue() == u"tb-rl")
                    m_vertical = TRUE;
        }
    } catch (const XmlError&) {
        return FALSE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    m_deleteSource = FALSE;
    return TRUE;
}

bool CXslFoReader::ReadPartList(const XmlNode& flow)
{
    m_partTree.reset(BuildFoTree(flow));
    m_parts.clear();
    if (!m_partTree || m_partTree->GetChildCount() == 0)
        return false;
    for (int k = 0; k < m_partTree->GetChildCount(); ++k) {
        const CQNXMLNode* child = m_partTree->GetChildAt(k);
        if (child == nullptr)
            return false;
        EXPORT_PART part;
        if (child->m_typeCode == XEC_XSL_APPLY_TEMPLATES) {
            const auto* apply = static_cast<const CXslApplyTemplates*>(child);
            if (!ReadPartPath(apply->m_select, &part))
                return false;
        }
        m_parts.push_back(part);
    }
    return true;
}

// Transforms the whole document, now without its stylesheet, by that stylesheet, and loads the
// result in its place.
bool CXslFoReader::Transform(const XmlNode& stylesheet)
{
    const std::optional<std::u16string> result = m_dom->transformNode(stylesheet);
    if (!result || IsEmptyResult(*result)) {
        ShowMessage(u"XSLTでのエラー");
        ShowMessage(ErrorText(u"XSLT", m_dom->parseError()));
        return false;
    }
    if (!m_dom->loadXML(*result)) {
        ShowMessage(ErrorText(u"FO Parsing", m_dom->parseError()));
        return false;
    }
    return true;
}

// The process-wide set-up of libxml2 and libxslt for untrusted input, the encoding names the
// documents use, and the capture of the errors that the libraries report.
#include "platform/xml_internal.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxslt/xsltutils.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace xmlutil {
void InitialiseTransforms();  // xml_transform.cpp
}

namespace {

// The names under which documents declare the Japanese system code page; all of them are read
// and written as code page 932, which differs from the JIS table of "SHIFT_JIS".
constexpr const char* kCp932Names[] = {"Shift-JIS", "Shift_JIS", "SJIS", "x-sjis", "MS_Kanji", "csShiftJIS",
                                       "Windows-31J", "MS932", "CP932"};

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

thread_local xmlutil::ErrorCapture* t_currentCapture = nullptr;

// No external entity, DTD or stylesheet module is ever read: the documents are untrusted.
xmlParserInputPtr RefuseExternalEntity(const char* url, const char*, xmlParserCtxtPtr ctxt)
{
    if (xmlutil::ErrorCapture* capture = xmlutil::CurrentCapture()) {
        long line = 0, column = 0;
        if (ctxt && ctxt->input) {
            line = ctxt->input->line;
            column = ctxt->input->col;
        }
        capture->Record(XML_ERR_ENTITY_IS_EXTERNAL, line, column,
                        std::string("External entity not allowed: ") + (url ? url : ""));
    }
    return nullptr;
}

void StructuredError(void* data, xmlErrorPtr error)
{
    if (!data || !error || error->level < XML_ERR_ERROR)
        return;
    static_cast<xmlutil::ErrorCapture*>(data)->Record(error->code, error->line, error->int2,
                                                      error->message ? error->message : "");
}

std::string TrimMessage(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace

namespace xmlutil {

void EnsureInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        for (const char* name : kCp932Names)
            if (!EqualsNoCase(name, "CP932"))
                xmlAddEncodingAlias("CP932", name);
        xmlSetExternalEntityLoader(RefuseExternalEntity);
        InitialiseTransforms();
    });
}

bool IsCp932EncodingName(std::string_view name)
{
    for (const char* known : kCp932Names)
        if (EqualsNoCase(name, known))
            return true;
    return false;
}

bool IsUtf16EncodingName(std::string_view name)
{
    return EqualsNoCase(name, "UTF-16") || EqualsNoCase(name, "UTF-16LE") || EqualsNoCase(name, "UTF-16BE") ||
           EqualsNoCase(name, "ISO-10646-UCS-2") || EqualsNoCase(name, "UCS-2");
}

namespace {

// The name characters of XML 1.0 fifth edition, the rules the parser reads names by.
bool IsNameStartChar(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c)
{
    return IsNameStartChar(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// A name without colon; a lone surrogate (from malformed UTF-8) is no name character.
bool IsNcName(std::u16string_view name)
{
    if (name.empty())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char32_t c = name[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            return false;
        if (i == 0 ? !IsNameStartChar(c) : !IsNameChar(c))
            return false;
    }
    return true;
}

}  // namespace

bool IsQualifiedName(std::string_view utf8)
{
    const std::u16string name = ToUtf16(utf8);
    if (ToUtf8(name) != utf8)
        return false;  // malformed UTF-8
    const size_t colon = name.find(u':');
    if (colon == std::u16string::npos)
        return IsNcName(name);
    const std::u16string_view whole(name);
    return IsNcName(whole.substr(0, colon)) && IsNcName(whole.substr(colon + 1));
}

ErrorCapture* CurrentCapture() { return t_currentCapture; }

void CaptureGenericError(void* capture, const char* format, ...)
{
    if (!capture)
        return;
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    static_cast<ErrorCapture*>(capture)->AddGeneric(buffer);
}

ErrorCapture::ErrorCapture()
    : m_outer(t_currentCapture),
      m_previousStructured(xmlStructuredError),
      m_previousStructuredContext(xmlStructuredErrorContext),
      m_previousGeneric(xmlGenericError),
      m_previousGenericContext(xmlGenericErrorContext),
      m_previousXslt(xsltGenericError),
      m_previousXsltContext(xsltGenericErrorContext)
{
    t_currentCapture = this;
    xmlSetStructuredErrorFunc(this, StructuredError);
    xmlSetGenericErrorFunc(this, CaptureGenericError);
    xsltSetGenericErrorFunc(this, CaptureGenericError);
}

ErrorCapture::~ErrorCapture()
{
    xmlSetStructuredErrorFunc(m_previousStructuredContext, m_previousStructured);
    xmlSetGenericErrorFunc(m_previousGenericContext, m_previousGeneric);
    xsltSetGenericErrorFunc(m_previousXsltContext, m_previousXslt);
    t_currentCapture = m_outer;
}

void ErrorCapture::Record(long code, long line, long column, std::string_view message)
{
    if (m_hasError)
        return;
    m_hasError = true;
    m_first.errorCode = code;
    m_first.line = line;
    m_first.linepos = column;
    m_first.reason = ToUtf16(TrimMessage(std::string(message)));
}

void ErrorCapture::AddGeneric(std::string_view text)
{
    if (m_generic.size() < 4096)
        m_generic.append(text);
}

}  // namespace xmlutil

// XSLT 1.0 transformations by stylesheets that documents carry inside themselves. The
// stylesheets are untrusted: they may not read other files, write files, create folders or
// reach the network.
#include "platform/xml.h"
#include "platform/xml_internal.h"

#include <libxml/xmlIO.h>
#include <libxslt/extensions.h>
#include <libxslt/extra.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>


using namespace xmlutil;

namespace {

constexpr const char* kMsxslNamespace = "urn:schemas-microsoft-com:xslt";

template <typename T, void (*Free)(T*)>
struct Owned {
    T* p = nullptr;
    Owned() = default;
    explicit Owned(T* value) : p(value) {}
    ~Owned()
    {
        if (p)
            Free(p);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    T* release()
    {
        T* value = p;
        p = nullptr;
        return value;
    }
};
using OwnedDoc = Owned<xmlDoc, xmlFreeDoc>;
using OwnedStylesheet = Owned<xsltStylesheet, xsltFreeStylesheet>;
using OwnedContext = Owned<xsltTransformContext, xsltFreeTransformContext>;

// A document of its own holding a copy of element as root, with every namespace declaration
// that was in force at the element, since prefixes in XPath texts need them too.
xmlDocPtr StandaloneCopy(xmlNodePtr element)
{
    OwnedDoc doc(xmlNewDoc(BAD_CAST "1.0"));
    if (!doc.p)
        return nullptr;
    xmlNodePtr copy = xmlDocCopyNode(element, doc.p, 1);
    if (!copy)
        return nullptr;
    xmlDocSetRootElement(doc.p, copy);
    if (element->type == XML_ELEMENT_NODE) {
        if (xmlNsPtr* inScope = xmlGetNsList(element->doc, element)) {
            for (xmlNsPtr* ns = inScope; *ns; ++ns)
                if (!xmlSearchNs(doc.p, copy, (*ns)->prefix))
                    xmlNewNs(copy, (*ns)->href, (*ns)->prefix);
            xmlFree(inScope);
        }
    }
    return doc.release();
}

// The result text says it is UTF-16, which a text of 16-bit units is.
std::u16string WithUtf16Declaration(std::string text)
{
    if (text.rfind("<?xml", 0) == 0) {
        const size_t end = text.find("?>");
        if (end != std::string::npos) {
            std::string declaration = text.substr(0, end);
            const size_t at = declaration.find(" encoding=");
            if (at != std::string::npos) {
                const char quote = declaration.size() > at + 10 ? declaration[at + 10] : '"';
                const size_t close = declaration.find(quote, at + 11);
                if (close != std::string::npos)
                    declaration.erase(at, close + 1 - at);
            }
            declaration += " encoding=\"UTF-16\"";
            text = declaration + text.substr(end);
        }
    }
    return ToUtf16(text);
}

void RecordFailure(xmlDocPtr doc, const ErrorCapture& capture, const std::string& fallback)
{
    XmlDocument::Impl* impl = ImplOf(doc);
    if (!impl)
        return;
    XmlParseError error;
    std::string reason = capture.GenericText();
    if (reason.empty() && capture.HasError())
        reason = ToUtf8(capture.First().reason);
    if (reason.empty())
        reason = fallback;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
        reason.pop_back();
    error.errorCode = XML_ERR_INTERNAL_ERROR;
    if (capture.HasError() && capture.First().errorCode != 0)
        error.errorCode = capture.First().errorCode;
    if (capture.HasError()) {
        error.line = capture.First().line;
        error.linepos = capture.First().linepos;
    }
    error.reason = ToUtf16(reason);
    impl->parseError = error;
}

}  // namespace

namespace xmlutil {

void InitialiseTransforms()
{
    xsltInit();
    xsltRegisterExtModuleFunction(BAD_CAST "node-set", BAD_CAST kMsxslNamespace, xsltFunctionNodeSet);
    // The default preferences also guard xsl:import and xsl:include while a stylesheet compiles.
    xsltSecurityPrefsPtr prefs = xsltNewSecurityPrefs();
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_FILE, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
    xsltSetDefaultSecurityPrefs(prefs);
}

}  // namespace xmlutil

std::optional<std::u16string> XmlNode::transformNode(XmlNode stylesheet) const
{
    xmlNodePtr source = XmlAccess::Get(*this);
    xmlNodePtr style = XmlAccess::Get(stylesheet);
    if (!source || !style)
        throw XmlError("The node is null");
    EnsureInitialised();
    ErrorCapture capture;

    OwnedDoc styleDoc;
    if (style->type == XML_DOCUMENT_NODE)
        styleDoc.p = xmlCopyDoc(reinterpret_cast<xmlDocPtr>(style), 1);
    else if (style->type == XML_ELEMENT_NODE)
        styleDoc.p = StandaloneCopy(style);
    if (!styleDoc.p || !xmlDocGetRootElement(styleDoc.p)) {
        RecordFailure(source->doc, capture, "The stylesheet is not an element");
        return std::nullopt;
    }
    GiveDirectTemplatesModes(styleDoc.p);  // the copy only: the document keeps its stylesheet
    OwnedStylesheet compiled(xsltParseStylesheetDoc(styleDoc.p));
    if (!compiled.p) {
        RecordFailure(source->doc, capture, "The stylesheet cannot be compiled");
        return std::nullopt;
    }
    styleDoc.release();  // the compiled stylesheet owns it now

    if (source->type != XML_DOCUMENT_NODE && source->type != XML_ELEMENT_NODE) {
        RecordFailure(source->doc, capture, "Only a document or an element can be transformed");
        return std::nullopt;
    }
    // The transformation reads a copy: xsl:strip-space frees text nodes of the document it is
    // given, which must not happen to the caller's document and the nodes it holds.
    OwnedDoc sourceCopy(source->type == XML_DOCUMENT_NODE ? xmlCopyDoc(reinterpret_cast<xmlDocPtr>(source), 1)
                                                          : StandaloneCopy(source));
    xmlDocPtr input = sourceCopy.p;
    if (!input) {
        RecordFailure(source->doc, capture, "The node cannot be transformed");
        return std::nullopt;
    }
    OwnedContext context(xsltNewTransformContext(compiled.p, input));
    if (!context.p) {
        RecordFailure(source->doc, capture, "Out of memory");
        return std::nullopt;
    }
    xsltSetCtxtSecurityPrefs(xsltGetDefaultSecurityPrefs(), context.p);
    xsltSetTransformErrorFunc(context.p, &capture, CaptureGenericError);
    OwnedDoc result(xsltApplyStylesheetUser(compiled.p, input, nullptr, nullptr, nullptr, context.p));
    if (!result.p || context.p->state != XSLT_STATE_OK) {
        RecordFailure(source->doc, capture, "The transformation failed");
        return std::nullopt;
    }

    if (!result.p->encoding)
        result.p->encoding = xmlStrdup(BAD_CAST "UTF-8");  // keeps attribute values unescaped
    xmlOutputBufferPtr output = xmlAllocOutputBuffer(nullptr);
    if (!output) {
        RecordFailure(source->doc, capture, "Out of memory");
        return std::nullopt;
    }
    const int written = xsltSaveResultTo(output, result.p, compiled.p);
    std::string text;
    if (written >= 0)
        text.assign(reinterpret_cast<const char*>(xmlOutputBufferGetContent(output)), xmlOutputBufferGetSize(output));
    xmlOutputBufferClose(output);
    if (written < 0) {
        RecordFailure(source->doc, capture, "The result cannot be written");
        return std::nullopt;
    }
    return WithUtf16Declaration(std::move(text));
}

bool XmlNode::transformNodeToObject(XmlNode stylesheet, XmlDocument& output) const
{
    const std::optional<std::u16string> text = transformNode(stylesheet);
    return text && output.loadXML(*text);
}

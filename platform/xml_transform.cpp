// XSLT 1.0 transformations by stylesheets that documents carry inside themselves. The
// stylesheets are untrusted: they may not read other files, write files, create folders or
// reach the network.
#include "platform/xml.h"
#include "platform/xml_internal.h"

#include <libxml/parserInternals.h>
#include <libxml/xmlIO.h>
#include <libxslt/extensions.h>
#include <libxslt/extra.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cstring>


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
    void reset()
    {
        if (p)
            Free(p);
        p = nullptr;
    }
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


// The result written as the text transformNode gives, or nothing (with the failure recorded in
// the document of failureDoc).
std::optional<std::u16string> ResultText(xmlDocPtr result, xsltStylesheetPtr compiled, xmlDocPtr failureDoc,
                                         const ErrorCapture& capture)
{
    if (!result->encoding)
        result->encoding = xmlStrdup(BAD_CAST "UTF-8");  // keeps attribute values unescaped
    xmlOutputBufferPtr output = xmlAllocOutputBuffer(nullptr);
    if (!output) {
        RecordFailure(failureDoc, capture, "Out of memory");
        return std::nullopt;
    }
    const int written = xsltSaveResultTo(output, result, compiled);
    std::string text;
    if (written >= 0)
        text.assign(reinterpret_cast<const char*>(xmlOutputBufferGetContent(output)), xmlOutputBufferGetSize(output));
    xmlOutputBufferClose(output);
    if (written < 0) {
        RecordFailure(failureDoc, capture, "The result cannot be written");
        return std::nullopt;
    }
    return WithUtf16Declaration(std::move(text));
}

// True when ns is declared by element or one of its ancestors, or is the document's own
// declaration of the xml prefix.
bool IsInScope(const xmlNode* element, const xmlNs* ns)
{
    if (ns == nullptr || ns == element->doc->oldNs)
        return true;
    for (const xmlNode* at = element; at != nullptr && at->type == XML_ELEMENT_NODE; at = at->parent)
        for (const xmlNs* d = at->nsDef; d != nullptr; d = d->next)
            if (d == ns)
                return true;
    return false;
}

bool IsPlainAttribute(const xmlNode* element, const xmlAttr* attribute)
{
    if (!IsInScope(element, attribute->ns))
        return false;
    for (const xmlNode* part = attribute->children; part != nullptr; part = part->next)
        if (part->type != XML_TEXT_NODE)
            return false;
    return true;
}

// True when written out and read back the node would come back as it is, apart from the text
// merging and white space dropping that MakeAsLoaded does: no unescaped or CDATA text, no entity
// references, namespaces declared where they are used, comments and processing instructions
// that can be written.
bool ComesBackAsItIs(const xmlNode* node)
{
    switch (node->type) {
    case XML_TEXT_NODE:
        return node->name != xmlStringTextNoenc;
    case XML_COMMENT_NODE: {
        const char* text = node->content ? reinterpret_cast<const char*>(node->content) : "";
        const size_t length = std::strlen(text);
        return std::strstr(text, "--") == nullptr && (length == 0 || text[length - 1] != '-');
    }
    case XML_PI_NODE:
        return node->content == nullptr || std::strstr(reinterpret_cast<const char*>(node->content), "?>") == nullptr;
    case XML_ELEMENT_NODE:
        if (!IsInScope(node, node->ns))
            return false;
        for (const xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next)
            if (!IsPlainAttribute(node, attribute))
                return false;
        for (const xmlNode* child = node->children; child != nullptr; child = child->next)
            if (!ComesBackAsItIs(child))
                return false;
        return true;
    default:
        return false;
    }
}

// Adjacent text nodes become one and empty ones go, as a parser would deliver them.
void MergeText(xmlNodePtr parent)
{
    xmlNodePtr next = nullptr;
    for (xmlNodePtr child = parent->children; child != nullptr; child = next) {
        next = child->next;
        if (child->type == XML_ELEMENT_NODE) {
            MergeText(child);
            continue;
        }
        if (child->type != XML_TEXT_NODE)
            continue;
        while (next != nullptr && next->type == XML_TEXT_NODE) {
            xmlNodePtr following = next->next;
            if (next->content != nullptr)
                xmlTextConcat(child, next->content, xmlStrlen(next->content));
            xmlUnlinkNode(next);
            xmlFreeNode(next);
            next = following;
        }
        if (child->content == nullptr || child->content[0] == 0) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        }
    }
}

// Makes the result tree the one its written text would load as, when that is sure; false when
// the result must take the way through its text (an output method other than XML, a declaration
// other than the plain one, indenting, a document type, CDATA sections, or anything
// ComesBackAsItIs refuses).
bool MakeAsLoaded(xmlDocPtr result, xsltStylesheetPtr compiled, bool preserveWhiteSpace)
{
    if (result->type != XML_DOCUMENT_NODE || result->intSubset != nullptr || result->extSubset != nullptr)
        return false;
    if ((compiled->method != nullptr && !xmlStrEqual(compiled->method, BAD_CAST "xml")) ||
        compiled->methodURI != nullptr || compiled->omitXmlDeclaration == 1 || compiled->standalone != -1 ||
        compiled->indent == 1 ||
        (compiled->version != nullptr && !xmlStrEqual(compiled->version, BAD_CAST "1.0")) ||
        compiled->cdataSection != nullptr || compiled->doctypePublic != nullptr || compiled->doctypeSystem != nullptr)
        return false;
    int elements = 0;
    for (const xmlNode* child = result->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            ++elements;
        else if (child->type != XML_COMMENT_NODE && child->type != XML_PI_NODE)
            return false;
        if (!ComesBackAsItIs(child))
            return false;
    }
    if (elements != 1)
        return false;
    MergeText(xmlDocGetRootElement(result));
    if (!preserveWhiteSpace)
        StripBlankText(reinterpret_cast<xmlNodePtr>(result), false);
    // As the parser leaves a document declared "<?xml version="1.0" encoding="UTF-16"?>" and
    // read from its 16-bit units.
    xmlFree(const_cast<xmlChar*>(result->version));
    result->version = xmlStrdup(BAD_CAST "1.0");
    xmlFree(const_cast<xmlChar*>(result->encoding));
    result->encoding = xmlStrdup(BAD_CAST "UTF-8");
    result->standalone = -2;
    xmlFree(const_cast<xmlChar*>(result->URL));
    result->URL = nullptr;
    return true;
}

// Every reference in the subtree of top to the namespace from replaced to by.
void RepointNamespace(xmlNodePtr top, xmlNsPtr from, xmlNsPtr to)
{
    if (top->type != XML_ELEMENT_NODE)
        return;
    if (top->ns == from)
        top->ns = to;
    for (xmlAttrPtr attribute = top->properties; attribute != nullptr; attribute = attribute->next)
        if (attribute->ns == from)
            attribute->ns = to;
    for (xmlNodePtr child = top->children; child != nullptr; child = child->next)
        RepointNamespace(child, from, to);
}

// A document made of element, which stands outside any tree of its document and declares its
// own namespaces: the element moves there, its names staying in the dictionary both share.
xmlDocPtr MoveIntoDocumentOfItsOwn(xmlNodePtr element)
{
    xmlDocPtr from = element->doc;
    OwnedDoc doc(xmlNewDoc(BAD_CAST "1.0"));
    if (!doc.p)
        return nullptr;
    if (from->dict != nullptr) {
        doc.p->dict = from->dict;
        xmlDictReference(from->dict);
    }
    xmlSetTreeDoc(element, doc.p);
    xmlDocSetRootElement(doc.p, element);
    // The xml prefix is declared by the document itself.
    if (from->oldNs != nullptr)
        RepointNamespace(element, from->oldNs, xmlSearchNs(doc.p, element, BAD_CAST "xml"));
    return doc.release();
}
}  // namespace

namespace xmlutil {

void InitialiseTransforms()
{
    xsltInit();
    xsltRegisterExtModuleFunction(BAD_CAST "node-set", BAD_CAST kMsxslNamespace, xsltFunctionNodeSet);
    RegisterDirectPartFunction();
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
    const DirectPartIndexScope indexes(input);
    OwnedDoc result(xsltApplyStylesheetUser(compiled.p, input, nullptr, nullptr, nullptr, context.p));
    if (!result.p || context.p->state != XSLT_STATE_OK) {
        RecordFailure(source->doc, capture, "The transformation failed");
        return std::nullopt;
    }

    return ResultText(result.p, compiled.p, source->doc, capture);
}

bool XmlNode::transformNodeToObject(XmlNode stylesheet, XmlDocument& output) const
{
    const std::optional<std::u16string> text = transformNode(stylesheet);
    return text && output.loadXML(*text);
}

XmlDocument::TransformStep XmlDocument::transformByOwnStylesheet(XmlNode stylesheet)
{
    xmlNodePtr style = XmlAccess::Get(stylesheet);
    if (!style)
        throw XmlError("The node is null");
    xmlDocPtr doc = m_impl->doc;
    if (style->doc != doc || style->parent != nullptr || style->type != XML_ELEMENT_NODE ||
        m_impl->detached.count(style) == 0) {
        const std::optional<std::u16string> text = transformNode(stylesheet);
        if (!text)
            return TransformStep::Transform;
        return loadXML(*text) ? TransformStep::Done : TransformStep::LoadResult;
    }
    EnsureInitialised();
    ErrorCapture capture;

    m_impl->detached.erase(style);
    OwnedDoc styleDoc(MoveIntoDocumentOfItsOwn(style));
    if (!styleDoc.p) {
        m_impl->detached.insert(style);
        RecordFailure(doc, capture, "Out of memory");
        return TransformStep::Transform;
    }
    GiveDirectTemplatesModes(styleDoc.p);
    OwnedStylesheet compiled(xsltParseStylesheetDoc(styleDoc.p));
    if (!compiled.p) {
        RecordFailure(doc, capture, "The stylesheet cannot be compiled");
        return TransformStep::Transform;
    }
    styleDoc.release();  // the compiled stylesheet owns it now

    // The document is read in place: what xsl:strip-space takes from it is not needed again.
    OwnedContext context(xsltNewTransformContext(compiled.p, doc));
    if (!context.p) {
        RecordFailure(doc, capture, "Out of memory");
        return TransformStep::Transform;
    }
    xsltSetCtxtSecurityPrefs(xsltGetDefaultSecurityPrefs(), context.p);
    xsltSetTransformErrorFunc(context.p, &capture, CaptureGenericError);
    const DirectPartIndexScope indexes(doc);
    OwnedDoc result(xsltApplyStylesheetUser(compiled.p, doc, nullptr, nullptr, nullptr, context.p));
    if (!result.p || context.p->state != XSLT_STATE_OK) {
        RecordFailure(doc, capture, "The transformation failed");
        return TransformStep::Transform;
    }
    if (!MakeAsLoaded(result.p, compiled.p, m_impl->preserveWhiteSpace)) {
        const std::optional<std::u16string> text = ResultText(result.p, compiled.p, doc, capture);
        if (!text)
            return TransformStep::Transform;
        return loadXML(*text) ? TransformStep::Done : TransformStep::LoadResult;
    }
    context.reset();
    compiled.reset();
    m_impl->ReplaceContent(result.release());
    m_impl->declaredEncoding = "UTF-16";
    m_impl->parseError = XmlParseError();
    return TransformStep::Done;
}

// Shared inside the XML layer only: the document's state, the text conversions between the
// DOM's UTF-16 and libxml2's UTF-8 (xml_document.cpp), error capture and the process-wide set-up
// of the libraries (xml_library.cpp).
#pragma once

#include "platform/xml.h"

#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct XmlDocument::Impl {
    xmlDocPtr doc = nullptr;
    // Nodes of this document that stand outside the tree (created, or removed); freed with it.
    std::set<xmlNodePtr> detached;
    std::vector<std::pair<std::string, std::string>> selectionNamespaces;  // prefix, URI
    std::u16string selectionNamespacesText;
    XmlParseError parseError;
    std::string declaredEncoding;
    bool preserveWhiteSpace = false;

    // Puts doc in place of the current content, freeing that content and its detached nodes.
    void ReplaceContent(xmlDocPtr newDoc);
    void FreeContent();
};

struct XmlAccess {
    static XmlNode Make(xmlNodePtr node) { return XmlNode(node); }
    static xmlNodePtr Get(const XmlNode& node) { return static_cast<xmlNodePtr>(node.m_node); }
};

namespace xmlutil {

// Makes sure the libraries are set up for untrusted input: the "Shift-JIS" names mean code
// page 932, external entities are never loaded, stylesheets may not touch files or the network,
// and msxsl:node-set is known. Runs once.
void EnsureInitialised();

// The state of the document a node belongs to; null for documents the layer made for itself.
XmlDocument::Impl* ImplOf(xmlDocPtr doc);
void RegisterDocument(xmlDocPtr doc, XmlDocument::Impl* impl);
void UnregisterDocument(xmlDocPtr doc);

std::string ToUtf8(std::u16string_view text);
std::u16string ToUtf16(const xmlChar* text);
std::u16string ToUtf16(std::string_view utf8);
inline const xmlChar* X(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }

// True for the names under which documents declare code page 932.
bool IsCp932EncodingName(std::string_view name);
bool IsUtf16EncodingName(std::string_view name);

// True for a name the parser accepts for an element or attribute of a namespace-aware document:
// one name or prefix:local by the XML 1.0 fifth-edition rules, in UTF-8.
bool IsQualifiedName(std::string_view utf8);

// Collects the first error that libxml2 and libxslt report while an instance lives, and keeps
// them from writing to the standard error stream.
class ErrorCapture {
public:
    ErrorCapture();
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    void Record(long code, long line, long column, std::string_view message);
    bool HasError() const { return m_hasError; }
    const XmlParseError& First() const { return m_first; }
    // The messages that came only as generic text, joined.
    const std::string& GenericText() const { return m_generic; }
    void AddGeneric(std::string_view text);

private:
    bool m_hasError = false;
    XmlParseError m_first;
    std::string m_generic;
    ErrorCapture* m_outer;
    xmlStructuredErrorFunc m_previousStructured;
    void* m_previousStructuredContext;
    xmlGenericErrorFunc m_previousGeneric;
    void* m_previousGenericContext;
    xmlGenericErrorFunc m_previousXslt;
    void* m_previousXsltContext;
};

// The innermost capture alive on this thread; null when none.
ErrorCapture* CurrentCapture();

// A printf-style error handler of libxml2 and libxslt that adds the message to the
// ErrorCapture given as its context.
void CaptureGenericError(void* capture, const char* format, ...);

// Parses UTF-8 text (declared encoding ignored) or raw bytes (declared encoding honoured) into a
// new document; null with the error filled on failure. White space is stripped unless preserve.
xmlDocPtr ParseDocument(std::string_view bytes, bool utf8, const std::string& url, bool preserveWhiteSpace,
                        XmlParseError& error);

// Drops the white-space-only text below top that the loader drops (see XmlDocument).
void StripBlankText(xmlNodePtr top, bool preserveWhiteSpace);

// The prefixed names of elements and attributes created before insertion take the namespace
// that their place declares.
void ResolveCreatedNames(xmlNodePtr top);

// Takes node out of the tree and gives it the namespace declarations it relied on, so that it
// stands on its own.
void UnlinkSelfContained(xmlNodePtr node);

// Serialises node (a document or any node) as UTF-8 text without declaration.
std::string SerialiseNode(xmlNodePtr node);

// Gives each template of a stylesheet made of absolute-path templates, and each apply-templates
// that selects its path, a mode of their own, when that provably leaves the result as it was;
// otherwise leaves the stylesheet alone. Matching then costs one look-up per node.
void GiveDirectTemplatesModes(xmlDocPtr stylesheet);

// The namespace of the function through which those selects reach their numbered step.
inline constexpr const char* kDirectNamespace = "urn:x-qn:direct-templates";
void RegisterDirectPartFunction();

// While an instance lives, the function keeps its indexes of the document being transformed;
// each transformation runs inside one, since the document may go when it ends.
class DirectPartIndexScope {
public:
    explicit DirectPartIndexScope(xmlDocPtr transformed);
    ~DirectPartIndexScope();
    DirectPartIndexScope(const DirectPartIndexScope&) = delete;
    DirectPartIndexScope& operator=(const DirectPartIndexScope&) = delete;
};

}  // namespace xmlutil

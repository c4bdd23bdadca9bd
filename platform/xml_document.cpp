// The XML document: loading from files and texts with the encodings the documents use, parse
// errors, saving, and the document's properties.
#include "platform/xml.h"
#include "platform/xml_internal.h"

#include "platform/codepage.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"

#include <memory>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlsave.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <unordered_map>

namespace {

// Files larger than this are refused before they are read.
constexpr std::uintmax_t kMaxFileBytes = 256u * 1024u * 1024u;

std::unordered_map<xmlDocPtr, XmlDocument::Impl*>& Registry()
{
    static std::unordered_map<xmlDocPtr, XmlDocument::Impl*> registry;
    return registry;
}
std::mutex g_registryMutex;

// The value of the encoding pseudo-attribute of a leading XML declaration; empty when none.
std::string DeclaredEncodingOf(std::string_view text)
{
    if (text.substr(0, 5) != "<?xml")
        return {};
    const size_t end = text.find("?>");
    if (end == std::string_view::npos)
        return {};
    std::string_view decl = text.substr(0, end);
    size_t at = decl.find("encoding");
    if (at == std::string_view::npos)
        return {};
    at += 8;
    while (at < decl.size() && (decl[at] == ' ' || decl[at] == '\t' || decl[at] == '\r' || decl[at] == '\n'))
        ++at;
    if (at >= decl.size() || decl[at] != '=')
        return {};
    ++at;
    while (at < decl.size() && (decl[at] == ' ' || decl[at] == '\t' || decl[at] == '\r' || decl[at] == '\n'))
        ++at;
    if (at >= decl.size() || (decl[at] != '"' && decl[at] != '\''))
        return {};
    const char quote = decl[at++];
    const size_t close = decl.find(quote, at);
    if (close == std::string_view::npos)
        return {};
    return std::string(decl.substr(at, close - at));
}

bool IsXmlBlank(const xmlChar* text)
{
    if (!text)
        return true;
    for (; *text; ++text)
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n')
            return false;
    return true;
}

bool IsXslText(xmlNodePtr element)
{
    return element->type == XML_ELEMENT_NODE && element->ns && xmlStrEqual(element->name, BAD_CAST "text") &&
           xmlStrEqual(element->ns->href, BAD_CAST "http://www.w3.org/1999/XSL/Transform");
}

// Drops white-space-only text nodes as the original DOM does by default, except where
// xml:space="preserve" is in force and inside xsl:text, whose spaces are output.
void StripWhiteSpace(xmlNodePtr parent, bool preserve)
{
    xmlNodePtr next = nullptr;
    for (xmlNodePtr child = parent->children; child; child = next) {
        next = child->next;
        if (child->type == XML_TEXT_NODE) {
            if (!preserve && IsXmlBlank(child->content) && !IsXslText(parent)) {
                xmlUnlinkNode(child);
                xmlFreeNode(child);
            }
        } else if (child->type == XML_ELEMENT_NODE) {
            bool childPreserve = preserve;
            if (xmlChar* space = xmlGetNsProp(child, BAD_CAST "space", XML_XML_NAMESPACE)) {
                if (xmlStrEqual(space, BAD_CAST "preserve"))
                    childPreserve = true;
                else if (xmlStrEqual(space, BAD_CAST "default"))
                    childPreserve = false;
                xmlFree(space);
            }
            StripWhiteSpace(child, childPreserve);
        }
    }
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::u16string text(bytes.size() / 2, u'\0');
    const int low = bigEndian ? 1 : 0;
    for (size_t k = 0; k < text.size(); ++k) {
        const auto lo = static_cast<unsigned char>(bytes[2 * k + low]);
        const auto hi = static_cast<unsigned char>(bytes[2 * k + 1 - low]);
        text[k] = static_cast<char16_t>(lo | (hi << 8));
    }
    return text;
}


// True when text holds a character that code page 932 cannot hold.
bool HasCharacterOutsideCp932(const xmlChar* text)
{
    if (!text)
        return false;
    const std::u16string wide = xmlutil::ToUtf16(text);
    for (size_t i = 0; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (unit < 0x80)
            continue;
        if (unit >= 0xD800 && unit <= 0xDFFF)
            return true;
        const std::string narrow = WideToCp932(std::u16string_view(&wide[i], 1));
        if (narrow == "?")
            return true;
    }
    return false;
}

// Characters outside code page 932 can be written as character references in text, but not in
// a CDATA section; such sections become text, which holds the same characters.
void ConvertCdataOutsideCp932(xmlNodePtr node)
{
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type == XML_CDATA_SECTION_NODE && HasCharacterOutsideCp932(child->content))
            child->type = XML_TEXT_NODE;
        else if (child->type == XML_ELEMENT_NODE)
            ConvertCdataOutsideCp932(child);
    }
}

bool HasCdataOutsideCp932(xmlNodePtr node)
{
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type == XML_CDATA_SECTION_NODE && HasCharacterOutsideCp932(child->content))
            return true;
        if (child->type == XML_ELEMENT_NODE && HasCdataOutsideCp932(child))
            return true;
    }
    return false;
}

// True when a name, a comment or a processing instruction of the tree holds a character that
// code page 932 cannot hold: unlike text and attribute values, these have no character
// references, so such a file would not load back.
bool HasMarkupOutsideCp932(xmlNodePtr top)
{
    const auto nameOutside = [](const xmlChar* name, xmlNsPtr ns) {
        return HasCharacterOutsideCp932(name) || (ns && HasCharacterOutsideCp932(ns->prefix));
    };
    // Walks the tree in document order through the sibling and parent links, without recursion.
    for (xmlNodePtr node = top->children; node && node != top;) {
        switch (node->type) {
        case XML_ELEMENT_NODE:
            if (nameOutside(node->name, node->ns))
                return true;
            for (xmlNsPtr ns = node->nsDef; ns; ns = ns->next)
                if (HasCharacterOutsideCp932(ns->prefix))
                    return true;
            for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next)
                if (nameOutside(attribute->name, attribute->ns))
                    return true;
            break;
        case XML_PI_NODE:
        case XML_COMMENT_NODE:
        case XML_ENTITY_REF_NODE:
        case XML_DTD_NODE:
            if (HasCharacterOutsideCp932(node->name) ||
                ((node->type == XML_PI_NODE || node->type == XML_COMMENT_NODE) &&
                 HasCharacterOutsideCp932(node->content)))
                return true;
            break;
        default:
            break;
        }
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node != top && !node->next)
            node = node->parent;
        if (node != top)
            node = node->next;
    }
    return false;
}

bool IsXmlTextUtf8(const xmlChar* text) { return !text || IsXmlText(xmlutil::ToUtf16(text)); }

// True when every name and text of the tree is one an XML 1.0 parser accepts: libxml2 writes
// a control character as a character reference that no parser reads back, so a document
// holding one would be saved as a file that cannot be opened again.
bool HoldsOnlyXmlText(xmlNodePtr top)
{
    const auto nameOk = [](const xmlChar* name, xmlNsPtr ns) {
        return IsXmlTextUtf8(name) && (!ns || IsXmlTextUtf8(ns->prefix));
    };
    // Walks the tree in document order through the sibling and parent links, without recursion.
    for (xmlNodePtr node = top->children; node && node != top;) {
        switch (node->type) {
        case XML_ELEMENT_NODE:
            if (!nameOk(node->name, node->ns))
                return false;
            for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next) {
                if (!nameOk(attribute->name, attribute->ns))
                    return false;
                for (xmlNodePtr value = attribute->children; value; value = value->next)
                    if (!IsXmlTextUtf8(value->content))
                        return false;
            }
            break;
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
        case XML_COMMENT_NODE:
        case XML_PI_NODE:
            if (!IsXmlTextUtf8(node->name) || !IsXmlTextUtf8(node->content))
                return false;
            break;
        default:
            break;
        }
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node != top && !node->next)
            node = node->parent;
        if (node != top)
            node = node->next;
    }
    return true;
}

XmlNode CheckedCreation(XmlDocument::Impl& impl, xmlNodePtr node)
{
    if (!node)
        throw XmlError("The node could not be created");
    try {
        impl.detached.insert(node);
        return XmlAccess::Make(node);
    } catch (...) {
        // Nothing refers to the new node yet: it goes, and the failure is passed on.
        impl.detached.erase(node);
        if (node->type == XML_ATTRIBUTE_NODE)
            xmlFreeProp(reinterpret_cast<xmlAttrPtr>(node));
        else
            xmlFreeNode(node);
        throw;
    }
}

void ValidateName(const std::string& name)
{
    if (!xmlutil::IsQualifiedName(name))
        throw XmlError("Not a valid XML name: " + name);
}

}  // namespace

namespace xmlutil {


XmlDocument::Impl* ImplOf(xmlDocPtr doc)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    const auto found = Registry().find(doc);
    return found == Registry().end() ? nullptr : found->second;
}

void RegisterDocument(xmlDocPtr doc, XmlDocument::Impl* impl)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    Registry()[doc] = impl;
}

void UnregisterDocument(xmlDocPtr doc)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    Registry().erase(doc);
}

std::string ToUtf8(std::u16string_view text) { return Utf16ToUtf8(text); }

void StripBlankText(xmlNodePtr top, bool preserveWhiteSpace) { StripWhiteSpace(top, preserveWhiteSpace); }

std::u16string ToUtf16(std::string_view utf8) { return Utf8ToUtf16(utf8); }

std::u16string ToUtf16(const xmlChar* text)
{
    if (!text)
        return {};
    return ToUtf16(std::string_view(reinterpret_cast<const char*>(text)));
}


xmlDocPtr ParseDocument(std::string_view bytes, bool utf8, const std::string& url, bool preserveWhiteSpace,
                        XmlParseError& error)
{
    EnsureInitialised();
    error = XmlParseError();
    error.url = ToUtf16(url);
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
        error.errorCode = XML_ERR_INTERNAL_ERROR;
        error.reason = u"The document is too large";
        return nullptr;
    }
    ErrorCapture capture;
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
        error.errorCode = XML_ERR_NO_MEMORY;
        error.reason = u"Out of memory";
        return nullptr;
    }
    const int options = XML_PARSE_NONET | XML_PARSE_NOENT | (utf8 ? XML_PARSE_IGNORE_ENC : 0);
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()),
                                      url.empty() ? nullptr : url.c_str(), utf8 ? "UTF-8" : nullptr, options);
    const bool failed = !doc || !ctxt->wellFormed || !ctxt->nsWellFormed || capture.HasError() ||
                        !xmlDocGetRootElement(doc);
    // Where the parser stopped: the place of an error reported without one (a failed encoding
    // conversion, a document without an element).
    const long stopLine = ctxt->input != nullptr ? ctxt->input->line : 0;
    const long stopColumn = ctxt->input != nullptr ? ctxt->input->col : 0;
    xmlFreeParserCtxt(ctxt);
    if (failed) {
        if (doc)
            xmlFreeDoc(doc);
        if (capture.HasError()) {
            const std::u16string keptUrl = error.url;
            error = capture.First();
            error.url = keptUrl;
        } else {
            error.errorCode = XML_ERR_DOCUMENT_EMPTY;
            error.reason = u"The document has no top-level element";
        }
        if (error.errorCode == 0)
            error.errorCode = XML_ERR_INTERNAL_ERROR;
        if (error.line <= 0 && stopLine > 0) {
            error.line = stopLine;
            error.linepos = stopColumn;
        }
        return nullptr;
    }
    if (!preserveWhiteSpace)
        StripWhiteSpace(reinterpret_cast<xmlNodePtr>(doc), false);
    return doc;
}

}  // namespace xmlutil

using namespace xmlutil;

void XmlDocument::Impl::FreeContent()
{
    if (!doc)
        return;
    for (xmlNodePtr node : detached)
        if (!node->parent)
            xmlFreeNode(node);
    detached.clear();
    UnregisterDocument(doc);
    xmlFreeDoc(doc);
    doc = nullptr;
}

void XmlDocument::Impl::ReplaceContent(xmlDocPtr newDoc)
{
    FreeContent();
    doc = newDoc;
    // libxml2 writes attribute values of a document without encoding as character references.
    if (doc && !doc->encoding)
        doc->encoding = xmlStrdup(BAD_CAST "UTF-8");
    try {
        RegisterDocument(doc, this);
    } catch (...) {
        // An unregistered document is of no use: it goes, and the failure is passed on.
        xmlFreeDoc(doc);
        doc = nullptr;
        throw;
    }
}

XmlDocument::XmlDocument() : m_impl(std::make_unique<Impl>())
{
    EnsureInitialised();
    m_impl->ReplaceContent(xmlNewDoc(BAD_CAST "1.0"));
    if (!m_impl->doc)
        throw std::bad_alloc();
}

XmlDocument::~XmlDocument() { m_impl->FreeContent(); }

bool XmlDocument::load(const std::string& path)
{
    XmlParseError& error = m_impl->parseError;
    const auto fail = [&](const std::string& reason) {
        m_impl->ReplaceContent(xmlNewDoc(BAD_CAST "1.0"));
        m_impl->declaredEncoding.clear();
        error = XmlParseError();
        error.errorCode = XML_IO_LOAD_ERROR;
        error.reason = ToUtf16(reason);
        error.url = ToUtf16(path);
        return false;
    };
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec)
        return fail("The file cannot be read: " + ec.message());
    if (size > kMaxFileBytes)
        return fail("The file is too large");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return fail(std::string("The file cannot be opened: ") + std::strerror(errno));
    std::string bytes(static_cast<size_t>(size), '\0');
    const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (got != bytes.size())
        return fail("The file cannot be read");

    // UTF-16 and code page 932 are decoded here; other encodings are left to the parser.
    std::string text;
    bool decoded = true;
    const auto starts = [&](std::initializer_list<unsigned char> prefix) {
        if (bytes.size() < prefix.size())
            return false;
        size_t i = 0;
        for (unsigned char b : prefix)
            if (static_cast<unsigned char>(bytes[i++]) != b)
                return false;
        return true;
    };
    if (starts({0xFF, 0xFE}))
        text = ToUtf8(DecodeUtf16(std::string_view(bytes).substr(2), false));
    else if (starts({0xFE, 0xFF}))
        text = ToUtf8(DecodeUtf16(std::string_view(bytes).substr(2), true));
    else if (starts({0x3C, 0x00, 0x3F, 0x00}))
        text = ToUtf8(DecodeUtf16(bytes, false));
    else if (starts({0x00, 0x3C, 0x00, 0x3F}))
        text = ToUtf8(DecodeUtf16(bytes, true));
    else if (starts({0xEF, 0xBB, 0xBF}))
        text = bytes.substr(3);
    else if (IsCp932EncodingName(DeclaredEncodingOf(bytes)))
        text = ToUtf8(Cp932ToWide(bytes));
    else
        decoded = false;

    const std::string& source = decoded ? text : bytes;
    xmlDocPtr doc = ParseDocument(source, decoded, path, m_impl->preserveWhiteSpace, error);
    m_impl->ReplaceContent(doc ? doc : xmlNewDoc(BAD_CAST "1.0"));
    m_impl->declaredEncoding = doc ? DeclaredEncodingOf(source) : std::string();
    return doc != nullptr;
}

bool XmlDocument::loadXML(std::u16string_view text)
{
    if (!text.empty() && text.front() == u'\uFEFF')
        text.remove_prefix(1);
    const std::string utf8 = ToUtf8(text);
    xmlDocPtr doc = ParseDocument(utf8, true, std::string(), m_impl->preserveWhiteSpace, m_impl->parseError);
    m_impl->ReplaceContent(doc ? doc : xmlNewDoc(BAD_CAST "1.0"));
    m_impl->declaredEncoding = doc ? DeclaredEncodingOf(utf8) : std::string();
    return doc != nullptr;
}

const XmlParseError& XmlDocument::parseError() const { return m_impl->parseError; }

bool XmlDocument::save(const std::string& path, XmlEncoding encoding) const
{
    std::string bytes;
    return saveToBytes(&bytes, encoding) && !ReplaceFileSafely(path, bytes);
}

bool XmlDocument::saveToBytes(std::string* out, XmlEncoding encoding) const
{
    if (out == nullptr)
        return false;
    out->clear();
    const std::string& declared = m_impl->declaredEncoding;
    if (encoding == XmlEncoding::Declared) {
        if (IsUtf16EncodingName(declared))
            encoding = XmlEncoding::Utf16;
        else if (IsCp932EncodingName(declared))
            encoding = XmlEncoding::Cp932;
        else
            encoding = XmlEncoding::Utf8;
    }
    std::string name = "UTF-8";
    if (encoding == XmlEncoding::Utf16)
        name = "UTF-16";
    else if (encoding == XmlEncoding::Cp932)
        name = IsCp932EncodingName(declared) ? declared : std::string("Shift-JIS");

    xmlDocPtr doc = m_impl->doc;
    if (!HoldsOnlyXmlText(reinterpret_cast<xmlNodePtr>(doc)))
        return false;
    if (encoding == XmlEncoding::Cp932 && HasMarkupOutsideCp932(reinterpret_cast<xmlNodePtr>(doc)))
        return false;
    xmlDocPtr copy = nullptr;
    if (encoding == XmlEncoding::Cp932 && HasCdataOutsideCp932(reinterpret_cast<xmlNodePtr>(doc))) {
        copy = xmlCopyDoc(doc, 1);
        if (!copy)
            return false;
        ConvertCdataOutsideCp932(reinterpret_cast<xmlNodePtr>(copy));
        doc = copy;
    }
    // The copy and the buffer are freed on every way out, a failed allocation included.
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> copyOwner(copy, &xmlFreeDoc);
    ErrorCapture capture;
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), &xmlBufferFree);
    bool ok = buffer != nullptr;
    if (ok) {
        xmlSaveCtxtPtr context = xmlSaveToBuffer(buffer.get(), name.c_str(), 0);
        ok = context != nullptr;
        if (ok) {
            ok = xmlSaveDoc(context, doc) >= 0;
            ok = xmlSaveClose(context) >= 0 && ok;
        }
    }
    if (ok)
        out->assign(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())), xmlBufferLength(buffer.get()));
    return ok;
}

bool IsXmlText(std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r')
            return false;
        if (unit == 0xFFFE || unit == 0xFFFF || (unit >= 0xDC00 && unit <= 0xDFFF))
            return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            ++i;
        }
    }
    return true;
}

std::u16string XmlDocument::xml() const { return ToUtf16(SerialiseNode(reinterpret_cast<xmlNodePtr>(m_impl->doc))); }

void XmlDocument::setPreserveWhiteSpace(bool preserve) { m_impl->preserveWhiteSpace = preserve; }

bool XmlDocument::preserveWhiteSpace() const { return m_impl->preserveWhiteSpace; }

void XmlDocument::setProperty(std::u16string_view name, std::u16string_view value)
{
    if (name == u"SelectionLanguage") {
        if (value != u"XPath")
            throw XmlError("Only XPath is supported as selection language");
        return;
    }
    if (name != u"SelectionNamespaces")
        throw XmlError("Unknown document property: " + ToUtf8(name));

    // Declarations in attribute form: xmlns:prefix='uri' or xmlns="uri", separated by spaces.
    std::vector<std::pair<std::string, std::string>> declarations;
    const std::string text = ToUtf8(value);
    size_t at = 0;
    const auto skipSpace = [&] {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n'))
            ++at;
    };
    const auto malformed = [&] { return XmlError("Malformed SelectionNamespaces value: " + text); };
    for (skipSpace(); at < text.size(); skipSpace()) {
        if (text.compare(at, 5, "xmlns") != 0)
            throw malformed();
        at += 5;
        std::string prefix;
        if (at < text.size() && text[at] == ':') {
            const size_t start = ++at;
            while (at < text.size() && text[at] != '=' && text[at] != ' ' && text[at] != '\t')
                ++at;
            prefix = text.substr(start, at - start);
            if (prefix.find(':') != std::string::npos || !IsQualifiedName(prefix))
                throw malformed();
        }
        skipSpace();
        if (at >= text.size() || text[at] != '=')
            throw malformed();
        ++at;
        skipSpace();
        if (at >= text.size() || (text[at] != '\'' && text[at] != '"'))
            throw malformed();
        const char quote = text[at++];
        const size_t close = text.find(quote, at);
        if (close == std::string::npos)
            throw malformed();
        declarations.emplace_back(prefix, text.substr(at, close - at));
        at = close + 1;
    }
    m_impl->selectionNamespaces = std::move(declarations);
    m_impl->selectionNamespacesText = value;
}

std::u16string XmlDocument::getProperty(std::u16string_view name) const
{
    if (name == u"SelectionLanguage")
        return u"XPath";
    if (name == u"SelectionNamespaces")
        return m_impl->selectionNamespacesText;
    throw XmlError("Unknown document property: " + ToUtf8(name));
}

XmlNode XmlDocument::documentElement() const { return XmlAccess::Make(xmlDocGetRootElement(m_impl->doc)); }

XmlNode XmlDocument::node() const { return XmlAccess::Make(reinterpret_cast<xmlNodePtr>(m_impl->doc)); }

XmlNode XmlDocument::createElement(std::u16string_view name)
{
    const std::string utf8 = ToUtf8(name);
    ValidateName(utf8);
    return CheckedCreation(*m_impl, xmlNewDocNode(m_impl->doc, nullptr, X(utf8), nullptr));
}

XmlNode XmlDocument::createAttribute(std::u16string_view name)
{
    const std::string utf8 = ToUtf8(name);
    ValidateName(utf8);
    return CheckedCreation(*m_impl, reinterpret_cast<xmlNodePtr>(xmlNewDocProp(m_impl->doc, X(utf8), nullptr)));
}

XmlNode XmlDocument::createTextNode(std::u16string_view text)
{
    return CheckedCreation(*m_impl, xmlNewDocText(m_impl->doc, X(ToUtf8(text))));
}

XmlNode XmlDocument::createCDATASection(std::u16string_view text)
{
    const std::string utf8 = ToUtf8(text);
    return CheckedCreation(*m_impl, xmlNewCDataBlock(m_impl->doc, X(utf8), static_cast<int>(utf8.size())));
}

XmlNode XmlDocument::createComment(std::u16string_view text)
{
    return CheckedCreation(*m_impl, xmlNewDocComment(m_impl->doc, X(ToUtf8(text))));
}

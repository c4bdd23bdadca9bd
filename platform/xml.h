// The XML document object: a DOM with the calls the document code makes of it (loading and
// saving files and texts, parse errors, XPath selection, node creation and tree changes, XSLT),
// built on libxml2 and libxslt and behaving as the original platform's DOM where documents rely
// on it:
// - white-space-only text is dropped while loading, unless xml:space="preserve" is in force or
//   the document asks to preserve white space;
// - names are handed out qualified as written ("fo:block"), and new elements may be created
//   with a prefix that the place they are inserted at declares;
// - files in UTF-16 with a byte-order mark, in UTF-8 and in "Shift-JIS" (read and written as
//   code page 932) are understood, and saving keeps the encoding the document declares.
// Every input is untrusted: no network access and no external entities while parsing, entity
// expansion is bounded, and a transformation may not read files, write files or create folders.
//
// Nodes are handles that the document owns. A handle stays valid while its document lives and
// the node is not freed by replacing content (load, loadXML and setText on an element free what
// they replace). Nodes removed from the tree or not yet inserted stay owned by their document.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class XmlDocument;

// The node types, numbered as the DOM numbers them.
enum class XmlNodeType {
    Other = 0,
    Element = 1,
    Attribute = 2,
    Text = 3,
    CDataSection = 4,
    EntityReference = 5,
    ProcessingInstruction = 7,
    Comment = 8,
    Document = 9,
    DocumentType = 10,
};

// A DOM call that cannot be carried out: a null node, a name that is not a valid XML name, a
// node inserted where it cannot go, an XPath expression that does not compile, an unknown
// document property.
class XmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What went wrong in the last load, loadXML or transformation; errorCode 0 means nothing did.
// line and linepos count from 1 and are 0 when the failure has no place in a text.
struct XmlParseError {
    long errorCode = 0;
    long line = 0;
    long linepos = 0;
    std::u16string reason;
    std::u16string url;
};

// The encoding save writes: the one the document declares (UTF-16, "Shift-JIS" as code page 932,
// otherwise UTF-8), or one chosen by the caller.
enum class XmlEncoding {
    Declared,
    Utf16,  // little-endian with byte-order mark, declared "UTF-16"
    Cp932,  // code page 932, declared "Shift-JIS"
    Utf8,
};

class XmlNode {
public:
    XmlNode() = default;

    explicit operator bool() const { return m_node != nullptr; }
    friend bool operator==(const XmlNode& a, const XmlNode& b) { return a.m_node == b.m_node; }

    XmlNodeType nodeType() const;
    // Qualified as written for elements and attributes; "#text", "#cdata-section", "#comment",
    // "#document" for the others.
    std::u16string nodeName() const;
    std::u16string namespaceURI() const;
    // The value of an attribute, text, CDATA section, comment or processing instruction; empty
    // for elements and documents.
    std::u16string nodeValue() const;
    // The text of the node and all its descendants, in document order.
    std::u16string text() const;
    // An element's children are replaced by one text node; other nodes take the value.
    void setText(std::u16string_view text);
    // The node written as XML text.
    std::u16string xml() const;

    XmlNode parentNode() const;
    XmlNode firstChild() const;
    XmlNode lastChild() const;
    XmlNode nextSibling() const;
    XmlNode previousSibling() const;
    std::vector<XmlNode> childNodes() const;

    // The attribute nodes of an element, in document order (namespace declarations excluded).
    std::vector<XmlNode> attributes() const;
    // An attribute by its qualified name; nothing when the element has none of that name.
    std::optional<std::u16string> getAttribute(std::u16string_view name) const;
    // Replaces the value of an attribute of that name in its place, or adds the attribute at
    // the end of the element's attributes. "xmlns" and "xmlns:p" declare namespaces.
    void setAttribute(std::u16string_view name, std::u16string_view value);
    void removeAttribute(std::u16string_view name);
    // Attaches an attribute node made by createAttribute, in place of one of the same name or
    // at the end; returns the attribute it replaced, or a null node.
    XmlNode setAttributeNode(XmlNode attribute);

    // Tree changes. A node that sits elsewhere is moved, also from another document. They return
    // the node moved or removed.
    XmlNode appendChild(XmlNode child);
    // reference null appends.
    XmlNode insertBefore(XmlNode child, XmlNode reference);
    XmlNode removeChild(XmlNode child);

    // XPath 1.0 with the node as context; prefixes come from the document's
    // "SelectionNamespaces". A null node when nothing matches.
    XmlNode selectSingleNode(std::u16string_view xpath) const;
    std::vector<XmlNode> selectNodes(std::u16string_view xpath) const;

    // XSLT 1.0: the node (a document, or an element taken as the root of a document of its own)
    // transformed by a stylesheet, given as an xsl:stylesheet element, which may sit in any
    // document or none, or as a document holding one. The result text carries the declaration
    // of UTF-16 for XML output. Nothing on failure; the reason is then in the parse error of the
    // node's document.
    std::optional<std::u16string> transformNode(XmlNode stylesheet) const;
    // The same, with the result loaded into output (false when either step fails).
    bool transformNodeToObject(XmlNode stylesheet, XmlDocument& output) const;

private:
    friend struct XmlAccess;
    explicit XmlNode(void* node) : m_node(node) {}
    void* m_node = nullptr;
};

using XmlNodeList = std::vector<XmlNode>;

// True when every character of text may stand in an XML 1.0 document: tab, line feed, carriage
// return and U+0020 onwards, without U+FFFE, U+FFFF and unpaired surrogates.
bool IsXmlText(std::u16string_view text);

class XmlDocument {
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Loading replaces the whole content. On failure the document is left empty and parseError
    // tells why. load takes a file-system path.
    bool load(const std::string& path);
    bool loadXML(std::u16string_view text);
    const XmlParseError& parseError() const;

    // Writes the document to path through a temporary file beside it, so that a failure leaves
    // any previous file as it was. In code page 932, characters it cannot hold are written as
    // character references; a document whose names, comments or processing instructions hold
    // such a character is refused (false), since no file could hold it; UTF-16 can. A document
    // holding a character XML forbids anywhere (a control character) is refused in every
    // encoding, and the file at path stays as it was.
    bool save(const std::string& path, XmlEncoding encoding = XmlEncoding::Declared) const;
    // The bytes save would write, into memory; false (and out empty) where save refuses.
    bool saveToBytes(std::string* out, XmlEncoding encoding = XmlEncoding::Declared) const;
    // The document as XML text, without declaration.
    std::u16string xml() const;

    // White-space-only text is kept by the next load when true; false at construction.
    void setPreserveWhiteSpace(bool preserve);
    bool preserveWhiteSpace() const;

    // "SelectionLanguage" takes "XPath"; "SelectionNamespaces" takes namespace declarations in
    // attribute form ("xmlns:fo='…' xmlns:xsl='…'") and replaces the former ones.
    void setProperty(std::u16string_view name, std::u16string_view value);
    std::u16string getProperty(std::u16string_view name) const;

    XmlNode documentElement() const;
    // The document itself as a node.
    XmlNode node() const;

    // New nodes belong to this document and stand outside the tree until inserted.
    XmlNode createElement(std::u16string_view name);
    XmlNode createAttribute(std::u16string_view name);
    XmlNode createTextNode(std::u16string_view text);
    XmlNode createCDATASection(std::u16string_view text);
    XmlNode createComment(std::u16string_view text);

    // What transformByOwnStylesheet did: all, or which step failed.
    enum class TransformStep { Done, Transform, LoadResult };
    // The document transformed by a stylesheet that it carried and that has been removed from it
    // (removeChild), with the result put in place of its content: the same tree as loading the
    // text of transformNode with loadXML, reached without writing and reading that text. The
    // stylesheet and the former content are used up, not copied. On failure parseError tells
    // why, and the content is whatever the failed step left.
    TransformStep transformByOwnStylesheet(XmlNode stylesheet);

    // The node operations on the document node.
    XmlNode appendChild(XmlNode child) { return node().appendChild(child); }
    XmlNode insertBefore(XmlNode child, XmlNode reference) { return node().insertBefore(child, reference); }
    XmlNode removeChild(XmlNode child) { return node().removeChild(child); }
    XmlNode selectSingleNode(std::u16string_view xpath) const { return node().selectSingleNode(xpath); }
    std::vector<XmlNode> selectNodes(std::u16string_view xpath) const { return node().selectNodes(xpath); }
    std::optional<std::u16string> transformNode(XmlNode stylesheet) const { return node().transformNode(stylesheet); }
    bool transformNodeToObject(XmlNode stylesheet, XmlDocument& output) const
    {
        return node().transformNodeToObject(stylesheet, output);
    }

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

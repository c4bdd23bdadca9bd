// The nodes of the XML document: names, values, attributes, tree changes (also between
// documents) and XPath selection.
#include "platform/xml.h"
#include "platform/xml_internal.h"

#include <memory>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <cstring>
#include <map>
#include <optional>

using namespace xmlutil;

namespace {

xmlNodePtr Required(const XmlNode& node)
{
    xmlNodePtr n = XmlAccess::Get(node);
    if (!n)
        throw XmlError("The node is null");
    return n;
}

std::string QualifiedName(const xmlChar* prefix, const xmlChar* name)
{
    std::string out;
    if (prefix) {
        out = reinterpret_cast<const char*>(prefix);
        out += ':';
    }
    if (name)
        out += reinterpret_cast<const char*>(name);
    return out;
}

std::string QualifiedName(xmlNodePtr node)
{
    return QualifiedName(node->ns ? node->ns->prefix : nullptr, node->name);
}

std::u16string Content(xmlNodePtr node)
{
    xmlChar* content = xmlNodeGetContent(node);
    std::u16string text = ToUtf16(content);
    xmlFree(content);
    return text;
}

bool CanHaveChildren(xmlNodePtr node)
{
    return node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE;
}

bool IsAncestorOrSelf(xmlNodePtr candidate, xmlNodePtr node)
{
    for (xmlNodePtr n = node; n; n = n->parent)
        if (n == candidate)
            return true;
    return false;
}

// Replaces the children of an attribute by one text node holding value.
void SetAttributeValue(xmlAttrPtr attribute, const std::string& value)
{
    xmlNodePtr text = xmlNewDocText(attribute->doc, X(value));
    if (!text)
        throw XmlError("The attribute value could not be set");
    if (attribute->children)
        xmlFreeNodeList(attribute->children);
    text->parent = reinterpret_cast<xmlNodePtr>(attribute);
    attribute->children = text;
    attribute->last = text;
}

xmlAttrPtr FindAttribute(xmlNodePtr element, const std::string& name)
{
    for (xmlAttrPtr a = element->properties; a; a = a->next)
        if (QualifiedName(a->ns ? a->ns->prefix : nullptr, a->name) == name)
            return a;
    return nullptr;
}

// Namespace declarations are reported by the names they are written with.
bool IsNamespaceDeclarationName(const std::string& name, std::string& prefix)
{
    if (name == "xmlns") {
        prefix.clear();
        return true;
    }
    if (name.rfind("xmlns:", 0) == 0) {
        prefix = name.substr(6);
        return true;
    }
    return false;
}

xmlNsPtr FindDeclaration(xmlNodePtr element, const std::string& prefix)
{
    for (xmlNsPtr ns = element->nsDef; ns; ns = ns->next)
        if (prefix.empty() ? ns->prefix == nullptr : (ns->prefix && prefix == reinterpret_cast<const char*>(ns->prefix)))
            return ns;
    return nullptr;
}

void ForgetDetached(xmlNodePtr node)
{
    if (XmlDocument::Impl* impl = ImplOf(node->doc))
        impl->detached.erase(node);
}

void RememberDetached(xmlNodePtr node)
{
    if (XmlDocument::Impl* impl = ImplOf(node->doc))
        impl->detached.insert(node);
}

// Links node, which stands outside any tree, into parent before reference (at the end when
// reference is null). Adjacent text nodes are not merged, so handles stay valid.
void LinkChild(xmlNodePtr parent, xmlNodePtr node, xmlNodePtr reference)
{
    node->parent = parent;
    if (!reference) {
        node->prev = parent->last;
        node->next = nullptr;
        if (parent->last)
            parent->last->next = node;
        else
            parent->children = node;
        parent->last = node;
    } else {
        node->next = reference;
        node->prev = reference->prev;
        if (reference->prev)
            reference->prev->next = node;
        else
            parent->children = node;
        reference->prev = node;
    }
}

// Moves node into the document of target, which it is about to join.
void AdoptInto(xmlNodePtr node, xmlDocPtr target, xmlNodePtr newParent)
{
    if (node->doc == target)
        return;
    ForgetDetached(node);
    if (xmlDOMWrapAdoptNode(nullptr, node->doc, node, target, newParent, 0) != 0)
        throw XmlError("The node could not be moved to the other document");
}

// Takes node out of wherever it stands (tree or detached list) before it is inserted.
void TakeOut(xmlNodePtr node)
{
    if (node->parent)
        UnlinkSelfContained(node);
    ForgetDetached(node);
}

// Replaces, in the subtree of top, every reference to a namespace that replacement maps.
void ReplaceNamespaces(xmlNodePtr top, const std::map<xmlNsPtr, xmlNsPtr>& replacement)
{
    std::vector<xmlNodePtr> pending{top};
    while (!pending.empty()) {
        xmlNodePtr n = pending.back();
        pending.pop_back();
        if (n->type != XML_ELEMENT_NODE)
            continue;
        if (const auto found = replacement.find(n->ns); n->ns && found != replacement.end())
            n->ns = found->second;
        for (xmlAttrPtr a = n->properties; a; a = a->next)
            if (const auto found = replacement.find(a->ns); a->ns && found != replacement.end())
                a->ns = found->second;
        for (xmlNodePtr child = n->children; child; child = child->next)
            pending.push_back(child);
    }
}

// A node that was taken out of a tree carries the declarations it relied on; where it is
// inserted, those that its new place already makes are dropped again.
void DropRedundantDeclarations(xmlNodePtr node)
{
    xmlNsPtr* link = &node->nsDef;
    while (*link) {
        xmlNsPtr ns = *link;
        xmlNsPtr outer = xmlSearchNs(node->doc, node->parent, ns->prefix);
        if (outer && xmlStrEqual(outer->href, ns->href)) {
            ReplaceNamespaces(node, {{ns, outer}});
            *link = ns->next;
            ns->next = nullptr;
            xmlFreeNs(ns);
        } else {
            link = &ns->next;
        }
    }
}

bool IsAsciiNameStart(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; }

bool IsAsciiName(std::u16string_view name)
{
    if (name.empty() || !IsAsciiNameStart(name[0]))
        return false;
    for (const char16_t c : name)
        if (!IsAsciiNameStart(c) && !(c >= u'0' && c <= u'9') && c != u'-' && c != u'.')
            return false;
    return true;
}

// The answer of selectSingleNode to "//name" or "//prefix:name" asked of a document, found by
// walking the document in order up to the first element of that name, instead of collecting
// every match of the whole document; nothing when the expression or prefix is of another kind,
// and then XPath answers.
std::optional<xmlNodePtr> FirstByDescendantName(xmlNodePtr context, std::u16string_view expression)
{
    if (context->type != XML_DOCUMENT_NODE || expression.substr(0, 2) != u"//")
        return std::nullopt;
    std::u16string_view name = expression.substr(2);
    std::u16string_view prefix;
    if (const size_t colon = name.find(u':'); colon != std::u16string_view::npos) {
        prefix = name.substr(0, colon);
        name = name.substr(colon + 1);
        if (!IsAsciiName(prefix) || prefix == u"xml")
            return std::nullopt;
    }
    if (!IsAsciiName(name))
        return std::nullopt;
    const std::string localName = ToUtf8(name);
    std::string uri;
    if (!prefix.empty()) {
        const XmlDocument::Impl* impl = ImplOf(context->doc);
        if (impl == nullptr)
            return std::nullopt;
        const std::string wanted = ToUtf8(prefix);
        bool bound = false;
        for (const auto& [declared, href] : impl->selectionNamespaces)
            if (declared == wanted) {
                uri = href;
                bound = true;
            }
        if (!bound)
            return std::nullopt;
    }
    const auto matches = [&](const xmlNode* node) {
        if (node->type != XML_ELEMENT_NODE || std::strcmp(reinterpret_cast<const char*>(node->name), localName.c_str()) != 0)
            return false;
        if (prefix.empty())
            return node->ns == nullptr;
        return node->ns != nullptr && node->ns->href != nullptr &&
               std::strcmp(reinterpret_cast<const char*>(node->ns->href), uri.c_str()) == 0;
    };
    // Document order: each element before its children, children before the next sibling.
    xmlNodePtr node = context->children;
    while (node != nullptr) {
        if (matches(node))
            return node;
        if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
            node = node->children;
            continue;
        }
        while (node != nullptr && node->next == nullptr)
            node = node->parent == context ? nullptr : node->parent;
        if (node != nullptr)
            node = node->next;
    }
    return xmlNodePtr(nullptr);
}

std::vector<XmlNode> Evaluate(xmlNodePtr context, std::u16string_view expression)
{
    xmlDocPtr doc = context->doc;
    XmlDocument::Impl* impl = ImplOf(doc);
    ErrorCapture capture;
    // Context and result are freed on every way out, a failed allocation included.
    std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> xpath(xmlXPathNewContext(doc),
                                                                            &xmlXPathFreeContext);
    if (!xpath)
        throw XmlError("Out of memory");
    xpath->node = context;
    if (impl)
        for (const auto& [prefix, uri] : impl->selectionNamespaces)
            if (!prefix.empty())
                xmlXPathRegisterNs(xpath.get(), X(prefix), X(uri));
    const std::string utf8 = ToUtf8(expression);
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
        xmlXPathEvalExpression(X(utf8), xpath.get()), &xmlXPathFreeObject);
    xpath.reset();
    if (!result) {
        std::string reason = "The XPath expression cannot be evaluated: " + utf8;
        if (capture.HasError())
            reason += " (" + ToUtf8(capture.First().reason) + ")";
        throw XmlError(reason);
    }
    if (result->type != XPATH_NODESET)
        throw XmlError("The XPath expression does not select nodes: " + utf8);
    std::vector<XmlNode> nodes;
    if (xmlNodeSetPtr set = result->nodesetval) {
        nodes.reserve(static_cast<size_t>(set->nodeNr));
        for (int i = 0; i < set->nodeNr; ++i)
            if (set->nodeTab[i]->type != XML_NAMESPACE_DECL)
                nodes.push_back(XmlAccess::Make(set->nodeTab[i]));
    }
    return nodes;
}

}  // namespace

namespace xmlutil {

void ResolveCreatedNames(xmlNodePtr top)
{
    std::vector<xmlNodePtr> pending{top};
    while (!pending.empty()) {
        xmlNodePtr node = pending.back();
        pending.pop_back();
        if (node->type != XML_ELEMENT_NODE)
            continue;
        int length = 0;
        if (!node->ns && node->name && xmlSplitQName3(node->name, &length)) {
            const std::string qname(reinterpret_cast<const char*>(node->name));
            const std::string prefix = qname.substr(0, static_cast<size_t>(length));
            if (xmlNsPtr ns = xmlSearchNs(node->doc, node, X(prefix))) {
                const std::string local = qname.substr(static_cast<size_t>(length) + 1);
                xmlNodeSetName(node, X(local));
                node->ns = ns;
            }
        }
        for (xmlAttrPtr a = node->properties; a; a = a->next) {
            if (a->ns || !a->name || !xmlSplitQName3(a->name, &length))
                continue;
            const std::string qname(reinterpret_cast<const char*>(a->name));
            const std::string prefix = qname.substr(0, static_cast<size_t>(length));
            xmlNsPtr ns = xmlSearchNs(node->doc, node, X(prefix));
            if (!ns)
                continue;
            // An attribute of the same expanded name would make the element ill-formed.
            const std::string local = qname.substr(static_cast<size_t>(length) + 1);
            if (xmlHasNsProp(node, X(local), ns->href))
                continue;
            xmlNodeSetName(reinterpret_cast<xmlNodePtr>(a), X(local));
            a->ns = ns;
        }
        for (xmlNodePtr child = node->children; child; child = child->next)
            pending.push_back(child);
    }
}

void UnlinkSelfContained(xmlNodePtr node)
{
    if (node->type == XML_ELEMENT_NODE && node->parent) {
        std::map<xmlNsPtr, xmlNsPtr> replacement;
        if (xmlNsPtr* inScope = xmlGetNsList(node->doc, node)) {
            for (xmlNsPtr* ns = inScope; *ns; ++ns) {
                bool own = false;
                for (xmlNsPtr d = node->nsDef; d; d = d->next)
                    own = own || d == *ns;
                if (!own)
                    if (xmlNsPtr copy = xmlNewNs(node, (*ns)->href, (*ns)->prefix))
                        replacement[*ns] = copy;
            }
            xmlFree(inScope);
        }
        if (!replacement.empty())
            ReplaceNamespaces(node, replacement);
    }
    xmlUnlinkNode(node);
}

std::string SerialiseNode(xmlNodePtr node)
{
    xmlBufferPtr buffer = xmlBufferCreate();
    if (!buffer)
        throw XmlError("Out of memory");
    xmlSaveCtxtPtr context = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_NO_DECL);
    if (!context) {
        xmlBufferFree(buffer);
        throw XmlError("Out of memory");
    }
    if (node->type == XML_DOCUMENT_NODE)
        xmlSaveDoc(context, reinterpret_cast<xmlDocPtr>(node));
    else
        xmlSaveTree(context, node);
    xmlSaveClose(context);
    std::string text(reinterpret_cast<const char*>(xmlBufferContent(buffer)), xmlBufferLength(buffer));
    xmlBufferFree(buffer);
    if (node->type == XML_ATTRIBUTE_NODE && !text.empty() && text.front() == ' ')
        text.erase(0, 1);
    while (node->type == XML_DOCUMENT_NODE && !text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

}  // namespace xmlutil

XmlNodeType XmlNode::nodeType() const
{
    xmlNodePtr n = Required(*this);
    switch (n->type) {
    case XML_ELEMENT_NODE: return XmlNodeType::Element;
    case XML_ATTRIBUTE_NODE: return XmlNodeType::Attribute;
    case XML_TEXT_NODE: return XmlNodeType::Text;
    case XML_CDATA_SECTION_NODE: return XmlNodeType::CDataSection;
    case XML_ENTITY_REF_NODE: return XmlNodeType::EntityReference;
    case XML_PI_NODE: return XmlNodeType::ProcessingInstruction;
    case XML_COMMENT_NODE: return XmlNodeType::Comment;
    case XML_DOCUMENT_NODE: return XmlNodeType::Document;
    case XML_DTD_NODE: return XmlNodeType::DocumentType;
    default: return XmlNodeType::Other;
    }
}

std::u16string XmlNode::nodeName() const
{
    xmlNodePtr n = Required(*this);
    switch (n->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE: return ToUtf16(QualifiedName(n));
    case XML_TEXT_NODE: return u"#text";
    case XML_CDATA_SECTION_NODE: return u"#cdata-section";
    case XML_COMMENT_NODE: return u"#comment";
    case XML_DOCUMENT_NODE: return u"#document";
    default: return ToUtf16(n->name);
    }
}

std::u16string XmlNode::namespaceURI() const
{
    xmlNodePtr n = Required(*this);
    if ((n->type == XML_ELEMENT_NODE || n->type == XML_ATTRIBUTE_NODE) && n->ns)
        return ToUtf16(n->ns->href);
    return {};
}

std::u16string XmlNode::nodeValue() const
{
    xmlNodePtr n = Required(*this);
    switch (n->type) {
    case XML_ATTRIBUTE_NODE: return Content(n);
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE: return ToUtf16(n->content);
    default: return {};
    }
}

std::u16string XmlNode::text() const
{
    xmlNodePtr n = Required(*this);
    if (n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_NODE || n->type == XML_ENTITY_REF_NODE)
        return Content(n);
    return nodeValue();
}

void XmlNode::setText(std::u16string_view text)
{
    xmlNodePtr n = Required(*this);
    const std::string utf8 = ToUtf8(text);
    switch (n->type) {
    case XML_ELEMENT_NODE: {
        xmlNodePtr replacement = nullptr;
        if (!utf8.empty()) {
            replacement = xmlNewDocText(n->doc, X(utf8));
            if (!replacement)
                throw XmlError("Out of memory");
        }
        if (n->children)
            xmlFreeNodeList(n->children);
        n->children = n->last = nullptr;
        if (replacement)
            LinkChild(n, replacement, nullptr);
        return;
    }
    case XML_ATTRIBUTE_NODE: SetAttributeValue(reinterpret_cast<xmlAttrPtr>(n), utf8); return;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE: xmlNodeSetContent(n, X(utf8)); return;
    default: throw XmlError("The text of this node cannot be set");
    }
}

std::u16string XmlNode::xml() const { return ToUtf16(SerialiseNode(Required(*this))); }

XmlNode XmlNode::parentNode() const
{
    xmlNodePtr n = Required(*this);
    return XmlAccess::Make(n->type == XML_ATTRIBUTE_NODE ? nullptr : n->parent);
}

XmlNode XmlNode::firstChild() const
{
    xmlNodePtr n = Required(*this);
    return XmlAccess::Make(CanHaveChildren(n) ? n->children : nullptr);
}

XmlNode XmlNode::lastChild() const
{
    xmlNodePtr n = Required(*this);
    return XmlAccess::Make(CanHaveChildren(n) ? n->last : nullptr);
}

XmlNode XmlNode::nextSibling() const
{
    xmlNodePtr n = Required(*this);
    return XmlAccess::Make(n->type == XML_ATTRIBUTE_NODE ? nullptr : n->next);
}

XmlNode XmlNode::previousSibling() const
{
    xmlNodePtr n = Required(*this);
    return XmlAccess::Make(n->type == XML_ATTRIBUTE_NODE ? nullptr : n->prev);
}

std::vector<XmlNode> XmlNode::childNodes() const
{
    xmlNodePtr n = Required(*this);
    std::vector<XmlNode> children;
    if (CanHaveChildren(n))
        for (xmlNodePtr c = n->children; c; c = c->next)
            children.push_back(XmlAccess::Make(c));
    return children;
}

std::vector<XmlNode> XmlNode::attributes() const
{
    xmlNodePtr n = Required(*this);
    std::vector<XmlNode> list;
    if (n->type == XML_ELEMENT_NODE)
        for (xmlAttrPtr a = n->properties; a; a = a->next)
            list.push_back(XmlAccess::Make(reinterpret_cast<xmlNodePtr>(a)));
    return list;
}

std::optional<std::u16string> XmlNode::getAttribute(std::u16string_view name) const
{
    xmlNodePtr n = Required(*this);
    if (n->type != XML_ELEMENT_NODE)
        return std::nullopt;
    const std::string utf8 = ToUtf8(name);
    std::string prefix;
    if (IsNamespaceDeclarationName(utf8, prefix)) {
        if (xmlNsPtr ns = FindDeclaration(n, prefix))
            return ToUtf16(ns->href);
        return std::nullopt;
    }
    if (xmlAttrPtr a = FindAttribute(n, utf8))
        return Content(reinterpret_cast<xmlNodePtr>(a));
    return std::nullopt;
}

void XmlNode::setAttribute(std::u16string_view name, std::u16string_view value)
{
    xmlNodePtr n = Required(*this);
    if (n->type != XML_ELEMENT_NODE)
        throw XmlError("Only elements have attributes");
    const std::string utf8 = ToUtf8(name);
    const std::string valueUtf8 = ToUtf8(value);
    if (!IsQualifiedName(utf8))
        throw XmlError("Not a valid attribute name: " + utf8);
    std::string prefix;
    if (IsNamespaceDeclarationName(utf8, prefix)) {
        if (xmlNsPtr ns = FindDeclaration(n, prefix)) {
            xmlFree(const_cast<xmlChar*>(ns->href));
            ns->href = xmlStrdup(X(valueUtf8));
        } else if (!xmlNewNs(n, X(valueUtf8), prefix.empty() ? nullptr : X(prefix))) {
            throw XmlError("The namespace cannot be declared: " + utf8);
        }
        return;
    }
    if (xmlAttrPtr existing = FindAttribute(n, utf8)) {
        SetAttributeValue(existing, valueUtf8);
        return;
    }
    xmlAttrPtr created = nullptr;
    int length = 0;
    if (xmlSplitQName3(X(utf8), &length)) {
        const std::string p = utf8.substr(0, static_cast<size_t>(length));
        if (xmlNsPtr ns = xmlSearchNs(n->doc, n, X(p)))
            created = xmlNewNsProp(n, ns, X(utf8.substr(static_cast<size_t>(length) + 1)), X(valueUtf8));
    }
    if (!created)
        created = xmlNewProp(n, X(utf8), X(valueUtf8));
    if (!created)
        throw XmlError("The attribute cannot be set: " + utf8);
}

void XmlNode::removeAttribute(std::u16string_view name)
{
    xmlNodePtr n = Required(*this);
    if (n->type != XML_ELEMENT_NODE)
        return;
    // Taken out, not freed: a handle to the attribute stays valid, as for any removed node.
    if (xmlAttrPtr a = FindAttribute(n, ToUtf8(name))) {
        xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(a));
        RememberDetached(reinterpret_cast<xmlNodePtr>(a));
    }
}

XmlNode XmlNode::setAttributeNode(XmlNode attributeNode)
{
    xmlNodePtr n = Required(*this);
    xmlNodePtr node = Required(attributeNode);
    if (n->type != XML_ELEMENT_NODE || node->type != XML_ATTRIBUTE_NODE)
        throw XmlError("Only an attribute can be set on an element");
    xmlAttrPtr attribute = reinterpret_cast<xmlAttrPtr>(node);
    if (attribute->parent) {
        if (attribute->parent == n)
            return XmlNode();
        throw XmlError("The attribute belongs to another element");
    }
    ForgetDetached(node);
    try {
        AdoptInto(node, n->doc, n);
    } catch (...) {
        RememberDetached(node);
        throw;
    }
    const std::string name = QualifiedName(attribute->ns ? attribute->ns->prefix : nullptr, attribute->name);
    xmlAttrPtr former = FindAttribute(n, name);
    attribute->parent = n;
    if (former) {
        attribute->prev = former->prev;
        attribute->next = former->next;
        if (former->prev)
            former->prev->next = attribute;
        else
            n->properties = attribute;
        if (former->next)
            former->next->prev = attribute;
        former->parent = nullptr;
        former->prev = former->next = nullptr;
        RememberDetached(reinterpret_cast<xmlNodePtr>(former));
    } else {
        xmlAttrPtr last = n->properties;
        while (last && last->next)
            last = last->next;
        attribute->prev = last;
        attribute->next = nullptr;
        if (last)
            last->next = attribute;
        else
            n->properties = attribute;
    }
    ResolveCreatedNames(n);
    return XmlAccess::Make(reinterpret_cast<xmlNodePtr>(former));
}

XmlNode XmlNode::appendChild(XmlNode child) { return insertBefore(child, XmlNode()); }

XmlNode XmlNode::insertBefore(XmlNode child, XmlNode reference)
{
    xmlNodePtr parent = Required(*this);
    xmlNodePtr node = Required(child);
    xmlNodePtr before = XmlAccess::Get(reference);
    if (!CanHaveChildren(parent))
        throw XmlError("This node cannot have children");
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE: break;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_ENTITY_REF_NODE:
        if (parent->type == XML_DOCUMENT_NODE)
            throw XmlError("Text cannot stand at the top of a document");
        break;
    default: throw XmlError("This node cannot be inserted");
    }
    if (before && before->parent != parent)
        throw XmlError("The reference node is not a child of this node");
    if (before == node)
        return child;
    if (IsAncestorOrSelf(node, parent))
        throw XmlError("A node cannot be inserted into itself");
    if (parent->type == XML_DOCUMENT_NODE && node->type == XML_ELEMENT_NODE) {
        xmlNodePtr root = xmlDocGetRootElement(reinterpret_cast<xmlDocPtr>(parent));
        if (root && root != node)
            throw XmlError("A document has only one top-level element");
    }
    TakeOut(node);
    try {
        AdoptInto(node, parent->doc, parent->type == XML_ELEMENT_NODE ? parent : nullptr);
    } catch (...) {
        RememberDetached(node);  // its document keeps it, as any node outside the tree
        throw;
    }
    LinkChild(parent, node, before);
    ResolveCreatedNames(node);
    if (node->type == XML_ELEMENT_NODE && parent->type == XML_ELEMENT_NODE)
        DropRedundantDeclarations(node);
    return child;
}

XmlNode XmlNode::removeChild(XmlNode child)
{
    xmlNodePtr parent = Required(*this);
    xmlNodePtr node = Required(child);
    if (node->type == XML_ATTRIBUTE_NODE || node->parent != parent)
        throw XmlError("The node is not a child of this node");
    UnlinkSelfContained(node);
    RememberDetached(node);
    return child;
}

XmlNode XmlNode::selectSingleNode(std::u16string_view xpath) const
{
    xmlNodePtr context = Required(*this);
    if (std::optional<xmlNodePtr> first = FirstByDescendantName(context, xpath))
        return XmlAccess::Make(*first);
    const std::vector<XmlNode> nodes = Evaluate(context, xpath);
    return nodes.empty() ? XmlNode() : nodes.front();
}

std::vector<XmlNode> XmlNode::selectNodes(std::u16string_view xpath) const
{
    return Evaluate(Required(*this), xpath);
}

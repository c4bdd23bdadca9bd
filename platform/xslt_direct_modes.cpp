// Direct template calls for stylesheets built of path templates. A print file's stylesheet has
// one template per question part, each matching one absolute path such as
// "/print/dmon[3]/mon/dai", and a root template that applies each path in turn. libxslt keeps
// the templates of one element name in a single list and tries them in turn for every node, so
// such a stylesheet costs the square of its parts. When the stylesheet's shape proves that each
// xsl:apply-templates can only ever reach the one template whose match is its select, every such
// pair gets a mode of its own: the lookup then finds that template at once, and the result stays
// exactly what it was. A select's numbered step below the document element ("dmon[3]") would
// still count its way through the earlier siblings each time; it is reached through an index of
// those siblings instead, made once per transformation.
#include "platform/xml_internal.h"

#include <libxml/xpathInternals.h>
#include <libxslt/extensions.h>
#include <libxslt/xslt.h>

#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr const char* kModePrefix = "qn-direct-";
constexpr const char* kPartPrefix = "qn-direct";
constexpr const char* kPartFunction = "part";

// The children of one name of a document's element of one name, in document order, listed the
// first time a transformation asks for one of them.
struct PART_INDEX {
    xmlDocPtr doc = nullptr;
    std::string top;
    std::string child;
    std::vector<xmlNodePtr> nodes;
};

thread_local std::vector<PART_INDEX> t_partIndexes;
// The one document whose indexes are kept: the one being transformed, which lives as long as the
// transformation. Others (result tree fragments) may go and their addresses come back.
thread_local xmlDocPtr t_indexedDoc = nullptr;

bool HasPlainName(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && node->ns == nullptr &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::vector<xmlNodePtr> ListParts(xmlDocPtr doc, const char* top, const char* child)
{
    std::vector<xmlNodePtr> nodes;
    xmlNodePtr root = doc != nullptr ? xmlDocGetRootElement(doc) : nullptr;
    if (root != nullptr && HasPlainName(root, top))
        for (xmlNodePtr node = root->children; node != nullptr; node = node->next)
            if (HasPlainName(node, child))
                nodes.push_back(node);
    return nodes;
}

// The parts, from the kept index when doc is the document being transformed; scratch holds
// them otherwise.
const std::vector<xmlNodePtr>& PartsOf(xmlDocPtr doc, const char* top, const char* child,
                                       std::vector<xmlNodePtr>* scratch)
{
    if (doc == nullptr || doc != t_indexedDoc) {
        *scratch = ListParts(doc, top, child);
        return *scratch;
    }
    for (const PART_INDEX& index : t_partIndexes)
        if (index.top == top && index.child == child)
            return index.nodes;
    t_partIndexes.push_back(PART_INDEX{doc, top, child, ListParts(doc, top, child)});
    return t_partIndexes.back().nodes;
}

// qn-direct:part(top, child, k): the node set of "/top/child[k]" (an empty one when there is no
// such node), the root being the one XPath's "/" takes.
void PartFunction(xmlXPathParserContextPtr ctxt, int nargs)
{
    if (nargs != 3) {
        xmlXPathSetArityError(ctxt);
        return;
    }
    const double position = xmlXPathPopNumber(ctxt);
    xmlChar* child = xmlXPathPopString(ctxt);
    xmlChar* top = xmlXPathPopString(ctxt);
    xmlNodeSetPtr found = nullptr;
    if (ctxt->error == 0 && child != nullptr && top != nullptr) {
        found = xmlXPathNodeSetCreate(nullptr);
        std::vector<xmlNodePtr> scratch;
        const std::vector<xmlNodePtr>& parts = PartsOf(ctxt->context->doc, reinterpret_cast<const char*>(top),
                                                       reinterpret_cast<const char*>(child), &scratch);
        if (found != nullptr && position >= 1 && position <= static_cast<double>(parts.size()) &&
            position == static_cast<double>(static_cast<size_t>(position)))
            xmlXPathNodeSetAdd(found, parts[static_cast<size_t>(position) - 1]);
    }
    xmlFree(child);
    xmlFree(top);
    if (ctxt->error != 0) {
        xmlXPathFreeNodeSet(found);
        return;
    }
    valuePush(ctxt, xmlXPathWrapNodeSet(found));
}

bool IsXslElement(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && node->ns != nullptr && node->ns->href != nullptr &&
           xmlStrEqual(node->ns->href, XSLT_NAMESPACE) && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::optional<std::string> AttributeOf(xmlNodePtr node, const char* name)
{
    xmlAttrPtr attribute = xmlHasProp(node, BAD_CAST name);
    if (attribute == nullptr)
        return std::nullopt;
    xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attribute));
    std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

// An absolute path of child steps, each a plain element name with at most one position:
// "/print/dmon[3]/mon/dai". The shape is the names alone, the positions what tells paths of one
// shape apart (0 for a step without one).
struct SIMPLE_PATH {
    std::vector<std::string> names;
    std::string shape;
    std::string mask;  // one character per step: whether it has a position
    std::vector<long> positions;
    std::string key;   // shape and positions, the same for equal paths however written
    std::string lastStep;  // the last step as a relative pattern: "dai", "smon[1]"
};

bool IsNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

std::optional<SIMPLE_PATH> ParseSimplePath(const std::string& text)
{
    SIMPLE_PATH path;
    size_t at = 0;
    if (text.empty())
        return std::nullopt;
    while (at < text.size()) {
        if (text[at] != '/')
            return std::nullopt;
        ++at;
        const size_t nameStart = at;
        if (at >= text.size() || !IsNameStart(text[at]))
            return std::nullopt;
        while (at < text.size() && IsNameChar(text[at]))
            ++at;
        const std::string name = text.substr(nameStart, at - nameStart);
        long position = 0;
        if (at < text.size() && text[at] == '[') {
            ++at;
            const size_t digits = at;
            while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - digits < 9) {
                position = position * 10 + (text[at] - '0');
                ++at;
            }
            if (at == digits || position < 1 || at >= text.size() || text[at] != ']')
                return std::nullopt;
            ++at;
        }
        path.names.push_back(name);
        path.shape += "/" + name;
        path.mask += position > 0 ? '1' : '0';
        path.positions.push_back(position);
        path.key += "/" + name + "[" + std::to_string(position) + "]";
        path.lastStep = position > 0 ? name + "[" + std::to_string(position) + "]" : name;
    }
    return path;
}

struct TEMPLATE_ENTRY {
    xmlNodePtr node = nullptr;
    SIMPLE_PATH path;
};

// The XSLT name of an element, or null for an element of another namespace. The namespace
// declarations of one stylesheet are few, so the last one found to be XSLT's is compared by
// address first.
const char* XslNameOf(const xmlNode* node, const xmlNs*& lastXslNamespace)
{
    const xmlNs* ns = node->ns;
    if (ns == nullptr)
        return nullptr;
    if (ns != lastXslNamespace) {
        if (ns->href == nullptr || !xmlStrEqual(ns->href, XSLT_NAMESPACE))
            return nullptr;
        lastXslNamespace = ns;
    }
    return reinterpret_cast<const char*>(node->name);
}

// Collects the templates and apply-templates of the stylesheet; false when the stylesheet has
// anything the direct calls could not follow exactly.
bool Collect(xmlNodePtr node, std::vector<TEMPLATE_ENTRY>* templates, std::vector<xmlNodePtr>* applies,
             int* rootTemplates, const xmlNs*& lastXslNamespace)
{
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        if (const char* name = XslNameOf(child, lastXslNamespace)) {
            if (std::strcmp(name, "import") == 0 || std::strcmp(name, "include") == 0 ||
                std::strcmp(name, "apply-imports") == 0)
                return false;
            if (std::strcmp(name, "template") == 0) {
                if (xmlHasProp(child, BAD_CAST "mode") || xmlHasProp(child, BAD_CAST "name"))
                    return false;
                const std::optional<std::string> match = AttributeOf(child, "match");
                if (!match)
                    return false;
                if (*match == "/") {
                    ++*rootTemplates;
                } else {
                    std::optional<SIMPLE_PATH> path = ParseSimplePath(*match);
                    if (!path)
                        return false;
                    templates->push_back(TEMPLATE_ENTRY{child, std::move(*path)});
                }
            } else if (std::strcmp(name, "apply-templates") == 0) {
                if (xmlHasProp(child, BAD_CAST "mode"))
                    return false;
                applies->push_back(child);
            }
        }
        if (!Collect(child, templates, applies, rootTemplates, lastXslNamespace))
            return false;
    }
    return true;
}

// "/top/child[k]/rest" as "qn-direct:part('top','child',k)/rest", for a path whose second step
// alone of the first two has a position; nothing for other paths.
std::optional<std::string> ThroughPartIndex(const SIMPLE_PATH& path)
{
    if (path.names.size() < 2 || path.positions[0] != 0 || path.positions[1] == 0)
        return std::nullopt;
    std::string select = std::string(kPartPrefix) + ":" + kPartFunction + "('" + path.names[0] + "','" +
                         path.names[1] + "'," + std::to_string(path.positions[1]) + ")";
    for (size_t step = 2; step < path.names.size(); ++step) {
        select += "/" + path.names[step];
        if (path.positions[step] > 0)
            select += "[" + std::to_string(path.positions[step]) + "]";
    }
    return select;
}

}  // namespace

namespace xmlutil {

void GiveDirectTemplatesModes(xmlDocPtr stylesheet)
{
    xmlNodePtr top = stylesheet != nullptr ? xmlDocGetRootElement(stylesheet) : nullptr;
    if (top == nullptr || !(IsXslElement(top, "stylesheet") || IsXslElement(top, "transform")))
        return;
    std::vector<TEMPLATE_ENTRY> templates;
    std::vector<xmlNodePtr> applies;
    int rootTemplates = 0;
    const xmlNs* lastXslNamespace = nullptr;
    if (!Collect(top, &templates, &applies, &rootTemplates, lastXslNamespace) || rootTemplates != 1 || templates.empty())
        return;

    // Paths of one shape are disjoint when they all have positions at the same steps and no two
    // are equal: then a node reached by a select is matched by the template of that path alone.
    std::unordered_map<std::string, std::string> maskOfShape;
    std::unordered_map<std::string, size_t> templateOfKey;
    for (size_t t = 0; t < templates.size(); ++t) {
        const SIMPLE_PATH& path = templates[t].path;
        const auto [mask, added] = maskOfShape.emplace(path.shape, path.mask);
        if (!added && mask->second != path.mask)
            return;
        if (!templateOfKey.emplace(path.key, t).second)
            return;
    }
    // Every apply-templates must select one template's path; the built-in rules, which would
    // look for templates in the default mode, then never run below the root.
    std::vector<size_t> target(applies.size());
    for (size_t a = 0; a < applies.size(); ++a) {
        const std::optional<std::string> select = AttributeOf(applies[a], "select");
        std::optional<SIMPLE_PATH> path = select ? ParseSimplePath(*select) : std::nullopt;
        if (!path)
            return;
        const auto found = templateOfKey.find(path->key);
        if (found == templateOfKey.end())
            return;
        target[a] = found->second;
    }
    // A template of its own mode is reached only from the selects of its path, whose nodes all
    // match that path: testing the last step alone gives the same answer without counting the
    // positions of every ancestor among its siblings, which grows with the paper.
    for (size_t t = 0; t < templates.size(); ++t) {
        xmlSetProp(templates[t].node, BAD_CAST "mode", BAD_CAST(kModePrefix + std::to_string(t)).c_str());
        xmlSetProp(templates[t].node, BAD_CAST "match", BAD_CAST templates[t].path.lastStep.c_str());
    }
    for (size_t a = 0; a < applies.size(); ++a) {
        xmlSetProp(applies[a], BAD_CAST "mode", BAD_CAST(kModePrefix + std::to_string(target[a])).c_str());
        if (const std::optional<std::string> select = ThroughPartIndex(templates[target[a]].path);
            select && applies[a]->children == nullptr && xmlNewNs(applies[a], BAD_CAST kDirectNamespace, BAD_CAST kPartPrefix))
            xmlSetProp(applies[a], BAD_CAST "select", BAD_CAST select->c_str());
    }
}

void RegisterDirectPartFunction()
{
    xsltRegisterExtModuleFunction(BAD_CAST kPartFunction, BAD_CAST kDirectNamespace, PartFunction);
}

DirectPartIndexScope::DirectPartIndexScope(xmlDocPtr transformed)
{
    t_partIndexes.clear();
    t_indexedDoc = transformed;
}

DirectPartIndexScope::~DirectPartIndexScope()
{
    t_partIndexes.clear();
    t_indexedDoc = nullptr;
}

}  // namespace xmlutil

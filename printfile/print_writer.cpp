#include "printfile/print_writer.h"

#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/page_furniture.h"
#include "nodes/picture_node.h"
#include "platform/safe_file.h"
#include "printfile/edit_to_fo.h"
#include "printfile/print_messages.h"
#include "printfile/print_reader.h"
#include "printfile/print_resources.h"
#include "printfile/template_emitters.h"

#include <exception>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr char16_t kNamespaces[] =
    u"xmlns:fo='http://www.w3.org/1999/XSL/Format' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'";
constexpr int kTextBoxPartKind = 5;

bool LoadSkeleton(XmlDocument& document, bool vertical)
{
    std::u16string text = LoadXmlResource(vertical ? IDR_XML_SKELETON_VERTICAL : IDR_XML_SKELETON);
    if (!text.empty() && text.front() == u'\uFEFF')
        text.erase(0, 1);
    if (document.loadXML(text))
        return true;
    ReportParseError(u"XML Parsing Error", document.parseError());
    return false;
}

std::vector<const CMondaiInfo*> Records(const CEditPrint* root)
{
    std::vector<const CMondaiInfo*> records;
    for (const auto& record : root->m_mondaiList)
        records.push_back(record.get());
    return records;
}

// False when the question records could not be rebuilt: stale records must not be written.
bool FillMondaiIds(CEditPrint* root, XmlDocument& document)
{
    if (XmlNode ids = document.selectSingleNode(u"//MondaiID")) {
        if (!root->AssignMondaiIds())
            return false;
        ids.setText(FormatMondaiIdText(Records(root)).View());
    }
    if (XmlNode ids2 = document.selectSingleNode(u"//MondaiID2"))
        ids2.setText(FormatMondaiId2Text(Records(root)).View());
    return true;
}

void FillGeometry(CEditPrint* root, XmlDocument& document)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    root->GetMargins(&left, &top, &right, &bottom);
    int width = root->m_geometry.width;
    int height = root->m_geometry.height;
    if (root->m_vertical != 0) {
        std::swap(width, height);
        const int l = left, t = top, r = right, b = bottom;
        left = t, top = r, right = b, bottom = l;
    }
    const struct {
        const char16_t* name;
        int value;
    } values[] = {{u"page-width", width}, {u"page-height", height}, {u"margin-left", left},
                  {u"margin-top", top},   {u"margin-right", right}, {u"margin-bottom", bottom}};
    for (XmlNode master : document.selectNodes(u"//fo:simple-page-master")) {
        for (const auto& value : values)
            if (master.getAttribute(value.name))
                master.setAttribute(value.name, FormatMillimetres(value.value).View());
    }
    if (root->m_geometry.columnCount > 1) {
        CStringW count;
        count.Format(u"%d", root->m_geometry.columnCount);
        for (XmlNode body : document.selectNodes(u"//fo:region-body"))
            if (body.getAttribute(u"column-count"))
                body.setAttribute(u"column-count", count.View());
    }
}

XmlNode AppendNamed(XmlDocument& document, XmlNode parent, const char16_t* name)
{
    return parent.appendChild(document.createElement(name));
}

void AppendQuestionParts(XmlDocument& document, XmlNode question)
{
    for (const char16_t* name : {u"dai", u"ran", u"kai", u"setsu"})
        AppendNamed(document, question, name);
}

// The data part: "kim", then "gai" and "dmon" in the order of the parts.
bool BuildDataPart(CEditPrint* root, XmlDocument& document, XmlNode stylesheet, bool nameField)
{
    XmlNode print = document.documentElement();
    if (nameField)
        print.insertBefore(document.createElement(u"kim"), stylesheet);
    CFoFlow* references = root->GetPartReferences();
    for (int i = 0; i < references->GetChildCount(); ++i) {
        const auto* entry = NodeAs<const CXslApplyTemplates>(references->GetChildAt(i));
        if (entry == nullptr)
            continue;
        const int major = entry->m_applyReserved[1];
        const int sub = entry->m_applyReserved[2];
        const int partKind = entry->m_applyReserved[3];
        if (partKind == kTextBoxPartKind) {
            print.insertBefore(document.createElement(u"gai"), stylesheet);
        } else if (partKind == PART_QUESTION && sub == 0) {
            XmlNode question = print.insertBefore(document.createElement(u"dmon"), stylesheet);
            AppendQuestionParts(document, AppendNamed(document, question, u"mon"));
            const int subCount = root->CountSubQuestions(major);
            for (int s = 1; s <= subCount; ++s)
                AppendQuestionParts(document, AppendNamed(document, question, u"smon"));
        } else if (partKind < PART_QUESTION || partKind > PART_EXPLANATION) {
            return false;
        }
    }
    return true;
}

bool FillPageSequence(CEditPrint* root, XmlDocument& document, bool nameField)
{
    XmlNode master = document.selectSingleNode(u"//fo:page-sequence-master");
    if (!master)
        return false;
    for (int page = 1; page <= root->GetPageCount(); ++page) {
        XmlNode reference = AppendNamed(document, master, u"fo:single-page-master-reference");
        reference.setAttribute(u"master-reference", root->IsPageFlagged(page) ? u"KimeiBodyPage" : u"BodyPage");
    }
    if (nameField) {
        XmlNode content = document.selectSingleNode(u"//fo:static-content");
        if (!content)
            return false;
        AppendNamed(document, content, u"xsl:apply-templates").setAttribute(u"select", u"/print/kim");
    }
    XmlNode flow = document.selectSingleNode(u"//fo:flow");
    if (!flow)
        return false;
    CFoFlow* references = root->GetPartReferences();
    int answerPages = 0;
    for (int i = 0; i < references->GetChildCount(); ++i) {
        CQNXMLNode* entry = references->GetChildAt(i);
        if (const auto* apply = NodeAs<const CXslApplyTemplates>(entry)) {
            AppendNamed(document, flow, u"xsl:apply-templates").setAttribute(u"select", apply->m_select.View());
        } else if (entry->m_typeCode == XEC_FO_BLOCK_CONTAINER) {
            XmlNode page = AppendNamed(document, flow, u"fo:block-container");
            CStringW id;
            id.Format(u"kaipage001%d", ++answerPages);
            page.setAttribute(u"id", id.View());
            page.setAttribute(u"break-after", u"page");
        } else {
            return false;
        }
    }
    return true;
}

bool WriteTemplates(CEditPrint* root, XmlDocument& document, XmlNode stylesheet, CQNXMLNode* flow, CQNXMLNode* nameField,
                    bool hasNameField)
{
    CTemplateEmitter emitter(document, root->m_vertical != 0);
    if (hasNameField) {
        XmlNode xslTemplate = AppendNamed(document, stylesheet, u"xsl:template");
        xslTemplate.setAttribute(u"match", u"/print/kim");
        XmlNode body = AppendNamed(document, xslTemplate, u"fo:block-container");
        XmlNode kim = document.selectSingleNode(u"/print/kim");
        if (!kim || nameField == nullptr || nameField->m_typeCode != XEC_FO_BLOCK_CONTAINER)
            return false;
        XML_BUILD_CONTEXT context;
        emitter.WritePrintBlockContainer(nameField, kim, body, CStringW(), &context);
    }
    if (root->GetChildCount() == 0)
        return false;
    CFoFlow* references = root->GetPartReferences();
    XML_BUILD_CONTEXT context;
    for (int i = 0; i < root->GetChildCount() && i < references->GetChildCount(); ++i) {
        if (root->GetChildAt(i)->m_typeCode == EditKind::Code(EditKind::kKaiPage))
            continue;
        const auto* apply = NodeAs<const CXslApplyTemplates>(references->GetChildAt(i));
        if (apply == nullptr)
            return false;
        XmlNode xslTemplate = AppendNamed(document, stylesheet, u"xsl:template");
        xslTemplate.setAttribute(u"match", apply->m_select.View());
        XmlNode body = AppendNamed(document, xslTemplate, u"fo:block-container");
        XmlNode data = document.selectSingleNode(apply->m_select.View());
        CQNXMLNode* part = flow->GetChildAt(i);
        if (!data || part == nullptr || part->m_typeCode != XEC_FO_BLOCK_CONTAINER)
            return false;
        // Every template numbers its content from 1; text boxes and answer pages count on.
        XML_BUILD_CONTEXT partContext;
        partContext.counters[kCountGai] = context.counters[kCountGai];
        partContext.counters[kCountKaiPage] = context.counters[kCountKaiPage];
        emitter.WritePrintBlockContainer(part, data, body, CStringW(), &partContext);
        context = partContext;
    }
    return true;
}

// The names the placeholder pictures under node keep.
void CollectPlaceholderNames(CEditNode* node, std::set<std::string>& names)
{
    if (node == nullptr)
        return;
    if (const auto* picture = NodeAs<const CEditGraphic>(node); picture != nullptr && picture->IsPlaceholder())
        names.insert(picture->GetReference());
    for (int i = 0; i < node->GetChildCount(); ++i)
        CollectPlaceholderNames(node->GetEditChild(i), names);
}

}  // namespace

bool WritePrintXml(CEditPrint* root, CQNXMLNode* flow, const std::string& path, CQNXMLNode* nameField)
{
    if (root == nullptr || flow == nullptr)
        return false;
    try {
        XmlDocument document;
        if (!LoadSkeleton(document, root->m_vertical != 0))
            return false;
        document.setProperty(u"SelectionLanguage", u"XPath");
        document.setProperty(u"SelectionNamespaces", kNamespaces);
        if (XmlNode id = document.selectSingleNode(u"//SearchProgID"))
            id.setText(root->m_searchProgId.View());
        if (XmlNode info = document.selectSingleNode(u"//SearchInfo"))
            info.setText(root->m_searchInfo.View());
        if (!FillMondaiIds(root, document))
            return false;
        FillGeometry(root, document);

        if (root->GetPartReferences() == nullptr)
            root->SetPartReferences(std::make_unique<CFoFlow>());
        if (!root->BuildPartPaths() || root->GetPartReferences()->GetChildCount() == 0)
            return false;
        if (root->m_partLayoutMode != 0) {
            CStringW mode;
            mode.Format(u"%d", root->m_partLayoutMode);
            document.documentElement().setAttribute(u"field-sequence", mode.View());
        }
        XmlNode stylesheet = document.selectSingleNode(u"//xsl:stylesheet");
        if (!stylesheet)
            return false;
        const bool hasNameField = root->GetNameFieldLayer()->GetChildCount() > 0;
        if (!BuildDataPart(root, document, stylesheet, hasNameField) || !FillPageSequence(root, document, hasNameField) ||
            !WriteTemplates(root, document, stylesheet, flow, nameField, hasNameField))
            return false;
        return document.save(path, XmlEncoding::Utf16);
    } catch (...) {
        return false;
    }
}

bool SavePrintFile(CEditPrint* root, const std::string& path)
{
    if (root == nullptr)
        return false;
    try {
        root->SetPathName(path.c_str());
        root->ClearSideFiles();
        ResetSideFileCounters();
        // The side files and the print file are written under temporary names first and put in
        // place together, so a save that fails leaves every earlier file as it was.
        FileReplacementGroup group;
        SideFileCounters().root = root;
        SideFileCounters().group = &group;
        CollectPlaceholderNames(root, SideFileCounters().keptReferences);
        CollectPlaceholderNames(root->GetNameFieldTemplate(), SideFileCounters().keptReferences);
        XML_BUILD_CONTEXT context;
        auto nameField = std::make_unique<CFoBlockContainer>();
        CEditNode* nameFieldTemplate = root->GetNameFieldTemplate();
        if (nameFieldTemplate != nullptr && root->GetNameFieldLayer()->GetChildCount() > 0)
            BuildXmlTree(nameFieldTemplate, nameField.get(), &context);
        auto flow = std::make_unique<CFoFlow>();
        BuildXmlTree(root, flow.get(), &context);
        const bool sideFilesFailed = SideFileCounters().failed;
        ResetSideFileCounters();
        if (sideFilesFailed)
            return false;
        std::error_code error;
        const std::string staged = group.Stage(path, error);
        if (!staged.empty() && WritePrintXml(root, flow.get(), staged, nameField.get())) {
            std::string failedTarget;
            if (!group.Commit(&failedTarget))
                return true;
            if (failedTarget != path) {
                ShowPrintFileMessage(CStringW(u"イメージの保存に失敗しました。\n\n") + CStringW(failedTarget.c_str()));
                return false;
            }
        }
    } catch (const std::exception&) {
        // A paper converted only in part is never written: the file on disk stays as it was.
        ResetSideFileCounters();
    }
    ShowPrintFileMessage(CStringW(u"印刷ファイルを保存できませんでした: ") + CStringW(path.c_str()));
    return false;
}

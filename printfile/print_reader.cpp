#include "printfile/print_reader.h"

#include "base/attribute_vocabulary.h"
#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/edit_switches.h"
#include "nodes/page_furniture.h"
#include "nodes/question_parts.h"
#include "printfile/fo_to_edit.h"
#include "printfile/fo_tree.h"
#include "printfile/mondai_id_parsers.h"
#include "printfile/print_messages.h"
#include "printfile/print_resources.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>

int PrintFileSearchInfoFlag = 0;

namespace {

constexpr char16_t kXslNamespace[] = u"xmlns:xsl='http://www.w3.org/1999/XSL/Transform'";
constexpr char16_t kFoNamespace[] = u"xmlns:fo='http://www.w3.org/1999/XSL/Format'";

std::u16string_view WithoutByteOrderMark(std::u16string_view text)
{
    if (!text.empty() && text.front() == u'\uFEFF')
        text.remove_prefix(1);
    return text;
}

CStringW WithoutBlanks(const std::u16string& text)
{
    CStringW result;
    for (const char16_t unit : text)
        if (unit != u' ' && unit != u'\r' && unit != u'\n')
            result += unit;
    return result;
}

int ReadLayoutMode(const XmlDocument& document)
{
    const XmlNode print = document.documentElement();
    for (const XmlNode& attribute : print.attributes()) {
        if (attribute.nodeName() != u"field-sequence")
            continue;
        const std::u16string value = attribute.nodeValue();
        if (value.size() == 1 && value[0] >= u'1' && value[0] <= u'4')
            return value[0] - u'0';
    }
    return 0;
}

void ReadQuestionBankData(CEditPrint* root, XmlDocument& document)
{
    const XmlNode programId = document.selectSingleNode(u"//SearchProgID");
    const std::u16string programText = programId ? programId.text() : std::u16string();
    PrintFileSearchInfoFlag = programText.empty() ? 0 : 1;
    root->m_searchProgId = WithoutBlanks(programText);
    const XmlNode info = document.selectSingleNode(u"//SearchInfo");
    root->m_searchInfo = WithoutBlanks(info ? info.text() : std::u16string());

    std::vector<std::unique_ptr<CMondaiInfo>> records;
    if (const XmlNode ids2 = document.selectSingleNode(u"//MondaiID2")) {
        root->m_identificationForm = CMondaiInfo::kLongForm;
        records = ReadMondaiId2Records(CStringW(std::u16string_view(ids2.text())));
    } else {
        root->m_identificationForm = CMondaiInfo::kShortForm;
        const XmlNode ids = document.selectSingleNode(u"//MondaiID");
        records = ReadMondaiIdRecords(CStringW(std::u16string_view(ids ? ids.text() : std::u16string())));
    }
    for (auto& record : records)
        root->m_mondaiList.push_back(std::move(record));
}

// The part references from the stylesheet's fo:flow, or one taken from its first template.
bool ReadPartReferences(CEditPrint* root, XmlDocument& document, const XmlNode& stylesheet)
{
    document.setProperty(u"SelectionNamespaces", kFoNamespace);
    if (const XmlNode flow = document.selectSingleNode(u"//fo:flow")) {
        std::unique_ptr<CQNXMLNode> tree(BuildFoTree(flow));
        auto* foFlow = NodeAs<CFoFlow>(tree.get());
        if (foFlow == nullptr)
            return false;
        tree.release();
        root->SetPartReferences(std::unique_ptr<CFoFlow>(foFlow));
        return true;
    }
    document.setProperty(u"SelectionNamespaces", kXslNamespace);
    const XmlNode firstTemplate = stylesheet.selectSingleNode(u"xsl:template");
    if (!firstTemplate)
        return false;
    auto flow = std::make_unique<CFoFlow>();
    auto apply = std::make_unique<CXslApplyTemplates>();
    for (const XmlNode& attribute : firstTemplate.attributes())
        SetAttribute(apply.get(), CStringW(std::u16string_view(attribute.nodeName())),
                     CStringW(std::u16string_view(attribute.nodeValue())));
    if (flow->AppendChild(apply.get()) >= 0)
        apply.release();
    root->SetPartReferences(std::move(flow));
    return true;
}

// The FO result as an element-object tree; a fragment is put into the fo:root frame and read as
// the question text of question 1.
std::unique_ptr<CQNXMLNode> ReadFoTree(CEditPrint* root, XmlDocument& document)
{
    const XmlNode result = document.documentElement();
    if (result.nodeName() == u"fo:root")
        return std::unique_ptr<CQNXMLNode>(BuildFoTree(result));
    XmlDocument frame;
    if (!frame.loadXML(WithoutByteOrderMark(LoadXmlResource(IDR_XML_FO_FRAME)))) {
        ReportParseError(u"XSL Parsing Error", frame.parseError());
        return nullptr;
    }
    frame.setProperty(u"SelectionLanguage", u"XPath");
    frame.setProperty(u"SelectionNamespaces", kFoNamespace);
    XmlNode flow = frame.selectSingleNode(u"//fo:flow");
    if (!flow)
        return nullptr;
    flow.appendChild(result);
    std::unique_ptr<CQNXMLNode> tree(BuildFoTree(frame.documentElement()));
    CFoFlow* references = root->GetPartReferences();
    if (tree != nullptr && references != nullptr) {
        references->DeleteAllChildren();
        auto apply = std::make_unique<CXslApplyTemplates>();
        apply->m_select = u"/print/dmon[1]/mon/dai";
        if (references->AppendChild(apply.get()) >= 0)
            apply.release();
    }
    return tree;
}

bool IsVerticalResult(XmlDocument& document)
{
    document.setProperty(u"SelectionNamespaces", kFoNamespace);
    const XmlNode master = document.selectSingleNode(u"//fo:simple-page-master");
    if (!master)
        return false;
    for (const XmlNode& attribute : master.attributes())
        if (attribute.nodeName() == u"writing-mode")
            return attribute.nodeValue() == u"tb-rl";
    return false;
}

// The file stores a vertical paper turned; the root keeps it in its own orientation.
void TurnVerticalGeometry(CEditPrint* root)
{
    std::swap(root->m_geometry.width, root->m_geometry.height);
    int left = 0, top = 0, right = 0, bottom = 0;
    root->GetMargins(&left, &top, &right, &bottom);
    root->SetMargins(bottom, left, top, right);
}

// The name field a paper gets when its file has none: the name field's default table.
void GiveDefaultNameField(CEditPrint* root)
{
    auto* nameField = NodeAs<CEditKimeiran>(root->GetNameFieldTemplate());
    if (nameField == nullptr) {
        auto made = std::make_unique<CEditKimeiran>();
        nameField = made.get();
        root->SetNameFieldTemplate(std::move(made));
    }
    nameField->DeleteAllChildren();
    nameField->BuildDefaultTable();
}

// Every question's first part shows its points record through a label, a hidden one when the
// file had none.
void RepairPointsLabel(CEditSentence* part)
{
    if (part == nullptr)
        return;
    auto* label = NodeAs<CEditHaiten>(part->FindDescendantOfType(EditKind::Code(EditKind::kHaiten)));
    if (label == nullptr) {
        CEditNode* lineBreak = part->GetFirstLineBreak();
        if (lineBreak == nullptr)
            return;
        auto made = std::make_unique<CEditHaiten>();
        made->m_hidden = 2;
        made->m_caretStop = 0;
        label = made.get();
        lineBreak->InsertBefore(made.release());
    }
    label->m_info.Copy(part->m_haiten);
}

void RepairPointsLabels(CEditPrint* root)
{
    // One pass finds each question's and sub-question's first part and counts them, so that a
    // paper of many questions is repaired in time proportional to its parts.
    std::unordered_map<int64_t, CEditSentence*> firstPart;
    std::unordered_map<int, int> subQuestions;
    std::unordered_set<int> hasQuestionText;
    int questions = 0;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        CEditSentence* part = AsQuestionPart(root->GetChildAt(i));
        if (part == nullptr)
            continue;
        const int64_t key = (static_cast<int64_t>(part->m_questionNumber) << 32) |
                            static_cast<uint32_t>(part->m_subQuestionNumber);
        firstPart.emplace(key, part);
        if (part->m_partKind != PART_QUESTION)
            continue;
        if (part->m_subQuestionNumber == 0) {
            ++questions;
            hasQuestionText.insert(part->m_questionNumber);
        } else {
            ++subQuestions[part->m_questionNumber];
        }
    }
    auto partOf = [&firstPart](int m, int s) -> CEditSentence* {
        const auto found = firstPart.find((static_cast<int64_t>(m) << 32) | static_cast<uint32_t>(s));
        return found != firstPart.end() ? found->second : nullptr;
    };
    for (int n = 1; n <= questions; ++n) {
        RepairPointsLabel(partOf(n, 0));
        const auto counted = subQuestions.find(n);
        const int subs = hasQuestionText.count(n) != 0 && counted != subQuestions.end() ? counted->second : 0;
        for (int m = 1; m <= subs; ++m) {
            CEditSentence* part = partOf(n, m);
            if (part != nullptr && part->m_haiten.style != 4)
                part->m_haiten.visibility = 0;
            RepairPointsLabel(part);
        }
    }
}

}  // namespace

void ReportParseError(const char16_t* kind, const XmlParseError& error)
{
    CStringW text;
    text.Format(u"%s: Code=0x%x Source=Line:%d; Char:%d Error Description=%s", kind, static_cast<int>(error.errorCode),
                static_cast<int>(error.line), static_cast<int>(error.linepos), CStringW(std::u16string_view(error.reason)));
    ShowPrintFileMessage(text);
}

bool LoadNewTemplate(CEditPrint* root, bool vertical)
{
    const std::u16string text = LoadXmlResource(vertical ? IDR_XML_EMPTY_PAPER_VERTICAL : IDR_XML_EMPTY_PAPER);
    if (text.empty())
        return false;
    return LoadXmlString(root, text);
}

bool LoadXmlFile(CEditPrint* root, const std::string& path)
{
    if (root == nullptr)
        return false;
    try {
        XmlDocument document;
        if (!document.load(path)) {
            ReportParseError(u"XML Parsing Error", document.parseError());
            return false;
        }
        root->SetPathName(path.c_str());
        return ReadPrintXml(root, document);
    } catch (...) {
        return false;
    }
}

bool LoadXmlString(CEditPrint* root, std::u16string_view text)
{
    if (root == nullptr)
        return false;
    try {
        XmlDocument document;
        if (!document.loadXML(WithoutByteOrderMark(text))) {
            ReportParseError(u"XML Parsing Error", document.parseError());
            return false;
        }
        root->SetPathName(root->m_pathName.c_str());
        return ReadPrintXml(root, document);
    } catch (...) {
        return false;
    }
}

bool ReadPrintXml(CEditPrint* root, XmlDocument& document)
{
    if (root == nullptr)
        return false;
    try {
        const int layoutMode = ReadLayoutMode(document);
        document.setProperty(u"SelectionLanguage", u"XPath");
        ReadQuestionBankData(root, document);

        document.setProperty(u"SelectionNamespaces", kXslNamespace);
        XmlNode stylesheet = document.selectSingleNode(u"//xsl:stylesheet");
        if (!stylesheet || !ReadPartReferences(root, document, stylesheet))
            return false;
        if (!document.documentElement().removeChild(stylesheet))
            return false;
        // The stylesheet and the document are not needed again: the result takes their place.
        const XmlDocument::TransformStep step = document.transformByOwnStylesheet(stylesheet);
        if (step == XmlDocument::TransformStep::Transform) {
            ShowPrintFileMessage(u"XSLTでのエラー");
            ReportParseError(u"XSLT Error", document.parseError());
            return false;
        }
        if (step == XmlDocument::TransformStep::LoadResult) {
            ReportParseError(u"FO Parsing Error", document.parseError());
            return false;
        }
        std::unique_ptr<CQNXMLNode> tree = ReadFoTree(root, document);
        if (tree == nullptr)
            return false;
        document.setProperty(u"SelectionLanguage", u"XPath");
        if (IsVerticalResult(document))
            root->m_vertical = 1;
        CurrentWritingVertical = root->m_vertical;
        GiveDefaultNameField(root);
        if (tree->m_typeCode != XEC_FO_ROOT)
            return false;
        CFoToEditBuilder builder(root);
        builder.BuildFromFo(tree.get(), root);
        tree.reset();
        if (builder.HasGeometryError()) {
            ShowPrintFileMessage(builder.GeometryError());
            return false;
        }
        if (root->m_vertical != 0)
            TurnVerticalGeometry(root);
        root->m_partLayoutMode = layoutMode;
        if (!root->ReadPartIds() || !root->DistributeMondaiInfo())
            return false;
        RepairPointsLabels(root);
        ReportMissingPictures(builder.MissingPictures());
        return true;
    } catch (...) {
        return false;
    }
}

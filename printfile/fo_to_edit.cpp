#include "printfile/fo_to_edit.h"

#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "math/formula.h"
#include "math/math_char.h"
#include "math/mathml_import.h"
#include "nodes/edit_char.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/page_furniture.h"
#include "nodes/question_numbers.h"

#include <memory>

namespace {

// Paper sizes beyond a metre, and margins that leave no printable area, are no paper's.
constexpr int kMaxPaperLength = 100000;
constexpr int kMaxColumns = 16;

// Appends node to parent, which then owns it; false (and the node deleted) when refused.
template <class T>
T* Append(CQNXMLNode* parent, std::unique_ptr<T> node)
{
    if (parent->AppendChild(node.get()) < 0)
        return nullptr;
    return node.release();
}

bool IsInlineNodeClass(int idClass)
{
    return idClass == XCC_RUBY || idClass == XCC_CYUKAI || idClass == XCC_KANA || idClass == XCC_KANB || idClass == XCC_KASEN;
}

bool IsRoot(const CEditNode* target) { return target != nullptr && target->IsKind(EditKind::kPrint); }

// One character per node; a surrogate pair stays together.
void AppendCharacters(CQNXMLNode* inlineElement, CEditNode* target)
{
    const std::u16string_view text = inlineElement->GetText().View();
    for (size_t i = 0; i < text.size();) {
        size_t length = 1;
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            length = 2;
        auto character = std::make_unique<CEditChar>(CStringW(text.substr(i, length)));
        character->CopyStyleFromElement(inlineElement);
        Append(target, std::move(character));
        i += length;
    }
}

}  // namespace

bool ResolveSideFilePath(const CEditPrint* root, const std::string& name, std::string& path, CStringW& error)
{
    const bool hasFolderPart = name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
                               name.find(':') != std::string::npos;
    if (name.empty() || hasFolderPart || name == "." || name == ".." || name.find('\0') != std::string::npos) {
        error = CStringW(u"印刷ファイルが参照するファイル名が正しくありません: ") + CStringW(name.c_str());
        return false;
    }
    path = root->m_drive + root->m_directory + name;
    return true;
}

void CFoToEditBuilder::BuildFromFo(CQNXMLNode* element, CEditNode* target)
{
    if (element == nullptr || target == nullptr)
        return;
    try {
        switch (element->m_typeCode) {
        case XEC_FO_ROOT:
            for (int i = 0; i < element->GetChildCount(); ++i) {
                CQNXMLNode* child = element->GetChildAt(i);
                if (child->m_typeCode == XEC_FO_LAYOUT_MASTER_SET || child->m_typeCode == XEC_FO_PAGE_SEQUENCE)
                    BuildFromFo(child, target);
            }
            break;
        case XEC_FO_LAYOUT_MASTER_SET:
        case XEC_FO_PAGE_SEQUENCE:
            for (int i = 0; i < element->GetChildCount(); ++i)
                BuildFromFo(element->GetChildAt(i), target);
            break;
        case XEC_FO_SIMPLE_PAGE_MASTER:
            BuildPageMaster(element, target);
            break;
        case XEC_FO_REGION_BODY:
            if (IsRoot(target)) {
                const auto* body = dynamic_cast<const CFoRegionBody*>(element);
                if (body == nullptr)
                    break;
                if (body->columnCount < 1 || body->columnCount > kMaxColumns)
                    m_geometryError = u"印刷ファイルの段数が正しくありません。";
                else
                    m_root->m_geometry.columnCount = body->columnCount;
            }
            break;
        case XEC_FO_PAGE_SEQUENCE_MASTER:
            BuildNameFieldPages(element, target);
            break;
        case XEC_FO_STATIC_CONTENT:
            BuildNameFieldTemplate(element, target);
            break;
        case XEC_FO_FLOW:
            BuildFlow(element, target);
            break;
        case XEC_FO_BLOCK_CONTAINER:
        case XEC_FO_FLOAT:
        case XEC_FO_INLINE_CONTAINER:
        case XEC_FO_TABLE_CELL:
            BuildContainer(element, target);
            break;
        default:
            break;
        }
    } catch (...) {
    }
}

void CFoToEditBuilder::BuildPageMaster(CQNXMLNode* element, CEditNode* target)
{
    if (!IsRoot(target))
        return;
    const auto* master = dynamic_cast<const CFoSimplePageMaster*>(element);
    if (master == nullptr)
        return;
    const int height = master->height;
    const int width = master->width;
    const int64_t across = int64_t{master->m_marginLeft} + master->m_marginRight;
    const int64_t down = int64_t{master->m_marginTop} + master->m_marginBottom;
    if (height <= 0 || width <= 0 || height > kMaxPaperLength || width > kMaxPaperLength || master->m_marginLeft < 0 ||
        master->m_marginTop < 0 || master->m_marginRight < 0 || master->m_marginBottom < 0 || across >= width ||
        down >= height) {
        m_geometryError = u"印刷ファイルの用紙サイズまたは余白が正しくありません。";
        return;
    }
    m_root->m_geometry.height = height;
    m_root->m_geometry.width = width;
    m_root->SetMargins(master->m_marginLeft, master->m_marginTop, master->m_marginRight, master->m_marginBottom);
    for (int i = 0; i < element->GetChildCount(); ++i) {
        CQNXMLNode* child = element->GetChildAt(i);
        if (child->m_typeCode == XEC_FO_REGION_BODY)
            BuildFromFo(child, target);
    }
}

void CFoToEditBuilder::BuildNameFieldPages(CQNXMLNode* element, CEditNode* target)
{
    if (!IsRoot(target))
        throw 0;
    for (int i = 0; i < element->GetChildCount(); ++i) {
        const auto* reference = dynamic_cast<const CFoSinglePageMasterReference*>(element->GetChildAt(i));
        if (reference == nullptr)
            continue;
        if (reference->m_masterReference != u"KimeiBodyPage" && reference->m_masterReference != u"KimeiBodyFooterPage")
            continue;
        // Pages beyond the page table carry no name field.
        if (m_root->SetPageFlagged(i + 1, true))
            Append(m_root->GetNameFieldLayer(), std::make_unique<CEditKimeiran>());
    }
}

void CFoToEditBuilder::BuildNameFieldTemplate(CQNXMLNode* element, CEditNode* target)
{
    if (!IsRoot(target))
        throw 0;
    const auto* content = dynamic_cast<const CFoStaticContent*>(element);
    CQNXMLNode* first = element->GetFirstChild();
    if (content == nullptr || first == nullptr || content->m_flowName != u"kimei-region" || first->m_typeCode != XEC_FO_BLOCK_CONTAINER)
        return;
    if (m_root->GetNameFieldTemplate() == nullptr)
        m_root->SetNameFieldTemplate(std::make_unique<CEditKimeiran>());
    auto* nameField = dynamic_cast<CEditKimeiran*>(m_root->GetNameFieldTemplate());
    if (nameField == nullptr)
        return;
    nameField->CopyStyleFromElement(first);
    nameField->DeleteAllChildren();
    BuildFromFo(first, nameField);
    CEditNode* layer = m_root->GetNameFieldLayer();
    for (int i = 0; i < layer->GetChildCount(); ++i) {
        CQNXMLNode* entry = layer->GetChildAt(i);
        entry->DeleteAllChildren();
        nameField->CopyInto(entry);
    }
}

void CFoToEditBuilder::BuildFlow(CQNXMLNode* element, CEditNode* target)
{
    for (int i = 0; i < element->GetChildCount(); ++i) {
        CQNXMLNode* child = element->GetChildAt(i);
        if (child->m_typeCode != XEC_FO_BLOCK_CONTAINER)
            continue;
        if (child->m_idClass == XCC_GAI) {
            auto* box = Append(target, std::make_unique<CEditGai>());
            if (box == nullptr)
                continue;
            box->CopyStyleFromElement(child);
            BuildFromFo(child, box);
        } else if (child->m_idClass == XCC_KAIPAGE) {
            auto page = std::make_unique<CEditKaiPage>();
            page->Fill();
            Append(target, std::move(page));
        } else {
            auto* part = Append(target, std::make_unique<CEditSentence>());
            if (part == nullptr)
                continue;
            part->CopyStyleFromElement(child);
            BuildFromFo(child, part);
            if (part->GetChildCount() > 0 && !IsLineBreak(part->GetEditChild(part->GetChildCount() - 1)))
                Append(part, std::make_unique<CEditCR>());
        }
    }
}

void CFoToEditBuilder::BuildContainer(CQNXMLNode* element, CEditNode* target)
{
    for (int i = 0; i < element->GetChildCount(); ++i) {
        CQNXMLNode* child = element->GetChildAt(i);
        switch (child->m_typeCode) {
        case XEC_FO_BLOCK:
            BuildFoInlines(child, target);
            break;
        case XEC_FO_INITIAL_PROPERTY_SET: {
            const auto* set = dynamic_cast<const CFoInitialPropertySet*>(child);
            if (set == nullptr)
                break;
            if (auto* container = dynamic_cast<CEditContainer*>(target))
                container->m_lineSpacing = set->m_lineSpacing;
            target->m_letterSpacing = set->m_letterSpacing;
            if (IsRoot(target->GetEditParent())) {
                m_root->m_lineSpacing = set->m_lineSpacing;
                m_root->m_letterSpacing = set->m_letterSpacing;
            }
            break;
        }
        default:
            break;
        }
    }
}

void CFoToEditBuilder::BuildFoInlines(CQNXMLNode* block, CEditNode* target)
{
    if (block == nullptr || target == nullptr)
        return;
    try {
        for (int i = 0; i < block->GetChildCount(); ++i) {
            CQNXMLNode* child = block->GetChildAt(i);
            switch (child->m_typeCode) {
            case XEC_FO_INLINE:
                AppendCharacters(child, target);
                break;
            case XEC_FO_INLINE_CONTAINER:
                // A holder of another class has its content built straight into the target. Ruby,
                // in-text answers, kanbun cells and labelled underlines are left out until the
                // node layer has their nodes.
                if (child->GetChildCount() > 0 && !IsInlineNodeClass(child->m_idClass))
                    BuildFromFo(child, target);
                break;
            case XEC_FO_INSTREAM_FOREIGN_OBJECT:
                if (child->GetChildCount() > 0)
                    BuildInstreamObject(child, target);
                break;
            default:
                break;
            }
        }
        auto lineBreak = std::make_unique<CEditCR>();
        lineBreak->CopyStyleFromElement(block);
        Append(target, std::move(lineBreak));
    } catch (...) {
    }
}

void CFoToEditBuilder::BuildInstreamObject(CQNXMLNode* object, CEditNode* target)
{
    CQNXMLNode* first = object->GetFirstChild();
    const bool vertical = m_root->m_vertical != 0;
    switch (first->m_typeCode) {
    case XEC_MATH: {
        auto formula = std::make_unique<CEditMath>();
        if (const auto* math = dynamic_cast<const CMathMLNode*>(first); math != nullptr && math->m_afterStyle != 0) {
            formula->m_afterStyle = math->m_afterStyle;
            formula->m_afterWidth = math->m_afterWidth;
        }
        // Inside an in-text answer the writer marks the formula as an answer; the answer already
        // holds it, so the mark must not wrap the formula's content once more on every reload.
        if (target->FindAncestorOfType(EditKind::Code(EditKind::kCyukai), 1) != nullptr && first->m_class == XCC_CYUKAI)
            first->m_class = 0;
        BuildMathNodes(first, formula.get());
        Append(formula.get(), std::make_unique<CEditMathCR>());
        Append(target, std::move(formula));
        break;
    }
    case XEC_DNO: {
        const auto* label = dynamic_cast<const CMondaiDno*>(first);
        int style = label != nullptr ? label->m_numberingStyle : -1;
        if (style < 0)
            style = vertical ? 2 : 0;
        Append(target, std::make_unique<CEditDmonno>(style));
        break;
    }
    case XEC_NO: {
        const auto* label = dynamic_cast<const CMondaiNo*>(first);
        int style = label != nullptr ? label->m_numberingStyle : -1;
        if (style < 0)
            style = vertical ? 3 : 1;
        Append(target, std::make_unique<CEditMonno>(style));
        break;
    }
    case XEC_HAI: {
        const auto* hai = dynamic_cast<const CMondaiHai*>(first);
        if (hai == nullptr)
            break;
        // The part's record is its first label's, which the reader shows through that label; a
        // second label of the part keeps its own values.
        if (auto* part = dynamic_cast<CEditSentence*>(target); part != nullptr && part->IsKind(EditKind::kSentence) &&
                                                                 part->FindDescendantOfType(EditKind::Code(EditKind::kHaiten)) == nullptr)
            part->m_haiten.Copy(*hai);
        auto label = std::make_unique<CEditHaiten>();
        label->m_info.Copy(*hai);
        label->m_hidden = hai->visibility != 0 ? 0 : 2;
        label->m_caretStop = hai->visibility != 0 ? 1 : 0;
        Append(target, std::move(label));
        break;
    }
    default:
        break;
    }
}

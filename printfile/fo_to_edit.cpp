#include "printfile/fo_to_edit.h"

#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "math/formula.h"
#include "math/math_char.h"
#include "math/mathml_import.h"
#include "nodes/display_map.h"
#include "nodes/edit_char.h"
#include "nodes/edit_object.h"
#include "nodes/edit_table.h"
#include "nodes/floating_frame.h"
#include "nodes/in_text_answer.h"
#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "nodes/labelled_underline.h"
#include "nodes/picture_node.h"
#include "platform/embedding.h"
#include "platform/image_files.h"
#include "platform/memory_file.h"
#include "platform/utf8.h"
#include "nodes/ruby.h"
#include "printfile/print_messages.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/page_furniture.h"
#include "nodes/question_numbers.h"

#include <algorithm>
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
    switch (element->m_typeCode) {
    case XEC_FO_ROOT:
        for (int i = 0; i < element->GetChildCount(); ++i) {
            CQNXMLNode* child = element->GetChildAt(i);
            if (ForFormula() || child->m_typeCode == XEC_FO_LAYOUT_MASTER_SET || child->m_typeCode == XEC_FO_PAGE_SEQUENCE)
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
            const auto* body = NodeAs<const CFoRegionBody>(element);
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
        // The formula root takes the size its object keeps.
        if (ForFormula() && target->IsKind(EditKind::kMathSentence)) {
            if (const auto* container = NodeAs<const CFoBlockContainer>(element)) {
                target->m_width = container->m_width;
                target->m_height = container->m_height;
            }
        }
        BuildContainer(element, target);
        break;
    case XEC_FO_FLOAT:
    case XEC_FO_INLINE_CONTAINER:
    case XEC_FO_TABLE_CELL:
        BuildContainer(element, target);
        break;
    default:
        break;
    }
}

void CFoToEditBuilder::BuildObject(CQNXMLNode* element, CEditNode* target)
{
    const auto* object = NodeAs<const CMondaiObject>(element);
    if (object == nullptr)
        return;
    std::string path;
    CStringW error;
    std::vector<uint8_t> bytes;
    std::unique_ptr<COleClientItem> item;
    if (!ResolveSideFilePath(m_root, object->m_dataPath, path, error)) {
        // error names the refused file already
    } else if (!ReadWholeFileNotFollowingLinks(path.c_str(), &bytes, Embedding::kMaxForeignStorage)) {
        error = CStringW(std::u16string_view(Utf8ToUtf16(path))) + CStringW(u" を開けませんでした。");
    } else {
        m_root->AddExtractedFile(path.c_str());
        // The side file is untrusted: a bad one leaves the object out, like a missing one.
        item = COleClientItem::Create(m_document);
        try {
            CMemFile file(bytes);
            CArchive ar(&file, CArchive::load);
            ar.m_pDocument = m_document;
            item->Serialize(ar);
        } catch (const CArchiveException&) {
            item.reset();
        } catch (const CFileException&) {
            item.reset();
        }
        if (!item)
            error = CStringW(std::u16string_view(Utf8ToUtf16(path))) +
                    CStringW(u" は埋め込みオブジェクトのファイルとして読めません。");
    }
    if (!item) {
        Append(target, std::make_unique<CEditCR>());
        ShowPrintFileMessage(error.Left(256));
        return;
    }
    // An object from another system has no extent of its own: the element gives it.
    if (item->IsForeign())
        item->SetCachedExtent(SIZE{object->m_width, object->m_height});
    auto node = std::make_unique<CEditObject>();
    node->SetClientItem(std::move(item));
    node->m_strFile = path;
    node->m_width = object->m_width;
    node->m_height = object->m_height;
    node->m_rcLayout = RECT{0, 0, object->m_width, object->m_height};
    Append(target, std::move(node));
}

void CFoToEditBuilder::BuildPageMaster(CQNXMLNode* element, CEditNode* target)
{
    if (!IsRoot(target))
        return;
    const auto* master = NodeAs<const CFoSimplePageMaster>(element);
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
    // Only the paper's root takes page masters and name fields; elsewhere the element is left out.
    if (!IsRoot(target))
        return;
    for (int i = 0; i < element->GetChildCount(); ++i) {
        const auto* reference = NodeAs<const CFoSinglePageMasterReference>(element->GetChildAt(i));
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
    // Only the paper's root takes page masters and name fields; elsewhere the element is left out.
    if (!IsRoot(target))
        return;
    const auto* content = NodeAs<const CFoStaticContent>(element);
    CQNXMLNode* first = element->GetFirstChild();
    if (content == nullptr || first == nullptr || content->m_flowName != u"kimei-region" || first->m_typeCode != XEC_FO_BLOCK_CONTAINER)
        return;
    if (m_root->GetNameFieldTemplate() == nullptr)
        m_root->SetNameFieldTemplate(std::make_unique<CEditKimeiran>());
    auto* nameField = NodeAs<CEditKimeiran>(m_root->GetNameFieldTemplate());
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
        case XEC_FO_FLOAT: {
            auto* frame = Append(target, std::make_unique<CEditFloat>());
            if (frame == nullptr)
                break;
            frame->CopyStyleFromElement(child);
            BuildFromFo(child, frame);
            if (frame->GetChildCount() <= 1)
                frame->DetachAndDelete();
            break;
        }
        case XEC_FO_TABLE_AND_CAPTION:
            if (auto* table = Append(target, std::make_unique<CEditTable>()))
                BuildFoTable(child, table);
            break;
        case XEC_FO_INITIAL_PROPERTY_SET: {
            const auto* set = NodeAs<const CFoInitialPropertySet>(child);
            if (set == nullptr)
                break;
            if (auto* container = NodeAs<CEditContainer>(target))
                container->m_lineSpacing = set->m_lineSpacing;
            target->EditCharacterRecord()->m_letterSpacing = set->m_letterSpacing;
            if (IsRoot(target->GetEditParent())) {
                m_root->m_lineSpacing = set->m_lineSpacing;
                m_root->EditCharacterRecord()->m_letterSpacing = set->m_letterSpacing;
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
    for (int i = 0; i < block->GetChildCount(); ++i) {
        CQNXMLNode* child = block->GetChildAt(i);
        switch (child->m_typeCode) {
        case XEC_FO_INLINE:
            AppendCharacters(child, target);
            break;
        case XEC_FO_INLINE_CONTAINER:
            if (child->GetChildCount() > 0)
                BuildInlineContainer(child, target);
            break;
        case XEC_FO_TABLE_AND_CAPTION:
            if (auto* table = Append(target, std::make_unique<CEditTable>()))
                BuildFoTable(child, table);
            break;
        case XEC_FO_EXTERNAL_GRAPHIC:
            if (!ForFormula())
                BuildPicture(child, target);
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
}

void CFoToEditBuilder::BuildInlineContainer(CQNXMLNode* container, CEditNode* target)
{
    switch (container->m_idClass) {
    case XCC_RUBY:
        if (auto* ruby = Append(target, std::make_unique<CEditRuby>()))
            BuildFoRuby(container, ruby);
        break;
    case XCC_CYUKAI:
        if (auto* answer = Append(target, std::make_unique<CEditCyukai>()))
            BuildFromFo(container, answer);
        break;
    case XCC_KANA:
    case XCC_KANB:
        if (auto* kan = Append(target, std::make_unique<CEditKan>())) {
            if (container->m_idClass == XCC_KANB)
                kan->SetHyphenMode(KanbunMode::kWithHyphen);
            BuildFoKanbun(container, kan);
            kan->LockSubBoxes(1);
        }
        break;
    case XCC_KASEN:
        if (auto* underline = Append(target, std::make_unique<CEditKasen>()))
            BuildFromFo(container, underline);
        break;
    default:
        BuildFromFo(container, target);
        break;
    }
}

void CFoToEditBuilder::BuildFoTable(CQNXMLNode* tableAndCaption, CEditTable* table)
{
    CQNXMLNode* first = tableAndCaption->GetFirstChild();
    if (first == nullptr || (first->m_typeCode != XEC_FO_TABLE_CAPTION && first->m_typeCode != XEC_FO_TABLE))
        return;
    CQNXMLNode* section = first->GetFirstChild();
    if (section == nullptr || (section->m_typeCode != XEC_FO_TABLE_HEADER && section->m_typeCode != XEC_FO_TABLE_FOOTER &&
                               section->m_typeCode != XEC_FO_TABLE_BODY))
        return;
    int columns = 0;
    for (int r = 0; r < section->GetChildCount(); ++r)
        columns = std::max(columns, section->GetChildAt(r)->GetChildCount());
    table->m_rows = section->GetChildCount();
    table->m_columns = columns;
    for (int r = 0; r < section->GetChildCount(); ++r) {
        CQNXMLNode* row = section->GetChildAt(r);
        for (int c = 0; c < columns; ++c) {
            CQNXMLNode* cellElement = row->GetChildAt(c);
            auto* cell = Append(table, std::make_unique<CEditCell>());
            if (cell == nullptr)
                return;
            if (cellElement == nullptr) {
                // A row shorter than the longest: an empty cell keeps the grid whole.
                cell->InitDefaultContent();
                continue;
            }
            if (const auto* border = BorderRecordOf(cellElement)) {
                table->EditBorderRecord()->m_borderStyle = cell->EditBorderRecord()->m_borderStyle = border->m_borderStyle;
                table->EditBorderRecord()->m_borderWidth = cell->EditBorderRecord()->m_borderWidth = border->m_borderWidth;
            }
            BuildFromFo(cellElement, cell);
        }
    }
}

void CFoToEditBuilder::BuildFoRuby(CQNXMLNode* inlineContainer, CEditRuby* ruby)
{
    ruby->CopyStyleFromElement(inlineContainer);
    auto* base = Append(ruby, std::make_unique<CEditRubyBase>());
    auto* reading = Append(ruby, std::make_unique<CEditRubyText>());
    if (base == nullptr || reading == nullptr || inlineContainer->GetChildCount() < 2) {
        // A pair without its reading and base is left out.
        ruby->DetachAndDelete();
        return;
    }
    BuildFoInlines(inlineContainer->GetChildAt(0), reading);
    BuildFoInlines(inlineContainer->GetChildAt(1), base);
}

void CFoToEditBuilder::BuildFoKanbun(CQNXMLNode* inlineContainer, CEditKan* kan)
{
    CopyFrameAndNumberingFromElement(kan, inlineContainer);
    const bool withHyphen = kan->GetHyphenMode() == KanbunMode::kWithHyphen;
    kan->BuildEmpty(withHyphen ? 1 : 0);
    for (int i = 0; i < kan->GetChildCount(); ++i)
        kan->GetChildAt(i)->DeleteAllChildren();
    // Without its three parts the cell keeps its empty boxes, each closed by a line break.
    const auto closeEmptyBoxes = [kan] {
        for (int i = 0; i < kan->GetChildCount(); ++i)
            if (kan->GetChildAt(i)->GetChildCount() == 0)
                kan->GetChildAt(i)->AppendChild(new CEditKanCR());
    };
    if (inlineContainer->GetChildCount() < 3) {
        closeEmptyBoxes();
        return;
    }
    BuildFoKanbunLines(inlineContainer->GetChildAt(0), kan->GetRightKanaBox());
    BuildFoKanbunLines(inlineContainer->GetChildAt(2), kan->GetLeftKanaBox());
    CQNXMLNode* boxes = inlineContainer->GetChildAt(1);
    CEditNode* const targets[] = {
        kan->GetLeadBracketBox(),
        kan->GetBaseBox(),
        withHyphen ? nullptr : kan->GetPunctuationBox(),
        kan->GetReturnMarkBox(),
        withHyphen ? nullptr : kan->GetTrailBracketBox(),
    };
    for (int i = 0; i < boxes->GetChildCount() && i < 5; ++i) {
        CQNXMLNode* run = boxes->GetChildAt(i);
        if (i == 2 && withHyphen) {
            kan->GetHyphenAnchor().CopyStyleFromElement(run);
            continue;
        }
        CEditNode* box = targets[i];
        if (box == nullptr)
            continue;
        const bool plainShift = i == 2 || i == 3;
        const std::u16string_view text = run->GetText().View();
        for (const char16_t unit : text) {
            auto character = std::make_unique<CEditKanChar>(unit);
            character->CopyStyleFromElement(run);
            if (plainShift)
                character->m_scriptPosition = ScriptPosition::kNormal;
            Append(box, std::move(character));
        }
        auto lineBreak = std::make_unique<CEditKanCR>();
        lineBreak->CopyStyleFromElement(run);
        if (plainShift)
            lineBreak->m_scriptPosition = ScriptPosition::kNormal;
        Append(box, std::move(lineBreak));
    }
    closeEmptyBoxes();
    kan->ApplyBuilderSettings();
}

void CFoToEditBuilder::BuildFoKanbunLines(CQNXMLNode* element, CEditNode* box)
{
    if (element == nullptr || box == nullptr)
        return;
    for (int i = 0; i < element->GetChildCount(); ++i) {
        CQNXMLNode* line = element->GetChildAt(i);
        CQNXMLNode* last = line;
        for (int j = 0; j < line->GetChildCount(); ++j) {
            CQNXMLNode* run = line->GetChildAt(j);
            if (run->m_typeCode != XEC_FO_INLINE)
                continue;
            last = run;
            for (const char16_t unit : run->GetText().View()) {
                auto character = std::make_unique<CEditKanChar>(unit);
                character->CopyStyleFromElement(run);
                Append(box, std::move(character));
            }
        }
        auto lineBreak = std::make_unique<CEditKanCR>();
        lineBreak->CopyStyleFromElement(last);
        Append(box, std::move(lineBreak));
    }
}

void CFoToEditBuilder::BuildPicture(CQNXMLNode* graphic, CEditNode* target)
{
    const auto* element = NodeAs<const CFoExternalGraphic>(graphic);
    if (element == nullptr)
        return;
    auto picture = std::make_unique<CEditGraphic>();
    std::string path;
    CStringW error;
    if (!ResolveSideFilePath(m_root, element->m_src, path, error)) {
        m_missingPictures.push_back(error);
    } else {
        CDisplayMap map;
        map.SetFromDC(nullptr, 100);
        // Side files are read only as regular files of the paper's folder: a symbolic link
        // could lead out of it, and a pipe would keep the open waiting for ever.
        std::vector<uint8_t> bytes;
        if (ReadWholeFileNotFollowingLinks(path.c_str(), &bytes) &&
            picture->LoadFromBytes(std::move(bytes), path.c_str(), &map)) {
            m_root->AddExtractedFile(path.c_str());
            if (element->m_areaWidth > 0)
                picture->m_areaWidth = picture->m_width = element->m_areaWidth;
            if (element->m_areaHeight > 0)
                picture->m_areaHeight = picture->m_height = element->m_areaHeight;
            Append(target, std::move(picture));
            return;
        }
        m_missingPictures.push_back(CStringW(std::u16string_view(Utf8ToUtf16(path))));
    }
    // The picture stays in the paper with its name and size, so the next save keeps it.
    picture->MakePlaceholder(element->m_src, element->m_areaWidth, element->m_areaHeight);
    Append(target, std::move(picture));
}

void CFoToEditBuilder::BuildInstreamObject(CQNXMLNode* object, CEditNode* target)
{
    CQNXMLNode* first = object->GetFirstChild();
    if (first == nullptr || (ForFormula() && first->m_typeCode != XEC_MATH))
        return;
    const bool vertical = m_root != nullptr && m_root->m_vertical != 0;
    switch (first->m_typeCode) {
    case XEC_MATH: {
        auto formula = std::make_unique<CEditMath>();
        if (const auto* math = NodeAs<const CMathMLNode>(first); math != nullptr && math->m_afterStyle != LineStyle::kNone) {
            formula->EditBorderRecord()->m_afterStyle = math->m_afterStyle;
            formula->EditBorderRecord()->m_afterWidth = math->m_afterWidth;
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
        const auto* label = NodeAs<const CMondaiDno>(first);
        int style = label != nullptr ? label->m_numberingStyle : -1;
        if (style < 0)
            style = vertical ? 2 : 0;
        Append(target, std::make_unique<CEditDmonno>(style));
        break;
    }
    case XEC_NO: {
        const auto* label = NodeAs<const CMondaiNo>(first);
        int style = label != nullptr ? label->m_numberingStyle : -1;
        if (style < 0)
            style = vertical ? 3 : 1;
        Append(target, std::make_unique<CEditMonno>(style));
        break;
    }
    case XEC_HAI: {
        const auto* hai = NodeAs<const CMondaiHai>(first);
        if (hai == nullptr)
            break;
        // The part's record is its first label's, which the reader shows through that label; a
        // second label of the part keeps its own values.
        if (auto* part = NodeAs<CEditSentence>(target); part != nullptr && part->IsKind(EditKind::kSentence) &&
                                                                 part->FindDescendantOfType(EditKind::Code(EditKind::kHaiten)) == nullptr)
            part->m_haiten.Copy(*hai);
        auto label = std::make_unique<CEditHaiten>();
        label->m_info.Copy(*hai);
        label->m_hidden = hai->visibility != 0 ? 0 : 2;
        label->m_caretStop = hai->visibility != 0 ? 1 : 0;
        Append(target, std::move(label));
        break;
    }
    case XEC_OBJECT: BuildObject(first, target); break;
    default:
        break;
    }
}

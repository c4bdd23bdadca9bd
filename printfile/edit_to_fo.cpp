#include "printfile/edit_to_fo.h"

#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "math/mathml_export.h"
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
#include "platform/safe_file.h"
#include "nodes/ruby.h"
#include "printfile/print_messages.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/page_furniture.h"
#include "nodes/question_numbers.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

template <class T>
T* Append(CQNXMLNode* parent, std::unique_ptr<T> element)
{
    if (parent->AppendChild(element.get()) < 0)
        return nullptr;
    return element.release();
}

bool IsContainerKind(const CEditNode* node)
{
    static constexpr uint32_t kKinds[] = {
        EditKind::kMathSentence,
        EditKind::kSentence, EditKind::kKimeiran, EditKind::kGai,   EditKind::kFloat,
        EditKind::kCell,     EditKind::kRubyText, EditKind::kRubyBase, EditKind::kKasen,
        EditKind::kCyukai,   EditKind::kKunten,   EditKind::kOkurigana,
    };
    for (const uint32_t kind : kKinds)
        if (node->IsKind(kind))
            return true;
    return false;
}

// The lines of a container: blocks closed by line breaks, runs of one format as inlines.
class CContainerConverter {
public:
    CContainerConverter(CEditNode* container, CQNXMLNode* output, XML_BUILD_CONTEXT* context, FoTreeVariant variant)
        : m_container(container), m_output(output), m_context(context), m_variant(variant)
    {
    }

    void Convert()
    {
        for (int i = 0; i < m_container->GetChildCount(); ++i) {
            CEditNode* child = m_container->GetEditChild(i);
            // A hole in the child array ends this container; the lines before it stay.
            if (child == nullptr)
                return;
            if (IsFloatingFrame(child)) {
                auto* frame = Append(m_output, std::make_unique<CFoFloat>());
                if (auto* floating = NodeAs<CEditFloat>(child))
                    floating->CopyStyleToElement(frame);
                BuildXmlTree(child, frame, m_context, m_variant);
                continue;
            }
            if (m_newBlock) {
                m_block = Append(m_output, std::make_unique<CFoBlock>());
                m_newBlock = false;
            }
            if (!IsCharacter(child)) {
                CloseRun();
                ConvertObject(child);
            } else {
                VisitCharacter(child);
            }
        }
        // Characters after the last line break are kept as the container's last line.
        CloseRun();
    }

private:
    void VisitCharacter(CEditNode* child)
    {
        if (IsLineBreak(child)) {
            auto inlineElement = std::make_unique<CFoInline>();
            if (m_runFirst != nullptr) {
                inlineElement->SetText(m_runText);
                m_runFirst->CopyStyleToElement(inlineElement.get());
            } else {
                child->CopyStyleToElement(inlineElement.get());
            }
            if (child->IsKind(EditKind::kCR))
                if (auto* lineBreak = NodeAs<CEditCR>(child))
                    lineBreak->CopyStyleToElement(m_block);
            Append(m_block, std::move(inlineElement));
            m_runFirst = nullptr;
            m_runText = CStringW();
            m_newBlock = true;
        } else if (m_runFirst == nullptr) {
            m_runFirst = child;
            m_runText = child->GetText();
        } else if (child->SameFormat(m_runFirst)) {
            m_runText += child->GetText();
        } else {
            CloseRun();
            m_runFirst = child;
            m_runText = child->GetText();
        }
    }

    void CloseRun()
    {
        if (m_runFirst == nullptr)
            return;
        auto inlineElement = std::make_unique<CFoInline>();
        inlineElement->SetText(m_runText);
        m_runFirst->CopyStyleToElement(inlineElement.get());
        Append(m_block, std::move(inlineElement));
        m_runFirst = nullptr;
        m_runText = CStringW();
    }

    void ConvertObject(CEditNode* child)
    {
        if (IsFormulaNode(child)) {
            auto math = std::make_unique<CMathMLMath>();
            if (child->m_class == XCC_CYUKAI)
                math->m_class = XCC_CYUKAI;
            ExportMathRun(child, 0, math.get());
            AppendInstream(std::move(math));
            return;
        }
        switch (static_cast<uint32_t>(child->GetKind())) {
        case EditKind::kCyukai:
        case EditKind::kKasen: {
            auto container = std::make_unique<CFoInlineContainer>();
            container->m_idClass = child->IsKind(EditKind::kCyukai) ? XCC_CYUKAI : XCC_KASEN;
            auto* output = Append(m_block, std::move(container));
            BuildXmlTree(child, output, m_context, m_variant);
            break;
        }
        case EditKind::kKan:
            if (auto* kan = NodeAs<CEditKan>(child)) {
                auto* output = Append(m_block, std::make_unique<CFoInlineContainer>());
                BuildXmlKanbun(kan, output, m_context, m_variant);
            }
            break;
        case EditKind::kRuby:
            if (auto* ruby = NodeAs<CEditRuby>(child)) {
                auto* output = Append(m_block, std::make_unique<CFoInlineContainer>());
                BuildXmlRuby(ruby, output, m_context, m_variant);
            }
            break;
        case EditKind::kTable:
            if (auto* table = NodeAs<CEditTable>(child)) {
                auto* holder = Append(m_block, std::make_unique<CFoInlineContainer>());
                auto* output = Append(holder, std::make_unique<CFoTableAndCaption>());
                BuildXmlTable(table, output, m_context, m_variant);
            }
            break;
        default:
            // A formula object has no side files and no question furniture: the rest stays out.
            if (m_variant != FoTreeVariant::FormulaObject)
                ConvertPaperObject(child);
            break;
        }
    }

    // Pictures, embedded objects, question numbers and points of a paper.
    void ConvertPaperObject(CEditNode* child)
    {
        switch (static_cast<uint32_t>(child->GetKind())) {
        case EditKind::kGraphic:
            if (auto* picture = NodeAs<CEditGraphic>(child))
                ConvertPicture(picture);
            break;
        case EditKind::kObject:
            if (auto* object = NodeAs<CEditObject>(child))
                ConvertEmbeddedObject(object);
            break;
        case EditKind::kDmonno:
            if (auto* label = NodeAs<CEditDmonno>(child)) {
                auto number = std::make_unique<CMondaiDno>();
                number->m_numberingStyle = label->GetStyle();
                AppendInstream(std::move(number));
            }
            break;
        case EditKind::kMonno:
            if (auto* sub = NodeAs<CEditMonno>(child)) {
                auto number = std::make_unique<CMondaiNo>();
                number->m_numberingStyle = sub->GetStyle();
                AppendInstream(std::move(number));
            }
            break;
        case EditKind::kHaiten: {
            auto* points = NodeAs<CEditHaiten>(child);
            if (points != nullptr && (points->m_info.p1 > 0 || points->m_info.p3 > 0)) {
                auto hai = std::make_unique<CMondaiHai>();
                static_cast<HAITEN_INFO&>(*hai).Copy(points->m_info);
                AppendInstream(std::move(hai));
            }
            break;
        }
        default:
            break;
        }
    }

    // The picture goes beside the print file as a numbered side file; the element names it. A
    // placeholder keeps the name it was read with and writes no file; no numbered name takes a
    // name that a placeholder keeps.
    void ConvertPicture(CEditGraphic* picture)
    {
        auto* graphic = Append(m_block, std::make_unique<CFoExternalGraphic>());
        graphic->m_areaWidth = picture->m_width;
        graphic->m_areaHeight = picture->m_height;
        if (picture->IsPlaceholder()) {
            graphic->m_src = picture->GetReference();
            return;
        }
        SIDE_FILE_COUNTERS& counters = SideFileCounters();
        auto* root = NodeAs<CEditPrint>(picture->GetRoot());
        if (root == nullptr)
            root = counters.root;
        std::string extension;
        picture->GetFileExtension(extension);
        std::string name;
        do {
            char number[16];
            std::snprintf(number, sizeof number, "-%02d.", ++counters.pictures);
            name = (root != nullptr ? root->m_fileName : std::string()) + number + extension;
        } while (counters.keptReferences.count(name) != 0);
        const std::string path = root != nullptr ? root->m_drive + root->m_directory + name : name;
        std::error_code error;
        const std::string written = counters.group != nullptr ? counters.group->Stage(path, error) : path;
        if (root != nullptr && !written.empty() && picture->SaveFile(written.c_str())) {
            root->AddSideFile(path.c_str());
        } else {
            ShowPrintFileMessage(CStringW(u"イメージの保存に失敗しました。\n\n") + CStringW(path.c_str()));
            counters.failed = true;
        }
        graphic->m_src = name;
    }

    // The object goes beside the print file as a numbered ".bin" side file, which its item
    // writes (an object from another system as it came); the element names it.
    void ConvertEmbeddedObject(CEditObject* node)
    {
        COleClientItem* item = node->GetClientItem();
        if (item == nullptr)
            return;
        auto element = std::make_unique<CMondaiObject>();
        element->m_width = node->m_width;
        element->m_height = node->m_height;
        SIDE_FILE_COUNTERS& counters = SideFileCounters();
        auto* root = NodeAs<CEditPrint>(node->GetRoot());
        if (root == nullptr)
            root = counters.root;
        char number[24];  // room for any int
        std::snprintf(number, sizeof number, "-%02d.bin", ++counters.objects);
        const std::string name = (root != nullptr ? root->m_fileName : std::string()) + number;
        const std::string path = root != nullptr ? root->m_drive + root->m_directory + name : name;
        element->m_dataPath = name;
        std::vector<uint8_t> bytes;
        try {
            CMemFile file;
            CArchive ar(&file, CArchive::store);
            item->WriteSideFile(ar);
            ar.Close();
            bytes = file.Detach();
        } catch (const CArchiveException&) {
            bytes.clear();
        }
        std::error_code error;
        const std::string written = counters.group != nullptr ? counters.group->Stage(path, error) : path;
        if (root != nullptr && !written.empty() && !bytes.empty() && WriteWholeFileReplacing(written.c_str(), bytes)) {
            root->AddSideFile(path.c_str());
        } else {
            ShowPrintFileMessage(CStringW(u"オブジェクトの保存に失敗しました。\n\n") + CStringW(path.c_str()));
            counters.failed = true;
        }
        AppendInstream(std::move(element));
    }

    void AppendInstream(std::unique_ptr<CQNXMLNode> content)
    {
        auto* object = Append(m_block, std::make_unique<CFoInstreamForeignObject>());
        if (object != nullptr)
            Append(object, std::move(content));
    }

    CEditNode* m_container;
    CQNXMLNode* m_output;
    XML_BUILD_CONTEXT* m_context;
    FoTreeVariant m_variant;
    CQNXMLNode* m_block = nullptr;
    bool m_newBlock = true;
    CEditNode* m_runFirst = nullptr;
    CStringW m_runText;
};

// The text of a kanbun sub-box before its line break, with the style of its first child.
void FillKanbunInline(CEditNode* box, CFoInline* run)
{
    if (box == nullptr)
        return;
    CStringW text;
    for (int i = 0; i < box->GetChildCount(); ++i) {
        CEditNode* child = box->GetEditChild(i);
        if (i == 0)
            child->CopyStyleToElement(run);
        if (IsLineBreak(child))
            break;
        text += child->GetText();
    }
    run->SetText(text);
}

std::unique_ptr<CFoBlockContainer> PartContainer(CEditPrint* root, CEditSentence* part)
{
    auto container = std::make_unique<CFoBlockContainer>();
    part->CopyStyleToElement(container.get());
    auto properties = std::make_unique<CFoInitialPropertySet>();
    properties->m_lineSpacing = root->m_lineSpacing;
    properties->m_letterSpacing = root->CharacterRecord().m_letterSpacing;
    Append(container.get(), std::move(properties));
    return container;
}

}  // namespace

SIDE_FILE_COUNTERS& SideFileCounters()
{
    static SIDE_FILE_COUNTERS counters;
    return counters;
}

void ResetSideFileCounters() { SideFileCounters() = SIDE_FILE_COUNTERS(); }

void BuildXmlTree(CEditNode* node, CQNXMLNode* parent, XML_BUILD_CONTEXT* context, FoTreeVariant variant)
{
    if (node == nullptr || parent == nullptr)
        return;
    if (auto* root = NodeAs<CEditPrint>(node)) {
        if (variant == FoTreeVariant::PrintFile)
            BuildXmlPrint(root, parent, context);
        return;
    }
    if (!IsContainerKind(node) || node->GetChildCount() == 0)
        return;
    CContainerConverter(node, parent, context, variant).Convert();
}

void BuildXmlTable(CEditTable* table, CQNXMLNode* parent, XML_BUILD_CONTEXT* context, FoTreeVariant variant)
{
    auto* foTable = Append(parent, std::make_unique<CFoTable>());
    auto* body = Append(foTable, std::make_unique<CFoTableBody>());
    for (int r = 0; r < table->m_rows; ++r) {
        auto* row = Append(body, std::make_unique<CFoTableRow>());
        for (int c = 0; c < table->m_columns; ++c) {
            CEditNode* cell = table->GetEditChild(r * table->m_columns + c);
            if (cell == nullptr)
                return;
            auto* output = Append(row, std::make_unique<CFoTableCell>());
            output->m_borderStyle = table->BorderRecord().m_borderStyle;
            output->m_borderWidth = table->BorderRecord().m_borderWidth;
            BuildXmlTree(cell, output, context, variant);
        }
    }
}

void BuildXmlKanbun(CEditKan* kan, CQNXMLNode* container, XML_BUILD_CONTEXT* context, FoTreeVariant variant)
{
    CopyFrameAndNumberingToElement(kan, container);
    const bool withHyphen = kan->GetHyphenMode() != KanbunMode::kWithoutHyphen;
    container->m_idClass = withHyphen ? XCC_KANB : XCC_KANA;
    auto* right = Append(container, std::make_unique<CFoBlock>());
    BuildXmlTree(kan->GetRightKanaBox(), right, context, variant);
    auto* middle = Append(container, std::make_unique<CFoBlock>());
    const auto run = [middle](CEditNode* box) {
        auto* element = Append(middle, std::make_unique<CFoInline>());
        FillKanbunInline(box, element);
        return element;
    };
    run(kan->GetLeadBracketBox());
    run(kan->GetBaseBox());
    if (!withHyphen) {
        run(kan->GetPunctuationBox())->m_scriptPosition = ScriptPosition::kSuperscript;
    } else {
        auto* anchor = Append(middle, std::make_unique<CFoInline>());
        anchor->SetText(kan->GetHyphenAnchor().GetText());
        kan->GetHyphenAnchor().CopyStyleToElement(anchor);
        anchor->m_scriptPosition = ScriptPosition::kSuperscript;
    }
    CEditNode* marks = kan->GetReturnMarkBox();
    CFoInline* returnMarks = run(marks);
    returnMarks->m_scriptPosition = ScriptPosition::kSubscript;
    returnMarks->m_letterSpacing = marks != nullptr ? -marks->m_width : 0;
    if (!withHyphen)
        run(kan->GetTrailBracketBox());
    auto* left = Append(container, std::make_unique<CFoBlock>());
    BuildXmlTree(kan->GetLeftKanaBox(), left, context, variant);
}

void BuildXmlRuby(CEditRuby* ruby, CQNXMLNode* container, XML_BUILD_CONTEXT* context, FoTreeVariant variant)
{
    ruby->CopyStyleToElement(container);
    container->m_idClass = XCC_RUBY;
    BuildXmlTree(ruby->GetEditChild(CEditRuby::kReadingIndex), container, context, variant);
    BuildXmlTree(ruby->GetEditChild(CEditRuby::kBaseIndex), container, context, variant);
}

void BuildXmlPrint(CEditPrint* root, CQNXMLNode* parent, XML_BUILD_CONTEXT* context)
{
    for (int i = 0; i < root->GetChildCount(); ++i) {
        CEditNode* child = root->GetEditChild(i);
        if (child == nullptr)
            return;
        if (child->IsKind(EditKind::kSentence) || child->IsKind(EditKind::kGai)) {
            auto* part = static_cast<CEditSentence*>(child);
            auto container = PartContainer(root, part);
            if (child->IsKind(EditKind::kGai))
                container->m_idClass = XCC_GAI;
            auto* output = Append(parent, std::move(container));
            XML_BUILD_CONTEXT copy = context != nullptr ? *context : XML_BUILD_CONTEXT();
            BuildXmlTree(part, output, &copy);
        } else if (child->IsKind(EditKind::kKaiPage)) {
            auto container = std::make_unique<CFoBlockContainer>();
            container->m_idClass = XCC_KAIPAGE;
            container->m_breakAfter = 2;
            Append(parent, std::move(container));
        }
    }
}

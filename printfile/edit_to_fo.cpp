#include "printfile/edit_to_fo.h"

#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "math/mathml_export.h"
#include "nodes/edit_char.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/page_furniture.h"
#include "nodes/question_numbers.h"

#include <memory>

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
    CContainerConverter(CEditNode* container, CQNXMLNode* output, XML_BUILD_CONTEXT* context)
        : m_container(container), m_output(output), m_context(context)
    {
    }

    void Convert()
    {
        for (int i = 0; i < m_container->GetChildCount(); ++i) {
            CEditNode* child = m_container->GetEditChild(i);
            if (child == nullptr)
                throw 0;
            if (IsFloatingFrame(child)) {
                auto* frame = Append(m_output, std::make_unique<CFoFloat>());
                BuildXmlTree(child, frame, m_context);
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
            if (auto* lineBreak = dynamic_cast<CEditCR*>(child))
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
        } else if (auto* label = dynamic_cast<CEditDmonno*>(child)) {
            auto number = std::make_unique<CMondaiDno>();
            number->m_numberingStyle = label->GetStyle();
            AppendInstream(std::move(number));
        } else if (auto* sub = dynamic_cast<CEditMonno*>(child)) {
            auto number = std::make_unique<CMondaiNo>();
            number->m_numberingStyle = sub->GetStyle();
            AppendInstream(std::move(number));
        } else if (auto* points = dynamic_cast<CEditHaiten*>(child)) {
            if (points->m_info.p1 > 0 || points->m_info.p3 > 0) {
                auto hai = std::make_unique<CMondaiHai>();
                static_cast<HAITEN_INFO&>(*hai).Copy(points->m_info);
                AppendInstream(std::move(hai));
            }
        }
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
    CQNXMLNode* m_block = nullptr;
    bool m_newBlock = true;
    CEditNode* m_runFirst = nullptr;
    CStringW m_runText;
};

std::unique_ptr<CFoBlockContainer> PartContainer(CEditPrint* root, CEditSentence* part)
{
    auto container = std::make_unique<CFoBlockContainer>();
    part->CopyStyleToElement(container.get());
    auto properties = std::make_unique<CFoInitialPropertySet>();
    properties->m_lineSpacing = root->m_lineSpacing;
    properties->m_letterSpacing = root->m_letterSpacing;
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

void BuildXmlTree(CEditNode* node, CQNXMLNode* parent, XML_BUILD_CONTEXT* context)
{
    if (node == nullptr || parent == nullptr)
        return;
    try {
        if (auto* root = dynamic_cast<CEditPrint*>(node)) {
            BuildXmlPrint(root, parent, context);
            return;
        }
        if (!IsContainerKind(node) || node->GetChildCount() == 0)
            return;
        CContainerConverter(node, parent, context).Convert();
    } catch (...) {
        // What was converted so far stays in the output; the caller goes on.
    }
}

void BuildXmlPrint(CEditPrint* root, CQNXMLNode* parent, XML_BUILD_CONTEXT* context)
{
    try {
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
    } catch (...) {
    }
}

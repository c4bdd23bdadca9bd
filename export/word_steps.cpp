#include "export/word_steps.h"

#include "base/element_classes.h"
#include "base/number_labels.h"
#include "export/convert_progress.h"
#include "export/gaiji_pass.h"
#include "export/word_writer.h"
#include "nodes/edit_container.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "platform/embedding.h"
#include "printfile/edit_to_fo.h"
#include "printfile/fo_fragment.h"

#include <optional>

namespace {

// The second class code of a node converted inside an in-text answer.
constexpr int kCyukaiClass = 2;

constexpr char16_t kFullWidthSpace = u'\u3000';

}  // namespace

void ForEachVisibleBlock(CEditPrint& root, IConvertProgress& progress, const std::function<void(CEditNode*)>& write)
{
    const int blocks = root.GetChildCount();
    progress.SetRange32(0, blocks);
    for (int i = 0; i < blocks; ++i) {
        progress.SetPos(i);
        CEditNode* block = root.GetEditChild(i);
        if (block != nullptr && block->IsVisible())
            write(block);
    }
}

bool IsContainerWritten(const CEditNode* node)
{
    switch (static_cast<uint32_t>(node->GetKind())) {
    case EditKind::kSentence:
    case EditKind::kFloat:
    case EditKind::kCell:
    case EditKind::kKimeiran:
    case EditKind::kGai:
    case EditKind::kRubyText:
    case EditKind::kRubyBase:
    case EditKind::kKasen:
    case EditKind::kCyukai:
    case EditKind::kKunten:
    case EditKind::kOkurigana:
        return true;
    default:
        return false;
    }
}

CStringW RunText(const CEditNode* character, const EXPORT_NODE_CONTEXT& context)
{
    if (context.maskText == 0)
        return character->GetText();
    return CStringW(IsHalfWidthChar(character->GetText().GetAt(0)) ? u' ' : kFullWidthSpace);
}

const CEditBox* BoxOf(const CEditNode* container, const CEditNode* node)
{
    const auto* boxes = dynamic_cast<const CEditContainer*>(container);
    if (boxes == nullptr || node == nullptr)
        return nullptr;
    return boxes->GetBox(node->m_boxIndex);
}

LentNodes::LentNodes(CEditNode* container, const std::vector<int>& indexes, CEditSentence* borrower)
    : m_container(container), m_borrower(borrower)
{
    for (int index : indexes)
        if (CEditNode* node = container->GetEditChild(index))
            m_lent.emplace_back(index, node);
    for (const auto& [index, node] : m_lent)
        borrower->AppendChild(node);
}

LentNodes::~LentNodes()
{
    // Put back in ascending order, each at its own index, the paper is as it was.
    m_borrower->RemoveAllChildren();
    for (const auto& [index, node] : m_lent)
        m_container->InsertChildAt(index, node);
}

ClassForConversion::ClassForConversion(CEditNode* node, int classCode) : m_node(node), m_former(node->m_class)
{
    node->m_class = classCode;
}

ClassForConversion::~ClassForConversion() { m_node->m_class = m_former; }

FramedNumber::FramedNumber(CEditNode* label)
    : m_label(label), m_style(label->BorderRecord().m_borderStyle), m_width(label->BorderRecord().m_borderWidth)
{
    label->EditBorderRecord()->m_borderStyle = 1;
    label->EditBorderRecord()->m_borderWidth = 1;
}

FramedNumber::~FramedNumber()
{
    m_label->EditBorderRecord()->m_borderStyle = m_style;
    m_label->EditBorderRecord()->m_borderWidth = m_width;
}

bool IsBlankItem(const COleClientItem* item)
{
    return item == nullptr ||
           (item->GetObjectClassName().empty() && item->GetStorage().empty() && item->GetPicture().empty());
}

KANBUN_PASSAGE GatherKanbunPassage(const CEditNode* container, int index)
{
    KANBUN_PASSAGE passage;
    passage.indexes.push_back(index);
    passage.next = index + 1;
    const CEditNode* first = container->GetEditChild(index);
    if (first == nullptr)
        return passage;
    const int count = container->GetChildCount();
    const CEditNode* previous = first;
    for (int j = index + 1; j < count; ++j) {
        const CEditNode* next = container->GetEditChild(j);
        if (next == nullptr || next->m_boxIndex != first->m_boxIndex)
            break;
        if (next->IsKind(EditKind::kKan)) {
            passage.indexes.push_back(j);
        } else if (IsLineBreak(next)) {
            passage.indexes.push_back(j);
            if (j + 2 >= count)
                passage.returnDue = true;
        } else if (next->IsKind(EditKind::kHaiten) && !next->IsVisible()) {
            // passed over
        } else {
            if (!next->IsKind(EditKind::kHaiten) && previous->IsKind(EditKind::kCR))
                passage.returnDue = true;
            break;
        }
        previous = next;
        passage.next = j + 1;
    }
    return passage;
}

CExportTempFile WriteFragmentFile(CEditNode* container, const std::vector<int>& indexes, int width, int height,
                                  bool formula, bool vertical, const std::string& folder)
{
    CFoBlockContainer block;
    block.m_width = width;
    block.m_height = height;
    {
        // The nodes go back to their places whatever happens.
        CEditNode* first = container->GetEditChild(indexes.front());
        std::optional<ClassForConversion> answer;
        if (formula && first != nullptr &&
            first->FindAncestorOfType(EditKind::Code(EditKind::kCyukai), 1) != nullptr)
            answer.emplace(first, kCyukaiClass);
        CEditSentence lent;
        const LentNodes lending(container, indexes, &lent);
        XML_BUILD_CONTEXT fresh;
        BuildXmlTree(&lent, &block, &fresh);
        ApplyGaijiFont(&block, vertical);
    }
    CExportTempFile file(NewFragmentPath(folder, formula ? "QNI" : "QNH", formula ? ".QNI" : ".QNH"));
    if (file.Empty())
        throw COleException(E_FAIL);  // no temporary file: the object is left out
    const BOOL written = formula ? ExportMathFo(&block, file.Path().c_str()) : ExportKanbunFo(&block, file.Path().c_str());
    if (!written)
        throw COleException(E_FAIL);  // a fragment that could not be written is not inserted
    return file;
}

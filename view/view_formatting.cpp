// Character formatting, in-text answers, page breaks and underline numbering: the family's
// update handlers and its routing, and the frame that every formatting command shares.
#include "view/edit_view_controller.h"

#include "nodes/edit_char.h"
#include "nodes/edit_container.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_switches.h"
#include "nodes/undo.h"
#include "view/caret_context.h"

#include <exception>

namespace {

bool InRange(int id, int first, int last) { return id >= first && id <= last; }

// The alignment value a command sets, or −1 for an id that is no alignment.
int AlignmentOf(int id)
{
    switch (id) {
    case ViewCommand::kAlignLeft:
    case ViewCommand::kAlignTop: return 0;
    case ViewCommand::kAlignCenter: return 1;
    case ViewCommand::kAlignRight:
    case ViewCommand::kAlignBottom: return 2;
    case ViewCommand::kJustify: return 3;
    case ViewCommand::kDistribute: return 4;
    case ViewCommand::kBullets: return 5;
    default: return -1;
    }
}

// The node before the caret, whose decoration the underline and strike buttons show.
const CEditNode* NodeBeforeCaret(const CEditNode* caretNode)
{
    const CEditNode* prev = CEditNode::FromNode(caretNode->GetPrevSibling());
    return prev != nullptr ? prev : caretNode;
}

}  // namespace

bool CEditViewController::UpdateFormattingCommand(int id, CMD_UI_STATE* state) const
{
    const CEditNode* caretNode = m_caret.m_caretNode;
    // The commands of the pickers and the boxes carry their value and are always enabled.
    if (InRange(id, ViewCommand::kUnderlineFirst, ViewCommand::kUnderlineLast) ||
        InRange(id, ViewCommand::kStrikeFirst, ViewCommand::kStrikeLast) ||
        InRange(id, ViewCommand::kBorderFirst, ViewCommand::kBorderLast) ||
        InRange(id, ViewCommand::kTextColorFirst, ViewCommand::kTextColorLast) ||
        InRange(id, ViewCommand::kBackColorFirst, ViewCommand::kBackColorLast) ||
        InRange(id, ViewCommand::kHatchFirst, ViewCommand::kHatchLast) || id == ViewCommand::kFontNameBox ||
        id == ViewCommand::kFontSizeBox) {
        state->enabled = true;
        return true;
    }
    const int align = AlignmentOf(id);
    if (align >= 0) {
        const bool vertical = m_displayMap.IsVertical() != 0;
        if (id == ViewCommand::kAlignLeft || id == ViewCommand::kAlignTop) {
            state->enabled = CaretContextAllows(m_caret, CaretContext::QuestionPart);
            state->hasText = true;
            state->text = vertical ? u"上寄せ" : u"左寄せ";
        } else {
            state->enabled = caretNode != nullptr;
            if (id == ViewCommand::kAlignRight || id == ViewCommand::kAlignBottom) {
                state->hasText = true;
                state->text = vertical ? u"下寄せ" : u"右寄せ";
            }
        }
        const CEditNode* parent = caretNode != nullptr ? caretNode->GetEditParent() : nullptr;
        if (parent != nullptr && parent->HasKindFlags(EditKind::kContainer)) {
            auto* container = dynamic_cast<CEditContainer*>(const_cast<CEditNode*>(parent));
            const auto* lineBreak = container != nullptr
                                        ? dynamic_cast<const CEditCR*>(container->FindLineBreakFrom(const_cast<CEditNode*>(caretNode)))
                                        : nullptr;
            state->check = lineBreak != nullptr && lineBreak->m_textAlign == align ? 1 : 0;
        }
        return true;
    }
    const LOGFONTA& typing = m_caret.m_logFont;
    switch (id) {
    case ViewCommand::kBold:
        state->enabled = true;
        state->check = typing.lfWeight > 400 ? 1 : 0;
        return true;
    case ViewCommand::kItalic:
        state->enabled = true;
        state->check = typing.lfItalic != 0 ? 1 : 0;
        return true;
    case ViewCommand::kLongBody:
        state->enabled = true;
        state->check = m_caret.m_font.m_fontWidth == 1 ? 1 : 0;
        return true;
    case ViewCommand::kFlatBody:
        state->enabled = true;
        state->check = m_caret.m_font.m_fontWidth == 2 ? 1 : 0;
        return true;
    case ViewCommand::kSubscript:
        state->enabled = true;
        state->check = m_caret.m_alignment.m_scriptPosition == ScriptPosition::kSubscript ? 1 : 0;
        return true;
    case ViewCommand::kSuperscript:
        state->enabled = true;
        state->check = m_caret.m_alignment.m_scriptPosition == ScriptPosition::kSuperscript ? 1 : 0;
        return true;
    case ViewCommand::kBorderButton:
        state->enabled = true;
        state->check = m_caret.m_border.m_borderStyle != LineStyle::kNone ? 1 : 0;
        return true;
    case ViewCommand::kUnderlineButton:
    case ViewCommand::kStrikeButton:
        state->enabled = true;
        if (caretNode != nullptr) {
            const CEditNode* before = NodeBeforeCaret(caretNode);
            const int style = id == ViewCommand::kUnderlineButton ? before->CharacterRecord().m_underlineStyle : before->CharacterRecord().m_lineThroughStyle;
            state->check = style != 0 ? 1 : 0;
        }
        return true;
    case ViewCommand::kViewInTextAnswers:
        state->enabled = true;
        state->check = InTextAnswersVisible != 0 ? 1 : 0;
        return true;
    case ViewCommand::kInTextAnswer:
        state->enabled = true;
        state->check = IsInsideFlags(const_cast<CEditNode*>(caretNode), EditKind::kInTextAnswer) ? 1 : 0;
        return true;
    case ViewCommand::kParenConvert: {
        int first = 0, last = 0;
        CCaret caret = m_caret;
        const CEditNode* parent = caretNode != nullptr ? caretNode->GetEditParent() : nullptr;
        bool enabled = m_caret.m_anchorNode != nullptr && CaretContextAllows(m_caret, CaretContext::WrapInTextAnswer) &&
                       CEditNode::GetSelectionRange(&caret, &first, &last) && parent != nullptr;
        for (int i = first; enabled && i <= last; ++i)
            enabled = !IsLineBreak(parent->GetEditChild(i));
        state->enabled = enabled;
        return true;
    }
    case ViewCommand::kRemoveInTextAnswer:
        state->enabled = IsInsideFlags(const_cast<CEditNode*>(caretNode), EditKind::kInTextAnswer);
        return true;
    case ViewCommand::kInsertPageBreak:
        state->enabled = CaretContextAllows(m_caret, CaretContext::QuestionPart);
        return true;
    case ViewCommand::kDeletePageBreak:
        state->enabled = IsInsideKind(const_cast<CEditNode*>(caretNode), EditKind::kKaiPage);
        return true;
    case ViewCommand::kInsertUnderlineNumber:
    case ViewCommand::kUnderlineNumberSettingsContext:
        state->enabled = UnderlineNumberingTest(false);
        return true;
    case ViewCommand::kRemoveUnderlineNumber:
        state->enabled = UnderlineNumberingTest(true);
        return true;
    case ViewCommand::kUnderlineNumberSettings:
        state->enabled = true;
        return true;
    default:
        return false;
    }
}

bool CEditViewController::RunFormattingCommand(int id)
{
    if (InRange(id, ViewCommand::kUnderlineFirst, ViewCommand::kUnderlineLast))
        ApplyUnderline(id);
    else if (InRange(id, ViewCommand::kStrikeFirst, ViewCommand::kStrikeLast))
        OnStrikeKind(id);
    else if (InRange(id, ViewCommand::kBorderFirst, ViewCommand::kBorderLast))
        OnBorderKind(id);
    else if (InRange(id, ViewCommand::kTextColorFirst, ViewCommand::kTextColorLast))
        OnTextColor(id);
    else if (InRange(id, ViewCommand::kBackColorFirst, ViewCommand::kBackColorLast))
        OnBackColor(id);
    else if (InRange(id, ViewCommand::kHatchFirst, ViewCommand::kHatchLast))
        OnHatch(id);
    else if (AlignmentOf(id) >= 0)
        ApplyAlignment(id);
    else {
        switch (id) {
        case ViewCommand::kFontNameBox: OnFontNameChange(); break;
        case ViewCommand::kFontSizeBox: OnFontSizeChange(); break;
        case ViewCommand::kBold: OnBold(); break;
        case ViewCommand::kItalic: OnItalic(); break;
        case ViewCommand::kLongBody: OnLongBody(); break;
        case ViewCommand::kFlatBody: OnFlatBody(); break;
        case ViewCommand::kSubscript: OnSubscript(); break;
        case ViewCommand::kSuperscript: OnSuperscript(); break;
        case ViewCommand::kViewInTextAnswers: OnViewInTextAnswers(); break;
        case ViewCommand::kInTextAnswer: OnInsertInTextAnswer(); break;
        case ViewCommand::kParenConvert: OnParenConvert(); break;
        case ViewCommand::kRemoveInTextAnswer: OnRemoveInTextAnswer(); break;
        case ViewCommand::kInsertPageBreak: OnInsertPageBreak(); break;
        case ViewCommand::kDeletePageBreak: OnDeletePageBreak(); break;
        case ViewCommand::kInsertUnderlineNumber: InsertUnderlineNumbers(nullptr, nullptr); break;
        case ViewCommand::kRemoveUnderlineNumber: OnRemoveUnderlineNumber(); break;
        case ViewCommand::kUnderlineNumberSettings:
        case ViewCommand::kUnderlineNumberSettingsContext: OnUnderlineNumberSettings(); break;
        default: return false;  // the drop-down buttons run nothing of the view's
        }
    }
    return true;
}

bool CEditViewController::FormatSelection(const std::function<void(CEditNode*, CUndoGroup*)>& apply)
{
    CEditNode* node = CaretNode();
    if (node == nullptr || m_caret.m_anchorNode == nullptr)
        return false;
    int first = 0;
    int last = 0;
    if (!CEditNode::GetSelectionRange(&m_caret, &first, &last))
        return false;
    CEditNode* parent = node->GetEditParent();
    if (parent == nullptr)
        return false;
    auto group = std::make_unique<CUndoGroup>();
    try {
        for (int i = first; i <= last; ++i) {
            if (CEditNode* child = parent->GetEditChild(i))
                apply(child, group.get());
        }
    } catch (const std::exception&) {
        // What changed before the failure stays, as one step that takes it back.
    }
    FinishFormatting(std::move(group));
    return true;
}

void CEditViewController::FinishFormatting(std::unique_ptr<CUndoGroup> group)
{
    FinishChange(std::move(group));
    m_document.SetModifiedFlag(true);
    if (CaretNode() != nullptr)
        CaretNode()->MarkPartModified(TRUE);
    OnUpdate(UpdateHint::kAll);
}

// Takes a command's undo group back the way the views replay it: the last action first, each
// property written back to its old value, insertions taken out, removals put back before their
// neighbour. Used to prove that the records hold what undo needs.
#pragma once

#include "nodes/edit_node.h"
#include "nodes/undo.h"

#include <cstring>

namespace undotest {

// False when the group holds a code this replay does not know (the replay then stops there).
inline bool Undo(CUndoGroup& group)
{
    for (int i = group.GetCount() - 1; i >= 0; --i) {
        CUndoAction* action = group.GetAt(i);
        CEditNode* node = action->m_pNode;
        const int old = action->m_oldValue;
        switch (action->m_code) {
        case UndoCode::kFontSize:
            node->m_lf.lfWidth = action->m_oldPair.cx;
            node->m_lf.lfHeight = action->m_oldPair.cy;
            break;
        case UndoCode::kBold: node->m_lf.lfWeight = old; break;
        case UndoCode::kItalic: node->m_lf.lfItalic = static_cast<BYTE>(old); break;
        case UndoCode::kFaceName:
        case UndoCode::kLogFont: node->m_lf = action->m_oldLogFont; break;
        case UndoCode::kTextColor: node->m_color = static_cast<COLORREF>(old); break;
        case UndoCode::kBackColor: node->m_backgroundColor = static_cast<COLORREF>(old); break;
        case UndoCode::kHatch: node->m_backgroundPattern = old; break;
        case UndoCode::kFlatBody:
        case UndoCode::kLongBody: node->m_fontWidth = old; break;
        case UndoCode::kSubscript:
        case UndoCode::kSuperscript: node->m_scriptPosition = old; break;
        case UndoCode::kUnderlineStyle: node->m_underlineStyle = old; break;
        case UndoCode::kUnderlineWidth: node->m_underlineWidth = old; break;
        case UndoCode::kLineThroughStyle: node->m_lineThroughStyle = old; break;
        case UndoCode::kLineThroughWidth: node->m_lineThroughWidth = old; break;
        case UndoCode::kBorderStyle: node->m_borderStyle = old; break;
        case UndoCode::kBorderWidth: node->m_borderWidth = old; break;
        case UndoCode::kKanUnderlineStyle: node->m_beforeStyle = old; break;
        case UndoCode::kKanUnderlineWidth: node->m_beforeWidth = old; break;
        case UndoCode::kBoxUnderlineStyle: node->m_afterStyle = old; break;
        case UndoCode::kBoxUnderlineWidth: node->m_afterWidth = old; break;
        case UndoCode::kBangoType: node->m_renbanType = old; break;
        case UndoCode::kBangoFontSize: node->m_renbanSize = old; break;
        case UndoCode::kBangoForce: node->m_renbanForce = old; break;
        case UndoCode::kBangoFontFamily:
            CopyFaceName(node->m_renbanFace, action->m_oldString);
            break;
        case UndoCode::kBangoString: node->m_renbanString = action->m_oldWString; break;
        case UndoCode::kInsertBefore: node->Detach(); break;
        case UndoCode::kRemoveForward:
        case UndoCode::kRemoveBackward: action->m_pSecondNode->InsertBefore(node); break;
        default: return false;
        }
        node->m_dirty = 1;
    }
    group.SetUndone(true);
    return true;
}

}  // namespace undotest

// Caret movement and editing at the caret, as a plain node answers them: the node takes no part
// in editing of its own. The caret editing code gives these operations their bodies.
#include "nodes/edit_node.h"

void CEditNode::DrawSelection(CDC*, CDisplayMap*, CCaret*) {}

BOOL CEditNode::InsertAnsiText(CCaret*, const char*, CUndoGroup*) { return FALSE; }
BOOL CEditNode::InsertString(CCaret*, CStringW*, CUndoGroup*) { return FALSE; }
BOOL CEditNode::InsertChars(CCaret*, CStringW*, CUndoGroup*) { return FALSE; }
BOOL CEditNode::DeleteBackward(CCaret*, CUndoGroup*) { return FALSE; }
BOOL CEditNode::DeleteForward(CCaret*, CUndoGroup*) { return FALSE; }
BOOL CEditNode::InsertLineBreak(CCaret*, CUndoGroup*) { return FALSE; }

CEditNode* CEditNode::MovePrev(CCaret*, int) { return nullptr; }
CEditNode* CEditNode::MoveNext(CCaret*, int) { return nullptr; }
CEditNode* CEditNode::MoveUp(CCaret*, int) { return nullptr; }
CEditNode* CEditNode::MoveDown(CCaret*, int) { return nullptr; }
CEditNode* CEditNode::MoveEnd(CCaret*, int) { return nullptr; }
CEditNode* CEditNode::MoveHome(CCaret*, int) { return nullptr; }

CEditNode* CEditNode::GetFirstInner() { return nullptr; }
CEditNode* CEditNode::GetLastInner() { return nullptr; }
CEditNode* CEditNode::PrevPosition(int*) { return nullptr; }
CEditNode* CEditNode::NextPosition(int*) { return nullptr; }
CEditNode* CEditNode::LineStart() { return nullptr; }
CEditNode* CEditNode::LineEnd() { return nullptr; }
CEditNode* CEditNode::NodeAbove(CCaret*) { return nullptr; }
CEditNode* CEditNode::NodeBelow(CCaret*) { return nullptr; }
CEditNode* CEditNode::FirstCaretStop() { return nullptr; }
CEditNode* CEditNode::LastCaretStop() { return nullptr; }

// Undo records: one command's changes as an ordered list of actions, each with its code, the node
// concerned and the values that take the change back and make it again.
#pragma once

#include "base/wide_string.h"
#include "platform/archive.h"
#include "platform/win_types.h"

#include <memory>
#include <string>
#include <vector>

class CEditNode;

// Action codes. Property codes name the field that changed; structural codes carry 0x10000
// (insertion), 0x20000 (removal) or 0x40000 (a move within the container).
namespace UndoCode {
constexpr int kFieldSize = 2;
constexpr int kFontSize = 3;
constexpr int kBold = 16;
constexpr int kItalic = 17;
constexpr int kFaceName = 20;
constexpr int kTextColor = 21;
constexpr int kBackColor = 22;
constexpr int kHatch = 23;
constexpr int kFlatBody = 24;
constexpr int kLongBody = 25;
constexpr int kSubscript = 26;
constexpr int kSuperscript = 27;
constexpr int kLogFont = 31;
constexpr int kUnderlineStyle = 33;
constexpr int kUnderlineWidth = 34;
constexpr int kLineThroughStyle = 35;
constexpr int kLineThroughWidth = 36;
constexpr int kBorderStyle = 65;
constexpr int kBorderWidth = 66;
constexpr int kKanUnderlineStyle = 67;
constexpr int kKanUnderlineWidth = 68;
constexpr int kBoxUnderlineStyle = 69;
constexpr int kBoxUnderlineWidth = 70;
constexpr int kTextAlign = 129;
constexpr int kKanMode = 0x110;
constexpr int kBangoType = 513;
constexpr int kBangoFontSize = 514;
constexpr int kBangoFontFamily = 515;
constexpr int kBangoForce = 516;
constexpr int kBangoString = 517;
// The major and the sub number of a question part, changed by renumbering the questions.
constexpr int kQuestionNumber = 0x120;
constexpr int kSubQuestionNumber = 0x121;

constexpr int kInsertionFlag = 0x10000;
constexpr int kRemovalFlag = 0x20000;
constexpr int kInsertBefore = 0x10002;  // second node: the node it was inserted before
constexpr int kInsertAt = 0x10003;      // container and index
constexpr int kRemoveForward = 0x20001; // second node: the caret node after the removal
constexpr int kRemoveBackward = 0x20002;// second node: the node that followed it
constexpr int kRemoveAt = 0x20003;      // container and index
// A child moved within its container: index = where it went, old value = where it stood. The
// node never leaves the tree, so neither the action nor the replay ever keeps it.
constexpr int kMoveAt = 0x40003;

// The display value of a question part (2 hidden), set by the answer-display command.
constexpr int kPartDisplay = 0x128;
// The root's name-field layer: a name field put in (0x10101) or taken out (0x20101), with the
// layer as container and the field's index; old value = the page, new value = its name-field
// flag afterwards. The view replays them together with the page flag.
constexpr int kNameFieldPlaced = 0x10101;
constexpr int kNameFieldRemoved = 0x20101;

constexpr bool IsInsertion(int code) { return (code & kInsertionFlag) != 0; }
constexpr bool IsRemoval(int code) { return (code & kRemovalFlag) != 0; }
}  // namespace UndoCode

// One recorded change. Property records hold the old and the new value of the field their code
// names; structural records hold the node inserted or removed, its neighbour or its container and
// index.
//
// A node that the action took out of the tree (a removal, or the undo of an insertion) belongs to
// the action while it stays out: the action keeps it and dropping the action deletes it. Putting
// it back gives it to the tree again. A node that sits in a tree is never the action's.
class CUndoAction : public CObject {
public:
    CUndoAction();
    ~CUndoAction() override;
    CUndoAction(const CUndoAction&) = delete;
    CUndoAction& operator=(const CUndoAction&) = delete;

    int m_code = 0;
    CEditNode* m_pNode = nullptr;
    // Structural actions: the neighbour a removed node goes back before, or the node an inserted
    // node stood before.
    CEditNode* m_pSecondNode = nullptr;
    // Actions recorded with a container and an index: the parent whose children the index counts.
    CEditNode* m_pContainer = nullptr;
    int m_index = -1;
    int m_oldValue = 0;
    int m_newValue = 0;
    LOGFONTA m_oldLogFont{};
    LOGFONTA m_newLogFont{};
    SIZE m_oldPair{};
    SIZE m_newPair{};
    std::string m_oldString;   // code page 932
    std::string m_newString;
    CStringW m_oldWString;
    CStringW m_newWString;

    // Takes the node out of its parent and keeps it. Nothing when the action keeps it already or
    // the node sits in no tree (then it is not the action's to keep).
    void TakeOut() noexcept;
    // Keeps a node that is in no tree yet: a new node that an insertion is about to put in.
    void Keep(std::unique_ptr<CEditNode> node) noexcept;
    // Gives the kept node to the tree: at the index of the container when the action has one,
    // else before the neighbour. True when the node is in a tree afterwards (also when the action
    // kept nothing); false when the tree refused it, and the action still keeps it.
    bool PutBack();
    bool KeepsNode() const { return m_kept != nullptr; }

private:
    std::unique_ptr<CEditNode> m_kept;
};

// The actions of one command, in recording order; the group owns them, and through them the
// nodes they keep out of the tree.
class CUndoGroup : public CObject {
public:
    CUndoGroup() = default;
    // Drops the actions from the tail: each deletes the node it keeps, if any.
    ~CUndoGroup() override;
    CUndoGroup(const CUndoGroup&) = delete;
    CUndoGroup& operator=(const CUndoGroup&) = delete;

    int GetCount() const { return static_cast<int>(m_actions.size()); }
    // The action at index in recording order; null outside 0 … count − 1.
    CUndoAction* GetAt(int index) const;
    // Drops the actions after the first count, from the tail.
    void DropActionsAfter(int count);

    // Each recorder appends one action and returns it; a failed allocation leaves the group as it was.
    CUndoAction* RecordInt(int code, CEditNode* node, int oldValue, int newValue);
    CUndoAction* RecordString(int code, CEditNode* node, const char* oldText, const char* newText);
    CUndoAction* RecordWString(int code, CEditNode* node, const CStringW& oldText, const CStringW& newText);
    CUndoAction* RecordLogFont(int code, CEditNode* node, const LOGFONTA* oldFont, const LOGFONTA* newFont);
    CUndoAction* RecordPair(int code, CEditNode* node, const SIZE* oldPair, const SIZE* newPair);
    // value goes into the old-value field, object into the new-value field.
    CUndoAction* RecordNode(int code, CEditNode* node, CEditNode* secondNode, int value, int object);
    CUndoAction* RecordNodeEx(int code, CEditNode* node, CEditNode* secondNode, int index, CEditNode* container,
                              int value, int object);

private:
    CUndoAction* Append(std::unique_ptr<CUndoAction> action, int code, CEditNode* node);

    std::vector<std::unique_ptr<CUndoAction>> m_actions;
};

// Puts a new node into the tree before another, recorded in the group as an insertion before that
// neighbour. Raises CEditError when the neighbour is in no tree or the tree refuses the node (the
// group then keeps it and deletes it with the action), std::bad_alloc when nothing could be recorded.
void InsertRecordedBefore(CEditNode* before, std::unique_ptr<CEditNode> node, CUndoGroup* group);

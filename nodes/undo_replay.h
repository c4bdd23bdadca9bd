// Undo and redo of recorded actions on the node tree. One table maps each property code to the
// node field it names; the setters change fields through it and the replay writes recorded values
// back through it, so a code always means the same field. Structural actions take their node out
// of the tree or put it back, the action keeping the node while it is out.
#pragma once

#include "base/wide_string.h"
#include "platform/win_types.h"

#include <functional>
#include <string_view>

class CEditNode;
class CUndoAction;
class CUndoGroup;

enum class UndoDirection { Undo, Redo };

// What replaying one action came to.
enum class UndoStep {
    Applied,    // taken back or made again (an action on a node of the wrong kind changes nothing)
    Unknown,    // no replay knows the code: the action is skipped
    Abandoned,  // the replay cannot go on: the rest of the group is left as it stands
};

// The caller's replay of the codes this one does not know (the view's name-field, answer-field
// and name-field-layer codes). It answers Unknown for codes it does not know either.
using UndoCodeHandler = std::function<UndoStep(CUndoAction& action, UndoDirection direction)>;

struct UNDO_REPLAY_RESULT {
    int applied = 0;
    // Actions skipped because no replay knew their code. The walk goes on past them.
    int unknown = 0;
    // True when an action could not be replayed; the actions before it stay replayed.
    bool abandoned = false;
    // The neighbour of the last structural action replayed: where the caret goes. Null when none.
    CEditNode* caretNode = nullptr;
};

// One action: a property action writes its old value (undo) or its new value (redo) into the
// node and marks the node for measuring; an insertion is taken out by undo and put back by redo,
// a removal the other way round. Unknown for a code that is neither; Abandoned when a node cannot
// be put back (its neighbour or container left the tree): the action then keeps the node.
UndoStep ReplayUndoAction(CUndoAction& action, UndoDirection direction);

// A whole group: undo from the last action to the first, redo from the first to the last. Codes
// that neither this replay nor the handler knows are skipped and counted. A failed allocation
// leaves the exception to the caller, with every node kept by some action or the tree.
UNDO_REPLAY_RESULT ReplayUndoGroup(CUndoGroup& group, UndoDirection direction, const UndoCodeHandler& handler = {});

// A whole group or nothing, as a history replays it: when an action cannot be replayed, the
// actions replayed before it are taken back again and the result says abandoned.
UNDO_REPLAY_RESULT ReplayUndoGroupWhole(CUndoGroup& group, UndoDirection direction,
                                        const UndoCodeHandler& handler = {});

// Takes back and drops the actions recorded after the first count: what an editing operation
// that failed part-way had changed is undone, and the nodes it had made are deleted. Putting a
// node back where it was just taken from needs no allocation, so this does not fail.
void RollBackUndoGroup(CUndoGroup& group, int count) noexcept;

// ---------------------------------------------------------------------------------------------
// The property table, shared with the setters.

// A value of a property, in the member that the property's kind uses. The texts are views of
// the caller's (the setter's argument, or the action's field).
struct UNDO_VALUE {
    int number = 0;
    SIZE pair{};
    LOGFONTA font{};
    std::string_view text;                // the label face, code page 932
    const CStringW* wideText = nullptr;   // the label text
};

// Whether the code names a node property of the table.
bool IsNodePropertyCode(int code);

// One property change the way every setter makes it: the field's current value and the new one
// are recorded in the group (when one is given) before the node changes; then the value is
// written by the field's rule and the node is marked for measuring when the field affects it.
// Nothing for a code outside the table.
void SetNodeProperty(CEditNode& node, int code, const UNDO_VALUE& value, CUndoGroup* group);
void SetNodeProperty(CEditNode& node, int code, int value, CUndoGroup* group);

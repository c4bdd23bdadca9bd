// The answer-display command of the document: the paper's questions read into the rows of the
// answer-display dialog, the choices written back into the question parts, and the name fields
// of pages that the paper no longer reaches taken out. Everything it changes is one undo group,
// so one Undo brings back the parts and the name fields together.
#pragma once

#include "dialogs/answer_display_dialog.h"

#include <functional>
#include <vector>

class CEditPrint;
class CUndoGroup;

// One row per major question, each followed by its minor questions, with the display values of
// the answer field, answer and explanation parts (0 for a missing part).
std::vector<ANSWER_DISPLAY_ROW> ReadAnswerDisplayRows(CEditPrint& root);

// Writes each row's values into the parts found the same way (missing parts are skipped), every
// change recorded in the group when one is given.
void WriteAnswerDisplayRows(CEditPrint& root, const std::vector<ANSWER_DISPLAY_ROW>& rows, CUndoGroup* group);

// The paper lost pages since it had oldPageCount: from the last old page down to the present
// count, each flagged page loses its flag and the layer its last name field. The field is taken
// out of the layer and kept by the group, never deleted, so that older groups that name it stay
// sound and Undo puts it back. Returns the fields taken out.
int DetachVanishedNameFields(CEditPrint& root, int oldPageCount, CUndoGroup& group);

// How the command runs its dialog: IDOK (1) or IDCANCEL (2). Tests answer in its place.
using AnswerDisplayRunner = std::function<int(CAnswerDisplayDlg& dialog)>;
// Installs a runner (an empty one restores the modal run); returns the former one.
AnswerDisplayRunner SetAnswerDisplayRunner(AnswerDisplayRunner runner);
int RunAnswerDisplayDialog(CAnswerDisplayDlg& dialog);

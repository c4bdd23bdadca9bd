// The name-field command of the document: the pages' flags shown in the name-field dialog, and on
// OK the name-field layer rebuilt from the template, one copy per flagged page, as one undo group.
// Each record carries the real child index, the page number (old int) and that page's flag
// afterwards (new int), so that Undo and Redo put every name field and the page table back.
#pragma once

#include "dialogs/name_field_dialog.h"

#include <functional>
#include <memory>
#include <vector>

class CEditNode;
class CEditPrint;
class CUndoGroup;

// A fresh copy of the name-field template; raises CArchiveException or std::bad_alloc.
using NameFieldCopier = std::function<std::unique_ptr<CEditNode>()>;
// Copies of the root's template (its default table when it has none).
NameFieldCopier TemplateCopier(CEditPrint& root);

// Rebuilds the layer for the flags of pages 1 to flags.size(): every name field taken out, from
// the last to the first, then a copy put in for every flagged page in page order. When a step
// fails, the layer and the page table are put back as they were, the group is left empty and the
// failure is passed on.
void RebuildNameFieldLayer(CEditPrint& root, const std::vector<int>& flags, const NameFieldCopier& copy,
                           CUndoGroup& group);

// How the command runs its dialog: IDOK (1) or IDCANCEL (2). Tests answer in its place.
using NameFieldRunner = std::function<int(CNameFieldDlg& dialog)>;
// Installs a runner (an empty one restores the modal run); returns the former one.
NameFieldRunner SetNameFieldRunner(NameFieldRunner runner);

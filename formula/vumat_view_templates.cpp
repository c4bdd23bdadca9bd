// The template commands of the maths toolbar and its menus: every id goes through the one
// insertion that both editors share, as one undo group of the document.
#include "formula/vumat_view.h"

#include "formula/vumat_doc.h"
#include "math/formula_templates.h"
#include "nodes/edit_error.h"
#include "nodes/edit_node.h"
#include "nodes/undo.h"

#include <new>

void CVumatView::OnInsertTemplate(int id)
{
    if (CaretNode() == nullptr || !IsFormulaTemplateCommand(id))
        return;
    auto group = std::make_unique<CUndoGroup>();
    // A command abandoned part-way keeps what it changed as one undoable group.
    try {
        DeleteSelectionInto(group.get());
        FORMULA_TEMPLATE_SETTINGS settings;
        settings.editor = TEMPLATE_EDITOR::FormulaEditor;
        settings.newFormulaFont = 0;
        settings.typingFontFromNewFormula = false;
        settings.askSize = m_hooks.matrixSize;
        InsertFormulaTemplate(id, &m_caret, group.get(), settings);
    } catch (const CEditError&) {
    } catch (const std::bad_alloc&) {
    }
    FinishCommand(std::move(group));
}

void CVumatView::FinishCommand(std::unique_ptr<CUndoGroup> group)
{
    const bool changed = group && group->GetCount() > 0;
    FinishGroup(std::move(group));
    // A change reaches the container's picture at once, as typing does.
    if (changed)
        CommitChange(TRUE);
    else
        UpdateCaret(TRUE);
    OnUpdate(VumatHint::kAll);
}

// The formula templates that the formula toolbar's pickers put at the caret, in both editors:
// one table row per command id, read by one builder over the formula classes, and the one
// insertion procedure every template command runs.
#pragma once

#include <functional>
#include <memory>
#include <vector>

class CCaret;
class CEditNode;
class CUndoGroup;

// The first and last command ids of the templates: 159–187, 191–249, 391–393 and 431–432.
bool IsFormulaTemplateCommand(int id);

// The editors build one template differently: the permutation symbol (392) of the problem editor
// sizes its scripts from a new slot end's own height, the formula editor's from the typing height.
enum class TEMPLATE_EDITOR { ProblemEditor, FormulaEditor };

// What a template command built: the nodes to insert before the caret node, in order (separate
// characters are several), and the node the caret goes to (null: it stays before the same node).
struct BUILT_TEMPLATE {
    std::vector<std::unique_ptr<CEditNode>> nodes;
    CEditNode* caret = nullptr;
};

// Asks for a matrix size, opened with the rows and columns given; false on cancel.
using TemplateSizeFunction = std::function<bool(int* rows, int* columns)>;

// Builds the template of the command id at the font height. A template that asks for its size
// asks through `askSize`; false when it was cancelled or gave a count outside 1–99 (nothing is
// built then), and for an id that is no template.
bool BuildFormulaTemplate(int id, int height, const TemplateSizeFunction& askSize, BUILT_TEMPLATE* built,
                          TEMPLATE_EDITOR editor = TEMPLATE_EDITOR::ProblemEditor);

// How an editor runs the template commands.
struct FORMULA_TEMPLATE_SETTINGS {
    TEMPLATE_EDITOR editor = TEMPLATE_EDITOR::ProblemEditor;
    // A caret in no formula gets a new formula around it first, its slot made with this flag
    // (1: in the maths default font at the configured size; 0: at 10.5 points) ...
    int newFormulaFont = 1;
    // ... and, when set, the typing font becomes that slot end's.
    bool typingFontFromNewFormula = true;
    TemplateSizeFunction askSize;
};

// The template command after the selection was deleted into the group: a caret whose parent is no
// formula gets a new formula first, then the template of the id is built at the typing height,
// each node inserted before the caret node and recorded in the group, and the caret placed as the
// table says. True when the template went in; false when nothing was built (a cancelled size,
// an unknown id). Raises CEditError or std::bad_alloc part-way; what went in is in the group.
bool InsertFormulaTemplate(int id, CCaret* caret, CUndoGroup* group, const FORMULA_TEMPLATE_SETTINGS& settings);

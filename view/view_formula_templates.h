// The formula templates that the formula toolbar's pickers put at the caret: one table row per
// command id, read by one builder over the formula classes.
#pragma once

#include <functional>
#include <memory>
#include <vector>

class CEditNode;

// The first and last command ids of the templates: 159–187, 191–249, 391–393 and 431–432.
bool IsFormulaTemplateCommand(int id);

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
bool BuildFormulaTemplate(int id, int height, const TemplateSizeFunction& askSize, BUILT_TEMPLATE* built);

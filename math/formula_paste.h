// What pasted nodes become on either side of a formula's edge, the same in both editors.
#pragma once

#include <memory>
#include <vector>

class CEditNode;

// A pasted node inside a formula, appended to `out`: a formula node goes in as it is, except an
// inline formula, whose content goes in without its slot ends; any other character becomes a
// formula character copied from it (text and format); line breaks and nodes that are neither are
// dropped.
void NodesForFormula(std::unique_ptr<CEditNode> pasted, std::vector<std::unique_ptr<CEditNode>>* out);

// A pasted formula node outside any formula: an inline formula stays as it is, a formula character
// becomes a plain character copied from it, and any other formula node goes into a new inline
// formula of its own. Null for a node that is no formula node.
std::unique_ptr<CEditNode> FormulaNodeForText(std::unique_ptr<CEditNode> pasted);

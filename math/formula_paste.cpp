#include "math/formula_paste.h"

#include "math/formula.h"
#include "math/math_char.h"
#include "nodes/clipboard_paste.h"
#include "nodes/edit_char.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"

void NodesForFormula(std::unique_ptr<CEditNode> pasted, std::vector<std::unique_ptr<CEditNode>>* out)
{
    if (pasted == nullptr)
        return;
    if (pasted->IsKind(EditKind::kMath)) {
        // The formula's contents without the formula and its slot ends.
        while (std::unique_ptr<CEditNode> child = TakeFirstChild(pasted.get())) {
            if (!child->IsKind(EditKind::kMathCR))
                out->push_back(std::move(child));
        }
    } else if (pasted->HasKindFlags(EditKind::kFormula)) {
        out->push_back(std::move(pasted));
    } else if (pasted->HasKindFlags(EditKind::kCharacter) && !IsLineBreak(pasted.get())) {
        if (auto copy = CharacterCopy<CEditMathChar>(pasted.get()))
            out->push_back(std::move(copy));
    }
}

std::unique_ptr<CEditNode> FormulaNodeForText(std::unique_ptr<CEditNode> pasted)
{
    if (pasted == nullptr || !pasted->HasKindFlags(EditKind::kFormula))
        return nullptr;
    if (pasted->HasKindFlags(EditKind::kCharacter))
        return CharacterCopy<CEditChar>(pasted.get());
    if (pasted->IsKind(EditKind::kMath))
        return pasted;
    auto wrapper = std::make_unique<CEditMath>();
    if (wrapper->AppendChild(pasted.get()) < 0)
        return nullptr;
    pasted.release();
    return wrapper;
}

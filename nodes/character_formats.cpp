#include "nodes/character_formats.h"

#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"

CEditNode* RubyBaseOf(CEditNode* node)
{
    if (!node->IsKind(EditKind::kRuby))
        return nullptr;
    CEditNode* base = node->GetEditChild(0);
    return base != nullptr && base->IsKind(EditKind::kRubyBase) ? base : nullptr;
}

CEditNode* KanbunBaseBox(CEditNode* node)
{
    auto* cell = node->IsKind(EditKind::kKan) ? dynamic_cast<CEditKan*>(node) : nullptr;
    return cell != nullptr ? static_cast<CEditNode*>(cell->GetBaseBox()) : nullptr;
}

#include "nodes/character_formats.h"

#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "platform/shell.h"

#include <cstring>

namespace {

constexpr char16_t kGaijiFaceMessage[] = u"外字を入力する際は、外字パレットを使用して下さい。";
constexpr char kGaijiFace[] = "Orvellan Gaiji";

}  // namespace

bool RefuseGaijiFace(const char* face, const char16_t* caption)
{
    if (std::strstr(face, kGaijiFace) == nullptr)
        return false;
    ShellMessageBox(kGaijiFaceMessage, caption, MB_OK | MB_ICONINFORMATION);
    return true;
}

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

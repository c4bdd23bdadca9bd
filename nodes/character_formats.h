// The character commands that both editors' format bars and menus share: the line kinds of the
// underline, line-through and border commands, the background patterns, and where a command
// reaches inside the selected nodes (rubies, kanbun cells, in-text answers).
#pragma once

#include "nodes/edit_node.h"
#include "nodes/edit_kind.h"

// Style and width of the nine line kinds, in the order of the underline, line-through and border
// command ids: none, single, double, thick, dotted, dashed, dot-dash, dot-dot-dash, wave.
struct LINE_KIND {
    int style;
    int width;
};
inline constexpr LINE_KIND kLineKinds[] = {{0, 0}, {1, 1}, {2, 1}, {1, 3}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}};

// The line kind of the border commands: as the others, but "枠線なし" keeps the normal width.
constexpr LINE_KIND BorderLineKind(int index)
{
    LINE_KIND kind = kLineKinds[index];
    if (kind.style == 0)
        kind.width = 1;
    return kind;
}

// Background patterns of the seven pattern commands, in id order; "なし" stores −1.
inline constexpr int kHatchValues[] = {-1, 4, 5, 6, 3, 1, 2};

inline bool IsAnyCharacter(const CEditNode* node) { return IsCharacter(node); }
inline bool IsTextCharacter(const CEditNode* node) { return IsCharacter(node) && !IsFormulaNode(node); }
inline bool AnyNode(const CEditNode*) { return true; }

// A face name holding the gaiji face is refused with a message under the caption (gaiji are
// typed from their palette); true when refused.
bool RefuseGaijiFace(const char* face, const char16_t* caption);

// The base of a ruby pair whose first child is its base; null otherwise.
CEditNode* RubyBaseOf(CEditNode* node);
// The base box of a kanbun cell; null for another node or a cell without one.
CEditNode* KanbunBaseBox(CEditNode* node);

template <class Apply>
void ForEachChild(CEditNode* parent, bool (*test)(const CEditNode*), Apply&& apply)
{
    if (parent == nullptr)
        return;
    for (int i = 0; i < parent->GetChildCount(); ++i) {
        CEditNode* child = parent->GetEditChild(i);
        if (child != nullptr && test(child))
            apply(child);
    }
}

// Where a character command reaches inside the selected children: the test of the children
// themselves, the test of a ruby base's children (none: rubies are left alone), and whether the
// base box of a kanbun cell and the children of an in-text answer are reached.
struct CHAR_SCOPE {
    bool (*direct)(const CEditNode*);
    bool (*rubyBase)(const CEditNode*);
    bool kanbun;
    bool answer;
};

template <class Setter>
void ApplyInScope(CEditNode* child, const CHAR_SCOPE& scope, Setter&& set)
{
    if (scope.direct(child)) {
        set(child);
    } else if (CEditNode* base = RubyBaseOf(child)) {
        if (scope.rubyBase != nullptr)
            ForEachChild(base, scope.rubyBase, set);
    } else if (scope.kanbun && child->IsKind(EditKind::kKan)) {
        ForEachChild(KanbunBaseBox(child), AnyNode, set);
    } else if (scope.answer && child->IsKind(EditKind::kCyukai)) {
        ForEachChild(child, AnyNode, set);
    }
}

// Every character, and the text characters of a ruby base.
inline constexpr CHAR_SCOPE kCharacterScope{IsAnyCharacter, IsTextCharacter, false, false};
// Text characters and every character of a ruby base (line-through).
inline constexpr CHAR_SCOPE kStrikeScope{IsTextCharacter, IsAnyCharacter, false, false};
// Every character, in a ruby base too (colours).
inline constexpr CHAR_SCOPE kColorScope{IsAnyCharacter, IsAnyCharacter, false, false};
// Text characters, in a ruby base too (background pattern).
inline constexpr CHAR_SCOPE kTextScope{IsTextCharacter, IsTextCharacter, false, false};
// Text characters alone (border).
inline constexpr CHAR_SCOPE kBorderScope{IsTextCharacter, nullptr, false, false};

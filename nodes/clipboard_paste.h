// What a paste into the text takes from the clipboard, checked the same way wherever the user
// pastes: a node list in the program's format first, else plain text (Unicode, else text in a
// Japanese legacy charset), and the rules for what pasted nodes and characters may become.
#pragma once

#include "nodes/edit_char.h"

#include <memory>
#include <string>
#include <vector>

class CRuntimeClassRegistry;

// What the user is told when a copy or a paste cannot be finished.
inline constexpr char16_t kClipboardCopyFailed[] = u"クリップボードにコピーできませんでした。";
inline constexpr char16_t kClipboardPasteFailed[] = u"クリップボードの内容を貼り付けられませんでした。";

struct PASTED_CLIPBOARD {
    enum class Kind { Nothing, Nodes, Text };
    Kind kind = Kind::Nothing;
    // Nodes: the list read whole with the registry's classes (it may be empty).
    std::vector<std::unique_ptr<CEditNode>> nodes;
    // Text: the clipboard's text up to its first zero, never empty.
    std::u16string text;
    // Whether the text came as code page 932 text, for want of Unicode text.
    bool legacyText = false;
};

// Reads what the clipboard offers for a paste. Raises CArchiveException when the node list's
// bytes are bad or name a class the registry lacks: the paste then inserts nothing.
PASTED_CLIPBOARD ReadClipboardForPaste(const CRuntimeClassRegistry* registry);
// The same, false instead when the node list is bad or memory runs out: a paste that inserts nothing.
bool TryReadClipboardForPaste(const CRuntimeClassRegistry* registry, PASTED_CLIPBOARD* pasted);

// Control characters other than the line ends have no place in a paper: the saved file would
// not be valid XML.
inline bool IsControlCharacter(char16_t ch) { return ch < 0x20 || ch == 0x7F; }

// A new character of type T with the text, state and format of the pasted one; null when the
// node is no character.
template <typename T>
std::unique_ptr<CEditNode> CharacterCopy(CEditNode* node)
{
    auto* source = dynamic_cast<CEditChar*>(node);
    if (source == nullptr)
        return nullptr;
    auto copy = std::make_unique<T>();
    copy->CopyFrom(source);
    copy->MarkDirty();
    return copy;
}

// Takes the first child out of the node; null when it has none. A child that is no editing
// node is deleted on the way (node lists read from bytes hold none).
std::unique_ptr<CEditNode> TakeFirstChild(CEditNode* node);

// What a paste inside an in-text answer keeps of the pasted nodes: a pasted answer gives its own
// children, without line breaks and without those that hold an answer; any other node is kept
// unless it holds an answer deeper down. The dropped nodes are deleted.
std::vector<std::unique_ptr<CEditNode>> WithoutNestedAnswers(std::vector<std::unique_ptr<CEditNode>> nodes);

// What a pasted node becomes inside a kanbun box: a kanbun character stays as it is, any other
// character becomes a kanbun character copied from it; line breaks and every node that is no
// character are dropped (null).
std::unique_ptr<CEditNode> NodeForKanbunBox(std::unique_ptr<CEditNode> pasted);

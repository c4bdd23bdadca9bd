#include "nodes/kanbun_cell.h"

#include "base/default_fonts.h"
#include "nodes/caret.h"
#include "nodes/kunten_box.h"
#include "nodes/undo.h"

#include <array>
#include <cstring>
#include <memory>

namespace {

constexpr char kGaijiFaceMark[] = "Orvellan Gaiji";
constexpr char kVerticalGaijiFace[] = "@Orvellan Gaiji";
constexpr char16_t kReturnMarkRe = u'\u30EC';  // レ
constexpr char16_t kCircleMark = u'\u25CB';    // ○
constexpr char16_t kIdeographicSpace = u'\u3000';

LOGFONTA VerticalDefaultFont()
{
    LOGFONTA font;
    CDefaultFontTable::Instance().GetDefaultFont(&font, 1);
    return font;
}

bool HasGaijiFace(const CEditNode* node)
{
    char face[LF_FACESIZE + 1]{};
    std::memcpy(face, node->m_lf.lfFaceName, LF_FACESIZE);
    return std::strstr(face, kGaijiFaceMark) != nullptr;
}

// A line break of a sub-box in the vertical default font, full size or at half its height.
std::unique_ptr<CEditKanCR> MakeBoxBreak(bool halfSize)
{
    auto lineBreak = std::make_unique<CEditKanCR>();
    if (halfSize)
        lineBreak->m_lf.lfHeight /= 2;
    return lineBreak;
}

// Appends the node to the parent, which owns it from then on.
template <class Node>
Node* Adopt(CEditNode* parent, std::unique_ptr<Node> node)
{
    Node* raw = node.get();
    if (parent->AppendChild(raw) < 0)
        return nullptr;
    node.release();
    return raw;
}

// The characters of a sub-box before its first line break; 1 when any is in the gaiji face.
int BoxText(const CEditNode* box, CStringW& out)
{
    if (box == nullptr)
        return 0;
    CStringW text;
    int gaiji = 0;
    for (int i = 0; i < box->GetChildCount(); ++i) {
        const CEditNode* child = box->GetEditChild(i);
        if (child == nullptr)
            continue;
        if (IsLineBreak(child))
            break;
        text += child->GetText();
        if (HasGaijiFace(child))
            gaiji = 1;
    }
    out = text;
    return gaiji;
}

// What a setter does to one new character after its face is set: nothing, or a size and face of
// its own.
using CharacterRule = void (*)(CEditKanChar* character, const CEditNode* base);

// Replaces the characters of a sub-box: the first node becomes the format of the new ones.
void SetBoxText(CEditNode* box, const CStringW& text, const LOGFONTA* font, const CEditNode* base, CharacterRule rule)
{
    if (box == nullptr)
        return;
    const LOGFONTA defaultFont = VerticalDefaultFont();
    std::unique_ptr<CEditNode> format(box->GetFirstInner());
    if (format != nullptr)
        format->Detach();
    box->DeleteAllChildren();
    for (int i = 0; i < text.GetLength(); ++i) {
        auto character = std::make_unique<CEditKanChar>(text.GetAt(i));
        character->CopyFormat(format.get());
        character->SetFaceName(font != nullptr ? font->lfFaceName : defaultFont.lfFaceName, nullptr);
        if (rule != nullptr)
            rule(character.get(), base);
        Adopt(box, std::move(character));
    }
    auto lineBreak = std::make_unique<CEditKanCR>();
    lineBreak->CopyFormat(format.get());
    lineBreak->SetFaceName(defaultFont.lfFaceName, nullptr);
    Adopt(box, std::move(lineBreak));
}

void SetHeight(CEditNode* node, int height)
{
    const SIZE size{node->m_lf.lfWidth, height};
    node->SetFontSize(&size, nullptr);
}

int BaseHeightOr(const CEditNode* base, const CEditNode* fallback)
{
    return base != nullptr ? base->m_lf.lfHeight : fallback->m_lf.lfHeight;
}

void PunctuationRule(CEditKanChar* character, const CEditNode* base)
{
    const int height = BaseHeightOr(base, character);
    const CStringW& text = character->GetText();
    const char16_t unit = text.IsEmpty() ? u'\0' : text.GetAt(0);
    if (unit == kReturnMarkRe) {
        character->SetFaceName(kVerticalGaijiFace, nullptr);
        SetHeight(character, height / 2);
    } else if (unit == kCircleMark) {
        SetHeight(character, height / 3);
    } else {
        SetHeight(character, height / 2);
    }
}

void ReturnMarkRule(CEditKanChar* character, const CEditNode*)
{
    const CStringW& text = character->GetText();
    if (!text.IsEmpty() && text.GetAt(0) == kReturnMarkRe)
        character->SetFaceName(kVerticalGaijiFace, nullptr);
}

void SetChildrenSize(CEditNode* box, int width, int height, CUndoGroup* group)
{
    if (box == nullptr)
        return;
    const SIZE size{width, height};
    for (int i = 0; i < box->GetChildCount(); ++i) {
        if (CEditNode* child = box->GetEditChild(i))
            child->SetFontSize(&size, group);
    }
}

bool StartsWithCircle(const CEditNode* node)
{
    const CStringW& text = node->GetText();
    return !text.IsEmpty() && text.GetAt(0) == kCircleMark;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CEditKanChar, CEditKanCR

IMPLEMENT_SERIAL(CEditKanChar, CEditChar, 1)

CEditKanChar::CEditKanChar() : CEditKanChar(EditKind::Code(EditKind::kKanChar)) {}

CEditKanChar::CEditKanChar(EDIT_NODE_KIND kind) : CEditChar(kind)
{
    m_lf = VerticalDefaultFont();
}

CEditKanChar::CEditKanChar(char16_t character) : CEditKanChar()
{
    CEditNode::SetText(character);
    m_state = kText;
}

CEditKanChar::CEditKanChar(const CStringW& text) : CEditKanChar()
{
    if (!text.IsEmpty()) {
        CEditNode::SetText(text);
        m_state = kText;
    }
}

IMPLEMENT_SERIAL(CEditKanCR, CEditKanChar, 1)

CEditKanCR::CEditKanCR() : CEditKanChar(EditKind::Code(EditKind::kKanCR)) {}

void CEditKanCR::Serialize(CArchive& ar)
{
    constexpr uint32_t kRecordSize = 16;
    std::array<BYTE, kRecordSize> image{};
    if (ar.IsStoring()) {
        const int32_t values[4] = {m_lineReserved1, m_lineSpacing, m_lineReserved2, m_textAlign};
        for (int i = 0; i < 4; ++i)
            for (int b = 0; b < 4; ++b)
                image[size_t(i * 4 + b)] = BYTE(uint32_t(values[i]) >> (8 * b));
        ar.WriteBlock(image.data(), kRecordSize);
        CEditKanChar::Serialize(ar);
        return;
    }
    ar.ReadBlock(image.data(), kRecordSize);
    CEditKanChar::Serialize(ar);
    int32_t values[4] = {};
    for (int i = 0; i < 4; ++i)
        for (int b = 3; b >= 0; --b)
            values[i] = int32_t((uint32_t(values[i]) << 8) | image[size_t(i * 4 + b)]);
    m_lineReserved1 = values[0];
    m_lineSpacing = values[1];
    m_lineReserved2 = values[2];
    m_textAlign = values[3];
}

// ---------------------------------------------------------------------------------------------
// CEditKan: construction and the sub-boxes

IMPLEMENT_SERIAL(CEditKan, CEditContainer, 1)

CEditKan::CEditKan() : CEditContainer(EditKind::Code(EditKind::kKan)), m_hyphenAnchor(kIdeographicSpace) {}

CEditKan::~CEditKan() = default;

template <class Box>
Box* CEditKan::BoxAt(int index) const
{
    return dynamic_cast<Box*>(GetEditChild(index));
}

CEditKunten* CEditKan::GetLeadBracketBox() const { return BoxAt<CEditKunten>(KanbunBox::kLeadBracket); }
CEditKunten* CEditKan::GetBaseBox() const { return BoxAt<CEditKunten>(KanbunBox::kBase); }
CEditOkurigana* CEditKan::GetRightKanaBox() const { return BoxAt<CEditOkurigana>(KanbunBox::kRightKana); }
CEditOkurigana* CEditKan::GetLeftKanaBox() const { return BoxAt<CEditOkurigana>(KanbunBox::kLeftKana); }

CEditKunten* CEditKan::GetPunctuationBox() const
{
    return m_hyphenMode == KanbunMode::kWithoutHyphen ? BoxAt<CEditKunten>(KanbunBox::kPunctuation) : nullptr;
}

CEditKunten* CEditKan::GetTrailBracketBox() const
{
    return m_hyphenMode == KanbunMode::kWithoutHyphen ? BoxAt<CEditKunten>(KanbunBox::kTrailBracket) : nullptr;
}

CEditKunten* CEditKan::GetReturnMarkBox() const
{
    return BoxAt<CEditKunten>(m_hyphenMode == KanbunMode::kWithoutHyphen ? KanbunBox::kReturnMarks
                                                                          : KanbunBox::kReturnMarksHyphen);
}

CEditNode* CEditKan::BaseCharacter() const
{
    CEditKunten* base = GetBaseBox();
    return base != nullptr ? base->GetFirstInner() : nullptr;
}

CEditNode* CEditKan::GetFirstInner()
{
    CEditKunten* lead = GetLeadBracketBox();
    return lead != nullptr ? lead->GetFirstInner() : nullptr;
}

void CEditKan::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_hyphenMode;
        m_hyphenAnchor.CEditChar::Serialize(ar);
        CEditContainer::Serialize(ar);
        return;
    }
    int32_t mode = 0;
    ar >> mode;
    CEditKanChar anchor;
    anchor.CEditChar::Serialize(ar);
    if (anchor.GetChildCount() != 0)
        ar.ThrowException(CArchiveException::genericException);
    CEditContainer::Serialize(ar);
    m_hyphenMode = mode;
    m_hyphenAnchor.CopyFrom(&anchor);
}

// ---------------------------------------------------------------------------------------------
// Builders

void CEditKan::BuildBoxes(BoxShape shape, CEditKanChar* baseCharacter, const LOGFONTA* baseBreakFont)
{
    std::unique_ptr<CEditKanChar> ownedBase(baseCharacter);
    DeleteAllChildren();

    auto appendKunten = [&](int maxChars, int spacing, bool halfBreak) {
        CEditKunten* box = Adopt(this, std::make_unique<CEditKunten>());
        box->SetLimits(maxChars, spacing);
        Adopt(box, MakeBoxBreak(halfBreak));
        return box;
    };
    auto appendKana = [&](int pushToEnd) {
        CEditOkurigana* box = Adopt(this, std::make_unique<CEditOkurigana>());
        box->m_pushToEnd = pushToEnd;
        box->m_lf.lfHeight /= 2;
        Adopt(box, MakeBoxBreak(true));
    };

    appendKunten(CEditKunten::kDefaultMaxChars, kBracketSpacing, false);
    CEditKunten* base = Adopt(this, std::make_unique<CEditKunten>());
    if (ownedBase != nullptr)
        Adopt(base, std::move(ownedBase));
    std::unique_ptr<CEditKanCR> baseBreak = MakeBoxBreak(false);
    if (baseBreakFont != nullptr)
        baseBreak->m_lf = *baseBreakFont;
    Adopt(base, std::move(baseBreak));
    appendKana(1);
    appendKana(0);
    if (shape == BoxShape::Seven) {
        appendKunten(CEditKunten::kDefaultMaxChars, kMarkSpacing, true);
        appendKunten(kReturnMarkMaxChars, kMarkSpacing, true);
        appendKunten(CEditKunten::kDefaultMaxChars, kBracketSpacing, false);
    } else {
        appendKunten(kReturnMarkMaxChars, kMarkSpacing, true);
    }
    m_dirty = 1;
}

void CEditKan::BuildEmpty(int fiveBoxes)
{
    BuildBoxes(fiveBoxes ? BoxShape::Five : BoxShape::Seven, nullptr, nullptr);
}

void CEditKan::BuildAround(const CEditChar* source, int fiveBoxes)
{
    auto character = std::make_unique<CEditKanChar>();
    character->CopyFrom(source);
    BuildBoxes(fiveBoxes ? BoxShape::Five : BoxShape::Seven, character.release(), nullptr);
    if (fiveBoxes)
        m_hyphenAnchor.m_lf.lfHeight /= 2;
}

void CEditKan::BuildFromText(const CStringW& text, int fiveBoxes, const LOGFONTA* font)
{
    auto character = std::make_unique<CEditKanChar>(text);
    if (font != nullptr)
        character->m_lf = *font;
    BuildBoxes(fiveBoxes ? BoxShape::Five : BoxShape::Seven, character.release(), font);
    if (fiveBoxes)
        m_hyphenAnchor.m_lf.lfHeight /= 2;
}

void CEditKan::ApplyBuilderSettings()
{
    auto set = [](CEditKunten* box, int maxChars, int spacing) {
        if (box != nullptr)
            box->SetLimits(maxChars, spacing);
    };
    set(GetLeadBracketBox(), CEditKunten::kDefaultMaxChars, kBracketSpacing);
    set(GetBaseBox(), CEditKunten::kDefaultMaxChars, CEditKunten::kDefaultSpacing);
    set(GetPunctuationBox(), CEditKunten::kDefaultMaxChars, kMarkSpacing);
    set(GetReturnMarkBox(), kReturnMarkMaxChars, kMarkSpacing);
    set(GetTrailBracketBox(), CEditKunten::kDefaultMaxChars, kBracketSpacing);
}

void CEditKan::LockSubBoxes(int lock)
{
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* box = GetEditChild(i);
        if (box == nullptr)
            continue;
        box->SetCaretStopRecursive(lock == 0 ? 1 : 0);
        box->m_caretStop = 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Texts of the sub-boxes

int CEditKan::GetLeadBracketText(CStringW& out) const { return BoxText(GetLeadBracketBox(), out); }
int CEditKan::GetTrailBracketText(CStringW& out) const { return BoxText(GetTrailBracketBox(), out); }
int CEditKan::GetPunctuationText(CStringW& out) const { return BoxText(GetPunctuationBox(), out); }
int CEditKan::GetReturnMarkText(CStringW& out) const { return BoxText(GetReturnMarkBox(), out); }

void CEditKan::SetLeadBracketText(const CStringW& text, const LOGFONTA* font)
{
    SetBoxText(GetLeadBracketBox(), text, font, nullptr, nullptr);
}

void CEditKan::SetTrailBracketText(const CStringW& text, const LOGFONTA* font)
{
    SetBoxText(GetTrailBracketBox(), text, font, nullptr, nullptr);
}

void CEditKan::SetPunctuationText(const CStringW& text, const LOGFONTA* font)
{
    SetBoxText(GetPunctuationBox(), text, font, BaseCharacter(), PunctuationRule);
}

void CEditKan::SetReturnMarkText(const CStringW& text, const LOGFONTA* font)
{
    SetBoxText(GetReturnMarkBox(), text, font, nullptr, ReturnMarkRule);
}

void CEditKan::SetSatelliteSizes(CUndoGroup* group)
{
    const CEditNode* base = BaseCharacter();
    if (base == nullptr)
        return;
    const int h = base->m_lf.lfHeight;
    const int w = base->m_lf.lfWidth;
    SetChildrenSize(GetLeadBracketBox(), w, h, group);
    SetChildrenSize(GetTrailBracketBox(), w, h, group);
    if (CEditKunten* punctuation = GetPunctuationBox()) {
        for (int i = 0; i < punctuation->GetChildCount(); ++i) {
            CEditNode* child = punctuation->GetEditChild(i);
            if (child == nullptr)
                continue;
            const SIZE size{w, StartsWithCircle(child) ? h / 3 : h / 2};
            child->SetFontSize(&size, group);
        }
    }
    SetChildrenSize(GetReturnMarkBox(), w, h / 2, group);
    SetChildrenSize(GetRightKanaBox(), w, h / 2, group);
    SetChildrenSize(GetLeftKanaBox(), w, h / 2, group);
    m_dirty = 1;
}

// ---------------------------------------------------------------------------------------------
// Changing the form

void CEditKan::SetMode(int mode, CCaret* caret, CUndoGroup* group)
{
    if (mode == m_hyphenMode)
        return;
    const int oldMode = m_hyphenMode;
    CEditNode* caretNode = caret != nullptr ? caret->m_caretNode : nullptr;
    LOGFONTA baseFont = VerticalDefaultFont();
    if (const CEditNode* base = BaseCharacter())
        baseFont = base->m_lf;

    // Inserts a reading-mark box of the seven-box form at its index, ended by a line break in the
    // base font, recorded before the tree takes it.
    auto insertBox = [&](int index, int spacing, bool halfBreak) {
        auto box = std::make_unique<CEditKunten>();
        box->SetLimits(CEditKunten::kDefaultMaxChars, spacing);
        auto lineBreak = std::make_unique<CEditKanCR>();
        lineBreak->m_lf = baseFont;
        if (halfBreak)
            lineBreak->m_lf.lfHeight /= 2;
        Adopt(box.get(), std::move(lineBreak));
        if (group == nullptr) {
            if (InsertChildAt(index, box.get()) >= 0)
                box.release();
            return;
        }
        CUndoAction* action = group->RecordNodeEx(UndoCode::kInsertAt, box.get(), caretNode, index, this, 0, 0);
        action->Keep(std::move(box));
        action->PutBack();
    };
    // Takes the box at the index out: into the group's keeping, or deleted without a group.
    auto removeBox = [&](CEditNode* box) {
        if (box == nullptr)
            return;
        if (group == nullptr) {
            box->DetachAndDelete();
            return;
        }
        group->RecordNodeEx(UndoCode::kRemoveAt, box, caretNode, IndexOfChild(box), this, 0, 0)->TakeOut();
    };

    // The mode changes only once every box change and its record are made: a command that fails
    // on the way takes the recorded box changes back and finds the cell in its former form.
    if (oldMode == KanbunMode::kWithHyphen) {
        insertBox(KanbunBox::kPunctuation, kMarkSpacing, true);
        insertBox(KanbunBox::kTrailBracket, kBracketSpacing, false);
        if (group != nullptr)
            group->RecordNode(UndoCode::kKanMode, this, caretNode, oldMode, mode);
        m_hyphenMode = mode;
        ApplyBuilderSettings();
    } else {
        CEditNode* punctuation = GetPunctuationBox();
        CEditNode* trail = GetTrailBracketBox();
        removeBox(punctuation);
        removeBox(trail);
        if (group != nullptr)
            group->RecordNode(UndoCode::kKanMode, this, caretNode, oldMode, mode);
        m_hyphenMode = mode;
        m_hyphenAnchor.m_lf = baseFont;
        m_hyphenAnchor.m_lf.lfHeight /= 2;
        m_hyphenAnchor.m_dirty = 1;
    }
    m_dirty = 1;
}

// ---------------------------------------------------------------------------------------------
// CEditEditKan

IMPLEMENT_SERIAL(CEditEditKan, CEditEdit, 1)

CEditNode* CEditEditKan::GetFirstInner()
{
    CEditNode* cell = GetEditChild(0);
    return cell != nullptr ? cell->GetFirstInner() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Typing into reading-mark boxes

void RegisterKanbunFamily()
{
    EDIT_FAMILY_MAKERS& makers = EditFamilyMakers();
    makers.kanChar = [](const CStringW& text) -> CEditChar* { return new CEditKanChar(text); };
    makers.kanLineBreak = []() -> CEditChar* { return new CEditKanCR(); };
}

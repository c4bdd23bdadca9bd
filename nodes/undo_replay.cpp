#include "nodes/undo_replay.h"

#include "base/property_records.h"
#include "nodes/edit_families.h"
#include "nodes/edit_node.h"
#include "nodes/edit_sentence.h"
#include "nodes/undo.h"

#include <string>

namespace {

// How a property's value is held and written.
enum class FieldKind {
    Int,         // one int field, read and written through the row's accessors
    FontSize,    // lfWidth and lfHeight; the setter stores a positive height negative
    WholeFont,   // the whole LOGFONT
    FaceOfFont,  // the face part of the LOGFONT (character set, precisions, quality, pitch, name)
    LabelFace,   // the 32-byte face of number labels
    LabelText,   // the wide label text
};

struct PROPERTY_ROW {
    int code;
    FieldKind kind;
    bool setterMeasures;  // the setter marks the node for measuring
    bool replayMeasures;  // undo and redo mark the node for measuring
    int (*get)(const CEditNode&) = nullptr;
    void (*set)(CEditNode&, int) = nullptr;
    // The nodes that have the field; null: every node. Replay on any other node changes nothing.
    bool (*hasField)(const CEditNode&) = nullptr;
};

// Read and write accessors of an int field of the node; narrower fields take the value's low bits.
#define QN_INT_FIELD(member)                                                        \
    [](const CEditNode& node) { return static_cast<int>(node.member); },            \
        [](CEditNode& node, int value) { node.member = static_cast<decltype(node.member)>(value); }

// The same for an int field of one of the node's shared records.
#define QN_RECORD_FIELD(record, member)                                                      \
    [](const CEditNode& node) { return static_cast<int>(node.record().member); },            \
        [](CEditNode& node, int value) { node.Edit##record()->member = static_cast<int32_t>(value); }

// The same for an int field of the node's numbering record.
#define QN_NUMBERING_FIELD(member)                                                                \
    [](const CEditNode& node) { return static_cast<int>(node.Numbering().member); },            \
        [](CEditNode& node, int value) { node.EditNumbering().member = static_cast<int32_t>(value); }

// The paragraph alignment lives in a line break's block-line record; other nodes have none.
const CBlockLineRelatedProperties* LineRecord(const CEditNode& node)
{
    return node.HasKindFlags(EditKind::kLineBreak) ? dynamic_cast<const CBlockLineRelatedProperties*>(&node)
                                                   : nullptr;
}

bool HasLineRecord(const CEditNode& node)
{
    return LineRecord(node) != nullptr;
}

int GetTextAlign(const CEditNode& node)
{
    const CBlockLineRelatedProperties* record = LineRecord(node);
    return record != nullptr ? record->m_textAlign : 0;
}

void SetTextAlign(CEditNode& node, int value)
{
    if (HasLineRecord(node))
        dynamic_cast<CBlockLineRelatedProperties&>(node).m_textAlign = value;
}

// The numbers of a question part (a paragraph of the paper); other nodes have none.
bool IsQuestionPart(const CEditNode& node)
{
    return dynamic_cast<const CEditSentence*>(&node) != nullptr;
}

int GetQuestionNumber(const CEditNode& node)
{
    const auto* part = dynamic_cast<const CEditSentence*>(&node);
    return part != nullptr ? part->m_questionNumber : 0;
}

void SetQuestionNumber(CEditNode& node, int value)
{
    if (auto* part = dynamic_cast<CEditSentence*>(&node))
        part->m_questionNumber = value;
}

int GetSubQuestionNumber(const CEditNode& node)
{
    const auto* part = dynamic_cast<const CEditSentence*>(&node);
    return part != nullptr ? part->m_subQuestionNumber : 0;
}

void SetSubQuestionNumber(CEditNode& node, int value)
{
    if (auto* part = dynamic_cast<CEditSentence*>(&node))
        part->m_subQuestionNumber = value;
}

using UndoCode::kBackColor, UndoCode::kBangoFontFamily, UndoCode::kBangoFontSize, UndoCode::kBangoForce,
    UndoCode::kBangoString, UndoCode::kBangoType, UndoCode::kBold, UndoCode::kBorderStyle,
    UndoCode::kBorderWidth, UndoCode::kBoxUnderlineStyle, UndoCode::kBoxUnderlineWidth, UndoCode::kFaceName,
    UndoCode::kFlatBody, UndoCode::kFontSize, UndoCode::kHatch, UndoCode::kItalic,
    UndoCode::kKanUnderlineStyle, UndoCode::kKanUnderlineWidth, UndoCode::kLineThroughStyle,
    UndoCode::kLineThroughWidth, UndoCode::kLogFont, UndoCode::kLongBody, UndoCode::kQuestionNumber,
    UndoCode::kSubQuestionNumber, UndoCode::kSubscript,
    UndoCode::kSuperscript, UndoCode::kTextAlign, UndoCode::kTextColor, UndoCode::kUnderlineStyle,
    UndoCode::kUnderlineWidth;

// Every node property with an undo code. Colours, hatch, decorations and alignment change only
// drawing, so their setters leave the node clean; undo and redo mark every property dirty.
const PROPERTY_ROW kProperties[] = {
    {kFontSize, FieldKind::FontSize, true, true},
    {kBold, FieldKind::Int, true, true, QN_INT_FIELD(m_lf.lfWeight)},
    {kItalic, FieldKind::Int, true, true, QN_INT_FIELD(m_lf.lfItalic)},
    {kFaceName, FieldKind::FaceOfFont, true, true},
    {kTextColor, FieldKind::Int, false, true, QN_INT_FIELD(m_color)},
    {kBackColor, FieldKind::Int, false, true, QN_RECORD_FIELD(BorderRecord, m_backgroundColor)},
    {kHatch, FieldKind::Int, false, true, QN_RECORD_FIELD(BorderRecord, m_backgroundPattern)},
    {kFlatBody, FieldKind::Int, true, true, QN_RECORD_FIELD(FontRecord, m_fontWidth)},
    {kLongBody, FieldKind::Int, true, true, QN_RECORD_FIELD(FontRecord, m_fontWidth)},
    {kSubscript, FieldKind::Int, true, true, QN_INT_FIELD(m_scriptPosition)},
    {kSuperscript, FieldKind::Int, true, true, QN_INT_FIELD(m_scriptPosition)},
    {kLogFont, FieldKind::WholeFont, true, true},
    {kUnderlineStyle, FieldKind::Int, false, true, QN_RECORD_FIELD(CharacterRecord, m_underlineStyle)},
    {kUnderlineWidth, FieldKind::Int, false, true, QN_RECORD_FIELD(CharacterRecord, m_underlineWidth)},
    {kLineThroughStyle, FieldKind::Int, false, true, QN_RECORD_FIELD(CharacterRecord, m_lineThroughStyle)},
    {kLineThroughWidth, FieldKind::Int, false, true, QN_RECORD_FIELD(CharacterRecord, m_lineThroughWidth)},
    {kBorderStyle, FieldKind::Int, false, true, QN_RECORD_FIELD(BorderRecord, m_borderStyle)},
    {kBorderWidth, FieldKind::Int, false, true, QN_RECORD_FIELD(BorderRecord, m_borderWidth)},
    {kKanUnderlineStyle, FieldKind::Int, false, true, QN_RECORD_FIELD(BorderRecord, m_beforeStyle)},
    {kKanUnderlineWidth, FieldKind::Int, false, true, QN_RECORD_FIELD(BorderRecord, m_beforeWidth)},
    {kBoxUnderlineStyle, FieldKind::Int, false, true, QN_RECORD_FIELD(BorderRecord, m_afterStyle)},
    {kBoxUnderlineWidth, FieldKind::Int, false, true, QN_RECORD_FIELD(BorderRecord, m_afterWidth)},
    {kTextAlign, FieldKind::Int, false, true, GetTextAlign, SetTextAlign, HasLineRecord},
    {kBangoType, FieldKind::Int, true, true, QN_NUMBERING_FIELD(m_renbanType)},
    {kBangoFontSize, FieldKind::Int, true, true, QN_NUMBERING_FIELD(m_renbanSize)},
    {kBangoFontFamily, FieldKind::LabelFace, true, true},
    {kBangoForce, FieldKind::Int, true, true, QN_NUMBERING_FIELD(m_renbanForce)},
    {kBangoString, FieldKind::LabelText, true, true},
    // A part's numbers show in its question-number labels, which read them when measured.
    {kQuestionNumber, FieldKind::Int, true, true, GetQuestionNumber, SetQuestionNumber, IsQuestionPart},
    {kSubQuestionNumber, FieldKind::Int, true, true, GetSubQuestionNumber, SetSubQuestionNumber, IsQuestionPart},
    // Whether a question part is shown, laid out and drawn.
    {UndoCode::kPartDisplay, FieldKind::Int, true, true, QN_INT_FIELD(m_hidden), IsQuestionPart},
    // The width a question part was sized to (0: the column's).
    {UndoCode::kFieldSize, FieldKind::Int, true, true, QN_INT_FIELD(m_areaWidth), IsQuestionPart},
};

#undef QN_INT_FIELD
#undef QN_NUMBERING_FIELD
#undef QN_RECORD_FIELD

const PROPERTY_ROW* FindProperty(int code)
{
    for (const PROPERTY_ROW& row : kProperties) {
        if (row.code == code)
            return &row;
    }
    return nullptr;
}

// Records the node's current value of the property and the new one.
void Record(CUndoGroup& group, const PROPERTY_ROW& row, CEditNode& node, const UNDO_VALUE& value)
{
    switch (row.kind) {
    case FieldKind::Int:
        group.RecordInt(row.code, &node, row.get(node), value.number);
        break;
    case FieldKind::FontSize: {
        const SIZE old{node.m_lf.lfWidth, node.m_lf.lfHeight};
        group.RecordPair(row.code, &node, &old, &value.pair);
        break;
    }
    case FieldKind::WholeFont:
    case FieldKind::FaceOfFont:
        group.RecordLogFont(row.code, &node, &node.m_lf, &value.font);
        break;
    case FieldKind::LabelFace: {
        const std::string old(FaceNameView(node.Numbering().m_renbanFace));
        const std::string text(value.text);
        group.RecordString(row.code, &node, old.c_str(), text.c_str());
        break;
    }
    case FieldKind::LabelText:
        group.RecordWString(row.code, &node, node.Numbering().m_renbanString,
                            value.wideText != nullptr ? *value.wideText : CStringW());
        break;
    }
}

// How a value goes into the field: as the setter stores it (the setters and redo), or exactly as
// it was recorded from the field (undo, which puts back the field's former contents).
enum class WriteRule { AsSetter, AsRecorded };

void Write(const PROPERTY_ROW& row, CEditNode& node, const UNDO_VALUE& value, WriteRule rule)
{
    switch (row.kind) {
    case FieldKind::Int:
        row.set(node, value.number);
        break;
    case FieldKind::FontSize:
        node.m_lf.lfWidth = value.pair.cx;
        node.m_lf.lfHeight = rule == WriteRule::AsSetter && value.pair.cy > 0 ? -value.pair.cy : value.pair.cy;
        break;
    case FieldKind::WholeFont:
        node.m_lf = value.font;
        break;
    case FieldKind::FaceOfFont:
        if (rule == WriteRule::AsRecorded) {
            node.m_lf = value.font;
            break;
        }
        // The recorded new font is the installed font's: only its face part is taken, so that
        // redo keeps the node's height, width, weight and italic as the setter did.
        node.m_lf.lfCharSet = value.font.lfCharSet;
        node.m_lf.lfOutPrecision = value.font.lfOutPrecision;
        node.m_lf.lfClipPrecision = value.font.lfClipPrecision;
        node.m_lf.lfQuality = value.font.lfQuality;
        node.m_lf.lfPitchAndFamily = value.font.lfPitchAndFamily;
        CopyFaceName(node.m_lf.lfFaceName, FaceNameView(value.font.lfFaceName));
        break;
    case FieldKind::LabelFace:
        CopyFaceName(node.EditNumbering().m_renbanFace, value.text);
        break;
    case FieldKind::LabelText:
        node.EditNumbering().m_renbanString = value.wideText != nullptr ? *value.wideText : CStringW();
        break;
    }
}

UNDO_VALUE RecordedValue(const CUndoAction& action, bool old)
{
    UNDO_VALUE value;
    value.number = old ? action.m_oldValue : action.m_newValue;
    value.pair = old ? action.m_oldPair : action.m_newPair;
    value.font = old ? action.m_oldLogFont : action.m_newLogFont;
    value.text = old ? action.m_oldString : action.m_newString;
    value.wideText = old ? &action.m_oldWString : &action.m_newWString;
    return value;
}

bool IsNodeStructuralCode(int code)
{
    switch (code) {
    case UndoCode::kInsertBefore:
    case UndoCode::kInsertAt:
    case UndoCode::kRemoveForward:
    case UndoCode::kRemoveBackward:
    case UndoCode::kRemoveAt:
        return true;
    default:
        return false;
    }
}

// A move within one container: undo takes the node from where it went back to where it stood,
// redo moves it again. The node is taken out and put back into the room it left, which needs no
// allocation.
UndoStep ReplayMove(CUndoAction& action, bool undo)
{
    CEditNode* node = action.m_pNode;
    CEditNode* container = action.m_pContainer;
    if (container == nullptr || node->GetParent() != container)
        return UndoStep::Abandoned;
    container->RemoveChild(node);
    container->InsertChildAt(undo ? action.m_oldValue : action.m_index, node);
    node->m_dirty = 1;
    return UndoStep::Applied;
}

}  // namespace

bool IsNodePropertyCode(int code)
{
    return FindProperty(code) != nullptr;
}

void SetNodeProperty(CEditNode& node, int code, const UNDO_VALUE& value, CUndoGroup* group)
{
    const PROPERTY_ROW* row = FindProperty(code);
    if (row == nullptr)
        return;
    if (group != nullptr)
        Record(*group, *row, node, value);
    Write(*row, node, value, WriteRule::AsSetter);
    if (row->setterMeasures)
        node.MarkDirty();
}

void SetNodeProperty(CEditNode& node, int code, int value, CUndoGroup* group)
{
    UNDO_VALUE number;
    number.number = value;
    SetNodeProperty(node, code, number, group);
}

UndoStep ReplayUndoAction(CUndoAction& action, UndoDirection direction)
{
    CEditNode* node = action.m_pNode;
    const bool undo = direction == UndoDirection::Undo;
    if (node == nullptr)
        return UndoStep::Unknown;
    if (const PROPERTY_ROW* row = FindProperty(action.m_code)) {
        if (row->hasField != nullptr && !row->hasField(*node))
            return UndoStep::Applied;
        Write(*row, *node, RecordedValue(action, undo), undo ? WriteRule::AsRecorded : WriteRule::AsSetter);
        if (row->replayMeasures)
            node->MarkDirty();
        return UndoStep::Applied;
    }
    // A change of a kanbun cell's form: the mode alone (its boxes have actions of their own).
    if (auto* cell = dynamic_cast<IKanbunCell*>(node); cell != nullptr && action.m_code == UndoCode::kKanMode) {
        cell->SetHyphenMode(undo ? action.m_oldValue : action.m_newValue);
        node->MarkDirty();
        return UndoStep::Applied;
    }
    if (action.m_code == UndoCode::kMoveAt)
        return ReplayMove(action, undo);
    if (!IsNodeStructuralCode(action.m_code))
        return UndoStep::Unknown;
    // Undo takes an insertion out and puts a removal back; redo the other way round.
    if (UndoCode::IsInsertion(action.m_code) == undo)
        action.TakeOut();
    else if (!action.PutBack())
        return UndoStep::Abandoned;
    node->MarkDirty();
    return UndoStep::Applied;
}

UNDO_REPLAY_RESULT ReplayUndoGroup(CUndoGroup& group, UndoDirection direction, const UndoCodeHandler& handler)
{
    UNDO_REPLAY_RESULT result;
    const int count = group.GetCount();
    for (int step = 0; step < count; ++step) {
        CUndoAction* action = group.GetAt(direction == UndoDirection::Undo ? count - 1 - step : step);
        UndoStep outcome = ReplayUndoAction(*action, direction);
        if (outcome == UndoStep::Unknown && handler)
            outcome = handler(*action, direction);
        if (outcome == UndoStep::Unknown) {
            ++result.unknown;
            continue;
        }
        if (outcome == UndoStep::Abandoned) {
            result.abandoned = true;
            break;
        }
        ++result.applied;
        // The caret follows every action that names a neighbour.
        if (action->m_pSecondNode != nullptr)
            result.caretNode = action->m_pSecondNode;
    }
    return result;
}

UNDO_REPLAY_RESULT ReplayUndoGroupWhole(CUndoGroup& group, UndoDirection direction, const UndoCodeHandler& handler)
{
    const int count = group.GetCount();
    const bool undo = direction == UndoDirection::Undo;
    const UndoDirection back = undo ? UndoDirection::Redo : UndoDirection::Undo;
    auto replay = [&](CUndoAction& action, UndoDirection d) {
        UndoStep outcome = ReplayUndoAction(action, d);
        if (outcome == UndoStep::Unknown && handler)
            outcome = handler(action, d);
        return outcome;
    };
    UNDO_REPLAY_RESULT result;
    for (int step = 0; step < count; ++step) {
        CUndoAction* action = group.GetAt(undo ? count - 1 - step : step);
        const UndoStep outcome = replay(*action, direction);
        if (outcome == UndoStep::Unknown) {
            ++result.unknown;
        } else if (outcome == UndoStep::Applied) {
            ++result.applied;
            if (action->m_pSecondNode != nullptr)
                result.caretNode = action->m_pSecondNode;
        } else {
            // Back to where the group started: what was replayed is replayed the other way.
            for (int done = step - 1; done >= 0; --done)
                replay(*group.GetAt(undo ? count - 1 - done : done), back);
            UNDO_REPLAY_RESULT abandoned;
            abandoned.abandoned = true;
            return abandoned;
        }
    }
    return result;
}

void RollBackUndoGroup(CUndoGroup& group, int count) noexcept
{
    for (int i = group.GetCount() - 1; i >= count; --i)
        ReplayUndoAction(*group.GetAt(i), UndoDirection::Undo);
    group.DropActionsAfter(count);
}

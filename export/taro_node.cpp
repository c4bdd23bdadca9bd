// The Ichitaro node writer: a container's children typed in order, characters gathered into
// runs of one format, line breaks as returns with the hanging indent, labels of labelled
// underlines, question numbers and points, nested containers and ruby.
#include "export/taro_steps.h"
#include "export/taro_writer.h"

#include "base/number_labels.h"
#include "export/word_steps.h"
#include "nodes/edit_char.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_switches.h"
#include "nodes/edit_table.h"
#include "nodes/page_furniture.h"
#include "nodes/question_numbers.h"
#include "nodes/ruby.h"
#include "nodes/run_decorations.h"
#include "platform/codepage.h"

#include <exception>
#include <optional>
#include <stdexcept>

using namespace taro;

namespace {

constexpr char16_t kFullWidthSpace = u'\u3000';
// CharacterSize's codes of the smaller label size, beside vertical and horizontal text.
constexpr int kLabelSizeVertical = 9;
constexpr int kLabelSizeHorizontal = 8;

// A child slot that holds no node ends the container.
class MissingChild : public std::runtime_error {
public:
    MissingChild() : std::runtime_error("a container holds an empty child slot") {}
};

// Whether a line break of the container ends an Ichitaro line; in a cell only when at least two
// more children follow it, so the cell's closing line break and an empty line before it give none.
bool LineBreakReturns(const CEditNode* container, int index)
{
    switch (static_cast<uint32_t>(container->GetKind())) {
    case EditKind::kCell:
        return container->GetChildCount() - index - 1 >= 2;
    case EditKind::kKunten:
    case EditKind::kOkurigana:
    case EditKind::kFloat:
    case EditKind::kRubyText:
    case EditKind::kRubyBase:
    case EditKind::kKasen:
    case EditKind::kCyukai:
        return false;
    default:
        return true;
    }
}

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// Whether the ruby base holds only plain characters of one unit each before its closing line
// break: then Ichitaro holds as many characters as the base has nodes less one, and selecting
// them selects the base.
bool BaseIsPlainCharacters(const CEditNode* base)
{
    const int count = base->GetChildCount();
    for (int i = 0; i + 1 < count; ++i) {
        const CEditNode* child = base->GetEditChild(i);
        if (child == nullptr || !IsCharacter(child) || IsLineBreak(child) || !child->IsVisible() ||
            child->Numbering().m_renbanType != 0 || child->GetText().GetLength() != 1 || IsSurrogate(child->GetText().GetAt(0)))
            return false;
    }
    return true;
}

}  // namespace

struct CTaroDocumentWriter::RUN {
    CStringW text;
    const CEditNode* format = nullptr;
};

void CTaroDocumentWriter::WriteIchitaroNode(CEditNode* node, EXPORT_NODE_CONTEXT& context)
{
    if (node == nullptr || !node->IsVisible())
        return;
    if (node->IsKind(EditKind::kTable)) {
        WriteIchitaroRules(static_cast<CEditTable*>(node), context);
        return;
    }
    if (!IsContainerWritten(node) || node->GetChildCount() == 0)
        return;
    try {
        WriteChildren(node, context);
    } catch (const std::exception&) {
        // A refused call or a broken node ends this node; the caller goes on with its next one.
    }
}

bool CTaroDocumentWriter::LineTypeIsOne() const { return IsIntegerOne(m_library.GetLineType()); }

void CTaroDocumentWriter::FlushRun(RUN& run, const EXPORT_NODE_CONTEXT& context)
{
    if (run.format == nullptr)
        return;
    SetIchitaroCharAttr(m_library, run.format, context, 0);
    const CStringW text = run.text;
    run = RUN();
    m_library.Insert({S(std::u16string(text.View()))});
}

void CTaroDocumentWriter::WriteLineBreak(const CEditNode* container, int index, int indent)
{
    if (LineBreakReturns(container, index))
        m_library.InsertReturn({L(1), L(1)});
    if (container->IsKind(EditKind::kCell))
        return;
    if (LineTypeIsOne())
        m_library.Indent({L(1), L(indent > 0 ? indent / 100 : 0), L(0), L(0), L(0), L(1)});
}

void CTaroDocumentWriter::WriteUnderlineLabel(const CEditNode* character)
{
    const CStringW label = RunLabelText(character);
    const int length = label.GetLength();
    WordStep([&] {
        m_library.InputFont({S(Cp932ToWide(FaceNameView(character->Numbering().m_renbanFace))), M()});
        m_library.InputBold({L(0)});
        m_library.InputItalic({L(0)});
        m_library.InputDecoration({S(u"R0G0B0"), M(), L(0), L(0), M(), L(0), M()});
        m_library.Insert({S(std::u16string(label.View()))});
        m_library.CursorLeft({L(length)});
        m_library.SelectRangeStart({L(1)});
        m_library.CursorRight({L(length)});
        m_library.CharacterSize({L(CurrentWritingVertical ? kLabelSizeVertical : kLabelSizeHorizontal), M(), M(), M()});
        m_library.CancelSelectRange();
        m_library.InputCharacterSize({L(1), M(), M()});
    });
}

void CTaroDocumentWriter::InsertBlank(const EXPORT_NODE_CONTEXT& context)
{
    const CEditChar blank(u' ');
    SetIchitaroCharAttr(m_library, &blank, context, 1);
    m_library.Insert({S(u"\u3000")});
}

void CTaroDocumentWriter::WriteQuestionNumber(CEditNode* label, const EXPORT_NODE_CONTEXT& context, int* indent)
{
    std::optional<FramedNumber> framed;
    if (static_cast<const CEditQuestionNumber*>(label)->GetStyle() == 2)
        framed.emplace(label);
    CStringW text = label->GetText();
    if (!text.IsEmpty() && text.GetAt(0) == kFullWidthSpace) {
        InsertBlank(context);
        text.Delete(0, 1);
    }
    bool trailingSpace = false;
    if (label->IsKind(EditKind::kMonno) && text.GetLength() >= 2 && text.GetAt(text.GetLength() - 1) == kFullWidthSpace) {
        text.Delete(text.GetLength() - 1, 1);
        trailingSpace = true;
    }
    SetIchitaroCharAttr(m_library, label, context, 1);
    m_library.Insert({S(std::u16string(text.View()))});
    if (trailingSpace)
        InsertBlank(context);
    if (LineTypeIsOne())
        m_library.Indent({L(0), L(0), L(0), L(0), L(0), L(1)});
    // The container's later lines hang under the text after the number.
    *indent = label->m_width;
}

void CTaroDocumentWriter::WriteChildren(CEditNode* container, EXPORT_NODE_CONTEXT& context)
{
    int indent = context.indent;
    RUN run;
    int labelType = 0;
    const int count = container->GetChildCount();
    int i = 0;
    while (i < count) {
        CEditNode* child = container->GetEditChild(i);
        if (child == nullptr)
            throw MissingChild();
        if (!child->IsVisible()) {
            ++i;
            continue;
        }
        if (IsFloatingFrame(child)) {
            // Written where it stands; the run gathered before it follows its content.
            EXPORT_NODE_CONTEXT frame{indent, context.maskText, context.breakAtLineEnd, context.noCharBorder};
            WriteIchitaroNode(child, frame);
            labelType = 0;
            ++i;
            continue;
        }
        if (container->IsKind(EditKind::kCyukai) && InTextAnswersVisible == 0)
            context.maskText = 1;
        if (!IsCharacter(child))
            FlushRun(run, context);
        if (IsLineBreak(child)) {
            FlushRun(run, context);
            WriteLineBreak(container, i, indent);
            labelType = 0;
            ++i;
            continue;
        }
        if (IsCharacter(child)) {
            const int type = child->Numbering().m_renbanType;
            if (run.format != nullptr) {
                if (!run.format->SameFormat(child) || (type != 0 && type != labelType)) {
                    // The run ends; the character is taken again and starts the next one.
                    FlushRun(run, context);
                    continue;
                }
                run.text += RunText(child, context);
            } else {
                if (type != 0 && type != labelType)
                    WriteUnderlineLabel(child);
                run.text = RunText(child, context);
                run.format = child;
            }
            labelType = type;
            ++i;
            continue;
        }
        EXPORT_NODE_CONTEXT same{indent, context.maskText, context.breakAtLineEnd, context.noCharBorder};
        int next = i + 1;
        if (IsFormulaNode(child)) {
            WriteFormula(container, i, indent);
        } else if (IsQuestionNumberLabel(child)) {
            WriteQuestionNumber(child, context, &indent);
        } else if (child->IsKind(EditKind::kHaiten)) {
            const auto* points = static_cast<const CEditHaiten*>(child);
            if (points->m_info.p1 >= 1 || points->m_info.p3 >= 1) {
                SetIchitaroCharAttr(m_library, child, context, 0);
                m_library.Insert({S(std::u16string(child->GetText().View()))});
            }
        } else if (child->IsKind(EditKind::kCyukai) || child->IsKind(EditKind::kKasen)) {
            WriteIchitaroNode(child, same);
        } else if (child->IsKind(EditKind::kRuby)) {
            WriteIchitaroRuby(static_cast<CEditRuby*>(child), same);
        } else if (child->IsKind(EditKind::kTable)) {
            WriteIchitaroTable(static_cast<CEditTable*>(child), same);
        } else if (child->IsKind(EditKind::kKan)) {
            next = WriteKanbun(container, i, indent);
            if (CEditNode* last = container->GetEditChild(next - 1))
                child = last;
        } else if (child->IsKind(EditKind::kGraphic)) {
            WritePicture(child, indent);
        } else if (child->IsKind(EditKind::kObject)) {
            WriteObject(child);
        }
        labelType = child->Numbering().m_renbanType;
        i = next;
    }
    // Every container closes with a line break, which inserts the last run; a run still pending
    // here is inserted too, so that no character is dropped.
    FlushRun(run, context);
}

void CTaroDocumentWriter::WriteIchitaroRuby(CEditRuby* ruby, EXPORT_NODE_CONTEXT context)
{
    if (ruby == nullptr || !ruby->IsVisible())
        return;
    try {
        CEditNode* base = ruby->GetEditChild(0);
        CEditNode* reading = ruby->GetEditChild(1);
        if (base == nullptr || reading == nullptr)
            throw MissingChild();
        EXPORT_NODE_CONTEXT baseContext = context;
        WriteIchitaroNode(base, baseContext);
        const int r = reading->GetChildCount() - 1;
        if (r < 1)
            return;
        std::u16string text;
        for (int i = 0; i < r; ++i) {
            const CEditNode* kana = reading->GetEditChild(i);
            if (IsCharacter(kana) && !IsLineBreak(kana))
                text += RunText(kana, context).View();
        }
        const int b = base->GetChildCount();
        // Only a base of plain characters is selected by counting its nodes.
        if (b < 2 || !BaseIsPlainCharacters(base))
            return;
        m_library.CursorLeft({L(b - 1)});
        m_library.SelectRangeStart({L(1)});
        m_library.CursorRight({L(b - 1)});
        m_library.Ruby({L(1), S(text), L(1), M(), M(), M(), M(), M(), M(), L(1)});
        m_library.CancelSelectRange();
    } catch (const std::exception&) {
        // The ruby's own failure ends the ruby only.
    }
}

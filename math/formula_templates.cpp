// The formula templates: a table of what each command id builds, the one builder that reads it,
// and the insertion that every template command of both editors runs.
#include "math/formula_templates.h"

#include "math/formula.h"
#include "math/math_char.h"
#include "math/math_templates.h"
#include "math/stretchy_templates.h"
#include "nodes/caret.h"
#include "nodes/edit_error.h"
#include "nodes/edit_kind.h"
#include "nodes/node_text.h"
#include "nodes/undo.h"

#include <string>

namespace {

constexpr char kMsMinchoFace[] = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";  // ＭＳ 明朝

// How a row builds its node.
enum class Form {
    Node,       // one template node with its default slots
    Chars,      // separate formula characters, each inserted by itself
    SlotList,   // one template node with the row's slot list in place of its default slots
    Matrix,     // a matrix of the row's size, or of the size the dialog gives
    BraceRows,  // a left brace around a left-aligned matrix
    Operator,   // a combination or permutation symbol with the row's slot list
};

// Where the caret goes after the insertion.
enum class CaretAt {
    FirstInner,  // the first caret stop of the template's first slot
    Stays,       // before the node it stood before, after what was inserted
    SlotEnd0,    // the end of the first slot
    SlotEnd1,    // the end of the second slot
    Nested,      // the first caret stop of the template nested inside the built one
};

// What a row sets beyond its class and slots.
enum class Extra { None, Bevelled, Ruled, LongdivInLastCell, AskSize };

enum class Height {
    Template,          // the typing height
    Script,            // 60/105 of it
    NewSlotEndScript,  // in the problem editor 60/105 of the height a new slot end has of its
                       // own; in the formula editor the script size
};

// One child of a slot list: a character (or a slot end when ch is 0, or a bracket pair when ch
// is '['), its height, its italic flag (-1 as made, 0 upright, 1 italic) and whether its face
// is "ＭＳ 明朝".
struct SLOT_ITEM {
    char16_t ch;
    Height height;
    int italic;
    bool mincho;
};

constexpr char16_t kEnd = 0;
constexpr char16_t kBracketPair = u'[';

using NodeMaker = std::unique_ptr<CEditMathContainer> (*)();

template <typename T>
std::unique_ptr<CEditMathContainer> Make()
{
    return std::make_unique<T>();
}

// One command: its class, form, marks (the opening and closing fences, the upper and lower marks
// or the operator), whether marks are upright and reduced to 60/105, the matrix size, the slot
// list, the caret and the extras.
struct TEMPLATE_ROW {
    int id = 0;
    Form form = Form::Node;
    NodeMaker make = nullptr;
    std::u16string first;
    std::u16string second;
    bool uprightMarks = false;
    bool reducedMarks = false;
    int rows = 0;
    int columns = 0;
    std::vector<SLOT_ITEM> slots;
    CaretAt caret = CaretAt::FirstInner;
    Extra extra = Extra::None;
};

TEMPLATE_ROW Row(int id, Form form, NodeMaker make, std::u16string first, std::u16string second)
{
    TEMPLATE_ROW row;
    row.id = id;
    row.form = form;
    row.make = make;
    row.first = std::move(first);
    row.second = std::move(second);
    return row;
}

const std::vector<TEMPLATE_ROW>& TemplateTable()
{
    using enum Form;
    using enum CaretAt;
    using H = Height;
    const SLOT_ITEM end{kEnd, H::Template, -1, false};
    const SLOT_ITEM uprightEnd{kEnd, H::Template, 0, false};
    const SLOT_ITEM scriptEnd{kEnd, H::Script, -1, false};
    auto upright = [](char16_t c) { return SLOT_ITEM{c, H::Template, 0, false}; };
    auto fence = [](int id, std::u16string open, std::u16string close) {
        return Row(id, Node, &Make<CEditFenced>, std::move(open), std::move(close));
    };
    auto node = [](int id, NodeMaker make) { return Row(id, Node, make, u"", u""); };
    auto marks = [](int id, NodeMaker make, std::u16string first, std::u16string second, bool reduced) {
        TEMPLATE_ROW row = Row(id, Node, make, std::move(first), std::move(second));
        row.uprightMarks = true;
        row.reducedMarks = reduced;
        return row;
    };
    // The class of each character follows from it: Σ and ∫ are the big-operator signs.
    auto chars = [](int id, std::u16string text, bool uprightText) {
        TEMPLATE_ROW row = Row(id, Chars, nullptr, std::move(text), u"");
        row.uprightMarks = uprightText;
        row.caret = Stays;
        return row;
    };
    auto slotList = [](int id, NodeMaker make, std::vector<SLOT_ITEM> slots, CaretAt caret) {
        TEMPLATE_ROW row = Row(id, SlotList, make, u"", u"");
        row.slots = std::move(slots);
        row.caret = caret;
        return row;
    };
    auto matrix = [](int id, int rows, int columns, Extra extra) {
        TEMPLATE_ROW row = Row(id, Matrix, &Make<CEditMatrix>, u"", u"");
        row.rows = rows;
        row.columns = columns;
        row.extra = extra;
        return row;
    };
    auto braceRows = [](int id, Extra extra) {
        TEMPLATE_ROW row = Row(id, BraceRows, &Make<CEditFenced>, u"{", u"");
        row.rows = 2;
        row.columns = 1;
        row.extra = extra;
        row.caret = Nested;
        return row;
    };
    auto function = [&](std::u16string name) {
        std::vector<SLOT_ITEM> slots;
        for (char16_t c : name)
            slots.push_back(upright(c));
        slots.push_back(uprightEnd);
        slots.push_back(scriptEnd);
        return slots;
    };
    auto prime = [&](int id, char16_t mark, int italic, bool mincho) {
        return slotList(id, &Make<CEditSuper>, {end, {mark, H::Template, italic, mincho}, {kEnd, H::Template, -1, mincho}},
                        SlotEnd0);
    };
    auto withExtra = [](TEMPLATE_ROW row, Extra extra, CaretAt caret) {
        row.extra = extra;
        row.caret = caret;
        return row;
    };
    auto operatorRow = [](int id, std::u16string symbol, Height slotHeight) {
        TEMPLATE_ROW row = Row(id, Operator, &Make<CEditOPresubSub>, std::move(symbol), u"");
        row.uprightMarks = true;
        row.slots = {{kEnd, slotHeight, -1, false}, {kEnd, slotHeight, -1, false}};
        return row;
    };
    static const std::vector<TEMPLATE_ROW> table = {
        fence(159, u"(", u")"), fence(160, u"(", u""), fence(161, u"", u")"),
        fence(162, u"{", u"}"), fence(163, u"{", u""), fence(164, u"", u"}"),
        fence(165, u"〔", u"〕"), fence(166, u"〔", u""), fence(167, u"", u"〕"),
        fence(168, u"[", u"]"), fence(169, u"[", u""), fence(170, u"", u"]"),
        fence(171, u"〈", u"〉"), fence(172, u"〈", u""), fence(173, u"", u"〉"),
        fence(174, u"|", u"|"), fence(175, u"|", u""), fence(176, u"", u"|"),
        marks(177, &Make<CEditUnderover2>, u"\uFE37", u"\uFE38", false),
        marks(178, &Make<CEditOver2>, u"\uFE37", u"", false),
        marks(179, &Make<CEditUnder2>, u"\uFE38", u"", false),
        node(180, &Make<CEditFrac>),
        withExtra(node(181, &Make<CEditFrac>), Extra::Bevelled, FirstInner),
        chars(182, u"/", false),
        node(183, &Make<CEditRoot>),
        node(184, &Make<CEditSqrt>),
        node(185, &Make<CEditLongdiv>),
        node(186, &Make<CEditLongdiv>),
        matrix(187, 2, 2, Extra::LongdivInLastCell),
        node(191, &Make<CEditPresuper>), node(192, &Make<CEditPresub>), node(193, &Make<CEditPresubPresup>),
        node(194, &Make<CEditSuper>), node(195, &Make<CEditSub>), node(196, &Make<CEditSubsup>),
        node(197, &Make<CEditOver>), node(198, &Make<CEditUnder>), node(199, &Make<CEditUnderover>),
        node(200, &Make<CEditMulti>),
        marks(201, &Make<CEditOver2>, u"\u2192", u"", false),
        marks(202, &Make<CEditOver2>, u"\uFFE3", u"", false),
        marks(203, &Make<CEditOver2>, u"\u2322", u"", false),
        prime(204, u'\u2032', 1, false),
        prime(205, u'\u2033', 1, false),
        prime(206, u'\u2034', 0, true),
        slotList(207, &Make<CEditOver>,
                 {{u'\u30FB', H::Script, 0, true}, {kEnd, H::Script, 0, true}, end}, SlotEnd1),
        chars(208, u"\u03A3", false),
        chars(209, u"\u03A3", false),
        node(210, &Make<CEditSigmaUnder>), node(211, &Make<CEditSigmaUnderover>),
        node(212, &Make<CEditSigmaSub>), node(213, &Make<CEditSigmaSubsup>),
        chars(214, u"\u222B", false),
        chars(215, u"\u222B", false),
        node(216, &Make<CEditIntegralSub>), node(217, &Make<CEditIntegralSubsup>),
        slotList(218, &Make<CEditSubsup>, {{kBracketPair, H::Template, -1, false}, end, scriptEnd, scriptEnd}, Nested),
        chars(219, u"lim", true),
        slotList(220, &Make<CEditUnder>, function(u"lim"), SlotEnd1),
        chars(221, u"sin", true),
        slotList(222, &Make<CEditSuper>, function(u"sin"), SlotEnd1),
        chars(223, u"cos", true),
        slotList(224, &Make<CEditSuper>, function(u"cos"), SlotEnd1),
        chars(225, u"tan", true),
        slotList(226, &Make<CEditSuper>, function(u"tan"), SlotEnd1),
        chars(227, u"log", true),
        slotList(228, &Make<CEditSub>, function(u"log"), SlotEnd1),
        matrix(229, 1, 2, Extra::None), matrix(230, 2, 1, Extra::None), matrix(231, 2, 2, Extra::None),
        matrix(232, 1, 3, Extra::None), matrix(233, 3, 1, Extra::None), matrix(234, 3, 3, Extra::None),
        matrix(235, 4, 4, Extra::AskSize), matrix(236, 1, 1, Extra::Ruled),
        chars(237, u"\u2190", true),
        chars(238, u"\u2192", true),
        chars(239, u"\u2194", true),
        marks(240, &Make<CEditUnder2>, u"\u2190", u"", true),
        marks(241, &Make<CEditUnder2>, u"\u2192", u"", true),
        marks(242, &Make<CEditUnder2>, u"\u2194", u"", true),
        marks(243, &Make<CEditOver2>, u"\u2190", u"", true),
        marks(244, &Make<CEditOver2>, u"\u2192", u"", true),
        marks(245, &Make<CEditOver2>, u"\u2194", u"", true),
        marks(246, &Make<CEditOUnderover>, u"\uF576", u"", true),
        marks(247, &Make<CEditOUnderover>, u"\uF577", u"", true),
        marks(248, &Make<CEditOUnderover>, u"\uF578", u"", true),
        marks(249, &Make<CEditOUnderover>, u"\u21C4", u"", true),
        operatorRow(391, u"C", H::Script),
        operatorRow(392, u"P", H::NewSlotEndScript),
        node(393, &Make<CEditPresubSub>),
        braceRows(431, Extra::None),
        braceRows(432, Extra::AskSize),
    };
    return table;
}

const TEMPLATE_ROW* FindRow(int id)
{
    for (const TEMPLATE_ROW& row : TemplateTable()) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

// The default slots of each class, whose signatures differ.
void CreateDefaultSlots(CEditMathContainer* node)
{
    if (auto* n = dynamic_cast<CEditFrac*>(node)) n->CreateDefaultSlots();
    else if (auto* root = dynamic_cast<CEditRoot*>(node)) root->CreateDefaultSlots();
    else if (auto* sqrt = dynamic_cast<CEditSqrt*>(node)) sqrt->CreateDefaultSlots();
    else if (auto* longdiv = dynamic_cast<CEditLongdiv*>(node)) longdiv->CreateDefaultSlots();
    else if (auto* multi = dynamic_cast<CEditMulti*>(node)) multi->CreateDefaultSlots();
    else if (auto* over = dynamic_cast<CEditOver*>(node)) over->CreateDefaultSlots();
    else if (auto* under = dynamic_cast<CEditUnder*>(node)) under->CreateDefaultSlots();
    else if (auto* over2 = dynamic_cast<CEditOver2*>(node)) over2->CreateDefaultSlots();
    else if (auto* under2 = dynamic_cast<CEditUnder2*>(node)) under2->CreateDefaultSlots();
    else if (auto* underover = dynamic_cast<CEditUnderover*>(node)) underover->CreateDefaultSlots();
    else if (auto* underover2 = dynamic_cast<CEditUnderover2*>(node)) underover2->CreateDefaultSlots();
    else if (auto* arrow = dynamic_cast<CEditOUnderover*>(node)) arrow->CreateDefaultSlots();
    else if (auto* script = dynamic_cast<CEditScriptTemplate*>(node)) script->CreateDefaultSlots();
    else if (auto* big = dynamic_cast<CEditBigOperatorTemplate*>(node)) big->CreateDefaultSlots();
    else if (auto* fenced = dynamic_cast<CEditFenced*>(node)) fenced->CreateDefaultSlots();
}

// The marks a template holds outside its slots, in the order the row names them.
std::vector<CEditMathChar*> MarksOf(CEditMathContainer* node)
{
    if (auto* fenced = dynamic_cast<CEditFenced*>(node)) return {fenced->m_open.get(), fenced->m_close.get()};
    if (auto* over2 = dynamic_cast<CEditOver2*>(node)) return {over2->m_mark.get()};
    if (auto* under2 = dynamic_cast<CEditUnder2*>(node)) return {under2->m_mark.get()};
    if (auto* both = dynamic_cast<CEditUnderover2*>(node)) return {both->m_overMark.get(), both->m_underMark.get()};
    if (auto* arrow = dynamic_cast<CEditOUnderover*>(node)) return {arrow->m_glyph.get()};
    if (auto* symbol = dynamic_cast<CEditOPresubSub*>(node)) return {symbol->m_symbol.get()};
    return {};
}

// Sets the marks' texts (an empty text: no mark on that side), upright and reduced as the row says.
void SetMarks(CEditMathContainer* node, const TEMPLATE_ROW& row)
{
    const std::vector<CEditMathChar*> marks = MarksOf(node);
    const std::u16string* texts[] = {&row.first, &row.second};
    for (size_t i = 0; i < marks.size() && i < 2; ++i) {
        CEditMathChar* mark = marks[i];
        if (mark == nullptr)
            continue;
        mark->SetText(CStringW(texts[i]->c_str()));
        if (row.uprightMarks)
            mark->m_lf.lfItalic = 0;
        if (row.reducedMarks)
            mark->m_lf.lfHeight = ScriptSize(mark->m_lf.lfHeight);
    }
}

int HeightOf(Height height, int templateHeight, TEMPLATE_EDITOR editor)
{
    switch (height) {
    case Height::Template: return templateHeight;
    case Height::Script: return ScriptSize(templateHeight);
    case Height::NewSlotEndScript:
        return ScriptSize(editor == TEMPLATE_EDITOR::ProblemEditor ? CEditMathCR().m_lf.lfHeight : templateHeight);
    }
    return templateHeight;
}

std::unique_ptr<CEditFenced> MakeBracket(int height, const char16_t* open, const char16_t* close)
{
    auto bracket = std::make_unique<CEditFenced>();
    bracket->m_lf.lfHeight = height;
    bracket->CreateDefaultSlots();
    bracket->m_open->SetText(CStringW(open));
    bracket->m_close->SetText(CStringW(close));
    return bracket;
}

// Appends the row's slot list; a bracket pair in it is returned as the nested template.
CEditNode* AppendSlotList(CEditMathContainer* node, const std::vector<SLOT_ITEM>& slots, int height,
                          TEMPLATE_EDITOR editor)
{
    CEditNode* nested = nullptr;
    for (const SLOT_ITEM& item : slots) {
        std::unique_ptr<CEditNode> child;
        if (item.ch == kBracketPair) {
            child = MakeBracket(height, u"[", u"]");
            nested = child.get();
        } else {
            std::unique_ptr<CEditMathChar> character =
                item.ch == kEnd ? std::make_unique<CEditMathCR>() : std::make_unique<CEditMathChar>(item.ch);
            character->m_lf.lfHeight = HeightOf(item.height, height, editor);
            if (item.italic >= 0)
                character->m_lf.lfItalic = static_cast<BYTE>(item.italic);
            // The nodes are new: their face changes unrecorded.
            if (item.mincho)
                character->SetFaceName(kMsMinchoFace, nullptr);
            child = std::move(character);
        }
        if (node->AppendChild(child.get()) < 0)
            return nested;
        child.release();
    }
    return nested;
}

// The end of slot k, or null.
CEditNode* SlotEnd(CEditMathContainer* node, int slot)
{
    const int start = node->GetSlotStart(slot + 1);
    return start > 0 ? node->GetEditChild(start - 1) : nullptr;
}

bool AskSize(const TemplateSizeFunction& askSize, int* rows, int* columns)
{
    if (!askSize || !askSize(rows, columns))
        return false;
    // The dialogs refuse other counts; a count outside them builds nothing.
    return *rows >= 1 && *rows <= 99 && *columns >= 1 && *columns <= 99;
}

}  // namespace

bool IsFormulaTemplateCommand(int id)
{
    return (id >= 159 && id <= 187) || (id >= 191 && id <= 249) || (id >= 391 && id <= 393) || id == 431 || id == 432;
}

bool BuildFormulaTemplate(int id, int height, const TemplateSizeFunction& askSize, BUILT_TEMPLATE* built,
                          TEMPLATE_EDITOR editor)
{
    const TEMPLATE_ROW* row = FindRow(id);
    if (row == nullptr || built == nullptr)
        return false;
    if (row->form == Form::Chars) {
        for (char16_t c : row->first) {
            std::unique_ptr<CEditMathChar> character;
            if (c == kSigmaSign)
                character = std::make_unique<CEditSigma>();
            else if (c == kIntegralSign)
                character = std::make_unique<CEditIntegral>();
            else
                character = std::make_unique<CEditMathChar>(c);
            character->m_lf.lfHeight = height;
            if (row->uprightMarks)
                character->m_lf.lfItalic = 0;
            built->nodes.push_back(std::move(character));
        }
        return true;
    }

    int rows = row->rows;
    int columns = row->columns;
    const bool asks = row->extra == Extra::AskSize || row->extra == Extra::Ruled;
    if (asks && !AskSize(askSize, &rows, &columns))
        return false;

    std::unique_ptr<CEditMathContainer> node = row->make();
    node->m_lf.lfHeight = height;
    CEditNode* nested = nullptr;
    switch (row->form) {
    case Form::Node:
        CreateDefaultSlots(node.get());
        SetMarks(node.get(), *row);
        if (row->extra == Extra::Bevelled)
            static_cast<CEditFrac*>(node.get())->m_bevelled = 1;
        break;
    case Form::SlotList:
        nested = AppendSlotList(node.get(), row->slots, height, editor);
        break;
    case Form::Operator:
        SetMarks(node.get(), *row);
        static_cast<CEditOPresubSub*>(node.get())->m_symbol->m_lf = node->m_lf;
        static_cast<CEditOPresubSub*>(node.get())->m_symbol->m_lf.lfItalic = 0;
        AppendSlotList(node.get(), row->slots, height, editor);
        break;
    case Form::Matrix: {
        auto* matrix = static_cast<CEditMatrix*>(node.get());
        matrix->CreateDefaultSlots(rows, columns);
        if (row->extra == Extra::Ruled) {
            matrix->EditBorderRecord()->m_borderStyle = LineStyle::kSolid;
            matrix->EditBorderRecord()->m_borderWidth = 1;
        }
        if (row->extra == Extra::LongdivInLastCell) {
            auto longdiv = std::make_unique<CEditLongdiv>();
            longdiv->m_lf.lfHeight = height;
            longdiv->CreateDefaultSlots();
            CEditNode* cellEnd = SlotEnd(matrix, 3);
            if (cellEnd == nullptr || cellEnd->InsertBefore(longdiv.get()) < 0)
                return false;
            nested = longdiv.release();
        }
        break;
    }
    case Form::BraceRows: {
        CreateDefaultSlots(node.get());
        SetMarks(node.get(), *row);
        auto matrix = std::make_unique<CEditMatrix>();
        matrix->m_lf.lfHeight = node->m_lf.lfHeight;
        matrix->CreateDefaultSlots(rows, columns);
        matrix->m_textAlign = TextAlign::kLeft;
        if (node->InsertChildAt(0, matrix.get()) < 0)
            return false;
        nested = matrix.release();
        break;
    }
    case Form::Chars:
        break;
    }

    switch (row->caret) {
    case CaretAt::FirstInner: built->caret = node->GetFirstInner(); break;
    case CaretAt::Stays: built->caret = nullptr; break;
    case CaretAt::SlotEnd0: built->caret = SlotEnd(node.get(), 0); break;
    case CaretAt::SlotEnd1: built->caret = SlotEnd(node.get(), 1); break;
    case CaretAt::Nested: built->caret = nested != nullptr ? nested->GetFirstInner() : nullptr; break;
    }
    if (row->extra == Extra::LongdivInLastCell && nested != nullptr)
        built->caret = nested->GetFirstInner();
    built->nodes.push_back(std::move(node));
    return true;
}

bool InsertFormulaTemplate(int id, CCaret* caret, CUndoGroup* group, const FORMULA_TEMPLATE_SETTINGS& settings)
{
    CEditNode* caretNode = caret->m_caretNode;
    if (caretNode == nullptr)
        throw CEditError("no caret");
    CEditNode* parent = caretNode->GetEditParent();
    if (parent == nullptr || !parent->HasKindFlags(EditKind::kFormula)) {
        auto formula = std::make_unique<CEditMath>();
        formula->CreateDefaultSlots(settings.newFormulaFont);
        CEditNode* slotEnd = formula->GetFirstSlotEnd();
        if (slotEnd == nullptr)
            throw CEditError("a formula without its line end");
        InsertRecordedBefore(caretNode, std::move(formula), group);
        caret->m_caretNode = slotEnd;
        if (settings.typingFontFromNewFormula)
            caret->m_logFont = slotEnd->m_lf;
    }
    BUILT_TEMPLATE built;
    if (!BuildFormulaTemplate(id, caret->m_logFont.lfHeight, settings.askSize, &built, settings.editor))
        return false;
    CEditNode* before = caret->m_caretNode;
    for (std::unique_ptr<CEditNode>& node : built.nodes)
        InsertRecordedBefore(before, std::move(node), group);
    if (built.caret != nullptr)
        caret->m_caretNode = built.caret;
    return true;
}

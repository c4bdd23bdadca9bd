#include "export/word_writer.h"

#include "base/dib_helpers.h"
#include "base/element_classes.h"
#include "base/number_labels.h"
#include "base/property_records.h"
#include "export/convert_progress.h"
#include "export/gaiji_pass.h"
#include "export/word_steps.h"
#include "nodes/edit_char.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_object.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/edit_switches.h"
#include "nodes/edit_table.h"
#include "nodes/page_furniture.h"
#include "nodes/picture_node.h"
#include "nodes/question_numbers.h"
#include "nodes/ruby.h"
#include "nodes/run_decorations.h"
#include "platform/embedding.h"
#include "platform/global_memory.h"
#include "printfile/edit_to_fo.h"
#include "printfile/fo_fragment.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <span>
#include <string_view>

namespace {

// Word's values the export sends.
constexpr LONG kAlignJustify = 3;
constexpr LONG kLineSpacingMultiple = 3;
constexpr float kLineSpacing = 0.5f;
constexpr LONG kBaseLineCenter = 1;
constexpr LONG kSectionNewPage = 2;
constexpr LONG kPageBreak = 7;
constexpr LONG kGoToPage = 1;
constexpr LONG kGoToAbsolute = 2;
constexpr LONG kBorderTop = 1;
constexpr LONG kTextureSolid = -12;
constexpr LONG kColorBlack = 1;
constexpr char16_t kFullWidthSpace = u'\u3000';
constexpr char16_t kFormulaClass[] = u"Vumat.Document";
constexpr char16_t kKanbunClass[] = u"Tobel.Document";

struct WORD_COLOR {
    COLORREF color;
    LONG index;
};
constexpr WORD_COLOR WORD_COLOR_TABLE[] = {
    {0x000000, 1},  {0x000080, 13}, {0x0000FF, 6}, {0x008000, 11}, {0x008080, 14}, {0x00FF00, 4},
    {0x00FFFF, 7},  {0x800000, 9},  {0x800080, 12}, {0x808000, 10}, {0xFFFF00, 3}, {0x808080, 15},
    {0xC0C0C0, 16}, {0xFF0000, 2},  {0xFF00FF, 5}, {0xFFFFFF, 8},
};

// Word's underline for each style, normal and thick.
struct WORD_UNDERLINE {
    int style;
    LONG normal;
    LONG thick;
};
constexpr WORD_UNDERLINE WORD_UNDERLINE_TABLE[] = {
    {LineStyle::kSolid, 1, 6},      {LineStyle::kDouble, 3, 3},      {LineStyle::kDotted, 4, 20},
    {LineStyle::kDashed, 7, 23},    {LineStyle::kDotDash, 9, 25},    {LineStyle::kDotDotDash, 10, 26},
    {LineStyle::kWave, 11, 27},
};

// Whether a line break of the container ends a Word paragraph.
bool LineBreakTypesParagraph(const CEditNode* container, const EXPORT_NODE_CONTEXT& context)
{
    switch (static_cast<uint32_t>(container->GetKind())) {
    case EditKind::kSentence:
    case EditKind::kKimeiran:
    case EditKind::kGai:
        return true;
    case EditKind::kCell:
        return context.breakAtLineEnd != 0;
    default:
        return false;
    }
}

std::string FaceOf(const LOGFONTA& font) { return std::string(FaceNameView(font.lfFaceName)); }

// The character format with the default format of a new character.
void SetBlankFormat(const CWordDispatch& selection, const EXPORT_NODE_CONTEXT& context)
{
    const CEditChar blank(u' ');
    SetWordCharFormat(selection, &blank, context, 0);
}

void SetLeftIndent(const CWordDispatch& selection, int indent)
{
    CWordDispatch format(selection.GetParagraphFormat());
    format.SetLeftIndent(HmmToWordPoints(indent));
}

void SetBaseLineAlignment(const CWordDispatch& selection)
{
    CWordDispatch format(selection.GetParagraphFormat());
    format.SetBaseLineAlignment(kBaseLineCenter);
}

}  // namespace

LONG WordColorIndex(COLORREF color)
{
    for (const WORD_COLOR& entry : WORD_COLOR_TABLE)
        if (entry.color == color)
            return entry.index;
    return 0;
}

LONG WordUnderline(int style, int width)
{
    for (const WORD_UNDERLINE& entry : WORD_UNDERLINE_TABLE)
        if (entry.style == style)
            return width == 1 ? entry.normal : entry.thick;
    return 0;
}

float HmmToWordPoints(int length) { return static_cast<float>(length * (72.0 / 2540.0)); }

void SetWordCharFormat(const CWordDispatch& selection, const CEditNode* node, const EXPORT_NODE_CONTEXT& context,
                       int forceBlack)
{
    WordStep([&] {
        CWordDispatch font(selection.GetFont());
        std::string face = FaceOf(node->m_lf);
        if (!face.empty() && face[0] == '@')
            face.erase(0, 1);
        font.SetName(face.c_str());
        font.SetSize(static_cast<float>(std::abs(node->m_lf.lfHeight) * (72.0 / 2540.0)));
        font.SetColorIndex(forceBlack ? kColorBlack : WordColorIndex(node->m_color));
        font.SetBold(node->m_lf.lfWeight > 400 ? 1 : 0);
        font.SetItalic(node->m_lf.lfItalic ? 1 : 0);
        font.SetUnderline(WordUnderline(node->CharacterRecord().m_underlineStyle, node->CharacterRecord().m_underlineWidth));
        font.SetStrikeThrough(node->CharacterRecord().m_lineThroughStyle > 0 ? 1 : 0);
        font.SetScaling(node->FontRecord().m_fontWidth == 1 ? 50 : node->FontRecord().m_fontWidth == 2 ? 200 : 100);
        if (node->m_scriptPosition == ScriptPosition::kSubscript) {
            font.SetSubscript(1);
        } else if (node->m_scriptPosition == ScriptPosition::kSuperscript) {
            font.SetSuperscript(1);
        } else {
            font.SetSubscript(0);
            font.SetSuperscript(0);
        }
        CWordDispatch shading(font.GetShading());
        shading.SetBackgroundPatternColorIndex(WordColorIndex(node->BorderRecord().m_backgroundColor));
        const bool hatched = node->BorderRecord().m_backgroundPattern >= 1 && node->BorderRecord().m_backgroundPattern <= 6;
        shading.SetTexture(hatched ? kTextureSolid : 0);
        if (!context.noCharBorder) {
            CWordDispatch borders(font.GetBorders());
            CWordDispatch border(borders.BordersItem(kBorderTop));
            border.SetLineStyle(node->BorderRecord().m_borderStyle == 1 ? 1 : 0);
        }
    });
}

// --- the document

CWordDocumentWriter::CWordDocumentWriter(CEditPrint& root, CWordDispatch& document)
    : m_root(root), m_document(document), m_vertical(root.m_vertical != 0)
{
}

CWordDocumentWriter::~CWordDocumentWriter() { m_clipboard.Restore(); }

CWordDispatch CWordDocumentWriter::Selection() const
{
    CWordDispatch window(m_document.GetActiveWindow());
    CWordDispatch pane(window.GetActivePane());
    window.ReleaseDispatch();
    return CWordDispatch(pane.GetSelection());
}

void CWordDocumentWriter::WriteWordDocument(IConvertProgress& progress)
{
    const CWordDispatch selection = Selection();
    // The page layout is one step: a refused call leaves the rest of it out.
    WordStep([&] {
        int left = 0, top = 0, right = 0, bottom = 0;
        m_root.GetMargins(&left, &top, &right, &bottom);
        int width = 0, height = 0;
        m_root.GetPaperSize(&width, &height);
        CWordDispatch setup(m_document.GetPageSetup());
        CWordDispatch(setup.GetLineNumbering()).SetActive(0);
        setup.SetPageOrientation(0);
        setup.SetTopMargin(HmmToWordPoints(top));
        setup.SetBottomMargin(HmmToWordPoints(bottom));
        setup.SetLeftMargin(HmmToWordPoints(left));
        setup.SetRightMargin(HmmToWordPoints(right));
        setup.SetGutter(0.0f);
        setup.SetHeaderDistance(0.0f);
        setup.SetFooterDistance(0.0f);
        setup.SetPageWidth(HmmToWordPoints(width));
        setup.SetPageHeight(HmmToWordPoints(height));
        setup.SetFirstPageTray(0);
        setup.SetOtherPagesTray(0);
        setup.SetSectionStart(kSectionNewPage);
        setup.SetOddAndEvenPagesHeaderFooter(0);
        setup.SetDifferentFirstPageHeaderFooter(0);
        setup.SetVerticalAlignment(0);
        setup.SetSuppressEndnotes(0);
        setup.SetMirrorMargins(0);
        setup.SetTwoPagesOnOne(FALSE);
        setup.SetDispId131(0);
        selection.SetTextOrientation(m_vertical ? 1 : 0);
        CWordDispatch(CWordDispatch(m_document.GetPageSetup()).GetTextColumns())
            .SetCount(m_root.m_geometry.columnCount <= 1 ? 1 : 2);
        VARIANT start = VARIANT::Missing();
        VARIANT end = VARIANT::Missing();
        CWordDispatch whole(m_document.Range(&start, &end));
        whole.Select();
        CWordDispatch format(whole.GetParagraphFormat());
        format.SetLeftIndent(0.0f);
        format.SetRightIndent(0.0f);
        format.SetLineSpacingRule(kLineSpacingMultiple);
        format.SetLineSpacing(kLineSpacing);
        format.SetBaseLineAlignment(kBaseLineCenter);
    });

    ForEachVisibleBlock(m_root, progress, [&](CEditNode* block) {
        if (block->IsKind(EditKind::kSentence)) {
            auto* part = static_cast<CEditSentence*>(block);
            const CEditNode* lineBreak = part->GetFirstLineBreak();
            const auto* cr = dynamic_cast<const CEditCR*>(lineBreak);
            const int align = cr != nullptr ? cr->m_textAlign : -1;
            CWordDispatch(selection.GetParagraphFormat())
                .SetAlignment(align >= 0 && align <= 4 ? align : kAlignJustify);
            WriteWordNode(part, EXPORT_NODE_CONTEXT{part->m_savedIndent, 0, 1, 0});
        } else if (block->IsKind(EditKind::kGai)) {
            WriteWordNode(block, EXPORT_NODE_CONTEXT{0, 0, 1, 0});
            selection.TypeParagraph();
        } else if (block->IsKind(EditKind::kKaiPage)) {
            VARIANT type = VARIANT::Long(kPageBreak);
            selection.InsertBreak(&type);
        }
    });

    {
        CWordDispatch format(selection.GetParagraphFormat());
        format.SetLeftIndent(0.0f);
        format.SetRightIndent(0.0f);
    }
    if (m_root.m_geometry.columnCount <= 1) {
        const int pages = std::min(m_root.GetPageCount(), CEditPrint::kMaxPages);
        for (int page = 1; page <= pages; ++page) {
            if (!m_root.IsPageFlagged(page))
                continue;
            VARIANT what = VARIANT::Long(kGoToPage);
            VARIANT which = VARIANT::Long(kGoToAbsolute);
            VARIANT count = VARIANT::Missing();
            VARIANT name = VARIANT::Long(page);
            CWordDispatch(selection.GoTo(&what, &which, &count, &name));
            WriteWordNode(m_root.GetNameFieldTemplate(), EXPORT_NODE_CONTEXT{0, 0, 1, 0});
        }
    }
}

// --- nodes

struct CWordDocumentWriter::RUN {
    CStringW text;
    const CEditNode* format = nullptr;
};

int CWordDocumentWriter::WriteWordNode(CEditNode* node, EXPORT_NODE_CONTEXT context)
{
    if (node == nullptr || !node->IsVisible())
        return 0;
    WordStep([&] {
        const CWordDispatch selection = Selection();
        WordStep([&] {
            CWordDispatch(selection.GetFont()).SetName(kGaijiFace);
            selection.TypeText(u" ");
            selection.TypeBackspace();
        });
        if (node->IsKind(EditKind::kTable))
            WriteWordTable(static_cast<CEditTable*>(node), context);
        else if (IsContainerWritten(node))
            WriteChildren(node, selection, context);
    });
    return 1;
}

void CWordDocumentWriter::FlushRun(RUN& run, const CWordDispatch& selection, const EXPORT_NODE_CONTEXT& context)
{
    if (run.format == nullptr)
        return;
    SetWordCharFormat(selection, run.format, context, 0);
    const CStringW text = run.text;
    run = RUN();
    selection.TypeText(text.c_str());
}

void CWordDocumentWriter::TypeUnderlineLabel(const CWordDispatch& selection, const CEditNode* character)
{
    WordStep([&] {
        const CStringW label = RunLabelText(character);
        CWordDispatch font(selection.GetFont());
        font.SetName(std::string(FaceNameView(character->Numbering().m_renbanFace)).c_str());
        font.SetSize(10.5f);
        font.SetColorIndex(kColorBlack);
        font.SetBold(0);
        font.SetItalic(0);
        font.SetUnderline(0);
        font.SetStrikeThrough(0);
        font.SetScaling(100);
        // Raised beside vertical text, lowered below horizontal text.
        if (m_vertical) {
            font.SetSuperscript(1);
            selection.TypeText(label.c_str());
            font.SetSuperscript(0);
        } else {
            font.SetSubscript(1);
            selection.TypeText(label.c_str());
            font.SetSubscript(0);
        }
    });
}

void CWordDocumentWriter::WriteChildren(CEditNode* container, const CWordDispatch& selection,
                                        EXPORT_NODE_CONTEXT context)
{
    int indent = context.indent;
    RUN run;
    int labelType = 0;
    const int count = container->GetChildCount();
    for (int i = 0; i < count;) {
        CEditNode* child = container->GetEditChild(i);
        if (child == nullptr)
            return;  // a missing slot ends the node
        if (!child->IsVisible()) {
            ++i;
            continue;
        }
        const EXPORT_NODE_CONTEXT nested{indent, context.maskText, context.breakAtLineEnd, context.noCharBorder};
        if (IsFloatingFrame(child)) {
            // Written where it stands, before the characters gathered so far.
            WriteWordNode(child, nested);
            labelType = 0;
            ++i;
            continue;
        }
        if (container->IsKind(EditKind::kCyukai) && InTextAnswersVisible == 0)
            context.maskText = 1;
        if (!IsCharacter(child))
            FlushRun(run, selection, context);
        if (IsLineBreak(child)) {
            FlushRun(run, selection, context);
            if (LineBreakTypesParagraph(container, context))
                selection.TypeParagraph();
            SetLeftIndent(selection, indent);
            labelType = 0;
            ++i;
            continue;
        }
        if (IsCharacter(child)) {
            const int type = child->Numbering().m_renbanType;
            if (run.format != nullptr) {
                if (run.format->SameFormat(child) && (type == 0 || type == labelType)) {
                    run.text += RunText(child, context);
                    labelType = type;
                    ++i;
                } else {
                    // The run ends; the character starts the next one.
                    FlushRun(run, selection, context);
                }
                continue;
            }
            if (type != 0 && type != labelType)
                TypeUnderlineLabel(selection, child);
            run.text = RunText(child, context);
            run.format = child;
            labelType = type;
            ++i;
            continue;
        }
        const EXPORT_NODE_CONTEXT same{indent, context.maskText, context.breakAtLineEnd, context.noCharBorder};
        if (IsFormulaNode(child)) {
            WriteFormula(container, i, selection, context, indent);
        } else if (IsQuestionNumberLabel(child)) {
            WriteQuestionNumber(child, selection, context, &indent);
        } else if (child->IsKind(EditKind::kHaiten)) {
            const auto* points = static_cast<const CEditHaiten*>(child);
            if (points->m_info.p1 > 0 || points->m_info.p3 > 0) {
                SetWordCharFormat(selection, child, context, 0);
                selection.TypeText(child->GetText().c_str());
            }
        } else if (child->IsKind(EditKind::kCyukai) || child->IsKind(EditKind::kKasen)) {
            WriteWordNode(child, same);
        } else if (child->IsKind(EditKind::kRuby)) {
            WriteWordRuby(static_cast<CEditRuby*>(child), same);
        } else if (child->IsKind(EditKind::kTable)) {
            WriteWordBox(static_cast<CEditTable*>(child), same);
        } else if (child->IsKind(EditKind::kKan)) {
            const int consumed = WriteKanbun(container, i, selection, context, indent);
            i += consumed;
            child = container->GetEditChild(i);
        } else if (child->IsKind(EditKind::kGraphic)) {
            WritePicture(child, selection, context, indent);
        } else if (child->IsKind(EditKind::kObject)) {
            WriteObject(child, selection, context, indent);
        }
        labelType = child != nullptr ? child->Numbering().m_renbanType : 0;
        ++i;
    }
    // The content closes with a line break, which types the last run; a run still pending here
    // is typed too, so that no character is dropped.
    FlushRun(run, selection, context);
}

void CWordDocumentWriter::WriteQuestionNumber(CEditNode* label, const CWordDispatch& selection,
                                              const EXPORT_NODE_CONTEXT& context, int* indent)
{
    const auto* number = static_cast<const CEditQuestionNumber*>(label);
    std::optional<FramedNumber> framed;
    if (number->GetStyle() == 2)
        framed.emplace(label);
    CStringW text = label->GetText();
    if (!text.IsEmpty() && text.GetAt(0) == kFullWidthSpace) {
        SetBlankFormat(selection, context);
        selection.TypeText(u"\u3000");
        text.Delete(0, 1);
    }
    const bool minor = label->IsKind(EditKind::kMonno);
    bool trailingSpace = false;
    if (minor && text.GetLength() > 1 && text.GetAt(text.GetLength() - 1) == kFullWidthSpace) {
        text.Delete(text.GetLength() - 1, 1);
        trailingSpace = true;
    }
    SetWordCharFormat(selection, label, context, 1);
    selection.TypeText(text.c_str());
    if (trailingSpace) {
        SetBlankFormat(selection, context);
        selection.TypeText(u"\u3000");
    }
    CWordDispatch(selection.GetParagraphFormat()).SetLeftIndent(0.0f);
    // The following lines are indented by the number's width, from the next line break on.
    *indent = label->m_width;
}

void CWordDocumentWriter::PrepareClipboard() { m_clipboard.Take(); }

void CWordDocumentWriter::WritePicture(CEditNode* picture, const CWordDispatch& selection,
                                       const EXPORT_NODE_CONTEXT& context, int indent)
{
    SetBlankFormat(selection, context);
    WordStep([&] { SetLeftIndent(selection, indent); });
    HGLOBAL dib = CopyGlobalHandle(static_cast<CEditGraphic*>(picture)->GetDib());
    if (dib == nullptr)
        return;
    PrepareClipboard();
    bool copied = false;
    if (const void* bytes = GlobalLock(dib)) {
        copied = SetClipboardDib(std::span<const BYTE>(static_cast<const BYTE*>(bytes), GlobalSize(dib)));
        GlobalUnlock(dib);
    }
    GlobalFree(dib);
    // A picture that cannot go to the clipboard is not pasted: Word would paste what was there.
    if (!copied)
        return;
    selection.Paste();
    WordStep([&] {
        CWordDispatch shapes(m_document.GetInlineShapes());
        CWordDispatch shape(shapes.InlineShapesItem(shapes.GetCount()));
        shape.SetShapeWidth(HmmToWordPoints(picture->m_width));
        shape.SetShapeHeight(HmmToWordPoints(picture->m_height));
    });
    WordStep([&] { SetBaseLineAlignment(selection); });
}

void CWordDocumentWriter::WriteObject(CEditNode* object, const CWordDispatch& selection,
                                      const EXPORT_NODE_CONTEXT& context, int indent)
{
    SetBlankFormat(selection, context);
    WordStep([&] { SetLeftIndent(selection, indent); });
    const COleClientItem* item = static_cast<CEditObject*>(object)->GetClientItem();
    if (!IsBlankItem(item)) {
        PrepareClipboard();
        if (item->CopyToClipboard())
            selection.Paste();
    }
    WordStep([&] { SetBaseLineAlignment(selection); });
}

void CWordDocumentWriter::WriteFormula(CEditNode* container, int index, const CWordDispatch& selection,
                                       const EXPORT_NODE_CONTEXT& context, int indent)
{
    WordStep([&] {
        SetBlankFormat(selection, context);
        SetLeftIndent(selection, indent);
        CEditNode* formula = container->GetEditChild(index);
        const CEditBox* box = BoxOf(container, formula);
        if (box == nullptr)
            throw COleException(E_POINTER);  // no layout: the formula is left out
        InsertFragment(container, {index}, box->m_width - indent, box->m_height, true, selection);
    });
}

int CWordDocumentWriter::WriteKanbun(CEditNode* container, int index, const CWordDispatch& selection,
                                     const EXPORT_NODE_CONTEXT& context, int indent)
{
    const KANBUN_PASSAGE passage = GatherKanbunPassage(container, index);
    WordStep([&] {
        SetBlankFormat(selection, context);
        SetLeftIndent(selection, indent);
        const CEditBox* box = BoxOf(container, container->GetEditChild(index));
        if (box == nullptr)
            throw COleException(E_POINTER);  // no layout: the passage is left out
        InsertFragment(container, passage.indexes, box->m_width - indent, box->m_height, false, selection);
    });
    if (passage.returnDue)
        selection.TypeParagraph();
    return passage.next - index - 1;
}

void CWordDocumentWriter::InsertFragment(CEditNode* container, const std::vector<int>& indexes, int width,
                                         int height, bool formula, const CWordDispatch& selection)
{
    const CExportTempFile file =
        WriteFragmentFile(container, indexes, width, height, formula, m_vertical, m_temp.Folder());
    VARIANT classType = VARIANT::String(formula ? kFormulaClass : kKanbunClass);
    VARIANT fileName = VARIANT::String(Utf8ToUtf16(file.Path()));
    VARIANT link = VARIANT::Bool(false);
    VARIANT icon = VARIANT::Bool(false);
    VARIANT missing[4] = {VARIANT::Missing(), VARIANT::Missing(), VARIANT::Missing(), VARIANT::Missing()};
    CWordDispatch shapes(selection.GetInlineShapes());
    CWordDispatch(shapes.AddOLEObject({&classType, &fileName, &link, &icon, &missing[0], &missing[1], &missing[2],
                                       &missing[3]}));
}

void ExportWordDocument(CEditPrint& root, CWordDispatch& document, XML_BUILD_CONTEXT&, IConvertProgress& progress)
{
    // The writer reads every block's lines and boxes: the blocks still waiting are paginated first.
    root.FinishPagination();
    CWordDocumentWriter writer(root, document);
    writer.WriteWordDocument(progress);
}

// The Ichitaro document writer: the document style, the blocks of the paper in order and the
// name fields at the head of their pages.
#include "export/taro_steps.h"
#include "export/taro_writer.h"

#include "export/convert_progress.h"
#include "export/word_steps.h"
#include "nodes/edit_char.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"

#include <algorithm>

using namespace taro;

namespace {

// The paper classes, largest first: above the long and short sides of the class below.
struct TARO_PAPER {
    const char16_t* portrait;
    const char16_t* landscape;
};
constexpr TARO_PAPER kB4{u"B4 単票・縦方向", u"B4 単票・横方向"};
constexpr TARO_PAPER kA4{u"A4 単票・縦方向", u"A4 単票・横方向"};
constexpr TARO_PAPER kB5{u"B5 単票・縦方向", u"B5 単票・横方向"};
constexpr int kA4Long = 29700;
constexpr int kA4Short = 21000;
constexpr int kB5Long = 25700;
constexpr int kB5Short = 18200;

// The layout direction codes.
constexpr int kDirectionHorizontal = 1;
constexpr int kDirectionVertical = 2;

// Alignment codes of a paragraph's line end.
constexpr int kAlignLeft = 0;
constexpr int kAlignCentre = 1;
constexpr int kAlignRight = 2;

void WriteDocumentStyle(const CTaroDispatch& library, const CEditPrint& root)
{
    library.DocumentStyleFont({S(u"ＭＳ 明朝"), S(u"標準"), S(u"Times New Roman"), S(u"標準"), L(11), R(10.5), L(3),
                               L(100), L(100)});
    library.DocumentStyleLayout({L(40), L(40), R(root.CharacterRecord().m_letterSpacing * 0.01), R((2 * root.m_lineSpacing) * 0.01),
                                 L(1), L(root.m_vertical ? kDirectionVertical : kDirectionHorizontal), L(0)});
    if (const auto paper = IchitaroPaperName(root.m_vertical, root.m_geometry.height, root.m_geometry.width))
        library.DocumentStylePaper({S(*paper)});
    library.DocumentStyleDoubleLeaf({L(0), M(), L(1), L(1), L(0)});
    int left = 0, top = 0, right = 0, bottom = 0;
    root.GetMargins(&left, &top, &right, &bottom);
    library.DocumentStyleMargin({L(top / 100), L(bottom / 100), L(left / 100), L(right / 100), L(1)});
    library.DocumentStyleRoman({L(0), L(0), L(0), L(0), L(1), L(0), L(0), L(0), L(1), M(), M(), L(0), L(1), L(1),
                                L(2), L(0), L(1)});
    library.DocumentStylePage(WithMissing({L(0), L(0), L(1), S(u"- ? -"), L(0), L(0), L(1)}, 11));
    library.DocumentStylePageDecoration({L(0), M(), L(1), L(0), M(), L(1), L(0), M(), L(1), L(0), M(), L(1), L(0),
                                         L(0), L(1)});
    library.SetDocumentStyle();
    if (root.m_geometry.columnCount > 1)
        library.Columns({L(root.m_geometry.columnCount)});
    library.Jump({L(1), L(1), L(1)});
    WordStep([&] {
        if (IsIntegerOne(library.GetLineType()))
            library.Indent({L(0), L(0), L(0), L(0), L(0), L(1)});
    });
}

// A question part's alignment, set on a blank typed at its start: left, centre or right only.
void WriteAlignment(const CTaroDispatch& library, CEditSentence* part)
{
    WordStep([&] {
        const auto* lineEnd = dynamic_cast<const CEditCR*>(part->GetFirstLineBreak());
        if (lineEnd == nullptr)
            return;
        const int align = lineEnd->m_textAlign;
        if (align != kAlignLeft && align != kAlignCentre && align != kAlignRight)
            return;
        library.Insert({S(u" ")});
        library.SelectRangeStart({L(1)});
        library.CursorLeft({L(1)});
        if (align == kAlignLeft)
            library.FormatLeft();
        else if (align == kAlignCentre)
            library.FormatCenter({M()});
        else
            library.FormatRight({M()});
        library.CancelSelectRange();
    });
}

}  // namespace

std::optional<std::u16string> IchitaroPaperName(int vertical, int paperHeight, int paperWidth)
{
    // Vertical writing stores the sides exchanged.
    const int tall = vertical ? paperWidth : paperHeight;
    const int wide = vertical ? paperHeight : paperWidth;
    const bool portrait = tall >= wide;
    const int longSide = std::max(tall, wide);
    const int shortSide = std::min(tall, wide);
    const TARO_PAPER* paper = nullptr;
    if (longSide > kA4Long && shortSide > kA4Short)
        paper = &kB4;
    else if (longSide > kB5Long && longSide <= kA4Long && shortSide > kB5Short && shortSide <= kA4Short)
        paper = &kA4;
    else if (longSide <= kB5Long && shortSide <= kB5Short)
        paper = &kB5;
    if (paper == nullptr)
        return std::nullopt;
    return std::u16string(portrait ? paper->portrait : paper->landscape);
}

CTaroDocumentWriter::CTaroDocumentWriter(CEditPrint& root, const CTaroDispatch& library)
    : m_root(root), m_library(library)
{
}

CTaroDocumentWriter::~CTaroDocumentWriter() { m_clipboard.Restore(); }

void CTaroDocumentWriter::WriteIchitaroDocument(IConvertProgress& progress)
{
    WriteDocumentStyle(m_library, m_root);

    ForEachVisibleBlock(m_root, progress, [&](CEditNode* block) {
        if (block->IsKind(EditKind::kSentence)) {
            auto* part = static_cast<CEditSentence*>(block);
            WriteAlignment(m_library, part);
            EXPORT_NODE_CONTEXT context{part->m_savedIndent, 0, 1, 0};
            WriteIchitaroNode(part, context);
        } else if (block->IsKind(EditKind::kGai)) {
            EXPORT_NODE_CONTEXT context{0, 0, 1, 0};
            WriteIchitaroNode(block, context);
            m_library.InsertReturn({L(1), L(1)});
        } else if (block->IsKind(EditKind::kKaiPage)) {
            m_library.InsertPage({L(1)});
        }
    });

    // Name fields only on a paper of one column: Ichitaro's columns have no room for them. The
    // layer holds the name field of each flagged page, in page order.
    if (m_root.m_geometry.columnCount > 1)
        return;
    CEditNode* layer = m_root.GetNameFieldLayer();
    const int pages = std::min(m_root.GetPageCount(), CEditPrint::kMaxPages);
    int flagged = 0;
    for (int page = 1; page <= pages; ++page) {
        if (!m_root.IsPageFlagged(page))
            continue;
        CEditNode* nameField = layer->GetEditChild(flagged++);
        if (nameField == nullptr)
            nameField = m_root.GetNameFieldTemplate();
        m_library.Jump({L(page), L(1), L(1)});
        EXPORT_NODE_CONTEXT context{0, 0, 1, 0};
        WriteIchitaroNode(nameField, context);
    }
}

void ExportIchitaroDocument(CEditPrint& root, CTaroDispatch& library, XML_BUILD_CONTEXT&, IConvertProgress& progress)
{
    // The writer reads every block's lines and boxes: the blocks still waiting are paginated first.
    root.FinishPagination();
    CTaroDocumentWriter writer(root, library);
    writer.WriteIchitaroDocument(progress);
}

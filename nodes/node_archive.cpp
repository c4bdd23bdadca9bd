#include "nodes/node_archive.h"

#include "nodes/edit_char.h"
#include "nodes/edit_container.h"
#include "nodes/edit_print.h"
#include "nodes/edit_object.h"
#include "nodes/edit_sentence.h"
#include "nodes/inline_node_classes.h"
#include "nodes/page_furniture.h"
#include "nodes/question_numbers.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/memory_file.h"
#include "platform/xml.h"

#include <cstring>
#include <new>

namespace {

// Little-endian fields into a fixed image, in order.
class ImageWriter {
public:
    explicit ImageWriter(std::span<BYTE> image) : m_image(image) { std::memset(m_image.data(), 0, m_image.size()); }

    void Int(int32_t value)
    {
        const auto u = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            m_image[m_at++] = static_cast<BYTE>(u >> shift);
    }
    void Byte(BYTE value) { m_image[m_at++] = value; }
    void Bytes(const void* data, size_t count)
    {
        std::memcpy(m_image.data() + m_at, data, count);
        m_at += count;
    }
    void Skip(size_t count) { m_at += count; }
    void Rect(const RECT& r)
    {
        Int(r.left);
        Int(r.top);
        Int(r.right);
        Int(r.bottom);
    }

private:
    std::span<BYTE> m_image;
    size_t m_at = 0;
};

class ImageReader {
public:
    explicit ImageReader(std::span<const BYTE> image) : m_image(image) {}

    int32_t Int()
    {
        uint32_t u = 0;
        for (int shift = 0; shift < 32; shift += 8)
            u |= static_cast<uint32_t>(m_image[m_at++]) << shift;
        return static_cast<int32_t>(u);
    }
    BYTE Byte() { return m_image[m_at++]; }
    void Bytes(void* data, size_t count)
    {
        std::memcpy(data, m_image.data() + m_at, count);
        m_at += count;
    }
    void Skip(size_t count) { m_at += count; }
    RECT Rect()
    {
        RECT r;
        r.left = Int();
        r.top = Int();
        r.right = Int();
        r.bottom = Int();
        return r;
    }

private:
    std::span<const BYTE> m_image;
    size_t m_at = 0;
};

bool FaceIsTerminated(const char (&face)[LF_FACESIZE])
{
    return std::memchr(face, 0, LF_FACESIZE) != nullptr;
}

void WriteLogFont(ImageWriter& w, const LOGFONTA& f)
{
    w.Int(f.lfHeight);
    w.Int(f.lfWidth);
    w.Int(f.lfEscapement);
    w.Int(f.lfOrientation);
    w.Int(f.lfWeight);
    for (BYTE b : {f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfCharSet, f.lfOutPrecision, f.lfClipPrecision,
                   f.lfQuality, f.lfPitchAndFamily})
        w.Byte(b);
    w.Bytes(f.lfFaceName, LF_FACESIZE);
}

bool ReadLogFont(ImageReader& r, LOGFONTA& f)
{
    f.lfHeight = r.Int();
    f.lfWidth = r.Int();
    f.lfEscapement = r.Int();
    f.lfOrientation = r.Int();
    f.lfWeight = r.Int();
    for (BYTE* b : {&f.lfItalic, &f.lfUnderline, &f.lfStrikeOut, &f.lfCharSet, &f.lfOutPrecision, &f.lfClipPrecision,
                    &f.lfQuality, &f.lfPitchAndFamily})
        *b = r.Byte();
    r.Bytes(f.lfFaceName, LF_FACESIZE);
    return FaceIsTerminated(f.lfFaceName);
}

// TEXTMETRICA: eleven ints, nine bytes, three bytes of padding.
void WriteTextMetrics(ImageWriter& w, const TEXTMETRICA& t)
{
    for (LONG v : {t.tmHeight, t.tmAscent, t.tmDescent, t.tmInternalLeading, t.tmExternalLeading, t.tmAveCharWidth,
                   t.tmMaxCharWidth, t.tmWeight, t.tmOverhang, t.tmDigitizedAspectX, t.tmDigitizedAspectY})
        w.Int(v);
    for (BYTE b : {t.tmFirstChar, t.tmLastChar, t.tmDefaultChar, t.tmBreakChar, t.tmItalic, t.tmUnderlined,
                   t.tmStruckOut, t.tmPitchAndFamily, t.tmCharSet})
        w.Byte(b);
    w.Skip(3);
}

void ReadTextMetrics(ImageReader& r, TEXTMETRICA& t)
{
    for (LONG* v : {&t.tmHeight, &t.tmAscent, &t.tmDescent, &t.tmInternalLeading, &t.tmExternalLeading,
                    &t.tmAveCharWidth, &t.tmMaxCharWidth, &t.tmWeight, &t.tmOverhang, &t.tmDigitizedAspectX,
                    &t.tmDigitizedAspectY})
        *v = r.Int();
    for (BYTE* b : {&t.tmFirstChar, &t.tmLastChar, &t.tmDefaultChar, &t.tmBreakChar, &t.tmItalic, &t.tmUnderlined,
                    &t.tmStruckOut, &t.tmPitchAndFamily, &t.tmCharSet})
        *b = r.Byte();
    r.Skip(3);
}

void WriteProperties(ImageWriter& w, const CEditProperties& p)
{
    for (int32_t v : {p.m_vertical, p.m_hidden, p.m_dirty, p.m_caretStop, p.m_modified, p.m_width, p.m_height,
                      p.m_ascent, p.m_axis})
        w.Int(v);
    w.Rect(p.m_rcLayout);
    w.Int(p.m_ptText.x);
    w.Int(p.m_ptText.y);
    w.Int(p.m_extra[0]);
    w.Int(p.m_extra[1]);
    w.Rect(p.m_rcHit);
    WriteLogFont(w, p.m_lf);
    WriteTextMetrics(w, p.m_tm.Get());
    WriteTextMetrics(w, p.m_tm2.Get());
    for (int32_t v : {p.m_lineIndex, p.m_indexInLine, p.m_boxIndex, p.m_page})
        w.Int(v);
}

bool ReadProperties(ImageReader& r, CEditProperties& p)
{
    for (int32_t* v : {&p.m_vertical, &p.m_hidden, &p.m_dirty, &p.m_caretStop, &p.m_modified, &p.m_width,
                       &p.m_height, &p.m_ascent, &p.m_axis})
        *v = r.Int();
    p.m_rcLayout = r.Rect();
    p.m_ptText.x = r.Int();
    p.m_ptText.y = r.Int();
    p.m_extra[0] = r.Int();
    p.m_extra[1] = r.Int();
    p.m_rcHit = r.Rect();
    const bool faceOk = ReadLogFont(r, p.m_lf);
    TEXTMETRICA metrics{};
    ReadTextMetrics(r, metrics);
    p.m_tm = metrics;
    metrics = TEXTMETRICA{};
    ReadTextMetrics(r, metrics);
    p.m_tm2 = metrics;
    for (int32_t* v : {&p.m_lineIndex, &p.m_indexInLine, &p.m_boxIndex, &p.m_page})
        *v = r.Int();
    return faceOk;
}

// The line record's own fields after its layout head, in stored order.
std::array<int32_t*, 14> LineFields(EDIT_LINE& l)
{
    return {&l.m_first, &l.m_last, &l.m_count, &l.m_textCount, &l.m_aboveAxis, &l.m_belowAxis, &l.m_descent,
            &l.m_indent, &l.m_spaces, &l.m_slack, &l.m_wrapped, &l.m_movedWord, &l.m_reserved, &l.m_maxFontSize};
}

// --- records as blocks of the node stream

template <size_t N>
void WriteImageBlock(CArchive& ar, const std::array<BYTE, N>& image)
{
    ar.WriteBlock(image.data(), static_cast<uint32_t>(N));
}

template <size_t N>
std::array<BYTE, N> ReadImageBlock(CArchive& ar)
{
    std::array<BYTE, N> image{};
    ar.ReadBlock(image.data(), static_cast<uint32_t>(N));
    return image;
}

// Blocks of int32 fields.
template <size_t N>
void WriteIntBlock(CArchive& ar, const std::array<int32_t, N>& values)
{
    std::array<BYTE, N * 4> image{};
    ImageWriter w(image);
    for (int32_t v : values)
        w.Int(v);
    WriteImageBlock(ar, image);
}

template <size_t N>
std::array<int32_t, N> ReadIntBlock(CArchive& ar)
{
    const std::array<BYTE, N * 4> image = ReadImageBlock<N * 4>(ar);
    ImageReader r(image);
    std::array<int32_t, N> values{};
    for (int32_t& v : values)
        v = r.Int();
    return values;
}

constexpr uint32_t kFontRecordSize = 48;

void WriteFontRecord(CArchive& ar, const CFontProperties& font)
{
    std::array<BYTE, kFontRecordSize> image{};
    ImageWriter w(image);
    w.Bytes(font.m_fontFace, LF_FACESIZE);
    for (int32_t v : {font.m_fontSize, font.m_fontWidth, font.m_fontItalic, font.m_fontWeight})
        w.Int(v);
    WriteImageBlock(ar, image);
}

void ReadFontRecord(CArchive& ar, CFontProperties& font)
{
    const auto image = ReadImageBlock<kFontRecordSize>(ar);
    ImageReader r(image);
    r.Bytes(font.m_fontFace, LF_FACESIZE);
    if (!FaceIsTerminated(font.m_fontFace))
        ar.ThrowException(CArchiveException::genericException);
    for (int32_t* v : {&font.m_fontSize, &font.m_fontWidth, &font.m_fontItalic, &font.m_fontWeight})
        *v = r.Int();
}

void WriteColorRecord(CArchive& ar, const CColorRelatedProperties& color)
{
    WriteIntBlock<1>(ar, {static_cast<int32_t>(color.m_color)});
}

void ReadColorRecord(CArchive& ar, CColorRelatedProperties& color)
{
    color.m_color = static_cast<COLORREF>(ReadIntBlock<1>(ar)[0]);
}

void WriteBorderRecord(CArchive& ar, const CBorderPaddingBackgroundProperties& b)
{
    WriteIntBlock<8>(ar, {static_cast<int32_t>(b.m_backgroundColor), b.m_backgroundPattern, b.m_borderStyle,
                          b.m_borderWidth, b.m_beforeStyle, b.m_beforeWidth, b.m_afterStyle, b.m_afterWidth});
}

void ReadBorderRecord(CArchive& ar, CBorderPaddingBackgroundProperties& b)
{
    const auto v = ReadIntBlock<8>(ar);
    b.m_backgroundColor = static_cast<COLORREF>(v[0]);
    b.m_backgroundPattern = v[1];
    b.m_borderStyle = v[2];
    b.m_borderWidth = v[3];
    b.m_beforeStyle = v[4];
    b.m_beforeWidth = v[5];
    b.m_afterStyle = v[6];
    b.m_afterWidth = v[7];
}

void WriteLogFontBlock(CArchive& ar, const LOGFONTA& font)
{
    WriteImageBlock(ar, LogFontToImage(font));
}

void ReadLogFontBlock(CArchive& ar, LOGFONTA& font)
{
    const LogFontImage image = ReadImageBlock<kLogFontImageSize>(ar);
    if (!LogFontFromImage(image, font))
        ar.ThrowException(CArchiveException::genericException);
}

// The fields of the node part, read into one place before any is applied.
struct NODE_FIELDS {
    CEditProperties layout;
    CFontProperties font;
    CColorRelatedProperties color;
    CBorderPaddingBackgroundProperties border;
    CAreaAlignmentProperties alignment;
    CAreaDimensionProperties dimension;
    CCharacterProperties character;
    int32_t force = 0;
    int32_t type = 0;
    char face[LF_FACESIZE] = {};
    int32_t labelSize = 0;
    CStringW label;
    int32_t leftOverhang = 0;
    int32_t rightOverhang = 0;
};

void ReadNodeFields(CArchive& ar, NODE_FIELDS& f)
{
    const EditPropertiesImage layout = ReadImageBlock<kEditPropertiesImageSize>(ar);
    if (!EditPropertiesFromImage(layout, f.layout))
        ar.ThrowException(CArchiveException::genericException);
    ReadFontRecord(ar, f.font);
    ReadColorRecord(ar, f.color);
    ReadBorderRecord(ar, f.border);
    ReadImageBlock<1>(ar);  // the inline margin: overwritten by the area alignment's first int
    const auto alignment = ReadIntBlock<2>(ar);
    f.alignment.m_alignReserved = alignment[0];
    f.alignment.m_scriptPosition = alignment[1];
    const auto dimension = ReadIntBlock<2>(ar);
    f.dimension.m_areaWidth = dimension[0];
    f.dimension.m_areaHeight = dimension[1];
    const auto c = ReadIntBlock<7>(ar);
    f.character.m_charReserved1 = c[0];
    f.character.m_letterSpacing = c[1];
    f.character.m_charReserved2 = c[2];
    f.character.m_underlineWidth = c[3];
    f.character.m_lineThroughWidth = c[4];
    f.character.m_underlineStyle = c[5];
    f.character.m_lineThroughStyle = c[6];
    ar >> f.force >> f.type;
    ReadFaceBytes(ar, f.face);
    ar >> f.labelSize;
    f.label.Serialize(ar);
    ar >> f.leftOverhang >> f.rightOverhang;
}

// Whether every node of the subtree is an editing node.
bool IsEditingSubtree(const CQNXMLNode* node)
{
    if (dynamic_cast<const CEditNode*>(node) == nullptr)
        return false;
    for (int i = 0; i < node->GetChildCount(); ++i) {
        if (!IsEditingSubtree(node->GetChildAt(i)))
            return false;
    }
    return true;
}

// Node lists come from other programs' bytes, and their names and texts end up in the print
// file, which cannot carry a control character: a node holding one anywhere is refused.
bool FaceIsXmlText(const char (&face)[LF_FACESIZE]) { return IsXmlText(Cp932ToWide(FaceNameView(face))); }

bool HoldsOnlyXmlText(const CQNXMLNode* node)
{
    if (!IsXmlText(node->GetText().View()))
        return false;
    if (const auto* edit = dynamic_cast<const CEditNode*>(node)) {
        if (!FaceIsXmlText(edit->m_lf.lfFaceName) || !FaceIsXmlText(edit->FontRecord().m_fontFace) ||
            !FaceIsXmlText(edit->Numbering().m_renbanFace) || !IsXmlText(edit->Numbering().m_renbanString.View()))
            return false;
    }
    for (int i = 0; i < node->GetChildCount(); ++i) {
        if (!HoldsOnlyXmlText(node->GetChildAt(i)))
            return false;
    }
    return true;
}

UINT NodeListFormat()
{
    static const UINT format = RegisterClipboardFormat(kNodeListClipboardFormatName);
    return format;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Record images

EditPropertiesImage EditPropertiesToImage(const CEditProperties& record)
{
    EditPropertiesImage image{};
    ImageWriter w(image);
    WriteProperties(w, record);
    return image;
}

bool EditPropertiesFromImage(std::span<const BYTE, kEditPropertiesImageSize> image, CEditProperties& record)
{
    ImageReader r(image);
    return ReadProperties(r, record);
}

EditLineImage EditLineToImage(const EDIT_LINE& line)
{
    EditLineImage image{};
    ImageWriter w(image);
    WriteProperties(w, line);
    EDIT_LINE copy = line;
    for (const int32_t* field : LineFields(copy))
        w.Int(*field);
    return image;
}

bool EditLineFromImage(std::span<const BYTE, kEditLineImageSize> image, EDIT_LINE& line)
{
    ImageReader r(image);
    const bool ok = ReadProperties(r, line);
    for (int32_t* field : LineFields(line))
        *field = r.Int();
    return ok;
}

LogFontImage LogFontToImage(const LOGFONTA& font)
{
    LogFontImage image{};
    ImageWriter w(image);
    WriteLogFont(w, font);
    return image;
}

bool LogFontFromImage(std::span<const BYTE, kLogFontImageSize> image, LOGFONTA& font)
{
    ImageReader r(image);
    return ReadLogFont(r, font);
}

void WriteFaceBytes(CArchive& ar, const char (&face)[LF_FACESIZE])
{
    ar.Write(face, LF_FACESIZE);
}

void ReadFaceBytes(CArchive& ar, char (&face)[LF_FACESIZE])
{
    char bytes[LF_FACESIZE];
    ar.ReadExact(bytes, LF_FACESIZE);
    if (!FaceIsTerminated(bytes))
        ar.ThrowException(CArchiveException::genericException);
    std::memcpy(face, bytes, LF_FACESIZE);
}

// ---------------------------------------------------------------------------------------------
// Stream forms

void CEditNode::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        WriteImageBlock(ar, EditPropertiesToImage(*this));
        WriteFontRecord(ar, FontRecord());
        WriteColorRecord(ar, *this);
        WriteBorderRecord(ar, BorderRecord());
        const BYTE inlineMargin = static_cast<BYTE>(m_alignReserved);
        ar.WriteBlock(&inlineMargin, 1);
        WriteIntBlock<2>(ar, {m_alignReserved, m_scriptPosition});
        WriteIntBlock<2>(ar, {m_areaWidth, m_areaHeight});
        WriteIntBlock<7>(ar, {CharacterRecord().m_charReserved1, CharacterRecord().m_letterSpacing, CharacterRecord().m_charReserved2, CharacterRecord().m_underlineWidth,
                              CharacterRecord().m_lineThroughWidth, CharacterRecord().m_underlineStyle, CharacterRecord().m_lineThroughStyle});
        ar << int32_t(Numbering().m_renbanForce) << int32_t(Numbering().m_renbanType);
        WriteFaceBytes(ar, Numbering().m_renbanFace);
        ar << int32_t(Numbering().m_renbanSize);
        CStringW label = Numbering().m_renbanString;
        label.Serialize(ar);
        ar << int32_t(m_leftOverhang) << int32_t(m_rightOverhang);
        CQNXMLNode::Serialize(ar);
        return;
    }
    auto fields = std::make_unique<NODE_FIELDS>();
    ReadNodeFields(ar, *fields);
    CQNXMLNode::Serialize(ar);
    // Everything is read; from here on nothing fails.
    static_cast<CEditProperties&>(*this) = fields->layout;
    SetFontRecord(fields->font);
    static_cast<CColorRelatedProperties&>(*this) = fields->color;
    SetBorderRecord(fields->border);
    static_cast<CAreaAlignmentProperties&>(*this) = fields->alignment;
    static_cast<CAreaDimensionProperties&>(*this) = fields->dimension;
    SetCharacterRecord(fields->character);
    CKasenRenbanProperties numbering = Numbering();
    numbering.m_renbanForce = fields->force;
    numbering.m_renbanType = fields->type;
    std::memcpy(numbering.m_renbanFace, fields->face, LF_FACESIZE);
    numbering.m_renbanSize = fields->labelSize;
    numbering.m_renbanString = std::move(fields->label);
    SetNumbering(numbering);
    m_leftOverhang = fields->leftOverhang;
    m_rightOverhang = fields->rightOverhang;
}

void CEditChar::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << int32_t(m_state);
        WriteLogFontBlock(ar, m_lf);
        WriteFontRecord(ar, FontRecord());
        WriteColorRecord(ar, *this);
        WriteBorderRecord(ar, BorderRecord());
        CEditNode::Serialize(ar);
        return;
    }
    // The font, colour and border records stand again in the node part, whose copies are the
    // ones kept; these are checked and dropped.
    int32_t state = 0;
    ar >> state;
    LOGFONTA font{};
    ReadLogFontBlock(ar, font);
    CFontProperties fontRecord;
    ReadFontRecord(ar, fontRecord);
    CColorRelatedProperties color;
    ReadColorRecord(ar, color);
    CBorderPaddingBackgroundProperties border;
    ReadBorderRecord(ar, border);
    CEditNode::Serialize(ar);
    m_state = state;
}

void CEditCR::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        WriteIntBlock<4>(ar, {m_lineReserved1, m_lineSpacing, m_lineReserved2, m_textAlign});
        CEditChar::Serialize(ar);
        return;
    }
    const auto line = ReadIntBlock<4>(ar);
    CEditChar::Serialize(ar);
    m_lineReserved1 = line[0];
    m_lineSpacing = line[1];
    m_lineReserved2 = line[2];
    m_textAlign = line[3];
}

void CEditContainer::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        WriteIntBlock<4>(ar, {m_marginLeft, m_marginTop, m_marginRight, m_marginBottom});
        WriteIntBlock<4>(ar, {m_lineReserved1, m_lineSpacing, m_lineReserved2, m_textAlign});
        ar << int32_t(m_boxes.size());
        for (const auto& box : m_boxes) {
            const int count = box != nullptr ? box->GetLineCount() : 0;
            ar.WriteCount(static_cast<DWORD>(count));
            // Lines go as raw images, without a block length.
            for (int i = 0; i < count; ++i) {
                const EditLineImage image = EditLineToImage(box->GetLine(i));
                ar.Write(image.data(), image.size());
            }
        }
        CEditNode::Serialize(ar);
        return;
    }
    const auto margins = ReadIntBlock<4>(ar);
    const auto line = ReadIntBlock<4>(ar);
    int32_t boxCount = 0;
    ar >> boxCount;
    // A box takes at least its two-byte line count.
    if (boxCount < 0 || static_cast<uint64_t>(boxCount) * 2 > ar.BytesLeft())
        ar.ThrowException(CArchiveException::genericException);
    std::vector<std::unique_ptr<CEditBox>> boxes;
    boxes.reserve(static_cast<size_t>(boxCount));
    for (int32_t b = 0; b < boxCount; ++b) {
        const DWORD lineCount = ar.ReadCount();
        ar.CheckAvailable(uint64_t(lineCount) * kEditLineImageSize);
        auto box = std::make_unique<CEditBox>();
        for (DWORD i = 0; i < lineCount; ++i) {
            EditLineImage image{};
            ar.ReadExact(image.data(), image.size());
            EDIT_LINE record;
            if (!EditLineFromImage(image, record))
                ar.ThrowException(CArchiveException::genericException);
            box->SetLineAtGrow(static_cast<int>(i), record);
        }
        boxes.push_back(std::move(box));
    }
    CEditNode::Serialize(ar);
    m_marginLeft = margins[0];
    m_marginTop = margins[1];
    m_marginRight = margins[2];
    m_marginBottom = margins[3];
    m_lineReserved1 = line[0];
    m_lineSpacing = line[1];
    m_lineReserved2 = line[2];
    m_textAlign = line[3];
    m_boxes = std::move(boxes);
}

// ---------------------------------------------------------------------------------------------
// Class sets

void RegisterNodeClasses(CRuntimeClassRegistry& registry, NODE_PROGRAM program)
{
    RegisterBaseClasses(registry);
    for (const CRuntimeClass* runtimeClass :
         {RUNTIME_CLASS(CEditNode), RUNTIME_CLASS(CEditChar), RUNTIME_CLASS(CEditCR), RUNTIME_CLASS(CEditContainer),
          RUNTIME_CLASS(CEditSentence), RUNTIME_CLASS(CEditPrint), RUNTIME_CLASS(CEditKimeiran),
          RUNTIME_CLASS(CEditGai), RUNTIME_CLASS(CEditKaiPage)})
        registry.Add(runtimeClass);
    RegisterInlineNodeClasses(registry, program == NODE_PROGRAM::ProblemEditor);
    if (program == NODE_PROGRAM::ProblemEditor) {
        for (const CRuntimeClass* runtimeClass : {RUNTIME_CLASS(CEditEdit), RUNTIME_CLASS(CEditDmonno),
                                                  RUNTIME_CLASS(CEditMonno), RUNTIME_CLASS(CEditHaiten),
                                                  RUNTIME_CLASS(CEditObject)})
            registry.Add(runtimeClass);
    }
}

// ---------------------------------------------------------------------------------------------
// Node lists

void WriteNodeList(CArchive& ar, std::span<CEditNode* const> nodes)
{
    std::vector<const CObject*> objects(nodes.begin(), nodes.end());
    ar.WriteObjectList(objects);
}

std::vector<std::unique_ptr<CEditNode>> ReadNodeList(CArchive& ar)
{
    std::vector<std::unique_ptr<CObject>> objects = ar.ReadNewObjectList(RUNTIME_CLASS(CEditNode));
    std::vector<std::unique_ptr<CEditNode>> nodes;
    nodes.reserve(objects.size());
    for (auto& object : objects) {
        auto* node = dynamic_cast<CEditNode*>(object.get());
        if (node == nullptr || !IsEditingSubtree(node) || !HoldsOnlyXmlText(node))
            ar.ThrowException(CArchiveException::genericException);
        object.release();
        nodes.emplace_back(node);
    }
    return nodes;
}

std::vector<BYTE> NodeListToBytes(std::span<CEditNode* const> nodes)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    WriteNodeList(ar, nodes);
    ar.Close();
    return file.Detach();
}

std::vector<std::unique_ptr<CEditNode>> NodeListFromBytes(std::span<const BYTE> bytes,
                                                           const CRuntimeClassRegistry* registry)
{
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load, registry);
    return ReadNodeList(ar);
}

bool CopyNodesToClipboard(std::span<CEditNode* const> nodes)
{
    try {
        const std::vector<BYTE> bytes = NodeListToBytes(nodes);
        return SetClipboardData(NodeListFormat(), bytes);
    } catch (const CArchiveException&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool ClipboardHasNodeList()
{
    return IsClipboardFormatAvailable(NodeListFormat());
}

std::vector<std::unique_ptr<CEditNode>> PasteNodesFromClipboard(const CRuntimeClassRegistry* registry)
{
    std::vector<BYTE> bytes;
    if (!GetClipboardData(NodeListFormat(), bytes))
        return {};
    return NodeListFromBytes(bytes, registry);
}

// ---------------------------------------------------------------------------------------------
// The framework's narrow-string form: a length of one byte, or 0xFF and two bytes, or 0xFF,
// 0xFFFF and four bytes; then the bytes.
void WriteNarrowString(CArchive& ar, const std::string& text)
{
    const size_t length = text.size();
    if (length < 0xFF) {
        ar << static_cast<BYTE>(length);
    } else if (length < 0xFFFE) {
        ar << static_cast<BYTE>(0xFF) << static_cast<WORD>(length);
    } else {
        ar << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(length);
    }
    ar.Write(text.data(), length);
}

std::string ReadNarrowString(CArchive& ar)
{
    BYTE shortLength = 0;
    ar >> shortLength;
    uint64_t length = shortLength;
    if (shortLength == 0xFF) {
        WORD wordLength = 0;
        ar >> wordLength;
        length = wordLength;
        if (wordLength == 0xFFFE) {
            // A wide string's marker: not the form of a path.
            ar.ThrowException(CArchiveException::genericException);
        }
        if (wordLength == 0xFFFF) {
            DWORD longLength = 0;
            ar >> longLength;
            length = longLength;
        }
    }
    ar.CheckAvailable(length);
    std::string text(static_cast<size_t>(length), '\0');
    ar.ReadExact(text.data(), text.size());
    return text;
}

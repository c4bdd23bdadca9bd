#include "platform/gdi_qt_text.h"

#include "platform/gdi.h"

#include <QFont>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QRawFont>
#include <QString>

#include <hb.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <unordered_map>

namespace qttext {

namespace {

// Pixel size at which a font's design metrics are read; every other size scales from it.
constexpr double kReferenceSize = 1000.0;
// Pixel size of the em when a font asks for none (lfHeight 0): a 16-pixel cell.
constexpr double kDefaultCell = 16.0;
// Largest em and horizontal stretch drawn: a description asking for more gets these.
constexpr double kMaxEm = 16384.0;
constexpr double kMaxStretch = 64.0;

uint16_t Be16(const QByteArray& table, int offset)
{
    if (offset + 2 > table.size())
        return 0;
    return static_cast<uint16_t>((uint8_t(table[offset]) << 8) | uint8_t(table[offset + 1]));
}

} // namespace

struct Glyph {
    quint32 index = 0;
    double advance = 0;  // in ems
};

// One glyph of a run shaped top to bottom, in font units; `cluster` is the index of the
// character it came from within the run.
struct VerticalGlyph {
    quint32 index = 0;
    unsigned cluster = 0;
    int xOffset = 0;
    int yOffset = 0;
    int yAdvance = 0;
};

struct Face {
    std::string key;
    QRawFont reference;
    // The same font as Qt's font database knows it, by its file: printers and PDFs embed it and
    // write the glyphs as text. Invalid when the database gives another font for the family.
    QRawFont drawing;
    int unitsPerEm = 1000;
    // In ems, as the system's text metrics give them.
    double ascent = 0.88;
    double descent = 0.12;
    double leading = 0;
    double averageWidth = 0.5;
    double maxWidth = 1;
    hb_face_t* hbFace = nullptr;
    hb_font_t* hbFont = nullptr;
    std::unordered_map<char32_t, Glyph> glyphs;
    std::unordered_map<char32_t, bool> verticalForms;
    // Whether a character stands upright in vertical lines, by the character.
    std::unordered_map<char32_t, bool> upright;
    // Runs of upright characters shaped top to bottom, by their characters: the shaping depends
    // on nothing else, so a repaint shapes no run it has shaped before. Emptied when full.
    std::unordered_map<std::u32string, std::vector<VerticalGlyph>> verticalRuns;
    std::map<int, QRawFont> sized;

    ~Face()
    {
        if (hbFont)
            hb_font_destroy(hbFont);
        if (hbFace)
            hb_face_destroy(hbFace);
    }

    // The glyph of a character; index 0 when the font has none.
    Glyph GlyphOf(char32_t c)
    {
        auto it = glyphs.find(c);
        if (it != glyphs.end())
            return it->second;
        Glyph g;
        QChar units[2];
        int count = 1;
        if (c >= 0x10000) {
            units[0] = QChar::highSurrogate(c);
            units[1] = QChar::lowSurrogate(c);
            count = 2;
        } else {
            units[0] = QChar(static_cast<char16_t>(c));
        }
        quint32 indexes[2] = {0, 0};
        int numGlyphs = 2;
        if (reference.glyphIndexesForChars(units, count, indexes, &numGlyphs) && numGlyphs >= 1 && indexes[0] != 0) {
            g.index = indexes[0];
            QPointF advance;
            if (reference.advancesForGlyphIndexes(&g.index, &advance, 1, QRawFont::UseDesignMetrics))
                g.advance = advance.x() / kReferenceSize;
        }
        glyphs.emplace(c, g);
        return g;
    }

    QRawFont AtSize(double pixelSize)
    {
        const int key = static_cast<int>(std::lround(pixelSize * 64));
        auto it = sized.find(key);
        if (it != sized.end())
            return it->second;
        if (sized.size() >= 24)
            sized.clear();
        QRawFont font = drawing.isValid() ? drawing : reference;
        font.setPixelSize(key / 64.0);
        sized.emplace(key, font);
        return font;
    }

    // Whether the font has a vertical form of the character (its 'vert' feature changes it).
    bool HasVerticalForm(char32_t c)
    {
        auto it = verticalForms.find(c);
        if (it != verticalForms.end())
            return it->second;
        bool vertical = false;
        const Glyph plain = GlyphOf(c);
        if (hbFont && plain.index != 0) {
            hb_buffer_t* buffer = hb_buffer_create();
            hb_buffer_add(buffer, c, 0);
            hb_buffer_set_content_type(buffer, HB_BUFFER_CONTENT_TYPE_UNICODE);
            hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
            hb_buffer_guess_segment_properties(buffer);
            hb_shape(hbFont, buffer, nullptr, 0);
            unsigned count = 0;
            hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
            vertical = count == 1 && info[0].codepoint != plain.index;
            hb_buffer_destroy(buffer);
        }
        verticalForms.emplace(c, vertical);
        return vertical;
    }

    // Whether the character stands upright in a vertical line: what Unicode sets upright
    // (UAX #50), and brackets, the long vowel mark and the like when the font has their
    // vertical forms; without one they turn with the line.
    bool IsUpright(char32_t c)
    {
        if (const auto it = upright.find(c); it != upright.end())
            return it->second;
        bool stands = false;
        switch (u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_VERTICAL_ORIENTATION)) {
        case U_VO_UPRIGHT:
        case U_VO_TRANSFORMED_UPRIGHT:
            stands = true;
            break;
        case U_VO_TRANSFORMED_ROTATED:
            stands = HasVerticalForm(c);
            break;
        default:
            break;
        }
        upright.emplace(c, stands);
        return stands;
    }

    // The glyphs of a run of upright characters shaped top to bottom (the font's vertical forms
    // applied), shaped once for each run of characters. Null without a HarfBuzz font.
    const std::vector<VerticalGlyph>* ShapeVertical(std::u32string chars)
    {
        if (!hbFont)
            return nullptr;
        if (const auto it = verticalRuns.find(chars); it != verticalRuns.end())
            return &it->second;
        hb_buffer_t* buffer = hb_buffer_create();
        for (size_t k = 0; k < chars.size(); ++k)
            hb_buffer_add(buffer, chars[k], static_cast<unsigned>(k));
        hb_buffer_set_content_type(buffer, HB_BUFFER_CONTENT_TYPE_UNICODE);
        hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
        hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(hbFont, buffer, nullptr, 0);
        unsigned count = 0;
        const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
        const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);
        std::vector<VerticalGlyph> shaped(count);
        for (unsigned g = 0; g < count; ++g)
            shaped[g] = VerticalGlyph{info[g].codepoint, info[g].cluster, pos[g].x_offset, pos[g].y_offset,
                                      pos[g].y_advance};
        hb_buffer_destroy(buffer);
        if (verticalRuns.size() >= kMaxVerticalRuns)
            verticalRuns.clear();
        return &verticalRuns.emplace(std::move(chars), std::move(shaped)).first->second;
    }

    static constexpr size_t kMaxVerticalRuns = 4096;
};

namespace {

struct Cache {
    std::map<std::string, std::shared_ptr<Face>> faces;
    // Fonts set up before, by the bytes of their description and the two scales: the same key
    // always resolves to the same face at the same sizes while the faces stay loaded.
    std::unordered_map<std::string, std::shared_ptr<const FontSetup>> setups;
    // The font asked for last, which measuring a run of characters asks for again at once.
    std::string lastKey;
    std::shared_ptr<const FontSetup> last;
    std::vector<std::shared_ptr<Face>> fallbacks;
    bool fallbacksLoaded = false;
};

Cache& TheCache()
{
    static Cache* cache = new Cache;
    return *cache;
}

// The font of the family as Qt's font database gives it, when it is the very font loaded from the
// file (the same header and glyph count); an invalid font otherwise. A font loaded from bytes has
// no file name, and a PDF then gets each glyph as an outline instead of text.
QRawFont DatabaseFont(const std::string& family, const QByteArray& head, const QByteArray& maxp)
{
    if (family.empty() || head.isEmpty())
        return QRawFont();
    QFont font(QString::fromStdString(family));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    QRawFont known = QRawFont::fromFont(font);
    if (!known.isValid() || known.fontTable("head") != head || known.fontTable("maxp") != maxp)
        return QRawFont();
    known.setPixelSize(kReferenceSize);
    return known;
}

QByteArray FileTable(const std::string& file, const char* tag)
{
    const std::string bytes = ReadFontFileTable(file, 0, tag);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::shared_ptr<Face> LoadFace(const std::string& file, int index, const std::string& family)
{
    const std::string key = file + '#' + std::to_string(index);
    Cache& cache = TheCache();
    auto it = cache.faces.find(key);
    if (it != cache.faces.end())
        return it->second;
    auto face = std::make_shared<Face>();
    face->key = key;
    if (index == 0) {
        // The database's font reads the file as it needs it, where a font made from the path
        // holds a copy of the whole file: it serves for both when it is the very font of the file.
        face->drawing = DatabaseFont(family, FileTable(file, "head"), FileTable(file, "maxp"));
        if (face->drawing.isValid())
            face->reference = face->drawing;
        else
            face->reference = QRawFont(QString::fromStdString(file), kReferenceSize, QFont::PreferNoHinting);
    } else {
        // A face inside a collection: Qt's own font matching picks it by family.
        QFont font(QString::fromStdString(family));
        font.setHintingPreference(QFont::PreferNoHinting);
        face->reference = QRawFont::fromFont(font);
        face->reference.setPixelSize(kReferenceSize);
        if (face->reference.isValid())
            face->drawing = DatabaseFont(family, face->reference.fontTable("head"), face->reference.fontTable("maxp"));
    }
    if (!face->reference.isValid()) {
        cache.faces.emplace(key, nullptr);
        return nullptr;
    }
    face->unitsPerEm = std::max(16, static_cast<int>(face->reference.unitsPerEm()));
    const double upem = face->unitsPerEm;
    face->ascent = face->reference.ascent() / kReferenceSize;
    face->descent = face->reference.descent() / kReferenceSize;
    const QByteArray os2 = face->reference.fontTable("OS/2");
    if (os2.size() >= 78) {
        const double winAscent = Be16(os2, 74) / upem;
        const double winDescent = Be16(os2, 76) / upem;
        if (winAscent + winDescent > 0) {
            face->ascent = winAscent;
            face->descent = winDescent;
        }
    }
    const QByteArray hhea = face->reference.fontTable("hhea");
    if (hhea.size() >= 10) {
        const double lineHeight = (int16_t(Be16(hhea, 4)) - int16_t(Be16(hhea, 6)) + int16_t(Be16(hhea, 8))) / upem;
        face->leading = std::max(0.0, lineHeight - face->ascent - face->descent);
    }
    // The average width is that of "x", as the system's fonts give it.
    const Glyph x = face->GlyphOf(U'x');
    face->averageWidth = x.index != 0 ? x.advance : face->reference.averageCharWidth() / kReferenceSize;
    face->maxWidth = face->reference.maxCharWidth() / kReferenceSize;
    if (hb_blob_t* blob = hb_blob_create_from_file(file.c_str())) {
        face->hbFace = hb_face_create(blob, static_cast<unsigned>(index));
        hb_blob_destroy(blob);
        face->hbFont = hb_font_create(face->hbFace);
        hb_font_set_scale(face->hbFont, face->unitsPerEm, face->unitsPerEm);
    }
    cache.faces.emplace(key, face);
    return face;
}

const std::vector<std::shared_ptr<Face>>& Fallbacks()
{
    Cache& cache = TheCache();
    if (!cache.fallbacksLoaded) {
        cache.fallbacksLoaded = true;
        for (const std::string& file : FallbackFontFiles())
            if (auto face = LoadFace(file, 0, std::string()))
                cache.fallbacks.push_back(face);
    }
    return cache.fallbacks;
}

// One character of a text: the face and glyph that draw it.
struct Item {
    Face* face = nullptr;
    Glyph glyph;
    char32_t c = 0;
    size_t unit = 0;   // index of its first unit
    size_t units = 1;  // 1, or 2 for a surrogate pair
};

std::vector<Item> Itemize(const FontSetup& setup, std::u16string_view text)
{
    std::vector<Item> items;
    for (size_t i = 0; i < text.size();) {
        Item item;
        item.unit = i;
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            item.units = 2;
        }
        i += item.units;
        if (setup.resolved.gaiji && c < 0x10000)
            c = GaijiShownChar(static_cast<char16_t>(c));
        item.c = c;
        item.face = setup.face.get();
        item.glyph = item.face->GlyphOf(c);
        if (item.glyph.index == 0 && c > 0x20) {
            for (const auto& fallback : Fallbacks()) {
                const Glyph g = fallback->GlyphOf(c);
                if (g.index != 0) {
                    item.face = fallback.get();
                    item.glyph = g;
                    break;
                }
            }
        }
        items.push_back(item);
    }
    return items;
}

// The painter's transform set only when it changes: a PDF writes each change into the page.
void SetTransform(QPainter& painter, const QTransform& transform)
{
    if (painter.worldTransform() != transform)
        painter.setWorldTransform(transform);
}

void DrawRun(QPainter& painter, Face* face, double em, const std::vector<quint32>& glyphs,
             const std::vector<QPointF>& positions, const QTransform& transform, bool bold, double boldShift)
{
    QGlyphRun run;
    run.setRawFont(face->AtSize(em));
    run.setGlyphIndexes(QList<quint32>(glyphs.begin(), glyphs.end()));
    run.setPositions(QList<QPointF>(positions.begin(), positions.end()));
    SetTransform(painter, transform);
    painter.drawGlyphRun(QPointF(0, 0), run);
    if (bold) {
        SetTransform(painter, QTransform::fromTranslate(boldShift, 0) * transform);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
}

// One glyph drawn without ink (fully transparent) at a point in device pixels: it takes no room
// on the page and only gives a PDF's text its character.
void DrawUnseenGlyph(QPainter& painter, Face* face, double em, quint32 glyph, const QPointF& point)
{
    const QPen pen = painter.pen();
    painter.setPen(QColor(0, 0, 0, 0));
    DrawRun(painter, face, em, {glyph}, {point}, QTransform(), false, 0);
    painter.setPen(pen);
}

} // namespace

// A font set up from its description, without the cache.
static FontSetup SetUpNewFont(const LOGFONTA& font, double scaleX, double scaleY);

std::shared_ptr<const FontSetup> SetUpFont(const LOGFONTA& font, double scaleX, double scaleY)
{
    // Measuring and drawing ask for the same few fonts again and again; resolving a face goes
    // through fontconfig and the code-page conversion of its name.
    char bytes[sizeof(LOGFONTA) + 2 * sizeof(double)];
    std::memcpy(bytes, &font, sizeof(LOGFONTA));
    std::memcpy(bytes + sizeof(LOGFONTA), &scaleX, sizeof(double));
    std::memcpy(bytes + sizeof(LOGFONTA) + sizeof(double), &scaleY, sizeof(double));
    const std::string_view key(bytes, sizeof bytes);
    Cache& cache = TheCache();
    if (cache.last && cache.lastKey == key)
        return cache.last;
    std::string stored(key);
    auto known = cache.setups.find(stored);
    if (known == cache.setups.end()) {
        if (cache.setups.size() >= 512)
            cache.setups.clear();
        known = cache.setups.emplace(stored, std::make_shared<const FontSetup>(SetUpNewFont(font, scaleX, scaleY))).first;
    }
    cache.lastKey = std::move(stored);
    cache.last = known->second;
    return cache.last;
}

static FontSetup SetUpNewFont(const LOGFONTA& font, double scaleX, double scaleY)
{
    FontSetup setup;
    setup.font = font;
    scaleX = std::abs(scaleX);
    scaleY = std::abs(scaleY);
    if (!ResolveFont(font, &setup.resolved))
        return setup;
    setup.face = LoadFace(setup.resolved.file, setup.resolved.index, setup.resolved.family);
    if (!setup.face)
        return setup;
    const Face& face = *setup.face;
    const double cell = face.ascent + face.descent;
    // lfHeight below 0 is the em (character height), above 0 the cell height.
    if (font.lfHeight < 0)
        setup.em = -double(font.lfHeight) * scaleY;
    else if (font.lfHeight > 0)
        setup.em = double(font.lfHeight) * scaleY / cell;
    else
        setup.em = kDefaultCell / cell;
    setup.em = std::min(setup.em, kMaxEm);
    if (font.lfWidth > 0 && face.averageWidth > 0 && setup.em > 0)
        setup.stretch = std::min(kMaxStretch, (double(font.lfWidth) * scaleX) / (face.averageWidth * setup.em));
    setup.ascent = face.ascent * setup.em;
    setup.descent = face.descent * setup.em;
    setup.leading = face.leading * setup.em;
    setup.averageWidth = face.averageWidth * setup.em * setup.stretch;
    setup.maxWidth = face.maxWidth * setup.em * setup.stretch;
    return setup;
}

std::vector<double> Advances(const FontSetup& setup, std::u16string_view text)
{
    std::vector<double> advances(text.size(), 0.0);
    if (!setup.face)
        return advances;
    for (const Item& item : Itemize(setup, text))
        advances[item.unit] = item.glyph.advance * setup.em * setup.stretch;
    return advances;
}

void CharAbc(const FontSetup& setup, char16_t unit, double* a, double* b, double* c)
{
    *a = *b = *c = 0;
    if (!setup.face)
        return;
    const std::vector<Item> items = Itemize(setup, std::u16string_view(&unit, 1));
    const Item& item = items.front();
    const double scale = setup.em * setup.stretch;
    const double advance = item.glyph.advance * scale;
    if (item.glyph.index == 0) {
        *b = advance;
        return;
    }
    const QRectF ink = item.face->reference.boundingRect(item.glyph.index);
    *a = ink.left() / kReferenceSize * scale;
    *b = ink.width() / kReferenceSize * scale;
    *c = advance - *a - *b;
}

bool DrawText(QPainter& painter, const FontSetup& setup, std::u16string_view text, const DrawRequest& request)
{
    if (!setup.face || setup.em <= 0)
        return false;
    const std::vector<Item> items = Itemize(setup, text);
    std::vector<double> advances = request.advances;
    if (advances.size() != text.size()) {
        advances.assign(text.size(), 0.0);
        for (const Item& item : items)
            advances[item.unit] = item.glyph.advance * setup.em * setup.stretch;
    }
    double width = 0;
    for (double a : advances)
        width += a;

    // The text's frame: x along the line from the reference point, y down across it.
    double x0 = 0;
    if ((request.align & TA_CENTER) == TA_CENTER)
        x0 = -width / 2;
    else if (request.align & TA_RIGHT)
        x0 = -width;
    double baseline = 0;
    if ((request.align & TA_BASELINE) == TA_BASELINE)
        baseline = 0;
    else if (request.align & TA_BOTTOM)
        baseline = -setup.descent;
    else
        baseline = setup.ascent;
    const int escapement = ((setup.font.lfEscapement % 3600) + 3600) % 3600;
    QTransform frame = QTransform::fromTranslate(request.origin.x(), request.origin.y());
    frame.rotate(-escapement / 10.0);
    const bool uprightMode = setup.resolved.vertical && escapement == 2700;
    const bool italic = setup.font.lfItalic != 0 && setup.resolved.syntheticItalic;
    const bool bold = setup.resolved.syntheticBold;
    const double boldShift = std::max(1.0, setup.em / 32);

    // A PDF keeps the text of what it draws, found through each glyph's place in the font's
    // character map.
    const bool textLayer = painter.paintEngine() != nullptr && painter.paintEngine()->type() == QPaintEngine::Pdf;

    // The painter keeps the text's pen and transform afterwards: the device context sets what
    // it needs before each drawing, and a PDF writes every change of state into the page.
    if (painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (!painter.testRenderHint(QPainter::TextAntialiasing))
        painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (request.opaque) {
        SetTransform(painter, frame);
        painter.fillRect(QRectF(x0, baseline - setup.ascent, width, setup.ascent + setup.descent), request.background);
    }
    painter.setPen(request.color);

    // Glyph transform of turned (and ordinary) text: stretched and, for a synthetic italic,
    // slanted about the baseline.
    QTransform glyphSpace = QTransform::fromScale(setup.stretch, 1);
    if (italic)
        glyphSpace = QTransform(1, 0, -0.2, 1, 0.2 * baseline, 0) * glyphSpace;
    const QTransform lineTransform = glyphSpace * frame;

    size_t i = 0;
    std::vector<double> cellStart(items.size());
    {
        double x = x0;
        for (size_t k = 0; k < items.size(); ++k) {
            cellStart[k] = x;
            for (size_t u = 0; u < items[k].units; ++u)
                x += advances[items[k].unit + u];
        }
    }
    auto cellAdvance = [&](size_t k) {
        double a = 0;
        for (size_t u = 0; u < items[k].units; ++u)
            a += advances[items[k].unit + u];
        return a;
    };
    while (i < items.size()) {
        Face* face = items[i].face;
        const bool upright = uprightMode && face->IsUpright(items[i].c);
        size_t end = i + 1;
        while (end < items.size() && items[end].face == face && (uprightMode && face->IsUpright(items[end].c)) == upright)
            ++end;
        std::vector<quint32> glyphs;
        std::vector<QPointF> positions;
        if (!upright) {
            for (size_t k = i; k < end; ++k) {
                if (items[k].glyph.index == 0)
                    continue;
                glyphs.push_back(items[k].glyph.index);
                positions.emplace_back(cellStart[k] / setup.stretch, baseline);
            }
            if (!glyphs.empty())
                DrawRun(painter, face, setup.em, glyphs, positions, lineTransform, bold, boldShift / setup.stretch);
        } else {
            // Upright characters, shaped top to bottom: each is centred in its cell on the line.
            std::u32string chars;
            chars.reserve(end - i);
            for (size_t k = i; k < end; ++k)
                chars.push_back(items[k].c);
            const std::vector<VerticalGlyph>* shaped = face->ShapeVertical(std::move(chars));
            if (shaped == nullptr) {
                i = end;
                continue;
            }
            const unsigned count = static_cast<unsigned>(shaped->size());
            const VerticalGlyph* info = shaped->data();
            const double s = setup.em / face->unitsPerEm;
            const double across = baseline + (setup.descent - setup.ascent) / 2;
            std::vector<double> clusterAdvance(end - i, 0.0);
            for (unsigned g = 0; g < count; ++g)
                clusterAdvance[std::min<size_t>(info[g].cluster, end - i - 1)] -= info[g].yAdvance;
            double penY = 0;
            double clusterPen = 0;
            size_t currentCluster = SIZE_MAX;
            bool substituted = false;
            for (unsigned g = 0; g < count; ++g) {
                const size_t k = i + std::min<size_t>(info[g].cluster, end - i - 1);
                if (info[g].cluster != currentCluster) {
                    currentCluster = info[g].cluster;
                    clusterPen = penY;
                    substituted = false;
                }
                const double vertical = clusterAdvance[k - i] * s;
                const double along = cellStart[k] + (cellAdvance(k) - vertical) / 2 +
                                     (-(penY - clusterPen) - info[g].yOffset) * s;
                const QPointF point = frame.map(QPointF(along, across)) + QPointF(info[g].xOffset * s, 0);
                if (info[g].index != 0) {
                    glyphs.push_back(info[g].index);
                    positions.push_back(point);
                    substituted = substituted || info[g].index != items[k].glyph.index;
                }
                penY += info[g].yAdvance;
                const bool clusterEnds = g + 1 == count || info[g + 1].cluster != currentCluster;
                if (clusterEnds && substituted && textLayer && items[k].glyph.index != 0) {
                    // A vertical form maps back to no character in the PDF: the character's own
                    // glyph follows it unseen, so that search and copy find the character here.
                    DrawRun(painter, face, setup.em, glyphs, positions, QTransform(), bold, boldShift);
                    glyphs.clear();
                    positions.clear();
                    DrawUnseenGlyph(painter, face, setup.em, items[k].glyph.index, point);
                }
            }
            if (!glyphs.empty())
                DrawRun(painter, face, setup.em, glyphs, positions, QTransform(), bold, boldShift);
        }
        i = end;
    }

    if (setup.font.lfUnderline || setup.font.lfStrikeOut) {
        SetTransform(painter, frame);
        const double thickness = std::max(1.0, setup.em / 16);
        if (setup.font.lfUnderline)
            painter.fillRect(QRectF(x0, baseline + setup.descent / 3, width, thickness), request.color);
        if (setup.font.lfStrikeOut)
            painter.fillRect(QRectF(x0, baseline - setup.ascent / 3, width, thickness), request.color);
    }
    return true;
}

void ReleaseFonts()
{
    Cache& cache = TheCache();
    cache.setups.clear();
    cache.last.reset();
    cache.fallbacks.clear();
    cache.faces.clear();
    cache.fallbacksLoaded = false;
}

} // namespace qttext

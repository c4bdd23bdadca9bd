#include "platform/fonts.h"

#include "platform/codepage.h"
#include "platform/gdi.h"
#include "platform/utf8.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

constexpr const char* kGaijiFace = "Orvellan Gaiji";
// The font that draws the gaiji face's characters.
constexpr const char* kGaijiSubstitute = "IPAMincho";

const char kAliasRules[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="same"><family>ＭＳ 明朝</family><prefer><family>IPAMincho</family></prefer></alias>
  <alias binding="same"><family>@ＭＳ 明朝</family><prefer><family>IPAMincho</family></prefer></alias>
  <alias binding="same"><family>MS Mincho</family><prefer><family>IPAMincho</family></prefer></alias>
  <alias binding="same"><family>ＭＳ Ｐ明朝</family><prefer><family>IPAPMincho</family></prefer></alias>
  <alias binding="same"><family>@ＭＳ Ｐ明朝</family><prefer><family>IPAPMincho</family></prefer></alias>
  <alias binding="same"><family>MS PMincho</family><prefer><family>IPAPMincho</family></prefer></alias>
  <alias binding="same"><family>ＭＳ ゴシック</family><prefer><family>IPAGothic</family></prefer></alias>
  <alias binding="same"><family>@ＭＳ ゴシック</family><prefer><family>IPAGothic</family></prefer></alias>
  <alias binding="same"><family>MS Gothic</family><prefer><family>IPAGothic</family></prefer></alias>
  <alias binding="same"><family>ＭＳ Ｐゴシック</family><prefer><family>IPAPGothic</family></prefer></alias>
  <alias binding="same"><family>@ＭＳ Ｐゴシック</family><prefer><family>IPAPGothic</family></prefer></alias>
  <alias binding="same"><family>MS PGothic</family><prefer><family>IPAPGothic</family></prefer></alias>
  <alias binding="same"><family>Times New Roman</family><prefer><family>Liberation Serif</family></prefer></alias>
  <alias binding="same"><family>@Times New Roman</family><prefer><family>Liberation Serif</family></prefer></alias>
  <alias binding="same"><family>Orvellan Gaiji</family><prefer><family>IPAMincho</family></prefer></alias>
  <alias binding="same"><family>@Orvellan Gaiji</family><prefer><family>IPAMincho</family></prefer></alias>
</fontconfig>
)";

// The aliased faces as the system lists them: face, the family that draws it, character set,
// pitch and family.
struct AliasFace {
    const char16_t* face;
    const char* target;
    BYTE charSet;
    BYTE pitchAndFamily;
};
constexpr AliasFace kAliasFaces[] = {
    {u"ＭＳ 明朝", "IPAMincho", SHIFTJIS_CHARSET, FIXED_PITCH | FF_ROMAN},
    {u"ＭＳ Ｐ明朝", "IPAPMincho", SHIFTJIS_CHARSET, VARIABLE_PITCH | FF_ROMAN},
    {u"ＭＳ ゴシック", "IPAGothic", SHIFTJIS_CHARSET, FIXED_PITCH | FF_MODERN},
    {u"ＭＳ Ｐゴシック", "IPAPGothic", SHIFTJIS_CHARSET, VARIABLE_PITCH | FF_SWISS},
    {u"Orvellan Gaiji", kGaijiSubstitute, SHIFTJIS_CHARSET, FIXED_PITCH | FF_DONTCARE},
    {u"Times New Roman", "Liberation Serif", ANSI_CHARSET, VARIABLE_PITCH | FF_ROMAN},
};

std::mutex g_mutex;

// --- metrics read from the font file's tables

struct FileMetrics {
    bool ok = false;
    int unitsPerEm = 1000;
    int winAscent = 880;
    int winDescent = 120;
    int avgWidth = 500;
    int weightClass = 400;
    bool fixedPitch = false;
    bool trueTypeOutlines = true;
    bool italic = false;
};

uint32_t Be32(const unsigned char* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }
uint16_t Be16(const unsigned char* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

bool ReadAt(std::ifstream& in, uint64_t offset, unsigned char* out, size_t size)
{
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size));
    return static_cast<size_t>(in.gcount()) == size;
}

// Tag → offset and length of each table of the face at index of a font file or collection.
using TableDirectory = std::map<std::string, std::pair<uint32_t, uint32_t>>;

bool ReadTableDirectory(std::ifstream& in, int index, TableDirectory* directory)
{
    unsigned char buf[16];
    if (!in || !ReadAt(in, 0, buf, 12))
        return false;
    uint64_t base = 0;
    if (std::memcmp(buf, "ttcf", 4) == 0) {
        const uint32_t count = Be32(buf + 8);
        if (index < 0 || uint32_t(index) >= count || !ReadAt(in, 12 + 4 * uint64_t(index), buf, 4))
            return false;
        base = Be32(buf);
        if (!ReadAt(in, base, buf, 12))
            return false;
    }
    const uint16_t tables = Be16(buf + 4);
    if (tables == 0 || tables > 512)
        return false;
    for (uint16_t i = 0; i < tables; ++i) {
        if (!ReadAt(in, base + 12 + 16 * uint64_t(i), buf, 16))
            return false;
        (*directory)[std::string(reinterpret_cast<char*>(buf), 4)] = {Be32(buf + 8), Be32(buf + 12)};
    }
    return true;
}

FileMetrics ReadFileMetrics(const std::string& path, int index)
{
    FileMetrics m;
    std::ifstream in(path, std::ios::binary);
    unsigned char buf[96];
    TableDirectory directory;
    if (!ReadTableDirectory(in, index, &directory))
        return m;
    auto table = [&](const char* tag, size_t need) -> const unsigned char* {
        auto it = directory.find(tag);
        if (it == directory.end() || it->second.second < need || need > sizeof buf)
            return nullptr;
        return ReadAt(in, it->second.first, buf, need) ? buf : nullptr;
    };
    if (const unsigned char* head = table("head", 20))
        m.unitsPerEm = std::max<int>(16, Be16(head + 18));
    else
        return m;
    if (const unsigned char* hhea = table("hhea", 8)) {
        m.winAscent = static_cast<int16_t>(Be16(hhea + 4));
        m.winDescent = -static_cast<int16_t>(Be16(hhea + 6));
    }
    if (const unsigned char* os2 = table("OS/2", 78)) {
        m.avgWidth = static_cast<int16_t>(Be16(os2 + 2));
        m.weightClass = Be16(os2 + 4);
        m.italic = (Be16(os2 + 62) & 1) != 0;
        m.winAscent = Be16(os2 + 74);
        m.winDescent = Be16(os2 + 76);
    }
    if (const unsigned char* post = table("post", 16))
        m.fixedPitch = Be32(post + 12) != 0;
    m.trueTypeOutlines = directory.count("glyf") != 0;
    if (m.winAscent + m.winDescent <= 0) {
        m.winAscent = m.unitsPerEm * 88 / 100;
        m.winDescent = m.unitsPerEm - m.winAscent;
    }
    m.ok = true;
    return m;
}

// --- fontconfig helpers

struct FcPatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, FcPatternDeleter>;

std::string PatternString(FcPattern* p, const char* object, int n = 0)
{
    FcChar8* value = nullptr;
    return FcPatternGetString(p, object, n, &value) == FcResultMatch && value ? reinterpret_cast<char*>(value) : std::string();
}

int PatternInt(FcPattern* p, const char* object, int fallback)
{
    int value = 0;
    return FcPatternGetInteger(p, object, 0, &value) == FcResultMatch ? value : fallback;
}

// The font fontconfig picks for a family; false when it has nothing at all.
bool MatchFamily(const std::string& family, int weight, bool italic, bool japanese, ResolvedFont* out)
{
    PatternPtr pattern(FcPatternCreate());
    if (!family.empty())
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight > 0 ? weight : 400));
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (japanese)
        FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match)
        return false;
    out->file = PatternString(match.get(), FC_FILE);
    out->index = PatternInt(match.get(), FC_INDEX, 0);
    out->family = PatternString(match.get(), FC_FAMILY);
    const int matchedWeight = PatternInt(match.get(), FC_WEIGHT, FC_WEIGHT_REGULAR);
    const int matchedSlant = PatternInt(match.get(), FC_SLANT, FC_SLANT_ROMAN);
    out->syntheticBold = weight >= 600 && matchedWeight < FC_WEIGHT_DEMIBOLD;
    out->syntheticItalic = italic && matchedSlant == FC_SLANT_ROMAN;
    return !out->file.empty();
}

std::string ToUtf8Face(std::string_view cp932) { return Utf16ToUtf8(Cp932ToWide(cp932)); }

bool FitsFaceName(const std::string& narrow) { return !narrow.empty() && narrow.size() < size_t(LF_FACESIZE); }

// One face of the enumeration.
struct FaceEntry {
    std::string face;  // code page 932
    BYTE charSet;
    BYTE pitchAndFamily;
    FileMetrics metrics;
    bool bold = false;
    bool italic = false;
};

void FillEntry(const FaceEntry& e, LOGFONTA* lf, NEWTEXTMETRICA* tm)
{
    *lf = LOGFONTA{};
    *tm = NEWTEXTMETRICA{};
    const FileMetrics& m = e.metrics;
    const int cell = m.winAscent + m.winDescent;
    constexpr int kCell = 16;
    auto scaled = [&](int v) { return static_cast<LONG>(std::lround(double(v) * kCell / cell)); };
    lf->lfHeight = kCell;
    lf->lfWidth = scaled(m.avgWidth);
    lf->lfWeight = FW_NORMAL;
    lf->lfCharSet = e.charSet;
    lf->lfOutPrecision = OUT_STROKE_PRECIS;
    lf->lfClipPrecision = CLIP_STROKE_PRECIS;
    lf->lfQuality = DRAFT_QUALITY;
    lf->lfPitchAndFamily = e.pitchAndFamily;
    std::memcpy(lf->lfFaceName, e.face.data(), e.face.size());

    tm->tmHeight = kCell;
    tm->tmAscent = scaled(m.winAscent);
    tm->tmDescent = kCell - tm->tmAscent;
    tm->tmInternalLeading = kCell - scaled(m.unitsPerEm);
    tm->tmAveCharWidth = scaled(m.avgWidth);
    tm->tmMaxCharWidth = scaled(m.unitsPerEm);
    tm->tmWeight = FW_NORMAL;
    tm->tmDigitizedAspectX = 96;
    tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFF;
    tm->tmDefaultChar = 0x1F;
    tm->tmBreakChar = 0x20;
    const bool fixed = (e.pitchAndFamily & 0x03) == FIXED_PITCH;
    tm->tmPitchAndFamily = static_cast<BYTE>((e.pitchAndFamily & 0xF0) | TMPF_TRUETYPE | TMPF_VECTOR | (fixed ? 0 : TMPF_FIXED_PITCH));
    tm->tmCharSet = e.charSet;
    tm->ntmFlags = NTM_REGULAR | (m.trueTypeOutlines ? NTM_TT_OPENTYPE : 0);
    tm->ntmSizeEM = static_cast<UINT>(m.unitsPerEm);
    tm->ntmCellHeight = static_cast<UINT>(cell);
    tm->ntmAvgWidth = static_cast<UINT>(std::max(m.avgWidth, 0));
}

// The faces of one character set, in the order fontconfig lists them.
std::vector<FaceEntry> FacesOf(BYTE charSet)
{
    std::vector<FaceEntry> faces;
    PatternPtr pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>(charSet == SHIFTJIS_CHARSET ? "ja" : "en"));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_SPACING, FC_STYLE, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern.get(), objects);
    FcObjectSetDestroy(objects);
    if (!set)
        return faces;
    // One entry per family, described by its most regular font.
    struct Candidate {
        std::string file;
        int index;
        int distance;
        int spacing;
    };
    std::map<std::string, Candidate> families;
    std::vector<std::string> order;
    for (int i = 0; i < set->nfont; ++i) {
        FcPattern* font = set->fonts[i];
        const std::string family = PatternString(font, FC_FAMILY);
        if (family.empty())
            continue;
        const int distance = std::abs(PatternInt(font, FC_WEIGHT, FC_WEIGHT_REGULAR) - FC_WEIGHT_REGULAR) +
                             PatternInt(font, FC_SLANT, FC_SLANT_ROMAN);
        Candidate c{PatternString(font, FC_FILE), PatternInt(font, FC_INDEX, 0), distance,
                    PatternInt(font, FC_SPACING, FC_PROPORTIONAL)};
        auto it = families.find(family);
        if (it == families.end()) {
            families.emplace(family, c);
            order.push_back(family);
        } else if (distance < it->second.distance) {
            it->second = c;
        }
    }
    FcFontSetDestroy(set);
    std::sort(order.begin(), order.end());
    for (const std::string& family : order) {
        const Candidate& c = families[family];
        FaceEntry e;
        e.face = WideToCp932(Utf8ToUtf16(family));
        if (!FitsFaceName(e.face) || Cp932ToWide(e.face) != Utf8ToUtf16(family))
            continue;
        e.charSet = charSet;
        e.metrics = ReadFileMetrics(c.file, c.index);
        const bool fixed = c.spacing == FC_MONO || c.spacing == FC_DUAL || e.metrics.fixedPitch;
        const bool serif = family.find("Serif") != std::string::npos || family.find("Mincho") != std::string::npos;
        e.pitchAndFamily = static_cast<BYTE>((fixed ? FIXED_PITCH : VARIABLE_PITCH) |
                                             (fixed ? FF_MODERN : serif ? FF_ROMAN : FF_SWISS));
        faces.push_back(std::move(e));
    }
    // The aliased faces of this character set, when the fonts that draw them are there.
    for (const AliasFace& alias : kAliasFaces) {
        if (alias.charSet != charSet)
            continue;
        ResolvedFont target;
        if (!MatchFamily(alias.target, 400, false, false, &target) || target.family != alias.target)
            continue;
        FaceEntry e;
        e.face = WideToCp932(alias.face);
        e.charSet = charSet;
        e.pitchAndFamily = alias.pitchAndFamily;
        e.metrics = ReadFileMetrics(target.file, target.index);
        faces.push_back(std::move(e));
    }
    // Faces that hold Japanese have a vertical "@" form.
    if (charSet == SHIFTJIS_CHARSET) {
        const size_t count = faces.size();
        for (size_t i = 0; i < count; ++i) {
            FaceEntry e = faces[i];
            e.face = "@" + e.face;
            if (FitsFaceName(e.face))
                faces.push_back(std::move(e));
        }
    }
    return faces;
}

} // namespace

const char* FontAliasRules() { return kAliasRules; }

std::string ReadFontFileTable(const std::string& path, int index, std::string_view tag)
{
    constexpr uint32_t kLargestTable = 1 << 20;
    std::ifstream in(path, std::ios::binary);
    TableDirectory directory;
    if (tag.size() != 4 || !ReadTableDirectory(in, index, &directory))
        return std::string();
    const auto it = directory.find(std::string(tag));
    if (it == directory.end() || it->second.second > kLargestTable)
        return std::string();
    std::string bytes(it->second.second, '\0');
    if (!ReadAt(in, it->second.first, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size()))
        return std::string();
    return bytes;
}

bool LoadFontAliasRules()
{
    std::lock_guard lock(g_mutex);
    static bool loaded = false;
    if (loaded)
        return true;
    if (!FcInit())
        return false;
    FcConfig* config = FcConfigGetCurrent();
    loaded = config && FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kAliasRules), FcTrue);
    return loaded;
}

int EnumFontFamiliesExA(CDC* dc, const LOGFONTA* filter, FONTENUMPROCA callback, intptr_t lParam, DWORD flags)
{
    (void)flags;
    if (!dc || !filter || !callback)
        return 0;
    LoadFontAliasRules();
    std::vector<BYTE> sets;
    if (filter->lfCharSet == SHIFTJIS_CHARSET || filter->lfCharSet == DEFAULT_CHARSET)
        sets.push_back(SHIFTJIS_CHARSET);
    if (filter->lfCharSet == ANSI_CHARSET || filter->lfCharSet == DEFAULT_CHARSET)
        sets.push_back(ANSI_CHARSET);
    const std::string wanted(filter->lfFaceName, strnlen(filter->lfFaceName, LF_FACESIZE));
    int last = 1;
    for (BYTE charSet : sets) {
        std::vector<FaceEntry> faces;
        {
            std::lock_guard lock(g_mutex);
            faces = FacesOf(charSet);
        }
        for (const FaceEntry& e : faces) {
            if (!wanted.empty() && e.face != wanted)
                continue;
            LOGFONTA lf;
            NEWTEXTMETRICA tm;
            FillEntry(e, &lf, &tm);
            last = callback(&lf, &tm, TRUETYPE_FONTTYPE, lParam);
            if (last == 0)
                return 0;
        }
    }
    return last;
}

std::string_view BaseFaceName(std::string_view face, bool* vertical)
{
    const bool at = !face.empty() && face.front() == '@';
    if (vertical)
        *vertical = at;
    return at ? face.substr(1) : face;
}

bool IsGaijiFaceName(std::string_view face) { return BaseFaceName(face) == kGaijiFace; }

bool ResolveFont(const LOGFONTA& font, ResolvedFont* resolved)
{
    const std::string_view face(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
    bool vertical = false;
    const std::string_view base = BaseFaceName(face, &vertical);
    const bool gaiji = base == kGaijiFace;
    const bool bold = font.lfWeight >= 600;
    const bool italic = font.lfItalic != 0;
    const bool japanese = font.lfCharSet == SHIFTJIS_CHARSET;
    std::string family;
    if (gaiji)
        family = kGaijiSubstitute;
    else if (!base.empty())
        family = ToUtf8Face(base);
    else
        family = (font.lfPitchAndFamily & 0xF0) == FF_ROMAN ? "serif" : (font.lfPitchAndFamily & 0xF0) == FF_MODERN ? "monospace" : "sans-serif";

    const std::string key = family + '\x01' + char('0' + bold) + char('0' + italic) + char('0' + japanese);
    std::lock_guard lock(g_mutex);
    static auto* cache = new std::unordered_map<std::string, ResolvedFont>;
    auto it = cache->find(key);
    if (it == cache->end()) {
        ResolvedFont r;
        if (!MatchFamily(family, bold ? 700 : 400, italic, japanese, &r))
            return false;
        it = cache->emplace(key, r).first;
    }
    *resolved = it->second;
    resolved->vertical = vertical;
    resolved->gaiji = gaiji;
    return true;
}

std::span<const std::string> FallbackFontFiles()
{
    static const std::vector<std::string>* files = [] {
        auto* list = new std::vector<std::string>;
        for (const char* family : {"IPAMincho", "IPAGothic", "Liberation Serif", "DejaVu Serif", "DejaVu Sans"}) {
            ResolvedFont r;
            if (MatchFamily(family, 400, false, false, &r) && r.family == family && r.index == 0 &&
                std::find(list->begin(), list->end(), r.file) == list->end())
                list->push_back(r.file);
        }
        return list;
    }();
    return *files;
}

char16_t GaijiShownChar(char16_t drawn)
{
    static const std::unordered_map<char16_t, char16_t>* shown = [] {
        auto* map = new std::unordered_map<char16_t, char16_t>;
        for (const GaijiPair& pair : kGaijiFontPairs) {
            const char bytes[2] = {static_cast<char>(pair.code >> 8), static_cast<char>(pair.code & 0xFF)};
            const std::u16string wide = Cp932ToWide(std::string_view(bytes, 2));
            if (wide.size() == 1)
                map->emplace(wide[0], pair.unicode);
        }
        // The integral sign of formulas.
        map->emplace(char16_t(0xFF66), char16_t(0x222B));
        return map;
    }();
    const auto it = shown->find(drawn);
    return it == shown->end() ? drawn : it->second;
}

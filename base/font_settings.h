// The settings both editors keep in the profile under "Settings\Font" and "Settings\Bango": a
// default font as its LOGFONTA (60 bytes), italic flag and height (4-byte blocks each), and the
// defaults of labelled-underline numbering. A stored block of another size than its record is
// ignored and the default stays, so a record is never left partly filled.
#pragma once

#include "base/default_fonts.h"
#include "base/property_records.h"
#include "platform/win_types.h"

#include <cstring>
#include <vector>

class CProfile;

namespace FontSettings {
inline constexpr char kFontSection[] = "Settings\\Font";
inline constexpr char kBangoSection[] = "Settings\\Bango";
}  // namespace FontSettings

// The LOGFONTA of "ＭＳ Ｐ明朝" as the installed-font list describes it, at −10.5 pt, width 0.
LOGFONTA DefaultMinchoFont();

// A stored block copied over a record of exactly its size; anything else leaves the record.
bool ReadProfileBlock(const CProfile& profile, const char* section, const char* entry, void* record, size_t size);
template <typename T>
bool ReadProfileBlock(const CProfile& profile, const char* section, const char* entry, T* record)
{
    return ReadProfileBlock(profile, section, entry, static_cast<void*>(record), sizeof(T));
}

// One horizontal or formula entry of the table, read with its defaults (DefaultMinchoFont, not
// italic, 10.5 pt) for whatever is absent or of the wrong size.
void LoadDefaultFontEntry(const CProfile& profile, CDefaultFontTable* fonts, CDefaultFontTable::Entry entry);
// The entry's font, italic flag and (where it has one) height as binary blocks.
void SaveDefaultFontEntry(CProfile& profile, const CDefaultFontTable& fonts, CDefaultFontTable::Entry entry);

// The numbering defaults: type, face and size, forced number, label text, underline style and
// width. Loading keeps the record's face and size when no "Font" block of 60 bytes is stored.
struct NUMBERING_SETTINGS {
    CKasenRenbanProperties* bango;
    int* underlineStyle;
    int* underlineWidth;
};
void LoadNumberingSettings(const CProfile& profile, const NUMBERING_SETTINGS& settings);
// "Font" is written as a LOGFONTA that is zero but for its height and face name.
void SaveNumberingSettings(CProfile& profile, const CKasenRenbanProperties& bango, int underlineStyle,
                           int underlineWidth);

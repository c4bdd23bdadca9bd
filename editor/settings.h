// The problem editor's user settings: window placement, the nine default fonts, the defaults of
// labelled-underline numbering and the zoom, read from and written to the user's profile.
#pragma once

#include "base/property_records.h"
#include "platform/win_types.h"

class CDefaultFontTable;
class CProfile;

struct SOREL_SETTINGS {
    SOREL_SETTINGS();

    BOOL maximized = 0;
    RECT initialRect{};       // screen pixels; empty: the frame's default placement
    int writingMode = 0;      // the default writing mode: always horizontal
    int zoom = 100;           // percent
    // Underline numbering: force 0, type 1, "ＭＳ Ｐ明朝", 5 pt, no string.
    CKasenRenbanProperties bango;
    int underlineWidth = 1;
    int underlineStyle = 1;
};

// Reads every value into settings and fonts; absent values, and stored byte blocks of another
// size than the record they fill, leave the defaults. The saved rectangle is kept only when at
// least 10 by 10 pixels of it lie on the screen of the given size.
void LoadSettings(const CProfile& profile, SOREL_SETTINGS* settings, CDefaultFontTable* fonts, int screenWidth,
                  int screenHeight);
// Writes every value; false when the profile cannot be written.
bool SaveSettings(CProfile& profile, const SOREL_SETTINGS& settings, const CDefaultFontTable& fonts);

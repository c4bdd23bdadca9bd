#include "nodes/caret.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "nodes/edit_switches.h"

CCaret::CCaret() { Reset(); }

void CCaret::Reset()
{
    m_anchorNode = nullptr;
    m_anchorAfter = 0;
    m_caretNode = nullptr;
    m_caretAfter = 0;
    m_reserved = 0;
    m_caretKind = 0;
    m_verticalMove = 0;
    m_rememberedX = 0;
    m_ownerValue = 0;
    m_font.SetDefaults();
    m_color.Clear();
    m_border.SetDefaults();
    m_alignment.SetDefaults();
    CDefaultFontTable::Instance().GetDefaultFont(&m_logFont, CurrentWritingVertical);
}

void CCaret::ClearSelection()
{
    m_anchorNode = nullptr;
    m_anchorAfter = 0;
}

void CCaret::SetTypingFace(const char* face) { ApplyInstalledFontFace(&m_logFont, face); }

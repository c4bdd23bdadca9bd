// CCaret: the caret and selection of one editing window, with the format that newly typed text
// receives. The records point into the document's node tree and own nothing.
#pragma once

#include "base/property_records.h"
#include "platform/win_types.h"

class CEditNode;

class CCaret {
public:
    CCaret();

    // The ints and pointers become 0; the typing format gets its defaults and the default text
    // font of the writing direction ("AtDefault" while the paper is vertical).
    void Reset();
    // No selection: the anchor node is null and the anchor-after flag 0; the caret stays.
    void ClearSelection();
    // For an installed face: its character set, precisions, quality, pitch and family and face
    // name go into the typing LOGFONTA; otherwise nothing changes. The font record stays.
    void SetTypingFace(const char* face);

    // Typing format.
    CFontProperties m_font;
    CColorRelatedProperties m_color;
    CBorderPaddingBackgroundProperties m_border;
    CAreaAlignmentProperties m_alignment;
    LOGFONTA m_logFont{};

    CEditNode* m_anchorNode = nullptr;  // the fixed end of the selection; null = no selection
    int m_anchorAfter = 0;              // 1: the fixed end lies after the anchor node
    CEditNode* m_caretNode = nullptr;   // the node the caret stands at; null = no caret
    int m_caretAfter = 0;               // 1: the caret lies after the caret node
    int m_reserved = 0;                 // always 0
    DWORD m_caretKind = 0;              // kind of the caret node at the owner's last update
    int m_verticalMove = 0;             // set while the caret moves up or down
    int m_rememberedX = 0;              // the x that up and down aim at; negative = none
    int m_ownerValue = 0;               // for the owner's use
};

#include "nodes/edit_box.h"

#include <cstring>

void EDIT_LINE::Reset()
{
    std::memset(static_cast<void*>(this), 0, sizeof(EDIT_LINE));
    CEditProperties::Reset();
    m_first = -1;
    m_last = -1;
}

IMPLEMENT_SERIAL(CEditBox, CObject, 1)

EDIT_LINE CEditBox::GetLine(int index) const
{
    return HasLine(index) ? m_lines[static_cast<size_t>(index)] : EDIT_LINE();
}

void CEditBox::SetLine(int index, const EDIT_LINE& line)
{
    if (HasLine(index))
        m_lines[static_cast<size_t>(index)] = line;
}

void CEditBox::SetLineAtGrow(int index, const EDIT_LINE& line)
{
    if (index < 0)
        return;
    if (index >= GetLineCount())
        m_lines.resize(static_cast<size_t>(index) + 1);
    m_lines[static_cast<size_t>(index)] = line;
}

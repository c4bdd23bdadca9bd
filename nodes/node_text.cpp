#include "nodes/node_text.h"

#include "base/system_checks.h"
#include "nodes/edit_switches.h"
#include "platform/codepage.h"

CMeasuringDC::CMeasuringDC(CDC* dc)
{
    if (dc == nullptr)
        return;
    m_dc = dc->GetAttributeDC() != nullptr ? dc->GetAttributeDC() : dc;
    const DWORD type = m_dc->GetObjectType();
    if (type == OBJ_METADC || type == OBJ_METAFILE || type == OBJ_ENHMETADC || type == OBJ_ENHMETAFILE) {
        m_screen = CreateScreenDC();
        m_dc = m_screen.get();
    }
}

BOOL GetNodeTextExtent(CDC* dc, const CStringW& text, SIZE* size)
{
    if (UseWideTextOut)
        return dc->GetTextExtentPoint32W(text.c_str(), text.GetLength(), size);
    const std::string bytes = WideToCp932(text.View());
    return dc->GetTextExtentPoint32A(bytes.data(), static_cast<int>(bytes.size()), size);
}

void DrawNodeText(CDC* dc, int x, int y, const CStringW& text)
{
    if (UseWideTextOut) {
        dc->TextOutW(x, y, text.c_str(), text.GetLength());
        return;
    }
    const std::string bytes = WideToCp932(text.View());
    if (OsVersionInfo.dwPlatformId == 1)
        dc->TextOutA(x, y, bytes.data(), static_cast<int>(bytes.size()));
    else
        dc->ExtTextOutA(x, y, ETO_OPAQUE, nullptr, bytes.data(), static_cast<UINT>(bytes.size()), nullptr);
}

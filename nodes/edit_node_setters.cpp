// Font and size application to a node and its subtree. A plain node applies nothing of its own
// yet: the property setters give the recursive operations their bodies.
#include "nodes/edit_node.h"

#include "base/gdi_cache.h"
#include "nodes/undo.h"

void CEditNode::SetFontOfSelection(CCaret*, LOGFONTA*) {}
void CEditNode::SetFontSizeRecursive(const SIZE*, int, CUndoGroup*) {}
void CEditNode::SetFaceNameRecursive(const char*, int, int, CUndoGroup*) {}
void CEditNode::SetSizeRecursive(const SIZE*, int, CUndoGroup*) {}
void CEditNode::ApplyDefaultFonts(CDefaultFontTable*, CUndoGroup*) {}
void CEditNode::ApplyDefaultSizes(CDefaultFontTable*, CUndoGroup*) {}

BOOL CEditNode::SetFaceName(const char* face, CUndoGroup* group)
{
    LOGFONTA installed{};
    if (face == nullptr || !FindInstalledFont(face, &installed))
        return FALSE;
    if (group != nullptr)
        group->RecordLogFont(UndoCode::kFaceName, this, &m_lf, &installed);
    m_lf.lfCharSet = installed.lfCharSet;
    m_lf.lfOutPrecision = installed.lfOutPrecision;
    m_lf.lfClipPrecision = installed.lfClipPrecision;
    m_lf.lfQuality = installed.lfQuality;
    m_lf.lfPitchAndFamily = installed.lfPitchAndFamily;
    CopyFaceName(m_lf.lfFaceName, FaceNameView(installed.lfFaceName));
    m_dirty = 1;
    return TRUE;
}

// CVumatSrvrItem: the face of a formula object that the container sees: its extent (the
// formula's size plus half a millimetre on each axis, which also becomes the document's stored
// size) and its picture.
#pragma once

#include "platform/embedding_server.h"

class CVumatDoc;

class CVumatSrvrItem : public COleServerItem {
public:
    explicit CVumatSrvrItem(CVumatDoc* document);

    CVumatDoc* GetDocument() const;

    // The document's data when this is its embedded item; nothing for any other item.
    void Serialize(CArchive& ar) override;
    // Draws the formula into a window of the extent's size at 96 dots per inch, shifted one
    // device unit right and down; nothing without a formula.
    BOOL OnDraw(CDC* dc, SIZE& size) override;
    // The content aspect's extent; FALSE without a formula or for another aspect.
    BOOL OnGetExtent(DWORD aspect, SIZE& size) override;
};

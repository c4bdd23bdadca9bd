// The node of an embedded object (kind 0x1005): it places the object in the text and owns the
// object's client item. The node's rectangle is the object's place on the page; the item keeps
// the object itself (class, storage, picture, cached extent) and its link to a server.
#pragma once

#include "nodes/edit_node.h"

#include <memory>
#include <string>

class COleClientItem;

class CEditObject : public CEditNode {
    DECLARE_SERIAL(CEditObject)
public:
    CEditObject();
    ~CEditObject() override;

    // Links node and item both ways; the node owns the item from then on.
    void SetClientItem(std::unique_ptr<COleClientItem> item);
    COleClientItem* GetClientItem() const { return m_pItem.get(); }
    // Ends the item (its server closes without saving) and drops it.
    void DeleteClientItem();

    // The path of the side file the object was read from; empty for an object inserted here.
    std::string m_strFile;

    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // The path, the item's stream, then the node part. Loading makes the item through the
    // items' factory for the archive's document; a bad stream raises CArchiveException and
    // leaves the node as it was.
    void Serialize(CArchive& ar) override;

private:
    std::unique_ptr<COleClientItem> m_pItem;
};

// Every object below the node whose server is open closes, its server saving first; the paper
// then keeps what the servers saved.
void CloseOpenObjects(CEditNode* root);

// CSorelCntrItem: the container item of one embedded object of the paper. It keeps the object's
// node and its extent in step: a server's new extent resizes the node, and the views repaint
// the object when its server reports a change.
#pragma once

#include "platform/embedding.h"

class CEditNode;
class CEditObject;

// What the client item asks of the paper that holds it and of its view.
class CContainerDocument : public COleDocument {
public:
    // Every view of the paper gets OnUpdate with the hint and the node.
    virtual void UpdateAllViews(int hint, CEditNode* node) = 0;
    virtual void SetModifiedFlag(bool modified) = 0;
    // The view's mapping of a rectangle from document units to device pixels and back; false
    // without a view. DeviceToDocRect tells whether the paper is turned (vertical writing).
    virtual bool DocToDeviceRect(RECT* /*rect*/) { return false; }
    virtual bool DeviceToDocRect(RECT* /*rect*/, bool* /*vertical*/) { return false; }
};

class CSorelCntrItem : public COleClientItem {
    DECLARE_SERIAL(CSorelCntrItem)
public:
    explicit CSorelCntrItem(CContainerDocument* document = nullptr);

    CEditObject* GetNode() const;
    CContainerDocument* GetContainer() const;

    // Sizes the rectangle by the object's cached extent: FALSE when there is none or the
    // rectangle already has that size.
    BOOL SyncExtent(RECT* rect) const;

    void OnChange(int notification, DWORD param) override;
    BOOL OnChangeItemPosition(const RECT& position) override;
    void OnGetItemPosition(RECT* position) override;
    void OnActivate() override;
    void OnDeactivateUI(BOOL undoable) override;

    // Makes CSorelCntrItem the item class of every object read from now on.
    static void InstallFactory();
};

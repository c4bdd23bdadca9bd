// The late-bound wrappers of the word processors: CWordDispatch for Word's objects and
// CTaroDispatch for Ichitaro's. Each member is one automation property or method, named by the
// string the server publishes and looked up on every call; failures leave the member as the
// driver's COleDispatchException or COleException. These are the members the export drivers
// call to start, show, save and quit the word processors.
#pragma once

#include "platform/automation.h"

#include <array>
#include <memory>
#include <string>

class CWordDispatch : public COleDispatchDriver {
public:
    using COleDispatchDriver::COleDispatchDriver;

    // Application.
    std::shared_ptr<IDispatch> GetDocuments() const;
    void SetVisible(BOOL visible) const;
    void SetWindowState(LONG state) const;
    void Quit(VARIANT* saveChanges, VARIANT* originalFormat, VARIANT* routeDocument) const;
    // Documents.
    std::shared_ptr<IDispatch> AddDocument(VARIANT* templateName, VARIANT* newTemplate) const;
    // Document: the file name first, then the ten optional arguments of "SaveAs".
    void SaveAs(const std::array<VARIANT*, 11>& arguments) const;
};

class CTaroDispatch : public COleDispatchDriver {
public:
    using COleDispatchDriver::COleDispatchDriver;

    VARIANT GetItem(const VARIANT& index) const;
    void SetItem(const VARIANT& index, const VARIANT& value) const;
    VARIANT GetOptionEnvironment() const;
    VARIANT NewDocument() const;
    VARIANT OptionEnvironment(const VARIANT& options) const;
    VARIANT SaveDocument(const VARIANT& fileName) const;
    // Sends the flag as VT_BOOL (VARIANT_TRUE or 0).
    VARIANT WarningMode(bool on) const;
    void Quit(const VARIANT& mode) const;
    std::shared_ptr<IDispatch> GetTaroLibrary() const;
    void SetVisible(BOOL visible) const;
    void SetWindowState(LONG state) const;

private:
    VARIANT Method(const char16_t* name, std::vector<VARIANT> arguments) const;
};

#include "export/automation_wrappers.h"

#include <vector>

namespace {

std::vector<VARIANT> ByReference(std::initializer_list<VARIANT*> arguments)
{
    std::vector<VARIANT> sent;
    for (VARIANT* argument : arguments)
        sent.push_back(VARIANT::ByRef(argument));
    return sent;
}

}  // namespace

std::shared_ptr<IDispatch> CWordDispatch::GetDocuments() const
{
    return InvokeHelper(LookUp(u"Documents"), DISPATCH_PROPERTYGET, VT_DISPATCH, {}).pdispVal;
}

void CWordDispatch::SetVisible(BOOL visible) const
{
    InvokeHelper(LookUp(u"Visible"), DISPATCH_PROPERTYPUT, VT_EMPTY, {VARIANT::Bool(visible != 0)});
}

void CWordDispatch::SetWindowState(LONG state) const
{
    InvokeHelper(LookUp(u"WindowState"), DISPATCH_PROPERTYPUT, VT_EMPTY, {VARIANT::Long(state)});
}

void CWordDispatch::Quit(VARIANT* saveChanges, VARIANT* originalFormat, VARIANT* routeDocument) const
{
    InvokeHelper(LookUp(u"Quit"), DISPATCH_METHOD, VT_EMPTY, ByReference({saveChanges, originalFormat, routeDocument}));
}

std::shared_ptr<IDispatch> CWordDispatch::AddDocument(VARIANT* templateName, VARIANT* newTemplate) const
{
    return InvokeHelper(LookUp(u"Add"), DISPATCH_METHOD, VT_DISPATCH, ByReference({templateName, newTemplate})).pdispVal;
}

void CWordDispatch::SaveAs(const std::array<VARIANT*, 11>& arguments) const
{
    std::vector<VARIANT> sent;
    for (VARIANT* argument : arguments)
        sent.push_back(VARIANT::ByRef(argument));
    InvokeHelper(LookUp(u"SaveAs"), DISPATCH_METHOD, VT_EMPTY, std::move(sent));
}

VARIANT CTaroDispatch::Method(const char16_t* name, std::vector<VARIANT> arguments) const
{
    return InvokeHelper(LookUp(name), DISPATCH_METHOD, VT_VARIANT, std::move(arguments));
}

VARIANT CTaroDispatch::GetItem(const VARIANT& index) const
{
    return InvokeHelper(LookUp(u"Item"), DISPATCH_PROPERTYGET, VT_VARIANT, {index});
}

void CTaroDispatch::SetItem(const VARIANT& index, const VARIANT& value) const
{
    InvokeHelper(LookUp(u"Item"), DISPATCH_PROPERTYPUT, VT_EMPTY, {index, value});
}

VARIANT CTaroDispatch::GetOptionEnvironment() const { return Method(u"GetOptionEnvironment", {}); }

VARIANT CTaroDispatch::NewDocument() const { return Method(u"NewDocument", {}); }

VARIANT CTaroDispatch::OptionEnvironment(const VARIANT& options) const
{
    return Method(u"OptionEnvironment", {options});
}

VARIANT CTaroDispatch::SaveDocument(const VARIANT& fileName) const { return Method(u"SaveDocument", {fileName}); }

VARIANT CTaroDispatch::WarningMode(bool on) const { return Method(u"WarningMode", {VARIANT::Bool(on)}); }

void CTaroDispatch::Quit(const VARIANT& mode) const
{
    InvokeHelper(LookUp(u"Quit"), DISPATCH_METHOD, VT_EMPTY, {mode});
}

std::shared_ptr<IDispatch> CTaroDispatch::GetTaroLibrary() const
{
    return GetProperty(LookUp(u"TaroLibrary"), VT_DISPATCH).pdispVal;
}

void CTaroDispatch::SetVisible(BOOL visible) const { SetProperty(LookUp(u"Visible"), VARIANT::Bool(visible != 0)); }

void CTaroDispatch::SetWindowState(LONG state) const { SetProperty(LookUp(u"WindowState"), VARIANT::Long(state)); }

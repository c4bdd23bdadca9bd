#include "platform/automation.h"

#include <cmath>
#include <map>
#include <mutex>
#include <string>

VARIANT VARIANT::Long(int32_t value)
{
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT VARIANT::Float(float value)
{
    VARIANT v;
    v.vt = VT_R4;
    v.fltVal = value;
    return v;
}

VARIANT VARIANT::Double(double value)
{
    VARIANT v;
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

VARIANT VARIANT::Bool(bool value)
{
    VARIANT v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT VARIANT::String(std::u16string value)
{
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = std::move(value);
    return v;
}

VARIANT VARIANT::Object(std::shared_ptr<IDispatch> object)
{
    VARIANT v;
    v.vt = VT_DISPATCH;
    v.pdispVal = std::move(object);
    return v;
}

VARIANT VARIANT::Missing()
{
    VARIANT v;
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

VARIANT VARIANT::ByRef(VARIANT* target)
{
    VARIANT v;
    v.vt = VT_BYREF | VT_VARIANT;
    v.pvarVal = target;
    return v;
}

namespace {

// The numeric value of a numeric variant; false for any other kind.
bool NumericValue(const VARIANT& value, double* number)
{
    switch (value.vt) {
    case VT_I4:
        *number = value.lVal;
        return true;
    case VT_R4:
        *number = value.fltVal;
        return true;
    case VT_R8:
        *number = value.dblVal;
        return true;
    case VT_BOOL:
        *number = value.boolVal;
        return true;
    default:
        return false;
    }
}

std::u16string NumberText(double number)
{
    std::string text = std::to_string(number);
    // Trailing zeros of the fraction and a lone point go, so 3.0 reads "3".
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0')
            text.pop_back();
        if (!text.empty() && text.back() == '.')
            text.pop_back();
    }
    return std::u16string(text.begin(), text.end());
}

}  // namespace

bool ChangeVariantType(VARIANT& value, VARTYPE type)
{
    if (type == VT_VARIANT || value.vt == type)
        return true;
    // A by-reference result stands for the value it points at.
    if (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal) {
        VARIANT target = *value.pvarVal;
        if (!ChangeVariantType(target, type))
            return false;
        value = std::move(target);
        return true;
    }
    // An empty result reads as zero, or as an empty text, as automation's own conversion gives it.
    if (value.vt == VT_EMPTY && type == VT_BSTR) {
        value = VARIANT::String(u"");
        return true;
    }
    double number = 0;
    if (value.vt != VT_EMPTY && !NumericValue(value, &number))
        return false;
    switch (type) {
    case VT_I4:
        if (!std::isfinite(number) || number < -2147483648.0 || number > 2147483647.0)
            return false;
        value = VARIANT::Long(static_cast<int32_t>(std::lround(number)));
        return true;
    case VT_R4:
        value = VARIANT::Float(static_cast<float>(number));
        return true;
    case VT_R8:
        value = VARIANT::Double(number);
        return true;
    case VT_BOOL:
        value = VARIANT::Bool(number != 0);
        return true;
    case VT_BSTR:
        value = VARIANT::String(NumberText(number));
        return true;
    default:
        return false;
    }
}

bool COleDispatchDriver::CreateDispatch(const std::string& progId)
{
    m_lpDispatch = CreateAutomationObject(progId);
    return m_lpDispatch != nullptr;
}

DISPID COleDispatchDriver::LookUp(const std::u16string& name) const
{
    DISPID id = DISPID_UNKNOWN;
    if (m_lpDispatch)
        m_lpDispatch->GetIDsOfNames(name, LOCALE_SYSTEM_DEFAULT, &id);
    return id;
}

VARIANT COleDispatchDriver::InvokeHelper(DISPID id, WORD flags, VARTYPE resultType,
                                         std::vector<VARIANT> arguments) const
{
    if (!m_lpDispatch)
        throw COleException(E_POINTER);
    VARIANT result;
    EXCEPINFO info;
    const HRESULT status = m_lpDispatch->Invoke(id, LOCALE_SYSTEM_DEFAULT, flags, arguments,
                                                resultType == VT_EMPTY ? nullptr : &result, &info);
    if (status == DISP_E_EXCEPTION)
        throw COleDispatchException(info.bstrDescription, info.wCode, info.scode != 0 ? info.scode : status);
    if (FAILED(status))
        throw COleException(status);
    if (resultType == VT_EMPTY)
        return VARIANT();
    if (!ChangeVariantType(result, resultType))
        throw COleException(DISP_E_TYPEMISMATCH);
    return result;
}

VARIANT COleDispatchDriver::GetProperty(DISPID id, VARTYPE type) const
{
    return InvokeHelper(id, DISPATCH_PROPERTYGET, type, {});
}

void COleDispatchDriver::SetProperty(DISPID id, VARIANT value) const
{
    InvokeHelper(id, DISPATCH_PROPERTYPUT, VT_EMPTY, {std::move(value)});
}

namespace {

struct ServerRegistry {
    std::mutex lock;
    std::map<std::string, AutomationServerFactory> servers;
};

ServerRegistry& Registry()
{
    static ServerRegistry registry;
    return registry;
}

AutomationServerFactory FactoryOf(const std::string& progId)
{
    ServerRegistry& registry = Registry();
    std::lock_guard guard(registry.lock);
    const auto found = registry.servers.find(progId);
    return found == registry.servers.end() ? AutomationServerFactory() : found->second;
}

}  // namespace

void RegisterAutomationServer(const std::string& progId, AutomationServerFactory factory)
{
    ServerRegistry& registry = Registry();
    std::lock_guard guard(registry.lock);
    if (factory)
        registry.servers[progId] = std::move(factory);
    else
        registry.servers.erase(progId);
}

bool IsAutomationServerRegistered(const std::string& progId)
{
    return static_cast<bool>(FactoryOf(progId));
}

std::shared_ptr<IDispatch> CreateAutomationObject(const std::string& progId, HRESULT* status)
{
    const AutomationServerFactory factory = FactoryOf(progId);
    std::shared_ptr<IDispatch> object = factory ? factory() : nullptr;
    if (status)
        *status = object ? S_OK : CO_E_CLASSSTRING;
    return object;
}

CAutomationRegistration::CAutomationRegistration(std::string progId, AutomationServerFactory factory)
    : m_progId(std::move(progId)), m_former(FactoryOf(m_progId))
{
    RegisterAutomationServer(m_progId, std::move(factory));
}

CAutomationRegistration::~CAutomationRegistration() { RegisterAutomationServer(m_progId, std::move(m_former)); }

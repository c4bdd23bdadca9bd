// Late-bound automation: the programs drive word processors by member name, as OLE Automation's
// IDispatch does. A server object answers a name with a dispatch id and then carries out
// invocations (method, property get, property put) with arguments and a result held in VARIANTs.
// Servers are found by their ProgID in a registry of this process; a server registers a factory
// that makes its application object. On Linux no word processor registers by itself: until a
// server of ours registers, CreateDispatch fails and the export reports that it cannot start.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using HRESULT = int32_t;
using DISPID = int32_t;
using LCID = uint32_t;
using VARTYPE = uint16_t;

// The VARIANT kinds the exports send and read.
constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_R4 = 4;
constexpr VARTYPE VT_R8 = 5;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_ERROR = 10;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_VARIANT = 12;
constexpr VARTYPE VT_BYREF = 0x4000;

constexpr int16_t VARIANT_TRUE = -1;
constexpr int16_t VARIANT_FALSE = 0;

// Invocation flags.
constexpr WORD DISPATCH_METHOD = 1;
constexpr WORD DISPATCH_PROPERTYGET = 2;
constexpr WORD DISPATCH_PROPERTYPUT = 4;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_PROPERTYPUT = -3;
// The system default locale the members look their names up in.
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

// Status codes.
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);

constexpr bool FAILED(HRESULT status) { return status < 0; }

class IDispatch;

// A value as automation passes it. By-reference variants point at the caller's VARIANT, which
// must outlive the call; an object is shared, so copying a VARIANT adds a reference.
struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    int32_t lVal = 0;          // VT_I4
    float fltVal = 0;          // VT_R4
    double dblVal = 0;         // VT_R8
    int16_t boolVal = 0;       // VT_BOOL: VARIANT_TRUE or VARIANT_FALSE
    HRESULT scode = 0;         // VT_ERROR
    std::u16string bstrVal;    // VT_BSTR
    std::shared_ptr<IDispatch> pdispVal;  // VT_DISPATCH
    VARIANT* pvarVal = nullptr;  // VT_BYREF | VT_VARIANT

    static VARIANT Long(int32_t value);
    static VARIANT Float(float value);
    static VARIANT Double(double value);
    static VARIANT Bool(bool value);
    static VARIANT String(std::u16string value);
    static VARIANT Object(std::shared_ptr<IDispatch> object);
    // An optional argument left out: VT_ERROR with DISP_E_PARAMNOTFOUND.
    static VARIANT Missing();
    // VT_BYREF | VT_VARIANT pointing at target.
    static VARIANT ByRef(VARIANT* target);

    bool IsMissing() const { return vt == VT_ERROR && scode == DISP_E_PARAMNOTFOUND; }
    void Clear() { *this = VARIANT(); }
};

// The exception a server describes: its source and description texts and its status.
struct EXCEPINFO {
    WORD wCode = 0;
    std::u16string bstrSource;
    std::u16string bstrDescription;
    HRESULT scode = 0;
};

// A server object. Arguments are given in the order the caller writes them (not reversed as
// COM's DISPPARAMS hold them). A failing Invoke that describes its failure fills info and
// returns DISP_E_EXCEPTION.
class IDispatch {
public:
    virtual ~IDispatch() = default;
    // The id of a member name; DISP_E_UNKNOWNNAME, leaving *id alone, for a name it lacks.
    virtual HRESULT GetIDsOfNames(const std::u16string& name, LCID locale, DISPID* id) = 0;
    virtual HRESULT Invoke(DISPID id, LCID locale, WORD flags, std::vector<VARIANT>& arguments, VARIANT* result,
                           EXCEPINFO* info) = 0;
};

// A failure status of an automation call that the server did not describe.
class COleException : public std::exception {
public:
    explicit COleException(HRESULT status) : m_sc(status) {}
    const char* what() const noexcept override { return "automation call failed"; }
    HRESULT m_sc;
};

// A failure the server described: DISP_E_EXCEPTION with the server's texts.
class COleDispatchException : public std::exception {
public:
    COleDispatchException(std::u16string description, WORD code, HRESULT status)
        : m_strDescription(std::move(description)), m_wCode(code), m_scError(status)
    {
    }
    const char* what() const noexcept override { return "automation server reported an exception"; }
    std::u16string m_strDescription;
    WORD m_wCode;
    HRESULT m_scError;
};

// The driver every wrapper derives from: it holds one server object and calls its members.
class COleDispatchDriver {
public:
    COleDispatchDriver() = default;
    explicit COleDispatchDriver(std::shared_ptr<IDispatch> dispatch) : m_lpDispatch(std::move(dispatch)) {}

    // Starts the server registered under the ProgID and holds its application object; false
    // when no server answers the name.
    bool CreateDispatch(const std::string& progId);
    void AttachDispatch(std::shared_ptr<IDispatch> dispatch) { m_lpDispatch = std::move(dispatch); }
    std::shared_ptr<IDispatch> DetachDispatch() { return std::move(m_lpDispatch); }
    void ReleaseDispatch() { m_lpDispatch.reset(); }
    bool IsAttached() const { return m_lpDispatch != nullptr; }

    // The member's id, looked up on every call: DISPID_UNKNOWN when the server does not know the
    // name (the status is not examined; the invocation then fails).
    DISPID LookUp(const std::u16string& name) const;
    // One invocation. The result is checked against the type the caller expects (VT_EMPTY takes
    // no result, VT_VARIANT takes any): a result of another type that cannot be changed into it
    // raises COleException(DISP_E_TYPEMISMATCH), as a real server's marshalling would. Failures
    // raise COleDispatchException when the server describes them, else COleException; a driver
    // without an object raises COleException(E_POINTER).
    VARIANT InvokeHelper(DISPID id, WORD flags, VARTYPE resultType, std::vector<VARIANT> arguments) const;
    VARIANT GetProperty(DISPID id, VARTYPE type) const;
    void SetProperty(DISPID id, VARIANT value) const;

    std::shared_ptr<IDispatch> m_lpDispatch;
};

// Changes value to the type (VT_I4, VT_R4, VT_R8, VT_BOOL, VT_BSTR from the numeric kinds and
// from VT_EMPTY, which reads as zero or an empty text; VT_DISPATCH only from itself); false when
// it cannot.
bool ChangeVariantType(VARIANT& value, VARTYPE type);

// --- the registry of servers by ProgID
using AutomationServerFactory = std::function<std::shared_ptr<IDispatch>()>;

// Registers (or replaces) the server of the ProgID; an empty factory removes it.
void RegisterAutomationServer(const std::string& progId, AutomationServerFactory factory);
bool IsAutomationServerRegistered(const std::string& progId);
// The server's new application object, or null (status CO_E_CLASSSTRING in *status) when no
// server is registered or the factory made none.
std::shared_ptr<IDispatch> CreateAutomationObject(const std::string& progId, HRESULT* status = nullptr);

// Registers a server for its lifetime, restoring what the ProgID had before.
class CAutomationRegistration {
public:
    CAutomationRegistration(std::string progId, AutomationServerFactory factory);
    ~CAutomationRegistration();
    CAutomationRegistration(const CAutomationRegistration&) = delete;
    CAutomationRegistration& operator=(const CAutomationRegistration&) = delete;

private:
    std::string m_progId;
    AutomationServerFactory m_former;
};

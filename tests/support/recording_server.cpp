#include "tests/support/recording_server.h"

#include "platform/utf8.h"

#include <charconv>
#include <cstdio>

namespace {

// Ids that names are given from; smaller ids are the members called by a fixed id.
constexpr DISPID kFirstNamedId = 1000;

class CRecordingObject : public IDispatch {
public:
    CRecordingObject(std::shared_ptr<CRecordingServer> server, int handle) : m_server(std::move(server)), m_handle(handle) {}
    HRESULT GetIDsOfNames(const std::u16string& name, LCID, DISPID* id) override
    {
        return m_server->GetIDsOfNames(name, id);
    }
    HRESULT Invoke(DISPID id, LCID, WORD flags, std::vector<VARIANT>& arguments, VARIANT* result,
                   EXCEPINFO* info) override
    {
        return m_server->Invoke(m_handle, id, flags, arguments, result, info);
    }
    int Handle() const { return m_handle; }

private:
    std::shared_ptr<CRecordingServer> m_server;
    int m_handle;
};

std::string Number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// A double in its shortest form that reads back as the same value (10.488188976377952); a whole
// one keeps its point (5.0), so that it is never read as a long.
std::string ExactNumber(double value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    std::string number(text, result.ptr);
    if (number.find_first_of(".ein") == std::string::npos)
        number += ".0";
    return number;
}

}  // namespace

std::shared_ptr<IDispatch> CRecordingServer::NewObject(const std::string& label)
{
    m_labels[m_nextHandle] = label;
    auto object = std::make_shared<CRecordingObject>(shared_from_this(), m_nextHandle++);
    m_objects.push_back(object);
    return object;
}

AutomationServerFactory CRecordingServer::Factory()
{
    std::weak_ptr<CRecordingServer> self = shared_from_this();
    return [self]() -> std::shared_ptr<IDispatch> {
        auto server = self.lock();
        return server ? server->NewObject() : nullptr;
    };
}

void CRecordingServer::Fails(const std::string& name, std::u16string description, int occurrence, HRESULT status)
{
    m_failures[name] = FAILURE{std::move(description), occurrence, status};
}

long CRecordingServer::LiveObjects() const
{
    long alive = 0;
    for (const auto& object : m_objects)
        alive += object.expired() ? 0 : 1;
    return alive;
}

HRESULT CRecordingServer::GetIDsOfNames(const std::u16string& name, DISPID* id)
{
    const std::string text = Utf16ToUtf8(name);
    m_lookups.push_back(text);
    if (m_unknown.count(text))
        return DISP_E_UNKNOWNNAME;
    auto found = m_ids.find(text);
    if (found == m_ids.end())
        found = m_ids.emplace(text, kFirstNamedId + static_cast<DISPID>(m_ids.size())).first;
    *id = found->second;
    return S_OK;
}

std::string CRecordingServer::NameOf(DISPID id) const
{
    for (const auto& [name, known] : m_ids)
        if (known == id)
            return name;
    return "#" + std::to_string(id);
}

std::string CRecordingServer::FormatArgument(const VARIANT& value) const
{
    switch (value.vt) {
    case VT_EMPTY:
        return "empty";
    case VT_I4:
        return std::to_string(value.lVal);
    case VT_R4:
        return Number(value.fltVal) + "f";
    case VT_R8:
        return ExactNumber(value.dblVal);
    case VT_BOOL:
        return value.boolVal == VARIANT_TRUE ? "true" : value.boolVal == 0 ? "false" : "bool?";
    case VT_BSTR:
        return "\"" + Utf16ToUtf8(value.bstrVal) + "\"";
    case VT_ERROR:
        return value.scode == DISP_E_PARAMNOTFOUND ? "missing" : "error";
    case VT_DISPATCH: {
        const auto* object = dynamic_cast<const CRecordingObject*>(value.pdispVal.get());
        if (object == nullptr)
            return "null";
        return m_byMember ? "#" + m_labels.at(object->Handle()) : "#" + std::to_string(object->Handle());
    }
    case VT_BYREF | VT_VARIANT:
        return value.pvarVal ? "&" + FormatArgument(*value.pvarVal) : "&null";
    default:
        return "vt" + std::to_string(value.vt);
    }
}

HRESULT CRecordingServer::Invoke(int handle, DISPID id, WORD flags, std::vector<VARIANT>& arguments, VARIANT* result,
                                 EXCEPINFO* info)
{
    if (id == DISPID_UNKNOWN)
        return DISP_E_MEMBERNOTFOUND;
    const std::string name = NameOf(id);
    std::string line = (m_byMember ? m_labels[handle] : std::to_string(handle)) + "." + name + " " +
                       (flags == DISPATCH_PROPERTYGET   ? "get"
                        : flags == DISPATCH_PROPERTYPUT ? "put"
                                                        : "call") +
                       "(";
    for (size_t i = 0; i < arguments.size(); ++i)
        line += (i ? ", " : "") + FormatArgument(arguments[i]);
    line += ")";
    m_transcript.push_back(line);
    if (auto hook = m_hooks.find(name); hook != m_hooks.end())
        hook->second(arguments);

    const int occurrence = ++m_calls[name];
    if (auto failure = m_failures.find(name); failure != m_failures.end()) {
        if (failure->second.occurrence == 0 || failure->second.occurrence == occurrence) {
            if (failure->second.description.empty())
                return failure->second.status;
            if (info) {
                info->bstrDescription = failure->second.description;
                info->scode = failure->second.status;
            }
            return DISP_E_EXCEPTION;
        }
    }
    if (result) {
        if (m_objectMembers.count(name)) {
            *result = VARIANT::Object(NewObject(name));
        } else if (auto scripted = m_results.find(name); scripted != m_results.end() && !scripted->second.empty()) {
            *result = scripted->second.front();
            if (scripted->second.size() > 1)
                scripted->second.erase(scripted->second.begin());
        } else {
            *result = VARIANT();
        }
    }
    return S_OK;
}

#include "editor/registration.h"

#include "platform/codepage.h"
#include "platform/profile.h"

#include <exception>

namespace {

constexpr char kDocumentType[] = "Tarsel.Document";
constexpr char kDocumentExtension[] = ".qns";

std::string Cp932(const char16_t* text) { return WideToCp932(text); }

}  // namespace

const SERVER_REGISTRATION kFormulaEditorServer = {
    "Vumat", ".qni", "Vumat.Document", u"Orvellan　数式エディタ", "{5B1E7C42-3A9D-4F06-B2C8-6D14E09A73F5}", "Vumat"};
const SERVER_REGISTRATION kFigureEditorServer = {
    "Kiran", ".qnz", "Kiran.Document", u"Orvellan　図形エディタ", "{3F86B0D4-C21E-47A9-85D3-E90B6A4F12C8}", "Kiran"};

bool SetClassesRootValue(CClassRegistry& registry, const std::string& key, const std::string& value,
                         const char* valueName)
{
    return registry.SetValue(key, valueName ? valueName : "", value);
}

void SetClassesRootString(CClassRegistry& registry, const std::string& key, const std::string& valueName,
                          const std::string& value)
{
    if (!registry.CreateKey(key))
        return;
    if (!value.empty())
        registry.SetValue(key, valueName, value);
}

void SetClsidString(CClassRegistry& registry, const std::string& clsid, const char* subKey,
                    const std::string& valueName, const std::string& value)
{
    std::string key = "CLSID\\" + clsid;
    if (subKey && *subKey)
        key += std::string("\\") + subKey;
    SetClassesRootString(registry, key, valueName, value);
}

void RegisterEditorServer(CClassRegistry& registry, const SERVER_REGISTRATION& server,
                          const std::string& programFolder)
{
    const std::string userType = Cp932(server.userTypeName);
    const std::string program = programFolder + server.programFile;
    const std::string progId = server.progId;
    const std::string clsid = server.clsid;

    SetClassesRootString(registry, server.extension, "", progId);
    SetClassesRootString(registry, progId + "\\shell\\open\\command", "", program + " %1");
    SetClassesRootString(registry, progId, "", userType);
    SetClassesRootString(registry, progId + "\\protocol\\StdFileEditing\\server", "", program);
    SetClassesRootString(registry, progId + "\\protocol\\StdFileEditing\\verb\\0", "", "&Edit");
    SetClassesRootString(registry, progId + "\\Insertable", "", "");
    SetClassesRootString(registry, progId + "\\CLSID", "", clsid);
    SetClsidString(registry, clsid, nullptr, "", userType);
    SetClsidString(registry, clsid, "DefaultIcon", "", program + ",1");
    SetClsidString(registry, clsid, "LocalServer32", "", program);
    SetClsidString(registry, clsid, "ProgId", "", progId);
    SetClsidString(registry, clsid, "MiscStatus", "", "32");
    SetClsidString(registry, clsid, "AuxUserType\\3", "", server.shortName);
    SetClsidString(registry, clsid, "AuxUserType\\2", "", userType);
    SetClsidString(registry, clsid, "Insertable", "", "");
    SetClsidString(registry, clsid, "verb\\1", "", "&Open,0,2");
    SetClsidString(registry, clsid, "verb\\0", "", "&Edit,0,2");
    SetClsidString(registry, clsid, "InprocHandler32", "", "ole32.dll");
}

void RegisterFormulaEditorServer(CClassRegistry& registry, const std::string& programFolder)
{
    RegisterEditorServer(registry, kFormulaEditorServer, programFolder);
}

void RegisterFigureEditorServer(CClassRegistry& registry, const std::string& programFolder)
{
    RegisterEditorServer(registry, kFigureEditorServer, programFolder);
}

void RegisterDocumentShellKeys(CClassRegistry& registry, const std::string& programPath,
                               const std::string& applicationTitle, bool withIcons)
{
    // The program carries its document icon as its second icon.
    const std::string iconIndex = ",1";
    if (!SetClassesRootValue(registry, kDocumentType, applicationTitle))
        return;
    if (withIcons && !SetClassesRootValue(registry, std::string(kDocumentType) + "\\DefaultIcon",
                                          programPath + iconIndex))
        return;
    if (!SetClassesRootValue(registry, std::string(kDocumentType) + "\\shell\\open\\command",
                             programPath + " \"%1\""))
        return;
    std::string current;
    if (!registry.QueryValue(kDocumentExtension, "", &current) || current.empty() || current == kDocumentType)
        SetClassesRootValue(registry, kDocumentExtension, kDocumentType);
}

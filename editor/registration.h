// What the problem editor writes into the class registry at every start: the shell keys of its
// own document type and the class keys of the two sibling editors whose objects it embeds.
// Every write failure is ignored; the document-type registration stops at its first one.
#pragma once

#include <string>

class CClassRegistry;

// The words in which the two sibling-server registrations differ.
struct SERVER_REGISTRATION {
    const char* programFile;   // "Vumat": the program beside the problem editor's own
    const char* extension;     // ".qni"
    const char* progId;        // "Vumat.Document"
    const char16_t* userTypeName;
    const char* clsid;         // "{…}"
    const char* shortName;     // "Vumat"
};

extern const SERVER_REGISTRATION kFormulaEditorServer;
extern const SERVER_REGISTRATION kFigureEditorServer;

// The key's default value (no value name) or a named value; false when the write failed.
bool SetClassesRootValue(CClassRegistry& registry, const std::string& key, const std::string& value,
                         const char* valueName = nullptr);
// Creates the key; sets the value only when it is not empty. Failures are ignored.
void SetClassesRootString(CClassRegistry& registry, const std::string& key, const std::string& valueName,
                          const std::string& value);
void SetClsidString(CClassRegistry& registry, const std::string& clsid, const char* subKey,
                    const std::string& valueName, const std::string& value);

// The 18 writes of a server, in order; programFolder ends with a separator.
void RegisterEditorServer(CClassRegistry& registry, const SERVER_REGISTRATION& server,
                          const std::string& programFolder);
void RegisterFormulaEditorServer(CClassRegistry& registry, const std::string& programFolder);
void RegisterFigureEditorServer(CClassRegistry& registry, const std::string& programFolder);

// "Tarsel.Document" with its icon and open command, and ".qns" when it belongs to nobody else.
// applicationTitle is code page 932.
void RegisterDocumentShellKeys(CClassRegistry& registry, const std::string& programPath,
                               const std::string& applicationTitle, bool withIcons);

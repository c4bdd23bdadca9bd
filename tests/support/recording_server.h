// A recording automation server for tests: it answers every member name, keeps the transcript
// of the calls made on its objects (object, name, kind, arguments), hands out a new object
// handle for the members a test names, gives scripted results and fails chosen calls.
#pragma once

#include "platform/automation.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CRecordingServer : public std::enable_shared_from_this<CRecordingServer> {
public:
    // One call: "1.Visible put(false)" — the object's handle (the application is 1, then in the
    // order they were handed out), the name (or "#113" for a fixed id), get, put or call, and the
    // arguments: numbers (a float with "f", a double in the shortest form that reads back the
    // same, a whole one with ".0"), true/false, "text", missing, &(by reference), #handle for objects.
    std::vector<std::string> Transcript() const { return m_transcript; }
    void ClearTranscript() { m_transcript.clear(); }

    // A new application object (handle 1 for the first); a label names it in the transcript
    // while objects are named by member.
    std::shared_ptr<IDispatch> NewObject(const std::string& label = "App");
    // Transcript lines begin with the member that returned the object ("Selection.TypeText")
    // instead of its handle.
    void NameObjectsByMember() { m_byMember = true; }
    // The names looked up, in order (fixed-id members look nothing up).
    std::vector<std::string> LookedUp() const { return m_lookups; }
    // The factory to register under a ProgID: each start gives a new application object.
    AutomationServerFactory Factory();

    // Calls of the name return a new object each.
    void ReturnsObject(const std::string& name) { m_objectMembers[name] = true; }
    // Calls of the name return the value.
    void Returns(const std::string& name, VARIANT value) { m_results[name] = {std::move(value)}; }
    // Calls of the name return the values in turn; the last one repeats.
    void ReturnsInTurn(const std::string& name, std::vector<VARIANT> values) { m_results[name] = std::move(values); }
    // Runs while a call of the name is made, with its arguments (after it is recorded).
    void OnCall(const std::string& name, std::function<void(const std::vector<VARIANT>&)> hook)
    {
        m_hooks[name] = std::move(hook);
    }
    // The occurrence (1-based; 0 every one) of the name fails: with a description, as the
    // server's own exception; with an empty one, as a bare status.
    void Fails(const std::string& name, std::u16string description, int occurrence = 0,
               HRESULT status = E_FAIL);
    // The name is unknown to the server's objects.
    void DoesNotKnow(const std::string& name) { m_unknown[name] = true; }
    // How many objects are alive (handed out and not yet released by the callers).
    long LiveObjects() const;

    HRESULT GetIDsOfNames(const std::u16string& name, DISPID* id);
    HRESULT Invoke(int handle, DISPID id, WORD flags, std::vector<VARIANT>& arguments, VARIANT* result,
                   EXCEPINFO* info);

private:
    struct FAILURE {
        std::u16string description;
        int occurrence;
        HRESULT status;
    };
    std::string NameOf(DISPID id) const;
    std::string FormatArgument(const VARIANT& value) const;

    std::vector<std::string> m_transcript;
    std::map<std::string, DISPID> m_ids;
    std::map<std::string, bool> m_objectMembers;
    std::map<std::string, std::vector<VARIANT>> m_results;
    std::map<std::string, std::function<void(const std::vector<VARIANT>&)>> m_hooks;
    std::vector<std::string> m_lookups;
    std::map<int, std::string> m_labels;
    bool m_byMember = false;
    std::map<std::string, FAILURE> m_failures;
    std::map<std::string, int> m_calls;
    std::map<std::string, bool> m_unknown;
    std::vector<std::weak_ptr<IDispatch>> m_objects;
    int m_nextHandle = 1;
};

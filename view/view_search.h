// What the question-bank search needs of the program around the view: the library's entry
// points found at start-up, and the document's undo history, its root and its plain print files.
#pragma once

#include <memory>
#include <string>

class CEditPrint;

// The entry points of "Zovivuva.dll" (see view/search_library.h); only the first of the three
// that the library exports is set.
struct SEARCH_ENTRY_POINTS {
    void* searchProc20 = nullptr;
    void* searchProc2 = nullptr;
    void* searchProc = nullptr;
};

class IQuestionSearchHost {
public:
    virtual ~IQuestionSearchHost() = default;
    virtual SEARCH_ENTRY_POINTS SearchEntryPoints() const = 0;
    // Whether the paper came from the question bank (its "SearchProgID" had a character).
    virtual bool SearchInfoFlag() const = 0;
    virtual void ClearUndo() = 0;
    virtual bool IsModified() const = 0;
    // The document's root taken out of it (the document then has none), and put back.
    virtual std::unique_ptr<CEditPrint> TakeRoot() = 0;
    virtual void PutRoot(std::unique_ptr<CEditPrint> root) = 0;
    // Reads a plain print file into a new root of the document; on failure the document may hold
    // what was read so far.
    virtual bool LoadPlainFile(const std::string& path) = 0;
    // Writes the document's root as a plain print file with its side files beside it.
    virtual bool WritePlainFile(const std::string& path) = 0;
};

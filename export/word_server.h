// Our own automation server for "Word.Application": it answers every member the Word export
// calls, with the objects those members live on (application, documents, document, window,
// pane, selection, ranges, fonts, paragraph formats, borders, shading, page setup, tables, rows,
// columns, cells and inline shapes), keeps the document in its own model and saves it as a
// WordprocessingML package (.docx). Every argument is checked before use; a call the server
// cannot carry out fails with a described dispatch failure, which the export's writers catch.
#pragma once

#include "platform/automation.h"

#include <functional>
#include <memory>
#include <string>

class CWordDocumentModel;

// Shows a saved document to the user (the desktop's program for it); called when the server is
// made visible after a save.
using WordDocumentOpener = std::function<void(const std::string& path)>;

// A new application object of the server; every object it hands out shares its state.
std::shared_ptr<IDispatch> NewWordServer(WordDocumentOpener opener = {});
// Registers the server under "Word.Application" for the life of the returned registration,
// unless a server already answers that name (null then). Without an opener the saved document
// opens in the desktop's default program for it.
std::unique_ptr<CAutomationRegistration> RegisterWordServer(WordDocumentOpener opener = {});
// The document model behind any object of the server, for looking at what the calls built;
// null without a document or for an object of another server.
CWordDocumentModel* WordServerModel(const std::shared_ptr<IDispatch>& object);
// Asks the shell to open the file in the desktop's default program for it.
void OpenWithDesktop(const std::string& path);

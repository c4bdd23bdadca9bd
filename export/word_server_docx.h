// The WordprocessingML of our Word server's document and the .docx package that holds it: the
// content types, the relationship parts, word/document.xml, a minimal word/styles.xml and the
// pictures under word/media/. Every text is sanitised on the way out, so the XML always parses.
#pragma once

#include "export/word_server_model.h"

#include <string>
#include <system_error>
#include <vector>

struct ZIP_ENTRY;

// word/document.xml of the model; pictures receives the pictures in the order of their
// relationship ids (rId2 is the first).
std::string WordDocumentXml(const CWordDocumentModel& model, std::vector<const WORD_PICTURE*>* pictures);
// The parts of the package, in the order they are stored.
std::vector<ZIP_ENTRY> WordPackageParts(const CWordDocumentModel& model);
// The package written to path by safe replacement: the former file stays whole on failure.
std::error_code SaveWordPackage(const CWordDocumentModel& model, const std::string& path);

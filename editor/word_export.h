// The word-processor exports as the document carries them out: the progress window the drivers
// show, the answers of the file-in-use choice and the document writers that fill the new Word
// or Ichitaro document. The writers belong to the export code and are set where it starts; until
// a writer is set, its export fails with its exit code and saves nothing.
#pragma once

#include "export/convert_progress.h"

#include <functional>
#include <string>

class CEditPrint;
class CTaroDispatch;
class CWordDispatch;
struct XML_BUILD_CONTEXT;

// The ProgIDs of the two word processors.
inline constexpr char kWordProgId[] = "Word.Application";
inline constexpr char kIchitaroProgId[] = "JXW.Application";

// The answers of the file-in-use choice.
constexpr int kFileInUseRetry = 4;
constexpr int kFileInUseRename = 1311;

using WordDocumentWriter =
    std::function<void(CEditPrint& root, CWordDispatch& document, XML_BUILD_CONTEXT& context, IConvertProgress& progress)>;
using IchitaroDocumentWriter =
    std::function<void(CEditPrint& root, CTaroDispatch& library, XML_BUILD_CONTEXT& context, IConvertProgress& progress)>;

struct WORD_PROCESSOR_WRITERS {
    WordDocumentWriter word;
    IchitaroDocumentWriter ichitaro;
};

// The writers the drivers call; empty until the export code sets them.
WORD_PROCESSOR_WRITERS& WordProcessorWriters();

// A target file is in use when it exists and cannot be opened for writing. Windows refuses
// an exclusive open of a file another program holds; Linux has no mandatory locks, so a file
// that refuses writing (its permissions, a read-only file system) stands for one in use.
bool IsFileInUse(const std::string& path);

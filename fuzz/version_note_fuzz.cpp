// The version note of a program file: any bytes as the file the update patch reads, whose text
// must come back bounded or not at all.
#include "platform/file_version_note.h"

#include "fuzz_input.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MemoryFile file(data, size);
    std::string text;
    if (ReadFileVersionNote(file.Path(), &text) && text.size() > kFileVersionNoteMaxText)
        std::abort();
    return 0;
}

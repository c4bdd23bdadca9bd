// A question-bank search library for the tests and for trying the search by hand. It exports the
// three entry points and is driven by the environment:
//   QNS_FAKE_RESULT  a print file to return (a copy, which the editor deletes); without it,
//                    SearchProc20 returns a copy of the paper it was given and the others 2
//   QNS_FAKE_ANSWER  the return value instead of 1
//   QNS_FAKE_LOG     a file the request is appended to, one line per field
// It hands back a result list of two nodes allocated with malloc, as the interface asks.
#include "view/search_library.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Log(const std::string& line)
{
    const char* path = std::getenv("QNS_FAKE_LOG");
    if (path == nullptr)
        return;
    if (FILE* log = std::fopen(path, "a")) {
        std::fputs((line + "\n").c_str(), log);
        std::fclose(log);
    }
}

std::string ReadFile(const char* path)
{
    std::string bytes;
    if (FILE* file = std::fopen(path, "rb")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, n);
        std::fclose(file);
    }
    return bytes;
}

// The information file's bytes as hexadecimal.
std::string Hex(const std::string& bytes)
{
    std::string text;
    char digits[4];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text;
}

// A copy of the file in the temporary folder, its path allocated with malloc.
char* CopyToTemporary(const char* source)
{
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder != nullptr && *folder ? folder : "/tmp") + "/fakeresultXXXXXX";
    const int file = mkstemp(pattern.data());
    if (file < 0)
        return nullptr;
    const std::string bytes = ReadFile(source);
    const bool written = write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(file);
    if (!written)
        return nullptr;
    char* path = static_cast<char*>(std::malloc(pattern.size() + 1));
    std::memcpy(path, pattern.c_str(), pattern.size() + 1);
    return path;
}

template <typename Node>
void* TwoResultNodes()
{
    auto* first = static_cast<Node*>(std::calloc(1, sizeof(Node)));
    auto* second = static_cast<Node*>(std::calloc(1, sizeof(Node)));
    first->next = second;
    return first;
}

int Answer(const char* paperPath, SEARCH_RESULT* result)
{
    const char* fixture = std::getenv("QNS_FAKE_RESULT");
    const char* source = fixture != nullptr ? fixture : paperPath;
    if (source == nullptr)
        return 2;
    result->paperPath = CopyToTemporary(source);
    const char* answer = std::getenv("QNS_FAKE_ANSWER");
    return answer != nullptr ? std::atoi(answer) : 1;
}

void LogCommon(const char* flow, const char* progId, const char* informationPath)
{
    Log(std::string("flow ") + flow);
    Log(std::string("progid ") + progId);
    Log(std::string("information ") + informationPath);
    Log("information-bytes " + Hex(ReadFile(informationPath)));
}

}  // namespace

extern "C" int SearchProc20(SEARCH_REQUEST20* request, SEARCH_RESULT* result)
{
    LogCommon("SearchProc20", request->searchProgId, request->informationPath);
    Log(std::string("paper ") + request->paperPath);
    Log("paper-bytes " + std::to_string(ReadFile(request->paperPath).size()));
    for (SEARCH_ID_NODE2* node = request->questions; node != nullptr; node = node->next)
        Log("question " + std::to_string(node->codes[0]) + " " + std::to_string(node->problemNumber) + " " +
            std::to_string(node->subNumber) + " " + std::to_string(node->modified));
    result->results = TwoResultNodes<SEARCH_ID_NODE2>();
    return Answer(request->paperPath, result);
}

extern "C" int SearchProc2(SEARCH_REQUEST2* request, SEARCH_RESULT* result)
{
    LogCommon("SearchProc2", request->searchProgId, request->informationPath);
    for (SEARCH_ID_NODE2* node = request->questions; node != nullptr; node = node->next)
        Log("question " + std::to_string(node->codes[0]) + " " + std::to_string(node->problemNumber) + " " +
            std::to_string(node->subNumber) + " " + std::to_string(node->modified));
    result->results = TwoResultNodes<SEARCH_ID_NODE2>();
    return Answer(nullptr, result);
}

extern "C" int SearchProc(SEARCH_REQUEST* request, SEARCH_RESULT* result)
{
    LogCommon("SearchProc", request->searchProgId, request->informationPath);
    char id[64];
    for (SEARCH_ID_NODE* node = request->questions; node != nullptr; node = node->next) {
        std::snprintf(id, sizeof id, "%.1f", node->id);
        Log(std::string("question ") + id + " " + std::to_string(node->modified));
    }
    result->results = TwoResultNodes<SEARCH_ID_NODE>();
    return Answer(nullptr, result);
}

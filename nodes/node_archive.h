// The node archive: the stream form of the editing nodes, the class sets each program reads, and
// node lists as bytes and on the clipboard (the private format "QN_CF_LIST_CHAR").
//
// Each class writes its own fields first and then its base class's form; the element-node part
// comes last. Records go as blocks: a 32-bit byte count, then the record's image in the Windows
// layout. Stream bytes are untrusted: every block length, count and face name is checked, and a
// bad stream raises CArchiveException with nothing changed and nothing left allocated.
#pragma once

#include "nodes/edit_box.h"
#include "nodes/edit_node.h"
#include "platform/archive.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

// The programs whose class sets differ: the formula editor lacks the classes of the paper
// (question numbers, points labels, objects, the editors' guarded roots).
enum class NODE_PROGRAM { ProblemEditor, FormulaEditor };

// Adds the base classes and the node classes of the program to the registry.
void RegisterNodeClasses(CRuntimeClassRegistry& registry, NODE_PROGRAM program);

// --- record images
constexpr uint32_t kEditPropertiesImageSize = 272;
constexpr uint32_t kEditLineImageSize = 328;
constexpr uint32_t kLogFontImageSize = 60;

using EditPropertiesImage = std::array<BYTE, kEditPropertiesImageSize>;
using EditLineImage = std::array<BYTE, kEditLineImageSize>;
using LogFontImage = std::array<BYTE, kLogFontImageSize>;

// Images in the Windows layout, padding zero.
EditPropertiesImage EditPropertiesToImage(const CEditProperties& record);
EditLineImage EditLineToImage(const EDIT_LINE& line);
LogFontImage LogFontToImage(const LOGFONTA& font);
// Records from images; false when a face name in it has no terminating zero.
bool EditPropertiesFromImage(std::span<const BYTE, kEditPropertiesImageSize> image, CEditProperties& record);
bool EditLineFromImage(std::span<const BYTE, kEditLineImageSize> image, EDIT_LINE& line);
bool LogFontFromImage(std::span<const BYTE, kLogFontImageSize> image, LOGFONTA& font);

// The framework's narrow-string form (paths): a length of one byte, or 0xFF and two bytes, or
// 0xFF, 0xFFFF and four bytes; then the bytes. A read length is checked against the stream.
void WriteNarrowString(CArchive& ar, const std::string& text);
std::string ReadNarrowString(CArchive& ar);

// Writes a face name kept as 32 raw bytes, and reads one; a read face without a terminating zero
// raises genericException.
void WriteFaceBytes(CArchive& ar, const char (&face)[LF_FACESIZE]);
void ReadFaceBytes(CArchive& ar, char (&face)[LF_FACESIZE]);

// Writes or reads the 32-bit fields a class puts ahead of its base class's form, the base part
// through serializeBase. A read sets the fields only once the base part has read whole, so that a
// damaged stream leaves the node as it was.
template <typename SerializeBase>
void SerializeFieldsThenBase(CArchive& ar, std::initializer_list<int32_t*> fields, SerializeBase&& serializeBase)
{
    if (ar.IsStoring()) {
        for (int32_t* field : fields)
            ar << *field;
        serializeBase();
        return;
    }
    std::vector<int32_t> values(fields.size());
    for (int32_t& value : values)
        ar >> value;
    serializeBase();
    auto value = values.begin();
    for (int32_t* field : fields)
        *field = *value++;
}

// --- node lists: a count, then each node as an object reference, in document order.
void WriteNodeList(CArchive& ar, std::span<CEditNode* const> nodes);
// Reads a node list. Every entry and every node below it must be an editing node; anything else
// raises genericException, and nothing read is kept.
std::vector<std::unique_ptr<CEditNode>> ReadNodeList(CArchive& ar);

// The bytes of a node list, and a node list from bytes, classes looked up in registry (the
// program's registry when null). NodeListFromBytes raises the archive's exception on bad bytes.
std::vector<BYTE> NodeListToBytes(std::span<CEditNode* const> nodes);
std::vector<std::unique_ptr<CEditNode>> NodeListFromBytes(std::span<const BYTE> bytes,
                                                           const CRuntimeClassRegistry* registry = nullptr);

// --- the node clipboard
inline constexpr const char kNodeListClipboardFormatName[] = "QN_CF_LIST_CHAR";

// Puts the nodes on the clipboard under the node-list format; false when the list cannot be
// written (a node refuses, or memory runs out) or the clipboard refuses.
bool CopyNodesToClipboard(std::span<CEditNode* const> nodes);
// Whether the clipboard offers a node list.
bool ClipboardHasNodeList();
// The node list on the clipboard: empty when there is none; raises the archive's exception when
// its bytes are bad (the paste is then abandoned with nothing inserted).
std::vector<std::unique_ptr<CEditNode>> PasteNodesFromClipboard(const CRuntimeClassRegistry* registry = nullptr);

// Helpers of the word-processor writer tests: expected call transcripts as lines, node trees
// built by hand, and a progress that records what it is told.
#pragma once

#include "base/xml_node.h"
#include "export/convert_progress.h"
#include "nodes/edit_char.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace writertest {

using Lines = std::vector<std::string>;

inline Lines Join(std::initializer_list<Lines> parts)
{
    Lines all;
    for (const Lines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

template <typename T>
T* Add(CQNXMLNode* parent, T* child)
{
    parent->AppendChild(child);
    return child;
}

inline CEditChar* Char(CQNXMLNode* parent, const char16_t* text) { return Add(parent, new CEditChar(CStringW(text))); }

inline CEditCR* LineEnd(CQNXMLNode* parent, int align = 0)
{
    auto* cr = Add(parent, new CEditCR());
    cr->m_textAlign = align;
    return cr;
}

class RecordingProgress : public IConvertProgress {
public:
    void SetMessage(const std::u16string&) override {}
    void SetRange32(int lower, int upper) override { calls.push_back("range " + std::to_string(lower) + " " + std::to_string(upper)); }
    void SetPos(int position) override { calls.push_back("pos " + std::to_string(position)); }
    Lines calls;
};

}  // namespace writertest

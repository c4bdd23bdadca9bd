#include "export/gaiji_pass.h"

#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "base/gaiji_lookup.h"
#include "base/property_records.h"

#include <memory>
#include <new>
#include <vector>

namespace {

constexpr int kMathMLBit = 0x200;

// A stretch of a text whose characters all map, or all do not.
struct GAIJI_RUN {
    CStringW text;
    bool mapped = false;
};

std::vector<GAIJI_RUN> SplitByMapping(const CStringW& text)
{
    std::vector<GAIJI_RUN> runs;
    for (int i = 0; i < text.GetLength(); ++i) {
        char16_t character = text.GetAt(i);
        const bool mapped = MapToGaijiChar(character, &character) != FALSE;
        if (runs.empty() || runs.back().mapped != mapped)
            runs.push_back(GAIJI_RUN{CStringW(), mapped});
        runs.back().text += CStringW(character);
    }
    return runs;
}

// A new fo:inline with the run's every property, not its text or children.
std::unique_ptr<CFoInline> CopyOfInline(const CFoInline& run)
{
    auto copy = std::make_unique<CFoInline>();
    copy->m_flags = run.m_flags;
    copy->m_idClass = run.m_idClass;
    copy->m_class = run.m_class;
    static_cast<CFDraw&>(*copy) = run;
    static_cast<CFontProperties&>(*copy) = run;
    static_cast<CColorRelatedProperties&>(*copy) = run;
    static_cast<CBorderPaddingBackgroundProperties&>(*copy) = run;
    static_cast<CAreaAlignmentProperties&>(*copy) = run;
    static_cast<CCharacterProperties&>(*copy) = run;
    static_cast<CKasenRenbanProperties&>(*copy) = run;
    copy->m_runLayouts = run.m_runLayouts;
    copy->m_runLayout = run.m_runLayout;
    return copy;
}

// Maps an fo:inline, splitting it where needed; the number of inlines it became.
int MapInline(CFoInline* run, bool vertical)
{
    const std::vector<GAIJI_RUN> runs = SplitByMapping(run->GetText());
    if (runs.empty() || (runs.size() == 1 && !runs[0].mapped))
        return 1;
    // The copies are made first, so that running out of memory leaves the inline as it was.
    std::vector<std::unique_ptr<CFoInline>> copies;
    for (size_t i = 1; i < runs.size(); ++i)
        copies.push_back(CopyOfInline(*run));
    CQNXMLNode* parent = run->GetParent();
    const int index = run->GetIndexInParent();
    for (size_t i = 0; i < runs.size(); ++i) {
        CFoInline* target = i == 0 ? run : copies[i - 1].get();
        target->SetText(runs[i].text);
        if (runs[i].mapped)
            CopyFaceName(target->m_fontFace, vertical ? kVerticalGaijiFace : kGaijiFace);
        if (i > 0 && parent != nullptr)
            parent->InsertChildAt(index + static_cast<int>(i), copies[i - 1].release());
    }
    return static_cast<int>(runs.size());
}

void MapMathToken(CQNXMLNode* element)
{
    if ((element->m_typeCode & kMathMLBit) == 0 || element->m_typeCode == XEC_MO || element->GetText().IsEmpty())
        return;
    auto* token = dynamic_cast<CMathMLNode*>(element);
    if (token == nullptr)
        return;
    CStringW text;
    bool replaced = false;
    for (int i = 0; i < element->GetText().GetLength(); ++i) {
        char16_t character = element->GetText().GetAt(i);
        replaced = MapToGaijiChar(character, &character) != FALSE || replaced;
        text += CStringW(character);
    }
    if (!replaced)
        return;
    token->SetText(text);
    CopyFaceName(token->m_fontFace, kGaijiFace);
}

}  // namespace

void ApplyGaijiFont(CQNXMLNode* element, bool vertical)
{
    if (element == nullptr)
        return;
    try {
        for (int i = 0; i < element->GetChildCount(); ++i) {
            CQNXMLNode* child = element->GetChildAt(i);
            if (auto* run = dynamic_cast<CFoInline*>(child); run != nullptr && child->m_typeCode == XEC_FO_INLINE) {
                i += MapInline(run, vertical) - 1;
                continue;
            }
            MapMathToken(child);
            ApplyGaijiFont(child, vertical);
        }
    } catch (const std::bad_alloc&) {
        // The remaining children stay as they are; the fragment is written with what was mapped.
    }
}

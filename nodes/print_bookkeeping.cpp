// What the root keeps for the print-file reader and writer: the paper's path, the temporary
// files extracted while reading and written beside the file while saving, and the part-reference
// tree that maps each block of the paper to its path in the file's data part.
#include "base/element_classes.h"
#include "nodes/edit_print.h"
#include "nodes/page_furniture.h"
#include "nodes/question_parts.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>

namespace {

constexpr int kTextBoxPartKind = 5;
constexpr int kLiteralBlockPartKind = 6;

// The major-question and sub-question paths of part kinds 1 to 4.
constexpr const char16_t* kMajorPaths[] = {u"/print/dmon[%d]/mon/dai", u"/print/dmon[%d]/mon/ran",
                                           u"/print/dmon[%d]/mon/kai", u"/print/dmon[%d]/mon/setsu"};
constexpr const char16_t* kSubPaths[] = {u"/print/dmon[%d]/smon[%d]/dai", u"/print/dmon[%d]/smon[%d]/ran",
                                         u"/print/dmon[%d]/smon[%d]/kai", u"/print/dmon[%d]/smon[%d]/setsu"};

void DeleteFiles(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        std::error_code ignored;
        std::filesystem::remove(std::filesystem::path(path), ignored);
    }
}

std::unique_ptr<CQNXMLNode> ApplyTemplates(const CStringW& path, int kind, int major, int sub, int partKind)
{
    auto entry = std::make_unique<CXslApplyTemplates>();
    entry->m_select = path;
    entry->m_applyReserved[0] = kind;
    entry->m_applyReserved[1] = major;
    entry->m_applyReserved[2] = sub;
    entry->m_applyReserved[3] = partKind;
    return entry;
}

// A literal block container in the flow: a page break (break after 2), or a block with no
// path of its own in the data part.
std::unique_ptr<CQNXMLNode> LiteralBlock(int breakAfter)
{
    auto entry = std::make_unique<CFoBlockContainer>();
    entry->m_breakAfter = breakAfter;
    return entry;
}

// The part kind that the last step of a question part's path names; 0 (no question part) when
// it names none.
int PartKindOfStep(const CStringW& step)
{
    static constexpr const char16_t* kNames[] = {u"dai", u"ran", u"kai", u"setsu", u"gai"};
    for (int i = 0; i < 5; ++i) {
        if (step.Find(kNames[i]) >= 0)
            return i + 1;
    }
    return PART_NONE;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Paths and temporary files

void CEditPrint::SetPathName(const char* path)
{
    m_pathName = path != nullptr ? path : "";
    const size_t slash = m_pathName.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    m_drive.clear();
    m_directory = m_pathName.substr(0, nameStart);
    const std::string name = m_pathName.substr(nameStart);
    const size_t dot = name.rfind('.');
    m_fileName = dot == std::string::npos ? name : name.substr(0, dot);
    m_extension = dot == std::string::npos ? std::string() : name.substr(dot);
}

void CEditPrint::AddExtractedFile(const char* path)
{
    if (path != nullptr)
        m_extractedFiles.emplace_back(path);
}

void CEditPrint::DeleteExtractedFiles() { DeleteFiles(m_extractedFiles); }

void CEditPrint::ClearSideFiles() { m_sideFiles.clear(); }

void CEditPrint::AddSideFile(const char* path)
{
    if (path != nullptr)
        m_sideFiles.emplace_back(path);
}

void CEditPrint::DeleteSideFiles() { DeleteFiles(m_sideFiles); }

// ---------------------------------------------------------------------------------------------
// The part-reference tree

CFoFlow* CEditPrint::GetPartReferences() const
{
    return static_cast<CFoFlow*>(m_partReferences.get());
}

void CEditPrint::SetPartReferences(std::unique_ptr<CFoFlow> flow)
{
    m_partReferences = std::move(flow);
}

int CEditPrint::BuildPartPaths()
{
    if (m_partReferences == nullptr || GetChildCount() == 0)
        return 0;
    try {
        std::vector<std::unique_ptr<CQNXMLNode>> entries;
        entries.reserve(static_cast<size_t>(GetChildCount()));
        int textBoxes = 1;
        for (int i = 0; i < GetChildCount(); ++i) {
            CEditNode* child = GetEditChild(i);
            const CEditSentence* part = AsQuestionPart(child);
            CStringW path;
            if (part != nullptr && part->m_partKind >= PART_QUESTION && part->m_partKind <= PART_EXPLANATION) {
                const size_t k = static_cast<size_t>(part->m_partKind - 1);
                if (part->m_subQuestionNumber != 0)
                    path.Format(kSubPaths[k], part->m_questionNumber, part->m_subQuestionNumber);
                else
                    path.Format(kMajorPaths[k], part->m_questionNumber);
                entries.push_back(ApplyTemplates(path, part->GetKind(), part->m_questionNumber,
                                                 part->m_subQuestionNumber, part->m_partKind));
            } else if (child->IsKind(EditKind::kGai) && NodeAs<CEditGai>(child) != nullptr) {
                path.Format(u"/print/gai[%d]", textBoxes++);
                entries.push_back(ApplyTemplates(path, child->GetKind(), 0, 0, kTextBoxPartKind));
            } else if (child->IsKind(EditKind::kKaiPage) && NodeAs<CEditKaiPage>(child) != nullptr) {
                entries.push_back(LiteralBlock(2));
            } else {
                // Tables, floating frames and paragraphs that are no question part (kinds 0, 5,
                // 6 and any other) stand in the flow as literal blocks.
                entries.push_back(LiteralBlock(0));
            }
        }
        m_partReferences->DeleteAllChildren();
        for (auto& entry : entries) {
            if (m_partReferences->AppendChild(entry.get()) >= 0)
                entry.release();
        }
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int CEditPrint::ReadPartIds()
{
    if (m_partReferences == nullptr || m_partReferences->GetChildCount() == 0 || GetChildCount() == 0)
        return 0;
    try {
        const int count = std::min(m_partReferences->GetChildCount(), GetChildCount());
        for (int i = 0; i < count; ++i) {
            CQNXMLNode* entry = m_partReferences->GetChildAt(i);
            CEditNode* child = GetEditChild(i);
            auto* paragraph = NodeAs<CEditSentence>(child);
            if (entry->m_typeCode != XEC_XSL_APPLY_TEMPLATES) {
                if (entry->m_typeCode != XEC_FO_BLOCK_CONTAINER)
                    return 0;
                if (paragraph != nullptr)
                    paragraph->m_partKind = kLiteralBlockPartKind;
                continue;
            }
            const auto* select = NodeAs<const CXslApplyTemplates>(entry);
            if (select == nullptr)
                return 0;
            CStringW path = select->m_select;
            std::vector<CStringW> steps;
            SplitPath(steps, path);
            if (CEditSentence* part = AsQuestionPart(child)) {
                if (steps.size() < 4)
                    return 0;
                part->m_questionNumber = GetPathStepIndex(steps[1]);
                part->m_subQuestionNumber = steps[2].Find(u"smon") >= 0 ? GetPathStepIndex(steps[2]) : 0;
                part->m_partKind = PartKindOfStep(steps[3]);
            } else if (child->IsKind(EditKind::kGai) && NodeAs<CEditGai>(child) != nullptr) {
                if (steps.size() < 2 || steps[1].Find(u"gai") < 0)
                    return 0;
                paragraph->m_partKind = kTextBoxPartKind;
            }
        }
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

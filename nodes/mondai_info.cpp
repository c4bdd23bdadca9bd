#include "nodes/mondai_info.h"

#include "nodes/edit_print.h"
#include "nodes/question_parts.h"
#include "platform/wide_runtime.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <unordered_map>

namespace {

constexpr std::array<int32_t, 6> kUnclassifiedCodes = {999, 0, 0, 0, 0, 0};
constexpr size_t kProblemDigits = 8;

CStringW FormatInt(const char16_t* format, int value)
{
    CStringW text;
    text.Format(format, value);
    return text;
}

int ReadInt(const CStringW& text)
{
    return WideAtoi(text.View());
}

// The texts between commas; the text after the last comma is dropped (it ends no field).
std::vector<CStringW> CommaFields(const CStringW& text)
{
    std::vector<CStringW> fields;
    std::u16string_view rest = text.View();
    for (size_t comma = rest.find(u','); comma != std::u16string_view::npos; comma = rest.find(u',')) {
        fields.emplace_back(rest.substr(0, comma));
        rest.remove_prefix(comma + 1);
    }
    return fields;
}

}  // namespace

CMondaiInfo::CMondaiInfo(int kind) : m_kind(kind), m_codes(kUnclassifiedCodes) {}

bool CMondaiInfo::IsUnclassified() const
{
    return m_codes == kUnclassifiedCodes;
}

void CMondaiInfo::CopyFrom(const CMondaiInfo& other)
{
    m_kind = other.m_kind;
    m_codes = other.m_codes;
    m_problemNumber = other.m_problemNumber;
    m_subNumber = other.m_subNumber;
    m_modified = other.m_modified;
}

void CMondaiInfo::SetNumbers(int problemNumber, int subNumber, int modified)
{
    m_problemNumber = problemNumber;
    m_subNumber = subNumber;
    m_modified = modified;
}

void CMondaiInfo::SetCodes(const std::array<int32_t, 6>& codes)
{
    m_codes = codes;
}

void CMondaiInfo::ParseId(const CStringW& problem, const CStringW& sub, const CStringW& modified)
{
    SetNumbers(ReadInt(problem), ReadInt(sub), ReadInt(modified));
}

void CMondaiInfo::FormatId(CStringW& problem, CStringW& sub, CStringW& modified) const
{
    problem = FormatInt(u"%08d", m_problemNumber);
    sub = FormatInt(u"%05d", m_subNumber);
    modified = FormatInt(u"%d", m_modified);
}

void CMondaiInfo::ParseId2(const std::array<CStringW, 9>& texts)
{
    for (size_t i = 0; i < 6; ++i)
        m_codes[i] = ReadInt(texts[i]);
    SetNumbers(ReadInt(texts[6]), ReadInt(texts[7]), ReadInt(texts[8]));
}

std::array<CStringW, 9> CMondaiInfo::FormatId2() const
{
    std::array<CStringW, 9> texts;
    for (size_t i = 0; i < 6; ++i)
        texts[i] = FormatInt(u"%d", m_codes[i]);
    texts[6] = FormatInt(u"%d", m_problemNumber);
    texts[7] = FormatInt(u"%d", m_subNumber);
    texts[8] = FormatInt(u"%d", m_modified);
    return texts;
}

void CMondaiInfo::ToIdNode(MONDAI_ID_NODE& node) const
{
    node.id = static_cast<double>(m_problemNumber) * 100000.0 + static_cast<double>(m_subNumber);
    node.modified = m_modified;
}

void CMondaiInfo::ToIdNode2(MONDAI_ID_NODE2& node) const
{
    std::memcpy(node.codes, m_codes.data(), sizeof node.codes);
    node.problemNumber = m_problemNumber;
    node.subNumber = m_subNumber;
    node.modified = m_modified;
}

void CMondaiInfo::FromIdNode2(const MONDAI_ID_NODE2& node)
{
    std::memcpy(m_codes.data(), node.codes, sizeof node.codes);
    SetNumbers(node.problemNumber, node.subNumber, node.modified);
}

// ---------------------------------------------------------------------------------------------
// Text forms of a list

CStringW FormatMondaiIdText(const std::vector<const CMondaiInfo*>& records)
{
    CStringW text;
    for (const CMondaiInfo* record : records) {
        CStringW problem, sub, modified;
        record->FormatId(problem, sub, modified);
        text += problem + sub + u"," + modified + u",";
    }
    return text;
}

CStringW FormatMondaiId2Text(const std::vector<const CMondaiInfo*>& records)
{
    CStringW text;
    for (const CMondaiInfo* record : records) {
        for (const CStringW& field : record->FormatId2())
            text += field + u",";
    }
    return text;
}

std::vector<std::unique_ptr<CMondaiInfo>> ParseMondaiIdText(const CStringW& text)
{
    const std::vector<CStringW> fields = CommaFields(text);
    std::vector<std::unique_ptr<CMondaiInfo>> records;
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        // The problem number takes the first eight units, its sign included; the sub number the rest.
        const std::u16string_view id = fields[i].View();
        const size_t split = std::min(id.size(), kProblemDigits);
        auto record = std::make_unique<CMondaiInfo>(CMondaiInfo::kShortForm);
        record->ParseId(CStringW(id.substr(0, split)), CStringW(id.substr(split)), fields[i + 1]);
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<std::unique_ptr<CMondaiInfo>> ParseMondaiId2Text(const CStringW& text)
{
    const std::vector<CStringW> fields = CommaFields(text);
    std::vector<std::unique_ptr<CMondaiInfo>> records;
    for (size_t i = 0; i + 9 <= fields.size(); i += 9) {
        std::array<CStringW, 9> texts;
        for (size_t j = 0; j < 9; ++j)
            texts[j] = fields[i + j];
        auto record = std::make_unique<CMondaiInfo>(CMondaiInfo::kLongForm);
        record->ParseId2(texts);
        records.push_back(std::move(record));
    }
    return records;
}

// ---------------------------------------------------------------------------------------------
// The root's records

namespace {

constexpr int kOtherPartKinds[] = {PART_ANSWER_FIELD, PART_ANSWER, PART_EXPLANATION};

// Gives the question text and the question's other parts the problem and sub number.
void NumberQuestion(CEditPrint* root, CEditSentence* text, int problem, int sub)
{
    text->m_mondaiInfo.m_problemNumber = problem;
    text->m_mondaiInfo.m_subNumber = sub;
    for (int kind : kOtherPartKinds) {
        if (CEditSentence* part = root->FindSubPart(text->m_questionNumber, text->m_subQuestionNumber, kind)) {
            part->m_mondaiInfo.m_problemNumber = problem;
            part->m_mondaiInfo.m_subNumber = sub;
        }
    }
}

}  // namespace

int CEditPrint::AssignMondaiIds()
{
    if (GetChildCount() == 0)
        return 0;
    try {
        const int questions = CountQuestions();
        int nextTemporary = 1;
        for (int i = 1; i <= questions; ++i) {
            CEditSentence* text = FindPart(i, PART_QUESTION);
            if (text == nullptr)
                break;
            if (text->m_mondaiInfo.IsUnclassified())
                NumberQuestion(this, text, CMondaiInfo::kTemporaryProblemBase + nextTemporary++, 0);
            const int subQuestions = CountSubQuestions(i);
            int nextSub = 1;
            for (int s = 1; s <= subQuestions; ++s) {
                CEditSentence* subText = FindSubPart(i, s, PART_QUESTION);
                if (subText == nullptr)
                    break;
                if (subText->m_mondaiInfo.IsUnclassified())
                    NumberQuestion(this, subText, text->m_mondaiInfo.m_problemNumber,
                                   CMondaiInfo::kTemporarySubBase + nextSub++);
            }
        }
        std::vector<std::unique_ptr<CMondaiInfo>> list;
        for (int i = 0; i < GetChildCount(); ++i) {
            CEditSentence* text = AsQuestionPart(GetChildAt(i));
            if (text == nullptr || text->m_partKind != PART_QUESTION)
                continue;
            auto record = std::make_unique<CMondaiInfo>(CMondaiInfo::kShortForm);
            record->CopyFrom(text->m_mondaiInfo);
            if (record->m_modified == 0) {
                std::vector<CEditSentence*> parts{text};
                for (int kind : kOtherPartKinds) {
                    if (CEditSentence* part = FindSubPart(text->m_questionNumber, text->m_subQuestionNumber, kind))
                        parts.push_back(part);
                }
                bool edited = false;
                for (const CEditSentence* part : parts)
                    edited = edited || part->m_modified != 0;
                if (edited) {
                    record->m_modified = 1;
                    for (CEditSentence* part : parts)
                        part->m_mondaiInfo.m_modified = 1;
                }
            }
            list.push_back(std::move(record));
        }
        m_mondaiList = std::move(list);
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int CEditPrint::DistributeMondaiInfo()
{
    if (GetChildCount() == 0)
        return 0;
    // The first part of each question, sub-question and kind, found in one pass: a search per
    // question would make reading a paper cost the square of its parts.
    struct PART_KEY_HASH {
        size_t operator()(const std::array<int, 3>& k) const
        {
            return std::hash<int64_t>()((static_cast<int64_t>(k[0]) << 32) ^ (static_cast<int64_t>(k[1]) << 8) ^ k[2]);
        }
    };
    std::unordered_map<std::array<int, 3>, CEditSentence*, PART_KEY_HASH> firstPart;
    for (int i = 0; i < GetChildCount(); ++i) {
        if (CEditSentence* part = AsQuestionPart(GetChildAt(i)))
            firstPart.emplace(std::array<int, 3>{part->m_questionNumber, part->m_subQuestionNumber, part->m_partKind}, part);
    }
    size_t next = 0;
    for (int i = 0; i < GetChildCount() && next < m_mondaiList.size(); ++i) {
        CEditSentence* text = AsQuestionPart(GetChildAt(i));
        if (text == nullptr || text->m_partKind != PART_QUESTION)
            continue;
        const CMondaiInfo& record = *m_mondaiList[next++];
        text->m_mondaiInfo.CopyFrom(record);
        for (int kind : kOtherPartKinds) {
            const auto found = firstPart.find(std::array<int, 3>{text->m_questionNumber, text->m_subQuestionNumber, kind});
            if (found != firstPart.end())
                found->second->m_mondaiInfo.CopyFrom(record);
        }
    }
    return 1;
}

CEditSentence* CEditPrint::FindPartByMondai(const CMondaiInfo* record, int partKind)
{
    if (record == nullptr)
        return nullptr;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditSentence* part = AsQuestionPart(GetChildAt(i));
        if (part != nullptr && part->m_partKind == partKind &&
            part->m_mondaiInfo.m_problemNumber == record->m_problemNumber &&
            part->m_mondaiInfo.m_subNumber == record->m_subNumber)
            return part;
    }
    return nullptr;
}

// Question-bank records: where a question came from (six classification codes, the bank's
// problem and sub number, whether it was edited since), their two text forms in the print file
// and the plain chain records handed to the outside search library.
#pragma once

#include "base/wide_string.h"
#include "platform/archive.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The short chain record of the search function "SearchProc": 16 bytes, packed, little-endian.
// The link is a 32-bit field whatever the pointer size; the caller links the chain.
#pragma pack(push, 1)
struct MONDAI_ID_NODE {
    double id;          // problem number × 100000 + sub number
    int32_t modified;
    uint32_t next;      // the next record of the chain; 0 in the last
};

// The long chain record of "SearchProc2" and "SearchProc20": 40 bytes.
struct MONDAI_ID_NODE2 {
    int32_t codes[6];
    int32_t problemNumber;
    int32_t subNumber;
    int32_t modified;
    uint32_t next;
};
#pragma pack(pop)

static_assert(sizeof(MONDAI_ID_NODE) == 16);
static_assert(offsetof(MONDAI_ID_NODE, modified) == 8);
static_assert(offsetof(MONDAI_ID_NODE, next) == 12);
static_assert(sizeof(MONDAI_ID_NODE2) == 40);
static_assert(offsetof(MONDAI_ID_NODE2, problemNumber) == 24);
static_assert(offsetof(MONDAI_ID_NODE2, subNumber) == 28);
static_assert(offsetof(MONDAI_ID_NODE2, modified) == 32);
static_assert(offsetof(MONDAI_ID_NODE2, next) == 36);

class CMondaiInfo : public CObject {
public:
    // The form a record came from.
    static constexpr int kShortForm = 1;  // made by the program, or read from "MondaiID"
    static constexpr int kLongForm = 2;   // read from "MondaiID2" or from a search result
    // Temporary numbers of questions that do not come from the bank.
    static constexpr int kTemporaryProblemBase = 99980000;
    static constexpr int kTemporarySubBase = 20000;

    explicit CMondaiInfo(int kind = kShortForm);

    // The six codes are the unclassified defaults (999, 0, 0, 0, 0, 0); the numbers do not count.
    bool IsUnclassified() const;
    void CopyFrom(const CMondaiInfo& other);
    void SetNumbers(int problemNumber, int subNumber, int modified);
    void SetCodes(const std::array<int32_t, 6>& codes);

    // The three texts of the short form: "%08d" problem number, "%05d" sub number, "%d" flag.
    // Reading takes each text's leading base-10 digits (a leading sign allowed), 0 when none.
    void ParseId(const CStringW& problem, const CStringW& sub, const CStringW& modified);
    void FormatId(CStringW& problem, CStringW& sub, CStringW& modified) const;
    // The nine "%d" texts of the long form: six codes, problem number, sub number, flag.
    void ParseId2(const std::array<CStringW, 9>& texts);
    std::array<CStringW, 9> FormatId2() const;

    void ToIdNode(MONDAI_ID_NODE& node) const;
    void ToIdNode2(MONDAI_ID_NODE2& node) const;
    void FromIdNode2(const MONDAI_ID_NODE2& node);

    int32_t m_kind;
    std::array<int32_t, 6> m_codes;
    int32_t m_problemNumber = -1;
    int32_t m_subNumber = -1;
    int32_t m_modified = 0;
};

// The print file's two texts of a list of records, in list order, and their readers. The short
// form is, per record, the problem number "%08d" and the sub number "%05d" run together, ",",
// the modified flag, ","; a number of −1 keeps its sign ("-0000001", "-0001") and reads back as
// −1. The long form is nine "%d," per record. The readers return records of their form's kind;
// a trailing incomplete record is dropped.
CStringW FormatMondaiIdText(const std::vector<const CMondaiInfo*>& records);
CStringW FormatMondaiId2Text(const std::vector<const CMondaiInfo*>& records);
std::vector<std::unique_ptr<CMondaiInfo>> ParseMondaiIdText(const CStringW& text);
std::vector<std::unique_ptr<CMondaiInfo>> ParseMondaiId2Text(const CStringW& text);

// Question-bank records: the chain records as exact byte images, the text forms, temporary
// numbers, the modified flag and handing the root's list out to the parts.
#include "nodes/mondai_info.h"

#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "paper_fixture.h"
#include "tests/support/stream_bytes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

Bytes ImageOf(const void* record, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(record);
    return Bytes(bytes, bytes + size);
}

using papertest::AddEmptyPart;
using papertest::AddEmptyQuestion;

std::vector<const CMondaiInfo*> ListOf(const CEditPrint& root)
{
    std::vector<const CMondaiInfo*> list;
    for (const auto& record : root.m_mondaiList)
        list.push_back(record.get());
    return list;
}

}  // namespace

TEST(MondaiInfo, ChainRecordsHaveTheirExactImages)
{
    CMondaiInfo info;
    info.SetNumbers(123, 5, 1);
    info.SetCodes({1, 2, 3, 4, 5, 6});
    MONDAI_ID_NODE node{};
    node.next = 0x11223344;
    info.ToIdNode(node);
    // id = 123 × 100000 + 5 = 12300005.0 as a little-endian IEEE double, then the flag and the link.
    EXPECT_EQ(ImageOf(&node, sizeof node), Cat({{0x00, 0x00, 0x00, 0xa0, 0xdc, 0x75, 0x67, 0x41}, Int32(1),
                                                Int32(0x11223344)}));

    MONDAI_ID_NODE2 node2{};
    info.ToIdNode2(node2);
    EXPECT_EQ(ImageOf(&node2, sizeof node2), Cat({Int32(1), Int32(2), Int32(3), Int32(4), Int32(5), Int32(6),
                                                  Int32(123), Int32(5), Int32(1), Int32(0)}));

    const Bytes incoming = Cat({Int32(9), Int32(8), Int32(7), Int32(6), Int32(5), Int32(4), Int32(777), Int32(3),
                                Int32(0), Int32(0)});
    std::memcpy(&node2, incoming.data(), sizeof node2);
    CMondaiInfo fromSearch(CMondaiInfo::kLongForm);
    fromSearch.FromIdNode2(node2);
    EXPECT_EQ(fromSearch.m_codes, (std::array<int32_t, 6>{9, 8, 7, 6, 5, 4}));
    EXPECT_EQ(fromSearch.m_problemNumber, 777);
    EXPECT_EQ(fromSearch.m_subNumber, 3);
    EXPECT_EQ(fromSearch.m_kind, CMondaiInfo::kLongForm);
}

TEST(MondaiInfo, DefaultsAndClassification)
{
    CMondaiInfo info;
    EXPECT_EQ(info.m_kind, 1);
    EXPECT_TRUE(info.IsUnclassified());
    EXPECT_EQ(info.m_problemNumber, -1);
    EXPECT_EQ(info.m_subNumber, -1);
    info.SetNumbers(5, 6, 0);
    EXPECT_TRUE(info.IsUnclassified()) << "the numbers do not count";
    info.SetCodes({999, 0, 0, 0, 0, 1});
    EXPECT_FALSE(info.IsUnclassified());
    CMondaiInfo copy(2);
    copy.CopyFrom(info);
    EXPECT_EQ(copy.m_kind, 1);
    EXPECT_EQ(copy.m_codes[5], 1);
    EXPECT_EQ(copy.m_subNumber, 6);
}

TEST(MondaiInfo, ShortAndLongTextForms)
{
    CMondaiInfo info;
    info.ParseId(u"00012345", u"00007", u"1");
    EXPECT_EQ(info.m_problemNumber, 12345);
    EXPECT_EQ(info.m_subNumber, 7);
    EXPECT_EQ(info.m_modified, 1);
    info.ParseId(u"", u"x", u"12abc");
    EXPECT_EQ(info.m_problemNumber, 0);
    EXPECT_EQ(info.m_subNumber, 0);
    EXPECT_EQ(info.m_modified, 12);

    // The default −1 keeps its sign in the fixed widths, and reads back as −1.
    CMondaiInfo fresh;
    CStringW problem, sub, modified;
    fresh.FormatId(problem, sub, modified);
    EXPECT_EQ(problem, u"-0000001");
    EXPECT_EQ(sub, u"-0001");
    EXPECT_EQ(modified, u"0");

    CMondaiInfo bank;
    bank.SetNumbers(99980001, 20002, 1);
    bank.SetCodes({1, 22, 333, 0, 0, 7});
    const CStringW shortText = FormatMondaiIdText({&bank, &fresh});
    EXPECT_EQ(shortText, u"9998000120002,1,-0000001-0001,0,");
    const CStringW longText = FormatMondaiId2Text({&bank, &fresh});
    EXPECT_EQ(longText, u"1,22,333,0,0,7,99980001,20002,1,999,0,0,0,0,0,-1,-1,0,");

    const auto shortRead = ParseMondaiIdText(shortText);
    ASSERT_EQ(shortRead.size(), 2u);
    EXPECT_EQ(shortRead[0]->m_problemNumber, 99980001);
    EXPECT_EQ(shortRead[0]->m_subNumber, 20002);
    EXPECT_EQ(shortRead[0]->m_modified, 1);
    EXPECT_EQ(shortRead[1]->m_problemNumber, -1);
    EXPECT_EQ(shortRead[1]->m_subNumber, -1);
    EXPECT_EQ(shortRead[1]->m_kind, CMondaiInfo::kShortForm);

    const auto longRead = ParseMondaiId2Text(longText);
    ASSERT_EQ(longRead.size(), 2u);
    EXPECT_EQ(longRead[0]->m_codes, bank.m_codes);
    EXPECT_EQ(longRead[0]->m_subNumber, 20002);
    EXPECT_EQ(longRead[1]->m_problemNumber, -1);
    EXPECT_EQ(longRead[1]->m_kind, CMondaiInfo::kLongForm);
    // An incomplete last record is dropped.
    EXPECT_EQ(ParseMondaiId2Text(u"1,2,3,").size(), 0u);
    EXPECT_EQ(ParseMondaiIdText(u"0000000100000,0,0000000200000").size(), 1u);
}

TEST(MondaiInfo, TemporaryNumbersForQuestionsNotFromTheBank)
{
    CEditPrint root;
    EXPECT_EQ(root.AssignMondaiIds(), 0);
    AddEmptyQuestion(root, 1, 0);
    AddEmptyQuestion(root, 2, 0);
    AddEmptyQuestion(root, 2, 1);
    AddEmptyQuestion(root, 2, 2);
    ASSERT_EQ(root.AssignMondaiIds(), 1);
    ASSERT_EQ(root.m_mondaiList.size(), 4u);
    const std::pair<int, int> expected[] = {{99980001, 0}, {99980002, 0}, {99980002, 20001}, {99980002, 20002}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(root.m_mondaiList[i]->m_problemNumber, expected[i].first) << i;
        EXPECT_EQ(root.m_mondaiList[i]->m_subNumber, expected[i].second) << i;
    }
    // The other parts carry the numbers of their question.
    EXPECT_EQ(root.FindSubPart(2, 2, PART_EXPLANATION)->m_mondaiInfo.m_subNumber, 20002);
    EXPECT_EQ(root.FindPart(1, PART_ANSWER)->m_mondaiInfo.m_problemNumber, 99980001);
    EXPECT_TRUE(FormatMondaiIdText(ListOf(root)).View().starts_with(u"9998000100000,0,"));
    EXPECT_EQ(root.FindPartByMondai(root.m_mondaiList[2].get(), PART_ANSWER), root.FindSubPart(2, 1, PART_ANSWER));
}

TEST(MondaiInfo, BankQuestionsKeepTheirNumbersAndEditsAreFlagged)
{
    CEditPrint root;
    AddEmptyQuestion(root, 1, 0);
    AddEmptyQuestion(root, 2, 0);
    CEditSentence* bankText = root.FindPart(1, PART_QUESTION);
    bankText->m_mondaiInfo.SetCodes({5, 1, 0, 0, 0, 0});
    bankText->m_mondaiInfo.SetNumbers(4711, 0, 0);
    root.FindPart(1, PART_ANSWER)->m_modified = 1;
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_EQ(root.AssignMondaiIds(), 1);
        ASSERT_EQ(root.m_mondaiList.size(), 2u);
        EXPECT_EQ(root.m_mondaiList[0]->m_problemNumber, 4711);
        EXPECT_EQ(root.m_mondaiList[0]->m_modified, 1) << pass;
        for (int kind = PART_QUESTION; kind <= PART_EXPLANATION; ++kind)
            EXPECT_EQ(root.FindPart(1, kind)->m_mondaiInfo.m_modified, 1) << kind;
        // The unclassified second question takes the first temporary number.
        EXPECT_EQ(root.m_mondaiList[1]->m_problemNumber, 99980001);
        EXPECT_EQ(root.m_mondaiList[1]->m_modified, 0);
        root.FindPart(1, PART_ANSWER)->m_modified = 0;  // the part flags may be cleared between saves
    }
}

TEST(MondaiInfo, ListIsHandedOutToTheQuestionsInOrder)
{
    CEditPrint root;
    EXPECT_EQ(root.DistributeMondaiInfo(), 0);
    AddEmptyQuestion(root, 1, 0);
    AddEmptyQuestion(root, 1, 1);
    AddEmptyQuestion(root, 2, 0);
    for (int i = 0; i < 2; ++i) {
        auto record = std::make_unique<CMondaiInfo>(CMondaiInfo::kLongForm);
        record->SetNumbers(100 + i, i, 0);
        record->SetCodes({i, 0, 0, 0, 0, 0});
        root.m_mondaiList.push_back(std::move(record));
    }
    EXPECT_EQ(root.DistributeMondaiInfo(), 1);
    EXPECT_EQ(root.FindPart(1, PART_EXPLANATION)->m_mondaiInfo.m_problemNumber, 100);
    EXPECT_EQ(root.FindSubPart(1, 1, PART_ANSWER_FIELD)->m_mondaiInfo.m_problemNumber, 101);
    EXPECT_EQ(root.FindSubPart(1, 1, PART_ANSWER_FIELD)->m_mondaiInfo.m_kind, CMondaiInfo::kLongForm);
    // A question text beyond the list keeps its record.
    EXPECT_EQ(root.FindPart(2, PART_QUESTION)->m_mondaiInfo.m_problemNumber, -1);
}

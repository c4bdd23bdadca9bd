// EDIT_NODE_KIND: the 32-bit kind code of every editing node. Bit 0x1000 marks an editing node,
// the low byte numbers the class and the high bits are flags that code tests with a mask.
// Class numbers are not unique (a formula line break and a fraction both use 0x21), so nodes
// are told apart by the whole code or by the flag bits, never by the low byte alone.
#pragma once

#include <cstdint>

using EDIT_NODE_KIND = int32_t;

namespace EditKind {

constexpr uint32_t kEditNodeBit = 0x00001000;

// Flag bits.
constexpr uint32_t kKanbun = 0x80000000;
constexpr uint32_t kQuestionNumber = 0x40000000;
constexpr uint32_t kContainer = 0x20000000;
constexpr uint32_t kLineBreak = 0x10000000;
constexpr uint32_t kFormula = 0x02000000;
constexpr uint32_t kCharacter = 0x01000000;
constexpr uint32_t kLargeOperator = 0x00800000;
constexpr uint32_t kInTextAnswer = 0x00400000;

// Whole codes of the node classes of both editors.
constexpr uint32_t kChar = 0x01001001;
constexpr uint32_t kCR = 0x11001002;
constexpr uint32_t kSentence = 0x20001002;
constexpr uint32_t kRuby = 0x20001003;
constexpr uint32_t kGraphic = 0x00001004;
constexpr uint32_t kObject = 0x00001005;
constexpr uint32_t kFloat = 0x20001006;
constexpr uint32_t kTable = 0x00001007;  // no container bit, though built as a container
constexpr uint32_t kCell = 0x20001008;
constexpr uint32_t kPrint = 0x00001009;
constexpr uint32_t kDmonno = 0x4000100A;
constexpr uint32_t kMonno = 0x4000100B;
constexpr uint32_t kCyukai = 0x2040100C;
constexpr uint32_t kKimeiran = 0x2000100D;
constexpr uint32_t kGai = 0x2000100E;
constexpr uint32_t kHaiten = 0x0000100F;
constexpr uint32_t kKaiPage = 0x20001010;
constexpr uint32_t kKan = 0xA0001011;
constexpr uint32_t kKanChar = 0x81001012;
constexpr uint32_t kKanCR = 0x91001013;
constexpr uint32_t kKunten = 0xA0001014;
constexpr uint32_t kOkurigana = 0xA0001016;
constexpr uint32_t kEdit = 0x20001017;  // also the kanbun editor's root
constexpr uint32_t kRubyText = 0x20001018;
constexpr uint32_t kRubyBase = 0x20001019;
constexpr uint32_t kKasen = 0x2000101A;
constexpr uint32_t kEditMath = 0x2000101B;
constexpr uint32_t kMathSentence = 0x2000101D;
constexpr uint32_t kMathChar = 0x03001020;
constexpr uint32_t kMathCR = 0x13001021;

// Formula templates, numbered on from 0x22001021 in this order.
constexpr uint32_t kFrac = 0x22001021;
constexpr uint32_t kRoot = 0x22001022;
constexpr uint32_t kSqrt = 0x22001023;
constexpr uint32_t kSub = 0x22001024;
constexpr uint32_t kSuper = 0x22001025;
constexpr uint32_t kSubsup = 0x22001026;
constexpr uint32_t kPresub = 0x22001027;
constexpr uint32_t kPresuper = 0x22001028;
constexpr uint32_t kPresubPresup = 0x22001029;
constexpr uint32_t kMulti = 0x2200102A;
constexpr uint32_t kUnder = 0x2200102B;
constexpr uint32_t kOver = 0x2200102C;
constexpr uint32_t kUnderover = 0x2200102D;
constexpr uint32_t kLongdiv = 0x2200102E;
constexpr uint32_t kFenced = 0x2200102F;
constexpr uint32_t kMatrix = 0x22001030;
constexpr uint32_t kMath = 0x22001031;
constexpr uint32_t kPresubSub = 0x22001032;
constexpr uint32_t kOPresubSub = 0x22001033;
constexpr uint32_t kOver2 = 0x22001034;
constexpr uint32_t kUnder2 = 0x22001035;
constexpr uint32_t kUnderover2 = 0x22001036;
constexpr uint32_t kOUnderover = 0x22001037;

constexpr uint32_t kIntegral = 0x0380103A;
constexpr uint32_t kSigma = 0x0380103B;
constexpr uint32_t kIntegralSub = 0x2280103C;
constexpr uint32_t kIntegralSubsup = 0x2280103D;
constexpr uint32_t kSigmaSub = 0x2280103E;
constexpr uint32_t kSigmaSubsup = 0x2280103F;
constexpr uint32_t kSigmaUnder = 0x22801040;
constexpr uint32_t kSigmaUnderover = 0x22801041;
constexpr uint32_t kMathCyukai = 0x22401042;

// The kind as the node's signed type code stores it.
constexpr EDIT_NODE_KIND Code(uint32_t kind) { return static_cast<EDIT_NODE_KIND>(kind); }

constexpr bool Has(EDIT_NODE_KIND kind, uint32_t flags)
{
    return (static_cast<uint32_t>(kind) & flags) != 0;
}
constexpr bool Is(EDIT_NODE_KIND kind, uint32_t code) { return static_cast<uint32_t>(kind) == code; }

}  // namespace EditKind

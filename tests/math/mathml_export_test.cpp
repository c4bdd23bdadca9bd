// Formula nodes into the MathML dialect: token runs, every template's shape and insertion order,
// and round trips from tree to XML and back.
#include "math_fixture.h"

using namespace mathtest;

namespace {

std::unique_ptr<CEditMath> FormulaOf(std::u16string_view text)
{
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    FillSlots(formula.get(), {text});
    return formula;
}

}  // namespace

TEST(MathMLExportRuns, CharactersGroupIntoTokensByClassAndFormat)
{
    struct Case {
        std::u16string_view text;
        const char* expected;
    };
    const Case cases[] = {
        {u"12+x", "<math><mn>12</mn><mo>+</mo><mi>x</mi></math>"},
        {u"a=b", "<math><mi>a=b</mi></math>"},
        {u"a\uFF1Db", "<math><mi>a</mi><mo>\uFF1D</mo><mi>b</mi></math>"},
        {u"\u2322", "<math><mo>\u2322</mo></math>"},
        {u"\u2322\u2322", "<math><mi>\u2322\u2322</mi></math>"},
        {u"\u222B++", "<math><mo>\u222B++</mo></math>"},
        {u"+\u222B", "<math><mo>+</mo><mo>\u222B</mo></math>"},
        {u"x\U0001D465", "<math><mi>x\U0001D465</mi></math>"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CEditMath> formula = FormulaOf(c.text);
        EXPECT_EQ(FormulaToMathML(*formula), c.expected) << Utf8(c.text);
    }
}

TEST(MathMLExportRuns, AFormatChangeStartsANewRun)
{
    std::unique_ptr<CEditMath> formula = FormulaOf(u"12+x");
    formula->GetEditChild(1)->m_lf.lfWeight = 700;
    EXPECT_EQ(FormulaToMathML(*formula), "<math><mn>1</mn><mn>2</mn><mo>+</mo><mi>x</mi></math>");
}

namespace {

struct ShapeCase {
    const char* name;
    std::u16string mathml;  // read, written back and compared
};

class MathMLShapes : public ::testing::TestWithParam<ShapeCase> {};

// Each template written back in the dialect's own shape and child order.
TEST_P(MathMLShapes, WritesTheShapeItReads)
{
    const ShapeCase& c = GetParam();
    std::unique_ptr<CEditMath> formula = FormulaFromMathML(c.mathml);
    EXPECT_EQ(FormulaToMathML(*formula), Utf8(c.mathml)) << Describe(formula.get());
}

const ShapeCase kShapes[] = {
    {"frac", u"<math><mfrac><mrow><mi>a</mi></mrow><mrow><mn>2</mn></mrow></mfrac></math>"},
    {"bevelled", u"<math><mfrac bevelled=\"true\"><mrow><mi>a</mi></mrow><mrow><mn>2</mn></mrow></mfrac></math>"},
    {"sqrt", u"<math><msqrt><mrow><mi>x</mi></mrow></msqrt></math>"},
    {"root_radicand_then_index", u"<math><mroot><mrow><mi>x</mi></mrow><mrow><mn>3</mn></mrow></mroot></math>"},
    {"sub", u"<math><msub><mrow><mi>x</mi></mrow><mrow><mn>1</mn></mrow></msub></math>"},
    {"sup", u"<math><msup><mrow><mi>x</mi></mrow><mrow><mn>2</mn></mrow></msup></math>"},
    {"subsup_base_sub_sup", u"<math><msubsup><mrow><mi>x</mi></mrow><mrow><mn>1</mn></mrow><mrow><mn>2</mn></mrow></msubsup></math>"},
    {"integral_sub", u"<math><msub><mo>\u222B</mo><mrow><mn>0</mn></mrow></msub></math>"},
    {"integral_subsup", u"<math><msubsup><mo>\u222B</mo><mrow><mn>0</mn></mrow><mrow><mn>1</mn></mrow></msubsup></math>"},
    {"sigma_sub", u"<math><msub><mo>\u03A3</mo><mrow><mi>k</mi></mrow></msub></math>"},
    {"sigma_subsup", u"<math><msubsup><mo>\u03A3</mo><mrow><mi>k</mi></mrow><mrow><mi>n</mi></mrow></msubsup></math>"},
    {"sigma_under", u"<math><munder><mo>\u03A3</mo><mrow><mi>k</mi></mrow></munder></math>"},
    {"sigma_underover", u"<math><munderover><mo>\u03A3</mo><mrow><mi>k</mi></mrow><mrow><mi>n</mi></mrow></munderover></math>"},
    {"under", u"<math><munder><mrow><mi>x</mi></mrow><mrow><mn>1</mn></mrow></munder></math>"},
    {"over_base_then_script", u"<math><mover><mrow><mi>x</mi></mrow><mrow><mn>2</mn></mrow></mover></math>"},
    {"underover_base_under_over", u"<math><munderover><mrow><mi>x</mi></mrow><mrow><mn>1</mn></mrow><mrow><mn>2</mn></mrow></munderover></math>"},
    {"over2", u"<math><mover><mrow><mi>v</mi></mrow><mo>\u2192</mo></mover></math>"},
    {"under2", u"<math><munder><mrow><mi>a</mi></mrow><mo>\uFE38</mo></munder></math>"},
    {"underover2_under_then_over", u"<math><munderover><mrow><mi>x</mi></mrow><mo>\uFE38</mo><mo>\uFE37</mo></munderover></math>"},
    {"ounderover", u"<math><munderover><mo>\u21C4</mo><mrow><mi>a</mi></mrow><mrow><mi>b</mi></mrow></munderover></math>"},
    {"presub", u"<math><mmultiscripts><mrow><mi>X</mi></mrow><mprescripts><mrow><mn>1</mn></mrow><none/></mprescripts></mmultiscripts></math>"},
    {"presuper", u"<math><mmultiscripts><mrow><mi>X</mi></mrow><mprescripts><none/><mrow><mn>2</mn></mrow></mprescripts></mmultiscripts></math>"},
    {"presub_presup", u"<math><mmultiscripts><mrow><mi>X</mi></mrow><mprescripts><mrow><mn>1</mn></mrow><mrow><mn>2</mn></mrow></mprescripts></mmultiscripts></math>"},
    {"presub_sub", u"<math><mmultiscripts><mrow><mi>X</mi></mrow><mrow><mi>r</mi></mrow><none/><mprescripts><mrow><mi>n</mi></mrow><none/></mprescripts></mmultiscripts></math>"},
    {"combination_symbol_as_mo", u"<math><mmultiscripts><mo>C</mo><mrow><mi>r</mi></mrow><none/><mprescripts><mrow><mi>n</mi></mrow><none/></mprescripts></mmultiscripts></math>"},
    {"multi", u"<math><mmultiscripts><mrow><mi>X</mi></mrow><mrow><mn>1</mn></mrow><mrow><mn>2</mn></mrow><mprescripts><mrow><mn>3</mn></mrow><mrow><mn>4</mn></mrow></mprescripts></mmultiscripts></math>"},
    {"fenced", u"<math><mfenced open=\"[\" close=\"}\"><mrow><mi>a</mi></mrow></mfenced></math>"},
    {"longdiv", u"<math><menclose><mrow><mn>12</mn></mrow></menclose></math>"},
    {"matrix", u"<math><mtable><mtr><mtd><mrow><mi>a</mi></mrow></mtd><mtd><mrow><mi>b</mi></mrow></mtd></mtr><mtr><mtd><mrow><mi>c</mi></mrow></mtd><mtd><mrow><mi>d</mi></mrow></mtd></mtr></mtable></math>"},
    {"ruled_left_matrix", u"<math><mtable frame=\"solid\" columnalign=\"left\"><mtr><mtd><mrow><mi>a</mi></mrow></mtd></mtr></mtable></math>"},
    {"answer", u"<math><mi>x</mi><mrow qntype=\"cyukai\"><mn>3</mn></mrow></math>"},
    {"empty_slot", u"<math><mfrac><mrow/><mrow><mn>2</mn></mrow></mfrac></math>"},
};

INSTANTIATE_TEST_SUITE_P(Templates, MathMLShapes, ::testing::ValuesIn(kShapes),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// Every template kind made by its insertion protocol, written and read back into the same tree.
TEST(MathMLRoundTrip, EveryTemplateKindComesBackAsItWent)
{
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    CEditMath* f = formula.get();
    FillSlots(AddTemplate<CEditFrac>(f), {u"a", u"b"});
    AddTemplate<CEditFrac>(f)->m_bevelled = 1;
    FillSlots(AddTemplate<CEditRoot>(f), {u"3", u"x"});
    FillSlots(AddTemplate<CEditSqrt>(f), {u"2"});
    FillSlots(AddTemplate<CEditLongdiv>(f), {u"12"});
    auto* matrix = AddTemplate<CEditMatrix>(f);
    matrix->CreateDefaultSlots(2, 3);
    FillSlots(matrix, {u"a", u"b", u"c", u"d", u"e", u"f"});
    FillSlots(AddTemplate<CEditMulti>(f), {u"1", u"2", u"X", u"3", u"4"});
    FillSlots(AddTemplate<CEditOver>(f), {u"n", u"x"});
    FillSlots(AddTemplate<CEditUnder>(f), {u"x", u"n"});
    auto* over2 = AddTemplate<CEditOver2>(f);
    over2->m_mark->SetText(u"\u2192");
    FillSlots(over2, {u"AB"});
    auto* under2 = AddTemplate<CEditUnder2>(f);
    under2->m_mark->SetText(u"\uFE38");
    FillSlots(under2, {u"a+b"});
    FillSlots(AddTemplate<CEditUnderover>(f), {u"2", u"x", u"1"});
    auto* marks = AddTemplate<CEditUnderover2>(f);
    marks->m_overMark->SetText(u"\uFE37");
    marks->m_underMark->SetText(u"\uFE38");
    FillSlots(marks, {u"y"});
    auto* arrow = AddTemplate<CEditOUnderover>(f);
    arrow->m_glyph->SetText(u"\u21C4");
    FillSlots(arrow, {u"a", u"b"});
    FillSlots(AddTemplate<CEditSubsup>(f), {u"x", u"2", u"i"});
    FillSlots(AddTemplate<CEditSub>(f), {u"x", u"i"});
    FillSlots(AddTemplate<CEditSuper>(f), {u"x", u"2"});
    FillSlots(AddTemplate<CEditPresubPresup>(f), {u"1", u"2", u"X"});
    FillSlots(AddTemplate<CEditPresub>(f), {u"1", u"X"});
    FillSlots(AddTemplate<CEditPresuper>(f), {u"1", u"X"});
    FillSlots(AddTemplate<CEditPresubSub>(f), {u"n", u"X", u"r"});
    auto* combination = AddTemplate<CEditOPresubSub>(f);
    combination->m_symbol->SetText(u"P");
    combination->AppendChild(new CEditMathCR());
    combination->AppendChild(new CEditMathCR());
    FillSlots(combination, {u"n", u"r"});
    auto* fenced = AddTemplate<CEditFenced>(f);
    fenced->m_open->SetText(u"|");
    fenced->m_close->SetText(u"|");
    FillSlots(fenced, {u"x"});
    FillSlots(AddTemplate<CEditSigmaSubsup>(f), {u"n", u"k"});
    FillSlots(AddTemplate<CEditSigmaSub>(f), {u"k"});
    FillSlots(AddTemplate<CEditSigmaUnderover>(f), {u"n", u"k"});
    FillSlots(AddTemplate<CEditSigmaUnder>(f), {u"k"});
    FillSlots(AddTemplate<CEditIntegralSubsup>(f), {u"1", u"0"});
    FillSlots(AddTemplate<CEditIntegralSub>(f), {u"D"});
    auto* answer = new CEditMathCyukai();
    f->InsertChildAt(f->GetChildCount() - 1, answer);
    answer->AddLineBreak();
    FillSlots(answer, {u"42"});

    const std::string before = Describe(f);
    const std::string xml = FormulaToMathML(*f);
    std::unique_ptr<CEditMath> back = FormulaFromMathML(FromUtf8(xml));
    // The integral templates' glyph is written as the integral sign itself.
    std::string expected = before;
    for (size_t at = expected.find("\uFF66"); at != std::string::npos; at = expected.find("\uFF66"))
        expected.replace(at, std::string("\uFF66").size(), "\u222B");
    EXPECT_EQ(Describe(back.get()), expected) << xml;
}

namespace {

// Written and read back: the description of the formula after the trip.
std::string AfterRoundTrip(CEditMath& formula)
{
    std::unique_ptr<CEditMath> back = FormulaFromMathML(FromUtf8(FormulaToMathML(formula)));
    return Describe(back.get());
}

template <typename Sign>
void InsertSignAtSlotStart(CEditMathContainer* node, int slot)
{
    node->InsertChildAt(node->GetSlotStart(slot), new Sign());
}

}  // namespace

// Saving never loses what a template holds: a missing slot is written empty, and a slot whose
// first token the reader would take for a big operator or a mark keeps its class and content.
TEST(MathMLExportKeepsContent, TemplatesComeBackWhole)
{
    {
        std::unique_ptr<CEditMath> formula = EmptyFormula();
        auto* frac = AddTemplate<CEditFrac>(formula.get());
        frac->DeleteChildAt(1);  // the denominator's slot end
        FillSlots(frac, {u"a"});
        FillSlots(formula.get(), {u"=1"});
        EXPECT_EQ(FormulaToMathML(*formula),
                  "<math><mfrac><mrow><mi>a</mi></mrow><mrow/></mfrac><mi>=</mi><mn>1</mn></math>");
        EXPECT_EQ(AfterRoundTrip(*formula), "Math(Frac(a | |) = 1 |)");
    }
    {
        std::unique_ptr<CEditMath> formula = EmptyFormula();
        auto* sub = AddTemplate<CEditSub>(formula.get());
        FillSlots(sub, {u"x", u"0"});
        InsertSignAtSlotStart<CEditIntegral>(sub, 0);
        const std::string before = Describe(formula.get());
        EXPECT_EQ(before, "Math(Sub(<\u222B> x | 0 |) |)");
        EXPECT_EQ(AfterRoundTrip(*formula), before);
    }
    {
        std::unique_ptr<CEditMath> formula = EmptyFormula();
        auto* subsup = AddTemplate<CEditSubsup>(formula.get());
        InsertSignAtSlotStart<CEditSigma>(subsup, 0);
        auto* under = AddTemplate<CEditUnder>(formula.get());
        FillSlots(under, {u"a", u"k"});
        InsertSignAtSlotStart<CEditSigma>(under, 0);
        auto* underover = AddTemplate<CEditUnderover>(formula.get());
        FillSlots(underover, {u"n", u"", u"k"});
        InsertSignAtSlotStart<CEditSigma>(underover, 1);
        EXPECT_EQ(AfterRoundTrip(*formula), Describe(formula.get()));
    }
    {
        // A script beginning with a mark character but holding more stays a script.
        std::unique_ptr<CEditMath> formula = EmptyFormula();
        FillSlots(AddTemplate<CEditOver>(formula.get()), {u"\u2192x", u"v"});
        FillSlots(AddTemplate<CEditUnder>(formula.get()), {u"v", u"\uFE38x"});
        FillSlots(AddTemplate<CEditUnderover>(formula.get()), {u"\uFE37a", u"\u2192b", u"\uFE38c"});
        EXPECT_EQ(AfterRoundTrip(*formula), Describe(formula.get()));
    }
}

// The class changes the reader makes of a lone mark or sign lose nothing and stay as they are.
TEST(MathMLExportKeepsContent, LoneMarksChangeClassWithoutLoss)
{
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    FillSlots(AddTemplate<CEditOver>(formula.get()), {u"\u2192", u"v"});
    FillSlots(AddTemplate<CEditUnderover>(formula.get()), {u"a", u"\u21C4", u"b"});
    FillSlots(formula.get(), {u"\u222B"});
    EXPECT_EQ(AfterRoundTrip(*formula), "Math(Over2[\u2192](v |) OUnderover[\u21C4](a | b |) <\u222B> |)");
}

TEST(MathMLExportKeepsContent, SurrogatePairsTravelUnchanged)
{
    std::unique_ptr<CEditMath> formula = EmptyFormula();
    FillSlots(formula.get(), {u"\U0001D465+\U0001D466"});
    ASSERT_EQ(formula->GetChildCount(), 4);
    EXPECT_EQ(AfterRoundTrip(*formula), Describe(formula.get()));
}

// A ragged table from a file becomes a full matrix; written back it is rectangular.
TEST(MathMLExportKeepsContent, RaggedTableWritesEveryCell)
{
    std::unique_ptr<CEditMath> formula = FormulaFromMathML(
        u"<math><mtable><mtr><mtd><mi>a</mi></mtd></mtr><mtr><mtd><mi>b</mi></mtd><mtd><mi>c</mi></mtd></mtr></mtable></math>");
    EXPECT_EQ(FormulaToMathML(*formula),
              "<math><mtable><mtr><mtd><mrow><mi>a</mi></mrow></mtd><mtd><mrow/></mtd></mtr>"
              "<mtr><mtd><mrow><mi>b</mi></mrow></mtd><mtd><mrow><mi>c</mi></mrow></mtd></mtr></mtable></math>");
}

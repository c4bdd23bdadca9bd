// MathML fragments of the dialect into formula nodes: one row per fragment with the classes,
// slots and embedded characters the reader must build.
#include "math_fixture.h"

using namespace mathtest;

namespace {

struct ImportCase {
    const char* name;
    std::u16string mathml;
    const char* expected;  // Describe() of the formula, its line end included
};

class MathMLImport : public ::testing::TestWithParam<ImportCase> {};

TEST_P(MathMLImport, BuildsTheExpectedNodes)
{
    const ImportCase& c = GetParam();
    std::unique_ptr<CEditMath> formula = FormulaFromMathML(c.mathml);
    EXPECT_EQ(DescribeChildren(formula.get()), c.expected) << Utf8(c.mathml);
}

const ImportCase kImportCases[] = {
    {"tokens", u"<math><mn>12</mn><mo>+</mo><mi>x</mi></math>", "1 2 + x |"},
    {"mi_sin_three_characters", u"<math><mi>sin</mi></math>", "s i n |"},
    {"msqrt_drops_second_child", u"<math><msqrt><mi>a</mi><mi>b</mi></msqrt></math>", "Sqrt(a |) |"},
    {"ignored_elements_drop_content",
     u"<math><mi>a</mi><mstyle><mi>b</mi></mstyle><mphantom><mi>c</mi></mphantom><merror><mi>d</mi></merror></math>",
     "a |"},
    {"fraction", u"<math><mfrac><mi>a</mi><mn>2</mn></mfrac></math>", "Frac(a | 2 |) |"},
    {"bevelled_fraction", u"<math><mfrac bevelled='true'><mi>a</mi><mn>2</mn></mfrac></math>",
     "Frac[bevelled](a | 2 |) |"},
    {"fraction_below_minimum_adds_nothing", u"<math><mfrac><mi>a</mi></mfrac></math>", "|"},
    {"mroot_index_first", u"<math><mroot><mi>x</mi><mn>3</mn></mroot></math>", "Root(3 | x |) |"},
    {"msub", u"<math><msub><mi>x</mi><mn>1</mn></msub></math>", "Sub(x | 1 |) |"},
    {"msup", u"<math><msup><mi>x</mi><mn>2</mn></msup></math>", "Super(x | 2 |) |"},
    {"msubsup_slots_base_sup_sub", u"<math><msubsup><mi>x</mi><mn>1</mn><mn>2</mn></msubsup></math>",
     "Subsup(x | 2 | 1 |) |"},
    {"integral_with_lower_limit_then_integrand",
     u"<math><msub><mo>\u222B</mo><mn>0</mn></msub><mi>f</mi></math>", "IntegralSub[\u222B](0 |) f |"},
    {"integral_both_limits", u"<math><msubsup><mo>\u222B</mo><mn>0</mn><mn>1</mn></msubsup></math>",
     "IntegralSubsup[\u222B](1 | 0 |) |"},
    {"sigma_sub", u"<math><msub><mo>\u03A3</mo><mi>k</mi></msub></math>", "SigmaSub[\u03A3](k |) |"},
    {"sigma_under", u"<math><munder><mo>\u03A3</mo><mi>k</mi></munder></math>", "SigmaUnder[\u03A3](k |) |"},
    {"sigma_underover", u"<math><munderover><mo>\u03A3</mo><mi>k</mi><mi>n</mi></munderover></math>",
     "SigmaUnderover[\u03A3](n | k |) |"},
    {"lone_signs", u"<math><mo>\u222B</mo><mo>\u03A3</mo></math>", "<\u222B> <\u03A3> |"},
    {"under_brace_is_under2", u"<math><munder><mrow><mi>a</mi></mrow><mo>\uFE38</mo></munder></math>",
     "Under2[\uFE38](a |) |"},
    {"low_line_is_plain_under", u"<math><munder><mi>a</mi><mo>_</mo></munder></math>", "Under(a | _ |) |"},
    {"over_arrow_is_over2", u"<math><mover><mi>v</mi><mo>\u2192</mo></mover></math>", "Over2[\u2192](v |) |"},
    {"over_script", u"<math><mover><mi>x</mi><mn>2</mn></mover></math>", "Over(2 | x |) |"},
    {"underover", u"<math><munderover><mi>x</mi><mn>1</mn><mn>2</mn></munderover></math>",
     "Underover(2 | x | 1 |) |"},
    {"underover_two_marks", u"<math><munderover><mi>x</mi><mo>\uFE38</mo><mo>\uFE37</mo></munderover></math>",
     "Underover2[\uFE37,\uFE38](x |) |"},
    {"reaction_arrow", u"<math><munderover><mo>\u21C4</mo><mi>a</mi><mi>b</mi></munderover></math>",
     "OUnderover[\u21C4](b | a |) |"},
    {"presub", u"<math><mmultiscripts><mi>X</mi><mprescripts><mn>1</mn><none/></mprescripts></mmultiscripts></math>",
     "Presub(1 | X |) |"},
    {"presuper", u"<math><mmultiscripts><mi>X</mi><mprescripts><none/><mn>2</mn></mprescripts></mmultiscripts></math>",
     "Presuper(2 | X |) |"},
    {"presub_presup",
     u"<math><mmultiscripts><mi>X</mi><mprescripts><mn>1</mn><mn>2</mn></mprescripts></mmultiscripts></math>",
     "PresubPresup(2 | 1 | X |) |"},
    {"no_prescripts_adds_nothing",
     u"<math><mmultiscripts><mi>X</mi><mprescripts><none/><none/></mprescripts></mmultiscripts></math>", "|"},
    {"combination",
     u"<math><mmultiscripts><mi>C</mi><mi>r</mi><none/><mprescripts><mi>n</mi><none/></mprescripts></mmultiscripts></math>",
     "OPresubSub[C](n | r |) |"},
    {"presub_sub_other_letter",
     u"<math><mmultiscripts><mi>X</mi><mi>r</mi><none/><mprescripts><mi>n</mi><none/></mprescripts></mmultiscripts></math>",
     "PresubSub(n | X | r |) |"},
    {"multi",
     u"<math><mmultiscripts><mi>X</mi><mn>1</mn><mn>2</mn><mprescripts><mn>3</mn><mn>4</mn></mprescripts></mmultiscripts></math>",
     "Multi(4 | 3 | X | 2 | 1 |) |"},
    {"flat_multiscripts_dropped", u"<math><mmultiscripts><mi>X</mi><mn>1</mn><mn>2</mn></mmultiscripts></math>", "|"},
    {"fenced", u"<math><mfenced open='[' close='}'><mi>a</mi><mo>,</mo><mi>b</mi></mfenced></math>",
     "Fenced[[,}](a , b |) |"},
    {"fenced_defaults", u"<math><mfenced><mi>a</mi></mfenced></math>", "Fenced[(,)](a |) |"},
    {"fenced_without_children_gets_a_slot", u"<math><mfenced/></math>", "Fenced[(,)](|) |"},
    {"long_division", u"<math><menclose notation='box'><mn>12</mn></menclose></math>", "Longdiv(1 2 |) |"},
    {"matrix", u"<math><mtable><mtr><mtd><mi>a</mi></mtd><mtd><mi>b</mi></mtd></mtr><mtr><mtd><mi>c</mi></mtd><mtd><mi>d</mi></mtd></mtr></mtable></math>",
     "Matrix[2x2](a | b | c | d |) |"},
    {"ragged_matrix_is_filled",
     u"<math><mtable><mtr><mtd><mi>a</mi></mtd><mtd><mi>b</mi></mtd><mtd><mi>c</mi></mtd></mtr><mtr><mtd><mi>d</mi></mtd><mtd><mi>e</mi></mtd></mtr></mtable></math>",
     "Matrix[2x3](a | b | c | d | e | |) |"},
    {"answer_in_formula", u"<math><mi>x</mi><mo>=</mo><mrow qntype='cyukai'><mn>3</mn></mrow></math>",
     "x = MathCyukai(3 |) |"},
    {"nested_templates", u"<math><mfrac><msup><mi>x</mi><mn>2</mn></msup><mrow><mn>1</mn><mo>+</mo><mi>y</mi></mrow></mfrac></math>",
     "Frac(Super(x | 2 |) | 1 + y |) |"},
    {"surrogate_pair_is_one_node", u"<math><mi>a\U0001D465b</mi></math>", "a \U0001D465 b |"},
};

INSTANTIATE_TEST_SUITE_P(Fragments, MathMLImport, ::testing::ValuesIn(kImportCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

TEST(MathMLImportStyle, SlotEndTakesTheStyleOfTheLastToken)
{
    std::unique_ptr<CEditMath> formula =
        FormulaFromMathML(u"<math><msqrt><mi mathcolor='red' mathsize='20pt'>sin</mi></msqrt></math>");
    auto* root = dynamic_cast<CEditSqrt*>(formula->GetEditChild(0));
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->GetChildCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(root->GetEditChild(i)->m_color, 0x0000FFu) << i;
        EXPECT_EQ(root->GetEditChild(i)->m_lf.lfHeight, root->GetEditChild(0)->m_lf.lfHeight) << i;
    }
    // An empty slot's end keeps the maths font of its construction.
    std::unique_ptr<CEditMath> empty = FormulaFromMathML(u"<math><msqrt><mrow/></msqrt></math>");
    CEditNode* slotEnd = empty->GetEditChild(0)->GetEditChild(0);
    LOGFONTA maths{};
    CDefaultFontTable::Instance().GetMathFont(&maths);
    EXPECT_EQ(slotEnd->m_lf.lfHeight, maths.lfHeight);
    EXPECT_EQ(slotEnd->m_color, 0u);
}

TEST(MathMLImportStyle, TemplatesTakeTheElementUnderlineAndMarksTheirStretchyFlag)
{
    std::unique_ptr<CEditMath> formula = FormulaFromMathML(
        u"<math><mfrac border-after-style='solid'><mi>a</mi><mi>b</mi></mfrac><mo stretchy='true'>(</mo></math>");
    CEditNode* frac = formula->GetEditChild(0);
    EXPECT_EQ(frac->BorderRecord().m_afterStyle, 1);
    auto* paren = dynamic_cast<CEditMathChar*>(formula->GetEditChild(1));
    ASSERT_NE(paren, nullptr);
    EXPECT_EQ(paren->m_stretchy, 1);

    std::unique_ptr<CEditMath> table =
        FormulaFromMathML(u"<math><mtable frame='solid' columnalign='right'><mtr><mtd><mi>a</mi></mtd></mtr></mtable></math>");
    auto* matrix = dynamic_cast<CEditMatrix*>(table->GetEditChild(0));
    ASSERT_NE(matrix, nullptr);
    EXPECT_EQ(matrix->BorderRecord().m_borderStyle, 1);
    EXPECT_EQ(matrix->BorderRecord().m_borderWidth, 1);
    EXPECT_EQ(matrix->m_textAlign, 2);
}

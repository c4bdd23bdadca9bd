#include "math/formula_family.h"

#include "math/formula.h"
#include "math/math_char.h"
#include "math/stretchy_templates.h"
#include "nodes/edit_families.h"
#include "nodes/node_archive.h"

namespace {

CEditChar* MakeMathChar(const CStringW& text)
{
    return new CEditMathChar(text);
}

CEditChar* MakeMathLineBreak()
{
    return new CEditMathCR();
}

}  // namespace

void RegisterFormulaFamily()
{
    EDIT_FAMILY_MAKERS& makers = EditFamilyMakers();
    makers.mathChar = MakeMathChar;
    makers.mathLineBreak = MakeMathLineBreak;
}

void RegisterMathClasses(CRuntimeClassRegistry& registry)
{
    const CRuntimeClass* classes[] = {
        RUNTIME_CLASS(CEditMathChar), RUNTIME_CLASS(CEditMathCR), RUNTIME_CLASS(CEditSigma),
        RUNTIME_CLASS(CEditIntegral), RUNTIME_CLASS(CEditMathContainer), RUNTIME_CLASS(CEditMath),
        RUNTIME_CLASS(CEditEditMath), RUNTIME_CLASS(CEditMathCyukai), RUNTIME_CLASS(CEditFrac),
        RUNTIME_CLASS(CEditRoot), RUNTIME_CLASS(CEditSqrt), RUNTIME_CLASS(CEditLongdiv),
        RUNTIME_CLASS(CEditMatrix), RUNTIME_CLASS(CEditMulti), RUNTIME_CLASS(CEditOver),
        RUNTIME_CLASS(CEditUnder), RUNTIME_CLASS(CEditOver2), RUNTIME_CLASS(CEditUnder2),
        RUNTIME_CLASS(CEditUnderover), RUNTIME_CLASS(CEditUnderover2), RUNTIME_CLASS(CEditOUnderover),
        RUNTIME_CLASS(CEditSubsup), RUNTIME_CLASS(CEditSub), RUNTIME_CLASS(CEditSuper),
        RUNTIME_CLASS(CEditPresubPresup), RUNTIME_CLASS(CEditPresub), RUNTIME_CLASS(CEditPresuper),
        RUNTIME_CLASS(CEditPresubSub), RUNTIME_CLASS(CEditOPresubSub), RUNTIME_CLASS(CEditFenced),
        RUNTIME_CLASS(CEditSigmaSubsup), RUNTIME_CLASS(CEditSigmaSub), RUNTIME_CLASS(CEditSigmaUnderover),
        RUNTIME_CLASS(CEditSigmaUnder), RUNTIME_CLASS(CEditIntegralSubsup), RUNTIME_CLASS(CEditIntegralSub),
    };
    for (const CRuntimeClass* runtimeClass : classes)
        registry.Add(runtimeClass);
}

const CRuntimeClassRegistry& ProblemEditorNodeClasses()
{
    static const CRuntimeClassRegistry classes = [] {
        CRuntimeClassRegistry registry;
        RegisterNodeClasses(registry, NODE_PROGRAM::ProblemEditor);
        RegisterMathClasses(registry);
        return registry;
    }();
    return classes;
}

const CRuntimeClassRegistry& FormulaEditorNodeClasses()
{
    static const CRuntimeClassRegistry classes = [] {
        CRuntimeClassRegistry registry;
        RegisterNodeClasses(registry, NODE_PROGRAM::FormulaEditor);
        RegisterMathClasses(registry);
        return registry;
    }();
    return classes;
}

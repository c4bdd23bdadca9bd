// The classes the problem editor reads from streams, for the fuzz targets of stream forms: those
// of the node layer and the formula classes.
#pragma once

#include "math/formula_family.h"
#include "nodes/node_archive.h"
#include "platform/archive.h"

inline const CRuntimeClassRegistry& ProblemEditorRegistry()
{
    static const CRuntimeClassRegistry registry = [] {
        CRuntimeClassRegistry r;
        RegisterNodeClasses(r, NODE_PROGRAM::ProblemEditor);
        RegisterMathClasses(r);
        return r;
    }();
    return registry;
}

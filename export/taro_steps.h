// What the Ichitaro writers share: short forms of the VARIANT arguments Ichitaro's library takes,
// and the reading of the integers it answers with.
#pragma once

#include "platform/automation.h"

#include <string>
#include <vector>

namespace taro {

inline VARIANT L(int32_t value) { return VARIANT::Long(value); }
inline VARIANT R(double value) { return VARIANT::Double(value); }
inline VARIANT S(std::u16string text) { return VARIANT::String(std::move(text)); }
inline VARIANT M() { return VARIANT::Missing(); }

// The arguments followed by count missing ones.
inline std::vector<VARIANT> WithMissing(std::vector<VARIANT> arguments, int count)
{
    for (int i = 0; i < count; ++i)
        arguments.push_back(VARIANT::Missing());
    return arguments;
}

// An answer taken as an integer, changed from another numeric type (an empty answer reads 0);
// an answer that is no number raises COleException(DISP_E_TYPEMISMATCH), as automation's own
// conversion would.
inline int Integer(VARIANT value)
{
    if (!ChangeVariantType(value, VT_I4))
        throw COleException(DISP_E_TYPEMISMATCH);
    return value.lVal;
}

// Whether an answer is the integer 1 itself.
inline bool IsIntegerOne(const VARIANT& value) { return value.vt == VT_I4 && value.lVal == 1; }

}  // namespace taro

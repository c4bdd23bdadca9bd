#include "platform/win_types.h"

#include <cstdlib>
#include <limits>

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    int64_t quotient = product / c;
    const int64_t remainder = product % c;
    if (2 * std::llabs(remainder) >= std::llabs(static_cast<int64_t>(c)))
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(quotient);
}

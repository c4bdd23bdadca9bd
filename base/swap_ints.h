// An int exchange.
#pragma once

// Exchanges the two values and returns the first pointer.
inline int* SwapInts(int* a, int* b)
{
    const int t = *a;
    *a = *b;
    *b = t;
    return a;
}

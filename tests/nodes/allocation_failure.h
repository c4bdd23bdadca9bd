// A test program's allocations, counted, and one of them made to fail on request: tests arm a
// failure at the n-th allocation of an operation to see what the operation leaves behind when
// memory runs out at that step, and compare the blocks alive before and after.
#pragma once

namespace allocation {

// The allocation after `count` more succeed (0: the next one) throws std::bad_alloc.
void FailAfter(long count);
// No failure armed any more.
void Disarm();
// Whether the armed failure has happened.
bool Failed();
// Blocks allocated through operator new and not yet deleted.
long LiveBlocks();

}  // namespace allocation

// Movable global memory blocks, as the Windows kernel hands them out: a handle that is locked to
// reach the bytes. Handles are checked: a handle of no live block is refused.
#pragma once

#include "platform/win_types.h"

#include <cstddef>

struct GlobalBlock;
using HGLOBAL = GlobalBlock*;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// A block of `bytes` bytes (zeroed with GMEM_ZEROINIT); null when it cannot be had.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
// The block's bytes, or null for a handle of no block. Every lock needs an unlock.
void* GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);
// The size of the block; 0 for a handle of no block.
size_t GlobalSize(HGLOBAL block);
// Frees the block; returns null on success and the handle when it names no block.
HGLOBAL GlobalFree(HGLOBAL block);

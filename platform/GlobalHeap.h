// The original platform's global memory blocks: GlobalAlloc and friends.
//
// A block is owned by whoever holds its handle until GlobalFree. A block stays
// where it is until GlobalReAlloc; its handle and the address GlobalLock
// returns are the same, whatever the flags, but callers still lock to reach
// the bytes. Every
// block is zero-filled when allocated, and GlobalReAlloc zero-fills what it
// adds, whatever the flags: the kit relies on it. A zero-byte request gives
// a valid block of its own, which GlobalLock maps to a distinct non-null
// address. Allocation failures return null and change nothing.
//
// A handle that is not a live block (never allocated, or already freed) is a
// caller's error; while its memory is still readable it is recognised, which
// asserts in debug builds and otherwise makes the call fail: GlobalFree gives
// the handle back, GlobalReAlloc and GlobalLock null, GlobalSize 0.
// Different blocks may be used from different threads at once; one block is
// used by one thread at a time.
#pragma once

#include <cstddef>

#include "VarokitApi.h"
#include "WinTypes.h"

struct GlobalBlock;
typedef GlobalBlock* HGLOBAL;

const UINT GMEM_FIXED = 0x0000;
const UINT GMEM_MOVEABLE = 0x0002;
const UINT GMEM_ZEROINIT = 0x0040;
const UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
const UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

VAROKIT_API HGLOBAL GlobalAlloc(UINT flags, size_t bytes);

// Null on success (and for a null handle), the handle itself on failure.
VAROKIT_API HGLOBAL GlobalFree(HGLOBAL block);

// The block's first byte, or null for a null handle. Each lock adds to the
// block's lock count.
VAROKIT_API LPVOID GlobalLock(HGLOBAL block);

// Takes one lock away; TRUE while the block is still locked afterwards.
VAROKIT_API BOOL GlobalUnlock(HGLOBAL block);

// The size last asked for; 0 for a null handle.
VAROKIT_API size_t GlobalSize(HGLOBAL block);

// Resizes a block, keeping its content up to the smaller size. The block may
// move: use the returned handle, after which the old one is dead. On failure
// returns null and the old block is untouched. The lock count carries over.
VAROKIT_API HGLOBAL GlobalReAlloc(HGLOBAL block, size_t bytes, UINT flags);

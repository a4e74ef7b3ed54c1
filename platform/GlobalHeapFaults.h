// For tests only: makes a chosen global-memory allocation fail, so that the
// callers' failure paths can be exercised.
//
// After `successes` more successful allocations (GlobalAlloc and
// GlobalReAlloc both count), the next one fails, once; then allocation works
// normally again. A negative count disarms the seam, which is the default.
// Safe from any thread.
#pragma once

void SetGlobalAllocFailCountdown(long successes);

// The suite folder: the registry value ROOTDIR under the current user's key
// Software\Orvel\TRIXPAD, a Shift-JIS path that ends in its separator.
#pragma once

#include <cstddef>

#include "CString.h"

namespace varo {

// The longest path, terminator included, that the suite's files may have.
const size_t kMaxPathBytes = 260;

// Reads ROOTDIR into *out; false, with *out unchanged, when the key or value
// is missing, is not text, or does not fit kMaxPathBytes with its terminator.
bool ReadRootDir(CString* out);

// ROOTDIR followed directly by the engine file's name; false when ROOTDIR
// cannot be read or the whole path does not fit kMaxPathBytes.
bool EngineFileFromRootDir(CString* out);

}  // namespace varo

// The suite's settings under the current user's registry key
// Software\Orvel\TRIXPAD: the suite folder ROOTDIR, a Shift-JIS path that
// ends in its separator, and the database server SERVER, a libpq connection
// string.
#pragma once

#include <cstddef>

#include "CString.h"
#include "SuiteSettings.h"

namespace varo {

// What a read of ROOTDIR found. A value that is there but cannot be used
// must not be taken for a missing one: the suite would then quietly run on
// another engine than the one installed.
enum class RootDirRead {
    kRead,
    kMissing,     // no key, or no such value
    kUnreadable,  // present, but not text, empty, or too long for kMaxPathBytes
};

// Reads ROOTDIR into *out, which is changed only when the result is kRead.
RootDirRead ReadRootDir(CString* out);

// Hands the registry's SERVER to the engine, which reads its server from the
// environment variable VARO_SERVER: sets that variable to SERVER when it is
// not set already (the variable comes first) and SERVER holds a text.
// REQUIRES: no other thread reads or writes the environment meanwhile.
void AdoptServerSetting();

// ROOTDIR followed directly by the engine file's name; kUnreadable as well
// when that whole path does not fit kMaxPathBytes.
RootDirRead EngineFileFromRootDir(CString* out);

}  // namespace varo

// Registered window messages: numbers that every process of the user agrees
// on for a given message name, as the original platform's
// RegisterWindowMessage gives them.
//
// The same name yields the same number in every process of the user for as
// long as the table file lasts (the session, when it lives under
// $XDG_RUNTIME_DIR); different names yield different numbers; every number
// lies in 0xC000-0xFFFF. Names are Shift-JIS of 1 to 255 bytes and compare
// ignoring the case of ASCII letters (see MessageTable.h).
//
// The table is the file `messages` in $XDG_RUNTIME_DIR/varokit, else in
// /tmp/varokit-<uid> (see PrivateFiles.h), read and extended under an
// exclusive flock, so that processes registering at the same moment still
// agree. A damaged end of the file (a process killed while writing) is cut
// off at the next registration; names recorded before it keep their numbers.
//
// Safe from any thread and from static constructors: no static state.
#pragma once

#include "VarokitApi.h"
#include "WinTypes.h"

// The name's number, or 0 when the name is null, empty or longer than 255
// bytes, the table holds 16384 names already, or the file cannot be used.
VAROKIT_API UINT RegisterWindowMessage(LPCSTR name);

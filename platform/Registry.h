// The per-user registry: keys under HKEY_CURRENT_USER holding text (REG_SZ)
// and 32-bit (REG_DWORD) values, reached through the Win32 calls the kit
// uses, with their result codes.
//
// Store. One text file, $XDG_CONFIG_HOME/varokit/registry (default
// ~/.config/varokit/registry), in the registry editor's export form and in
// UTF-8; RegistryFile.h gives its lines. Key `Software\Orvel\TRIXPAD` is the
// block `[HKEY_CURRENT_USER\Software\Orvel\TRIXPAD]`. The folder is created
// with mode 0700, the file with 0600.
//
// Texts. Names and texts crossing this interface are Shift-JIS (code page
// 932), as every text of the kit is, and are converted to and from the
// file's UTF-8. Key and value names compare ignoring the case of ASCII
// letters. A null or empty value name is the key's unnamed value.
//
// Sharing. Every call reads the file afresh, so an open key sees at once
// what other processes wrote. Each change rereads, edits and rewrites the
// whole file while holding a lock (registry.lock beside it), and replaces
// the file atomically (a temporary file renamed over it), so readers see
// the old file or the new one, never a mix, and concurrent writers lose
// nothing. Lines the store does not understand are kept when it rewrites.
//
// Results. ERROR_SUCCESS, or:
//   ERROR_FILE_NOT_FOUND     no such key or value
//   ERROR_INVALID_HANDLE     the key handle is not open (never opened, or
//                            already closed: handles are never reused)
//   ERROR_ACCESS_DENIED      the handle lacks the access right, or the file
//                            or its folder cannot be read or written (a file
//                            that cannot be read is never overwritten)
//   ERROR_INVALID_PARAMETER  a missing or malformed argument; a key path
//                            with an empty part or a control character; a
//                            name or text that is not valid Shift-JIS or
//                            holds a line break; a value type other than
//                            REG_SZ and REG_DWORD, or a REG_DWORD whose size
//                            is not 4
//   ERROR_INVALID_DATA       a stored text with no Shift-JIS form
//   ERROR_MORE_DATA          see RegQueryValueEx
// A failed call changes neither the file nor the caller's outputs, except
// the sizes and types RegQueryValueEx reports and the null key that a failed
// open or create leaves in *result.
//
// Threads. Every call is safe from any thread; the table of open keys is
// guarded. Handles are process-local and must be closed with RegCloseKey
// (closing HKEY_CURRENT_USER does nothing and succeeds).
#pragma once

#include <cstdint>

#include "VarokitApi.h"
#include "WinTypes.h"

struct RegistryKey;
typedef RegistryKey* HKEY;
typedef int32_t LONG;

extern VAROKIT_API const HKEY HKEY_CURRENT_USER;

const LONG ERROR_SUCCESS = 0;
const LONG ERROR_FILE_NOT_FOUND = 2;
const LONG ERROR_ACCESS_DENIED = 5;
const LONG ERROR_INVALID_HANDLE = 6;
const LONG ERROR_INVALID_DATA = 13;
const LONG ERROR_INVALID_PARAMETER = 87;
const LONG ERROR_MORE_DATA = 234;

// Access rights, with the original platform's values. Only KEY_QUERY_VALUE
// (to read values), KEY_SET_VALUE (to write or delete them) and
// KEY_CREATE_SUB_KEY (on the parent given to RegCreateKeyEx) are checked.
const DWORD KEY_QUERY_VALUE = 0x0001;
const DWORD KEY_SET_VALUE = 0x0002;
const DWORD KEY_CREATE_SUB_KEY = 0x0004;
const DWORD KEY_ENUMERATE_SUB_KEYS = 0x0008;
const DWORD KEY_NOTIFY = 0x0010;
const DWORD KEY_CREATE_LINK = 0x0020;
const DWORD KEY_READ = 0x00020019;
const DWORD KEY_WRITE = 0x00020006;
const DWORD KEY_ALL_ACCESS = 0x000F003F;

const DWORD REG_SZ = 1;
const DWORD REG_DWORD = 4;

// Opens an existing key below `parent` (an open key or HKEY_CURRENT_USER)
// with the rights `samDesired`; a null or empty subKey opens `parent` again.
// A key exists when the file has its block or a block below it. `options` is
// ignored. ERROR_FILE_NOT_FOUND when the key does not exist.
VAROKIT_API LONG RegOpenKeyEx(HKEY parent, LPCSTR subKey, DWORD options, DWORD samDesired, HKEY* result);

// Opens the key with KEY_ALL_ACCESS, first adding its (empty) block to the
// file when the key does not exist yet.
VAROKIT_API LONG RegCreateKeyEx(HKEY parent, LPCSTR subKey, HKEY* result);

// Reads a value. *type (when type is non-null) receives REG_SZ or
// REG_DWORD. A REG_SZ value's data is its Shift-JIS text with its
// terminating zero, always present and counted in the size; a REG_DWORD
// value's data is its 4 bytes, least significant first. With null data,
// *dataSize (when dataSize is non-null) receives the size needed; with a
// buffer smaller than that the result is ERROR_MORE_DATA, *dataSize receives
// the size needed and the buffer is left untouched; otherwise the data is
// copied and *dataSize receives its size. `reserved` must be null; non-null
// data needs a non-null dataSize.
VAROKIT_API LONG RegQueryValueEx(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);

// Writes a value, replacing one of the same name. A REG_SZ text ends at the
// first zero byte within `size` bytes, or after `size` bytes (null data with
// size 0 is the empty text); a REG_DWORD takes exactly 4 bytes, least
// significant first. `reserved` is ignored.
VAROKIT_API LONG RegSetValueEx(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);

VAROKIT_API LONG RegDeleteValue(HKEY key, LPCSTR name);

VAROKIT_API LONG RegCloseKey(HKEY key);

// Fixed-width names of the original platform's basic types.
//
// Widths are those of the original 32-bit platform wherever a value is stored
// or exchanged: BYTE 8, WORD 16, DWORD and BOOL 32 bits. `long` keeps the
// compiler's width (64 bits here) because it appears in public signatures only;
// stored numbers never use it.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int32_t BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef int64_t __int64;
typedef void* LPVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef const char* LPCTSTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

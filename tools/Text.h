// The varo command's text boundary: the kit speaks Shift-JIS (code page 932),
// the terminal and the command line speak UTF-8.
//
// Output never fails: a byte sequence that is not code page 932 (device codes
// the kit left unconverted, a cut two-byte character) is shown as \xNN
// escapes, so what the database holds is visible rather than lost. Input is
// refused when it cannot be said in Shift-JIS, so nothing is stored altered.
// Pure functions, safe from any thread.
#pragma once

#include <string>

#include "CString.h"

namespace varo {
namespace tool {

// Shift-JIS text as UTF-8; CR LF line breaks become LF.
std::string ToUtf8(const std::string& sjis);
std::string ToUtf8(const CString& sjis);
std::string ToUtf8(const char* sjis);

// A UTF-8 text from the command line in Shift-JIS, with LF line breaks
// written CR LF as the suite stores them; false (and *out empty) when the
// text is not valid UTF-8 or holds a character Shift-JIS lacks.
bool FromUtf8(const std::string& utf8, CString* out);

// The number of terminal columns a UTF-8 text takes: two for wide (East
// Asian full-width) characters, one for the rest, half-width katakana
// included.
int DisplayWidth(const std::string& utf8);

// The text followed by blanks up to `width` columns (never cut).
std::string PadRight(const std::string& utf8, int width);

}  // namespace tool
}  // namespace varo

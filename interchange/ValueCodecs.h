// The encodings of vCard values: quoted-printable (2.1), base64, the
// backslash escapes of text values and the ";" and "," of structured ones.
// Decoders never fail on odd input except where said; pure functions.
#pragma once

#include <string>
#include <vector>

namespace varo {
namespace interchange {

// "=XX" to the byte; a "=" not followed by two hex digits stays as it is.
std::string DecodeQuotedPrintable(const std::string& text);

// Quoted-printable with soft line breaks so that no line exceeds 76
// characters; `used` is how much of the first line the property's name and
// parameters already take. The bytes are Shift-JIS or ASCII: both bytes of
// a two-byte character are encoded and kept on one line.
std::string EncodeQuotedPrintable(const std::string& bytes, size_t used);

// Base64 with or without padding; blanks and line breaks are skipped.
// False on any other character outside the alphabet.
bool DecodeBase64(const std::string& text, std::string* bytes);
std::string EncodeBase64(const std::string& bytes);

// Splits a structured value at unescaped separators; escapes stay.
std::vector<std::string> SplitEscaped(const std::string& value, char separator);

// Undoes \\ \, \; \: and \n \N (a line feed).
std::string UnescapeText(const std::string& text);

// Undoes only \; as vCard 2.1 writes it: other backslashes are text there.
std::string UnescapeSemicolons(const std::string& text);

// Escapes \ , ; and line feeds for a vCard 3.0/4.0 or iCalendar text;
// carriage returns are dropped.
std::string EscapeText(const std::string& text);
void AppendEscapedText(const std::string& text, std::string* out);

// Appends a content line folded at 75 octets (CR LF and a blank before each
// continuation), never inside a UTF-8 sequence; no line break at its end.
void AppendFolded(const std::string& line, std::string* out);

// For vCard 2.1, where only ";" is escaped in structured values.
std::string EscapeSemicolons(const std::string& text);

}  // namespace interchange
}  // namespace varo

// The stored form of a tip's fields: one byte string per tip, kept in the
// tip's row, so that a tip is read and written as one row.
//
// Encoding 1:
//   byte 0          the encoding number (1)
//   byte 1          the field count, 0 to kMaxTipFields
//   per field       tag (4 bytes), label length (1 byte), label bytes,
//                   type (32-bit little-endian), data length (16-bit
//                   little-endian), data bytes
// A field without data has length 0. Nothing follows the last field.
//
// The bytes come from a file that may be damaged: the decoder checks every
// length against the bytes left and reads nothing beyond them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "TipBuffer.h"

namespace varo {
namespace engine {

const uint8_t kFieldRecordEncoding = 1;

enum class FieldRecordError {
    None = 0,
    Empty,            // no bytes at all
    UnknownEncoding,  // byte 0 names no encoding this engine reads
    TooManyFields,    // a count above kMaxTipFields
    Truncated,        // a field or its lengths run past the end
    TrailingBytes,    // bytes after the last field
};

// False, with *out left empty, when a field cannot be held: a tag of other
// than 4 bytes, a label above 255 bytes, data above 65535 bytes, or more than
// kMaxTipFields fields. The storage *out already has is reused.
bool EncodeFieldRecord(const StoredTip& tip, std::vector<uint8_t>* out);

// Fills `out` from the bytes; on any error *out is left with no fields. The
// storage *out already has is reused.
FieldRecordError DecodeFieldRecord(const uint8_t* bytes, size_t size, StoredTip* out);

}  // namespace engine
}  // namespace varo

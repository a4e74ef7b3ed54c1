// A tip buffer built from fuzz bytes: an array of TIPFIELD pointers such as
// the engine hands the kit or the kit hands the engine, with every tag,
// label and data block in an allocation of exactly its own size, so that a
// read past any of them is caught by AddressSanitizer.
//
// The bytes, each read bounded (missing bytes read as zeros):
//   kind     1 byte: below 21 one of the 21 kinds, 21 a control tip, any
//            other value a raw 16-bit kind read next
//   count    1 byte modulo 42: the number of entries, up to 41
//   entries  per entry one flags byte, then what the flags ask for:
//     bits 0-1  tag: 0 the schema's, 1 four bytes read and a terminator,
//               2 four bytes read without a terminator (for the kit; the
//               engine gets one), 3 null
//     bits 2-3  label: 0 the schema's, 1 a NUL-ended piece read, 2 null,
//               3 empty
//     bit 4     type: set, 32 bits read; clear, the schema's
//     bits 5-6  data: 0 bytes read (a length byte, 255 meaning a 16-bit
//               length follows), 1 none, 2 null data with a 16-bit length
//               read, 3 a non-null block of no bytes
//     bit 7     data form 0 gets a NUL after the bytes read (a text)
// The schema is the chosen kind's (TipSchemas.h) or the four control tags;
// a raw kind has none. Outside a schema a schema tag is "TAFL" at entry 0
// and four bytes read elsewhere, a schema label empty and a schema type 1.
// Entry 0 in data form 0 holds the kind's two bytes instead of bytes read,
// unless the tip is a control tip.
//
// A DecodedTip owns everything its buffer points at; the buffer is valid
// while the object lives and is never changed by it. One thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "EngineInterface.h"
#include "FuzzSupport.h"

namespace fuzz {

class DecodedTip {
public:
    // Who reads the buffer. The kit's walks stop at 40 entries and at 4 tag
    // characters, so for the kit a buffer of 40 entries or more may end
    // without its null pointer and a tag without its terminator; the engine
    // is always given both.
    enum class Reader : uint8_t { Kit, Engine };

    static DecodedTip Read(FuzzBytes& in, Reader reader);

    DecodedTip(DecodedTip&&) = default;
    DecodedTip& operator=(DecodedTip&&) = default;

    TIPFIELD* const* Buffer() const { return m_pointers.get(); }
    void* Address() { return m_pointers.get(); }
    size_t Count() const { return m_fields.size(); }
    const TIPFIELD& Entry(size_t index) const { return m_fields[index]; }

private:
    DecodedTip() = default;

    char* Keep(const std::string& bytes, bool terminate);
    void ReadEntry(FuzzBytes& in, size_t index, Reader reader, TIPFIELD* entry);
    char* ReadTag(FuzzBytes& in, size_t index, uint8_t mode, Reader reader);
    char* ReadLabel(FuzzBytes& in, size_t index, uint8_t mode);
    void ReadData(FuzzBytes& in, size_t index, uint8_t flags, TIPFIELD* entry);

    enum class Schema : uint8_t { Kind, Control, None };
    Schema m_schema = Schema::None;
    uint16_t m_kind = 0;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::vector<TIPFIELD> m_fields;
    std::unique_ptr<TIPFIELD*[]> m_pointers;
};

}  // namespace fuzz

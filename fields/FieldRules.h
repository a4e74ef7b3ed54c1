// How a field accessor finds and encodes its field: which tip kinds it
// accepts and at which slot, the field type it writes, the byte form of its
// value, its range and its read-only slot. Each accessor of CVAROObj is one
// call of a routine below with its row of the field table (FieldTable.h).
//
// The routines work on the process-wide tip record. Setters return 0 and
// change nothing when the read-only flag refuses (unless the row says the
// setter ignores it), when the kind is not accepted or when the value is out
// of range or too long for a field's 16-bit length; otherwise they write the
// slot's field type and then its data, and return 1 (0 when memory cannot be
// had). Getters never refuse because of the read-only flag: it only selects
// the read-only slot. Internal to the kit.
#pragma once

#include <cstdint>

#include "CString.h"
#include "DecimalText.h"

class CSelectTips;
struct TIPFIELD;

namespace varo {

// A field's length is 16 bits: a stored value holds at most this many bytes
// (a text of 65534 bytes and its terminator, or a block of 65535).
const size_t kMaxFieldBytes = 0xFFFF;

enum class KindMatch : uint8_t {
    Range,            // kinds first to last
    Group,            // kinds whose bits 8-11 equal first (card, memo, preference groups)
    AllButBoardPrefs, // every kind but the page board 0x800 and the preferences 0x900
};

// One kind test and the slot the field has for the kinds it passes. A slot
// of 0 ends a list (slot 0 always holds the kind).
struct KindSlot {
    KindMatch match;
    uint16_t first;
    uint16_t last;
    int8_t slot;
    int8_t readOnlySlot;  // read while the read-only flag is 1; -1 for none
};

enum class Encoding : uint8_t {
    Text,       // text and terminator; getters convert device codes
    PlainText,  // the same, but getters copy the bytes unchanged
    Decimal,    // a number as decimal text
    Value32,    // a 32-bit value, least significant byte first
    LinkList,   // a 32-bit count and that many tip ids
};

// What a 32-bit getter reports before it reads.
enum class Preset : uint8_t {
    Untouched,  // the caller's value stays as it was on failure
    Zero,
    Red,        // 0xFF0000, kept (with result 1) when fewer than 4 bytes are stored
};

// The printf form of a decimal field: "%01d" is width 1 padded with zeros,
// "%1d" width 1 padded with blanks, "%02d" width 2 with zeros.
struct DecimalForm {
    int width;
    pimtime::Pad pad;
};

const int kMaxKindSlots = 8;
const int kNoAnyKindSlot = -1;

struct FieldRule {
    uint32_t type;
    Encoding encoding;
    DecimalForm form;          // Decimal only
    int32_t min, max;          // the accepted values when min <= max
    Preset preset;             // Value32 getters
    int8_t anyKindReadOnlySlot;  // >= 0: while read-only, this slot for any kind
    bool setterIgnoresReadOnly;
    KindSlot kinds[kMaxKindSlots];
};

// The slot a setter writes for `kind`, or -1.
int SetterSlot(const FieldRule& rule, uint16_t kind);
// The slot a getter reads for `kind` under the read-only flag, or -1.
int GetterSlot(const FieldRule& rule, uint16_t kind, bool readOnly);

// The current tip's slot `slot` when it has data, else null.
const TIPFIELD* SlotWithData(int slot);

// Writes field type and data at the setter's slot after the common checks.
int StoreField(const FieldRule& rule, bool readOnly, const void* bytes, size_t length);

// What a getter read: its result, and the value to hand the caller when
// `deliver` is set (presets are delivered even when the read fails).
struct ReadValue {
    int result;
    bool deliver;
    int64_t value;
};

template <class T>
int Deliver(const ReadValue& read, T* out) {
    if (out && read.deliver) *out = static_cast<T>(read.value);
    return read.result;
}

int SetTextField(const FieldRule& rule, bool readOnly, const CString& text);
int GetTextField(const FieldRule& rule, bool readOnly, CString& text);
int SetDecimalField(const FieldRule& rule, bool readOnly, long value);
ReadValue ReadDecimalField(const FieldRule& rule, bool readOnly);
// Refuses values outside 32 bits: unsigned for colours, signed otherwise.
int SetValue32Field(const FieldRule& rule, bool readOnly, int64_t value);
// Colours read unsigned, every other 32-bit value signed.
ReadValue ReadValue32Field(const FieldRule& rule, bool readOnly);
int SetLinkListField(const FieldRule& rule, bool readOnly, const CSelectTips& list);
int GetLinkListField(const FieldRule& rule, bool readOnly, CSelectTips& list);

// Converts stored text bytes as every converted text getter does; the
// result holds no terminator and stops at the first NUL.
CString ConvertedText(const TIPFIELD& field);

}  // namespace varo

// Decoding every field of the current tip for `varo show`: one table of
// decoders, by tag, each reading its field through the kit's public getters
// and giving it as text (dates as dates, lists by role, blocks by size).
//
// The slots, tags, labels and types of a kind come from the published kind
// schemas (TipSchemas.h); the values only from the kit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "VAROObj.h"

namespace varo {
namespace tool {

// The value of the current tip's field with this tag, one text per line;
// "(empty)" when the field holds nothing, "(no decoder)" for a tag no
// schema has. readOnly: the tip was read while another program holds a
// lock on it (see CurrentTipIsReadOnly).
std::vector<std::string> DecodeField(CVAROObj& kit, uint16_t kind, const char* tag, bool readOnly);

// Whether the kit holds the current tip read-only (another program holds a
// lock on it). The kit keeps that state to itself; its setters refuse
// while it lasts, so an unchanged secret flag written back tells. Only the
// kinds with the common block have a read-only layout.
bool CurrentTipIsReadOnly(CVAROObj& kit, uint16_t kind);

// "6 date": a schema field type's code and name.
std::string FieldTypeText(uint32_t type);

// Date-and-time forms the command prints.
std::string DateTimeText(const CPIMTime& when);   // 2030-01-31 09:30:00
std::string DateText(const CPIMTime& when);       // 2030-01-31

}  // namespace tool
}  // namespace varo

// Reading and writing the values that cross the engine interface: texts with
// their length limits, zero-terminated id lists, little-endian words of the
// caller's record buffers. Every walk over a caller's memory is bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "EngineInterface.h"

namespace varo {
namespace engine {

// Limits on texts handed in, in UTF-16 code units.
const size_t kMaxNameUnits = 1024;
const size_t kMaxPathUnits = 4096;
const size_t kMaxValueUnits = 65535;

// The ids of a zero-terminated list handed in.
const size_t kMaxListedIds = 1 << 20;

// The UTF-8 form of a text argument; false for a null, overlong or invalid
// text.
bool TextArg(const EngineArg& arg, size_t maxUnits, std::string* utf8);

// The ids of a zero-terminated list, without repeats, in first-seen order;
// false for a null list, a negative id or no terminator within the limit.
bool IdListArg(const EngineArg& arg, std::vector<int32_t>* ids);

void PutWord(uint8_t* at, uint32_t value);

}  // namespace engine
}  // namespace varo

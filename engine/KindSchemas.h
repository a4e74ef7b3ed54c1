// The field schema of each tip kind, as far as the engine checks it: the
// number of fields and their tags in order. The table itself belongs to the
// tip schemas library; an engine built without it knows no kinds and checks
// the structure of tip buffers only.
#pragma once

#include <cstdint>

namespace varo {
namespace engine {

// True when this build carries the kind schemas.
bool HaveKindSchemas();

// The kind's number of fields, -1 for a value that is not a kind (and for
// every value when the schemas are absent).
int KindFieldCount(uint16_t kind);

// The tag of the kind's field at `slot`, null outside the schema.
const char* KindFieldTag(uint16_t kind, int slot);

}  // namespace engine
}  // namespace varo

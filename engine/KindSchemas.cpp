#include "KindSchemas.h"

#ifdef VARO_ENGINE_HAS_TIP_SCHEMAS
#include "TipSchemas.h"
#endif

namespace varo {
namespace engine {

#ifdef VARO_ENGINE_HAS_TIP_SCHEMAS

bool HaveKindSchemas() { return true; }
int KindFieldCount(uint16_t kind) { return SchemaFieldCount(kind); }
const char* KindFieldTag(uint16_t kind, int slot) { return SchemaTag(kind, slot); }

#else

bool HaveKindSchemas() { return false; }
int KindFieldCount(uint16_t) { return -1; }
const char* KindFieldTag(uint16_t, int) { return nullptr; }

#endif

}  // namespace engine
}  // namespace varo

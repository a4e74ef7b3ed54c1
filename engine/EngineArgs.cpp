#include "EngineArgs.h"

#include <set>

#include "TextCodec.h"

namespace varo {
namespace engine {

bool TextArg(const EngineArg& arg, size_t maxUnits, std::string* utf8) {
    return Utf16ToUtf8(arg.text, maxUnits, utf8);
}

bool IdListArg(const EngineArg& arg, std::vector<int32_t>* ids) {
    ids->clear();
    const int32_t* list = static_cast<const int32_t*>(arg.buffer);
    if (!list) return false;
    std::set<int32_t> seen;
    for (size_t i = 0;; ++i) {
        if (i == kMaxListedIds) return false;
        const int32_t id = list[i];
        if (id == 0) return true;
        if (id < 0) return false;
        if (seen.insert(id).second) ids->push_back(id);
    }
}

void PutWord(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace engine
}  // namespace varo

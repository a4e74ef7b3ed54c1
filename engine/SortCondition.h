// Sort conditions of fukuros (the kit's SortCnd, 29 bytes):
//   byte 0      number of keys, 0 to 4
//   bytes 1-28  four keys of 7 bytes: 4-byte field tag, direction (0
//               ascending, 1 descending), comparison (0 bytes, 1 decimal
//               number), one reserved byte
// Keys beyond the count are not read. A tip without the key's field sorts as
// an empty value; ties keep the fukuro's previous order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varo {
namespace engine {

const size_t kSortConditionSize = 29;
const int kMaxSortKeys = 4;

struct SortKey {
    std::string tag;
    bool descending = false;
    bool numeric = false;
};

// False for a count above 4 or a direction or comparison other than 0 or 1.
bool ParseSortCondition(const uint8_t* bytes, std::vector<SortKey>* keys);

// One tip to sort: its id and, per key, the bytes of its field.
struct SortItem {
    int32_t tip;
    std::vector<std::vector<uint8_t>> values;
};

// Stable sort by the keys in turn.
void SortItems(const std::vector<SortKey>& keys, std::vector<SortItem>* items);

// The number a field holds as decimal text: optional blanks and sign, then
// digits, up to the first other byte; 0 when there are no digits. Values
// beyond 18 digits saturate.
int64_t DecimalValue(const std::vector<uint8_t>& bytes);

}  // namespace engine
}  // namespace varo

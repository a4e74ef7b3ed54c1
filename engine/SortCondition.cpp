#include "SortCondition.h"

#include <algorithm>

namespace varo {
namespace engine {
namespace {

const size_t kKeySize = 7;
const int kMaxDigits = 18;

int CompareBytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end())) return -1;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end())) return 1;
    return 0;
}

int CompareNumbers(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    const int64_t x = DecimalValue(a);
    const int64_t y = DecimalValue(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

bool ParseSortCondition(const uint8_t* bytes, std::vector<SortKey>* keys) {
    keys->clear();
    const int count = bytes[0];
    if (count > kMaxSortKeys) return false;
    for (int i = 0; i < count; ++i) {
        const uint8_t* key = bytes + 1 + kKeySize * i;
        if (key[4] > 1 || key[5] > 1) return false;
        SortKey parsed;
        parsed.tag.assign(reinterpret_cast<const char*>(key), 4);
        parsed.descending = key[4] == 1;
        parsed.numeric = key[5] == 1;
        keys->push_back(parsed);
    }
    return true;
}

int64_t DecimalValue(const std::vector<uint8_t>& bytes) {
    size_t i = 0;
    while (i < bytes.size() && bytes[i] == ' ') ++i;
    bool negative = false;
    if (i < bytes.size() && (bytes[i] == '-' || bytes[i] == '+')) negative = bytes[i++] == '-';
    int64_t value = 0;
    int digits = 0;
    for (; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
        if (digits++ < kMaxDigits) value = value * 10 + (bytes[i] - '0');
    }
    return negative ? -value : value;
}

void SortItems(const std::vector<SortKey>& keys, std::vector<SortItem>* items) {
    std::stable_sort(items->begin(), items->end(), [&keys](const SortItem& a, const SortItem& b) {
        for (size_t k = 0; k < keys.size() && k < a.values.size() && k < b.values.size(); ++k) {
            const int order = keys[k].numeric ? CompareNumbers(a.values[k], b.values[k])
                                              : CompareBytes(a.values[k], b.values[k]);
            if (order != 0) return keys[k].descending ? order > 0 : order < 0;
        }
        return false;
    });
}

}  // namespace engine
}  // namespace varo

// The memo texts the writer helper stores: "v<version>:<length>:" followed by
// <length> copies of one letter chosen by the version, so that a reader can
// tell the version of a stored tip and whether its text arrived whole.
#pragma once

#include <cstdlib>
#include <string>

namespace faults {

inline char FillFor(int version) { return static_cast<char>('a' + version % 26); }

inline std::string WriterMemo(int version, size_t length) {
    return "v" + std::to_string(version) + ":" + std::to_string(length) + ":" + std::string(length, FillFor(version));
}

// The version of a whole memo of that form, or -1 for any other text.
inline int WriterMemoVersion(const std::string& memo) {
    char* end = nullptr;
    if (memo.size() < 2 || memo[0] != 'v') return -1;
    const long version = std::strtol(memo.c_str() + 1, &end, 10);
    if (*end != ':' || version < 0) return -1;
    const unsigned long length = std::strtoul(end + 1, &end, 10);
    if (*end != ':') return -1;
    const size_t body = static_cast<size_t>(end + 1 - memo.c_str());
    const int v = static_cast<int>(version);
    return memo.size() == body + length && memo == WriterMemo(v, length) ? v : -1;
}

}  // namespace faults

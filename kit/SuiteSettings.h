// The suite's settings in the registry, under HKEY_CURRENT_USER: where an
// application suite is installed and which database server it keeps its
// databases on. `varo setup` writes them; every kit reads them at Init.
#pragma once

#include <cstddef>

namespace varo {

// The suite's key.
constexpr char kSuiteKey[] = "Software\\Orvel\\TRIXPAD";
// The suite folder, which holds the engine: a Shift-JIS path that ends in
// its separator.
constexpr char kRootDirValue[] = "ROOTDIR";
// A libpq connection string; the environment variable VARO_SERVER, when
// set, comes first.
constexpr char kServerValue[] = "SERVER";
// The longest path the suite's files may have, and the longest setting,
// terminator included.
constexpr size_t kMaxPathBytes = 260;

}  // namespace varo

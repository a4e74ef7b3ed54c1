// Kit steps that the tests and the helper process share: storing and reading
// to-do tips through the public kit API, and telling a code from a stray
// value. Each works on the kit object it is given, on the caller's thread.
#pragma once

#include <string>
#include <vector>

#include "VAROObj.h"

namespace faults {

const long kToDoFukuro = 0x300C;
const unsigned short kToDoKind = 0x300;

// A kit result that is a code and not a crash or a stray value: 0, one of the
// kit's own codes, or an engine code.
bool IsKnownCode(long code);

// Stores a new to-do tip with the memo; the code, the id through `tip`.
long PutNewToDo(CVAROObj& kit, long db, const std::string& memo, long* tip);
// Reads the tip by id and gives its memo; false when it cannot be read.
bool ReadMemo(CVAROObj& kit, long db, long tip, std::string* memo);
std::vector<long> TipsOf(CVAROObj& kit, long db, long fukuro);
// The database file's full path (location 1).
std::string DatabasePath(CVAROObj& kit, long db);

}  // namespace faults

// Kit steps that the tests and the helper process share: storing, reading and
// changing to-do tips through the public kit API, telling a code from a stray
// value, and the memo texts the writer helper stores. Each works on the kit
// object it is given, on the caller's thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "VAROObj.h"

namespace faults {

const long kToDoFukuro = 0x300C;
const unsigned short kToDoKind = 0x300;

// A kit result that is a code and not a crash or a stray value: 0, one of the
// kit's own codes, or an engine code.
bool IsKnownCode(long code);

// Stores a new to-do tip with the memo into `fukuro`; the code, the id
// through `tip`.
long PutNewToDo(CVAROObj& kit, long db, const std::string& memo, long* tip, long fukuro = kToDoFukuro);
// Reads the tip by id and gives its memo; false when it cannot be read.
bool ReadMemo(CVAROObj& kit, long db, long tip, std::string* memo);
// Reads the tip, replaces its memo by `change` of it and puts it back in one
// read-change-write cycle; the first code that was not 0.
long ChangeMemo(CVAROObj& kit, long db, long fukuro, long tip,
                const std::function<std::string(const std::string&)>& change);
std::vector<long> TipsOf(CVAROObj& kit, long db, long fukuro);
CSelectTips Selection(long tip);
// The database file's full path (location 1).
std::string DatabasePath(CVAROObj& kit, long db);

// The writer's memos: "v<version>:<length>:" and <length> copies of one
// letter chosen by the version, so that a reader can tell the version of a
// stored tip and whether its text arrived whole.
std::string WriterMemo(int version, size_t length);
// The version of a whole memo of that form, or -1 for any other text.
int WriterMemoVersion(const std::string& memo);

}  // namespace faults

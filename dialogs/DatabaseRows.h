// The databases the chooser offers, gathered from the engine through a kit
// object: every known database in the engine's order except those the caller
// leaves out, with its name, its folder and whether it is the default one.
//
// Gathering never fails as a whole: a database list the engine refuses gives
// no rows, a name or location it refuses gives an empty text. The kit object
// is only borrowed; the listing owns its texts (Shift-JIS bytes).
#pragma once

#include <vector>

#include "VAROObj.h"

namespace varo {
namespace dialogs {

struct DatabaseEntry {
    DWORD id = 0;
    CString name;
    CString folder;
    bool isDefault = false;
};

struct DatabaseListing {
    std::vector<DatabaseEntry> entries;
    int longestFolder = 0;  // bytes
};

DatabaseListing ListDatabases(CVAROObj& kit, const CDWordArray& leaveOut);

// The folder part of a database location of selector 1: the location less
// its 18-character file name, empty when it is no longer than that. A cut
// that would split a two-byte character keeps that character out whole.
CString FolderOfLocation(const CString& location);

}  // namespace dialogs
}  // namespace varo

#include "DatabaseRows.h"

#include <algorithm>

#include "CodePage.h"

namespace varo {
namespace dialogs {

namespace {

// Every location the engine lists ends in its own file name of this length.
const int kFileNameLength = 18;
const long kLocationOfFile = 1;

bool Contains(const CDWordArray& ids, DWORD id) {
    for (int i = 0; i < ids.GetSize(); ++i) {
        if (ids[i] == id) return true;
    }
    return false;
}

// The first character boundary at or after `position`, walking from the
// start of the text.
int BoundaryAtOrAfter(const CString& text, int position) {
    int at = 0;
    while (at < position) {
        const bool pair = IsDBCSLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.GetLength();
        at += pair ? 2 : 1;
    }
    return at;
}

DatabaseEntry EntryOf(CVAROObj& kit, DWORD id, long defaultId) {
    DatabaseEntry entry;
    entry.id = id;
    const long db = static_cast<int32_t>(id);
    kit.GetDBName(db, entry.name);
    CString location;
    kit.GetDBLocation(db, kLocationOfFile, location);
    entry.folder = FolderOfLocation(location);
    entry.isDefault = defaultId != 0 && db == defaultId;
    return entry;
}

}  // namespace

CString FolderOfLocation(const CString& location) {
    const int kept = location.GetLength() - kFileNameLength;
    if (kept <= 0) return CString();
    // A boundary past the cut means its last character straddles the cut.
    const int boundary = BoundaryAtOrAfter(location, kept);
    return location.Left(boundary == kept ? kept : kept - 1);
}

DatabaseListing ListDatabases(CVAROObj& kit, const CDWordArray& leaveOut) {
    DatabaseListing listing;
    CDWordArray known;
    if (!kit.GetAllDBID(known)) return listing;
    long defaultId = 0;
    if (!kit.GetDefaultDBID(&defaultId)) defaultId = 0;
    for (int i = 0; i < known.GetSize(); ++i) {
        if (Contains(leaveOut, known[i])) continue;
        listing.entries.push_back(EntryOf(kit, known[i], defaultId));
        listing.longestFolder = std::max(listing.longestFolder, listing.entries.back().folder.GetLength());
    }
    return listing;
}

}  // namespace dialogs
}  // namespace varo

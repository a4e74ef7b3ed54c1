// Which tip each imported UID became, so that importing a file again
// updates those tips instead of adding them twice; and the UIDs exported
// tips carry.
//
// The map is kept in the database's settings values (selector: the
// database id), as lines of "tip id TAB uid" in texts of at most 60000
// bytes, so a whole import costs a few engine calls, not one per tip.
// A tip that came from no file gets a UID of its own, stable across
// exports: "<tip id>-<token>@varokit", where the token is drawn once per
// database and kept beside the map; importing that UID into the same
// database finds the tip again.
#pragma once

#include <string>
#include <unordered_map>

#include "VAROObj.h"

namespace varo {
namespace interchange {

class UidMap {
public:
    // Reads the map and the database's token (drawing one, unsaved, when
    // it has none). False when the engine cannot read them.
    bool Load(CVAROObj& kit, long db);
    // Writes the map and token back when anything changed.
    bool Save(CVAROObj& kit, long db);

    // The tip a UID names in this database, 0 when none.
    long TipOf(const std::string& uid) const;
    std::string UidOf(long tip) const;
    void Remember(const std::string& uid, long tip);
    // Forgets UIDs whose tips no longer exist.
    void Forget(const std::string& uid);

private:
    std::string OwnUid(long tip) const;

    std::unordered_map<std::string, long> m_tips;
    std::unordered_map<long, std::string> m_uids;
    std::string m_token;
    bool m_changed = false;
};

}  // namespace interchange
}  // namespace varo

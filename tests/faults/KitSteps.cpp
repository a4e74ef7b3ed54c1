#include "KitSteps.h"

namespace faults {
namespace {

const long kFirstEngineCode = 2000;
const long kLastEngineCode = 2099;

const long kKitCodes[] = {VARO_ERR_OTHER_DATABASE, VARO_ERR_VERSION,   VARO_ERR_NOT_COPYABLE,
                          VARO_ERR_CHANGED,        VARO_ERR_BOARD_FULL, VARO_ERR_NO_CONTROL_TIP,
                          VARO_ERR_TABLE_FULL,     VARO_ERR_NOT_LOADED, VARO_ERR_BAD_SORT,
                          VARO_ERR_NO_MEMORY,      VARO_ERR_RANGE};

}  // namespace

bool IsKnownCode(long code) {
    if (code == 0 || (code >= kFirstEngineCode && code <= kLastEngineCode)) return true;
    for (long kit : kKitCodes) {
        if (code == kit) return true;
    }
    return false;
}

long PutNewToDo(CVAROObj& kit, long db, const std::string& memo, long* tip) {
    kit.SetTipID(0);
    if (kit.SetTipFlag(kToDoKind) != 1 || kit.SetMemo(CString(memo)) != 1) return -1;
    return kit.PutTip(db, kToDoFukuro, tip);
}

bool ReadMemo(CVAROObj& kit, long db, long tip, std::string* memo) {
    if (kit.GetTip(db, 0, tip) != 0) return false;
    CString text;
    kit.GetMemo(text);
    *memo = text.Bytes();
    return true;
}

std::vector<long> TipsOf(CVAROObj& kit, long db, long fukuro) {
    CSelectTips list;
    std::vector<long> ids;
    if (kit.GetTipList(db, fukuro, list) != 0) return ids;
    for (int i = 0; i < list.GetSize(); ++i) ids.push_back(static_cast<long>(list[i]));
    return ids;
}

std::string DatabasePath(CVAROObj& kit, long db) {
    CString path;
    return kit.GetDBLocation(db, 1, path) == 1 ? path.Bytes() : std::string();
}

}  // namespace faults

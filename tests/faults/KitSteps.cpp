#include "KitSteps.h"

#include <cstdlib>

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

long PutNewToDo(CVAROObj& kit, long db, const std::string& memo, long* tip, long fukuro) {
    kit.SetTipID(0);
    if (kit.SetTipFlag(kToDoKind) != 1 || kit.SetMemo(CString(memo)) != 1) return -1;
    return kit.PutTip(db, fukuro, tip);
}

bool ReadMemo(CVAROObj& kit, long db, long tip, std::string* memo) {
    if (kit.GetTip(db, 0, tip) != 0) return false;
    CString text;
    kit.GetMemo(text);
    *memo = text.Bytes();
    return true;
}

long ChangeMemo(CVAROObj& kit, long db, long fukuro, long tip,
                const std::function<std::string(const std::string&)>& change) {
    long code = kit.GetTip(db, fukuro, tip);
    CString memo;
    if (code == 0 && (kit.GetMemo(memo) != 1 || kit.SetMemo(CString(change(memo.Bytes()))) != 1)) code = -1;
    long stored = 0;
    return code == 0 ? kit.PutTip(db, fukuro, &stored) : code;
}

std::vector<long> TipsOf(CVAROObj& kit, long db, long fukuro) {
    CSelectTips list;
    std::vector<long> ids;
    if (kit.GetTipList(db, fukuro, list) != 0) return ids;
    for (int i = 0; i < list.GetSize(); ++i) ids.push_back(static_cast<long>(list[i]));
    return ids;
}

CSelectTips Selection(long tip) {
    CSelectTips tips;
    tips.Add(static_cast<DWORD>(tip));
    return tips;
}

std::string DatabasePath(CVAROObj& kit, long db) {
    CString path;
    return kit.GetDBLocation(db, 1, path) == 1 ? path.Bytes() : std::string();
}

std::string WriterMemo(int version, size_t length) {
    const char fill = static_cast<char>('a' + version % 26);
    return "v" + std::to_string(version) + ":" + std::to_string(length) + ":" + std::string(length, fill);
}

int WriterMemoVersion(const std::string& memo) {
    char* end = nullptr;
    if (memo.size() < 2 || memo[0] != 'v') return -1;
    const long version = std::strtol(memo.c_str() + 1, &end, 10);
    if (*end != ':' || version < 0) return -1;
    const unsigned long length = std::strtoul(end + 1, &end, 10);
    if (*end != ':' || length > memo.size()) return -1;
    const int v = static_cast<int>(version);
    return memo == WriterMemo(v, length) ? v : -1;
}

}  // namespace faults

// CVAROObj::NotePut: pins a tip onto the first page board of a database,
// making a page board when the fukuro has none.
#include "TipSchemas.h"
#include "VAROObj.h"

namespace {

const long kPageBoardFukuro = 0x300E;
const int kMaxPinned = 90;

}  // namespace

long CVAROObj::NotePut(long db, long tip) {
    long code = GetTip(db, 0, tip);
    if (code != 0) return code;
    code = FukuroLockOpen(db, kPageBoardFukuro);
    if (code != 0) return code;
    auto closeWith = [this, db](long result) {
        FukuroClose(db, kPageBoardFukuro);
        return result;
    };
    code = ReadTip(db, kPageBoardFukuro, 1);
    if (code != 0) return closeWith(code);

    CSelectTips pinned;
    for (;;) {
        long current = 0;
        GetTipID(&current);
        if (current == 0) {
            SetTipID(0);
            SetTipFlag(varo::KIND_PAGEBOARD_800);
            break;
        }
        unsigned short kind = 0;
        GetTipFlag(&kind);
        if (kind == varo::KIND_PAGEBOARD_800) {
            if (GetLinkData(pinned) != 1) return closeWith(VARO_ERR_NO_MEMORY);
            if (pinned.GetSize() >= kMaxPinned) return closeWith(VARO_ERR_BOARD_FULL);
            break;
        }
        code = ReadTip(db, kPageBoardFukuro, 1);
        if (code != 0) return closeWith(code);
    }
    pinned.Add(static_cast<DWORD>(tip));
    if (SetLinkData(pinned) != 1) return closeWith(VARO_ERR_NO_MEMORY);
    long board = 0;
    code = PutTipNoEntryDay(db, kPageBoardFukuro, &board);
    if (code != 0) return closeWith(code);
    return FukuroClose(db, kPageBoardFukuro);
}

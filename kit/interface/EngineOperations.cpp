#include "EngineOperations.h"

namespace varo {
namespace {

const Param I4{ArgKind::I4, Access::None};
const Param BOOL_{ArgKind::Bool, Access::None};
const Param TEXT{ArgKind::Text, Access::None};
const Param ADDR{ArgKind::Address, Access::None};
const Param PI4{ArgKind::I4Out, Access::ReadWrite};
const Param OUT4{ArgKind::I4Out, Access::Write};
const Param PI2{ArgKind::I2Out, Access::Write};
const Param PTEXT{ArgKind::TextOut, Access::Write};
const Param BUF_IN{ArgKind::Buffer, Access::Read};
const Param BUF_OUT{ArgKind::Buffer, Access::Write};
const Param PADDR{ArgKind::AddressOut, Access::Write};
const ResultKind CODE = ResultKind::Code;
const ResultKind BOOL = ResultKind::Bool;
const ResultKind NONE = ResultKind::None;

// Record buffers (passwords, versions, sort conditions), id lists and the
// watch list are BUF_IN when the engine reads them and BUF_OUT when it fills
// them; tip buffers, window and notice handles are ADDR; the tip buffers and
// the fukuro list the engine hands out are PADDR. A 32-bit value the engine
// only writes (new ids, sizes, positions, settings read back) is OUT4; one it
// reads and writes back (a tip id that 0 makes new, a buffer's capacity that
// comes back as the count written) is PI4.
const OperationInfo kOperations[] = {
    {1, "Open", 2, {I4, PI2}, CODE},
    {2, "LockOpen", 2, {I4, PI2}, CODE},
    {3, "Create", 2, {TEXT, OUT4}, CODE},
    {4, "Close", 1, {I4}, CODE},
    {5, "Delete", 1, {I4}, CODE},
    {6, "DBCheck", 1, {I4}, CODE},
    {7, "DBBackup", 1, {I4}, CODE},
    {8, "DBRestore", 1, {I4}, CODE},
    {9, "DeleteFiles", 1, {I4}, CODE},
    {10, "CheckAPID", 1, {I4}, CODE},
    {11, "DeleteAPID", 2, {I4, BOOL_}, CODE},
    {12, "CreateAPID", 1, {I4}, CODE},
    {13, "GarbageAPID", 1, {I4}, CODE},
    {14, "CheckBKFlg", 1, {I4}, CODE},
    {15, "CheckRestore", 1, {I4}, CODE},
    {16, "GetBackupDate", 2, {I4, PTEXT}, BOOL},
    {17, "DBLock", 1, {I4}, BOOL},
    {18, "DBUnLock", 1, {I4}, BOOL},
    {19, "SetPasswd", 2, {I4, TEXT}, CODE},
    {20, "GetPasswd", 2, {I4, BUF_OUT}, CODE},
    {21, "SetAccount", 2, {I4, TEXT}, CODE},
    {22, "SetSecretPasswd", 2, {I4, TEXT}, CODE},
    {23, "GetSecretPasswd", 2, {I4, PTEXT}, CODE},
    {24, "GetDllVersionInfo", 1, {BUF_OUT}, CODE},
    {25, "GetDBVersionInfo", 2, {I4, BUF_OUT}, CODE},
    {26, "GetAllFukuroID", 2, {I4, PADDR}, CODE},
    {27, "IsSyncFukuro", 1, {I4}, BOOL},
    {28, "CancelAllSync", 1, {I4}, BOOL},
    {29, "FukuroOpen", 2, {I4, I4}, CODE},
    {30, "FukuroLockOpen", 2, {I4, I4}, CODE},
    {31, "FukuroCreate", 4, {I4, OUT4, TEXT, I4}, CODE},
    {32, "FukuroClose", 2, {I4, I4}, CODE},
    {33, "FukuroDelete", 2, {I4, I4}, CODE},
    {34, "SetFukuroName", 3, {I4, I4, TEXT}, CODE},
    {35, "GetFukuroName", 3, {I4, I4, PTEXT}, CODE},
    {36, "FukuroSort", 3, {I4, I4, BUF_IN}, CODE},
    {37, "GetFukuroSortCnd", 3, {I4, I4, BUF_OUT}, CODE},
    {38, "GetFukuroSize", 3, {I4, I4, OUT4}, CODE},
    {39, "GetTipList", 4, {I4, I4, BUF_OUT, PI4}, CODE},
    {40, "PutTipToFukuro", 3, {I4, I4, BUF_IN}, CODE},
    {41, "RemoveTipFromFukuro", 3, {I4, I4, BUF_IN}, CODE},
    {42, "FukuroSeek", 5, {I4, I4, I4, I4, OUT4}, CODE},
    {43, "PutKFl", 3, {I4, OUT4, TEXT}, CODE},
    {44, "TipSearch", 4, {I4, I4, TEXT, I4}, CODE},
    {45, "ReadTip", 5, {I4, I4, I4, OUT4, PADDR}, CODE},
    {46, "ReleaseTip", 2, {I4, ADDR}, CODE},
    {47, "GetTip", 4, {I4, I4, I4, PADDR}, CODE},
    {48, "PutTip", 4, {I4, I4, PI4, ADDR}, CODE},
    {49, "RemoveTip", 3, {I4, I4, BUF_IN}, CODE},
    {50, "UndoTip", 2, {I4, BUF_IN}, CODE},
    {51, "DupTip", 4, {I4, I4, OUT4, I4}, CODE},
    {52, "ModifyTip", 4, {I4, I4, I4, ADDR}, CODE},
    {53, "IsReadOnly", 0, {}, BOOL},
    {54, "GetAllDBID", 2, {BUF_OUT, PI4}, BOOL},
    {55, "SetDBName", 2, {I4, TEXT}, BOOL},
    {56, "GetDBName", 2, {I4, PTEXT}, BOOL},
    {57, "SetDefaultDBID", 1, {I4}, BOOL},
    {58, "GetDefaultDBID", 1, {OUT4}, BOOL},
    {59, "SetDBColor", 2, {I4, I4}, BOOL},
    {60, "GetDBColor", 2, {I4, OUT4}, BOOL},
    {61, "GetDBLocation", 3, {I4, I4, PTEXT}, BOOL},
    {62, "SetDBID", 2, {TEXT, OUT4}, BOOL},
    {63, "EstFileWriteLong", 4, {I4, TEXT, TEXT, I4}, BOOL},
    {64, "EstFileReadLong", 5, {I4, TEXT, TEXT, I4, OUT4}, BOOL},
    {65, "EstFileWriteStr", 4, {I4, TEXT, TEXT, TEXT}, BOOL},
    {66, "EstFileReadStr", 5, {I4, TEXT, TEXT, TEXT, PTEXT}, BOOL},
    {67, "Init", 1, {ADDR}, NONE},
    {68, "SetAdviseData", 1, {BUF_IN}, CODE},
    {69, "DelAdviseData", 1, {BUF_IN}, CODE},
    {70, "SetAdviseCategory", 0, {}, CODE},
    {71, "DelAdviseCategory", 0, {}, CODE},
    {72, "SetAdviseFree", 0, {}, CODE},
    {73, "DelAdviseFree", 0, {}, CODE},
    {74, "BeginAdviseData", 0, {}, CODE},
    {75, "FreeAdviseData", 1, {ADDR}, NONE},
    {76, "Set1DayView", 2, {I4, I4}, BOOL},
    {77, "Set1DayMode", 2, {I4, I4}, BOOL},
    {78, "SetPBMode", 2, {I4, I4}, BOOL},
    {79, "Get1DayView", 2, {I4, OUT4}, BOOL},
    {80, "Get1DayMode", 2, {I4, OUT4}, BOOL},
    {81, "GetPBMode", 2, {I4, OUT4}, BOOL},
};

static_assert(sizeof kOperations / sizeof kOperations[0] == kLastOperation,
              "one entry per operation");

}  // namespace

const OperationInfo* FindOperation(int op) {
    if (op < kFirstOperation || op > kLastOperation) return nullptr;
    return &kOperations[op - kFirstOperation];
}

bool ArgumentsMatch(const OperationInfo& info, const EngineArg* args, int count) {
    if (count != info.argCount || (count > 0 && !args)) return false;
    for (int i = 0; i < count; ++i) {
        if (args[i].kind != info.args[i].kind) return false;
    }
    return true;
}

}  // namespace varo

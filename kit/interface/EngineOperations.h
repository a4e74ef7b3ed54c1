// The engine's operation table: for each operation number 1 to 81 its name,
// its parameter kinds in order and its result kind. The kit's engine host
// checks every call against it and the engine dispatches by it; it is the
// one place where the operations are listed.
#pragma once

#include "EngineInterface.h"

namespace varo {

const int kFirstOperation = 1;
const int kLastOperation = 81;
const int kMaxOperationArgs = 5;

// What the engine does with the memory behind an address argument. A value
// the engine only writes may hold anything before the call, so the host
// neither checks nor passes it; one it reads must cross unaltered.
enum class Access : uint8_t {
    None,       // not an address: the value itself is handed in
    Read,       // the engine reads through it
    Write,      // the engine only writes through it
    ReadWrite,  // the engine reads it, then writes the result back
};

struct Param {
    ArgKind kind;
    Access access;
};

struct OperationInfo {
    int number;
    const char* name;
    int argCount;
    Param args[kMaxOperationArgs];
    ResultKind result;
};

// The entry of operation `op`, or null outside 1 to 81.
const OperationInfo* FindOperation(int op);

// True when `args` match the operation's parameter kinds exactly.
bool ArgumentsMatch(const OperationInfo& info, const EngineArg* args, int count);

// Operation numbers, named as in the table.
enum Operation : int {
    kOpOpen = 1, kOpLockOpen, kOpCreate, kOpClose, kOpDelete, kOpDBCheck, kOpDBBackup,
    kOpDBRestore, kOpDeleteFiles, kOpCheckAPID, kOpDeleteAPID, kOpCreateAPID, kOpGarbageAPID,
    kOpCheckBKFlg, kOpCheckRestore, kOpGetBackupDate, kOpDBLock, kOpDBUnLock, kOpSetPasswd,
    kOpGetPasswd, kOpSetAccount, kOpSetSecretPasswd, kOpGetSecretPasswd, kOpGetDllVersionInfo,
    kOpGetDBVersionInfo, kOpGetAllFukuroID, kOpIsSyncFukuro, kOpCancelAllSync, kOpFukuroOpen,
    kOpFukuroLockOpen, kOpFukuroCreate, kOpFukuroClose, kOpFukuroDelete, kOpSetFukuroName,
    kOpGetFukuroName, kOpFukuroSort, kOpGetFukuroSortCnd, kOpGetFukuroSize, kOpGetTipList,
    kOpPutTipToFukuro, kOpRemoveTipFromFukuro, kOpFukuroSeek, kOpPutKFl, kOpTipSearch,
    kOpReadTip, kOpReleaseTip, kOpGetTip, kOpPutTip, kOpRemoveTip, kOpUndoTip, kOpDupTip,
    kOpModifyTip, kOpIsReadOnly, kOpGetAllDBID, kOpSetDBName, kOpGetDBName, kOpSetDefaultDBID,
    kOpGetDefaultDBID, kOpSetDBColor, kOpGetDBColor, kOpGetDBLocation, kOpSetDBID,
    kOpEstFileWriteLong, kOpEstFileReadLong, kOpEstFileWriteStr, kOpEstFileReadStr, kOpInit,
    kOpSetAdviseData, kOpDelAdviseData, kOpSetAdviseCategory, kOpDelAdviseCategory,
    kOpSetAdviseFree, kOpDelAdviseFree, kOpBeginAdviseData, kOpFreeAdviseData, kOpSet1DayView,
    kOpSet1DayMode, kOpSetPBMode, kOpGet1DayView, kOpGet1DayMode, kOpGetPBMode,
};

}  // namespace varo

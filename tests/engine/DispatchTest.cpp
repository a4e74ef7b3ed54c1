// Every call is checked against the operation table before any work.
#include "EngineTestSupport.h"

namespace enginetest {
namespace {

using namespace varo;

class DispatchTest : public EngineTest {
protected:
    int32_t Invoke(int op, int32_t db, const std::vector<EngineArg>& rest) {
        std::vector<EngineArg> args{I4(db)};
        args.insert(args.end(), rest.begin(), rest.end());
        return m_engine->Invoke(op, args.data(), static_cast<int>(args.size()));
    }
};

TEST_F(DispatchTest, CallsThatDoNotMatchTheTableAreRefusedByResultKind) {
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, 0, {}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, 82, {}));
    int32_t id = 0;
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpCreate, {Text(u"x")}));                     // too few
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpCreate, {I4(1), I4Out(&id)}));              // wrong kind
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpCreate, {Text(u"x"), I4Out(&id), I4(0)}));  // too many
    EXPECT_EQ(0, Call(*m_engine, kOpSetDBName, {I4(1), I4(2)}));                                 // boolean: 0
    EXPECT_EQ(0, Call(*m_engine, kOpInit, {I4(0)}));                                             // no result: 0
    EXPECT_EQ(kEngineBadArgument, m_engine->Invoke(kOpClose, nullptr, 1));
    EXPECT_EQ(0, id);
    // Nothing was created by the refused calls.
    int32_t count = -1;
    ASSERT_EQ(1, Call(*m_engine, kOpGetAllDBID, {Buffer(nullptr), I4Out(&count)}));
    EXPECT_EQ(0, count);
}

TEST_F(DispatchTest, FailedCallsLeaveOutPointersNull) {
    char16_t* text = reinterpret_cast<char16_t*>(0x1234);
    EXPECT_EQ(0, Call(*m_engine, kOpGetDBName, {I4(99), TextOut(&text)}));
    EXPECT_EQ(nullptr, text);
    void* buffer = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, kOpGetTip, {I4(99), I4(0), I4(1), AddressOut(&buffer)}));
    EXPECT_EQ(nullptr, buffer);
    // Texts never handed out are not freed.
    char16_t mine[] = u"mine";
    m_engine->FreeText(mine);
    m_engine->FreeText(nullptr);
    EXPECT_EQ(u"mine", std::u16string(mine));
}

// Each operation that works inside an open database, with arguments that
// would otherwise be valid, answers for a closed and for an unknown one.
TEST_F(DispatchTest, EveryOperationInsideADatabaseNeedsItOpen) {
    const int32_t db = CreateDatabase(u"closed");
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(db)}));
    int32_t out = 0;
    char16_t* text = nullptr;
    void* address = nullptr;
    int32_t ids[2] = {1, 0};
    uint8_t block[148] = {};
    TipBuffer tip(ToDoFields("x"));
    const std::pair<int, std::vector<EngineArg>> probes[] = {
        {kOpGetAllFukuroID, {AddressOut(&address)}},
        {kOpFukuroOpen, {I4(0x3000)}},
        {kOpFukuroLockOpen, {I4(0x3000)}},
        {kOpFukuroCreate, {I4Out(&out), Text(u"f"), I4(0)}},
        {kOpFukuroClose, {I4(0x3000)}},
        {kOpFukuroDelete, {I4(0x4000)}},
        {kOpSetFukuroName, {I4(0x3000), Text(u"n")}},
        {kOpGetFukuroName, {I4(0x3000), TextOut(&text)}},
        {kOpFukuroSort, {I4(0x3000), Buffer(block)}},
        {kOpGetFukuroSortCnd, {I4(0x3000), Buffer(block)}},
        {kOpGetFukuroSize, {I4(0x3000), I4Out(&out)}},
        {kOpGetTipList, {I4(0x3000), Buffer(nullptr), I4Out(&out)}},
        {kOpPutTipToFukuro, {I4(0x3000), Buffer(ids)}},
        {kOpRemoveTipFromFukuro, {I4(0x3000), Buffer(ids)}},
        {kOpFukuroSeek, {I4(0x3000), I4(0), I4(0), I4Out(&out)}},
        {kOpPutKFl, {I4Out(&out), Text(u"k")}},
        {kOpTipSearch, {I4(0x3000), Text(u"x"), I4(0)}},
        {kOpReadTip, {I4(0x3000), I4(1), I4Out(&out), AddressOut(&address)}},
        {kOpGetTip, {I4(0), I4(1), AddressOut(&address)}},
        {kOpPutTip, {I4(kToDo), I4Out(&out), Address(tip.Address())}},
        {kOpRemoveTip, {I4(0), Buffer(ids)}},
        {kOpUndoTip, {Buffer(ids)}},
        {kOpDupTip, {I4(0), I4Out(&out), I4(1)}},
        {kOpModifyTip, {I4(0), I4(1), Address(block)}},
    };
    for (const auto& probe : probes) {
        out = 0;
        EXPECT_EQ(kEngineNotOpen, Invoke(probe.first, db, probe.second)) << FindOperation(probe.first)->name;
        EXPECT_EQ(kEngineNoSuchDatabase, Invoke(probe.first, db + 50, probe.second)) << FindOperation(probe.first)->name;
    }
    for (int op : {kOpDBLock, kOpDBUnLock, kOpIsSyncFukuro, kOpCancelAllSync}) {
        EXPECT_EQ(0, Call(*m_engine, op, {I4(db)})) << FindOperation(op)->name;
    }
    EXPECT_EQ(0, Call(*m_engine, kOpIsReadOnly, {}));
    // Operations on whole databases answer for unknown ids too.
    for (int op : {kOpDBCheck, kOpDBBackup, kOpDBRestore, kOpDeleteFiles, kOpCheckBKFlg, kOpCheckRestore}) {
        EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, op, {I4(db + 50)})) << FindOperation(op)->name;
    }
    EXPECT_EQ(kEngineNoSuchDatabase, Invoke(kOpGetPasswd, db + 50, {Buffer(block)}));
    EXPECT_EQ(kEngineNoSuchDatabase, Invoke(kOpGetDBVersionInfo, db + 50, {Buffer(block)}));
    EXPECT_EQ(kEngineNoSuchDatabase, Invoke(kOpGetSecretPasswd, db + 50, {TextOut(&text)}));
}

}  // namespace
}  // namespace enginetest

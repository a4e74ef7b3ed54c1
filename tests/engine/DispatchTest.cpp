// Every call is checked against the operation table before any work.
#include "EngineTestSupport.h"

namespace enginetest {
namespace {

using namespace varo;

class DispatchTest : public EngineTest {};

TEST_F(DispatchTest, CallsThatDoNotMatchTheTableAreRefusedByResultKind) {
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, 0, {}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, 82, {}));
    int32_t id = 0;
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpCreate, {Text(u"x")}));                 // too few
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpCreate, {I4(1), I4Out(&id)}));          // wrong kind
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpCreate, {Text(u"x"), I4Out(&id), I4(0)}));  // too many
    EXPECT_EQ(0, Call(*m_engine, kOpSetDBName, {I4(1), I4(2)}));                             // boolean: 0
    EXPECT_EQ(0, Call(*m_engine, kOpInit, {I4(0)}));                                         // no result: 0
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
    void* list = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, kOpGetAllFukuroID, {I4(99), AddressOut(&list)}));
    EXPECT_EQ(nullptr, list);
    // Texts never handed out are not freed.
    char16_t mine[] = u"mine";
    m_engine->FreeText(mine);
    m_engine->FreeText(nullptr);
    EXPECT_EQ(u"mine", std::u16string(mine));
}

}  // namespace
}  // namespace enginetest

namespace enginetest {
namespace {

// Each operation that works inside an open database, with arguments that
// would otherwise be valid.
struct Probe {
    int op;
    std::vector<EngineArg> (*args)(int32_t db, struct Scratch& s);
};

struct Scratch {
    int32_t out = 0;
    int16_t shortOut = 0;
    char16_t* text = nullptr;
    void* address = nullptr;
    int32_t ids[2] = {1, 0};
    uint8_t block[29] = {};
};

const Probe kProbes[] = {
    {kOpGetAllFukuroID, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), AddressOut(&s.address)}; }},
    {kOpFukuroOpen, [](int32_t db, Scratch&) { return std::vector<EngineArg>{I4(db), I4(0x3000)}; }},
    {kOpFukuroLockOpen, [](int32_t db, Scratch&) { return std::vector<EngineArg>{I4(db), I4(0x3000)}; }},
    {kOpFukuroCreate, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4Out(&s.out), Text(u"f"), I4(0)}; }},
    {kOpFukuroClose, [](int32_t db, Scratch&) { return std::vector<EngineArg>{I4(db), I4(0x3000)}; }},
    {kOpFukuroDelete, [](int32_t db, Scratch&) { return std::vector<EngineArg>{I4(db), I4(0x4000)}; }},
    {kOpSetFukuroName, [](int32_t db, Scratch&) { return std::vector<EngineArg>{I4(db), I4(0x3000), Text(u"n")}; }},
    {kOpGetFukuroName, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0x3000), TextOut(&s.text)}; }},
    {kOpFukuroSort, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0x3000), Buffer(s.block)}; }},
    {kOpGetFukuroSortCnd, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0x3000), Buffer(s.block)}; }},
    {kOpGetFukuroSize, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0x3000), I4Out(&s.out)}; }},
    {kOpGetTipList, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0x3000), Buffer(nullptr), I4Out(&s.out)}; }},
    {kOpPutTipToFukuro, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0x3000), Buffer(s.ids)}; }},
    {kOpRemoveTipFromFukuro, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0x3000), Buffer(s.ids)}; }},
    {kOpFukuroSeek, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0x3000), I4(0), I4(0), I4Out(&s.out)}; }},
    {kOpPutKFl, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4Out(&s.out), Text(u"k")}; }},
    {kOpTipSearch, [](int32_t db, Scratch&) { return std::vector<EngineArg>{I4(db), I4(0x3000), Text(u"x"), I4(0)}; }},
    {kOpReadTip, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0x3000), I4(1), I4Out(&s.out), AddressOut(&s.address)}; }},
    {kOpGetTip, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0), I4(1), AddressOut(&s.address)}; }},
    {kOpRemoveTip, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0), Buffer(s.ids)}; }},
    {kOpUndoTip, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), Buffer(s.ids)}; }},
    {kOpDupTip, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0), I4Out(&s.out), I4(1)}; }},
    {kOpModifyTip, [](int32_t db, Scratch& s) { return std::vector<EngineArg>{I4(db), I4(0), I4(1), Address(s.block)}; }},
};

class ClosedDatabaseTest : public EngineTest {};

TEST_F(ClosedDatabaseTest, EveryOperationInsideADatabaseNeedsItOpen) {
    const int32_t db = CreateDatabase(u"closed");
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(db)}));
    for (const Probe& probe : kProbes) {
        Scratch scratch;
        std::vector<EngineArg> args = probe.args(db, scratch);
        EXPECT_EQ(kEngineNotOpen, m_engine->Invoke(probe.op, args.data(), static_cast<int>(args.size())))
            << FindOperation(probe.op)->name;
        args = probe.args(db + 50, scratch);
        EXPECT_EQ(kEngineNoSuchDatabase, m_engine->Invoke(probe.op, args.data(), static_cast<int>(args.size())))
            << FindOperation(probe.op)->name;
    }
    Scratch scratch;
    TipBuffer tip(ToDoFields("x"));
    EXPECT_EQ(kEngineNotOpen, Call(*m_engine, kOpPutTip, {I4(db), I4(0x300C), I4Out(&scratch.out), Address(tip.Address())}));
    for (int op : {kOpDBLock, kOpDBUnLock, kOpIsSyncFukuro, kOpCancelAllSync}) {
        EXPECT_EQ(0, Call(*m_engine, op, {I4(db)})) << FindOperation(op)->name;
    }
    EXPECT_EQ(0, Call(*m_engine, kOpIsReadOnly, {}));
    // Operations on whole databases answer for unknown ids too.
    for (int op : {kOpDBCheck, kOpDBBackup, kOpDBRestore, kOpDeleteFiles, kOpCheckBKFlg, kOpCheckRestore}) {
        EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, op, {I4(db + 50)})) << FindOperation(op)->name;
    }
    uint8_t block[148];
    EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, kOpGetPasswd, {I4(db + 50), Buffer(block)}));
    EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, kOpGetDBVersionInfo, {I4(db + 50), Buffer(block)}));
    EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, kOpGetSecretPasswd, {I4(db + 50), TextOut(&scratch.text)}));
}

}  // namespace
}  // namespace enginetest

// Storage faults through the engine's VFS seam: every operation answers with
// a code, and nothing acknowledged before is lost.
#include "EngineTestSupport.h"
#include "FaultVfs.h"

namespace enginetest {
namespace {

using namespace varo;
using varo::engine::ArmStorageFault;
using varo::engine::DisarmStorageFault;
using varo::engine::StorageFault;

class FaultTest : public EngineTest {
protected:
    void TearDown() override {
        DisarmStorageFault();
        EngineTest::TearDown();
    }
    // Disarms, then checks the acknowledged tips are all there and the file is sound.
    void ExpectIntact(int32_t db, const std::vector<int32_t>& acknowledged) {
        DisarmStorageFault();
        EXPECT_EQ(kEngineOk, Call(*m_engine, kOpDBCheck, {I4(db)}));
        EXPECT_EQ(acknowledged, TipList(db, kToDo));
        for (int32_t id : acknowledged) EXPECT_EQ(11u, GetFields(db, kToDo, id).size());
    }
};

TEST_F(FaultTest, AFullDiskRefusesTheWriteAndKeepsWhatWasStored) {
    const int32_t db = CreateDatabase(u"full");
    std::vector<int32_t> stored;
    for (int i = 0; i < 5; ++i) stored.push_back(PutToDo(db, kToDo, "kept"));
    for (int writes : {0, 1, 3}) {
        ArmStorageFault(StorageFault::DiskFull, writes);
        EXPECT_EQ(kEngineFull, PutTip(db, kToDo, 0, ToDoFields(std::string(20000, 'x')))) << writes;
        int32_t fukuro = 0;
        EXPECT_EQ(kEngineFull, Call(*m_engine, kOpFukuroCreate, {I4(db), I4Out(&fukuro), Text(u"f"), I4(0)}));
        EXPECT_EQ(0, Call(*m_engine, kOpSetDBName, {I4(db), Text(u"renamed")}));
        ExpectIntact(db, stored);
    }
    EXPECT_EQ(u"full", DBName(db));
    stored.push_back(PutToDo(db, kToDo, "after"));
    ExpectIntact(db, stored);
}

TEST_F(FaultTest, FailingWritesAndSyncsAnswerWithAStorageError) {
    const int32_t db = CreateDatabase(u"failing");
    const std::vector<int32_t> stored{PutToDo(db, kToDo, "kept")};
    ArmStorageFault(StorageFault::WriteFails, 0);
    EXPECT_EQ(kEngineStorageError, PutTip(db, kToDo, 0, ToDoFields("lost")));
    int32_t id = 0;
    EXPECT_EQ(kEngineStorageError, Call(*m_engine, kOpCreate, {Text(u"never"), I4Out(&id)}));
    ExpectIntact(db, stored);

    ArmStorageFault(StorageFault::SyncFails, 0);
    EXPECT_EQ(kEngineStorageError, PutTip(db, kToDo, 0, ToDoFields("unsynced")));
    EXPECT_EQ(kEngineStorageError, Call(*m_engine, kOpDBBackup, {I4(db)}));
    ExpectIntact(db, stored);
    EXPECT_EQ(kEngineNoBackup, Call(*m_engine, kOpCheckBKFlg, {I4(db)}));
    // Only the first database exists: the refused Create left nothing listed.
    int32_t count = 0;
    ASSERT_EQ(1, Call(*m_engine, kOpGetAllDBID, {Buffer(nullptr), I4Out(&count)}));
    EXPECT_EQ(1, count);
}

}  // namespace
}  // namespace enginetest

// A full disk gives an error code and loses nothing already stored: through
// the engine's storage-fault seam, each write in turn of every changing kit
// operation fails as on a full disk, and the first write or sync fails as on
// a failing device.
#include <tuple>

#include "EngineCodes.h"
#include "FaultVfs.h"
#include "FaultsSupport.h"

namespace faults {
namespace {

using varo::engine::StorageFault;

const long kPageBoardFukuro = 0x300E;
const int kToDos = 8;
const int kMostWritesPerOperation = 600;

// Everything a user could lose, as the kit reads it.
struct Snapshot {
    std::map<long, std::vector<long>> fukuros;  // every fukuro and its tips in order
    std::map<long, std::string> memos;          // the to-do tips' memos
    std::multiset<long> pinned;                 // the page boards' links
    std::vector<long> cabinets;                 // cabinet fukuros in display order
    std::map<long, std::vector<long>> folders;  // each cabinet's folders, in order
    std::map<long, long> folderLoads;           // each cabinet's LoadKFlCData code
    long cabinetLoad = -1;
    long check = -1;

    auto Tied() const { return std::tie(fukuros, memos, pinned, cabinets, folders, folderLoads, cabinetLoad, check); }
    bool operator==(const Snapshot& o) const { return Tied() == o.Tied(); }
};

std::ostream& operator<<(std::ostream& out, const Snapshot& s) {
    return out << "{check " << s.check << ", " << s.fukuros.size() << " fukuros, " << s.memos.size() << " to-dos, "
               << s.pinned.size() << " pins, " << s.cabinets.size() << " cabinets}";
}

Snapshot Take(CVAROObj& kit, long db) {
    Snapshot s;
    s.check = kit.DBCheck(db);
    CDWordArray ids;
    kit.GetAllFukuroID(db, ids);
    for (int i = 0; i < ids.GetSize(); ++i) {
        s.fukuros[static_cast<long>(ids[i])] = TipsOf(kit, db, static_cast<long>(ids[i]));
    }
    for (long tip : s.fukuros[kToDoFukuro]) ReadMemo(kit, db, tip, &s.memos[tip]);
    for (long board : s.fukuros[kPageBoardFukuro]) {
        CSelectTips links;
        if (kit.GetTip(db, kPageBoardFukuro, board) != 0 || kit.GetLinkData(links) != 1) continue;
        for (int i = 0; i < links.GetSize(); ++i) s.pinned.insert(static_cast<long>(links[i]));
    }
    s.cabinetLoad = kit.LoadCabCData(db);
    const int count = s.cabinetLoad == 0 ? kit.GetCabCount() : 0;
    for (int i = 0; i < count; ++i) s.cabinets.push_back(kit.GetCabFID(i));
    for (int i = 0; i < count; ++i) {
        const long load = s.folderLoads[s.cabinets[i]] = kit.LoadKFlCData(db, i);
        std::vector<long>& folders = s.folders[s.cabinets[i]];
        for (int j = 0; load == 0 && j < kit.GetKFlCount(); ++j) folders.push_back(kit.GetKFIFID(j));
    }
    return s;
}

// A multi-step operation that fails part way keeps what it did before
// (the kit does not undo steps), but nothing stored before goes missing.
void ExpectNothingLost(const Snapshot& before, const Snapshot& after) {
    EXPECT_EQ(after.check, 0);
    for (const auto& fukuro : before.fukuros) {
        auto found = after.fukuros.find(fukuro.first);
        ASSERT_NE(found, after.fukuros.end()) << "lost fukuro " << std::hex << fukuro.first;
        const std::set<long> now(found->second.begin(), found->second.end());
        for (long tip : fukuro.second) EXPECT_EQ(now.count(tip), 1u) << "lost tip " << tip;
    }
    for (const auto& memo : before.memos) EXPECT_EQ(after.memos.at(memo.first), memo.second);
    for (long pin : before.pinned) EXPECT_GE(after.pinned.count(pin), before.pinned.count(pin));
    EXPECT_EQ(after.cabinetLoad, 0);
    for (const auto& load : after.folderLoads) {
        EXPECT_TRUE(load.second == 0 || load.second == VARO_ERR_NO_CONTROL_TIP) << load.second;
    }
}

// Disarms the fault however the iteration ends.
struct ArmedFault {
    ArmedFault(StorageFault fault, int writesBefore) { varo::engine::ArmStorageFault(fault, writesBefore); }
    ~ArmedFault() { varo::engine::DisarmStorageFault(); }
};

struct Operation {
    const char* name;
    bool oneTransaction;  // then a failure must leave everything as it was
    long (*run)(CVAROObj& kit, long db, const std::vector<long>& toDos);
};

long SortByMemo(CVAROObj& kit, long db, const std::vector<long>&) {
    SortCnd condition = {};
    condition.count = 1;
    memcpy(condition.keys[0].tag, "MEMO", 4);
    condition.keys[0].descending = 1;
    return kit.FukuroSort(db, kToDoFukuro, &condition);
}

long NewFolder(CVAROObj& kit, long db, const std::vector<long>&) {
    long folder = 0;
    const long loaded = kit.LoadCabCData(db);
    return loaded != 0 ? loaded : kit.PutKFl(db, 0, "new folder", &folder);
}

long RemoveOne(CVAROObj& kit, long db, const std::vector<long>& toDos) {
    CSelectTips tips = Selection(toDos[4]);
    return kit.RemoveTip(db, kToDoFukuro, tips);
}

using ToDos = const std::vector<long>&;
const Operation kOperations[] = {
    {"PutTip of a new tip", true,
     [](CVAROObj& k, long db, ToDos) { long tip = 0; return PutNewToDo(k, db, "new", &tip); }},
    {"PutTip of a stored tip", true,
     [](CVAROObj& k, long db, ToDos t) {
         return ChangeMemo(k, db, kToDoFukuro, t[3], [](const std::string&) { return std::string("changed"); });
     }},
    {"RemoveTip", true, RemoveOne},
    {"FukuroSort", true, SortByMemo},
    {"NotePut", true, [](CVAROObj& k, long db, ToDos t) { return k.NotePut(db, t[5]); }},
    {"MoveCab", true, [](CVAROObj& k, long db, ToDos) { return k.MoveCab(db, 1, 0); }},
    {"DelCab", true, [](CVAROObj& k, long db, ToDos) { return k.DelCab(db, 0); }},
    {"DelKFl", true, [](CVAROObj& k, long db, ToDos) { return k.DelKFl(db, 1, 0); }},
    {"PutCab", false, [](CVAROObj& k, long db, ToDos) { long cabinet = 0; return k.PutCab(db, "third", &cabinet); }},
    {"PutKFl", false, NewFolder},
    {"MoveKFl between cabinets", false,
     [](CVAROObj& k, long db, ToDos) { long folder = 0; return k.MoveKFl(db, 1, 0, 0, -1, &folder); }},
};

// A database to run each operation on, its file kept so that every attempt
// starts from the same bytes.
class FailingWriteTest : public FaultsTest {
protected:
    void SetUp() override {
        FaultsTest::SetUp();
        ASSERT_TRUE(OpenNewDatabase(m_kit, "failing writes", &m_db));
        for (int i = 0; i < kToDos; ++i) {
            long tip = 0;
            ASSERT_EQ(PutNewToDo(m_kit, m_db, "to-do " + std::to_string(i), &tip), 0);
            m_toDos.push_back(tip);
        }
        long cabinet = 0;
        long folder = 0;
        ASSERT_EQ(m_kit.PutCab(m_db, "second", &cabinet), 0);
        ASSERT_EQ(m_kit.LoadCabCData(m_db), 0);
        ASSERT_EQ(m_kit.PutKFl(m_db, 1, "inbox", &folder), 0);
        CSelectTips filed = Selection(m_toDos[0]);
        filed.Add(static_cast<DWORD>(m_toDos[1]));
        ASSERT_EQ(m_kit.PutTipToFukuro(m_db, folder, filed), 0);
        ASSERT_EQ(m_kit.NotePut(m_db, m_toDos[2]), 0);
        m_path = DatabasePath(m_kit, m_db);
        ASSERT_EQ(m_kit.End(), 1);
        ASSERT_TRUE(ReadFile(m_path, &m_original));
        ASSERT_EQ(access((m_path + "-wal").c_str(), F_OK), -1);  // all of it is in the file
    }
    void TearDown() override {
        m_kit.End();
        FaultsTest::TearDown();
    }

    // Puts the database back as SetUp left it (unless `keep`) and opens it.
    void Reopen(bool keep = false) {
        m_kit.End();
        ASSERT_TRUE(keep || PutBackDatabase(m_path, m_original));
        ASSERT_EQ(m_kit.Init(nullptr), 1);
        ASSERT_EQ(m_kit.Open(m_db), 0);
    }

    // Runs the operation with the fault armed after `writes` writes.
    long RunFailing(const Operation& operation, StorageFault fault, int writes) {
        ArmedFault armed(fault, writes);
        return operation.run(m_kit, m_db, m_toDos);
    }

    CoreEngine m_core;
    CVAROObj m_kit;
    long m_db = 0;
    std::vector<long> m_toDos;
    std::string m_path;
    std::string m_original;
};

TEST_F(FailingWriteTest, EachFailingWriteOfEachOperationGivesACodeAndLosesNothing) {
    for (const Operation& operation : kOperations) {
        SCOPED_TRACE(operation.name);
        ASSERT_NO_FATAL_FAILURE(Reopen());
        const Snapshot before = Take(m_kit, m_db);
        ASSERT_EQ(before.check, 0);
        ASSERT_EQ(operation.run(m_kit, m_db, m_toDos), 0);
        const Snapshot done = Take(m_kit, m_db);
        ASSERT_FALSE(done == before) << "it changed nothing";

        int failures = 0;
        for (int writes = 0;; ++writes) {
            SCOPED_TRACE("failing write " + std::to_string(writes));
            ASSERT_LT(writes, kMostWritesPerOperation) << "it never succeeded";
            ASSERT_NO_FATAL_FAILURE(Reopen());
            const long code = RunFailing(operation, StorageFault::DiskFull, writes);
            const Snapshot after = Take(m_kit, m_db);
            if (code == 0) {
                // Success is reported only when every write went through.
                EXPECT_EQ(after, done);
                break;
            }
            ++failures;
            EXPECT_TRUE(IsKnownCode(code)) << code;
            if (operation.oneTransaction) {
                EXPECT_EQ(code, varo::kEngineFull);
                EXPECT_EQ(after, before);
            } else {
                ExpectNothingLost(before, after);
            }
            if (HasFatalFailure()) return;
        }
        EXPECT_GT(failures, 0);
    }
}

// A write or sync that fails means the commit may not be on the disk: the
// operation reports it, and what the database shows afterwards, also after
// reopening, is the state before.
TEST_F(FailingWriteTest, AFailingWriteOrSyncOfAnOperationIsReportedAndUndone) {
    for (const StorageFault fault : {StorageFault::WriteFails, StorageFault::SyncFails}) {
        for (const Operation& operation : kOperations) {
            if (!operation.oneTransaction) continue;
            SCOPED_TRACE(std::string(operation.name) + (fault == StorageFault::SyncFails ? " sync" : " write"));
            ASSERT_NO_FATAL_FAILURE(Reopen());
            const Snapshot before = Take(m_kit, m_db);
            EXPECT_EQ(RunFailing(operation, fault, 0), varo::kEngineStorageError);
            EXPECT_EQ(Take(m_kit, m_db), before);
            ASSERT_NO_FATAL_FAILURE(Reopen(true));
            EXPECT_EQ(Take(m_kit, m_db), before) << "after reopening";
        }
    }
}

TEST_F(FailingWriteTest, CreateOnAFullDiskKeepsTheOtherDatabase) {
    ASSERT_NO_FATAL_FAILURE(Reopen());
    const Snapshot before = Take(m_kit, m_db);
    // Seeding a database makes many writes: every seventh is failed in turn.
    for (int writes = 0;; writes += 7) {
        ASSERT_LT(writes, kMostWritesPerOperation * 4) << "Create never succeeded";
        long created = 0;
        long code;
        {
            ArmedFault full(StorageFault::DiskFull, writes);
            code = m_kit.Create("seeded on a full disk", &created);
        }
        EXPECT_TRUE(IsKnownCode(code)) << writes << ": " << code;
        EXPECT_EQ(Take(m_kit, m_db), before) << writes;
        if (code == 0) {
            ASSERT_EQ(m_kit.Open(created), 0);
            EXPECT_EQ(m_kit.DBCheck(created), 0);
            EXPECT_EQ(m_kit.LoadCabCData(created), 0);
            break;
        }
    }
}

}  // namespace
}  // namespace faults

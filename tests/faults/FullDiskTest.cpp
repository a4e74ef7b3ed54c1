// A full disk gives an error code and loses nothing already stored: once as
// the system gives it (a writer process whose file sizes are limited), and
// through the engine's storage-fault seam, failing each write in turn of
// every changing kit operation.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "EngineCodes.h"
#include "FaultVfs.h"
#include "FaultsSupport.h"
#include "WriterMemo.h"

namespace faults {
namespace {

using varo::engine::ArmStorageFault;
using varo::engine::DisarmStorageFault;
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

    bool operator==(const Snapshot& o) const {
        return fukuros == o.fukuros && memos == o.memos && pinned == o.pinned && cabinets == o.cabinets &&
               folders == o.folders && folderLoads == o.folderLoads && cabinetLoad == o.cabinetLoad &&
               check == o.check;
    }
};

std::ostream& operator<<(std::ostream& out, const Snapshot& s) {
    out << "{check " << s.check << ", " << s.fukuros.size() << " fukuros, " << s.memos.size() << " to-dos, "
        << s.pinned.size() << " pins, cabinets";
    for (long cabinet : s.cabinets) out << " " << std::hex << cabinet << std::dec << "(" << s.folders.at(cabinet).size() << ")";
    return out << "}";
}

void ReadCabinets(CVAROObj& kit, long db, Snapshot* s) {
    s->cabinetLoad = kit.LoadCabCData(db);
    if (s->cabinetLoad != 0) return;
    const int count = kit.GetCabCount();
    for (int i = 0; i < count; ++i) s->cabinets.push_back(kit.GetCabFID(i));
    for (int i = 0; i < count; ++i) {
        std::vector<long>& folders = s->folders[s->cabinets[i]];
        s->folderLoads[s->cabinets[i]] = kit.LoadKFlCData(db, i);
        if (s->folderLoads[s->cabinets[i]] != 0) continue;
        for (int j = 0; j < kit.GetKFlCount(); ++j) folders.push_back(kit.GetKFIFID(j));
    }
}

Snapshot Take(CVAROObj& kit, long db) {
    Snapshot s;
    s.check = kit.DBCheck(db);
    CDWordArray ids;
    kit.GetAllFukuroID(db, ids);
    for (int i = 0; i < ids.GetSize(); ++i) s.fukuros[static_cast<long>(ids[i])] = TipsOf(kit, db, static_cast<long>(ids[i]));
    for (long tip : s.fukuros[kToDoFukuro]) ReadMemo(kit, db, tip, &s.memos[tip]);
    for (long board : s.fukuros[kPageBoardFukuro]) {
        CSelectTips links;
        if (kit.GetTip(db, kPageBoardFukuro, board) == 0 && kit.GetLinkData(links) == 1) {
            for (int i = 0; i < links.GetSize(); ++i) s.pinned.insert(static_cast<long>(links[i]));
        }
    }
    ReadCabinets(kit, db, &s);
    return s;
}

// A multi-step operation that fails part way keeps what it did before
// (the kit does not undo steps), but nothing stored before goes missing.
void ExpectNothingLost(const Snapshot& before, const Snapshot& after, const std::string& where) {
    EXPECT_EQ(after.check, 0) << where;
    for (const auto& fukuro : before.fukuros) {
        auto found = after.fukuros.find(fukuro.first);
        ASSERT_NE(found, after.fukuros.end()) << where << " lost fukuro " << std::hex << fukuro.first;
        const std::set<long> now(found->second.begin(), found->second.end());
        for (long tip : fukuro.second) EXPECT_EQ(now.count(tip), 1u) << where << " lost tip " << tip;
    }
    for (const auto& memo : before.memos) EXPECT_EQ(after.memos.at(memo.first), memo.second) << where;
    for (long pin : before.pinned) EXPECT_GE(after.pinned.count(pin), before.pinned.count(pin)) << where;
    EXPECT_EQ(after.cabinetLoad, 0) << where;
    for (const auto& load : after.folderLoads) {
        EXPECT_TRUE(load.second == 0 || load.second == VARO_ERR_NO_CONTROL_TIP) << where << " " << load.second;
    }
}

// Disarms the fault however the iteration ends.
struct ArmedFault {
    ArmedFault(StorageFault fault, int writesBefore) { ArmStorageFault(fault, writesBefore); }
    ~ArmedFault() { DisarmStorageFault(); }
};

class FullDiskTest : public FaultsTest {};

// --- The system's own full disk --------------------------------------------

TEST_F(FullDiskTest, AWriterWhoseFilesCannotGrowGetsACodeAndLosesNothing) {
    CVAROObj kit;
    ASSERT_EQ(kit.Init(nullptr), 1);
    long db = 0;
    ASSERT_EQ(kit.Create("limited", &db), 0);
    ASSERT_EQ(kit.Open(db), 0);
    std::map<long, std::string> stored;
    for (int i = 0; i < kToDos; ++i) {
        long tip = 0;
        ASSERT_EQ(PutNewToDo(kit, db, WriterMemo(i, 3000), &tip), 0);
        ASSERT_TRUE(ReadMemo(kit, db, tip, &stored[tip]));
    }

    Helper filler({"fill", std::to_string(db)});
    ASSERT_TRUE(filler.Started());
    std::string line;
    long failed = 0;
    long check = -1;
    int unreadable = -1;
    while (filler.ReadLine(&line)) {
        std::istringstream words(line);
        std::string word;
        long value = 0;
        words >> word >> value;
        if (word == "ack") stored[value] = WriterMemo(static_cast<int>(stored.size() - kToDos), 40000);
        if (word == "failed") failed = value;
        if (word == "unreadable") unreadable = static_cast<int>(value);
        if (word == "check") check = value;
    }
    const int status = filler.Wait();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << line;
    EXPECT_TRUE(failed == varo::kEngineFull || failed == varo::kEngineStorageError) << failed;
    EXPECT_EQ(unreadable, 0);
    EXPECT_EQ(check, 0);

    EXPECT_EQ(kit.DBCheck(db), 0);
    for (const auto& tip : stored) {
        std::string memo;
        ASSERT_TRUE(ReadMemo(kit, db, tip.first, &memo)) << tip.first;
        EXPECT_EQ(memo, tip.second) << tip.first;
    }
    EXPECT_EQ(TipsOf(kit, db, kToDoFukuro).size(), stored.size());  // the refused put left nothing
    long after = 0;
    EXPECT_EQ(PutNewToDo(kit, db, "room again", &after), 0);
}

// --- Each write of each kit operation failing in turn -----------------------

// A database to run each operation on, its file kept so that every attempt
// starts from the same bytes.
class FailingWriteTest : public FullDiskTest {
protected:
    void SetUp() override {
        FullDiskTest::SetUp();
        ASSERT_EQ(m_kit.Init(nullptr), 1);
        ASSERT_EQ(m_kit.Create("failing writes", &m_db), 0);
        ASSERT_EQ(m_kit.Open(m_db), 0);
        for (int i = 0; i < kToDos; ++i) {
            long tip = 0;
            ASSERT_EQ(PutNewToDo(m_kit, m_db, "to-do " + std::to_string(i), &tip), 0);
            m_toDos.push_back(tip);
        }
        ASSERT_EQ(m_kit.PutCab(m_db, "second", &m_cabinet), 0);
        ASSERT_EQ(m_kit.LoadCabCData(m_db), 0);
        ASSERT_EQ(m_kit.PutKFl(m_db, 1, "inbox", &m_folder), 0);
        CSelectTips filed;
        filed.Add(static_cast<DWORD>(m_toDos[0]));
        filed.Add(static_cast<DWORD>(m_toDos[1]));
        ASSERT_EQ(m_kit.PutTipToFukuro(m_db, m_folder, filed), 0);
        ASSERT_EQ(m_kit.NotePut(m_db, m_toDos[2]), 0);
        m_path = DatabasePath(m_kit, m_db);
        ASSERT_EQ(m_kit.End(), 1);
        ASSERT_TRUE(ReadFile(m_path, &m_original));
        ASSERT_EQ(access((m_path + "-wal").c_str(), F_OK), -1);  // all of it is in the file
    }
    void TearDown() override {
        m_kit.End();
        FullDiskTest::TearDown();
    }

    // Puts the database back as SetUp left it and opens it.
    void Restore() {
        m_kit.End();
        ASSERT_TRUE(WriteFile(m_path, m_original));
        unlink((m_path + "-wal").c_str());
        unlink((m_path + "-shm").c_str());
        ASSERT_EQ(m_kit.Init(nullptr), 1);
        ASSERT_EQ(m_kit.Open(m_db), 0);
    }

    CoreEngine m_core;
    CVAROObj m_kit;
    long m_db = 0;
    std::vector<long> m_toDos;
    long m_cabinet = 0;
    long m_folder = 0;
    std::string m_path;
    std::string m_original;
};

struct Operation {
    const char* name;
    bool oneTransaction;  // then a failure must leave everything as it was
    std::function<long(CVAROObj&, long db, const std::vector<long>& toDos)> run;
};

long Overwrite(CVAROObj& kit, long db, long tip) {
    long code = kit.GetTip(db, kToDoFukuro, tip);
    if (code == 0 && kit.SetMemo("changed") != 1) code = -1;
    long stored = 0;
    return code == 0 ? kit.PutTip(db, kToDoFukuro, &stored) : code;
}

long RemoveOne(CVAROObj& kit, long db, long tip) {
    CSelectTips tips;
    tips.Add(static_cast<DWORD>(tip));
    return kit.RemoveTip(db, kToDoFukuro, tips);
}

long SortByMemo(CVAROObj& kit, long db) {
    SortCnd condition = {};
    condition.count = 1;
    memcpy(condition.keys[0].tag, "MEMO", 4);
    condition.keys[0].descending = 1;
    return kit.FukuroSort(db, kToDoFukuro, &condition);
}

const Operation kOperations[] = {
    {"PutTip of a new tip", true,
     [](CVAROObj& kit, long db, const std::vector<long>&) {
         long tip = 0;
         return PutNewToDo(kit, db, "new", &tip);
     }},
    {"PutTip of a stored tip", true,
     [](CVAROObj& kit, long db, const std::vector<long>& toDos) { return Overwrite(kit, db, toDos[3]); }},
    {"RemoveTip", true, [](CVAROObj& kit, long db, const std::vector<long>& toDos) { return RemoveOne(kit, db, toDos[4]); }},
    {"FukuroSort", true, [](CVAROObj& kit, long db, const std::vector<long>&) { return SortByMemo(kit, db); }},
    {"NotePut", true, [](CVAROObj& kit, long db, const std::vector<long>& toDos) { return kit.NotePut(db, toDos[5]); }},
    {"MoveCab", true, [](CVAROObj& kit, long db, const std::vector<long>&) { return kit.MoveCab(db, 1, 0); }},
    {"DelCab", true, [](CVAROObj& kit, long db, const std::vector<long>&) { return kit.DelCab(db, 0); }},
    {"DelKFl", true, [](CVAROObj& kit, long db, const std::vector<long>&) { return kit.DelKFl(db, 1, 0); }},
    {"PutCab", false,
     [](CVAROObj& kit, long db, const std::vector<long>&) {
         long cabinet = 0;
         return kit.PutCab(db, "third", &cabinet);
     }},
    {"PutKFl", false,
     [](CVAROObj& kit, long db, const std::vector<long>&) {
         long folder = 0;
         const long loaded = kit.LoadCabCData(db);
         return loaded != 0 ? loaded : kit.PutKFl(db, 0, "new folder", &folder);
     }},
    {"MoveKFl between cabinets", false,
     [](CVAROObj& kit, long db, const std::vector<long>&) {
         long folder = 0;
         return kit.MoveKFl(db, 1, 0, 0, -1, &folder);
     }},
};

TEST_F(FailingWriteTest, EachFailingWriteOfEachOperationGivesACodeAndLosesNothing) {
    for (const Operation& operation : kOperations) {
        ASSERT_NO_FATAL_FAILURE(Restore());
        const Snapshot before = Take(m_kit, m_db);
        ASSERT_EQ(before.check, 0);
        ASSERT_EQ(operation.run(m_kit, m_db, m_toDos), 0) << operation.name;
        const Snapshot done = Take(m_kit, m_db);
        ASSERT_FALSE(done == before) << operation.name << " changed nothing";

        int failures = 0;
        for (int writes = 0;; ++writes) {
            ASSERT_LT(writes, kMostWritesPerOperation) << operation.name << " never succeeded";
            ASSERT_NO_FATAL_FAILURE(Restore());
            long code;
            {
                ArmedFault full(StorageFault::DiskFull, writes);
                code = operation.run(m_kit, m_db, m_toDos);
            }
            const Snapshot after = Take(m_kit, m_db);
            const std::string where = std::string(operation.name) + " failing write " + std::to_string(writes);
            if (code == 0) {
                // Success is reported only when every write went through.
                EXPECT_EQ(after, done) << where;
                break;
            }
            ++failures;
            EXPECT_TRUE(IsKnownCode(code)) << where << ": " << code;
            if (operation.oneTransaction) {
                EXPECT_EQ(code, varo::kEngineFull) << where;
                EXPECT_EQ(after, before) << where;
            } else {
                ExpectNothingLost(before, after, where);
            }
            if (HasFatalFailure()) return;
        }
        EXPECT_GT(failures, 0) << operation.name;
    }
}

// A sync that fails means the commit may not be on the disk: the operation
// reports it, and what the database shows afterwards is the state before.
TEST_F(FailingWriteTest, AFailingSyncOfAnOperationIsReportedAndUndone) {
    for (const Operation& operation : kOperations) {
        if (!operation.oneTransaction) continue;
        ASSERT_NO_FATAL_FAILURE(Restore());
        const Snapshot before = Take(m_kit, m_db);
        long code;
        {
            ArmedFault failingSync(StorageFault::SyncFails, 0);
            code = operation.run(m_kit, m_db, m_toDos);
        }
        EXPECT_EQ(code, varo::kEngineStorageError) << operation.name;
        EXPECT_EQ(Take(m_kit, m_db), before) << operation.name;
        m_kit.End();
        ASSERT_EQ(m_kit.Init(nullptr), 1);
        ASSERT_EQ(m_kit.Open(m_db), 0);
        EXPECT_EQ(Take(m_kit, m_db), before) << operation.name << " after reopening";
    }
}

TEST_F(FailingWriteTest, CreateOnAFullDiskKeepsTheOtherDatabase) {
    ASSERT_NO_FATAL_FAILURE(Restore());
    const Snapshot before = Take(m_kit, m_db);
    // Seeding a database makes many writes: every seventh is failed in turn.
    for (int writes = 0;; writes += 7) {
        ASSERT_LT(writes, kMostWritesPerOperation * 4) << "Create never succeeded";
        long code;
        long created = 0;
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

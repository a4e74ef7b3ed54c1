// A damaged database file makes the kit over the real engine answer every
// operation with a code and never crash: the file truncated, pages or runs
// of it overwritten with random bytes, the catalog damaged, or the stored
// values themselves replaced by random bytes (which SQLite cannot notice, so
// the engine's and the kit's readers of those bytes must).
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <random>

#include "FaultsSupport.h"

namespace faults {
namespace {

const unsigned kSeed = 0xda4a6e;
const int kToDos = 24;
const size_t kHeaderBytes = 100;
const int kGarbagePages = 8;
const int kGarbageRuns = 8;
const size_t kRunBytes = 64;
const int kMostReads = 500;
const int kFieldDamages = 2;

// The tips and places the probes work on.
struct Known {
    std::vector<long> toDos;
    long folder = 0;
};

struct Probe {
    const char* name;
    std::function<long(CVAROObj&, long db, const Known&)> run;
    bool copiesTheFile = false;  // slow, and of interest only when the file itself is damaged
};

// An `int` result of 0 or 1 as a code; anything else is a stray value.
long AsCode(int result) { return result == 0 || result == 1 ? 0 : -1; }

CSelectTips Selection(long tip) {
    CSelectTips tips;
    tips.Add(static_cast<DWORD>(tip));
    return tips;
}

// Every getter a reader of the tip would call, on whatever the record holds.
void ReadEveryField(CVAROObj& kit) {
    using TextGetter = int (CVAROObj::*)(CString&);
    using TimeGetter = int (CVAROObj::*)(CPIMTime&);
    using FlagGetter = int (CVAROObj::*)(int*);
    using BlockGetter = int (CVAROObj::*)(void**, unsigned short*);
    const TextGetter texts[] = {&CVAROObj::GetMemo,       &CVAROObj::GetName,         &CVAROObj::GetNameYomi,
                                &CVAROObj::GetOfficeName, &CVAROObj::GetOfficeAddress, &CVAROObj::GetFree1,
                                &CVAROObj::GetFilename,   &CVAROObj::GetDayofWeek,    &CVAROObj::GetBirthday,
                                &CVAROObj::GetOfficeTel1, &CVAROObj::GetOfficeEmailAddress,
                                &CVAROObj::GetDisplayString, &CVAROObj::GetListMemo};
    const TimeGetter times[] = {&CVAROObj::GetEntryDay, &CVAROObj::GetCheckDate, &CVAROObj::GetLastModifiedTime,
                                &CVAROObj::GetLimitDay, &CVAROObj::GetDate,      &CVAROObj::GetDisplayDate};
    const FlagGetter flags[] = {&CVAROObj::GetSecret, &CVAROObj::GetCheck, &CVAROObj::GetPriority,
                                &CVAROObj::GetCategory1, &CVAROObj::GetDisplayPosition};
    const BlockGetter blocks[] = {&CVAROObj::GetPortrait, &CVAROObj::GetData, &CVAROObj::GetImageData};
    for (TextGetter get : texts) {
        CString text;
        (kit.*get)(text);
    }
    for (TimeGetter get : times) {
        CPIMTime when;
        (kit.*get)(when);
    }
    for (FlagGetter get : flags) {
        int flag = 0;
        (kit.*get)(&flag);
    }
    for (BlockGetter get : blocks) {
        void* data = nullptr;
        unsigned short length = 0;
        (kit.*get)(&data, &length);
    }
    CSelectTips links;
    kit.GetLinkData(links);
    unsigned short kind = 0;
    kit.GetTipFlag(&kind);
}

long ReadAll(CVAROObj& kit, long db, const Known& known) {
    long worst = 0;
    for (long tip : known.toDos) {
        const long code = kit.GetTip(db, 0, tip);
        if (code == 0) ReadEveryField(kit);
        if (!IsKnownCode(code)) return code;
        if (code != 0) worst = code;
    }
    return worst;
}

long WalkFukuro(CVAROObj& kit, long db, long fukuro, const CString& search) {
    long code = kit.FukuroOpen(db, fukuro);
    if (code == 0 && !search.IsEmpty()) code = kit.TipSearch(db, fukuro, search, 1);
    for (int i = 0; code == 0 && i < kMostReads; ++i) {
        code = kit.ReadTip(db, fukuro, 1);
        long tip = 0;
        kit.GetTipID(&tip);
        if (code != 0 || tip == 0) break;
        ReadEveryField(kit);
    }
    kit.FukuroClose(db, fukuro);
    return code;
}

long ReadCabinets(CVAROObj& kit, long db) {
    long code = kit.LoadCabCData(db);
    const int count = code == 0 ? kit.GetCabCount() : 0;
    std::vector<long> cabinets;
    for (int i = 0; i < count && i < 40; ++i) cabinets.push_back(kit.GetCabFID(i));
    for (int i = 0; code == 0 && i < static_cast<int>(cabinets.size()); ++i) {
        code = kit.LoadKFlCData(db, i);
        for (int j = 0; code == 0 && j < kit.GetKFlCount() && j < 100; ++j) kit.GetKFIFID(j);
    }
    return code;
}

long Overwrite(CVAROObj& kit, long db, long tip) {
    long code = kit.GetTip(db, kToDoFukuro, tip);
    if (code == 0) kit.SetMemo("overwritten");
    long stored = 0;
    return code == 0 ? kit.PutTip(db, kToDoFukuro, &stored) : code;
}

long SortFukuro(CVAROObj& kit, long db, long fukuro) {
    SortCnd condition = {};
    condition.count = 2;
    memcpy(condition.keys[0].tag, "MEMO", 4);
    memcpy(condition.keys[1].tag, "LTDY", 4);
    condition.keys[1].numeric = 1;
    long code = kit.FukuroSort(db, fukuro, &condition);
    if (code == 0) code = kit.GetFukuroSortCnd(db, fukuro, &condition);
    return code;
}

long MakeAndDropFukuro(CVAROObj& kit, long db) {
    long fukuro = 0;
    long code = kit.FukuroCreate(db, &fukuro, "probe", 0);
    if (code == 0) code = kit.SetFukuroName(db, fukuro, "renamed");
    CString name;
    if (code == 0) code = kit.GetFukuroName(db, fukuro, name);
    return code == 0 ? kit.FukuroDelete(db, fukuro) : code;
}

long Passwords(CVAROObj& kit, long db) {
    PASSWD_INF record = {};
    long code = kit.GetPasswd(db, &record);
    CString secret;
    if (IsKnownCode(code)) code = kit.GetSecretPasswd(db, secret);
    strcpy(record.text1, "new");
    return IsKnownCode(code) ? kit.SetPasswd(db, &record) : code;
}

// One after another, in this order: the first opens the database, the last
// closes it; each one's result must be a code.
const Probe kProbes[] = {
    {"Open", [](CVAROObj& kit, long db, const Known&) { return kit.Open(db); }},
    {"DBCheck", [](CVAROObj& kit, long db, const Known&) { return kit.DBCheck(db); }},
    {"GetFukuroSize",
     [](CVAROObj& kit, long db, const Known&) {
         long size = 0;
         return kit.GetFukuroSize(db, kToDoFukuro, &size);
     }},
    {"GetAllFukuroID",
     [](CVAROObj& kit, long db, const Known&) {
         CDWordArray ids;
         return kit.GetAllFukuroID(db, ids);
     }},
    {"GetTipList",
     [](CVAROObj& kit, long db, const Known&) {
         CSelectTips tips;
         return kit.GetTipList(db, kToDoFukuro, tips);
     }},
    {"GetTip", [](CVAROObj& kit, long db, const Known& known) { return ReadAll(kit, db, known); }},
    {"ReadTip", [](CVAROObj& kit, long db, const Known&) { return WalkFukuro(kit, db, kToDoFukuro, ""); }},
    {"ReadTip of holidays", [](CVAROObj& kit, long db, const Known&) { return WalkFukuro(kit, db, 0x3008, ""); }},
    {"TipSearch", [](CVAROObj& kit, long db, const Known&) { return WalkFukuro(kit, db, kToDoFukuro, "tO-dO 1"); }},
    {"FukuroSeek",
     [](CVAROObj& kit, long db, const Known&) {
         long position = 0;
         long code = kit.FukuroOpen(db, kToDoFukuro);
         if (code == 0) code = kit.FukuroSeek(db, kToDoFukuro, -3, 2, &position);
         kit.FukuroClose(db, kToDoFukuro);
         return code;
     }},
    {"LoadCabCData", [](CVAROObj& kit, long db, const Known&) { return ReadCabinets(kit, db); }},
    {"IsSyncFukuro and CancelAllSync", [](CVAROObj& kit, long db, const Known&) {
         return AsCode(kit.IsSyncFukuro(db)) != 0 ? -1 : AsCode(kit.CancelAllSync(db));
     }},
    {"GetDBVersionInfo",
     [](CVAROObj& kit, long db, const Known&) {
         _VERSIONINF version = {};
         return kit.GetDBVersionInfo(version, db);
     }},
    {"passwords", [](CVAROObj& kit, long db, const Known&) { return Passwords(kit, db); }},
    {"PutTip new",
     [](CVAROObj& kit, long db, const Known&) {
         long tip = 0;
         return PutNewToDo(kit, db, "into a damaged file", &tip);
     }},
    {"PutTip stored", [](CVAROObj& kit, long db, const Known& known) { return Overwrite(kit, db, known.toDos[1]); }},
    {"DupTip",
     [](CVAROObj& kit, long db, const Known& known) {
         long copy = 0;
         return kit.DupTip(db, kToDoFukuro, &copy, known.toDos[2]);
     }},
    {"RemoveTip and UndoTip",
     [](CVAROObj& kit, long db, const Known& known) {
         CSelectTips tips = Selection(known.toDos[3]);
         const long code = kit.RemoveTip(db, kToDoFukuro, tips);
         return code == 0 ? kit.UndoTip(db, tips) : code;
     }},
    {"PutTipToFukuro",
     [](CVAROObj& kit, long db, const Known& known) {
         CSelectTips tips = Selection(known.toDos[4]);
         const long code = kit.PutTipToFukuro(db, known.folder, tips);
         return code == 0 ? kit.RemoveTipFromFukuro(db, known.folder, tips) : code;
     }},
    {"FukuroSort", [](CVAROObj& kit, long db, const Known&) { return SortFukuro(kit, db, kToDoFukuro); }},
    {"FukuroCreate and Delete", [](CVAROObj& kit, long db, const Known&) { return MakeAndDropFukuro(kit, db); }},
    {"NotePut", [](CVAROObj& kit, long db, const Known& known) { return kit.NotePut(db, known.toDos[5]); }},
    {"PutKFl",
     [](CVAROObj& kit, long db, const Known&) {
         long folder = 0;
         const long code = kit.LoadCabCData(db);
         return code == 0 ? kit.PutKFl(db, 0, "probe", &folder) : code;
     }},
    {"DBBackup",
     [](CVAROObj& kit, long db, const Known&) {
         const long code = kit.DBBackup(db);
         const long flag = kit.CheckBKFlg(db);
         return code != 0 ? code : flag != 0 ? flag : kit.CheckRestore(db);
     },
     true},
    {"Close", [](CVAROObj& kit, long db, const Known&) { return kit.Close(db); }},
};

class DamagedFileTest : public FaultsTest {
protected:
    void SetUp() override {
        FaultsTest::SetUp();
        CVAROObj kit;
        ASSERT_EQ(kit.Init(nullptr), 1);
        ASSERT_EQ(kit.Create("to be damaged", &m_db), 0);
        ASSERT_EQ(kit.Open(m_db), 0);
        for (int i = 0; i < kToDos; ++i) {
            long tip = 0;
            const size_t padding = i % 5 == 0 ? 9000 + 997 * static_cast<size_t>(i) : 37 * static_cast<size_t>(i);
            ASSERT_EQ(PutNewToDo(kit, m_db, "to-do " + std::to_string(i) + std::string(padding, '.'), &tip), 0);
            m_known.toDos.push_back(tip);
        }
        ASSERT_EQ(kit.LoadCabCData(m_db), 0);
        ASSERT_EQ(kit.PutKFl(m_db, 0, "folder", &m_known.folder), 0);
        ASSERT_EQ(kit.NotePut(m_db, m_known.toDos[0]), 0);
        m_path = DatabasePath(kit, m_db);
        ASSERT_EQ(kit.End(), 1);
        ASSERT_TRUE(ReadFile(m_path, &m_original));
        m_pageSize = (static_cast<uint8_t>(m_original[16]) << 8) | static_cast<uint8_t>(m_original[17]);
        ASSERT_GE(m_pageSize, 512u);
        ASSERT_EQ(m_original.size() % m_pageSize, 0u);
    }

    // Writes the damaged bytes in place of the database, runs every probe
    // and gives their codes; every one must be a code.
    std::vector<long> RunProbes(const std::string& damaged, const std::string& what) {
        EXPECT_TRUE(WriteFile(m_path, damaged));
        unlink((m_path + "-wal").c_str());
        unlink((m_path + "-shm").c_str());
        return RunProbesOnFile(what);
    }

    std::vector<long> RunProbesOnFile(const std::string& what, bool copies = true) {
        std::vector<long> codes;
        CVAROObj kit;
        EXPECT_EQ(kit.Init(nullptr), 1);
        for (const Probe& probe : kProbes) {
            if (probe.copiesTheFile && !copies) continue;
            const long code = probe.run(kit, m_db, m_known);
            EXPECT_TRUE(IsKnownCode(code)) << what << ": " << probe.name << " gave " << code;
            codes.push_back(code);
        }
        kit.End();
        return codes;
    }

    size_t Pages() const { return m_original.size() / m_pageSize; }

    // True when cutting the file at `length` takes bytes other than zeros
    // from a b-tree page.
    bool CutsATreePage(size_t length) const {
        for (size_t page = 1; page <= Pages(); ++page) {
            const size_t end = page * m_pageSize;
            if (end <= length || !IsTreePage(page)) continue;
            const size_t from = std::max(length, end - m_pageSize);
            if (m_original.find_first_not_of('\0', from) < end) return true;
        }
        return false;
    }

    // True for a b-tree page of the original file (1-based page numbers).
    bool IsTreePage(size_t page) const {
        const size_t header = (page - 1) * m_pageSize + (page == 1 ? kHeaderBytes : 0);
        const uint8_t type = static_cast<uint8_t>(m_original[header]);
        return type == 2 || type == 5 || type == 10 || type == 13;
    }

    long m_db = 0;
    Known m_known;
    std::string m_path;
    std::string m_original;
    size_t m_pageSize = 0;
};

const size_t kOpenProbe = 0;
const size_t kCheckProbe = 1;

bool OpenOrCheckFailed(const std::vector<long>& codes) {
    return codes.size() > kCheckProbe && (codes[kOpenProbe] != 0 || codes[kCheckProbe] != 0);
}

TEST_F(DamagedFileTest, ATruncatedFileGivesCodesFromEveryOperation) {
    const size_t size = m_original.size();
    const size_t lengths[] = {0,        50,       kHeaderBytes,       m_pageSize, m_pageSize + 1,
                              size / 3, size / 2, size - m_pageSize, size - 1};
    for (size_t length : lengths) {
        const std::string what = "truncated to " + std::to_string(length);
        const std::vector<long> codes = RunProbes(m_original.substr(0, length), what);
        // SQLite reads what is cut off as zeros: cutting only zeros, or only
        // the tail of an overflow page, may go unseen.
        if (CutsATreePage(length)) {
            EXPECT_TRUE(OpenOrCheckFailed(codes)) << what;
        }
    }
}

TEST_F(DamagedFileTest, RandomBytesOverTheFileGiveCodesFromEveryOperation) {
    std::mt19937 random(kSeed);
    auto garbage = [&random](size_t count) {
        std::string bytes(count, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        return bytes;
    };
    {
        std::string damaged = m_original;
        damaged.replace(0, kHeaderBytes, garbage(kHeaderBytes));
        EXPECT_TRUE(OpenOrCheckFailed(RunProbes(damaged, "header overwritten"))) << "header";
    }
    for (int i = 0; i < kGarbagePages; ++i) {
        const size_t page = 1 + random() % Pages();
        std::string damaged = m_original;
        damaged.replace((page - 1) * m_pageSize, m_pageSize, garbage(m_pageSize));
        const std::string what = "page " + std::to_string(page) + " overwritten";
        const std::vector<long> codes = RunProbes(damaged, what);
        // SQLite's check sees a garbled tree page; a garbled overflow or free
        // page may go unseen, but still no operation may crash.
        if (IsTreePage(page)) {
            EXPECT_TRUE(OpenOrCheckFailed(codes)) << what;
        }
    }
    for (int i = 0; i < kGarbageRuns; ++i) {
        const size_t offset = random() % (m_original.size() - kRunBytes);
        std::string damaged = m_original;
        damaged.replace(offset, kRunBytes, garbage(kRunBytes));
        RunProbes(damaged, "64 bytes at " + std::to_string(offset));
    }
}

// Whatever the catalog holds, the kit answers with codes, and the database
// files it listed are never taken over or overwritten by a new one.
TEST_F(DamagedFileTest, ADamagedCatalogGivesCodesAndLeavesTheDatabaseAlone) {
    const std::string catalog = m_folder + "catalog.sqlite";
    std::string original;
    ASSERT_TRUE(ReadFile(catalog, &original));
    for (const std::string& damaged : {std::string(), original.substr(0, original.size() / 2),
                                       std::string(original.size(), '\x5a')}) {
        const std::string what = "catalog of " + std::to_string(damaged.size()) + " bytes";
        ASSERT_TRUE(WriteFile(catalog, damaged));
        unlink((catalog + "-wal").c_str());
        unlink((catalog + "-shm").c_str());
        const std::vector<long> codes = RunProbesOnFile(what);
        EXPECT_NE(codes[kOpenProbe], 0) << what;
        CVAROObj kit;
        ASSERT_EQ(kit.Init(nullptr), 1);
        CDWordArray ids;
        EXPECT_TRUE(kit.GetAllDBID(ids) == 0 || ids.GetSize() == 0) << what;
        CString name;
        EXPECT_EQ(kit.GetDBName(m_db, name), 0) << what;
        for (int i = 0; i < 2; ++i) {
            long db = 0;
            const long created = kit.Create("on a damaged catalog", &db);
            EXPECT_TRUE(IsKnownCode(created)) << what << ": " << created;
        }
        kit.End();
        std::string database;
        ASSERT_TRUE(ReadFile(m_path, &database));
        EXPECT_TRUE(database == m_original) << what;
    }
}

// Random bytes in the stored values themselves: SQLite's check passes, so
// only the engine's and the kit's own readers stand between them and a crash.
class StoredValuesTest : public DamagedFileTest {
protected:
    // Runs `sql` on the database file with ?1 bound to `blob`; true when it ran.
    bool Damage(const char* sql, const std::string& blob) {
        sqlite3* handle = nullptr;
        bool ran = sqlite3_open_v2(m_path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
        sqlite3_stmt* statement = nullptr;
        ran = ran && sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) == SQLITE_OK;
        if (ran && sqlite3_bind_parameter_count(statement) > 0) {
            sqlite3_bind_blob(statement, 1, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
        }
        ran = ran && sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_finalize(statement);
        sqlite3_close(handle);
        return ran;
    }
};

TEST_F(StoredValuesTest, RandomStoredValuesGiveCodesAndNoCrash) {
    struct Damaging {
        const char* sql;  // ?1 is a random blob
        size_t bytes;
    };
    // Each runs alone on a fresh copy, at a random choice of rows where it
    // names none.
    const Damaging damages[] = {
        {"UPDATE field SET data=?1 WHERE (tip_id * 7 + slot) % 3 = 0", 40},
        {"UPDATE field SET data=?1, type=type+3 WHERE (tip_id + slot) % 4 = 1", 3},
        {"UPDATE field SET data=?1 WHERE tag=CAST('@FID' AS BLOB) OR tag=CAST('@TBL' AS BLOB)", 160},
        {"UPDATE field SET data=?1 WHERE tag=CAST('@CNT' AS BLOB) OR tag=CAST('@DSP' AS BLOB)", 4},
        {"UPDATE field SET data=?1 WHERE tag=CAST('LIDS' AS BLOB) OR tag=CAST('LMTM' AS BLOB)", 15},
        {"UPDATE field SET data=?1 WHERE tag=CAST('TAFL' AS BLOB)", 2},
        {"UPDATE field SET tag=?1 WHERE slot=3", 4},
        {"UPDATE field SET label=?1 WHERE slot=1", 300},
        {"UPDATE field SET data=zeroblob(70000) WHERE slot=5 AND tip_id % 2 = 0", 0},
        {"INSERT INTO field SELECT tip_id, slot + 40, tag, label, type, data FROM field WHERE tip_id % 3 = 0", 0},
        {"DELETE FROM field WHERE slot=0 AND tip_id % 2 = 1", 0},
        {"UPDATE fukuro SET sort_condition=?1, name=CAST(?1 AS TEXT)", 29},
        {"UPDATE fukuro SET sort_condition=?1", 5},
        {"UPDATE meta SET value=?1 WHERE key IN ('next_tip', 'next_fukuro', 'password', 'version_major')", 9},
        {"UPDATE meta SET value=-5 WHERE key IN ('next_tip', 'next_fukuro')", 0},
        {"UPDATE meta SET value=2147483647 WHERE key IN ('next_tip', 'next_fukuro')", 0},
        {"UPDATE meta SET value=CAST(?1 AS TEXT) WHERE key='format'", 3},
        {"UPDATE change_log SET fukuros=?1, change=change*31", 7},
        {"UPDATE tip SET stamp=CAST(?1 AS TEXT), trashed=trashed+2", 14},
        {"UPDATE member SET position=0, tip_id=tip_id+1000 WHERE tip_id % 2 = 0", 0},
    };
    std::mt19937 random(kSeed);
    for (const Damaging& damage : damages) {
        for (int round = 0; round < kFieldDamages; ++round) {
            std::string blob(damage.bytes, '\0');
            for (char& c : blob) c = static_cast<char>(random());
            ASSERT_TRUE(WriteFile(m_path, m_original));
            unlink((m_path + "-wal").c_str());
            unlink((m_path + "-shm").c_str());
            ASSERT_TRUE(Damage(damage.sql, blob)) << damage.sql;
            RunProbesOnFile(damage.sql, false);
            if (damage.bytes == 0) break;  // nothing random: once is enough
        }
    }
}

}  // namespace
}  // namespace faults

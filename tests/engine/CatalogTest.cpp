// The list of known databases: ids, names, colours, the default database,
// registering an existing file, and notices of renames and recolourings.
#include <unistd.h>

#include <cstdio>

#include "EngineTestSupport.h"

namespace enginetest {
namespace {

using namespace varo;

class CatalogTest : public EngineTest {
protected:
    std::vector<int32_t> AllIds(Engine& engine) {
        int32_t count = -1;
        EXPECT_EQ(1, Call(engine, kOpGetAllDBID, {Buffer(nullptr), I4Out(&count)}));
        std::vector<int32_t> ids(static_cast<size_t>(count) + 1, -1);
        EXPECT_EQ(1, Call(engine, kOpGetAllDBID, {Buffer(ids.data()), I4Out(&count)}));
        ids.resize(static_cast<size_t>(count));
        return ids;
    }
    int32_t Register(const std::string& path) {
        const std::u16string wide = U16(path);
        return GetI4(kOpSetDBID, {Text(wide.c_str())});
    }
};

TEST_F(CatalogTest, AllDatabaseIdsCountFirstThenFillAtMostTheCapacity) {
    EXPECT_TRUE(AllIds(*m_engine).empty());
    const std::vector<int32_t> all{CreateDatabase(u"a"), CreateDatabase(u"b"), CreateDatabase(u"c")};
    EXPECT_EQ(all, AllIds(*m_engine));
    int32_t small[3] = {-1, -1, -1};
    int32_t count = 2;
    ASSERT_EQ(1, Call(*m_engine, kOpGetAllDBID, {Buffer(small), I4Out(&count)}));
    EXPECT_EQ(2, count);
    EXPECT_EQ((std::vector<int32_t>{all[0], all[1], -1}), std::vector<int32_t>(small, small + 3));  // nothing past the capacity
    count = -1;
    EXPECT_EQ(0, Call(*m_engine, kOpGetAllDBID, {Buffer(small), I4Out(&count)}));
    EXPECT_EQ(0, Call(*m_engine, kOpGetAllDBID, {Buffer(small), I4Out(nullptr)}));
    // Another instance sees the same list, in the same order.
    EXPECT_EQ(all, AllIds(*NewEngine(*m_host)));
}

TEST_F(CatalogTest, NamesColoursAndTheDefaultDatabase) {
    const int32_t db = CreateDatabase(u"before");
    const int32_t unknown = db + 9;
    EXPECT_EQ(1, Call(*m_engine, kOpSetDBName, {I4(db), Text(u"after \u8868" /* 表 */)}));
    EXPECT_EQ(u"after \u8868" /* 表 */, DBName(db));
    EXPECT_EQ(0, Call(*m_engine, kOpSetDBName, {I4(unknown), Text(u"x")}));
    EXPECT_EQ(u"<failed>", DBName(unknown));

    EXPECT_EQ(0, GetI4(kOpGetDBColor, {I4(db)}));
    EXPECT_EQ(1, Call(*m_engine, kOpSetDBColor, {I4(db), I4(static_cast<int32_t>(0xFF00FF80u))}));
    EXPECT_EQ(0xFF00FF80u, static_cast<uint32_t>(GetI4(kOpGetDBColor, {I4(db)})));
    EXPECT_EQ(0, Call(*m_engine, kOpSetDBColor, {I4(unknown), I4(1)}));
    EXPECT_EQ(-1, GetI4(kOpGetDBColor, {I4(unknown)}));

    int32_t chosen = 7;
    EXPECT_EQ(0, Call(*m_engine, kOpGetDefaultDBID, {I4Out(&chosen)}));
    EXPECT_EQ(0, chosen);
    EXPECT_EQ(0, Call(*m_engine, kOpSetDefaultDBID, {I4(unknown)}));
    EXPECT_EQ(1, Call(*m_engine, kOpSetDefaultDBID, {I4(db)}));
    EXPECT_EQ(db, GetI4(kOpGetDefaultDBID, {}));
    // Forgetting the default database leaves no default.
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDelete, {I4(db)}));
    EXPECT_EQ(-1, GetI4(kOpGetDefaultDBID, {}));
    EXPECT_EQ("<failed>", Location(db));
    EXPECT_EQ("<failed>", Location(CreateDatabase(u"other"), 3));
}

TEST_F(CatalogTest, SetDBIdRegistersAnExistingFileOnce) {
    const int32_t db = CreateDatabase(u"registered");
    const std::string path = Location(db);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDelete, {I4(db)}));
    const int32_t id = Register(path);
    EXPECT_GT(id, db);  // ids are never given twice
    EXPECT_EQ(id, Register(path));
    EXPECT_EQ(u"registered", DBName(id));
    EXPECT_EQ(kEngineOk, OpenDb(id));

    // A file that is not a database of this engine, or has another name, is refused.
    const std::string stray = m_folder + "vdb00000099.sqlite";
    FILE* file = fopen(stray.c_str(), "w");
    ASSERT_NE(nullptr, file);
    fputs("not a database", file);
    fclose(file);
    EXPECT_EQ(-1, Register(stray));
    ASSERT_EQ(0, link(path.c_str(), (m_folder + "renamed.sqlite").c_str()));
    EXPECT_EQ(-1, Register(m_folder + "renamed.sqlite"));
    EXPECT_EQ(-1, Register("/no/such/file.sqlite"));
}

TEST_F(CatalogTest, RenamesAndRecolouringsReachEveryOwnerWindow) {
    int owner = 0;
    int otherOwner = 0;
    Call(*m_engine, kOpInit, {Address(&owner)});
    std::unique_ptr<Engine> other = NewEngine(*m_host);
    Call(*other, kOpInit, {Address(&otherOwner)});
    const int32_t db = CreateDatabase(u"named");
    m_host->Pumped("VARO_ON_ADVISE_DBNAME");

    ASSERT_EQ(1, Call(*m_engine, kOpSetDBName, {I4(db), Text(u"renamed")}));
    std::vector<FakeHost::Posted> names = m_host->Pumped("VARO_ON_ADVISE_DBNAME");
    ASSERT_EQ(2u, names.size());
    EXPECT_NE(names[0].window, names[1].window);
    EXPECT_EQ(static_cast<uintptr_t>(db), names[0].wParam);
    ASSERT_EQ(1, Call(*other, kOpSetDBColor, {I4(db), I4(3)}));
    EXPECT_EQ(2u, m_host->Pumped("VARO_ON_ADVISE_DBCOLOR").size());
    EXPECT_TRUE(m_host->Pumped("VARO_ON_ADVISE_DBCOLOR").empty());  // each change once
}

}  // namespace
}  // namespace enginetest

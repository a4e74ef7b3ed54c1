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
    std::u16string Location(int32_t db) {
        char16_t* text = nullptr;
        Call(*m_engine, kOpGetDBLocation, {I4(db), I4(1), TextOut(&text)});
        return Take(*m_engine, text);
    }
};

TEST_F(CatalogTest, AllDatabaseIdsCountFirstThenFillAtMostTheCapacity) {
    EXPECT_TRUE(AllIds(*m_engine).empty());
    const int32_t a = CreateDatabase(u"a");
    const int32_t b = CreateDatabase(u"b");
    const int32_t c = CreateDatabase(u"c");
    EXPECT_EQ((std::vector<int32_t>{a, b, c}), AllIds(*m_engine));

    int32_t small[3] = {-1, -1, -1};
    int32_t count = 2;
    ASSERT_EQ(1, Call(*m_engine, kOpGetAllDBID, {Buffer(small), I4Out(&count)}));
    EXPECT_EQ(2, count);
    EXPECT_EQ(a, small[0]);
    EXPECT_EQ(b, small[1]);
    EXPECT_EQ(-1, small[2]);  // nothing written past the capacity
    count = -1;
    EXPECT_EQ(0, Call(*m_engine, kOpGetAllDBID, {Buffer(small), I4Out(&count)}));
    EXPECT_EQ(0, Call(*m_engine, kOpGetAllDBID, {Buffer(small), I4Out(nullptr)}));

    // Another instance sees the same list, in the same order.
    std::unique_ptr<Engine> other = NewEngine(*m_host);
    EXPECT_EQ((std::vector<int32_t>{a, b, c}), AllIds(*other));
}

TEST_F(CatalogTest, NamesColoursAndTheDefaultDatabase) {
    const int32_t db = CreateDatabase(u"before");
    EXPECT_EQ(1, Call(*m_engine, kOpSetDBName, {I4(db), Text(u"after \u8868" /* 表 */)}));
    EXPECT_EQ(0, Call(*m_engine, kOpSetDBName, {I4(db + 9), Text(u"x")}));
    char16_t* name = nullptr;
    ASSERT_EQ(1, Call(*m_engine, kOpGetDBName, {I4(db), TextOut(&name)}));
    EXPECT_EQ(u"after \u8868" /* 表 */, Take(*m_engine, name));
    EXPECT_EQ(0, Call(*m_engine, kOpGetDBName, {I4(db + 9), TextOut(&name)}));
    EXPECT_EQ(nullptr, name);

    int32_t colour = 5;
    EXPECT_EQ(1, Call(*m_engine, kOpGetDBColor, {I4(db), I4Out(&colour)}));
    EXPECT_EQ(0, colour);
    EXPECT_EQ(1, Call(*m_engine, kOpSetDBColor, {I4(db), I4(static_cast<int32_t>(0xFF00FF80u))}));
    EXPECT_EQ(1, Call(*m_engine, kOpGetDBColor, {I4(db), I4Out(&colour)}));
    EXPECT_EQ(0xFF00FF80u, static_cast<uint32_t>(colour));
    EXPECT_EQ(0, Call(*m_engine, kOpSetDBColor, {I4(db + 9), I4(1)}));
    EXPECT_EQ(0, Call(*m_engine, kOpGetDBColor, {I4(db + 9), I4Out(&colour)}));

    int32_t chosen = 7;
    EXPECT_EQ(0, Call(*m_engine, kOpGetDefaultDBID, {I4Out(&chosen)}));
    EXPECT_EQ(0, chosen);
    EXPECT_EQ(0, Call(*m_engine, kOpSetDefaultDBID, {I4(db + 9)}));
    EXPECT_EQ(1, Call(*m_engine, kOpSetDefaultDBID, {I4(db)}));
    EXPECT_EQ(1, Call(*m_engine, kOpGetDefaultDBID, {I4Out(&chosen)}));
    EXPECT_EQ(db, chosen);
    // Forgetting the default database leaves no default.
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDelete, {I4(db)}));
    EXPECT_EQ(0, Call(*m_engine, kOpGetDefaultDBID, {I4Out(&chosen)}));

    char16_t* where = nullptr;
    EXPECT_EQ(0, Call(*m_engine, kOpGetDBLocation, {I4(db), I4(1), TextOut(&where)}));
    const int32_t other = CreateDatabase(u"other");
    EXPECT_EQ(0, Call(*m_engine, kOpGetDBLocation, {I4(other), I4(3), TextOut(&where)}));
    EXPECT_EQ(nullptr, where);
}

TEST_F(CatalogTest, SetDBIdRegistersAnExistingFileOnce) {
    const int32_t db = CreateDatabase(u"registered");
    const std::u16string path = Location(db);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDelete, {I4(db)}));

    int32_t id = 0;
    ASSERT_EQ(1, Call(*m_engine, kOpSetDBID, {Text(path.c_str()), I4Out(&id)}));
    EXPECT_GT(id, db);  // ids are never given twice
    int32_t again = 0;
    ASSERT_EQ(1, Call(*m_engine, kOpSetDBID, {Text(path.c_str()), I4Out(&again)}));
    EXPECT_EQ(id, again);
    char16_t* name = nullptr;
    ASSERT_EQ(1, Call(*m_engine, kOpGetDBName, {I4(id), TextOut(&name)}));
    EXPECT_EQ(u"registered", Take(*m_engine, name));
    int16_t flag = 0;
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpOpen, {I4(id), I2Out(&flag)}));

    // A file that is not a database of this engine, or has another name, is refused.
    const std::string stray = m_folder + "vdb00000099.sqlite";
    FILE* file = fopen(stray.c_str(), "w");
    ASSERT_NE(nullptr, file);
    fputs("not a database", file);
    fclose(file);
    const std::u16string strayPath = U16(stray);
    EXPECT_EQ(0, Call(*m_engine, kOpSetDBID, {Text(strayPath.c_str()), I4Out(&id)}));
    const std::u16string renamed = U16(m_folder + "renamed.sqlite");
    const std::string original(path.begin(), path.end());
    ASSERT_EQ(0, link(original.c_str(), (m_folder + "renamed.sqlite").c_str()));
    EXPECT_EQ(0, Call(*m_engine, kOpSetDBID, {Text(renamed.c_str()), I4Out(&id)}));
    EXPECT_EQ(0, Call(*m_engine, kOpSetDBID, {Text(u"/no/such/file.sqlite"), I4Out(&id)}));
}

TEST_F(CatalogTest, RenamesAndRecolouringsReachEveryOwnerWindow) {
    int owner = 0;
    int otherOwner = 0;
    Call(*m_engine, kOpInit, {Address(&owner)});
    std::unique_ptr<Engine> other = NewEngine(*m_host);
    Call(*other, kOpInit, {Address(&otherOwner)});
    const int32_t db = CreateDatabase(u"named");
    m_host->Pump();
    m_host->Take("VARO_ON_ADVISE_DBNAME");

    ASSERT_EQ(1, Call(*m_engine, kOpSetDBName, {I4(db), Text(u"renamed")}));
    m_host->Pump();
    std::vector<FakeHost::Posted> names = m_host->Take("VARO_ON_ADVISE_DBNAME");
    ASSERT_EQ(2u, names.size());
    EXPECT_NE(names[0].window, names[1].window);
    EXPECT_EQ(static_cast<uintptr_t>(db), names[0].wParam);

    ASSERT_EQ(1, Call(*other, kOpSetDBColor, {I4(db), I4(3)}));
    m_host->Pump();
    EXPECT_EQ(2u, m_host->Take("VARO_ON_ADVISE_DBCOLOR").size());
    m_host->Pump();
    EXPECT_TRUE(m_host->Take("VARO_ON_ADVISE_DBCOLOR").empty());  // each change once
}

}  // namespace
}  // namespace enginetest

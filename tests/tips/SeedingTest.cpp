#include <string>
#include <vector>

#include "../kit/KitTestSupport.h"
#include "TipRecord.h"

using namespace varo;

namespace {

// One tip the fake engine was given by PutTip, decoded by tag.
struct PutCall {
    int32_t fukuro;
    std::vector<std::pair<std::string, std::string>> fields;
    std::string Field(const std::string& tag) const {
        for (const auto& f : fields) {
            if (f.first == tag) return f.second;
        }
        return "<absent>";
    }
};

class SeedingTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        engine().OnCall(kOpCreate, [](const EngineArg* args, int) {
            *args[1].i4Out = 12;
            return 0;
        });
        engine().OnCall(kOpPutTip, [this](const EngineArg* args, int) {
            PutCall put{args[1].i4, {}};
            for (TIPFIELD** f = static_cast<TIPFIELD**>(args[3].address); *f; ++f) {
                put.fields.emplace_back((*f)->tag, std::string(reinterpret_cast<char*>((*f)->data), (*f)->length));
            }
            m_puts.push_back(put);
            *args[2].i4Out = static_cast<int32_t>(100 + m_puts.size());
            return m_failPut == static_cast<int>(m_puts.size()) ? 2010 : 0;
        });
    }

    std::vector<PutCall> m_puts;
    int m_failPut = 0;  // the number of the put that fails, from 1
};

std::string Bytes(const char* s, size_t n) { return std::string(s, n); }

TEST_F(SeedingTest, CreateSeedsHolidaysCabinetsPreferencesAndThePageBoard) {
    long db = 0;
    EXPECT_EQ(m_kit.Create("db", &db), 0);
    EXPECT_EQ(db, 12);
    ASSERT_EQ(m_puts.size(), 13u + 2u + 2u + 1u);

    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(m_puts[i].fukuro, 0x3008);
        EXPECT_EQ(m_puts[i].Field("TAFL"), Bytes("\x04\x02", 2));
        EXPECT_EQ(m_puts[i].Field("HOLI"), Bytes("1\0", 2));
        EXPECT_EQ(m_puts[i].Field("TCDY").size(), 15u);
    }
    EXPECT_EQ(m_puts[0].Field("MEMO"), Bytes("\x8c\xb3\x93\xfa\0", 5));  // 元日
    EXPECT_EQ(m_puts[5].Field("MEMO"), Bytes("\x8d\x91\x96\xaf\x82\xcc\x8b\x78\x93\xfa\0", 11));  // 国民の休日, 5/4
    EXPECT_EQ(m_puts[6].Field("MEMO"), Bytes("\x82\xb1\x82\xc7\x82\xe0\x82\xcc\x93\xfa\0", 11));  // こどもの日, 5/5
    EXPECT_EQ(m_puts[0].Field("ANN1"), Bytes("Z    0101000000\0", 16));
    EXPECT_EQ(m_puts[12].Field("ANN1"), Bytes("Z    1223000000\0", 16));
    EXPECT_EQ(m_puts[12].Field("MEMO"), Bytes("\x93\x56\x8d\x63\x92\x61\x90\xb6\x93\xfa\0", 11));  // 天皇誕生日

    const PutCall& cabinets = m_puts[13];
    EXPECT_EQ(cabinets.fukuro, 0x3011);
    EXPECT_EQ(cabinets.Field("@CNT"), Bytes("\x01\0\0\0", 4));
    EXPECT_EQ(cabinets.Field("@DSP"), Bytes("\0\0\0\0", 4));
    EXPECT_EQ(cabinets.Field("@FID"), Bytes("\x12\x30\0\0", 4) + std::string(156, '\0'));
    EXPECT_EQ(cabinets.Field("@TBL"), std::string(160, '\0'));
    const PutCall& folders = m_puts[14];
    EXPECT_EQ(folders.fukuro, 0x3012);
    EXPECT_EQ(folders.Field("@CNT"), Bytes("\x06\0\0\0", 4));
    EXPECT_EQ(folders.Field("@FID"),
              Bytes("\x00\x30\0\0\x03\x30\0\0\x0b\x30\0\0\x0c\x30\0\0\x09\x30\0\0\x0d\x30\0\0", 24) +
                  std::string(376, '\0'));
    EXPECT_EQ(folders.Field("@TBL"),
              Bytes("\0\0\0\0\x01\0\0\0\x02\0\0\0\x03\0\0\0\x04\0\0\0\x05\0\0\0", 24) + std::string(376, '\0'));

    const PutCall& categories = m_puts[15];
    EXPECT_EQ(categories.fukuro, 0x3014);
    EXPECT_EQ(categories.Field("PFAT"), Bytes("Category\0", 9));
    const std::string data = categories.Field("PFDT");
    ASSERT_EQ(data.size(), 3200u);
    EXPECT_EQ(data.substr(32, 4), Bytes("\x01\0\0\0", 4));
    EXPECT_EQ(data.substr(36, 5), Bytes("\x8e\x64\x8e\x96\0", 5));  // 仕事
    EXPECT_EQ(data.substr(99 * 32, 4), Bytes("\x63\0\0\0", 4));
    const PutCall& free = m_puts[16];
    EXPECT_EQ(free.Field("PFAT"), Bytes("Free\0", 5));
    ASSERT_EQ(free.Field("PFDT").size(), 192u);
    EXPECT_EQ(free.Field("PFDT").substr(4, 5), Bytes("\xcc\xd8\xb0\x31\0", 5));  // ﾌﾘｰ1
    EXPECT_EQ(free.Field("PFDT").substr(5 * 32 + 4), std::string(28, '\0'));

    EXPECT_EQ(m_puts[17].fukuro, 0x300E);
    EXPECT_EQ(m_puts[17].Field("TAFL"), Bytes("\x00\x08", 2));
    EXPECT_EQ(m_puts[17].fields.size(), 4u);
    EXPECT_EQ(m_kit.GetCabFID(0), 0x3012);
    EXPECT_EQ(m_kit.GetKFIFID(5), 0x300D);
}

// A kit object whose last read was read-only still seeds a new database in
// full: nobody else can hold a database that is being created.
TEST_F(SeedingTest, AStaleReadOnlyFlagDoesNotThinTheSeed) {
    long db = 0;
    ASSERT_EQ(m_kit.Create("db", &db), 0);
    const std::vector<PutCall> fresh = m_puts;
    m_puts.clear();

    engine().Answer(kOpIsReadOnly, {1});
    ASSERT_EQ(m_kit.FukuroOpen(3, 0x300C), 0);
    m_kit.SetTipID(0);
    m_kit.SetTipFlag(KIND_TODO_300);
    ASSERT_EQ(m_kit.SetMemo("x"), 0);  // the flag is 1
    ASSERT_EQ(m_kit.Create("db", &db), 0);

    ASSERT_EQ(m_puts.size(), fresh.size());
    for (size_t i = 0; i < fresh.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(m_puts[i].fields.size(), fresh[i].fields.size());
        for (size_t f = 0; f < fresh[i].fields.size(); ++f) {
            const std::string& tag = fresh[i].fields[f].first;
            if (tag == "TCDY" || tag == "LMTM") continue;  // stamped with the time of the put
            EXPECT_EQ(m_puts[i].fields[f], fresh[i].fields[f]) << tag;
        }
    }
}

TEST_F(SeedingTest, StopsAtTheFirstFailureAndClosesWhatItOpened) {
    engine().Answer(kOpCreate, {2001});
    long db = 0;
    EXPECT_EQ(m_kit.Create("db", &db), 2001);
    EXPECT_TRUE(m_puts.empty());

    // The third holiday, then the cabinet control tip: the fukuro it was
    // put into is closed last.
    for (const auto& [failing, fukuro] : {std::pair<int, int64_t>{3, 0x3008}, {14, 0x3011}}) {
        SCOPED_TRACE(failing);
        m_puts.clear();
        m_failPut = failing;
        engine().calls.clear();
        EXPECT_EQ(m_kit.Create("db", &db), 2010);
        EXPECT_EQ(m_puts.size(), static_cast<size_t>(failing));
        EXPECT_EQ(engine().Ops().back(), kOpFukuroClose);
        EXPECT_EQ(engine().LastCall(kOpFukuroClose)->args[1].value, fukuro);
    }
    EXPECT_EQ(engine().CallsOf(kOpFukuroLockOpen), 2);
}

}  // namespace

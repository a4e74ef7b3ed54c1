#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../kit/KitTestSupport.h"

using namespace varo;

namespace {

// A control tip as the engine stores it, with its four fields decoded.
struct ControlTip {
    int32_t count = 0;
    int32_t position = 0;
    std::vector<int32_t> ids;
    std::vector<int32_t> order;
};

// The numbers as 32-bit little-endian bytes.
std::string Le32(const std::vector<int32_t>& numbers) {
    std::string b;
    for (int32_t v : numbers) {
        for (int i = 0; i < 4; ++i) b += static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
    }
    return b;
}

int32_t ReadLe32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
}

ControlTip Decode(TIPFIELD** buffer) {
    std::vector<int32_t> tables[2];
    for (int t = 0; t < 2; ++t) {
        for (int i = 0; i < buffer[2 + t]->length / 4; ++i) tables[t].push_back(ReadLe32(buffer[2 + t]->data + 4 * i));
    }
    return ControlTip{ReadLe32(buffer[0]->data), ReadLe32(buffer[1]->data), tables[0], tables[1]};
}

// Holds the bytes of one stored control tip and hands out a buffer of it.
class StoredControlTip {
public:
    StoredControlTip(const ControlTip& tip, const char* const tags[4]) {
        m_data[0] = Le32({tip.count});
        m_data[1] = Le32({tip.position});
        m_data[2] = Le32(tip.ids);
        m_data[3] = Le32(tip.order);
        for (int i = 0; i < 4; ++i) {
            m_tags[i] = tags[i];
            m_fields[i] = TIPFIELD{&m_tags[i][0], m_label, 10, reinterpret_cast<uint8_t*>(&m_data[i][0]),
                                   static_cast<uint16_t>(m_data[i].size())};
            m_buffer[i] = &m_fields[i];
        }
        m_buffer[4] = nullptr;
    }
    TIPFIELD** Buffer() { return m_buffer; }

private:
    std::string m_tags[4], m_data[4];
    char m_label[1] = {0};
    TIPFIELD m_fields[4];
    TIPFIELD* m_buffer[5];
};

const char* const kTags[4] = {"@CNT", "@DSP", "@FID", "@TBL"};
const int32_t A = 0x4001, B = 0x4002, C = 0x4003, D = 0x4004;

class CabinetsTest : public KitTest {
protected:
    // Cabinets A B C D in slots 0-3, shown in order. Every control tip the
    // kit writes is kept decoded and served to later reads.
    void SetUp() override {
        KitTest::SetUp();
        Serve(0x3011, ControlTip{4, 0, {A, B, C, D}, {0, 1, 2, 3}});
        engine().OnCall(kOpReadTip, [this](const EngineArg* args, int) {
            auto found = m_stored.find(args[1].i4);
            if (found == m_stored.end()) return 0;  // no control tip
            *args[3].i4Out = 900 + args[1].i4 % 100;
            *args[4].addressOut = found->second->Buffer();
            return 0;
        });
        engine().OnCall(kOpModifyTip, [this](const EngineArg* args, int) {
            return m_refused.count(args[1].i4) ? 2003 : Keep(args);
        });
        engine().OnCall(kOpPutTip, [this](const EngineArg* args, int) {
            *args[2].i4Out = 500;
            const TIPFIELD* first = static_cast<TIPFIELD**>(args[3].address)[0];
            return std::strcmp(first->tag, kTags[0]) == 0 ? Keep(args) : 0;  // seeded tips are not kept
        });
    }

    int32_t Keep(const EngineArg* args) {
        m_written[args[1].i4] = Decode(static_cast<TIPFIELD**>(args[3].address));
        Serve(args[1].i4, m_written[args[1].i4]);
        return 0;
    }

    void Serve(int32_t fukuro, const ControlTip& tip, const char* const tags[4] = kTags) {
        m_stored[fukuro] = std::make_shared<StoredControlTip>(tip, tags);
        m_served[fukuro] = tip;
    }

    std::vector<int32_t> WrittenOrder(size_t n) {
        const std::vector<int32_t>& order = m_written[0x3011].order;
        return std::vector<int32_t>(order.begin(), order.begin() + n);
    }

    // The fukuros listed, in display order, by the control tip of `fukuro`
    // as now stored.
    std::vector<int32_t> Listed(int32_t fukuro) {
        const ControlTip& tip = m_written.count(fukuro) ? m_written[fukuro] : m_served[fukuro];
        std::vector<int32_t> shown;
        for (int i = 0; i < tip.count; ++i) shown.push_back(tip.ids[tip.order[i]]);
        return shown;
    }

    std::map<int32_t, std::shared_ptr<StoredControlTip>> m_stored;
    std::map<int32_t, ControlTip> m_served;
    std::map<int32_t, ControlTip> m_written;
    std::set<int32_t> m_refused;  // fukuros whose control tip writes fail
};

TEST_F(CabinetsTest, LoadingReadsTheControlTipAndClosesItsFukuro) {
    EXPECT_EQ(m_kit.LoadCabCData(1), 0);
    EXPECT_EQ(OpsAfterInit(), (std::vector<int>{kOpFukuroOpen, kOpReadTip, kOpReleaseTip, kOpFukuroClose}));
    EXPECT_EQ(m_kit.GetCabCount(), 4);
    EXPECT_EQ(m_kit.GetCabFID(2), C);
    EXPECT_EQ(m_kit.GetCabFID(40), 0);
    EXPECT_EQ(m_kit.GetCabFID(-1), 0);

    m_stored.erase(0x3011);
    engine().calls.clear();
    EXPECT_EQ(m_kit.LoadCabCData(1), VARO_ERR_NO_CONTROL_TIP);
    EXPECT_EQ(engine().Ops(), (std::vector<int>{kOpFukuroOpen, kOpReadTip, kOpFukuroClose}));
}

TEST_F(CabinetsTest, DamagedControlTipsAreReadWithinTheirData) {
    const char* const wrongFirst[4] = {"@XXX", "@DSP", "@FID", "@TBL"};
    Serve(0x3011, ControlTip{2, 0, {A, B}, {1, 0}}, wrongFirst);  // 2 entries where 40 belong
    EXPECT_EQ(m_kit.LoadCabCData(1), 0);
    EXPECT_EQ(m_kit.GetCabCount(), -1);
    EXPECT_EQ(m_kit.GetCabFID(0), B);
    EXPECT_EQ(m_kit.GetCabFID(1), A);
    EXPECT_EQ(m_kit.GetCabFID(2), A);  // order entries past the data read 0: slot 0

    // Without its order table every entry reads slot 0, as past the data.
    const char* const noOrder[4] = {"@CNT", "@DSP", "@FID", "@XXX"};
    Serve(0x3011, ControlTip{2, 0, {A, B}, {1, 0}}, noOrder);
    EXPECT_EQ(m_kit.LoadCabCData(1), 0);
    EXPECT_EQ(m_kit.GetCabFID(0), A);
    EXPECT_EQ(m_kit.GetCabFID(1), A);

    // A table field without data reads as a table of zeros.
    Serve(0x3011, ControlTip{1, 0, {A}, {0}});
    TIPFIELD* ids = m_stored[0x3011]->Buffer()[2];
    ids->data = nullptr;
    ids->length = 0;
    EXPECT_EQ(m_kit.LoadCabCData(1), 0);
    EXPECT_EQ(m_kit.GetCabCount(), 1);
    EXPECT_EQ(m_kit.GetCabFID(0), 0);

    // A tag is read no further than its 4 characters, terminator or not.
    Serve(0x3011, ControlTip{3, 0, {A, B, C}, {0, 1, 2}});
    std::unique_ptr<char[]> bare(new char[4]{'@', 'C', 'N', 'T'});
    m_stored[0x3011]->Buffer()[0]->tag = bare.get();
    EXPECT_EQ(m_kit.LoadCabCData(1), 0);
    EXPECT_EQ(m_kit.GetCabCount(), 3);
}

TEST_F(CabinetsTest, OrderMovesOnABCD) {
    EXPECT_EQ(m_kit.MoveCab(1, 2, 2), 0);
    EXPECT_EQ(m_kit.MoveCab(1, 2, 3), 0);
    EXPECT_EQ(OpsAfterInit(), std::vector<int>{});

    EXPECT_EQ(m_kit.MoveCab(1, 0, 2), 0);
    EXPECT_EQ(Listed(0x3011), (std::vector<int32_t>{B, A, C, D}));
    EXPECT_EQ(engine().LastCall(kOpModifyTip)->args[2].value, 905);  // the tip that was loaded

    // Each move below starts again from A B C D.
    const struct {
        int from, to;
        std::vector<int32_t> shown;
    } moves[] = {{2, 0, {C, A, B, D}}, {1, -1, {A, C, D, B}}};
    for (const auto& move : moves) {
        Serve(0x3011, ControlTip{4, 0, {A, B, C, D}, {0, 1, 2, 3}});
        EXPECT_EQ(m_kit.MoveCab(1, move.from, move.to), 0);
        EXPECT_EQ(Listed(0x3011), move.shown) << move.from << " before " << move.to;
    }

    EXPECT_EQ(m_kit.MoveCab(1, 0, 4), VARO_ERR_RANGE);
    EXPECT_EQ(m_kit.MoveCab(1, -1, 2), VARO_ERR_RANGE);
    // The largest index is out of range, not a no-op by a wrapped step.
    EXPECT_EQ(m_kit.MoveCab(1, INT32_MAX, INT32_MIN), VARO_ERR_RANGE);
}

TEST_F(CabinetsTest, NewCabinetsGoLastIntoTheLowestFreeSlot) {
    Serve(0x3011, ControlTip{3, 0, {A, 0, C, D}, {0, 3, 2}});
    engine().HandOutI4(kOpFukuroCreate, 1, 0x4010);
    long cab = 0;
    EXPECT_EQ(m_kit.PutCab(1, "new", &cab), 0);
    EXPECT_EQ(cab, 0x4010);
    const ControlTip& written = m_written[0x3011];
    EXPECT_EQ(written.count, 4);
    EXPECT_EQ(written.ids[1], 0x4010);
    EXPECT_EQ(written.order[3], 1);
    EXPECT_EQ(Listed(0x3011), (std::vector<int32_t>{A, D, C, 0x4010}));
    // The new cabinet gets an empty folder control tip.
    const ControlTip& folders = m_written[0x4010];
    EXPECT_EQ(folders.count, 0);
    EXPECT_EQ(folders.ids.size(), 100u);
    EXPECT_EQ(folders.order[99], -1);
    EXPECT_EQ(m_kit.GetKFlCount(), 0);

    ControlTip full{40, 0, {}, {}};
    for (int i = 0; i < 40; ++i) {
        full.ids.push_back(0x5000 + i);
        full.order.push_back(i);
    }
    Serve(0x3011, full);
    engine().calls.clear();
    EXPECT_EQ(m_kit.PutCab(1, "one too many", &cab), VARO_ERR_TABLE_FULL);
    EXPECT_EQ(engine().CallsOf(kOpFukuroCreate), 0);
}

TEST_F(CabinetsTest, DeletingKeepsTheDisplayPositionInside) {
    Serve(0x3011, ControlTip{4, 3, {A, B, C, D}, {0, 1, 2, 3}});
    EXPECT_EQ(m_kit.DelCab(1, 3), 0);
    EXPECT_EQ(m_written[0x3011].count, 3);
    EXPECT_EQ(m_written[0x3011].position, 2);
    EXPECT_EQ(m_written[0x3011].ids[3], 0);
    EXPECT_EQ(m_written[0x3011].order[3], -1);
    EXPECT_EQ(engine().CallsOf(kOpFukuroDelete), 0);

    Serve(0x3011, ControlTip{1, 0, {A}, {0}});
    EXPECT_EQ(m_kit.DelCab(1, 0), 0);
    EXPECT_EQ(m_written[0x3011].count, 0);
    EXPECT_EQ(m_written[0x3011].position, 0);
    EXPECT_EQ(m_kit.DelCab(1, 0), VARO_ERR_RANGE);
}

// A damaged count far beyond the tables is walked no further than their 40
// entries, leaving what a walk of the whole count would have left.
TEST_F(CabinetsTest, AHugeDamagedCountIsWalkedOnlyWithinTheTables) {
    const ControlTip damaged{INT32_MAX, 0, {A, B, C, D}, {0, 1, 2, 3}};
    Serve(0x3011, damaged);
    EXPECT_EQ(m_kit.DelCab(1, 0), 0);
    EXPECT_EQ(m_written[0x3011].count, INT32_MAX - 1);
    EXPECT_EQ(m_written[0x3011].ids[0], 0);
    EXPECT_EQ(WrittenOrder(3), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(m_written[0x3011].order[39], -1);

    Serve(0x3011, damaged);
    EXPECT_EQ(m_kit.MoveCab(1, 0, -1), 0);
    EXPECT_EQ(m_written[0x3011].order[0], 1);

    Serve(0x3011, damaged);
    EXPECT_EQ(m_kit.MoveCab(1, INT32_MAX - 1, 0), 0);
    EXPECT_EQ(WrittenOrder(5), (std::vector<int32_t>{-1, 0, 1, 2, 3}));
}

TEST_F(CabinetsTest, FoldersNeedTheCabinetsLoadedFirst) {
    CVAROObj fresh;
    ASSERT_EQ(fresh.Init(nullptr), 1);
    EXPECT_EQ(fresh.LoadKFlCData(1, 0), VARO_ERR_NOT_LOADED);
    EXPECT_EQ(fresh.ModifyKFlCData(1, 0), VARO_ERR_NOT_LOADED);
    ASSERT_EQ(m_kit.LoadCabCData(1), 0);
    EXPECT_EQ(m_kit.LoadKFlCData(1, 40), VARO_ERR_RANGE);
    EXPECT_EQ(m_kit.LoadKFlCData(1, 0), VARO_ERR_NO_CONTROL_TIP);  // cabinet A has none yet
    EXPECT_EQ(m_kit.ModifyCabCData(2), VARO_ERR_OTHER_DATABASE);
}

TEST_F(CabinetsTest, MovingAFolderBetweenCabinets) {
    Serve(A, ControlTip{2, 1, {0x6001, 0x6002}, {0, 1}});
    Serve(B, ControlTip{1, 0, {0x6003}, {0}});
    long folder = 0;
    EXPECT_EQ(m_kit.MoveKFl(1, 0, 1, 1, 0, &folder), 0);
    EXPECT_EQ(folder, 0x6002);
    EXPECT_EQ(m_written[A].count, 1);
    EXPECT_EQ(m_written[A].position, 0);
    const ControlTip& target = m_written[B];
    ASSERT_EQ(target.count, 2);
    EXPECT_EQ(target.ids[target.order[0]], 0x6002);  // moved before the first folder
    EXPECT_EQ(target.ids[target.order[1]], 0x6003);

    EXPECT_EQ(m_kit.MoveKFl(1, 0, 0, 9, 0, &folder), VARO_ERR_RANGE);
    EXPECT_EQ(m_kit.DelKFl(1, 7, 0), VARO_ERR_RANGE);
    EXPECT_EQ(m_kit.DelKFl(1, 1, 5), VARO_ERR_RANGE);
    EXPECT_EQ(m_kit.DelKFl(1, 1, 1), 0);
    EXPECT_EQ(m_written[B].count, 1);
}

// A move that cannot finish changes nothing: the folder is never left in no
// cabinet.
TEST_F(CabinetsTest, AFolderMoveThatCannotFinishLeavesTheFolderListed) {
    const int kFolders = 100;
    std::vector<int32_t> full(kFolders), order(kFolders);
    for (int i = 0; i < kFolders; ++i) {
        full[i] = 0x7000 + i;
        order[i] = i;
    }
    Serve(A, ControlTip{2, 0, {0x6001, 0x6002}, {0, 1}});
    Serve(B, ControlTip{kFolders, 0, full, order});
    Serve(C, ControlTip{1, 0, {0x6003}, {0}});
    long folder = 0;
    EXPECT_EQ(m_kit.MoveKFl(1, 0, 1, 1, 0, &folder), VARO_ERR_TABLE_FULL);
    EXPECT_EQ(m_written.count(A), 0u);

    m_refused = {C};  // the new cabinet's list cannot be written
    EXPECT_EQ(m_kit.MoveKFl(1, 0, 1, 2, 0, &folder), 2003);
    EXPECT_EQ(m_written.count(A), 0u);

    m_refused = {A};  // the old cabinet's list cannot be written
    EXPECT_EQ(m_kit.MoveKFl(1, 0, 1, 2, 0, &folder), 2003);
    EXPECT_EQ(Listed(A), (std::vector<int32_t>{0x6001, 0x6002}));
    EXPECT_EQ(Listed(C), (std::vector<int32_t>{0x6003}));

    m_refused.clear();
    EXPECT_EQ(m_kit.MoveKFl(1, 0, 5, 2, 0, &folder), VARO_ERR_RANGE);
    EXPECT_EQ(Listed(C), (std::vector<int32_t>{0x6003}));
}

// Making a database replaces the kit's cabinet tables with its own; a
// write meant for the database loaded before must not store them there.
TEST_F(CabinetsTest, CabinetTablesOfANewDatabaseAreNotWrittenIntoAnother) {
    engine().HandOutI4(kOpCreate, 1, 12);
    ASSERT_EQ(m_kit.LoadCabCData(1), 0);
    long created = 0;
    ASSERT_EQ(m_kit.Create("second", &created), 0);
    ASSERT_EQ(created, 12);
    m_written.clear();
    EXPECT_EQ(m_kit.ModifyCabCData(1), VARO_ERR_OTHER_DATABASE);
    EXPECT_TRUE(m_written.empty());
}

TEST_F(CabinetsTest, DisplayPositionIsClampedToTheCount) {
    ASSERT_EQ(m_kit.LoadCabCData(1), 0);
    EXPECT_EQ(m_kit.SetCabDspP(10), 1);
    EXPECT_EQ(m_kit.GetCabDspP(), 3);
    EXPECT_EQ(m_kit.SetKFlDspP(-4), 1);
    EXPECT_EQ(m_kit.GetKFlDspP(), 0);
}

}  // namespace

#include <cstring>
#include <string>

#include "KitTestAccess.h"
#include "StoredTip.h"
#include "../kit/KitTestSupport.h"

using namespace varo;

namespace {

class TipIOTest : public KitTest {
protected:
    // A stored tip of `kind` prepared through the kit's own setters.
    template <class Fill>
    StoredTip MakeStored(unsigned short kind, Fill fill) {
        m_kit.SetTipID(0);
        m_kit.SetTipFlag(kind);
        fill();
        return StoredTip::FromRecord();
    }

    // The engine hands out `tip` from GetTip and expects it back.
    void ServeTip(StoredTip& tip) {
        engine().OnCall(kOpGetTip, [this, &tip](const EngineArg* args, int) {
            m_handedOut = tip.Buffer();
            *args[3].addressOut = m_handedOut;
            return 0;
        });
    }

    void* m_handedOut = nullptr;

    std::string Slot(int i) {
        const TIPFIELD* f = CTipRecord::Global().GetSlot(i);
        return f && f->data ? std::string(reinterpret_cast<char*>(f->data), f->length) : std::string();
    }
};

TEST_F(TipIOTest, GetTipLoadsReleasesAndRefreshesTheReadOnlyFlag) {
    StoredTip stored = MakeStored(0x300, [this] { m_kit.SetMemo("stored memo"); });
    m_kit.SetTipFlag(0x501);
    ServeTip(stored);
    engine().Answer(kOpIsReadOnly, {1});
    EXPECT_EQ(m_kit.GetTip(3, 0x300C, 41), 0);
    EXPECT_EQ(OpsAfterInit(), (std::vector<int>{kOpGetTip, kOpReleaseTip, kOpIsReadOnly}));
    EXPECT_EQ(engine().LastCall(kOpReleaseTip)->args[1].pointer, m_handedOut);
    unsigned short kind = 0;
    m_kit.GetTipFlag(&kind);
    EXPECT_EQ(kind, 0x300);
    EXPECT_EQ(TipId(), 41);
    EXPECT_EQ(m_kit.SetMemo("x"), 0);  // the engine said read-only

    // Failures leave the record and stop at once.
    engine().calls.clear();
    engine().Answer(kOpGetTip, {2006});
    EXPECT_EQ(m_kit.GetTip(3, 0, 99), 2006);
    EXPECT_EQ(TipId(), 41);
    engine().Answer(kOpReleaseTip, {2008});
    EXPECT_EQ(m_kit.GetTip(3, 0, 42), 2008);
    EXPECT_EQ(engine().CallsOf(kOpIsReadOnly), 0);
}

TEST_F(TipIOTest, ReadTipWalksAndStopsAtTheEnd) {
    StoredTip stored = MakeStored(0x300, [this] { m_kit.SetMemo("first"); });
    engine().OnCall(kOpReadTip, [&stored](const EngineArg* args, int) {
        EXPECT_EQ(args[2].i4, 1);
        *args[3].i4Out = 7;
        *args[4].addressOut = stored.Buffer();
        return 0;
    });
    m_kit.SetTipID(5);
    EXPECT_EQ(m_kit.ReadTip(1, 0x300C, 1), 0);
    EXPECT_EQ(TipId(), 7);
    EXPECT_EQ(engine().CallsOf(kOpIsReadOnly), 0);

    engine().OnCall(kOpReadTip, [](const EngineArg*, int) { return 0; });
    EXPECT_EQ(m_kit.ReadTip(1, 0x300C, 1), 0);
    EXPECT_EQ(TipId(), 0);
    CString memo;
    EXPECT_EQ(m_kit.GetMemo(memo), 1);  // the record's contents stay
    EXPECT_EQ(memo, "first");
}

TEST_F(TipIOTest, PutTipOfANewTipStampsItsEntryDayAndHandsBackTheId) {
    m_kit.SetTipID(0);
    m_kit.SetTipFlag(0x300);
    const std::string initialEntryDay = Slot(2);
    engine().OnCall(kOpPutTip, [](const EngineArg* args, int) {
        EXPECT_EQ(*args[2].i4Out, 0);
        *args[2].i4Out = 321;
        return 0;
    });
    long tip = -1;
    EXPECT_EQ(m_kit.PutTip(2, 0x300C, &tip), 0);
    EXPECT_EQ(tip, 321);
    EXPECT_NE(Slot(2), initialEntryDay);
    EXPECT_EQ(Slot(2).size(), 15u);  // 14 digits and the terminator
    EXPECT_EQ(TipId(), 0);           // the record keeps its own id

    m_kit.SetTipFlag(0x300);
    const std::string before = Slot(2);
    EXPECT_EQ(m_kit.PutTipNoEntryDay(2, 0x300C, &tip), 0);
    EXPECT_EQ(Slot(2), before);
    EXPECT_EQ(engine().CallsOf(kOpGetTip), 0);
}

TEST_F(TipIOTest, ChangedStoredTipGivesConflictThenTheSecondPutWrites) {
    StoredTip stored = MakeStored(0x300, [] {});
    stored.Set("LMTM", std::string("19990101000000\0", 15));
    ServeTip(stored);
    ASSERT_EQ(m_kit.GetTip(1, 0x300C, 9), 0);
    stored.Set("LMTM", std::string("19990101000001\0", 15));  // another writer stored it
    engine().calls.clear();
    long tip = 0;
    EXPECT_EQ(m_kit.PutTip(1, 0x300C, &tip), VARO_ERR_CHANGED);
    EXPECT_EQ(engine().Ops(), (std::vector<int>{kOpGetTip, kOpReleaseTip}));
    EXPECT_EQ(m_kit.PutTip(1, 0x300C, &tip), 0);
    EXPECT_EQ(engine().CallsOf(kOpPutTip), 1);
    EXPECT_EQ(tip, 9);
    EXPECT_EQ(engine().LastCall(kOpPutTip)->args[1].value, 0x300C);
}

TEST_F(TipIOTest, CopyTipRefusesKindsWithoutAHome) {
    for (unsigned short kind : {0x203, 0x204, 0x800, 0x900, 0xF00}) {
        StoredTip stored = MakeStored(kind, [] {});
        ServeTip(stored);
        long newTip = 55;
        EXPECT_EQ(m_kit.CopyTip(2, &newTip, 1, 8), VARO_ERR_NOT_COPYABLE) << std::hex << kind;
        EXPECT_EQ(newTip, 0);
    }
    EXPECT_EQ(engine().CallsOf(kOpPutTip), 0);
}

TEST_F(TipIOTest, CopyTipOfACardDropsCategoriesAndLinks) {
    StoredTip stored = MakeStored(0x402, [this] {
        m_kit.SetCategory1(5);
        m_kit.SetCategory3(7);
        CSelectTips links = Tips({3});
        m_kit.SetLinkData(links);
    });
    ServeTip(stored);
    engine().HandOutI4(kOpPutTip, 2, 77);
    long newTip = 0;
    EXPECT_EQ(m_kit.CopyTip(2, &newTip, 1, 8), 0);
    EXPECT_EQ(newTip, 77);
    EXPECT_EQ(OpsAfterInit(), (std::vector<int>{kOpGetTip, kOpReleaseTip, kOpIsReadOnly, kOpGetTip, kOpReleaseTip,
                                                kOpIsReadOnly, kOpFukuroLockOpen, kOpIsReadOnly, kOpPutTip,
                                                kOpFukuroClose}));
    EXPECT_EQ(engine().calls[1].args[1].value, 0);        // found by id alone first
    EXPECT_EQ(engine().calls[4].args[1].value, 0x300A);  // then through its home
    EXPECT_EQ(engine().LastCall(kOpPutTip)->args[0].value, 2);
    int category = -1;
    m_kit.GetCategory1(&category);
    EXPECT_EQ(category, 0);
    CSelectTips links;
    EXPECT_EQ(m_kit.GetLinkData(links), 1);
    EXPECT_EQ(links.GetSize(), 0);
    EXPECT_EQ(TipId(), 77);
}

TEST_F(TipIOTest, CopyTipFilesSchedulesWithTheAlarmOnInTheAlarmFukuro) {
    for (int alarm : {1, 0}) {
        StoredTip stored = MakeStored(0x201, [this, alarm] { m_kit.SetAlarm(alarm); });
        ServeTip(stored);
        engine().calls.clear();
        long newTip = 0;
        EXPECT_EQ(m_kit.CopyTip(2, &newTip, 1, 8), 0);
        EXPECT_EQ(engine().CallsOf(kOpPutTipToFukuro), alarm);
        if (alarm) {
            EXPECT_EQ(engine().LastCall(kOpPutTipToFukuro)->args[1].value, 0x3016);
        }
    }
    // A failing put of the copy closes the home fukuro and reports the put.
    StoredTip stored = MakeStored(0x300, [] {});
    ServeTip(stored);
    engine().calls.clear();
    engine().Answer(kOpPutTip, {2007});
    long newTip = 0;
    EXPECT_EQ(m_kit.CopyTip(2, &newTip, 1, 8), 2007);
    EXPECT_EQ(engine().CallsOf(kOpFukuroClose), 1);
    EXPECT_EQ(newTip, 0);
}

}  // namespace

#include <cstring>

#include "StoredTip.h"
#include "../kit/KitTestSupport.h"

using namespace varo;

namespace {

class FukuroOpsTest : public KitTest {};

TEST_F(FukuroOpsTest, OpeningRefreshesTheReadOnlyFlagWhateverTheResult) {
    engine().Answer(kOpFukuroLockOpen, {2003});
    engine().Answer(kOpIsReadOnly, {1, 0});
    EXPECT_EQ(m_kit.FukuroLockOpen(1, 0x300C), 2003);
    m_kit.SetTipID(0);
    m_kit.SetTipFlag(0x300);
    EXPECT_EQ(m_kit.SetMemo("m"), 0);
    EXPECT_EQ(m_kit.FukuroOpen(1, 0x300C), 0);
    EXPECT_EQ(m_kit.SetMemo("m"), 1);
    EXPECT_EQ(OpsAfterInit(), (std::vector<int>{kOpFukuroLockOpen, kOpIsReadOnly, kOpFukuroOpen, kOpIsReadOnly}));
}

TEST_F(FukuroOpsTest, TipListsAskForTheCountFirst) {
    CSelectTips list = Tips({9});
    EXPECT_EQ(m_kit.GetTipList(1, 0x3008, list), 0);
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_EQ(engine().CallsOf(kOpGetTipList), 1);

    engine().OnCall(kOpGetTipList, [](const EngineArg* args, int) {
        if (!args[2].buffer) { *args[3].i4Out = 3; return 0; }
        EXPECT_EQ(*args[3].i4Out, 3);
        unsigned char* out = static_cast<unsigned char*>(args[2].buffer);
        out[0] = 4;
        out[4] = 5;  // the third id is 0: the list stops there
        return 0;
    });
    EXPECT_EQ(m_kit.GetTipList(1, 0x3008, list), 0);
    EXPECT_EQ(IdsOf(list), (std::vector<DWORD>{4, 5}));
    engine().Answer(kOpGetTipList, {2002});
    EXPECT_EQ(m_kit.GetTipList(1, 0x3008, list), 2002);
    EXPECT_EQ(list.GetSize(), 0);
}

TEST_F(FukuroOpsTest, IdListsCrossAsTerminatedBlocks) {
    engine().OnCall(kOpPutTipToFukuro, [](const EngineArg* args, int) {
        EXPECT_EQ(IdsAt(args[2].buffer, 3), (std::vector<uint32_t>{3, 0x01000002, 0}));
        return 0;
    });
    CSelectTips tips = Tips({3, 0x01000002}), none;
    EXPECT_EQ(m_kit.PutTipToFukuro(1, 0x3016, tips), 0);
    engine().OnCall(kOpUndoTip, [](const EngineArg* args, int) {
        EXPECT_EQ(IdsAt(args[1].buffer, 1), std::vector<uint32_t>{0});
        return 2006;
    });
    EXPECT_EQ(m_kit.UndoTip(1, none), 2006);
}

TEST_F(FukuroOpsTest, SortConditionsAreCopiedWhole) {
    EXPECT_EQ(m_kit.FukuroSort(1, 0x300C, nullptr), VARO_ERR_BAD_SORT);
    EXPECT_EQ(engine().CallsOf(kOpFukuroSort), 0);
    SortCnd cnd;
    std::memset(&cnd, 0xCD, sizeof cnd);
    engine().OnCall(kOpFukuroSort, [&cnd](const EngineArg* args, int) {
        EXPECT_EQ(std::memcmp(args[2].buffer, &cnd, sizeof cnd), 0);
        return 0;
    });
    EXPECT_EQ(m_kit.FukuroSort(1, 0x300C, &cnd), 0);

    engine().OnCall(kOpGetFukuroSortCnd, [](const EngineArg* args, int) {
        std::memset(args[2].buffer, 0xAB, sizeof(SortCnd));
        return 0;
    });
    std::memset(&cnd, 0, sizeof cnd);
    EXPECT_EQ(m_kit.GetFukuroSortCnd(1, 0x300C, &cnd), 0);
    EXPECT_EQ(cnd.count, 0xAB);
    EXPECT_EQ(cnd.keys[3].reserved, 0xAB);
}

TEST_F(FukuroOpsTest, FukuroListsAndNames) {
    static const uint32_t kList[] = {0x3000, 0x4001, 0};
    engine().OnCall(kOpGetAllFukuroID, [](const EngineArg* args, int) {
        *args[1].addressOut = const_cast<uint32_t*>(kList);
        return 0;
    });
    CDWordArray ids;
    ids.Add(1);
    EXPECT_EQ(m_kit.GetAllFukuroID(1, ids), 0);
    ASSERT_EQ(ids.GetSize(), 3);
    EXPECT_EQ(ids[2], 0x4001u);
    engine().Answer(kOpGetAllFukuroID, {2001});
    EXPECT_EQ(m_kit.GetAllFukuroID(1, ids), 2001);
    EXPECT_EQ(ids.GetSize(), 3);

    // Operations with a code result hand out texts on 0.
    engine().HandOutText(kOpGetFukuroName, 2, u"\u4e88\u5b9a" /* 予定 */, 0);
    CString name;
    EXPECT_EQ(m_kit.GetFukuroName(1, 0x3005, name), 0);
    EXPECT_EQ(name, "\x97\x5c\x92\xe8" /* 予定 */);
    engine().HandOutI4(kOpFukuroCreate, 1, 0x4002);
    long fukuro = 0;
    EXPECT_EQ(m_kit.FukuroCreate(1, &fukuro, "new", 3), 0);
    EXPECT_EQ(fukuro, 0x4002);
    EXPECT_EQ(engine().LastCall(kOpFukuroCreate)->args[3].value, 3);
}

TEST(SelectTipsTest, UnSelectRemovesOnlyTheFirstMatch) {
    CSelectTips tips = Tips({4, 7, 4});
    EXPECT_EQ(tips.UnSelectTipID(4), 1);
    EXPECT_EQ(IdsOf(tips), (std::vector<DWORD>{7, 4}));
    EXPECT_EQ(tips.UnSelectTipID(9), 0);
}

}  // namespace

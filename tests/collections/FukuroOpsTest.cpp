#include <cstring>

#include "../kit/KitTestSupport.h"

using namespace varo;

namespace {

class FukuroOpsTest : public KitTest {};

std::vector<uint32_t> IdsAt(const void* block, int count) {
    std::vector<uint32_t> ids;
    const unsigned char* p = static_cast<const unsigned char*>(block);
    for (int i = 0; i < count; ++i, p += 4) ids.push_back(p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24);
    return ids;
}

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
    CSelectTips list;
    list.Add(9);
    EXPECT_EQ(m_kit.GetTipList(1, 0x3008, list), 0);
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_EQ(engine().CallsOf(kOpGetTipList), 1);

    engine().OnCall(kOpGetTipList, [](const EngineArg* args, int) {
        if (!args[2].buffer) {
            *args[3].i4Out = 3;
            return 0;
        }
        EXPECT_EQ(*args[3].i4Out, 3);
        unsigned char* out = static_cast<unsigned char*>(args[2].buffer);
        out[0] = 4;
        out[4] = 5;  // the third id is 0: the list stops there
        return 0;
    });
    EXPECT_EQ(m_kit.GetTipList(1, 0x3008, list), 0);
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list[1], 5u);
    engine().Answer(kOpGetTipList, {2002});
    EXPECT_EQ(m_kit.GetTipList(1, 0x3008, list), 2002);
    EXPECT_EQ(list.GetSize(), 0);
}

TEST_F(FukuroOpsTest, IdListsCrossAsTerminatedBlocks) {
    CSelectTips tips;
    tips.Add(3);
    tips.Add(0x01000002);
    engine().OnCall(kOpPutTipToFukuro, [](const EngineArg* args, int) {
        EXPECT_EQ(IdsAt(args[2].buffer, 3), (std::vector<uint32_t>{3, 0x01000002, 0}));
        return 0;
    });
    EXPECT_EQ(m_kit.PutTipToFukuro(1, 0x3016, tips), 0);
    CSelectTips none;
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
    std::memset(&cnd, 0, sizeof cnd);
    cnd.count = 1;
    std::memcpy(cnd.keys[0].tag, "LTDY", 4);
    cnd.keys[0].descending = 1;
    engine().OnCall(kOpFukuroSort, [](const EngineArg* args, int) {
        const unsigned char* b = static_cast<const unsigned char*>(args[2].buffer);
        EXPECT_EQ(b[0], 1);
        EXPECT_EQ(std::memcmp(b + 1, "LTDY", 4), 0);
        EXPECT_EQ(b[5], 1);
        return 0;
    });
    EXPECT_EQ(m_kit.FukuroSort(1, 0x300C, &cnd), 0);

    engine().OnCall(kOpGetFukuroSortCnd, [](const EngineArg* args, int) {
        std::memset(args[2].buffer, 0xAB, 29);
        return 0;
    });
    SortCnd out;
    std::memset(&out, 0, sizeof out);
    EXPECT_EQ(m_kit.GetFukuroSortCnd(1, 0x300C, &out), 0);
    EXPECT_EQ(out.count, 0xAB);
    EXPECT_EQ(out.keys[3].reserved, 0xAB);
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
    CSelectTips tips;
    EXPECT_EQ(tips.UnSelectTipID(1), 0);
    tips.Add(4);
    tips.Add(7);
    tips.Add(4);
    EXPECT_EQ(tips.UnSelectTipID(4), 1);
    ASSERT_EQ(tips.GetSize(), 2);
    EXPECT_EQ(tips[0], 7u);
    EXPECT_EQ(tips[1], 4u);
    EXPECT_EQ(tips.UnSelectTipID(9), 0);
}

}  // namespace

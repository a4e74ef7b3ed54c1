#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "KitTestSupport.h"

using namespace varo;

namespace {

std::vector<UINT> OwnNumbers() {
    return {WM_ON_ADVISEDATA, WM_ON_ADVISEDBNAME, WM_ON_ADVISEDBCOLOR, WM_ON_ADVISECATEGORY,
            WM_ON_ADVISEFREE};
}

std::vector<UINT> NumbersOfAnotherProcess() {
    std::vector<UINT> numbers;
    FILE* probe = popen(VARO_MESSAGE_PROBE, "r");
    if (!probe) return numbers;
    unsigned value = 0;
    while (std::fscanf(probe, "%u", &value) == 1) numbers.push_back(value);
    pclose(probe);
    return numbers;
}

TEST(MessageNumbersTest, AreDistinctRegisteredNumbersSharedByEveryProcess) {
    const std::vector<UINT> own = OwnNumbers();
    EXPECT_EQ(std::set<UINT>(own.begin(), own.end()).size(), 5u);
    for (UINT n : own) {
        EXPECT_GE(n, 0xC000u);
        EXPECT_LE(n, 0xFFFFu);
    }
    EXPECT_EQ(NumbersOfAnotherProcess(), own);
}

class NotificationsTest : public KitTest {};

TEST_F(NotificationsTest, WatchListsCrossAsFlatItems) {
    CChkItemList list;
    engine().OnCall(kOpSetAdviseData, [](const EngineArg* args, int) {
        const WatchList* watch = static_cast<const WatchList*>(args[0].buffer);
        EXPECT_NE(watch, nullptr);
        return watch ? 100 + watch->count : -1;
    });
    EXPECT_EQ(m_kit.SetAdviseData(&list), 100);  // an empty list still reaches the engine

    CChkItem a(1, 0x300C, 0), b(1, 0, 77);
    list.Add(&a);
    list.Add(&b);
    engine().OnCall(kOpDelAdviseData, [](const EngineArg* args, int) {
        const WatchList* watch = static_cast<const WatchList*>(args[0].buffer);
        EXPECT_EQ(watch->count, 2);
        EXPECT_EQ(watch->items[0].fukuro, 0x300C);
        EXPECT_EQ(watch->items[1].tip, 77);
        return 2003;
    });
    EXPECT_EQ(m_kit.DelAdviseData(&list), 2003);

    engine().Answer(kOpSetAdviseCategory, {2009});
    EXPECT_EQ(m_kit.SetAdviseCategory(), 2009);
    EXPECT_EQ(m_kit.DelAdviseCategory(), 0);
    EXPECT_EQ(m_kit.SetAdviseFree(), 0);
    EXPECT_EQ(m_kit.DelAdviseFree(), 0);
    EXPECT_EQ(m_kit.BeginAdviseData(), 0);
    const long notice = 0x123456789AL;  // notice handles are pointer-sized
    m_kit.FreeAdviseData(notice);
    EXPECT_EQ(engine().LastCall(kOpFreeAdviseData)->args[0].pointer, reinterpret_cast<void*>(notice));
    EXPECT_EQ(OpsAfterInit(),
              (std::vector<int>{kOpSetAdviseData, kOpDelAdviseData, kOpSetAdviseCategory, kOpDelAdviseCategory,
                                kOpSetAdviseFree, kOpDelAdviseFree, kOpBeginAdviseData, kOpFreeAdviseData}));
}

}  // namespace

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "KitTestSupport.h"

using namespace varo;

namespace {

// The numbers kit_message_probe prints: those of another process.
std::vector<UINT> NumbersOfAnotherProcess() {
    std::vector<UINT> numbers;
    FILE* probe = popen(VARO_MESSAGE_PROBE, "r");
    for (unsigned value = 0; probe && std::fscanf(probe, "%u", &value) == 1;) numbers.push_back(value);
    if (probe) pclose(probe);
    return numbers;
}

TEST(MessageNumbersTest, AreDistinctRegisteredNumbersSharedByEveryProcess) {
    const std::vector<UINT> own = {WM_ON_ADVISEDATA, WM_ON_ADVISEDBNAME, WM_ON_ADVISEDBCOLOR, WM_ON_ADVISECATEGORY,
                                   WM_ON_ADVISEFREE};
    EXPECT_EQ(std::set<UINT>(own.begin(), own.end()).size(), 5u);
    for (UINT n : own) EXPECT_TRUE(n >= 0xC000u && n <= 0xFFFFu) << n;
    EXPECT_EQ(NumbersOfAnotherProcess(), own);
}

class NotificationsTest : public KitTest {};

TEST_F(NotificationsTest, WatchListsCrossAsFlatItems) {
    CChkItemList list;
    engine().OnCall(kOpSetAdviseData, [](const EngineArg* args, int) {
        const WatchList* watch = static_cast<const WatchList*>(args[0].buffer);
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
    m_kit.SetAdviseCategory();
    m_kit.DelAdviseCategory();
    m_kit.SetAdviseFree();
    m_kit.DelAdviseFree();
    m_kit.BeginAdviseData();
    const long notice = 0x123456789AL;  // notice handles are pointer-sized
    m_kit.FreeAdviseData(notice);
    EXPECT_EQ(engine().LastCall(kOpFreeAdviseData)->args[0].pointer, reinterpret_cast<void*>(notice));
    EXPECT_EQ(OpsAfterInit(),
              (std::vector<int>{kOpSetAdviseData, kOpDelAdviseData, kOpSetAdviseCategory, kOpDelAdviseCategory,
                                kOpSetAdviseFree, kOpDelAdviseFree, kOpBeginAdviseData, kOpFreeAdviseData}));
}

}  // namespace

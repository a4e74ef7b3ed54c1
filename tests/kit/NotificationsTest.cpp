#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "KitTestSupport.h"

using namespace varo;

namespace {

// The probe program linked with the static library and the one linked with
// the shared library: each must see the kit set up before its own static
// initialisers run.
const char* const kProbes[] = {VARO_MESSAGE_PROBE, VARO_SHARED_MESSAGE_PROBE};

// What a message probe printed, run with `environment` before it: the five
// numbers as its static initialisers read them, then the year of a date its
// static initialiser built.
std::vector<unsigned> ProbeOutput(const char* program, const std::string& environment = "") {
    std::vector<unsigned> numbers;
    FILE* probe = popen((environment + " " + program).c_str(), "r");
    for (unsigned value = 0; probe && std::fscanf(probe, "%u", &value) == 1;) numbers.push_back(value);
    if (probe) pclose(probe);
    return numbers;
}

TEST(MessageNumbersTest, AreDistinctRegisteredNumbersSharedByEveryProcessFromItsStart) {
    const std::vector<unsigned> own = {WM_ON_ADVISEDATA, WM_ON_ADVISEDBNAME, WM_ON_ADVISEDBCOLOR,
                                       WM_ON_ADVISECATEGORY, WM_ON_ADVISEFREE};
    EXPECT_EQ(std::set<unsigned>(own.begin(), own.end()).size(), 5u);
    for (unsigned n : own) EXPECT_TRUE(n >= 0xC000u && n <= 0xFFFFu) << n;
    std::vector<unsigned> expected = own;
    expected.push_back(2027);
    for (const char* probe : kProbes) EXPECT_EQ(ProbeOutput(probe), expected) << probe;
}

// A runtime folder that cannot be used is passed over for the temporary
// folder, as when none is set: the same numbers either way, never 0.
TEST(MessageNumbersTest, AnUnusableRuntimeFolderFallsBackToTheTemporaryFolder) {
    char unusable[] = "/tmp/varokit-not-a-folder-XXXXXX";
    const int file = mkstemp(unusable);
    ASSERT_GE(file, 0);
    close(file);
    const std::vector<unsigned> fallback = ProbeOutput(kProbes[0], "XDG_RUNTIME_DIR=" + std::string(unusable));
    const std::vector<unsigned> sharedFallback = ProbeOutput(kProbes[1], "XDG_RUNTIME_DIR=" + std::string(unusable));
    unlink(unusable);
    ASSERT_EQ(fallback.size(), 6u);
    for (size_t i = 0; i < 5; ++i) EXPECT_TRUE(fallback[i] >= 0xC000u && fallback[i] <= 0xFFFFu) << fallback[i];
    EXPECT_EQ(sharedFallback, fallback);
    EXPECT_EQ(ProbeOutput(kProbes[0], "env -u XDG_RUNTIME_DIR"), fallback);
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

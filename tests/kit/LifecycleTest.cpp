#include <climits>
#include <functional>
#include <string>

#include "EngineCodes.h"
#include "KitTestSupport.h"
#include "Window.h"

using namespace varo;

namespace {

TEST(LifecycleTest, InitCreatesTheEngineAndNamesTheOwnerWindow) {
    FakeEngineFactory factory;
    CVAROObj kit;
    EXPECT_EQ(kit.Init(nullptr), 1);
    ASSERT_EQ(factory.engine().Ops(), std::vector<int>{kOpInit});
    EXPECT_EQ(factory.engine().calls[0].args[0].pointer, nullptr);
    EXPECT_NE(factory.host, nullptr);
    EXPECT_EQ(kit.Init(nullptr), 0);  // already initialised
    EXPECT_EQ(kit.End(), 1);
    EXPECT_EQ(factory.destroyed, 1);
    EXPECT_EQ(kit.End(), 0);

    CWnd owner;
    ASSERT_TRUE(owner.Create(nullptr));
    EXPECT_EQ(kit.Init(&owner), 1);
    EXPECT_EQ(factory.engine().calls[0].args[0].pointer, owner.GetSafeHwnd());
}

// Codes answer kEngineNoEngine, booleans 0, and outputs stay as they were.
TEST(LifecycleTest, WithoutAnEngineNothingIsCalledAndNothingCrashes) {
    FakeEngineFactory factory;
    factory.failCreate = true;
    CVAROObj kit;
    EXPECT_EQ(kit.Init(nullptr), 0);
    CString text("keep");
    _VERSIONINF v = {1, 2, 3, 4, 5};
    EXPECT_EQ(kit.Open(1), kEngineNoEngine);
    EXPECT_EQ(kit.DBLock(1), 0);
    EXPECT_EQ(kit.GetSecretPasswd(1, text), kEngineNoEngine);
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(kit.GetDllVersionInfo(v), VARO_ERR_VERSION);
    EXPECT_EQ(v.dwKind, 1u);
    EXPECT_EQ(kit.SetAdviseData(nullptr), kEngineNoEngine);
    kit.FreeAdviseData(42);
    EXPECT_EQ(kit.End(), 0);
}

class DatabaseLifecycleTest : public KitTest {};

TEST_F(DatabaseLifecycleTest, DeleteModes) {
    const struct {
        int mode;
        int failing;  // the operation that answers `code`, or 0
        long code;
        std::vector<int> ops;
    } rows[] = {{3, 0, VARO_ERR_RANGE, {}}, {-1, 0, VARO_ERR_RANGE, {}}, {0, 0, 0, {kOpDelete}},
                {1, 0, 0, {kOpDeleteFiles}}, {2, kOpDeleteFiles, 2010, {kOpDeleteFiles}},
                {2, kOpDelete, 2001, {kOpDeleteFiles, kOpDelete}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        engine().calls.clear();
        if (row.failing) engine().Answer(row.failing, {static_cast<int32_t>(row.code)});
        EXPECT_EQ(m_kit.Delete(5, row.mode), row.code);
        EXPECT_EQ(engine().Ops(), row.ops);
    }
}

TEST_F(DatabaseLifecycleTest, ArgumentsCrossUnalteredOrAreRefused) {
    engine().Answer(kOpOpen, {2001});
    EXPECT_EQ(m_kit.Open(7), 2001);
    EXPECT_EQ(engine().LastCall(kOpOpen)->args[0].value, 7);
    EXPECT_EQ(m_kit.LockOpen(8), 0);
    EXPECT_EQ(m_kit.Close(9), 0);
    EXPECT_EQ(engine().LastCall(kOpClose)->args[0].value, 9);
    engine().HandOutI4(kOpCreate, 1, 42);
    long db = 0;
    EXPECT_EQ(m_kit.Create("x", &db), 0);
    EXPECT_EQ(db, 42);
    engine().calls.clear();

    // Ids are 32-bit; a 64-bit value is not cut short.
    EXPECT_EQ(m_kit.Open(long{INT32_MAX} + 1), kEngineBadArgument);
    EXPECT_EQ(m_kit.DBLock(long{INT32_MIN} - 1), 0);
    long huge = LONG_MAX;
    EXPECT_EQ(m_kit.SetDBColor(huge, 1), 0);
    // 0xEB40 is a device code that code page 932 conversion does not map.
    EXPECT_EQ(m_kit.Create("\xeb\x40", &db), kEngineBadArgument);
    EXPECT_EQ(m_kit.SetDBName(1, "a\x82"), 0);  // a lead byte without its trail
    EXPECT_EQ(engine().Ops(), std::vector<int>{});
    EXPECT_EQ(m_kit.SetDBColor(1, 0xFFFFFFFFul), 1);
    EXPECT_EQ(engine().LastCall(kOpSetDBColor)->args[1].value, -1);
    EXPECT_EQ(m_kit.SetDBColor(1, 0x100000000ul), 0);
}

// A long the engine only writes may hold anything before the call, as an
// uninitialised variable does; one the engine reads must still fit 32 bits.
TEST_F(DatabaseLifecycleTest, OutOnlyValuesMayHoldAnythingBeforeTheCall) {
    const struct {
        const char* name;
        int op;
        int arg;
        int32_t success;
        std::function<long(CVAROObj&, long*)> call;
    } rows[] = {
        {"Create", kOpCreate, 1, 0, [](CVAROObj& k, long* v) { return k.Create("x", v); }},
        {"GetDefaultDBID", kOpGetDefaultDBID, 0, 1, [](CVAROObj& k, long* v) { return k.GetDefaultDBID(v); }},
        {"SetDBID", kOpSetDBID, 1, 1, [](CVAROObj& k, long* v) { return k.SetDBID("/p", v); }},
        {"Get1DayView", kOpGet1DayView, 1, 1, [](CVAROObj& k, long* v) { return k.Get1DayView(1, v); }},
        {"Get1DayMode", kOpGet1DayMode, 1, 1, [](CVAROObj& k, long* v) { return k.Get1DayMode(1, v); }},
        {"GetPBMode", kOpGetPBMode, 1, 1, [](CVAROObj& k, long* v) { return k.GetPBMode(1, v); }},
        {"EstFileReadLong", kOpEstFileReadLong, 4, 1,
         [](CVAROObj& k, long* v) { return k.EstFileReadLong(1, "s", "k", 5, v); }},
        {"FukuroCreate", kOpFukuroCreate, 1, 0, [](CVAROObj& k, long* v) { return k.FukuroCreate(1, v, "f", 0); }},
        {"GetFukuroSize", kOpGetFukuroSize, 2, 0, [](CVAROObj& k, long* v) { return k.GetFukuroSize(1, 2, v); }},
        {"FukuroSeek", kOpFukuroSeek, 4, 0, [](CVAROObj& k, long* v) { return k.FukuroSeek(1, 2, 0, 0, v); }},
        {"DupTip", kOpDupTip, 2, 0, [](CVAROObj& k, long* v) { return k.DupTip(1, 2, v, 3); }},
    };
    for (const auto& row : rows) {
        for (long garbage : {LONG_MAX, LONG_MIN, long{INT32_MAX} + 1}) {
            SCOPED_TRACE(std::string(row.name) + " " + std::to_string(garbage));
            engine().HandOutI4(row.op, row.arg, 42, row.success);
            long value = garbage;
            EXPECT_EQ(row.call(m_kit, &value), row.success);
            EXPECT_EQ(value, 42);
        }
    }
}

TEST_F(DatabaseLifecycleTest, HandedOutTextsAreConvertedAndAlwaysReleased) {
    // A failing result hands nothing on, nor does a text without a code page
    // 932 form; the text is freed all the same.
    const struct {
        std::u16string text;
        int32_t result;
        const char* name;
    } rows[] = {{u"\u682a\u5f0f" /* 株式 */, 1, "\x8a\x94\x8e\xae"}, {u"x", 0, ""}, {u"\U0001F600", 1, ""}};
    for (const auto& row : rows) {
        engine().HandOutText(kOpGetDBName, 1, row.text, row.result);
        CString name("old");
        EXPECT_EQ(m_kit.GetDBName(3, name), row.name[0] ? 1 : 0);
        EXPECT_EQ(name, row.name);
    }
    EXPECT_EQ(engine().liveTexts, 0);
}

}  // namespace

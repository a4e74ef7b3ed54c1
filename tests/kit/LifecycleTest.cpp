#include <climits>

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
    EXPECT_EQ(factory.engine().calls[0].args[0].kind, ArgKind::Address);
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

TEST(LifecycleTest, WithoutAnEngineNothingIsCalledAndNothingCrashes) {
    FakeEngineFactory factory;
    factory.failCreate = true;
    CVAROObj kit;
    EXPECT_EQ(kit.Init(nullptr), 0);

    // Codes answer kEngineNoEngine, booleans 0; what a member hands out is
    // set as on any failure.
    long id = 5;
    CString text("keep");
    unsigned long colour = 7;
    CDWordArray ids;
    CPIMTime when(1998, 1, 1, 0, 0, 0);
    _VERSIONINF v = {1, 2, 3, 4, 5};
    EXPECT_EQ(kit.Open(1), kEngineNoEngine);
    EXPECT_EQ(kit.Create("x", &id), kEngineNoEngine);
    EXPECT_EQ(kit.DBLock(1), 0);
    EXPECT_EQ(kit.GetBackupDate(1, when), 0);
    EXPECT_EQ(when.GetYear(), 1998);
    EXPECT_EQ(kit.GetSecretPasswd(1, text), kEngineNoEngine);
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(kit.GetDllVersionInfo(v), VARO_ERR_VERSION);
    EXPECT_EQ(v.dwKind, 1u);
    EXPECT_EQ(kit.GetAllDBID(ids), 0);
    EXPECT_EQ(kit.GetDBName(1, text), 0);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(kit.GetDBColor(1, &colour), 0);
    EXPECT_EQ(colour, 0u);
    EXPECT_EQ(kit.EstFileReadStr(1, "s", "k", "dflt", text), 0);
    EXPECT_EQ(text, "dflt");
    EXPECT_EQ(kit.SetAdviseData(nullptr), kEngineNoEngine);
    kit.FreeAdviseData(42);
    EXPECT_EQ(kit.End(), 0);
    // The kit's own checks still come first.
    EXPECT_EQ(kit.Delete(1, 3), VARO_ERR_RANGE);
}

class DatabaseLifecycleTest : public KitTest {};

TEST_F(DatabaseLifecycleTest, OpenCloseAndCreatePassTheirArguments) {
    engine().Answer(kOpOpen, {2001});
    EXPECT_EQ(m_kit.Open(7), 2001);
    EXPECT_EQ(m_kit.LockOpen(8), 0);
    EXPECT_EQ(m_kit.Close(9), 0);
    EXPECT_EQ(engine().LastCall(kOpOpen)->args[0].value, 7);
    EXPECT_EQ(engine().LastCall(kOpLockOpen)->args[1].kind, ArgKind::I2Out);
    EXPECT_EQ(engine().LastCall(kOpClose)->args[0].value, 9);

    engine().HandOutI4(kOpCreate, 1, 42);
    long db = 0;
    EXPECT_EQ(m_kit.Create("\x8a\x94" /* 株 */, &db), 0);
    EXPECT_EQ(db, 42);
    EXPECT_EQ(engine().LastCall(kOpCreate)->args[0].text, u"\u682a");
}

TEST_F(DatabaseLifecycleTest, DeleteModes) {
    EXPECT_EQ(m_kit.Delete(5, 3), VARO_ERR_RANGE);
    EXPECT_EQ(m_kit.Delete(5, -1), VARO_ERR_RANGE);
    EXPECT_EQ(OpsAfterInit(), std::vector<int>{});

    EXPECT_EQ(m_kit.Delete(5, 0), 0);
    EXPECT_EQ(m_kit.Delete(5, 1), 0);
    EXPECT_EQ(OpsAfterInit(), (std::vector<int>{kOpDelete, kOpDeleteFiles}));

    engine().calls.clear();
    engine().Answer(kOpDeleteFiles, {2010});
    EXPECT_EQ(m_kit.Delete(5, 2), 2010);
    EXPECT_EQ(engine().Ops(), std::vector<int>{kOpDeleteFiles});

    engine().calls.clear();
    engine().Answer(kOpDelete, {2001});
    EXPECT_EQ(m_kit.Delete(5, 2), 2001);
    EXPECT_EQ(engine().Ops(), (std::vector<int>{kOpDeleteFiles, kOpDelete}));
}

TEST_F(DatabaseLifecycleTest, ArgumentsThatCannotCrossUnalteredAreRefused) {
    // Ids are 32-bit; a 64-bit value is not cut short.
    EXPECT_EQ(m_kit.Open(long{INT32_MAX} + 1), kEngineBadArgument);
    EXPECT_EQ(m_kit.DBLock(long{INT32_MIN} - 1), 0);
    long huge = LONG_MAX;
    EXPECT_EQ(m_kit.Create("x", &huge), kEngineBadArgument);
    EXPECT_EQ(huge, LONG_MAX);
    // 0xEB40 is a device code that code page 932 conversion does not map.
    long db = 0;
    EXPECT_EQ(m_kit.Create("\xeb\x40", &db), kEngineBadArgument);
    EXPECT_EQ(m_kit.SetDBName(1, "a\x82"), 0);  // a lead byte without its trail
    EXPECT_EQ(OpsAfterInit(), std::vector<int>{});
    EXPECT_EQ(m_kit.SetDBColor(1, 0xFFFFFFFFul), 1);
    EXPECT_EQ(engine().LastCall(kOpSetDBColor)->args[1].value, -1);
    EXPECT_EQ(m_kit.SetDBColor(1, 0x100000000ul), 0);
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

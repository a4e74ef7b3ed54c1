#include <cstring>

#include "KitTestSupport.h"

using namespace varo;

namespace {

class AdministrationTest : public KitTest {};

TEST_F(AdministrationTest, PassThroughsConvertTheirArgumentsAndOutputs) {
    engine().Answer(kOpDBCheck, {2014});
    EXPECT_EQ(m_kit.DBCheck(3), 2014);
    EXPECT_EQ(engine().LastCall(kOpDBCheck)->args[0].value, 3);
    EXPECT_EQ(m_kit.DeleteAPID(77, 5), 0);
    EXPECT_EQ(engine().LastCall(kOpDeleteAPID)->args[1].kind, ArgKind::Bool);
    EXPECT_EQ(engine().LastCall(kOpDeleteAPID)->args[1].value, 1);
    EXPECT_EQ(m_kit.EstFileWriteStr(2, "sec", "key", "\x8a\x94" /* 株 */), 1);
    EXPECT_EQ(engine().LastCall(kOpEstFileWriteStr)->args[1].text, u"sec");
    EXPECT_EQ(engine().LastCall(kOpEstFileWriteStr)->args[3].text, u"\u682a");
    // The engine applies the default.
    engine().OnCall(kOpEstFileReadLong, [](const EngineArg* args, int) { *args[4].i4Out = args[3].i4; return 0; });
    long value = 0;
    EXPECT_EQ(m_kit.EstFileReadLong(1, "s", "k", -12, &value), 0);
    EXPECT_EQ(value, -12);

    unsigned long colour = 123;
    engine().Answer(kOpGetDBColor, {0});
    EXPECT_EQ(m_kit.GetDBColor(1, &colour), 0);
    EXPECT_EQ(colour, 0u);
    engine().HandOutI4(kOpGetDBColor, 1, static_cast<int32_t>(0xFF00FF00u), 1);
    EXPECT_EQ(m_kit.GetDBColor(1, &colour), 1);
    EXPECT_EQ(colour, 0xFF00FF00ul);  // read unsigned
}

TEST_F(AdministrationTest, BackupDateIsReadFromItsDigits) {
    CPIMTime when(2001, 1, 1, 0, 0, 0);
    engine().Answer(kOpGetBackupDate, {0});
    EXPECT_EQ(m_kit.GetBackupDate(1, when), 0);
    EXPECT_EQ(when.GetYear(), 2001);
    // Missing or non-numeric parts read 0: day 0 is the last of the month before.
    const std::pair<std::u16string, CPIMTime> rows[] = {{u"19981224235930", CPIMTime(1998, 12, 24, 23, 59, 30)},
                                                        {u"199812", CPIMTime(1998, 11, 30, 0, 0, 0)}};
    for (const auto& [digits, expected] : rows) {
        engine().HandOutText(kOpGetBackupDate, 1, digits);
        EXPECT_EQ(m_kit.GetBackupDate(1, when), 1);
        EXPECT_TRUE(when == expected);
    }
}

TEST_F(AdministrationTest, PasswordRecordsCrossAsTextsReadWithinTheirBytes) {
    PASSWD_INF rec;
    std::memset(&rec, 'z', sizeof rec);
    std::memcpy(rec.text1, "first", 6);
    EXPECT_EQ(m_kit.SetPasswd(1, &rec), 0);
    EXPECT_EQ(engine().LastCall(kOpSetPasswd)->args[1].text, u"first");
    // A record without any zero byte is read within its 96 bytes.
    std::memset(&rec, 'y', sizeof rec);
    m_kit.SetPasswd(1, &rec);
    EXPECT_EQ(engine().LastCall(kOpSetPasswd)->args[1].text.size(), 96u);

    engine().OnCall(kOpGetPasswd, [](const EngineArg* args, int) {
        char* block = static_cast<char*>(args[1].buffer);
        std::memcpy(block, "alpha", 6);
        std::memset(block + 32, 'B', 32);  // no terminator at all
        return 0;
    });
    std::memset(&rec, '#', sizeof rec);
    EXPECT_EQ(m_kit.GetPasswd(1, &rec), 0);
    EXPECT_STREQ(rec.text1, "alpha");
    EXPECT_EQ(rec.text1[6], '#');  // bytes after the terminator keep their value
    EXPECT_EQ(std::string(rec.text2), std::string(31, 'B'));
    EXPECT_STREQ(rec.text3, "");
    engine().OnCall(kOpGetPasswd, [](const EngineArg* args, int) {
        std::memcpy(args[1].buffer, "new", 4);
        return 2013;
    });
    EXPECT_EQ(m_kit.GetPasswd(1, &rec), 2013);
    EXPECT_STREQ(rec.text1, "alpha");
}

TEST_F(AdministrationTest, DatabaseListAppendsExactlyTheCount) {
    std::vector<int32_t> known = {11, 12, 0x0D0C0B0A};
    engine().OnCall(kOpGetAllDBID, [&known](const EngineArg* args, int) {
        const int32_t n = std::min<int32_t>(*args[1].i4Out, static_cast<int32_t>(known.size()));
        unsigned char* out = static_cast<unsigned char*>(args[0].buffer);
        for (int32_t b = 0; out && b < 4 * n; ++b) out[b] = static_cast<unsigned char>(known[b / 4] >> (8 * (b % 4)));
        *args[1].i4Out = out ? n : static_cast<int32_t>(known.size());
        return 1;
    });
    CDWordArray ids;
    ids.Add(99);
    EXPECT_EQ(m_kit.GetAllDBID(ids), 1);
    ASSERT_EQ(ids.GetSize(), 4);
    EXPECT_EQ(ids[0], 99u);
    EXPECT_EQ(ids[3], 0x0D0C0B0Au);
    EXPECT_EQ(engine().CallsOf(kOpGetAllDBID), 2);

    known.clear();
    EXPECT_EQ(m_kit.GetAllDBID(ids), 1);
    engine().Answer(kOpGetAllDBID, {0});
    EXPECT_EQ(m_kit.GetAllDBID(ids), 0);
    engine().HandOutI4(kOpGetAllDBID, 1, -5, 1);
    EXPECT_EQ(m_kit.GetAllDBID(ids), 0);
    EXPECT_EQ(ids.GetSize(), 4);
}

TEST_F(AdministrationTest, SettingsTextsFallBackToTheirDefault) {
    // One text as both default and value keeps the default.
    CString value("fallback");
    engine().Answer(kOpEstFileReadStr, {0});
    EXPECT_EQ(m_kit.EstFileReadStr(1, "s", "k", value, value), 0);
    EXPECT_EQ(value, "fallback");
    engine().HandOutText(kOpEstFileReadStr, 4, u"stored");
    EXPECT_EQ(m_kit.EstFileReadStr(1, "s", "k", "fallback", value), 1);
    EXPECT_EQ(value, "stored");
    EXPECT_EQ(engine().LastCall(kOpEstFileReadStr)->args[3].text, u"fallback");
}

TEST_F(AdministrationTest, EngineAndDatabaseVersions) {
    engine().OnCall(kOpGetDllVersionInfo, [](const EngineArg* args, int) {
        unsigned char* block = static_cast<unsigned char*>(args[0].buffer);
        for (int i = 0; i < 148; ++i) EXPECT_EQ(block[i], 0) << i;
        block[4] = 2;
        block[8] = 7;
        block[12] = 9;  // not read
        return 0;
    });
    _VERSIONINF v = {0, 0, 0, 0, 9};
    EXPECT_EQ(m_kit.GetDllVersionInfo(v), 0);
    EXPECT_EQ(VersionParts(v), (std::vector<DWORD>{31, 2, 7, 0, 0}));

    engine().Answer(kOpGetDBVersionInfo, {2001});
    _VERSIONINF untouched = {5, 5, 5, 5, 5};
    EXPECT_EQ(m_kit.GetDBVersionInfo(untouched, 9), VARO_ERR_VERSION);
    EXPECT_EQ(VersionParts(untouched), std::vector<DWORD>(5, 5));
    EXPECT_EQ(m_kit.GetDBVersionInfo(v, 9), 0);
    EXPECT_EQ(v.dwKind, 32u);
    EXPECT_EQ(engine().LastCall(kOpGetDBVersionInfo)->args[0].value, 9);
}

}  // namespace

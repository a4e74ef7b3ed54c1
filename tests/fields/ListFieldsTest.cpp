#include <string>

#include "FieldTestSupport.h"

namespace {

class ListFieldsTest : public FieldTest {
protected:
    // A card whose phone list is `list`, loaded into the working text.
    void CardWithPhones(const std::string& list) {
        NewTip(0x401);
        Store(9, list + '\0');
        CString ignored;
        m_kit.GetOfficeTel1(ignored);
    }
    // SetItemFromTelList or SetItemFromEmailList as a text; "(none)" when
    // it finds nothing.
    std::string Pick(bool email, const char* suffix, const char* list) {
        char* block = nullptr;
        const int found = email ? m_kit.SetItemFromEmailList(suffix, list, &block)
                                : m_kit.SetItemFromTelList(suffix, list, &block);
        if (!found) return "(none)";
        std::string values(block);
        GlobalFree(reinterpret_cast<HGLOBAL>(block));
        return values;
    }
};

using ListSetter = int (CVAROObj::*)(const CString&);
using ListGetter = int (CVAROObj::*)(CString&);

struct RoleRow {
    ListSetter set;
    ListGetter get;
    int slot;
    unsigned type;
    const char* suffix;
};

const RoleRow kRoles[] = {
    {&CVAROObj::SetOfficeTel1, &CVAROObj::GetOfficeTel1, 9, 3, ":f"},
    {&CVAROObj::SetOfficeTel2, &CVAROObj::GetOfficeTel2, 9, 3, ":f1"},
    {&CVAROObj::SetOfficeCellular, &CVAROObj::GetOfficeCellular, 9, 3, ":fh"},
    {&CVAROObj::SetOfficePager, &CVAROObj::GetOfficePager, 9, 3, ":fp"},
    {&CVAROObj::SetPersonalTel, &CVAROObj::GetPersonalTel, 9, 3, ":h"},
    {&CVAROObj::SetPersonalCellular, &CVAROObj::GetPersonalCellular, 9, 3, ":hh"},
    {&CVAROObj::SetPersonalPager, &CVAROObj::GetPersonalPager, 9, 3, ":hp"},
    {&CVAROObj::SetOfficeFax, &CVAROObj::GetOfficeFax, 10, 3, ":f"},
    {&CVAROObj::SetPersonalFax, &CVAROObj::GetPersonalFax, 10, 3, ":h"},
    {&CVAROObj::SetOfficeEmailAddress, &CVAROObj::GetOfficeEmailAddress, 28, 4, "(f)"},
    {&CVAROObj::SetPersonalEmailAddress, &CVAROObj::GetPersonalEmailAddress, 28, 4, "(h)"},
};

TEST_F(ListFieldsTest, EveryRoleWritesItsSuffixIntoItsList) {
    for (const RoleRow& role : kRoles) {
        SCOPED_TRACE(role.suffix);
        NewTip(0x403);
        ASSERT_EQ((m_kit.*role.set)("123"), 1);
        EXPECT_EQ(Stored(role.slot), std::string("123") + role.suffix + '\0');
        EXPECT_EQ(StoredType(role.slot), role.type);
        CString text;
        EXPECT_EQ((m_kit.*role.get)(text), 1);
        EXPECT_EQ(text, "123");
        // Every other role of the same list finds nothing.
        for (const RoleRow& other : kRoles) {
            if (&other == &role || other.slot != role.slot) continue;
            text = "stale";
            EXPECT_EQ((m_kit.*other.get)(text), 0);
            EXPECT_TRUE(text.IsEmpty());
        }
    }
}

TEST_F(ListFieldsTest, ReplacingARoleKeepsTheOtherRolesInOrder) {
    CardWithPhones("03-1111-2222:f,03-3333-4444:h");
    ASSERT_EQ(m_kit.SetOfficeTel1("06-5555-6666"), 1);
    EXPECT_EQ(Stored(9), Bytes("03-3333-4444:h,06-5555-6666:f\0"));

    CardWithPhones("1:f,2:fh,3:f,4:h");
    ASSERT_EQ(m_kit.SetOfficeTel1(""), 1);
    EXPECT_EQ(Stored(9), Bytes("2:fh,4:h\0"));

    CardWithPhones("1:f,3:f");
    ASSERT_EQ(m_kit.SetOfficeTel1(""), 1);
    EXPECT_EQ(Stored(9), Bytes("\0"));

    // Entries without a marker are dropped by the next edit.
    CardWithPhones("bare,1:h");
    ASSERT_EQ(m_kit.SetOfficeTel2("7"), 1);
    EXPECT_EQ(Stored(9), Bytes("1:h,7:f1\0"));
}

TEST_F(ListFieldsTest, LinesBecomeEntriesAndComeBackJoined) {
    const char* const values[] = {"111\r\n222", "\r\n111\r\n222\r\n", "111\r\n\r\n222"};
    for (const char* value : values) {
        SCOPED_TRACE(value);
        CardWithPhones("9:h");
        ASSERT_EQ(m_kit.SetOfficeTel1(value), 1);
        EXPECT_EQ(Stored(9), Bytes("9:h,111:f,222:f\0"));
        CString text;
        ASSERT_EQ(m_kit.GetOfficeTel1(text), 1);
        EXPECT_EQ(text, "111\r\n222");
    }
    // Line breaks alone give one empty value.
    CardWithPhones("");
    ASSERT_EQ(m_kit.SetOfficeTel1("\r\n\r\n"), 1);
    EXPECT_EQ(Stored(9), Bytes(":f\0"));
    CString text = "stale";
    EXPECT_EQ(m_kit.GetOfficeTel1(text), 1);
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(ListFieldsTest, ReservedCharactersAreEscapedAndUnescaped) {
    NewTip(0x401);
    ASSERT_EQ(m_kit.SetOfficeTel1("a,b:c\\d(e)"), 1);
    EXPECT_EQ(Stored(9), Bytes("a\\,b\\:c\\\\d(e):f\0"));
    CString text;
    ASSERT_EQ(m_kit.GetOfficeTel1(text), 1);
    EXPECT_EQ(text, "a,b:c\\d(e)");

    ASSERT_EQ(m_kit.SetPersonalEmailAddress("x(y)z,w:v"), 1);
    EXPECT_EQ(Stored(28), Bytes("x\\(y\\)z\\,w:v(h)\0"));
    ASSERT_EQ(m_kit.GetPersonalEmailAddress(text), 1);
    EXPECT_EQ(text, "x(y)z,w:v");

    // The second byte of 表 is a backslash and stays as it is.
    ASSERT_EQ(m_kit.SetPersonalTel("\x95\x5c" /* 表 */), 1);
    EXPECT_EQ(Stored(9), Bytes("a\\,b\\:c\\\\d(e):f,\x95\x5c:h\0"));
    ASSERT_EQ(m_kit.GetPersonalTel(text), 1);
    EXPECT_EQ(text, "\x95\x5c" /* 表 */);
}

// Whole suffixes (":f" against ":f1" and ":fh") are matched by the role
// table above; here, where a suffix starts.
TEST_F(ListFieldsTest, TheSuffixStartsAtTheLastUnescapedMarker) {
    EXPECT_EQ(Pick(false, ":f", "a:b:f,c\\:f:h"), "a:b");
    EXPECT_EQ(Pick(false, ":h", "a:b:f,c\\:f:h"), "c:f");
    EXPECT_EQ(Pick(true, "(f)", "m(x)(f),n(f)x"), "m(x)");
    EXPECT_EQ(Pick(true, "(h)", "m(x)(f)"), "(none)");
}

TEST_F(ListFieldsTest, GettersRefreshByTheirRule) {
    CardWithPhones("1:f,2:fh");
    // The next card is read without SetTipFlag, as ReadTip does.
    Store(9, Bytes("9:f,8:fh\0"));
    CString text;
    ASSERT_EQ(m_kit.GetOfficeCellular(text), 1);
    EXPECT_EQ(text, "2");
    ASSERT_EQ(m_kit.GetPersonalTel(text), 0);  // always refreshes: the new card has no ":h"
    ASSERT_EQ(m_kit.GetOfficeCellular(text), 1);
    EXPECT_EQ(text, "8");

    // A new tip empties the working texts, so every getter reloads.
    NewTip(0x401);
    Store(9, Bytes("5:fp\0"));
    ASSERT_EQ(m_kit.GetOfficePager(text), 1);
    EXPECT_EQ(text, "5");

    // No data: 0, empty text, and the working text stays.
    Store(9, "");
    EXPECT_EQ(m_kit.GetOfficeTel1(text), 0);
    EXPECT_TRUE(text.IsEmpty());
    ASSERT_EQ(m_kit.GetOfficePager(text), 1);
    EXPECT_EQ(text, "5");
    Store(10, "");
    EXPECT_EQ(m_kit.GetOfficeFax(text), 0);
}

TEST_F(ListFieldsTest, DeviceCodesAreConvertedAndWrittenBackConverted) {
    CardWithPhones("\xeb\x5b" "1:f,2:h");  // 0xEB5B: the device code for FAX
    CString text;
    ASSERT_EQ(m_kit.GetOfficeTel1(text), 1);
    EXPECT_EQ(text, "FAX1");
    ASSERT_EQ(m_kit.SetPersonalTel("3"), 1);
    EXPECT_EQ(Stored(9), Bytes("FAX1:f,3:h\0"));
}

TEST_F(ListFieldsTest, RefusalsLeaveRecordAndWorkingTextAlone) {
    NewTip(0x300);
    EXPECT_EQ(m_kit.SetOfficeEmailAddress("a@b"), 0);
    CString text;
    EXPECT_EQ(m_kit.GetOfficeEmailAddress(text), 0);

    CardWithPhones("1:f");
    ReadOnly(true);
    EXPECT_EQ(m_kit.SetOfficeTel1("2"), 0);
    EXPECT_EQ(Stored(9), Bytes("1:f\0"));
    ASSERT_EQ(m_kit.GetOfficeTel1(text), 1);  // getters ignore the flag
    ReadOnly(false);

    // A list too long for a field's 16-bit length.
    EXPECT_EQ(m_kit.SetPersonalTel(CString(std::string(65533, '5'))), 0);
    EXPECT_EQ(Stored(9), Bytes("1:f\0"));
    ASSERT_EQ(m_kit.SetPersonalPager("4"), 1);
    EXPECT_EQ(Stored(9), Bytes("1:f,4:hp\0"));
}

TEST_F(ListFieldsTest, ALeadByteOrEscapeAtTheEndNeverReadsPastTheTerminator) {
    // What follows each terminator would show up if a walk went past it.
    const char leadAtEnd[] = "1:f,2:f\x82\0,3:f";
    const char escapeAtEnd[] = "1:f,2:f\\\0,3:f";
    EXPECT_EQ(Pick(false, ":f", leadAtEnd), "1\r\n2");
    EXPECT_EQ(Pick(false, ":f", escapeAtEnd), "1\r\n2");
    EXPECT_EQ(Pick(false, ":f", "1:f,2\x82\0:f"), "1");

    // A lead byte ending a value is no character and must not swallow the
    // suffix written after it.
    NewTip(0x401);
    ASSERT_EQ(m_kit.SetOfficeTel1("12\x82"), 1);
    EXPECT_EQ(Stored(9), Bytes("12:f\0"));
    ASSERT_EQ(m_kit.SetOfficeTel2("3\x82\r\n4"), 1);
    EXPECT_EQ(Stored(9), Bytes("12:f,3:f1,4:f1\0"));

    // The protected editor works on the working text alone.
    ASSERT_EQ(m_kit.SetTel("5\x82", ":fp"), 1);
    EXPECT_EQ(Stored(9), Bytes("12:f,3:f1,4:f1\0"));
    CString text;
    ASSERT_EQ(m_kit.GetOfficePager(text), 1);
    EXPECT_EQ(text, "5");
    EXPECT_EQ(m_kit.SetTel("6", nullptr), 0);
    EXPECT_EQ(Pick(false, nullptr, "1:f"), "(none)");
}

}  // namespace

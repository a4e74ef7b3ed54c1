#include <string>

#include "FieldTestSupport.h"

namespace {

using ListSetter = int (CVAROObj::*)(const CString&);

class ListFieldsTest : public FieldTest {
protected:
    // A card whose phone list is `list`, loaded into the working text.
    void CardWithPhones(const std::string& list) {
        NewTip(0x401);
        Store(9, list + '\0');
        Get(&CVAROObj::GetOfficeTel1);
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

TEST_F(ListFieldsTest, EveryRoleWritesItsSuffixIntoItsList) {
    const struct {
        ListSetter set;
        int (CVAROObj::*get)(CString&);
        int slot;
        unsigned type;
        const char* suffix;
    } roles[] = {
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
    for (const auto& role : roles) {
        SCOPED_TRACE(role.suffix);
        NewTip(0x403);
        ASSERT_EQ((m_kit.*role.set)("123"), 1);
        EXPECT_EQ(Stored(role.slot), std::string("123") + role.suffix + '\0');
        EXPECT_EQ(StoredType(role.slot), role.type);
        EXPECT_EQ(Get(role.get), Text(1, "123"));
        // Every other role of the same list finds nothing.
        for (const auto& other : roles) {
            if (&other == &role || other.slot != role.slot) continue;
            EXPECT_EQ(Get(other.get), Text(0, "")) << other.suffix;
        }
    }
}

TEST_F(ListFieldsTest, EditsReplaceTheirRoleAndKeepTheOthersInOrder) {
    const struct {
        const char* before;
        ListSetter set;
        const char* value;
        const char* after;
    } edits[] = {
        {"03-1111-2222:f,03-3333-4444:h", &CVAROObj::SetOfficeTel1, "06-5555-6666", "03-3333-4444:h,06-5555-6666:f"},
        {"1:f,2:fh,3:f,4:h", &CVAROObj::SetOfficeTel1, "", "2:fh,4:h"},
        {"1:f,3:f", &CVAROObj::SetOfficeTel1, "", ""},
        {"bare,1:h", &CVAROObj::SetOfficeTel2, "7", "1:h,7:f1"},  // entries without a marker are dropped
        {"9:h", &CVAROObj::SetOfficeTel1, "111\r\n222", "9:h,111:f,222:f"},  // lines become entries
        {"9:h", &CVAROObj::SetOfficeTel1, "\r\n111\r\n222\r\n", "9:h,111:f,222:f"},
        {"9:h", &CVAROObj::SetOfficeTel1, "111\r\n\r\n222", "9:h,111:f,222:f"},
        {"", &CVAROObj::SetOfficeTel1, "\r\n\r\n", ":f"},  // line breaks alone: one empty value
        {"\xeb\x5b" "1:f,2:h", &CVAROObj::SetPersonalTel, "3", "FAX1:f,3:h"},  // written back converted
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.before);
        CardWithPhones(edit.before);
        ASSERT_EQ((m_kit.*edit.set)(edit.value), 1);
        EXPECT_EQ(Stored(9), std::string(edit.after) + '\0');
    }
    // Entries of one role read back as lines; 0xEB5B is the device code for FAX.
    for (auto [list, value] : {std::pair<const char*, const char*>{"9:h,111:f,222:f", "111\r\n222"}, {":f", ""},
                               {"\xeb\x5b" "1:f", "FAX1"}}) {
        CardWithPhones(list);
        EXPECT_EQ(Get(&CVAROObj::GetOfficeTel1), Text(1, value)) << list;
    }
}

TEST_F(ListFieldsTest, ReservedCharactersAreEscapedAndUnescaped) {
    NewTip(0x401);
    ASSERT_EQ(m_kit.SetOfficeTel1("a,b:c\\d(e)"), 1);
    EXPECT_EQ(Stored(9), Bytes("a\\,b\\:c\\\\d(e):f\0"));
    EXPECT_EQ(Get(&CVAROObj::GetOfficeTel1), Text(1, "a,b:c\\d(e)"));
    ASSERT_EQ(m_kit.SetPersonalEmailAddress("x(y)z,w:v"), 1);
    EXPECT_EQ(Stored(28), Bytes("x\\(y\\)z\\,w:v(h)\0"));
    EXPECT_EQ(Get(&CVAROObj::GetPersonalEmailAddress), Text(1, "x(y)z,w:v"));

    // The second byte of 表 is a backslash and stays as it is.
    ASSERT_EQ(m_kit.SetPersonalTel("\x95\x5c" /* 表 */), 1);
    EXPECT_EQ(Stored(9), Bytes("a\\,b\\:c\\\\d(e):f,\x95\x5c:h\0"));
    EXPECT_EQ(Get(&CVAROObj::GetPersonalTel), Text(1, "\x95\x5c" /* 表 */));

    // Whole suffixes (":f" against ":f1" and ":fh") are matched by the role
    // table; here, where a suffix starts: at the last unescaped marker.
    EXPECT_EQ(Pick(false, ":f", "a:b:f,c\\:f:h"), "a:b");
    EXPECT_EQ(Pick(false, ":h", "a:b:f,c\\:f:h"), "c:f");
    EXPECT_EQ(Pick(true, "(f)", "m(x)(f),n(f)x"), "m(x)");
    EXPECT_EQ(Pick(true, "(h)", "m(x)(f)"), "(none)");
}

TEST_F(ListFieldsTest, GettersRefreshByTheirRule) {
    CardWithPhones("1:f,2:fh");
    // The next card is read without SetTipFlag, as ReadTip does.
    Store(9, Bytes("9:f,8:fh\0"));
    EXPECT_EQ(Get(&CVAROObj::GetOfficeCellular), Text(1, "2"));
    EXPECT_EQ(Get(&CVAROObj::GetPersonalTel).first, 0);  // always refreshes: the new card has no ":h"
    EXPECT_EQ(Get(&CVAROObj::GetOfficeCellular), Text(1, "8"));

    // A new tip empties the working texts, so every getter reloads.
    NewTip(0x401);
    Store(9, Bytes("5:fp\0"));
    EXPECT_EQ(Get(&CVAROObj::GetOfficePager), Text(1, "5"));
    // No data: 0, empty text, and the working text stays.
    Store(9, "");
    EXPECT_EQ(Get(&CVAROObj::GetOfficeTel1), Text(0, ""));
    EXPECT_EQ(Get(&CVAROObj::GetOfficePager), Text(1, "5"));
    Store(10, "");
    EXPECT_EQ(Get(&CVAROObj::GetOfficeFax).first, 0);
}

TEST_F(ListFieldsTest, RefusalsLeaveRecordAndWorkingTextAlone) {
    NewTip(0x300);
    EXPECT_EQ(m_kit.SetOfficeEmailAddress("a@b"), 0);
    EXPECT_EQ(Get(&CVAROObj::GetOfficeEmailAddress).first, 0);

    CardWithPhones("1:f");
    ReadOnly(true);
    EXPECT_EQ(m_kit.SetOfficeTel1("2"), 0);
    EXPECT_EQ(Stored(9), Bytes("1:f\0"));
    EXPECT_EQ(Get(&CVAROObj::GetOfficeTel1), Text(1, "1"));  // getters ignore the flag
    ReadOnly(false);
    // A list too long for a field's 16-bit length: "1:f," the number ":h"
    // and the terminator fit in 65535 bytes up to a 65528-digit number.
    EXPECT_EQ(m_kit.SetPersonalTel(CString(std::string(65529, '5'))), 0);
    EXPECT_EQ(Stored(9), Bytes("1:f\0"));
    ASSERT_EQ(m_kit.SetPersonalTel(CString(std::string(65528, '5'))), 1);
    EXPECT_EQ(Stored(9).size(), 65535u);
    CardWithPhones("1:f");
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
    EXPECT_EQ(Get(&CVAROObj::GetOfficePager), Text(1, "5"));
    EXPECT_EQ(m_kit.SetTel("6", nullptr), 0);
    EXPECT_EQ(Pick(false, nullptr, "1:f"), "(none)");
}

}  // namespace

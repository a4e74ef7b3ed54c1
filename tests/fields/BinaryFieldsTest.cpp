#include <string>

#include "FieldTestSupport.h"
#include "GlobalHeapFaults.h"

namespace {

using BinarySetter = int (CVAROObj::*)(void*, unsigned short);
using BinaryGetter = int (CVAROObj::*)(void**, unsigned short*);

class BinaryFieldsTest : public FieldTest {
protected:
    void TearDown() override { SetGlobalAllocFailCountdown(-1); }
    static std::string Pattern(size_t size, int seed) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed) & 0xFF);
        return bytes;
    }
    // The getter's result and the copy it handed out (kept in m_copy), or,
    // when it handed out none, the length it told.
    Text Read(BinaryGetter get) {
        m_copy = &m_copy;
        unsigned short length = 7;
        const int result = (m_kit.*get)(&m_copy, &length);
        if (m_copy == &m_copy) return {result, "untouched"};
        if (!m_copy) return {result, "none, length " + std::to_string(length)};
        return {result, std::string(static_cast<char*>(m_copy), length)};
    }
    void* m_copy = nullptr;
};

const struct BinaryRow {
    unsigned short kind;
    BinarySetter set;
    BinaryGetter get;
    int slot;
    unsigned type;
} kBinaryRows[] = {
    {0x402, &CVAROObj::SetPortrait, &CVAROObj::GetPortrait, 33, 0xa},
    {0x506, &CVAROObj::SetPreference, &CVAROObj::GetPreference, 7, 0x4004},
    {0x501, &CVAROObj::SetImageData, &CVAROObj::GetImageData, 8, 0xa},
    {0x503, &CVAROObj::SetInkData, &CVAROObj::GetInkData, 9, 0xa},
    {0x504, &CVAROObj::SetBitmapData, &CVAROObj::GetBitmapData, 10, 0xa},
    {0x900, &CVAROObj::SetData, &CVAROObj::GetData, 2, 0x4005},
};

TEST_F(BinaryFieldsTest, BytesAreStoredAsGivenAndHandedOutAsCopies) {
    for (const BinaryRow& row : kBinaryRows) {
        SCOPED_TRACE(row.slot);
        NewTip(row.kind);
        EXPECT_EQ(Read(row.get), Text(0, "none, length 1"));  // a new tip's one zero byte: empty
        std::string bytes = Pattern(300, row.slot);
        ASSERT_EQ((m_kit.*row.set)(&bytes[0], 300), 1);
        EXPECT_EQ(Stored(row.slot), bytes);
        EXPECT_EQ(StoredType(row.slot), row.type);
        EXPECT_EQ(Read(row.get), Text(1, bytes));
        EXPECT_NE(m_copy, static_cast<const void*>(CTipRecord::Global().GetSlot(row.slot)->data));
    }
    // Other kinds have none of these fields.
    NewTip(0x300);
    char byte = 1;
    for (const BinaryRow& row : kBinaryRows) {
        EXPECT_EQ((m_kit.*row.set)(&byte, 1), 0);
        EXPECT_EQ(Read(row.get), Text(0, "none, length 0"));
    }
}

TEST_F(BinaryFieldsTest, ACopyStaysValidUntilTheSameGetterHandsOutAnother) {
    NewTip(0x401);
    std::string first = Pattern(3000, 1), second = Pattern(3000, 2);
    char zero = 0;
    ASSERT_EQ(m_kit.SetPortrait(&first[0], 3000), 1);
    ASSERT_EQ(Read(&CVAROObj::GetPortrait), Text(1, first));
    void* const copy = m_copy;
    // Neither a new value, nor other getters, nor a getter that finds the
    // field empty touch the copy.
    ASSERT_EQ(m_kit.SetPortrait(&second[0], 3000), 1);
    EXPECT_EQ(Read(&CVAROObj::GetImageData).first, 0);
    ASSERT_EQ(m_kit.SetPortrait(&zero, 1), 1);
    EXPECT_EQ(Read(&CVAROObj::GetPortrait), Text(0, "none, length 1"));
    EXPECT_EQ(std::string(static_cast<char*>(copy), 3000), first);

    ASSERT_EQ(m_kit.SetPortrait(&second[0], 3000), 1);
    EXPECT_EQ(Read(&CVAROObj::GetPortrait), Text(1, second));
    EXPECT_NE(m_copy, copy);
    // Without memory for the copy: nothing handed out, the length told.
    SetGlobalAllocFailCountdown(0);
    EXPECT_EQ(Read(&CVAROObj::GetPortrait), Text(0, "none, length 3000"));
    SetGlobalAllocFailCountdown(-1);
    EXPECT_EQ(Read(&CVAROObj::GetPortrait), Text(1, second));
}

TEST_F(BinaryFieldsTest, RefusedValuesChangeNothing) {
    NewTip(0x505);
    std::string kept = Pattern(10, 3), huge(65535, 'h');
    ASSERT_EQ(m_kit.SetInkData(&kept[0], 10), 1);
    CTipRecord::Global().SetFieldType(9, 0x77);
    EXPECT_EQ(m_kit.SetInkData(nullptr, 5), 0);
    EXPECT_EQ(Stored(9), kept);
    EXPECT_EQ(StoredType(9), 0x77u);
    // The largest block a 16-bit length holds is stored whole.
    EXPECT_EQ(m_kit.SetInkData(&huge[0], 65535), 1);
    EXPECT_EQ(Stored(9), huge);
    EXPECT_EQ(Read(&CVAROObj::GetInkData).second.size(), 65535u);

    // Preference data is written while read-only; the other fields are not.
    ReadOnly(true);
    EXPECT_EQ(m_kit.SetInkData(&kept[0], 10), 0);
    EXPECT_EQ(m_kit.SetPreference(&kept[0], 10), 0);
    EXPECT_EQ(Stored(9).size(), 65535u);
    EXPECT_EQ(Read(&CVAROObj::GetInkData).first, 1);
    NewTip(0x900);
    EXPECT_EQ(m_kit.SetData(&kept[0], 10), 1);
    EXPECT_EQ(Stored(2), kept);
}

}  // namespace

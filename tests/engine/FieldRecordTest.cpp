// The stored record of a tip's fields: what goes in comes back, and damaged
// bytes give their error and no fields.
#include <gtest/gtest.h>

#include "FieldRecord.h"

namespace varo {
namespace engine {
namespace {

StoredField MakeField(const std::string& tag, const std::string& label, uint32_t type, std::vector<uint8_t> data) {
    StoredField field;
    field.tag = tag;
    field.label = label;
    field.type = type;
    field.data = std::move(data);
    return field;
}

StoredTip SampleTip() {
    StoredTip tip;
    tip.fields.push_back(MakeField("TAFL", "kind", 0x4000, {0x00, 0x03}));
    tip.fields.push_back(MakeField("MEMO", "\x93\xe0\x97\x65" /* 内容 */, 1, {'h', 'i', 0}));
    tip.fields.push_back(MakeField("PRTY", "", 0xFFFFFFFF, {}));
    tip.fields.push_back(MakeField("BIG_", std::string(255, 'l'), 7, std::vector<uint8_t>(65535, 0xAB)));
    return tip;
}

std::vector<uint8_t> Encoded(const StoredTip& tip) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(EncodeFieldRecord(tip, &bytes));
    return bytes;
}

bool SameTip(const StoredTip& a, const StoredTip& b) {
    if (a.fields.size() != b.fields.size()) return false;
    for (size_t i = 0; i < a.fields.size(); ++i) {
        const StoredField &x = a.fields[i], &y = b.fields[i];
        if (x.tag != y.tag || x.label != y.label || x.type != y.type || x.data != y.data) return false;
    }
    return true;
}

TEST(FieldRecordTest, FieldsComeBackExactlyIncludingTheLargestOnes) {
    const StoredTip tip = SampleTip();
    const std::vector<uint8_t> bytes = Encoded(tip);
    StoredTip back;
    ASSERT_EQ(FieldRecordError::None, DecodeFieldRecord(bytes.data(), bytes.size(), &back));
    EXPECT_TRUE(SameTip(tip, back));
    // A tip of no fields is a record too.
    const std::vector<uint8_t> none = Encoded(StoredTip());
    EXPECT_EQ((std::vector<uint8_t>{kFieldRecordEncoding, 0}), none);
    EXPECT_EQ(FieldRecordError::None, DecodeFieldRecord(none.data(), none.size(), &back));
    EXPECT_TRUE(back.fields.empty());
}

TEST(FieldRecordTest, NumbersAreLittleEndianAtTheirPlaces) {
    StoredTip tip;
    tip.fields.push_back(MakeField("ABCD", "L", 0x01020304, {9, 8, 7}));
    const std::vector<uint8_t> expected = {1, 1, 'A', 'B', 'C', 'D', 1, 'L', 4, 3, 2, 1, 3, 0, 9, 8, 7};
    EXPECT_EQ(expected, Encoded(tip));
}

TEST(FieldRecordTest, FieldsTheRecordCannotHoldAreRefused) {
    const StoredField good = MakeField("GOOD", "", 1, {1});
    const StoredField bad[] = {
        MakeField("TOOLONG", "", 1, {}),
        MakeField("ABC", "", 1, {}),
        MakeField("LABL", std::string(256, 'x'), 1, {}),
        MakeField("DATA", "", 1, std::vector<uint8_t>(65536, 0)),
    };
    std::vector<uint8_t> bytes = {0xEE};
    for (const StoredField& field : bad) {
        StoredTip tip;
        tip.fields = {good, field};
        EXPECT_FALSE(EncodeFieldRecord(tip, &bytes)) << field.tag;
        EXPECT_TRUE(bytes.empty());
    }
    StoredTip many;
    many.fields.assign(kMaxTipFields + 1, good);
    EXPECT_FALSE(EncodeFieldRecord(many, &bytes));
    many.fields.pop_back();
    EXPECT_TRUE(EncodeFieldRecord(many, &bytes));
}

TEST(FieldRecordTest, EveryCutOfARecordIsTruncatedOrEmpty) {
    const std::vector<uint8_t> bytes = Encoded(SampleTip());
    StoredTip back = SampleTip();
    EXPECT_EQ(FieldRecordError::Empty, DecodeFieldRecord(bytes.data(), 0, &back));
    EXPECT_EQ(FieldRecordError::Empty, DecodeFieldRecord(nullptr, 5, &back));
    EXPECT_TRUE(back.fields.empty());
    // Every length up to the end of the third field, then a few inside the last.
    for (size_t size = 1; size < bytes.size(); size += size < 400 ? 1 : 997) {
        back = SampleTip();
        EXPECT_EQ(FieldRecordError::Truncated, DecodeFieldRecord(bytes.data(), size, &back)) << size;
        EXPECT_TRUE(back.fields.empty()) << size;
    }
}

TEST(FieldRecordTest, AnUnknownEncodingTooManyFieldsOrTrailingBytesAreErrors) {
    std::vector<uint8_t> bytes = Encoded(SampleTip());
    StoredTip back;
    bytes[0] = 2;
    EXPECT_EQ(FieldRecordError::UnknownEncoding, DecodeFieldRecord(bytes.data(), bytes.size(), &back));
    bytes[0] = kFieldRecordEncoding;
    bytes[1] = kMaxTipFields + 1;
    EXPECT_EQ(FieldRecordError::TooManyFields, DecodeFieldRecord(bytes.data(), bytes.size(), &back));
    bytes[1] = 3;  // the fourth field's bytes are left over
    EXPECT_EQ(FieldRecordError::TrailingBytes, DecodeFieldRecord(bytes.data(), bytes.size(), &back));
    EXPECT_TRUE(back.fields.empty());
    bytes[1] = 4;
    bytes.push_back(0);
    EXPECT_EQ(FieldRecordError::TrailingBytes, DecodeFieldRecord(bytes.data(), bytes.size(), &back));
}

}  // namespace
}  // namespace engine
}  // namespace varo

#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "ExpectedSchemas.h"
#include "GlobalHeap.h"
#include "GlobalHeapFaults.h"
#include "TipRecord.h"

namespace {

// The stamp's own clock: time() may lag it by a coarse tick.
std::string UtcNow() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm utc;
    gmtime_r(&now.tv_sec, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &utc);
    return text;
}

std::string Bytes(const TIPFIELD& slot) {
    return slot.data ? std::string(reinterpret_cast<char*>(slot.data), slot.length) : "";
}

// The bytes an initial value token stands for (see ExpectedSchemas.h).
std::string InitialBytes(const std::string& token, uint16_t kind) {
    if (token == "-") return "";
    if (token == "K") return {static_cast<char>(kind & 0xFF), static_cast<char>(kind >> 8)};
    if (token[0] == 'z') return std::string(token[1] - '0', '\0');
    return std::string(token.c_str(), token.size() + 1);
}

size_t BlockSize(const void* block) { return GlobalSize(reinterpret_cast<HGLOBAL>(const_cast<void*>(block))); }

// Every block a slot holds is a live global-heap block of the size it claims.
void ExpectSoundSlot(const TIPFIELD& slot) {
    EXPECT_EQ(slot.tag ? BlockSize(slot.tag) : 0u, slot.tag ? std::strlen(slot.tag) + 1 : 0u);
    EXPECT_EQ(slot.label ? BlockSize(slot.label) : 0u, slot.label ? std::strlen(slot.label) + 1 : 0u);
    EXPECT_EQ(slot.data ? BlockSize(slot.data) : 0u, slot.length);
}

void ExpectSlotEmpty(const TIPFIELD& slot, int index) {
    EXPECT_TRUE(!slot.tag && !slot.label && !slot.data && slot.length == 0) << "slot " << index;
}

// After a failed build or load: complete slots, at most one with a tag but no
// label, then empty slots.
void ExpectSoundPrefix(const CTipRecord& record) {
    int index = 0;
    while (index < 40 && record.GetSlot(index)->label) ExpectSoundSlot(*record.GetSlot(index++));
    if (index < 40 && record.GetSlot(index)->tag) ExpectSoundSlot(*record.GetSlot(index++));
    for (; index < 40; ++index) ExpectSlotEmpty(*record.GetSlot(index), index);
}

std::string Stamp(const CTipRecord& record) { return std::string(record.GetLastModifiedStamp(), 15); }

// A tip buffer as the engine hands it out, owning every byte it points at.
class TestTip {
public:
    explicit TestTip(uint16_t kind) { Add("TAFL", {static_cast<char>(kind & 0xFF), static_cast<char>(kind >> 8)}); }

    TIPFIELD& Add(const char* tag, const std::string& data, uint32_t type = 1) {
        m_entries.push_back({Keep(tag), Keep("label"), type, reinterpret_cast<uint8_t*>(Keep(data)),
                             static_cast<uint16_t>(data.size())});
        return m_entries.back();
    }

    // The first `count` entries (all by default), then a null.
    TIPFIELD** Buffer(size_t count = SIZE_MAX) {
        m_pointers.clear();
        for (TIPFIELD& entry : m_entries) m_pointers.push_back(&entry);
        m_pointers.insert(m_pointers.begin() + std::min(count, m_pointers.size()), nullptr);
        return m_pointers.data();
    }

private:
    char* Keep(const std::string& text) { return &m_texts.emplace_back(text)[0]; }

    std::deque<std::string> m_texts;
    std::deque<TIPFIELD> m_entries;
    std::vector<TIPFIELD*> m_pointers;
};

const std::string kStampA("19980314000507", 15);
const std::string kStampB("19980314000508", 15);

TestTip ToDoTip(const std::string& stamp) {
    TestTip tip(0x300);
    for (const char* tag : {"SCRT", "TCDY", "MARK", "FNDY", "MEMO", "LTDY", "PRTY", "ETDY", "LIDS"})
        tip.Add(tag, std::string(tag) + "-value");
    tip.Add("LMTM", stamp, 6);
    return tip;
}

TEST(TipRecordTest, SetKindBuildsEveryKindsInitialValues) {
    CTipRecord record;
    for (const expected::Kind& kind : expected::kKinds) {
        SCOPED_TRACE(kind.kind);
        ASSERT_TRUE(record.SetKind(0x401));  // 35 filled slots the next kind must not keep
        record.SetID(77);
        const std::string before = UtcNow();
        ASSERT_EQ(record.SetKind(kind.kind), 1);
        const std::string after = UtcNow();
        EXPECT_EQ(record.GetKind(), kind.kind);
        EXPECT_EQ(record.GetID(), 0);
        EXPECT_EQ(record.GetLastModifiedStamp()[0], '\0');
        const std::vector<expected::Slot> slots = expected::SlotsOf(kind);
        for (int i = 0; i < kind.slots; ++i) {
            const TIPFIELD& slot = *record.GetSlot(i);
            SCOPED_TRACE(slots[i].tag);
            EXPECT_STREQ(slot.tag, slots[i].tag.c_str());
            EXPECT_STREQ(slot.label, varo::SchemaLabel(kind.kind, i));
            EXPECT_EQ(slot.type, slots[i].type);
            ExpectSoundSlot(slot);
            if (slots[i].initial != std::string("T")) {
                EXPECT_EQ(Bytes(slot), InitialBytes(slots[i].initial, kind.kind));
                EXPECT_EQ(slot.data == nullptr, slots[i].initial == std::string("-"));
                continue;
            }
            const std::string stamp = Bytes(slot);  // 14 UTC digits and a terminator
            ASSERT_EQ(stamp.size(), 15u);
            EXPECT_EQ(stamp.find_first_not_of("0123456789"), 14u);
            EXPECT_TRUE(before <= stamp.substr(0, 14) && stamp.substr(0, 14) <= after) << stamp;
        }
        for (int i = kind.slots; i < 40; ++i) ExpectSlotEmpty(*record.GetSlot(i), i);
    }
}

TEST(TipRecordTest, KindsWithoutSchemaAndBuiltBuffers) {
    CTipRecord& record = CTipRecord::Global();
    ASSERT_TRUE(record.SetKind(0x300));
    record.SetID(5);
    EXPECT_EQ(record.SetKind(0x999), 0);
    EXPECT_EQ(record.GetKind(), 0x999);
    EXPECT_EQ(record.GetID(), 0);
    for (int i = 0; i < 40; ++i) ExpectSlotEmpty(*record.GetSlot(i), i);
    EXPECT_EQ(record.BuildBuffer(), nullptr);

    ASSERT_TRUE(record.SetKind(0x300));
    TIPFIELD** buffer = record.BuildBuffer();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(BlockSize(buffer), 12 * sizeof(TIPFIELD*));
    for (int i = 0; i < 11; ++i) EXPECT_EQ(buffer[i], record.GetSlot(i));
    EXPECT_EQ(buffer[11], nullptr);
    EXPECT_EQ(record.GetSlot(40), nullptr);
    EXPECT_EQ(record.GetSlot(-1), nullptr);
}

TEST(TipRecordTest, SetFieldReplacesDataOrRefusesLeavingTheSlot) {
    CTipRecord record;
    ASSERT_TRUE(record.SetKind(0x201));
    ASSERT_TRUE(record.SetField("abc", 4, 5));
    EXPECT_EQ(Bytes(*record.GetSlot(5)), std::string("abc", 4));
    EXPECT_EQ(record.SetField(nullptr, 3, 5), 0);
    EXPECT_EQ(record.SetField("x", 2, 40), 0);
    EXPECT_EQ(record.SetField("x", 2, -1), 0);
    EXPECT_EQ(record.SetFieldType(40, 1), 0);
    SetGlobalAllocFailCountdown(0);
    EXPECT_EQ(record.SetField("longer", 7, 5), 0);
    SetGlobalAllocFailCountdown(-1);
    EXPECT_EQ(Bytes(*record.GetSlot(5)), std::string("abc", 4));
    ExpectSoundSlot(*record.GetSlot(5));
    ASSERT_TRUE(record.SetField(nullptr, 0, 5));
    EXPECT_EQ(record.GetSlot(5)->length, 0);
    ASSERT_TRUE(record.SetField("z", 2, 39));  // beyond the schema: kept, never sent
    EXPECT_EQ(record.GetSlot(39)->length, 2);
}

TEST(TipRecordTest, AllocationFailuresInSetKindAndBuildBufferAreReported) {
    CTipRecord record;
    for (uint16_t kind : {0x300, 0x401, 0x800, 0x900, 0xF00}) {
        SCOPED_TRACE(kind);
        int failures = 0;
        for (long countdown = 0;; ++countdown, ++failures) {
            SetGlobalAllocFailCountdown(countdown);
            const BOOL built = record.SetKind(kind);
            SetGlobalAllocFailCountdown(-1);
            if (built) break;
            ASSERT_LT(countdown, 200);
            EXPECT_EQ(record.GetKind(), kind);
            EXPECT_EQ(record.GetID(), 0);
            ExpectSoundPrefix(record);
        }
        EXPECT_GE(failures, 2 * CTipRecord::GetFieldCount(kind));  // at least tag and label of every slot
        ASSERT_NE(record.BuildBuffer(), nullptr);
        SetGlobalAllocFailCountdown(0);
        EXPECT_EQ(record.BuildBuffer(), nullptr);
        SetGlobalAllocFailCountdown(-1);
        EXPECT_NE(record.BuildBuffer(), nullptr);
    }
}

TEST(TipRecordTest, LoadCopiesEntriesKindAndStamp) {
    CTipRecord record;
    record.SetID(9);
    TestTip tip = ToDoTip(kStampA);
    TIPFIELD** buffer = tip.Buffer();
    ASSERT_EQ(record.LoadFromBuffer(buffer), 1);
    EXPECT_EQ(record.GetKind(), 0x300);
    EXPECT_EQ(record.GetID(), 9);
    EXPECT_EQ(Stamp(record), kStampA);
    for (int i = 0; i < 11; ++i) {
        const TIPFIELD& slot = *record.GetSlot(i);
        EXPECT_STREQ(slot.tag, buffer[i]->tag);
        EXPECT_STREQ(slot.label, "label");
        EXPECT_EQ(slot.type, buffer[i]->type);
        EXPECT_EQ(Bytes(slot), Bytes(*buffer[i]));
        EXPECT_NE(slot.data, buffer[i]->data);
        ExpectSoundSlot(slot);
    }
    ExpectSlotEmpty(*record.GetSlot(11), 11);

    TestTip shortStamp = ToDoTip(std::string("19980314000507"));
    ASSERT_EQ(record.LoadFromBuffer(shortStamp.Buffer()), 1);
    EXPECT_EQ(record.GetLastModifiedStamp()[0], '\0');
    TestTip wide(0x401);
    for (int i = 1; i < 45; ++i) wide.Add(("F" + std::to_string(100 + i)).c_str(), "x");
    ASSERT_EQ(record.LoadFromBuffer(wide.Buffer()), 1);
    EXPECT_STREQ(record.GetSlot(39)->tag, "F139");
    EXPECT_EQ(record.GetKind(), 0x401);
}

TEST(TipRecordTest, MalformedBuffersLoadWithoutReadingPastThem) {
    CTipRecord record;
    TestTip tip(0x300);
    TIPFIELD& nameless = tip.Add("MEMO", "text");
    nameless.tag = nameless.label = nullptr;
    TIPFIELD& dataless = tip.Add("LTDY", "");
    dataless.data = nullptr;
    dataless.length = 5;
    char longTag[] = "LMTMXYZ";
    tip.Add("", kStampB, 6).tag = longTag;
    tip.Add("SCRT", "after the terminator");
    ASSERT_EQ(record.LoadFromBuffer(tip.Buffer(4)), 1);
    EXPECT_STREQ(record.GetSlot(1)->tag, "");
    EXPECT_STREQ(record.GetSlot(1)->label, "");
    EXPECT_EQ(record.GetSlot(2)->data, nullptr);
    EXPECT_EQ(record.GetSlot(2)->length, 0);
    EXPECT_STREQ(record.GetSlot(3)->tag, "LMTM");
    EXPECT_EQ(Stamp(record), kStampB);
    ExpectSlotEmpty(*record.GetSlot(4), 4);

    // A kind field shorter than 2 bytes or without data gives kind 0.
    TestTip oneByte(0x300), noData(0x300), empty(0x300);
    oneByte.Buffer()[0]->length = 1;
    ASSERT_EQ(record.LoadFromBuffer(oneByte.Buffer()), 1);
    EXPECT_EQ(record.GetKind(), 0);
    noData.Buffer()[0]->data = nullptr;
    ASSERT_EQ(record.LoadFromBuffer(noData.Buffer()), 1);
    EXPECT_EQ(record.GetKind(), 0);
    EXPECT_EQ(record.GetSlot(0)->length, 0);
    ASSERT_TRUE(record.SetKind(0x300));
    ASSERT_EQ(record.LoadFromBuffer(nullptr), 1);
    EXPECT_EQ(record.GetKind(), 0);
    ExpectSlotEmpty(*record.GetSlot(0), 0);
    ASSERT_EQ(record.LoadFromBuffer(empty.Buffer(0)), 1);
    EXPECT_EQ(record.GetKind(), 0);
}

TEST(TipRecordTest, CheckLastModifiedComparesWithTheStoredStamp) {
    CTipRecord record;
    TestTip loaded = ToDoTip(kStampA), same = ToDoTip(kStampA), changed = ToDoTip(kStampB);
    ASSERT_EQ(record.LoadFromBuffer(loaded.Buffer()), 1);
    EXPECT_EQ(record.CheckLastModified(same.Buffer()), 1);
    EXPECT_EQ(record.CheckLastModified(changed.Buffer()), 0);
    EXPECT_EQ(Stamp(record), kStampB);
    EXPECT_EQ(record.CheckLastModified(changed.Buffer()), 1);  // the second put goes ahead

    // No 15-byte LMTM among the stored kind's entries, before its terminator.
    TestTip noStamp = ToDoTip(std::string("1998", 5));
    EXPECT_EQ(record.CheckLastModified(noStamp.Buffer()), 1);
    TestTip beyondCount(0x800);
    for (const char* tag : {"PBCP", "LIDS", "LMTX", "LMTM"}) beyondCount.Add(tag, kStampA, 6);
    EXPECT_EQ(record.CheckLastModified(beyondCount.Buffer()), 1);
    EXPECT_EQ(record.CheckLastModified(same.Buffer(3)), 1);
    EXPECT_EQ(Stamp(record), kStampB);

    // A kind without a schema, a short kind field or no buffer: no put.
    TestTip unknown(0x999);
    unknown.Add("LMTM", kStampB, 6);
    EXPECT_EQ(record.CheckLastModified(unknown.Buffer()), 0);
    same.Buffer()[0]->length = 1;
    EXPECT_EQ(record.CheckLastModified(same.Buffer()), 0);
    EXPECT_EQ(record.CheckLastModified(nullptr), 0);

    // A record given an id without a load adopts the stored stamp.
    ASSERT_TRUE(record.SetKind(0x300));
    record.SetID(42);
    EXPECT_EQ(record.CheckLastModified(changed.Buffer()), 1);
    EXPECT_EQ(Stamp(record), kStampB);
}

TEST(TipRecordTest, AllocationFailuresStopTheLoadAtASoundSlot) {
    CTipRecord record;
    TestTip card(0x404);
    for (int i = 1; i < 34; ++i) card.Add(("C" + std::to_string(100 + i)).c_str(), std::string(i, 'v'));
    card.Add("LMTM", kStampA, 6);
    TIPFIELD** buffer = card.Buffer();
    for (long countdown = 0;; ++countdown) {
        ASSERT_TRUE(record.SetKind(0x201));
        SetGlobalAllocFailCountdown(countdown);
        const BOOL loaded = record.LoadFromBuffer(buffer);
        SetGlobalAllocFailCountdown(-1);
        if (loaded) break;
        ASSERT_LT(countdown, 3 * 35);
        EXPECT_EQ(record.GetKind(), 0x201);
        EXPECT_EQ(record.GetLastModifiedStamp()[0], '\0');
        for (int i = 0; i < 40 && record.GetSlot(i)->tag; ++i) EXPECT_EQ(Bytes(*record.GetSlot(i)), Bytes(*buffer[i]));
        ExpectSoundPrefix(record);
    }
    EXPECT_EQ(record.GetKind(), 0x404);
    EXPECT_EQ(Stamp(record), kStampA);
}

}  // namespace

#include "TipDecoder.h"

#include <cstring>
#include <string>

#include "TipSchemas.h"

namespace fuzz {
namespace {

const uint16_t kKinds[] = {
    varo::KIND_PLAN_101,     varo::KIND_MILESTONE_102, varo::KIND_PLAN_103,       varo::KIND_SCHEDULE_201,
    varo::KIND_SCHEDULE_202, varo::KIND_HOLIDAY_203,   varo::KIND_ANNIVERSARY_204, varo::KIND_TODO_300,
    varo::KIND_CARD_401,     varo::KIND_CARD_402,      varo::KIND_CARD_403,       varo::KIND_CARD_404,
    varo::KIND_MEMO_501,     varo::KIND_MEMO_502,      varo::KIND_MEMO_503,       varo::KIND_MEMO_504,
    varo::KIND_MEMO_505,     varo::KIND_MEMO_506,      varo::KIND_PAGEBOARD_800,  varo::KIND_PREFERENCE_900,
    varo::KIND_FILELINK_F00,
};
const size_t kKindCount = sizeof kKinds / sizeof kKinds[0];

const char* const kControlTags[] = {"@CNT", "@DSP", "@FID", "@TBL"};
const size_t kControlTagCount = sizeof kControlTags / sizeof kControlTags[0];
const uint32_t kControlFieldType = 10;

const size_t kMaxEntries = 41;
const size_t kTagLength = 4;
const size_t kMaxLabel = 300;
const uint32_t kPlainType = 1;

enum Flag : uint8_t {
    kTagBits = 0x03,
    kLabelShift = 2,
    kTypeRead = 0x10,
    kDataShift = 5,
    kTextData = 0x80,
};
enum TagMode : uint8_t { kSchemaTag, kReadTag, kUnterminatedTag, kNullTag };
enum LabelMode : uint8_t { kSchemaLabel, kReadLabel, kNullLabel, kEmptyLabel };
enum DataMode : uint8_t { kReadData, kNoData, kLengthWithoutData, kEmptyBlock };

}  // namespace

DecodedTip DecodedTip::Read(FuzzBytes& in, Reader reader) {
    DecodedTip tip;
    const uint8_t choice = in.Byte();
    if (choice < kKindCount) {
        tip.m_schema = Schema::Kind;
        tip.m_kind = kKinds[choice];
    } else if (choice == kKindCount) {
        tip.m_schema = Schema::Control;
    } else {
        tip.m_kind = in.Word();
        tip.m_schema = varo::IsTipKind(tip.m_kind) ? Schema::Kind : Schema::None;
    }
    const size_t count = in.Byte() % (kMaxEntries + 1);
    tip.m_fields.resize(count);
    for (size_t index = 0; index < count; ++index) tip.ReadEntry(in, index, reader, &tip.m_fields[index]);
    const bool terminated = reader == Reader::Engine || count < static_cast<size_t>(varo::TIP_SLOT_COUNT);
    tip.m_pointers.reset(new TIPFIELD*[count + (terminated ? 1 : 0)]);
    for (size_t index = 0; index < count; ++index) tip.m_pointers[index] = &tip.m_fields[index];
    if (terminated) tip.m_pointers[count] = nullptr;
    return tip;
}

char* DecodedTip::Keep(const std::string& bytes, bool terminate) {
    const size_t size = bytes.size() + (terminate ? 1 : 0);
    std::unique_ptr<char[]> block(new char[size]);
    if (!bytes.empty()) std::memcpy(block.get(), bytes.data(), bytes.size());
    if (terminate) block[bytes.size()] = '\0';
    m_blocks.push_back(std::move(block));
    return m_blocks.back().get();
}

void DecodedTip::ReadEntry(FuzzBytes& in, size_t index, Reader reader, TIPFIELD* entry) {
    const uint8_t flags = in.Byte();
    entry->tag = ReadTag(in, index, flags & kTagBits, reader);
    entry->label = ReadLabel(in, index, (flags >> kLabelShift) & 3);
    if (flags & kTypeRead) {
        entry->type = in.Dword();
    } else if (m_schema == Schema::Control) {
        entry->type = kControlFieldType;
    } else {
        const uint32_t type = varo::SchemaFieldType(m_kind, static_cast<int>(index));
        entry->type = type != 0 ? type : kPlainType;
    }
    ReadData(in, index, flags, entry);
}

char* DecodedTip::ReadTag(FuzzBytes& in, size_t index, uint8_t mode, Reader reader) {
    switch (mode) {
    case kSchemaTag: {
        const char* tag = nullptr;
        if (m_schema == Schema::Control && index < kControlTagCount) tag = kControlTags[index];
        if (m_schema == Schema::Kind) tag = varo::SchemaTag(m_kind, static_cast<int>(index));
        if (!tag && index == 0) tag = "TAFL";
        return tag ? Keep(tag, true) : Keep(in.Take(kTagLength), true);
    }
    case kReadTag: return Keep(in.Take(kTagLength), true);
    case kUnterminatedTag: {
        std::string tag = in.Take(kTagLength);
        tag.resize(kTagLength, '_');
        return Keep(tag, reader == Reader::Engine);
    }
    default: return nullptr;
    }
}

char* DecodedTip::ReadLabel(FuzzBytes& in, size_t index, uint8_t mode) {
    switch (mode) {
    case kSchemaLabel: {
        const char* label = m_schema == Schema::Kind ? varo::SchemaLabel(m_kind, static_cast<int>(index)) : nullptr;
        return Keep(label ? label : "", true);
    }
    case kReadLabel: return Keep(in.Piece(kMaxLabel), true);
    case kNullLabel: return nullptr;
    default: return Keep(std::string(), true);
    }
}

void DecodedTip::ReadData(FuzzBytes& in, size_t index, uint8_t flags, TIPFIELD* entry) {
    entry->data = nullptr;
    entry->length = 0;
    switch ((flags >> kDataShift) & 3) {
    case kReadData: {
        std::string bytes;
        if (index == 0 && m_schema != Schema::Control) {
            bytes = {static_cast<char>(m_kind & 0xFF), static_cast<char>(m_kind >> 8)};
        } else {
            bytes = in.Block();
            if ((flags & kTextData) && bytes.size() < 0xFFFF) bytes += '\0';
        }
        entry->data = reinterpret_cast<uint8_t*>(Keep(bytes, false));
        entry->length = static_cast<uint16_t>(bytes.size());
        break;
    }
    case kLengthWithoutData: entry->length = static_cast<uint16_t>(in.Word() | 1); break;
    case kEmptyBlock: entry->data = reinterpret_cast<uint8_t*>(Keep(std::string(), false)); break;
    default: break;
    }
}

}  // namespace fuzz

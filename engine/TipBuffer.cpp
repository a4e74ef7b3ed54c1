#include "TipBuffer.h"

#include <cstring>

#include "EngineCodes.h"
#include "KindSchemas.h"

namespace varo {
namespace engine {
namespace {

const size_t kTagLength = 4;
const size_t kStampDigits = 14;
// The kit's control data has 40 entries (cabinets) or 100 (folders) and its
// loader takes that many from the tables, so only those sizes are stored.
const size_t kCabinetEntries = 40;
const size_t kFolderEntries = 100;
const uint16_t kPageBoardKind = 0x800;
const uint16_t kPreferenceKind = 0x900;

const char* const kControlTags[] = {"@CNT", "@DSP", "@FID", "@TBL"};

const char* const kCompactTags[] = {
    "TAFL", "SCRT", "TCDY", "MARK", "FNDY", "TIME", "LTDY", "MEMO", "NAME", "OFCE",
    "ETDY", "CLAS", "FLNM", "PRTY", "POSN", "CLOR", "PPLN", "PEND", "LMTM",
};

struct TopicName {
    const char* name;
    PreferenceTopic topic;
};
const TopicName kTopics[] = {
    {"Category", PreferenceTopic::Category},
    {"Free", PreferenceTopic::Free},
};

bool IsPrintableTag(const std::string& tag) {
    if (tag.size() != kTagLength) return false;
    for (char c : tag) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

bool FieldIsWellFormed(const StoredField& field) {
    return IsPrintableTag(field.tag) && field.label.size() <= kMaxLabelBytes &&
           field.data.size() <= kMaxFieldBytes;
}

bool MatchesKindSchema(const StoredTip& tip, uint16_t kind) {
    if (!HaveKindSchemas()) return true;
    const int count = KindFieldCount(kind);
    if (count < 0 || tip.fields.size() != static_cast<size_t>(count)) return false;
    for (int slot = 0; slot < count; ++slot) {
        const char* tag = KindFieldTag(kind, slot);
        if (!tag || tip.fields[slot].tag != tag) return false;
    }
    return true;
}

bool IsWellFormedKindTip(const StoredTip& tip) { return tip.fields[0].data.size() == 2; }

bool IsWellFormedControlTip(const StoredTip& tip) {
    const size_t count = sizeof kControlTags / sizeof kControlTags[0];
    if (tip.fields.size() != count) return false;
    for (size_t i = 0; i < count; ++i) {
        if (tip.fields[i].tag != kControlTags[i]) return false;
    }
    const size_t table = tip.fields[2].data.size();
    return tip.fields[0].data.size() == 4 && tip.fields[1].data.size() == 4 &&
           (table == kCabinetEntries * 4 || table == kFolderEntries * 4) && tip.fields[3].data.size() == table;
}

// Copies one caller's entry over `field`; false for a missing tag, a tag
// that is not four characters, an overlong label or a length without data.
bool CopyEntry(const TIPFIELD& entry, StoredField* field) {
    if (!entry.tag || strnlen(entry.tag, kTagLength + 1) != kTagLength) return false;
    field->tag.assign(entry.tag, kTagLength);
    field->label.clear();
    if (entry.label) {
        const size_t labelLength = strnlen(entry.label, kMaxLabelBytes + 1);
        if (labelLength > kMaxLabelBytes) return false;
        field->label.assign(entry.label, labelLength);
    }
    field->type = entry.type;
    field->data.clear();
    if (entry.length > 0) {
        if (!entry.data) return false;
        field->data.assign(entry.data, entry.data + entry.length);
    }
    return true;
}

std::string TextUpToTerminator(const std::vector<uint8_t>& data) {
    size_t length = 0;
    while (length < data.size() && data[length] != 0) ++length;
    return std::string(data.begin(), data.begin() + static_cast<long>(length));
}

}  // namespace

bool IsWellFormedTip(const StoredTip& tip) {
    if (tip.fields.empty() || tip.fields.size() > static_cast<size_t>(kMaxTipFields)) return false;
    for (const StoredField& field : tip.fields) {
        if (!FieldIsWellFormed(field)) return false;
    }
    if (tip.fields[0].tag == "TAFL") return IsWellFormedKindTip(tip);
    if (tip.fields[0].tag == kControlTags[0]) return IsWellFormedControlTip(tip);
    return false;
}

int32_t ReadTipBuffer(const void* buffer, StoredTip* out) {
    std::vector<StoredField>& fields = out->fields;
    const TIPFIELD* const* entries = static_cast<const TIPFIELD* const*>(buffer);
    size_t count = 0;
    bool copied = buffer != nullptr;
    for (; copied && entries[count]; ++count) {
        if (count == static_cast<size_t>(kMaxTipFields)) {
            copied = false;
            break;
        }
        if (fields.size() == count) fields.emplace_back();
        copied = CopyEntry(*entries[count], &fields[count]);
    }
    fields.resize(copied ? count : 0);
    if (!copied || !IsWellFormedTip(*out) || (!IsControlTip(*out) && !MatchesKindSchema(*out, TipKind(*out)))) {
        fields.clear();
        return kEngineBadTipBuffer;
    }
    return kEngineOk;
}

bool IsControlTip(const StoredTip& tip) {
    return !tip.fields.empty() && tip.fields[0].tag == kControlTags[0];
}

uint16_t TipKind(const StoredTip& tip) {
    if (tip.fields.empty() || tip.fields[0].tag != "TAFL" || tip.fields[0].data.size() != 2) return 0;
    return static_cast<uint16_t>(tip.fields[0].data[0] | (tip.fields[0].data[1] << 8));
}

const StoredField* FindField(const StoredTip& tip, const char* tag) {
    for (const StoredField& field : tip.fields) {
        if (field.tag == tag) return &field;
    }
    return nullptr;
}

void RenewStamp(StoredTip* tip, const std::string& stamp) {
    for (StoredField& field : tip->fields) {
        if (field.tag == "LMTM") {
            field.data.assign(stamp.begin(), stamp.end());
            field.data.push_back(0);
            return;
        }
    }
}

std::string StampOf(const StoredTip& tip) {
    const StoredField* field = FindField(tip, "LMTM");
    if (!field) return std::string();
    const std::string text = TextUpToTerminator(field->data);
    if (text.size() != kStampDigits) return std::string();
    for (char c : text) {
        if (c < '0' || c > '9') return std::string();
    }
    return text;
}

void WriteBackStamp(void* buffer, const std::string& stamp) {
    if (!buffer || stamp.size() != kStampDigits) return;
    TIPFIELD* const* entries = static_cast<TIPFIELD* const*>(buffer);
    for (int i = 0; i < kMaxTipFields && entries[i]; ++i) {
        TIPFIELD& entry = *entries[i];
        if (!entry.tag || std::strncmp(entry.tag, "LMTM", 5) != 0) continue;
        if (!entry.data || entry.length != kStampDigits + 1) return;
        std::memcpy(entry.data, stamp.c_str(), kStampDigits + 1);
        return;
    }
}

PreferenceTopic TopicOf(const StoredTip& tip) {
    if (TipKind(tip) != kPreferenceKind) return PreferenceTopic::None;
    const StoredField* name = FindField(tip, "PFAT");
    if (!name) return PreferenceTopic::None;
    const std::string text = TextUpToTerminator(name->data);
    for (const TopicName& topic : kTopics) {
        if (text == topic.name) return topic.topic;
    }
    return PreferenceTopic::None;
}

bool UsesCompactLayout(const StoredTip& tip) {
    if (tip.fields.empty() || tip.fields[0].tag != "TAFL") return false;
    const uint16_t kind = TipKind(tip);
    return kind != kPageBoardKind && kind != kPreferenceKind;
}

StoredTip CompactLayout(const StoredTip& tip) {
    StoredTip compact;
    for (const char* tag : kCompactTags) {
        const StoredField* field = FindField(tip, tag);
        if (field) {
            compact.fields.push_back(*field);
        } else {
            StoredField bare;
            bare.tag = tag;
            compact.fields.push_back(bare);
        }
    }
    return compact;
}

namespace {

char* CopyTerminated(const std::string& text, char* at) {
    memcpy(at, text.data(), text.size());
    at[text.size()] = '\0';
    return at + text.size() + 1;
}

}  // namespace

void HandedOutTip::Fill(int32_t db, const StoredTip& tip) {
    m_db = db;
    const size_t count = tip.fields.size();
    const size_t pointerBytes = (count + 1) * sizeof(TIPFIELD*);
    const size_t entryBytes = count * sizeof(TIPFIELD);
    size_t textBytes = 0;
    for (const StoredField& field : tip.fields) textBytes += field.tag.size() + field.label.size() + 2 + field.data.size();
    static_assert(sizeof(TIPFIELD*) % alignof(TIPFIELD) == 0, "entries follow the pointers aligned");
    m_block.resize(pointerBytes + entryBytes + textBytes);
    TIPFIELD** pointers = reinterpret_cast<TIPFIELD**>(m_block.data());
    TIPFIELD* entries = reinterpret_cast<TIPFIELD*>(m_block.data() + pointerBytes);
    char* bytes = reinterpret_cast<char*>(m_block.data() + pointerBytes + entryBytes);
    for (size_t i = 0; i < count; ++i) {
        const StoredField& source = tip.fields[i];
        TIPFIELD& entry = entries[i];
        entry.tag = bytes;
        bytes = CopyTerminated(source.tag, bytes);
        entry.label = bytes;
        bytes = CopyTerminated(source.label, bytes);
        entry.type = source.type;
        entry.data = nullptr;
        if (!source.data.empty()) {
            entry.data = reinterpret_cast<uint8_t*>(bytes);
            memcpy(bytes, source.data.data(), source.data.size());
            bytes += source.data.size();
        }
        entry.length = static_cast<uint16_t>(source.data.size());
        pointers[i] = &entry;
    }
    pointers[count] = nullptr;
}

void* TipPool::Add(int32_t db, const StoredTip& tip) {
    std::unique_ptr<HandedOutTip> handed;
    if (m_spares.empty()) {
        handed.reset(new HandedOutTip);
    } else {
        handed = std::move(m_spares.back());
        m_spares.pop_back();
    }
    handed->Fill(db, tip);
    void* address = handed->Address();
    m_tips.emplace(address, std::move(handed));
    return address;
}

// Blocks of ordinary tips are kept; one grown for a tip of large fields is
// not, so that a pool never holds more than a few small blocks unused.
int32_t TipPool::Release(int32_t db, void* address) {
    const size_t kSpares = 2;
    const size_t kLargestKeptBlock = 16384;
    auto found = m_tips.find(address);
    if (found == m_tips.end() || found->second->Database() != db) return kEngineBadArgument;
    if (m_spares.size() < kSpares && found->second->Capacity() <= kLargestKeptBlock) {
        m_spares.push_back(std::move(found->second));
    }
    m_tips.erase(found);
    return kEngineOk;
}

}  // namespace engine
}  // namespace varo

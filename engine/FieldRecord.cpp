#include "FieldRecord.h"

namespace varo {
namespace engine {
namespace {

const size_t kTagBytes = 4;
const size_t kHeaderBytes = 2;
static_assert(kMaxLabelBytes <= 0xFF, "a label's length is one byte");
static_assert(kMaxFieldBytes <= 0xFFFF, "a field's length is two bytes");

void PutWord(std::vector<uint8_t>* out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

void PutHalf(std::vector<uint8_t>* out, uint16_t value) {
    out->push_back(static_cast<uint8_t>(value));
    out->push_back(static_cast<uint8_t>(value >> 8));
}

bool FieldFits(const StoredField& field) {
    return field.tag.size() == kTagBytes && field.label.size() <= kMaxLabelBytes &&
           field.data.size() <= kMaxFieldBytes;
}

// Walks the record's bytes; every read first checks that the bytes are there.
class Reader {
public:
    Reader(const uint8_t* bytes, size_t size) : m_at(bytes), m_left(size) {}

    size_t Left() const { return m_left; }
    bool Byte(uint8_t* value) {
        if (m_left < 1) return false;
        *value = m_at[0];
        Skip(1);
        return true;
    }
    bool Half(uint16_t* value) {
        if (m_left < 2) return false;
        *value = static_cast<uint16_t>(m_at[0] | (m_at[1] << 8));
        Skip(2);
        return true;
    }
    bool Word(uint32_t* value) {
        if (m_left < 4) return false;
        *value = static_cast<uint32_t>(m_at[0]) | (static_cast<uint32_t>(m_at[1]) << 8) |
                 (static_cast<uint32_t>(m_at[2]) << 16) | (static_cast<uint32_t>(m_at[3]) << 24);
        Skip(4);
        return true;
    }
    bool Bytes(size_t count, std::string* out) {
        if (m_left < count) return false;
        out->assign(reinterpret_cast<const char*>(m_at), count);
        Skip(count);
        return true;
    }
    bool Bytes(size_t count, std::vector<uint8_t>* out) {
        if (m_left < count) return false;
        out->assign(m_at, m_at + count);
        Skip(count);
        return true;
    }

private:
    void Skip(size_t count) {
        m_at += count;
        m_left -= count;
    }

    const uint8_t* m_at;
    size_t m_left;
};

bool ReadField(Reader& reader, StoredField* field) {
    uint8_t labelLength = 0;
    uint16_t dataLength = 0;
    return reader.Bytes(kTagBytes, &field->tag) && reader.Byte(&labelLength) &&
           reader.Bytes(labelLength, &field->label) && reader.Word(&field->type) && reader.Half(&dataLength) &&
           reader.Bytes(dataLength, &field->data);
}

FieldRecordError ReadFields(Reader& reader, StoredTip* out) {
    uint8_t encoding = 0;
    if (!reader.Byte(&encoding)) return FieldRecordError::Empty;
    if (encoding != kFieldRecordEncoding) return FieldRecordError::UnknownEncoding;
    uint8_t count = 0;
    if (!reader.Byte(&count)) return FieldRecordError::Truncated;
    if (count > kMaxTipFields) return FieldRecordError::TooManyFields;
    out->fields.resize(count);
    for (StoredField& field : out->fields) {
        if (!ReadField(reader, &field)) return FieldRecordError::Truncated;
    }
    return reader.Left() == 0 ? FieldRecordError::None : FieldRecordError::TrailingBytes;
}

}  // namespace

bool EncodeFieldRecord(const StoredTip& tip, std::vector<uint8_t>* out) {
    out->clear();
    if (tip.fields.size() > static_cast<size_t>(kMaxTipFields)) return false;
    size_t bytes = kHeaderBytes;
    for (const StoredField& field : tip.fields) {
        if (!FieldFits(field)) return false;
        bytes += kTagBytes + 1 + field.label.size() + 4 + 2 + field.data.size();
    }
    out->reserve(bytes);
    out->push_back(kFieldRecordEncoding);
    out->push_back(static_cast<uint8_t>(tip.fields.size()));
    for (const StoredField& field : tip.fields) {
        out->insert(out->end(), field.tag.begin(), field.tag.end());
        out->push_back(static_cast<uint8_t>(field.label.size()));
        out->insert(out->end(), field.label.begin(), field.label.end());
        PutWord(out, field.type);
        PutHalf(out, static_cast<uint16_t>(field.data.size()));
        out->insert(out->end(), field.data.begin(), field.data.end());
    }
    return true;
}

FieldRecordError DecodeFieldRecord(const uint8_t* bytes, size_t size, StoredTip* out) {
    Reader reader(bytes, bytes ? size : 0);
    const FieldRecordError error = ReadFields(reader, out);
    if (error != FieldRecordError::None) out->fields.clear();
    return error;
}

}  // namespace engine
}  // namespace varo

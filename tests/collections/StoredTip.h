// Id lists built from and read as plain lists, and a tip as the engine
// would hold it: a deep copy of the current tip record that owns its bytes
// and hands out a tip buffer of its own.
#pragma once

#include <string>
#include <vector>

#include "EngineInterface.h"
#include "TipRecord.h"
#include "VAROObj.h"

inline CSelectTips Tips(std::initializer_list<DWORD> ids) {
    CSelectTips tips;
    for (DWORD id : ids) tips.Add(id);
    return tips;
}

// The `count` 32-bit little-endian ids at `block`.
inline std::vector<uint32_t> IdsAt(const void* block, size_t count) {
    std::vector<uint32_t> ids;
    const unsigned char* p = static_cast<const unsigned char*>(block);
    for (size_t i = 0; i < count; ++i, p += 4) ids.push_back(p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24);
    return ids;
}

inline std::vector<DWORD> IdsOf(const CDWordArray& ids) {
    std::vector<DWORD> out;
    for (int i = 0; i < ids.GetSize(); ++i) out.push_back(ids[i]);
    return out;
}

class StoredTip {
public:
    // Copies the record's schema slots as they stand now.
    static StoredTip FromRecord() {
        StoredTip tip;
        CTipRecord& record = CTipRecord::Global();
        const int count = CTipRecord::GetFieldCount(record.GetKind());
        for (int i = 0; i < count; ++i) {
            const TIPFIELD* slot = record.GetSlot(i);
            tip.m_tags.push_back(slot->tag ? slot->tag : "");
            tip.m_labels.push_back(slot->label ? slot->label : "");
            tip.m_data.push_back(slot->data ? std::string(reinterpret_cast<char*>(slot->data), slot->length)
                                            : std::string());
            tip.m_types.push_back(slot->type);
        }
        return tip;
    }

    // Replaces the data of the entry tagged `tag`.
    void Set(const char* tag, const std::string& bytes) {
        for (size_t i = 0; i < m_tags.size(); ++i) {
            if (m_tags[i] == tag) m_data[i] = bytes;
        }
    }

    // A buffer over this tip's bytes, valid while the tip lives unchanged.
    TIPFIELD** Buffer() {
        m_fields.resize(m_tags.size());
        m_pointers.clear();
        for (size_t i = 0; i < m_tags.size(); ++i) {
            m_fields[i].tag = &m_tags[i][0];
            m_fields[i].label = &m_labels[i][0];
            m_fields[i].type = m_types[i];
            m_fields[i].data = m_data[i].empty() ? nullptr : reinterpret_cast<uint8_t*>(&m_data[i][0]);
            m_fields[i].length = static_cast<uint16_t>(m_data[i].size());
            m_pointers.push_back(&m_fields[i]);
        }
        m_pointers.push_back(nullptr);
        return m_pointers.data();
    }

private:
    std::vector<std::string> m_tags, m_labels, m_data;
    std::vector<uint32_t> m_types;
    std::vector<TIPFIELD> m_fields;
    std::vector<TIPFIELD*> m_pointers;
};

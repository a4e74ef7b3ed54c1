// The process-wide control data of cabinets and folders: the contents of the
// control tip last loaded or created, and the four-entry tip buffer through
// which it is written.
//
// A control tip has four fields, type 10, no label: "@CNT" (entries in use),
// "@DSP" (display position), "@FID" (n fukuro ids by slot, 0 = free) and
// "@TBL" (n slot indices in display order), every number 32-bit little-endian.
// n is 40 for the cabinet control tip and 100 for a folder control tip.
//
// One instance per process, shared by all kit objects; one thread.
#pragma once

#include <cstdint>

#include "EngineInterface.h"
#include "GlobalHeap.h"

namespace varo {

const int kCabinetSlots = 40;
const int kFolderSlots = 100;
const long kCabinetFukuro = 0x3011;

class ControlData {
public:
    static ControlData& Global();

    // Reads a control tip buffer into the record with n entries per table;
    // a missing or mis-tagged field gives -1 (numbers) or no table, and a
    // table shorter than n entries is filled up with zeros.
    bool Read(TIPFIELD* const* buffer, int n);
    // Empties the record for n entries: count 0, position 0, no fukuros,
    // order all -1. False when a table cannot be allocated.
    bool MakeEmpty(int n);
    // The tip buffer describing the record's current contents with n
    // entries per table; null when the tables cannot be made.
    TIPFIELD** Buffer(int n);

    int32_t count = 0;
    int32_t displayPosition = 0;
    int32_t db = 0;
    int32_t fukuro = 0;
    int32_t tip = 0;

    // The tables' entries; absent tables read 0 (fukuro ids) and -1 (order).
    bool HasTables() const { return m_fukuroIds && m_order; }
    bool HasOrder() const { return m_order != nullptr; }
    int32_t FukuroId(int slot) const;
    int32_t Order(int index) const;
    void SetFukuroId(int slot, int32_t id);
    void SetOrder(int index, int32_t slot);
    int TableSize() const { return m_size; }
    // Makes both tables n entries long, keeping what fits, filling with
    // zeros; false when memory cannot be had.
    bool Resize(int n);

private:
    ControlData() = default;
    ~ControlData();

    uint8_t* m_fukuroIds = nullptr;  // m_size x 4 bytes, global heap
    uint8_t* m_order = nullptr;
    int m_size = 0;
    uint8_t m_countBytes[4] = {};
    uint8_t m_positionBytes[4] = {};
    char m_tags[4][5] = {{'@', 'C', 'N', 'T', 0}, {'@', 'D', 'S', 'P', 0}, {'@', 'F', 'I', 'D', 0},
                         {'@', 'T', 'B', 'L', 0}};
    char m_noLabel[1] = {0};
    TIPFIELD m_fields[4] = {};
    TIPFIELD* m_buffer[5] = {};
};

}  // namespace varo

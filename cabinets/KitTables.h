// The kit object's copies of the cabinet and folder tables: blocks of 32-bit
// values from the global heap (40 entries for cabinets, 100 for folders),
// null until the first load. Every access is bounded by the table's size.
#pragma once

#include <cstdint>

#include "GlobalHeap.h"

namespace varo {

class ControlData;

// Entry i of the table, or `missing` outside it or when there is no table.
int32_t TableEntry(HGLOBAL table, int i, int32_t missing);
void SetTableEntry(HGLOBAL table, int i, int32_t value);
int TableSize(HGLOBAL table);

// Replaces `table` by a fresh n-entry copy of the record's fukuro ids or
// order table (zeros where the record has no such table). False, with the
// old table kept, when memory cannot be had.
bool CopyFukuroIdsFromRecord(HGLOBAL& table, int n, const ControlData& record);
bool CopyOrderFromRecord(HGLOBAL& table, int n, const ControlData& record);

// Writes the kit's tables into the record, sized n; false without memory.
bool CopyTablesToRecord(HGLOBAL fukuroIds, HGLOBAL order, int n, ControlData& record);

// The order moves: `to` names the entry before which the moved one goes, in
// the numbering before the move; moving to the end is MoveBack to the count.
void MoveBack(HGLOBAL order, int from, int to);
void MoveFront(HGLOBAL order, int from, int to);

// Takes entry `index` out of the order: its slot becomes free, the entries
// after it move up, the count drops by one and the display position stays
// inside the new count.
void RemoveFromOrder(HGLOBAL fukuroIds, HGLOBAL order, int index, ControlData& record);

}  // namespace varo

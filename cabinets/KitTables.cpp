#include "KitTables.h"

#include <algorithm>

#include "ControlData.h"

namespace varo {
namespace {

int32_t* Entries(HGLOBAL table) { return static_cast<int32_t*>(GlobalLock(table)); }

template <class Fill>
bool ReplaceTable(HGLOBAL& table, int n, Fill fill) {
    HGLOBAL fresh = GlobalAlloc(GHND, static_cast<size_t>(n) * 4);
    if (!fresh) return false;
    int32_t* entries = Entries(fresh);
    for (int i = 0; i < n; ++i) entries[i] = fill(i);
    GlobalUnlock(fresh);
    if (table) GlobalFree(table);
    table = fresh;
    return true;
}

}  // namespace

int TableSize(HGLOBAL table) { return table ? static_cast<int>(GlobalSize(table) / 4) : 0; }

int32_t TableEntry(HGLOBAL table, int i, int32_t missing) {
    if (i < 0 || i >= TableSize(table)) return missing;
    const int32_t value = Entries(table)[i];
    GlobalUnlock(table);
    return value;
}

void SetTableEntry(HGLOBAL table, int i, int32_t value) {
    if (i < 0 || i >= TableSize(table)) return;
    Entries(table)[i] = value;
    GlobalUnlock(table);
}

bool CopyFukuroIdsFromRecord(HGLOBAL& table, int n, const ControlData& record) {
    return ReplaceTable(table, n, [&record](int i) { return record.FukuroId(i); });
}

bool CopyOrderFromRecord(HGLOBAL& table, int n, const ControlData& record) {
    return ReplaceTable(table, n, [&record](int i) { return record.HasOrder() ? record.Order(i) : 0; });
}

bool CopyTablesToRecord(HGLOBAL fukuroIds, HGLOBAL order, int n, ControlData& record) {
    if (!record.Resize(n)) return false;
    for (int i = 0; i < n; ++i) {
        record.SetFukuroId(i, TableEntry(fukuroIds, i, 0));
        record.SetOrder(i, TableEntry(order, i, -1));
    }
    return true;
}

// The shifts below stop at the table's end: a count read from a damaged
// control tip may be anything up to 2^31 - 1, and the entries beyond the
// table, which every write would skip, are not walked one by one.
void MoveBack(HGLOBAL order, int from, int to) {
    const int32_t moved = TableEntry(order, from, -1);
    const int last = std::min(to - 2, TableSize(order) - 1);
    for (int i = from; i <= last; ++i) SetTableEntry(order, i, TableEntry(order, i + 1, -1));
    SetTableEntry(order, to - 1, moved);
}

void MoveFront(HGLOBAL order, int from, int to) {
    const int32_t moved = TableEntry(order, from, -1);
    for (int i = std::min(from - 1, TableSize(order) - 2); i >= to; --i) {
        SetTableEntry(order, i + 1, TableEntry(order, i, -1));
    }
    SetTableEntry(order, to, moved);
}

void RemoveFromOrder(HGLOBAL fukuroIds, HGLOBAL order, int index, ControlData& record) {
    const int count = record.count;
    SetTableEntry(fukuroIds, TableEntry(order, index, -1), 0);
    const int last = std::min(count - 2, TableSize(order) - 1);
    for (int i = index; i <= last; ++i) SetTableEntry(order, i, TableEntry(order, i + 1, -1));
    SetTableEntry(order, count - 1, -1);
    record.count = count - 1;
    if (record.displayPosition >= record.count) record.displayPosition = record.count > 0 ? record.count - 1 : 0;
}

}  // namespace varo

// CTipRecord: the process's one in-memory copy of the current tip.
//
// Every tip read from the engine is copied into the record (LoadFromBuffer),
// every field accessor reads or writes one of its 40 TIPFIELD slots, and every
// tip written to the engine is handed over as a tip buffer that points into
// the record (BuildBuffer). The current tip id and kind live here, not in the
// kit objects; all kit objects of a process share the one record reached
// through CTipRecord::Global(), which exists from load to unload.
//
// Ownership: the record owns each slot's tag, label and data block (separate
// zero-filled global-heap blocks) and the tip buffer it last built. Tip
// buffers handed in stay the caller's; nothing of them is kept.
//
// Threads: none of its own and no lock; the record is used from the thread
// that drives the engine.
//
// Failures: a block that cannot be allocated gives 0 (or null) as documented
// per member, and nothing is leaked. A failing SetField leaves its slot as it
// was. Malformed tip buffers from the engine are read no further than their
// terminator, 40 entries, 4 tag characters and each entry's own length.
#pragma once

#include <cstdint>

#include "CObject.h"
#include "EngineInterface.h"
#include "TipSchemas.h"
#include "WinTypes.h"

class CTipRecord : public CObject {
public:
    // The process-wide record, constructed before any code of the process
    // runs and destroyed at unload.
    static CTipRecord& Global();

    // All slots empty, no tip buffer, id 0, kind 0, stamp empty.
    constexpr CTipRecord() : m_fields{}, m_tipBuffer(nullptr), m_tipID(0), m_tipKind(0), m_lastModified{} {}
    ~CTipRecord() override;
    CTipRecord(const CTipRecord&) = delete;
    CTipRecord& operator=(const CTipRecord&) = delete;

    // Releases every slot's tag, label and data (field types stay) and
    // empties the stamp. Id, kind and tip buffer are untouched.
    void Clear();

    void SetID(int32_t id) { m_tipID = id; }
    int32_t GetID() const { return m_tipID; }
    uint16_t GetKind() const { return m_tipKind; }

    // Starts a new, unstored tip of `kind`: id 0, stamp empty, the kind's
    // schema with its initial values and a fresh UTC LMTM. 0 for a value that
    // is not a kind (the record is then cleared with that kind set) or when a
    // block cannot be allocated (the slots built so far stay).
    BOOL SetKind(uint16_t kind);

    // Replaces slot `index`'s data by a copy of `length` bytes of `value`;
    // tag, label and field type stay. 0, leaving the slot as it was, when the
    // block cannot be allocated, when `value` is null with a non-zero length,
    // or when `index` is outside 0-39. The index is not checked against the
    // current kind's schema. Lengths are 16 bits: callers refuse larger
    // values before calling.
    BOOL SetField(const void* value, uint16_t length, int index);

    // Writes slot `index`'s field type, for the setters whose field type
    // depends on the value; 0 when `index` is outside 0-39.
    BOOL SetFieldType(int index, uint32_t type);

    // Slots of the kind's schema, -1 for a value that is not a kind.
    static int GetFieldCount(uint16_t kind) { return varo::SchemaFieldCount(kind); }

    // The slot that holds `tag` for the current kind, -1 when it has none.
    int FindSlot(const char* tag) const { return varo::SchemaSlot(m_tipKind, tag); }

    // Slot `index` (0-39) as it stands; null outside that range.
    const TIPFIELD* GetSlot(int index) const;

    // The LMTM value of the tip as last loaded or checked: 15 bytes, always
    // zero-terminated, empty (first byte zero) when there is none.
    const char* GetLastModifiedStamp() const { return m_lastModified; }

    // Copies a tip buffer delivered by the engine (entries up to its null
    // terminator, at most 40) into the slots, takes the kind from entry 0's
    // first 2 data bytes (0 when it has fewer) and an LMTM entry of exactly 15
    // bytes into the stamp. The id is not set. A null buffer loads as an
    // empty tip of kind 0. An entry with a null tag or label gets an empty
    // one, a tag keeps at most 4 characters, and an entry with a length but
    // no data loads without data. 0 when a block cannot be allocated: the
    // load stops there, the entries before it stay, the failing slot is left
    // empty and the kind is not updated.
    BOOL LoadFromBuffer(TIPFIELD* const* buffer);

    // Releases the previous tip buffer and builds a new one: the addresses of
    // the current kind's first GetFieldCount slots and a null. It points into
    // the record and stays valid until the next BuildBuffer or destruction.
    // Null for a kind without a schema or when the block cannot be allocated.
    TIPFIELD** BuildBuffer();

    // Whether a put of the current tip may go ahead, given the buffer of the
    // version now stored: 1 when that version has no 15-byte LMTM among its
    // kind's entries, when the stamp is empty (it then adopts the stored
    // value) or when both match; 0 when they differ (the stamp then adopts
    // the stored value, so the next check passes) and when the stored tip's
    // kind has no schema (or the buffer is null).
    BOOL CheckLastModified(TIPFIELD* const* stored);

    // After a successful store: the stamp becomes the one the engine wrote
    // back into the record's LMTM slot, so that the next store of the same
    // record passes the check unless someone else stores meanwhile. Nothing
    // when the kind has no 15-byte LMTM slot.
    void AdoptStoredStamp();

    // The schema builders: each writes its block's slots (tag and label where
    // the slot has none yet, field type, initial value) and returns 0 at the
    // first block that cannot be allocated, the slots before staying built.
    // SetKind runs them right after clearing the record; the kind's data in
    // slot 0 is written by SetKind afterwards.
    BOOL BuildCommonFields() { return BuildBlock(varo::SchemaBlock::Common); }
    BOOL BuildPlanFields() { return BuildBlock(varo::SchemaBlock::Plan); }
    BOOL BuildMilestoneFields() { return BuildBlock(varo::SchemaBlock::Milestone); }
    BOOL BuildScheduleFields() { return BuildBlock(varo::SchemaBlock::Schedule); }
    BOOL BuildHolidayFields() { return BuildBlock(varo::SchemaBlock::Holiday); }
    BOOL BuildAnniversaryFields() { return BuildBlock(varo::SchemaBlock::Anniversary); }
    BOOL BuildToDoFields() { return BuildBlock(varo::SchemaBlock::ToDo); }
    BOOL BuildCardFields() { return BuildBlock(varo::SchemaBlock::Card); }
    BOOL BuildMemoFields() { return BuildBlock(varo::SchemaBlock::Memo); }
    BOOL BuildPageBoardFields() { return BuildBlock(varo::SchemaBlock::PageBoard); }
    BOOL BuildPreferenceFields() { return BuildBlock(varo::SchemaBlock::Preference); }
    BOOL BuildFileLinkFields() { return BuildBlock(varo::SchemaBlock::FileLink); }

private:
    BOOL BuildBlock(varo::SchemaBlock block);
    BOOL BuildSlot(int index, const varo::SchemaField& field);
    BOOL WriteInitialValue(int index, varo::InitialValue value);
    BOOL CopyEntry(int index, const TIPFIELD& entry);
    void ReleaseSlot(int index);
    void ReleaseSlotsFrom(int first);
    void ReleaseTipBuffer();
    void AdoptStamp(const uint8_t* stamp);

    TIPFIELD m_fields[varo::TIP_SLOT_COUNT];
    TIPFIELD** m_tipBuffer;
    int32_t m_tipID;
    uint16_t m_tipKind;
    // One byte beyond the stored 15 stays zero, so the stamp is always
    // terminated even when an engine's value is not.
    char m_lastModified[varo::TIP_STAMP_LENGTH + 1];
};

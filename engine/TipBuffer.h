// Tips as the engine holds them, and the tip buffers through which they cross
// the engine interface.
//
// A tip buffer is a null-terminated array of TIPFIELD pointers. ReadTipBuffer
// copies a caller's buffer into a StoredTip after checking it; nothing of the
// caller's is kept, and the only write is the stamp WriteBackStamp returns. HandedOutTip builds a buffer of the engine's
// own that stays valid, unchanged, until it is given back (TipPool). Fields
// keep their tags, labels, types and bytes exactly as given.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "EngineInterface.h"

namespace varo {
namespace engine {

const int kMaxTipFields = 40;
const size_t kMaxLabelBytes = 255;
const size_t kMaxFieldBytes = 65535;

struct StoredField {
    std::string tag;    // 4 characters
    std::string label;  // Shift-JIS bytes, no terminator
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct StoredTip {
    std::vector<StoredField> fields;
};

// Copies and checks the caller's buffer: at most 40 entries, 4-character
// printable tags, labels of at most 255 bytes, data present whenever a length
// is, and either a TAFL kind field of two bytes first, followed by exactly
// the tags of that kind's schema in order (a value the schemas do not know
// is refused), or a control tip (@CNT, @DSP, @FID, @TBL with 4-byte counts
// and two tables of 40 or 100 32-bit entries each, the sizes the kit's
// control data loader reads). Without the kind
// schemas in the build, the kind's tags are not checked. kEngineBadTipBuffer
// for anything else, with *out left empty. The storage *out already has is
// reused.
int32_t ReadTipBuffer(const void* buffer, StoredTip* out);

// The checks of ReadTipBuffer but the schema's, for a tip read back from a
// database file: its bytes may have been damaged on disk, and a tip stored
// under an older schema stays readable.
bool IsWellFormedTip(const StoredTip& tip);

bool IsControlTip(const StoredTip& tip);
// The 16-bit kind of a TAFL tip; 0 for a control tip.
uint16_t TipKind(const StoredTip& tip);

// The first field with the tag, or null.
const StoredField* FindField(const StoredTip& tip, const char* tag);

// Replaces the LMTM field's data by the 14-digit stamp and its terminator;
// nothing for a tip without one.
void RenewStamp(StoredTip* tip, const std::string& stamp);
// The LMTM text of the tip, empty when it has none of 14 digits.
std::string StampOf(const StoredTip& tip);
// Copies the 14-digit stamp and its terminator into the LMTM entry of a
// caller's buffer that ReadTipBuffer accepted, when that entry's data has
// exactly that length; nothing otherwise.
void WriteBackStamp(void* buffer, const std::string& stamp);

// Which preference a tip of kind 0x900 holds, by its PFAT name.
enum class PreferenceTopic : int { None = 0, Category = 1, Free = 2 };
PreferenceTopic TopicOf(const StoredTip& tip);

// True for the tips handed out in the compact read-only layout: every TAFL
// tip of a kind with the common block (not the page board 0x800 and the
// preferences 0x900, whose readers address their four fields directly, and
// not control tips).
bool UsesCompactLayout(const StoredTip& tip);
// The 19-field compact layout of a tip read in a read-only state: TAFL SCRT
// TCDY MARK FNDY TIME LTDY MEMO NAME OFCE ETDY CLAS FLNM PRTY POSN CLOR PPLN
// PEND LMTM, each taken from the tip's field of that tag, or the tag alone
// when the tip has none.
StoredTip CompactLayout(const StoredTip& tip);

// One tip buffer handed out by the engine, a copy of a tip in one block of
// its own: the pointer array, the entries, then every tag, label (each
// zero-terminated) and data byte they point at. A field without data has a
// null data pointer. Filling it again reuses the block.
class HandedOutTip {
public:
    HandedOutTip() = default;
    HandedOutTip(const HandedOutTip&) = delete;
    HandedOutTip& operator=(const HandedOutTip&) = delete;

    // REQUIRES: the block is not handed out.
    void Fill(int32_t db, const StoredTip& tip);
    void* Address() { return m_block.data(); }
    int32_t Database() const { return m_db; }
    size_t Capacity() const { return m_block.capacity(); }

private:
    int32_t m_db = 0;
    std::vector<unsigned char> m_block;
};

// The tip buffers an engine instance has handed out and not yet got back.
// A few given back are kept for the next ones, so that a walk does not
// allocate a block per tip.
class TipPool {
public:
    void* Add(int32_t db, const StoredTip& tip);
    // kEngineBadArgument for an address this pool did not hand out, or one
    // handed out for another database.
    int32_t Release(int32_t db, void* address);

private:
    std::unordered_map<void*, std::unique_ptr<HandedOutTip>> m_tips;
    std::vector<std::unique_ptr<HandedOutTip>> m_spares;
};

}  // namespace engine
}  // namespace varo

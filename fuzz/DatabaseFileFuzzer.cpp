// The engine reading a damaged database file. The setup makes a real
// database (tips of several kinds in several fukuros, a fukuro of its own,
// a sort condition, a control tip, a tip in the trash, a password); every
// run writes that file with bytes flipped, opens it with a new engine
// instance and reads everything: each operation must answer a code.
//
// Input: one flags byte (bit 0: the file is read-only; bit 1: run writes
// and deliver their notifications too; bit 2: read through a search;
// bit 3: cut the file at the first flip's offset; bit 4: flip bytes of the
// tips' stored field records instead, through SQLite, so that the file
// stays sound and only the record decoder stands between the bytes and the
// readers), then flips of 4 bytes each: a 24-bit little-endian offset
// (modulo the file's size, or the records' total size) and the byte XORed
// in there. Every damaged record also goes through the decoder directly: it
// either fails leaving no fields, or its fields encode to the same bytes.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "EngineCodes.h"
#include "EngineFixture.h"
#include "EngineOperations.h"
#include "FieldRecord.h"
#include "Files.h"
#include "FuzzSupport.h"
#include "TipSchemas.h"

using fuzz::Address;
using fuzz::AddressOut;
using fuzz::Buffer;
using fuzz::Call;
using fuzz::CallForText;
using fuzz::FuzzBytes;
using fuzz::I2Out;
using fuzz::I4;
using fuzz::I4Out;
using fuzz::Require;
using fuzz::Text;
using varo::Engine;

namespace {

const size_t kMaxFlips = 256;
const int kMaxFukuros = 48;
const int kMaxReads = 64;
const int32_t kMaxListedTips = 4096;
const size_t kVersionBlockBytes = 148;
const size_t kPasswordBlockBytes = 96;
const size_t kSortConditionBytes = 29;
const int32_t kFirstFixedFukuro = 0x3000;
const int32_t kCabinetFukuro = 0x3011;
const char kStamp[] = "20240102030405";

enum Flag : uint8_t { kReadOnlyFile = 1, kRunWrites = 2, kSearch = 4, kTruncate = 8, kRecordFlips = 16 };

// A tip of a kind with every field of its schema: text fields hold `text`,
// the others their initial values.
class SeedTip {
public:
    SeedTip(uint16_t kind, const std::string& text) {
        const int count = varo::SchemaFieldCount(kind);
        for (int slot = 0; slot < count; ++slot) {
            const varo::SchemaField& field = *varo::SchemaFieldAt(kind, slot);
            Add(field.tag, field.label, field.type, ValueOf(kind, field, text));
        }
    }
    // A control tip naming two cabinets.
    static SeedTip Control(int32_t first, int32_t second) {
        SeedTip tip;
        std::vector<uint8_t> ids(160), order(160);
        for (size_t i = 0; i < 40; ++i) {
            PutWord(&ids[4 * i], i == 0 ? first : i == 1 ? second : 0);
            PutWord(&order[4 * i], i < 2 ? static_cast<int32_t>(i) : -1);
        }
        std::vector<uint8_t> count(4), position(4);
        PutWord(count.data(), 2);
        for (const auto& field : {std::make_pair("@CNT", count), std::make_pair("@DSP", position),
                                  std::make_pair("@FID", ids), std::make_pair("@TBL", order)}) {
            tip.Add(field.first, "", 10, field.second);
        }
        return tip;
    }
    void* Address() {
        m_entries.clear();
        m_pointers.clear();
        for (size_t i = 0; i < m_tags.size(); ++i) {
            m_entries.push_back(TIPFIELD{&m_tags[i][0], &m_labels[i][0], m_types[i],
                                         m_data[i].empty() ? nullptr : m_data[i].data(),
                                         static_cast<uint16_t>(m_data[i].size())});
        }
        for (TIPFIELD& entry : m_entries) m_pointers.push_back(&entry);
        m_pointers.push_back(nullptr);
        return m_pointers.data();
    }

private:
    SeedTip() = default;

    static void PutWord(uint8_t* at, int32_t value) {
        for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    }
    static std::vector<uint8_t> ValueOf(uint16_t kind, const varo::SchemaField& field, const std::string& text) {
        if (field.initial == varo::InitialValue::Kind) {
            return {static_cast<uint8_t>(kind & 0xFF), static_cast<uint8_t>(kind >> 8)};
        }
        if (field.initial == varo::InitialValue::CurrentTime) return std::vector<uint8_t>(kStamp, kStamp + sizeof kStamp);
        if (field.type >= varo::FIELDTYPE_TEXT && field.type <= varo::FIELDTYPE_EMAIL_LIST) {
            std::vector<uint8_t> bytes(text.begin(), text.end());
            bytes.push_back(0);
            return bytes;
        }
        uint16_t length = 0;
        const uint8_t* bytes = varo::InitialValueBytes(field.initial, &length);
        return std::vector<uint8_t>(bytes, bytes + length);
    }
    void Add(const char* tag, const char* label, uint32_t type, std::vector<uint8_t> data) {
        m_tags.push_back(tag);
        m_labels.push_back(label);
        m_types.push_back(type);
        m_data.push_back(std::move(data));
    }

    std::vector<std::string> m_tags, m_labels;
    std::vector<uint32_t> m_types;
    std::vector<std::vector<uint8_t>> m_data;
    std::vector<TIPFIELD> m_entries;
    std::vector<TIPFIELD*> m_pointers;
};

struct Pristine {
    int32_t db = 0;
    std::string path;
    std::string bytes;
};

Pristine g_pristine;

int32_t PutSeed(Engine& engine, int32_t db, int32_t fukuro, SeedTip tip) {
    int32_t id = 0;
    Require(Call(engine, varo::kOpPutTip, {I4(db), I4(fukuro), I4Out(&id), Address(tip.Address())}) == varo::kEngineOk,
            "a seed tip is stored");
    return id;
}

void Seed(Engine& engine, int32_t db) {
    int32_t own = 0;
    Require(Call(engine, varo::kOpFukuroCreate, {I4(db), I4Out(&own), Text(u"fuzz fukuro"), I4(0)}) == varo::kEngineOk,
            "a fukuro is made");
    const uint16_t kinds[] = {0x101, 0x201, 0x300, 0x401, 0x501, 0x800, 0x900, 0xF00};
    std::vector<int32_t> tips;
    int n = 0;
    for (uint16_t kind : kinds) {
        tips.push_back(PutSeed(engine, db, kFirstFixedFukuro + n++ % 4, SeedTip(kind, "Category")));
        tips.push_back(PutSeed(engine, db, own, SeedTip(kind, std::to_string(n) + " fuzz")));
    }
    PutSeed(engine, db, kCabinetFukuro, SeedTip::Control(own, own + 1));
    std::vector<int32_t> list(tips.begin(), tips.begin() + 4);
    list.push_back(0);
    Require(Call(engine, varo::kOpPutTipToFukuro, {I4(db), I4(own), Buffer(list.data())}) == varo::kEngineOk,
            "tips are put into a second fukuro");
    uint8_t condition[kSortConditionBytes] = {1, 'M', 'E', 'M', 'O', 1, 0, 0};
    Require(Call(engine, varo::kOpFukuroSort, {I4(db), I4(own), Buffer(condition)}) == varo::kEngineOk,
            "a fukuro is sorted");
    std::vector<int32_t> removed = {tips.back(), 0};
    Require(Call(engine, varo::kOpRemoveTip, {I4(db), I4(0), Buffer(removed.data())}) == varo::kEngineOk,
            "a tip goes to the trash");
    Call(engine, varo::kOpSetSecretPasswd, {I4(db), Text(u"secret")});
    Call(engine, varo::kOpSetPasswd, {I4(db), Text(u"pw")});
}

void WriteFile(const std::string& path, const std::string& bytes, bool readOnly) {
    for (const char* suffix : {"-wal", "-shm", "-journal"}) unlink((path + suffix).c_str());
    chmod(path.c_str(), 0600);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    Require(out.good(), "the damaged file is written");
    chmod(path.c_str(), readOnly ? 0400 : 0600);
}

std::string Damaged(FuzzBytes& in, bool truncate) {
    std::string bytes = g_pristine.bytes;
    for (size_t flip = 0; flip < kMaxFlips && in.Remaining() >= 4 && !bytes.empty(); ++flip) {
        const uint32_t low = in.Word();
        const size_t offset = (low | uint32_t{in.Byte()} << 16) % bytes.size();
        bytes[offset] = static_cast<char>(bytes[offset] ^ in.Byte());
        if (truncate && flip == 0) bytes.resize(offset);
    }
    return bytes;
}

struct StoredRecord {
    int64_t tip;
    std::vector<uint8_t> bytes;
};

std::vector<StoredRecord> ReadRecords(sqlite3* db) {
    std::vector<StoredRecord> records;
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(db, "SELECT id, fields FROM tip ORDER BY id", -1, &read, nullptr);
    while (read && sqlite3_step(read) == SQLITE_ROW) {
        const uint8_t* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(read, 1));
        const size_t size = static_cast<size_t>(sqlite3_column_bytes(read, 1));
        records.push_back({sqlite3_column_int64(read, 0), bytes ? std::vector<uint8_t>(bytes, bytes + size)
                                                                : std::vector<uint8_t>()});
    }
    sqlite3_finalize(read);
    return records;
}

void FlipRecordBytes(FuzzBytes& in, std::vector<StoredRecord>* records) {
    size_t total = 0;
    for (const StoredRecord& record : *records) total += record.bytes.size();
    for (size_t flip = 0; flip < kMaxFlips && in.Remaining() >= 4 && total > 0; ++flip) {
        const uint32_t low = in.Word();
        size_t offset = (low | uint32_t{in.Byte()} << 16) % total;
        const uint8_t mask = in.Byte();
        for (StoredRecord& record : *records) {
            if (offset < record.bytes.size()) {
                record.bytes[offset] ^= mask;
                break;
            }
            offset -= record.bytes.size();
        }
    }
}

void CheckDecoder(const std::vector<uint8_t>& bytes) {
    varo::engine::StoredTip tip;
    if (varo::engine::DecodeFieldRecord(bytes.data(), bytes.size(), &tip) != varo::engine::FieldRecordError::None) {
        Require(tip.fields.empty(), "a record that does not decode leaves no fields");
        return;
    }
    std::vector<uint8_t> again;
    Require(varo::engine::EncodeFieldRecord(tip, &again) && again == bytes, "a decoded record encodes to its bytes");
}

void DamageRecords(FuzzBytes& in, const std::string& path) {
    sqlite3* db = nullptr;
    Require(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK, "the file opens");
    std::vector<StoredRecord> records = ReadRecords(db);
    FlipRecordBytes(in, &records);
    sqlite3_stmt* write = nullptr;
    sqlite3_prepare_v2(db, "UPDATE tip SET fields=?2 WHERE id=?1", -1, &write, nullptr);
    Require(write != nullptr, "the records can be written");
    for (const StoredRecord& record : records) {
        CheckDecoder(record.bytes);
        sqlite3_bind_int64(write, 1, record.tip);
        sqlite3_bind_blob(write, 2, record.bytes.data(), static_cast<int>(record.bytes.size()), SQLITE_STATIC);
        Require(sqlite3_step(write) == SQLITE_DONE, "a damaged record is written");
        sqlite3_reset(write);
    }
    sqlite3_finalize(write);
    sqlite3_close(db);
}

void ReadThroughFukuro(Engine& engine, int32_t db, int32_t fukuro, bool search) {
    if (Call(engine, varo::kOpFukuroOpen, {I4(db), I4(fukuro)}) != varo::kEngineOk) return;
    if (search) Call(engine, varo::kOpTipSearch, {I4(db), I4(fukuro), Text(u"fuzz"), I4(1)});
    for (int option : {1, 1, 2, 0}) {
        for (int read = 0; read < kMaxReads; ++read) {
            int32_t tip = 0;
            void* buffer = nullptr;
            const int32_t code = Call(engine, varo::kOpReadTip, {I4(db), I4(fukuro), I4(option), I4Out(&tip), AddressOut(&buffer)});
            Require(code == varo::kEngineOk || (tip == 0 && !buffer), "a failed read hands out nothing");
            if (buffer) {
                Call(engine, varo::kOpIsReadOnly, {});
                Require(Call(engine, varo::kOpReleaseTip, {I4(db), Address(buffer)}) == varo::kEngineOk,
                        "a tip buffer handed out can be given back");
            }
            if (code != varo::kEngineOk || tip == 0 || option != 1) break;
        }
    }
    for (int origin = 0; origin <= 2; ++origin) {
        int32_t position = 0;
        Call(engine, varo::kOpFukuroSeek, {I4(db), I4(fukuro), I4(origin - 1), I4(origin), I4Out(&position)});
    }
    Call(engine, varo::kOpFukuroClose, {I4(db), I4(fukuro)});
}

std::vector<int32_t> TipList(Engine& engine, int32_t db, int32_t fukuro) {
    int32_t count = 0;
    if (Call(engine, varo::kOpGetTipList, {I4(db), I4(fukuro), Buffer(nullptr), I4Out(&count)}) != varo::kEngineOk) return {};
    Require(count >= 0, "a fukuro's size is not negative");
    if (count > kMaxListedTips) count = kMaxListedTips;
    std::vector<int32_t> tips(static_cast<size_t>(count) + 1, -1);
    if (Call(engine, varo::kOpGetTipList, {I4(db), I4(fukuro), Buffer(tips.data()), I4Out(&count)}) != varo::kEngineOk) return {};
    Require(count >= 0 && static_cast<size_t>(count) < tips.size(), "a tip list fits the room given");
    tips.resize(static_cast<size_t>(count));
    return tips;
}

void ReadFukuro(Engine& engine, int32_t db, int32_t fukuro, bool search) {
    CallForText(engine, varo::kOpGetFukuroName, {I4(db), I4(fukuro)});
    int32_t size = 0;
    Call(engine, varo::kOpGetFukuroSize, {I4(db), I4(fukuro), I4Out(&size)});
    uint8_t condition[kSortConditionBytes];
    Call(engine, varo::kOpGetFukuroSortCnd, {I4(db), I4(fukuro), Buffer(condition)});
    const std::vector<int32_t> tips = TipList(engine, db, fukuro);
    for (size_t i = 0; i < tips.size() && i < 16; ++i) {
        void* buffer = nullptr;
        if (Call(engine, varo::kOpGetTip, {I4(db), I4(fukuro), I4(tips[i]), AddressOut(&buffer)}) == varo::kEngineOk) {
            Require(buffer && Call(engine, varo::kOpReleaseTip, {I4(db), Address(buffer)}) == varo::kEngineOk,
                    "a tip read by id is handed out and given back");
        }
    }
    ReadThroughFukuro(engine, db, fukuro, search);
}

std::vector<int32_t> Fukuros(Engine& engine, int32_t db) {
    void* list = nullptr;
    if (Call(engine, varo::kOpGetAllFukuroID, {I4(db), AddressOut(&list)}) != varo::kEngineOk || !list) return {};
    std::vector<int32_t> fukuros;
    for (const int32_t* id = static_cast<const int32_t*>(list); *id != 0 && fukuros.size() < kMaxFukuros; ++id) {
        fukuros.push_back(*id);
    }
    return fukuros;
}

void ReadDatabase(Engine& engine, int32_t db, bool search) {
    uint8_t version[kVersionBlockBytes];
    Call(engine, varo::kOpGetDBVersionInfo, {I4(db), Buffer(version)});
    uint8_t passwords[kPasswordBlockBytes];
    Call(engine, varo::kOpGetPasswd, {I4(db), Buffer(passwords)});
    CallForText(engine, varo::kOpGetSecretPasswd, {I4(db)});
    Call(engine, varo::kOpCheckBKFlg, {I4(db)});
    Call(engine, varo::kOpIsSyncFukuro, {I4(db)});
    for (int32_t fukuro : Fukuros(engine, db)) ReadFukuro(engine, db, fukuro, search);
    for (int32_t tip = 1; tip <= 20; ++tip) {
        void* buffer = nullptr;
        if (Call(engine, varo::kOpGetTip, {I4(db), I4(0), I4(tip), AddressOut(&buffer)}) == varo::kEngineOk) {
            Call(engine, varo::kOpReleaseTip, {I4(db), Address(buffer)});
        }
    }
}

// Writes into the damaged file, with a watch on it so that the changes are
// read back from its change log.
void WriteDatabase(Engine& engine, int32_t db) {
    static int ownerWindow;
    varo::WatchItem item = {db, 0, 0};
    varo::WatchList watch = {1, &item};
    Call(engine, varo::kOpInit, {Address(&ownerWindow)});
    Call(engine, varo::kOpSetAdviseData, {Buffer(&watch)});
    Call(engine, varo::kOpSetAdviseCategory, {});
    int32_t id = 0;
    Call(engine, varo::kOpPutTip, {I4(db), I4(kFirstFixedFukuro), I4Out(&id), Address(SeedTip(0x300, "new").Address())});
    uint8_t condition[kSortConditionBytes] = {2, 'M', 'E', 'M', 'O', 0, 1, 0, 'L', 'M', 'T', 'M', 1, 0, 0};
    for (int32_t fukuro : Fukuros(engine, db)) Call(engine, varo::kOpFukuroSort, {I4(db), I4(fukuro), Buffer(condition)});
    for (int32_t tip = 1; tip <= 4; ++tip) {
        std::vector<int32_t> one = {tip, 0};
        Call(engine, varo::kOpRemoveTip, {I4(db), I4(0), Buffer(one.data())});
        Call(engine, varo::kOpUndoTip, {I4(db), Buffer(one.data())});
        int32_t copy = 0;
        Call(engine, varo::kOpDupTip, {I4(db), I4(0), I4Out(&copy), I4(tip)});
    }
    Call(engine, varo::kOpSetFukuroName, {I4(db), I4(kFirstFixedFukuro), Text(u"renamed")});
    fuzz::Pump();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::unique_ptr<Engine> engine = fuzz::NewEngine();
    Require(Call(*engine, varo::kOpCreate, {Text(u"fuzz"), I4Out(&g_pristine.db)}) == varo::kEngineOk,
            "a database can be made");
    Seed(*engine, g_pristine.db);
    engine.reset();
    g_pristine.path = fuzz::DataFolder() + varo::engine::DatabaseFolderName(g_pristine.db) + "/" +
                      varo::engine::DatabaseFileName(g_pristine.db);
    std::ifstream file(g_pristine.path, std::ios::binary);
    g_pristine.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    Require(!g_pristine.bytes.empty(), "the database file is read");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBytes in(data, size);
    const uint8_t flags = in.Byte();
    if (flags & kRecordFlips) {
        WriteFile(g_pristine.path, g_pristine.bytes, false);
        DamageRecords(in, g_pristine.path);
        chmod(g_pristine.path.c_str(), (flags & kReadOnlyFile) ? 0400 : 0600);
    } else {
        WriteFile(g_pristine.path, Damaged(in, flags & kTruncate), flags & kReadOnlyFile);
    }
    std::unique_ptr<Engine> engine = fuzz::NewEngine();
    const int32_t db = g_pristine.db;
    int16_t readOnly = -1;
    const int32_t opened = Call(*engine, varo::kOpOpen, {I4(db), I2Out(&readOnly)});
    Require(opened != varo::kEngineOk || readOnly == 0 || readOnly == 1, "an open database reports its read-only state");
    ReadDatabase(*engine, db, flags & kSearch);
    if (flags & kRunWrites) WriteDatabase(*engine, db);
    Call(*engine, varo::kOpDBCheck, {I4(db)});
    Call(*engine, varo::kOpClose, {I4(db)});
    return 0;
}

// The engine's tip validation: ReadTipBuffer and PutTip of any tip buffer a
// caller may hand in.
//
// PutTip must refuse exactly the buffers the validation refuses, store the
// others with their tags, labels, types and bytes unchanged (the LMTM
// renewed), leave the caller's buffer as it was, and give the stored tip
// back through GetTip; a stored control tip must take ModifyTip too. The
// database is made afresh every 512 stored tips so that it stays small.
//
// Input: one byte choosing the fixed fukuro (0x3000 + byte % 23), then a
// tip buffer in the form TipDecoder.h reads.
#include <cstring>
#include <string>
#include <vector>

#include "EngineCodes.h"
#include "EngineFixture.h"
#include "EngineOperations.h"
#include "FuzzSupport.h"
#include "TipBuffer.h"
#include "TipDecoder.h"

using fuzz::Call;
using fuzz::DecodedTip;
using fuzz::FuzzBytes;
using fuzz::Require;
using varo::engine::StoredTip;

namespace {

const int32_t kFirstFixedFukuro = 0x3000;
const int kFixedFukuros = 23;
const int kStoresPerDatabase = 512;
const size_t kStampDigits = 14;

struct Database {
    std::unique_ptr<varo::Engine> engine;
    int32_t id = 0;
    int stores = 0;
};

void MakeDatabase(Database& database) {
    database.engine.reset();
    fuzz::EmptyDataFolder();
    database.engine = fuzz::NewEngine();
    database.stores = 0;
    Require(Call(*database.engine, varo::kOpCreate, {fuzz::Text(u"fuzz"), fuzz::I4Out(&database.id)}) == varo::kEngineOk,
            "a database can be made");
}

Database& Current() {
    static Database database;
    if (!database.engine || database.stores >= kStoresPerDatabase) MakeDatabase(database);
    return database;
}

// Every pointer and byte of a caller's buffer, to see that a call left it alone.
bool IsStampEntry(const TIPFIELD& e) {
    return e.tag && std::strncmp(e.tag, "LMTM", 5) == 0 && e.data && e.length == kStampDigits + 1;
}

// Every entry and its bytes; the bytes of a stamp entry only when asked,
// since a successful store hands the stamp it stored back in them.
std::vector<std::string> Snapshot(const DecodedTip& tip, bool withStamp = true) {
    std::vector<std::string> entries;
    for (size_t i = 0; i < tip.Count(); ++i) {
        const TIPFIELD& e = tip.Entry(i);
        std::string entry(reinterpret_cast<const char*>(&e), sizeof e);
        if (e.data && (withStamp || !IsStampEntry(e))) entry.append(reinterpret_cast<const char*>(e.data), e.length);
        entries.push_back(entry);
    }
    return entries;
}

// The stamp handed back in the caller's stamp entry, empty without one.
std::vector<uint8_t> HandedBackStamp(const DecodedTip& tip) {
    for (size_t i = 0; i < tip.Count(); ++i) {
        const TIPFIELD& e = tip.Entry(i);
        if (IsStampEntry(e)) return std::vector<uint8_t>(e.data, e.data + e.length);
    }
    return {};
}

bool IsStamp(const std::vector<uint8_t>& data) {
    if (data.size() != kStampDigits + 1 || data.back() != 0) return false;
    for (size_t i = 0; i < kStampDigits; ++i) {
        if (data[i] < '0' || data[i] > '9') return false;
    }
    return true;
}

// The tip read back is the tip handed in, but for its renewed LMTM.
void CheckReadBack(const TIPFIELD* const* entries, const StoredTip& stored) {
    bool stampSeen = false;
    size_t i = 0;
    for (; entries[i] && i < stored.fields.size(); ++i) {
        const TIPFIELD& e = *entries[i];
        const varo::engine::StoredField& field = stored.fields[i];
        Require(field.tag == e.tag && field.label == e.label && field.type == e.type, "a stored field keeps its names");
        const std::vector<uint8_t> data(e.data, e.data + e.length);
        if (field.tag == "LMTM" && !stampSeen) {
            stampSeen = true;
            Require(IsStamp(data), "a stored tip's LMTM is renewed with 14 digits");
        } else {
            Require(data == field.data, "a stored field keeps its bytes");
        }
    }
    Require(!entries[i] && i == stored.fields.size(), "a stored tip keeps its number of fields");
}

void CheckStored(Database& database, int32_t fukuro, int32_t id, const StoredTip& stored) {
    varo::Engine& engine = *database.engine;
    void* buffer = nullptr;
    Require(Call(engine, varo::kOpGetTip, {fuzz::I4(database.id), fuzz::I4(0), fuzz::I4(id), fuzz::AddressOut(&buffer)}) ==
                varo::kEngineOk,
            "a stored tip can be read back");
    CheckReadBack(static_cast<TIPFIELD* const*>(buffer), stored);
    if (varo::engine::IsControlTip(stored)) {
        Require(Call(engine, varo::kOpModifyTip, {fuzz::I4(database.id), fuzz::I4(fukuro), fuzz::I4(id),
                                                  fuzz::Address(buffer)}) == varo::kEngineOk,
                "a stored control tip can be modified with what was read");
    }
    Require(Call(engine, varo::kOpReleaseTip, {fuzz::I4(database.id), fuzz::Address(buffer)}) == varo::kEngineOk,
            "a tip buffer handed out can be given back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBytes in(data, size);
    const int32_t fukuro = kFirstFixedFukuro + in.Byte() % kFixedFukuros;
    DecodedTip tip = DecodedTip::Read(in, DecodedTip::Reader::Engine);
    const std::vector<std::string> before = Snapshot(tip);
    const std::vector<std::string> beforeButStamp = Snapshot(tip, false);
    const bool hasStampEntry = !HandedBackStamp(tip).empty();

    StoredTip checked;
    const int32_t verdict = varo::engine::ReadTipBuffer(tip.Address(), &checked);
    Require(verdict == varo::kEngineOk || (verdict == varo::kEngineBadTipBuffer && checked.fields.empty()),
            "the validation accepts, or refuses with the bad-buffer code and nothing copied");

    Database& database = Current();
    int32_t id = 0;
    const int32_t code = Call(*database.engine, varo::kOpPutTip,
                              {fuzz::I4(database.id), fuzz::I4(fukuro), fuzz::I4Out(&id), fuzz::Address(tip.Address())});
    Require(Snapshot(tip, false) == beforeButStamp, "PutTip changes nothing of the caller's buffer but its stamp");
    if (verdict != varo::kEngineOk) {
        Require(Snapshot(tip) == before, "a refused PutTip leaves the caller's buffer as it was");
        Require(code == varo::kEngineBadTipBuffer && id == 0, "PutTip refuses what the validation refuses");
        return 0;
    }
    Require(code == varo::kEngineOk && id > 0, "PutTip stores what the validation accepts");
    Require(!hasStampEntry || IsStamp(HandedBackStamp(tip)), "a store hands its stamp back in the stamp entry");
    ++database.stores;
    CheckStored(database, fukuro, id, checked);
    return 0;
}

// Control tips of cabinets and folders: ControlData::Read of any tip buffer,
// and every cabinet and folder operation of the kit object over control
// tips as damaged as a database may hand out.
//
// The kit runs over a stand-in engine that serves the decoded cabinet tip
// for fukuro 0x3011 and the decoded folder tip for every other fukuro, and
// keeps what the kit writes back (checked by the engine's own tip
// validation, which a written control tip must always pass).
//
// Input: one flags byte (bit 0: ControlData::Read with 100 entries instead
// of 40), the cabinet and the folder control tip (TipDecoder.h), then up to
// 48 steps of one step byte and its one-byte arguments (SmallNumber).
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ControlData.h"
#include "EngineCodes.h"
#include "EngineFactory.h"
#include "EngineOperations.h"
#include "FuzzSupport.h"
#include "TipBuffer.h"
#include "TipDecoder.h"
#include "VAROObj.h"

using fuzz::DecodedTip;
using fuzz::FuzzBytes;
using fuzz::Require;
using fuzz::SmallNumber;
using varo::ControlData;
using varo::engine::StoredField;
using varo::engine::StoredTip;

namespace {

const long kDatabase = 1;
const int32_t kFirstNewFukuro = 0x4000;
const size_t kMaxSteps = 48;

// What the engine would hand out for a decoded entry: a missing tag or
// label becomes empty, a length without data no data.
StoredTip AsStored(const DecodedTip& tip) {
    StoredTip stored;
    const size_t count = tip.Count() < static_cast<size_t>(varo::engine::kMaxTipFields) ? tip.Count()
                                                                                      : varo::engine::kMaxTipFields;
    for (size_t index = 0; index < count; ++index) {
        const TIPFIELD& entry = tip.Entry(index);
        StoredField field;
        if (entry.tag) field.tag.assign(entry.tag, strnlen(entry.tag, 4));
        if (entry.label) field.label = entry.label;
        field.type = entry.type;
        if (entry.data && entry.length > 0) field.data.assign(entry.data, entry.data + entry.length);
        stored.fields.push_back(field);
    }
    return stored;
}

// The engine side of the cabinet operations, and nothing more.
class ControlTipEngine : public varo::Engine {
public:
    ControlTipEngine(const StoredTip& cabinet, const StoredTip& folder) : m_folder(folder) {
        m_tips[varo::kCabinetFukuro] = cabinet;
    }

    int32_t Invoke(int op, const varo::EngineArg* a, int) override {
        switch (op) {
        case varo::kOpReadTip: return ReadTip(a[1].i4, a[3].i4Out, a[4].addressOut);
        case varo::kOpReleaseTip: {
            const int32_t code = m_pool.Release(a[0].i4, a[1].address);
            Require(code == varo::kEngineOk, "the kit gives back only the tip buffers it was handed");
            return code;
        }
        case varo::kOpModifyTip: return Store(a[1].i4, a[3].address);
        case varo::kOpPutTip: {
            const int32_t code = Store(a[1].i4, a[3].address);
            if (code == varo::kEngineOk && a[2].i4Out) *a[2].i4Out = a[1].i4;
            return code;
        }
        case varo::kOpFukuroCreate:
        case varo::kOpPutKFl:
            if (a[1].i4Out) *a[1].i4Out = m_nextFukuro++;
            return varo::kEngineOk;
        case varo::kOpIsReadOnly: return 0;
        default: {
            const varo::OperationInfo* info = varo::FindOperation(op);
            return info && info->result == varo::ResultKind::Bool ? 1 : 0;
        }
        }
    }
    void FreeText(char16_t*) override {}

private:
    // The tip id of a control tip is its fukuro's id.
    int32_t ReadTip(int32_t fukuro, int32_t* tip, void** buffer) {
        auto found = m_tips.find(fukuro);
        const StoredTip& stored = found != m_tips.end() ? found->second : m_folder;
        *tip = fukuro;
        *buffer = m_pool.Add(kDatabase, stored);
        return varo::kEngineOk;
    }

    int32_t Store(int32_t fukuro, void* buffer) {
        StoredTip tip;
        const int32_t code = varo::engine::ReadTipBuffer(buffer, &tip);
        Require(code == varo::kEngineOk && varo::engine::IsControlTip(tip),
                "every control tip the kit writes passes the engine's validation");
        m_tips[fukuro] = tip;
        return code;
    }

    StoredTip m_folder;
    std::map<int32_t, StoredTip> m_tips;
    varo::engine::TipPool m_pool;
    int32_t m_nextFukuro = kFirstNewFukuro;
};

class ControlTipFactory : public varo::EngineFactory {
public:
    varo::Engine* Create(const varo::HostServices*) override { return new ControlTipEngine(cabinet, folder); }
    void Destroy(varo::Engine* engine) override { delete engine; }

    StoredTip cabinet;
    StoredTip folder;
};

// Reads the buffer, then writes the record back through Buffer and reads
// that again: the tables and numbers must survive.
void CheckRead(const DecodedTip& tip, int n) {
    ControlData& record = ControlData::Global();
    Require(record.Read(tip.Buffer(), n), "a control tip buffer reads");
    for (int i = -1; i <= n; ++i) {
        record.FukuroId(i);
        record.Order(i);
    }
    if (!record.HasTables()) return;
    Require(record.TableSize() == n, "tables read have the size asked for");
    const int32_t count = record.count;
    const int32_t position = record.displayPosition;
    std::vector<int32_t> ids, order;
    for (int i = 0; i < n; ++i) {
        ids.push_back(record.FukuroId(i));
        order.push_back(record.Order(i));
    }
    StoredTip written;
    Require(varo::engine::ReadTipBuffer(record.Buffer(n), &written) == varo::kEngineOk,
            "the control data's buffer passes the engine's validation");
    varo::engine::HandedOutTip again;
    again.Fill(kDatabase, written);
    Require(record.Read(static_cast<TIPFIELD* const*>(again.Address()), n), "a written control tip reads");
    Require(record.count == count && record.displayPosition == position, "numbers survive a write and a read");
    for (int i = 0; i < n; ++i) {
        Require(record.FukuroId(i) == ids[i] && record.Order(i) == order[i], "tables survive a write and a read");
    }
}

std::vector<long> CabinetFukuros(CVAROObj& kit) {
    std::vector<long> fukuros;
    for (int i = -1; i <= varo::kCabinetSlots; ++i) fukuros.push_back(kit.GetCabFID(i));
    return fukuros;
}

// A write of the cabinet tables followed by a load gives the same tables.
void ModifyAndReload(CVAROObj& kit) {
    const std::vector<long> before = CabinetFukuros(kit);
    const int count = kit.GetCabCount();
    if (kit.ModifyCabCData(kDatabase) != 0 || kit.LoadCabCData(kDatabase) != 0) return;
    Require(CabinetFukuros(kit) == before && kit.GetCabCount() == count, "cabinet tables survive a write and a load");
}

void ReadTables(CVAROObj& kit) {
    kit.GetCabCount();
    kit.GetKFlCount();
    kit.GetCabDspP();
    kit.GetKFlDspP();
    CabinetFukuros(kit);
    for (int i = -1; i <= varo::kFolderSlots; ++i) kit.GetKFIFID(i);
}

enum Step : uint8_t {
    kLoadCab, kLoadKFl, kPutCab, kPutKFl, kMoveCab, kMoveKFl, kDelCab, kDelKFl,
    kModifyCab, kModifyKFl, kCreateKFl, kReadTables, kSetDisplay, kStepCount,
};

void RunStep(CVAROObj& kit, FuzzBytes& in) {
    const CString name = "fuzz";
    long out = 0;
    switch (in.Byte() % kStepCount) {
    case kLoadCab: kit.LoadCabCData(kDatabase); break;
    case kLoadKFl: kit.LoadKFlCData(kDatabase, SmallNumber(in.Byte())); break;
    case kPutCab: kit.PutCab(kDatabase, name, &out); break;
    case kPutKFl: kit.PutKFl(kDatabase, SmallNumber(in.Byte()), name, &out); break;
    case kMoveCab: {
        const int from = SmallNumber(in.Byte());
        kit.MoveCab(kDatabase, from, SmallNumber(in.Byte()));
        break;
    }
    case kMoveKFl: {
        const int fromCab = SmallNumber(in.Byte());
        const int from = SmallNumber(in.Byte());
        const int toCab = SmallNumber(in.Byte());
        kit.MoveKFl(kDatabase, fromCab, from, toCab, SmallNumber(in.Byte()), &out);
        break;
    }
    case kDelCab: kit.DelCab(kDatabase, SmallNumber(in.Byte())); break;
    case kDelKFl: {
        const int cab = SmallNumber(in.Byte());
        kit.DelKFl(kDatabase, cab, SmallNumber(in.Byte()));
        break;
    }
    case kModifyCab: ModifyAndReload(kit); break;
    case kModifyKFl: kit.ModifyKFlCData(kDatabase, SmallNumber(in.Byte())); break;
    case kCreateKFl: kit.CreateKFlCData(kDatabase, SmallNumber(in.Byte())); break;
    case kReadTables: ReadTables(kit); break;
    default: {
        const int position = SmallNumber(in.Byte());
        kit.SetCabDspP(position);
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ControlTipFactory factory;
    varo::SetEngineFactory(&factory);
    FuzzBytes in(data, size);
    const uint8_t flags = in.Byte();
    const DecodedTip cabinet = DecodedTip::Read(in, DecodedTip::Reader::Kit);
    const DecodedTip folder = DecodedTip::Read(in, DecodedTip::Reader::Kit);
    CheckRead(cabinet, flags & 1 ? varo::kFolderSlots : varo::kCabinetSlots);

    ControlData& record = ControlData::Global();
    Require(record.MakeEmpty(varo::kCabinetSlots), "empty control data can be made");
    record.db = record.fukuro = record.tip = 0;
    factory.cabinet = AsStored(cabinet);
    factory.folder = AsStored(folder);
    CVAROObj kit;
    Require(kit.Init(nullptr) == 1, "the kit starts on the stand-in engine");
    for (size_t step = 0; step < kMaxSteps && !in.Exhausted(); ++step) RunStep(kit, in);
    kit.End();
    return 0;
}

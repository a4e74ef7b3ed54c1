// New tips, stored tips and the alarm fukuro.
#include "TipWriting.h"

#include "Fields.h"
#include "Kinds.h"
#include "Results.h"
#include "Session.h"

namespace varo {
namespace tool {
namespace {

// Schedules whose alarm is on are also kept in the alarm fukuro, where the
// alarm application looks (the kit's CopyTip files copies the same way).
int SyncAlarmFukuro(CVAROObj& kit, long db, long tip) {
    int alarm = 0;
    kit.GetAlarm(&alarm);
    CSelectTips members;
    long code = kit.GetTipList(db, kAlarmFukuro, members);
    if (code != 0) return ReportCode("cannot read the alarm fukuro", code);
    bool member = false;
    for (int i = 0; i < members.GetSize(); ++i) member = member || static_cast<int32_t>(members[i]) == tip;
    if ((alarm == 1) == member) return kExitOk;
    CSelectTips one;
    one.Add(static_cast<DWORD>(tip));
    code = alarm == 1 ? kit.PutTipToFukuro(db, kAlarmFukuro, one) : kit.RemoveTipFromFukuro(db, kAlarmFukuro, one);
    return code == 0 ? kExitOk : ReportCode("cannot update the alarm fukuro", code);
}

}  // namespace

int FillFields(CVAROObj& kit, unsigned short kind, const FieldList& fields) {
    for (const auto& field : fields) {
        const SettableField* settable = FindSettableField(field.first);
        if (settable == nullptr) return ReportUsage("no field '" + field.first + "' can be set");
        const int applied = ApplyField(kit, kind, *settable, field.second);
        if (applied != kExitOk) return applied;
    }
    return kExitOk;
}

int AddTip(CVAROObj& kit, long db, unsigned short kind, const FieldList& fields, long* tip) {
    const KindInfo* info = FindKind(kind);
    if (info == nullptr || info->homeFukuro == 0) return ReportFailure("tips of kind " + KindName(kind) + " have no home fukuro");
    OpenedFukuro home(kit, db, info->homeFukuro, true);
    if (home.Code() != 0) return ReportCode("cannot open fukuro " + FukuroText(info->homeFukuro), home.Code());
    kit.SetTipID(0);
    if (kit.SetTipFlag(kind) != 1) return ReportFailure("cannot begin a new tip: out of memory");
    const int filled = FillFields(kit, kind, fields);
    return filled != kExitOk ? filled : StoreCurrentTip(kit, db, info->homeFukuro, 0, kind, tip);
}

int StoreCurrentTip(CVAROObj& kit, long db, long fukuro, long tip, unsigned short kind, long* stored) {
    *stored = tip;
    const long code = kit.PutTip(db, fukuro, stored);
    if (code != 0) return ReportCode(tip == 0 ? std::string("cannot store the new tip") : "cannot store tip " + std::to_string(tip), code);
    return KindInSet(kind, kSchedules) ? SyncAlarmFukuro(kit, db, *stored) : kExitOk;
}

}  // namespace tool
}  // namespace varo

// varo ls, show, add, set and done: fukuros and tips.
#include <algorithm>
#include <cstdio>

#include "Commands.h"
#include "FieldDecoders.h"
#include "Fields.h"
#include "Kinds.h"
#include "Listing.h"
#include "Results.h"
#include "Session.h"
#include "Text.h"
#include "TipSchemas.h"
#include "TipWriting.h"

namespace varo {
namespace tool {
namespace {

// The fields the positional arguments of each add command fill, in order.
struct AddForm {
    uint16_t kind;
    const char* fields[2];
};

const AddForm kAddForms[] = {
    {KIND_TODO_300, {"memo", nullptr}},
    {KIND_CARD_401, {"name", nullptr}},
    {KIND_SCHEDULE_201, {"start", "memo"}},
    {KIND_MEMO_501, {"memo", nullptr}},
};

const AddForm* FindAddForm(uint16_t kind) {
    for (const AddForm& form : kAddForms) {
        if (form.kind == kind) return &form;
    }
    return nullptr;
}

int ListFukuros(KitSession& session, long db) {
    CVAROObj& kit = session.Kit();
    CDWordArray ids;
    const long code = kit.GetAllFukuroID(db, ids);
    if (code != 0) return ReportCode("cannot list the fukuros of " + session.DatabaseLabel(db), code);
    printf("%-8s %7s  %s\n", "FUKURO", "TIPS", "NAME");
    for (int i = 0; i < ids.GetSize(); ++i) {
        const long fukuro = static_cast<int32_t>(ids[i]);
        printf("%-8s %7ld  %s\n", FukuroText(fukuro).c_str(), FukuroSize(kit, db, fukuro),
               FukuroLabel(kit, db, fukuro).c_str());
    }
    return kExitOk;
}

int ListTips(KitSession& session, long db, long fukuro) {
    CVAROObj& kit = session.Kit();
    std::vector<ListedTip> tips;
    const int read = ReadFukuroTips(kit, db, fukuro, &tips);
    if (read != kExitOk) return read;
    printf("fukuro %s %s in %s: %s\n", FukuroText(fukuro).c_str(), FukuroLabel(kit, db, fukuro).c_str(),
           session.DatabaseLabel(db).c_str(), TipCount(static_cast<long>(tips.size())).c_str());
    PrintTips(tips, "  ");
    return kExitOk;
}

int ReadTipById(CVAROObj& kit, long db, const std::string& argument, long* tip, unsigned short* kind) {
    if (!ParseId(argument, tip)) return ReportUsage("TIP must be a tip id (a number above 0), not '" + argument + "'");
    const long code = kit.GetTip(db, 0, *tip);
    if (code != 0) return ReportCode("cannot read tip " + std::to_string(*tip), code);
    kit.GetTipFlag(kind);
    return kExitOk;
}

int LabelWidth(uint16_t kind, int count) {
    int width = 0;
    for (int slot = 0; slot < count; ++slot) width = std::max(width, DisplayWidth(ToUtf8(SchemaLabel(kind, slot))));
    return width;
}

int PrintStored(CVAROObj& kit, long tip, unsigned short kind, const char* verb) {
    printf("%s %s %ld: %s\n", verb, KindDescription(kind).c_str(), tip, TipLine(kit, kind).c_str());
    return kExitOk;
}

// The positional arguments of an add command, then its --FIELD options.
FieldList AddFields(const Invocation& call, const AddForm& form) {
    FieldList fields;
    const size_t named = sizeof form.fields / sizeof form.fields[0];
    for (size_t i = 1; i < call.args.size() && i - 1 < named && form.fields[i - 1]; ++i) {
        fields.emplace_back(form.fields[i - 1], call.args[i]);
    }
    fields.insert(fields.end(), call.options.begin(), call.options.end());
    return fields;
}

}  // namespace

int RunLs(const Invocation& call) {
    KitSession session;
    long db = 0;
    const int opened = session.StartWithDatabase(call.args[0], &db);
    if (opened != kExitOk) return opened;
    if (call.args.size() == 1) return ListFukuros(session, db);
    long fukuro = 0;
    if (!ParseFukuro(call.args[1], &fukuro)) {
        return ReportUsage("FUKURO must be a fukuro id such as 0x300C, or a kind (todo, card, ...), not '" +
                           call.args[1] + "'");
    }
    return ListTips(session, db, fukuro);
}

int RunShow(const Invocation& call) {
    KitSession session;
    long db = 0;
    int result = session.StartWithDatabase(call.args[0], &db);
    long tip = 0;
    unsigned short kind = 0;
    if (result == kExitOk) result = ReadTipById(session.Kit(), db, call.args[1], &tip, &kind);
    if (result != kExitOk) return result;
    const int count = SchemaFieldCount(kind);
    if (count < 0) {
        return ReportFailure("tip " + std::to_string(tip) + " holds no tip kind the kit knows (" + KindName(kind) +
                             "): cabinet or folder control data, or another program's tip");
    }
    printf("tip %ld: %s (%s) in %s\n", tip, KindDescription(kind).c_str(), KindName(kind).c_str(),
           session.DatabaseLabel(db).c_str());
    const bool readOnly = CurrentTipIsReadOnly(session.Kit(), kind);
    if (readOnly) printf("read-only: another program holds a lock on it, so only part of its fields are handed out\n");
    const int labelWidth = LabelWidth(kind, count);
    printf("%4s  %-4s  %s  %-14s %s\n", "SLOT", "TAG", PadRight("LABEL", labelWidth).c_str(), "TYPE", "VALUE");
    const std::string continuation = std::string(4 + 2 + 4 + 2 + labelWidth + 2 + 15, ' ');
    for (int slot = 0; slot < count; ++slot) {
        const std::vector<std::string> lines = DecodeField(session.Kit(), kind, SchemaTag(kind, slot), readOnly);
        printf("%4d  %-4s  %s  %-14s %s\n", slot, SchemaTag(kind, slot),
               PadRight(ToUtf8(SchemaLabel(kind, slot)), labelWidth).c_str(),
               FieldTypeText(SchemaFieldType(kind, slot)).c_str(), lines.front().c_str());
        for (size_t i = 1; i < lines.size(); ++i) printf("%s%s\n", continuation.c_str(), lines[i].c_str());
    }
    return kExitOk;
}

int RunAdd(const Invocation& call) {
    const uint16_t kind = call.command->fieldKind;
    const AddForm* form = FindAddForm(kind);
    KitSession session;
    long db = 0;
    int result = session.StartWithDatabase(call.args[0], &db);
    long tip = 0;
    if (result == kExitOk) result = AddTip(session.Kit(), db, kind, AddFields(call, *form), &tip);
    return result != kExitOk ? result : PrintStored(session.Kit(), tip, kind, "added");
}

namespace {

// Reads tip args[1] of database args[0], changes it with `change` (given
// the kit and the tip's kind, giving an exit code) and stores it back.
template <typename Change>
int ChangeTip(const Invocation& call, const char* verb, Change change) {
    KitSession session;
    long db = 0;
    int result = session.StartWithDatabase(call.args[0], &db);
    long tip = 0;
    unsigned short kind = 0;
    if (result == kExitOk) result = ReadTipById(session.Kit(), db, call.args[1], &tip, &kind);
    if (result == kExitOk) result = change(session.Kit(), kind);
    if (result == kExitOk) result = StoreCurrentTip(session.Kit(), db, 0, tip, kind, &tip);
    return result != kExitOk ? result : PrintStored(session.Kit(), tip, kind, verb);
}

}  // namespace

int RunSet(const Invocation& call) {
    const SettableField* field = FindSettableField(call.args[2]);
    if (field == nullptr) return ReportUsage("no field '" + call.args[2] + "' can be set (see varo set --help)");
    return ChangeTip(call, "changed",
                     [&](CVAROObj& kit, unsigned short kind) { return ApplyField(kit, kind, *field, call.args[3]); });
}

int RunDone(const Invocation& call) {
    return ChangeTip(call, "done:",
                     [](CVAROObj& kit, unsigned short kind) { return FillFields(kit, kind, {{"check", "1"}}); });
}

}  // namespace tool
}  // namespace varo

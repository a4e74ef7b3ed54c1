// varo demo: a database named "demo" with one tip of each everyday kind,
// printed as the suite's applications list it.
//
// The sample tips are added only when the demo database is created, so
// running the demo again shows the same database rather than growing it.
// Dates are relative to today: the to-do item is due in a week, the meeting
// is tomorrow.
#include <cstdio>

#include "Commands.h"
#include "FieldDecoders.h"
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

const char kDemoName[] = "demo";

// The sample texts, in Shift-JIS as the kit keeps them.
const char kReportToDo[] = "\x95\xf1\x8d\x90\x8f\x91\x82\xf0\x92\xf1\x8f\x6f\x82\xb7\x82\xe9"; /* 報告書を提出する */
const char kPersonName[] = "\x8e\x52\x93\x63\x91\xbe\x98\x59";                                 /* 山田太郎 */
const char kPersonReading[] = "\x82\xe2\x82\xdc\x82\xbe\x82\xbd\x82\xeb\x82\xa4";               /* やまだたろう */
const char kCompanyName[] = "\x8e\x52\x93\x63\x8f\xa4\x8e\x96";                                /* 山田商事 */
const char kCompanyReading[] = "\x82\xe2\x82\xdc\x82\xbe\x82\xb5\x82\xe5\x82\xa4\x82\xb6";     /* やまだしょうじ */
const char kMeeting[] = "\x91\xc5\x82\xbf\x8d\x87\x82\xed\x82\xb9";                             /* 打ち合わせ */
const char kShoppingList[] = "\x94\x83\x82\xa2\x95\xa8\x83\x8a\x83\x58\x83\x67";                /* 買い物リスト */
const char kMilk[] = "\x8b\x8d\x93\xfb";                                                        /* 牛乳 */
const char kEggs[] = "\x97\x91";                                                                /* 卵 */

std::string U(const char* sjis) { return ToUtf8(sjis); }

std::string Day(int daysFromToday) {
    const CPIMTime now = CPIMTime::GetTickCount();
    return DateText(CPIMTime(now.GetYear(), now.GetMonth(), now.GetDay(), 0, 0, 0).CalculateDate(daysFromToday));
}

int AddSamples(CVAROObj& kit, long db) {
    const std::string tomorrow = Day(1);
    const FieldList toDo = {{"memo", U(kReportToDo)}, {"deadline", Day(7)}, {"priority", "2"}};
    const FieldList card = {{"name", U(kPersonName)},         {"reading", U(kPersonReading)},
                            {"company", U(kCompanyName)},     {"company-reading", U(kCompanyReading)},
                            {"office-tel", "03-1234-5678"},   {"mobile", "090-1234-5678"},
                            {"office-email", "taro@example.jp"}};
    const FieldList schedule = {{"start", tomorrow + " 10:00"},
                                {"end", tomorrow + " 11:00"},
                                {"memo", U(kMeeting)},
                                {"alarm", tomorrow + " 09:50"}};
    const FieldList memo = {{"memo", U(kShoppingList) + "\n" + U(kMilk) + "\n" + U(kEggs)}};
    long tip = 0;
    int result = AddTip(kit, db, KIND_TODO_300, toDo, &tip);
    if (result == kExitOk) result = AddTip(kit, db, KIND_CARD_401, card, &tip);
    if (result == kExitOk) result = AddTip(kit, db, KIND_SCHEDULE_201, schedule, &tip);
    if (result == kExitOk) result = AddTip(kit, db, KIND_MEMO_501, memo, &tip);
    if (result != kExitOk) return result;
    const long pinned = kit.NotePut(db, tip);
    return pinned == 0 ? kExitOk : ReportCode("cannot pin the memo onto the page board", pinned);
}

// The demo database, made and filled when there is none; *created says
// which.
int FindOrCreateDemo(KitSession& session, long* db, bool* created) {
    std::vector<long> ids;
    if (!session.DatabaseIds(&ids)) return ReportFailure("the engine cannot list the databases");
    for (long id : ids) {
        if (session.DatabaseName(id) == kDemoName) {
            *db = id;
            *created = false;
            return session.OpenDatabase(id);
        }
    }
    const long code = session.Kit().Create(kDemoName, db);
    if (code != 0) return ReportCode("cannot create the demo database", code);
    *created = true;
    const int opened = session.OpenDatabase(*db);
    return opened != kExitOk ? opened : AddSamples(session.Kit(), *db);
}

bool InTree(const CabinetTree& tree, long fukuro) {
    for (const Cabinet& cabinet : tree.cabinets) {
        if (cabinet.fukuro == fukuro) return true;
        for (long folder : cabinet.folders) {
            if (folder == fukuro) return true;
        }
    }
    return false;
}

// Fukuros with tips that no cabinet shows: the address cards, schedules,
// the page board, preferences and alarms of a new database.
int PrintOtherFukuros(CVAROObj& kit, long db, const CabinetTree& tree) {
    const long kCabinetControl = 0x3011;
    CDWordArray ids;
    const long code = kit.GetAllFukuroID(db, ids);
    if (code != 0) return ReportCode("cannot list the fukuros", code);
    for (int i = 0; i < ids.GetSize(); ++i) {
        const long fukuro = static_cast<int32_t>(ids[i]);
        const long size = FukuroSize(kit, db, fukuro);
        if (size <= 0 || InTree(tree, fukuro) || fukuro == kCabinetControl || fukuro == kHolidayFukuro) continue;
        std::vector<ListedTip> tips;
        const int read = ReadFukuroTips(kit, db, fukuro, &tips);
        if (read != kExitOk) return read;
        printf("fukuro %s %s, %s\n", FukuroText(fukuro).c_str(), FukuroLabel(kit, db, fukuro).c_str(),
               TipCount(size).c_str());
        PrintTips(tips, "    ");
    }
    return kExitOk;
}

int PrintHolidays(CVAROObj& kit, long db) {
    std::vector<ListedTip> holidays;
    const int read = ReadFukuroTips(kit, db, kHolidayFukuro, &holidays);
    if (read != kExitOk) return read;
    printf("national holidays (fukuro %s), %s\n", FukuroText(kHolidayFukuro).c_str(),
           TipCount(static_cast<long>(holidays.size())).c_str());
    for (const ListedTip& holiday : holidays) printf("  %s\n", holiday.line.c_str());
    return kExitOk;
}

}  // namespace

int RunDemo(const Invocation&) {
    KitSession session;
    if (!session.Start()) return kExitFailed;
    long db = 0;
    bool created = false;
    int result = FindOrCreateDemo(session, &db, &created);
    if (result != kExitOk) return result;
    CVAROObj& kit = session.Kit();
    printf("%s %s (%s)\n\n", created ? "created" : "opened", session.DatabaseLabel(db).c_str(),
           session.DatabaseFile(db).c_str());
    CabinetTree tree;
    result = ReadCabinets(kit, db, &tree);
    if (result == kExitOk) result = PrintCabinetTree(kit, db, tree, true);
    if (result == kExitOk) {
        printf("\n");
        result = PrintOtherFukuros(kit, db, tree);
    }
    if (result == kExitOk) {
        printf("\n");
        result = PrintHolidays(kit, db);
    }
    return result;
}

}  // namespace tool
}  // namespace varo

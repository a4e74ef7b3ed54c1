// this_week: the to-do items due this week (Monday to Sunday) and the
// schedule entries that start in it, from the default database; with
// `done TIP` it marks that to-do item done first.
//
//   this_week [done TIP]
//
// Build against an installed kit, with CMake (find_package(varokit)) or with
//   c++ -std=c++17 this_week.cpp $(pkg-config --cflags --libs varokit)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "CodePage.h"
#include "EngineCodes.h"
#include "VAROObj.h"

namespace {

const long kTodoFukuro = 0x300C;
const long kScheduleFukuro = 0x3005;
const int kReadNext = 1;  // ReadTip's option for the tip after the last one read

// The kit's texts are Shift-JIS; the terminal wants UTF-8.
std::string Utf8(const CString& text) {
    std::string utf8;
    return Cp932ToUtf8(text.Bytes(), &utf8) ? utf8 : text.Bytes();
}

// Monday 00:00 of this week, local time.
CPIMTime StartOfWeek() {
    const CPIMTime now = CPIMTime::GetTickCount();
    const CPIMTime today(now.GetYear(), now.GetMonth(), now.GetDay(), 0, 0, 0);
    return today - CPIMTimeSpan((today.GetDayOfWeek() + 5) % 7, 0, 0, 0);  // 1 = Sunday
}

bool InWeek(const CPIMTime& when, const CPIMTime& monday) {
    return when >= monday && when < monday + CPIMTimeSpan(7, 0, 0, 0);
}

// Walks one fukuro, printing the tips whose date the picker finds in this
// week; to-do items with their check mark.
template <class DateOf>
long ListWeek(CVAROObj& kit, long db, long fukuro, const char* heading, DateOf dateOf) {
    const CPIMTime monday = StartOfWeek();
    long code = kit.FukuroOpen(db, fukuro);
    if (code != 0) return code;
    std::printf("%s\n", heading);
    for (;;) {
        code = kit.ReadTip(db, fukuro, kReadNext);
        long tip = 0;
        if (code != 0 || !kit.GetTipID(&tip) || tip == 0) break;  // 0: no tip after the last
        CPIMTime when;
        if (!dateOf(kit, when) || !InWeek(when, monday)) continue;
        int done = 0;
        const char* mark = fukuro != kTodoFukuro ? "" : kit.GetCheck(&done) && done ? "[x] " : "[ ] ";
        CString line;
        kit.GetDisplayString(line);
        std::printf("  #%-6ld %s%s\n", tip, mark, Utf8(line).c_str());
    }
    kit.FukuroClose(db, fukuro);
    return code;
}

// Marks a to-do item done: 0, or the code of the step that failed. Another
// program may store the same tip between our read and our write: the kit
// then answers 407, and we read it again and redo the change.
long MarkDone(CVAROObj& kit, long db, long tip) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        long code = kit.GetTip(db, kTodoFukuro, tip);
        if (code != 0) return code;
        unsigned short kind = 0;
        if (!kit.GetTipFlag(&kind) || kind != 0x300) return varo::kEngineNoSuchTip;  // not a to-do item
        // The setters refuse a tip that another program holds locked.
        if (!kit.SetCheck(1) || !kit.SetCheckDate(CPIMTime::GetTickCount())) return varo::kEngineReadOnly;
        code = kit.PutTip(db, kTodoFukuro, &tip);
        if (code != VARO_ERR_CHANGED) return code;
    }
    return VARO_ERR_CHANGED;
}

}  // namespace

int main(int argc, char** argv) {
    const bool markDone = argc == 3 && std::strcmp(argv[1], "done") == 0;
    if (argc != 1 && !markDone) {
        std::fprintf(stderr, "usage: this_week [done TIP]\n");
        return 2;
    }
    CVAROObj kit;
    if (!kit.Init(nullptr)) {
        std::fprintf(stderr, "this_week: cannot load the engine\n");
        return 1;
    }
    long db = 0;
    if (!kit.GetDefaultDBID(&db) || db == 0) {
        std::fprintf(stderr, "this_week: there is no default database (varo db default DB)\n");
        kit.End();
        return 1;
    }
    long code = kit.Open(db);
    if (code == 0 && markDone) {
        const long tip = std::strtol(argv[2], nullptr, 10);
        code = MarkDone(kit, db, tip);
        if (code == 0) std::printf("#%ld done\n", tip);
    }
    if (code == 0) {
        code = ListWeek(kit, db, kTodoFukuro, "to do this week:",
                        [](CVAROObj& k, CPIMTime& when) { return k.GetLimitDay(when); });
    }
    if (code == 0) {
        code = ListWeek(kit, db, kScheduleFukuro, "schedule this week:", [](CVAROObj& k, CPIMTime& when) {
            int mode = 0;
            return k.GetStartTime(when, &mode);
        });
    }
    kit.Close(db);
    kit.End();
    if (code != 0) {
        std::fprintf(stderr, "this_week: failed with code %ld\n", code);
        return 1;
    }
    return 0;
}

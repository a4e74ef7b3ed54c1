#include "DateNames.h"

namespace pimtime {
namespace {

#define SJIS_TSUKI "\x8c\x8e" /* 月 */

const char* const kWeekdayJapanese[8] = {
    "",
    "\x93\xfa" /* 日 */, "\x8c\x8e" /* 月 */, "\x89\xce" /* 火 */, "\x90\x85" /* 水 */,
    "\x96\xd8" /* 木 */, "\x8b\xe0" /* 金 */, "\x93\x79" /* 土 */,
};
const char* const kWeekdayShort[8] = {"", "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kWeekdayFull[8] = {"",         "Sunday",   "Monday", "Tuesday",
                                     "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthShort[13] = {"",    "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kMonthFull[13] = {"",     "January", "February",  "March",   "April",
                                    "May",  "June",    "July",      "August",  "September",
                                    "October", "November", "December"};
// 1月 ... 12月
const char* const kMonthJapanese[13] = {
    "",           "1" SJIS_TSUKI, "2" SJIS_TSUKI, "3" SJIS_TSUKI,  "4" SJIS_TSUKI,
    "5" SJIS_TSUKI, "6" SJIS_TSUKI, "7" SJIS_TSUKI, "8" SJIS_TSUKI,  "9" SJIS_TSUKI,
    "10" SJIS_TSUKI, "11" SJIS_TSUKI, "12" SJIS_TSUKI,
};

#undef SJIS_TSUKI

template <int N>
const char* Lookup(const char* const (&table)[N], int index) {
    return index >= 0 && index < N ? table[index] : "";
}

}  // namespace

const char* WeekdayJapanese(int dayOfWeek) { return Lookup(kWeekdayJapanese, dayOfWeek); }
const char* WeekdayShort(int dayOfWeek) { return Lookup(kWeekdayShort, dayOfWeek); }
const char* WeekdayFull(int dayOfWeek) { return Lookup(kWeekdayFull, dayOfWeek); }
const char* MonthShort(int month) { return Lookup(kMonthShort, month); }
const char* MonthFull(int month) { return Lookup(kMonthFull, month); }
const char* MonthJapanese(int month) { return Lookup(kMonthJapanese, month); }

}  // namespace pimtime

// The name tables of the date class: weekdays indexed 1-7 (1 = Sunday),
// months 1-12. Any other index gives the empty text, so an unrepresentable
// date (month -1) never reads outside a table. Internal to pimtime/.
#pragma once

namespace pimtime {

const char* WeekdayJapanese(int dayOfWeek);
const char* WeekdayShort(int dayOfWeek);
const char* WeekdayFull(int dayOfWeek);
const char* MonthShort(int month);
const char* MonthFull(int month);
const char* MonthJapanese(int month);

}  // namespace pimtime

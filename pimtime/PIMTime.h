/// @file
/// CPIMTime and CPIMTimeSpan: the kit's date-and-time value and its length of
/// time.
///
/// CPIMTime holds one instant as signed 64-bit seconds since 1970-01-01
/// 00:00:00 UTC, so dates before 1970 and after 2038 work, together with a
/// cached local broken-down form that every getter reads. Local time is
/// standard time: local seconds = UTC seconds - the C library's zone offset
/// (`timezone`, seconds west of UTC, read after tzset()); daylight saving is
/// never applied. Calendar fields exist for 0100-01-01 to 9999-12-31; outside,
/// GetYear, GetMonth and GetDay return -1 while the time of day and the day of
/// week are still given.
///
/// The broken-down fields follow the C library's order but not all of its
/// conventions: the year is the full year (1998), the day of week runs 1-7
/// with 1 = Sunday, the day of year is not kept and the daylight flag is 0.
///
/// Both classes are plain values: no heap memory except the texts Format
/// returns, no locks. Calls come from one thread at a time (the kit's rule);
/// the static name tables and month table are read-only.
///
/// Failures never throw: setters and checks answer 0 and leave the object as
/// it was; operations whose result would leave their range return an unchanged
/// copy, as documented per member.
#pragma once

#include <ctime>

#include "CString.h"
#include "CTime.h"
#include "VarokitApi.h"
#include "WinTime.h"
#include "WinTypes.h"

/// A length of time: signed 64-bit seconds.
class VAROKIT_API CPIMTimeSpan {
public:
    /// No time at all.
    CPIMTimeSpan() : m_timeSpan(0) {}
    /// That many seconds.
    CPIMTimeSpan(__int64 seconds) : m_timeSpan(seconds) {}  // NOLINT: implicit like the original
    /// days * 86400 + hours * 3600 + minutes * 60 + seconds; any part may be
    /// negative or beyond its unit.
    CPIMTimeSpan(__int64 days, int hours, int minutes, int seconds);

    /// @name Arithmetic
    ///@{

    /// Sums and differences of the seconds.
    CPIMTimeSpan operator-(CPIMTimeSpan other) const;
    CPIMTimeSpan operator+(CPIMTimeSpan other) const;
    const CPIMTimeSpan& operator+=(CPIMTimeSpan other);
    const CPIMTimeSpan& operator-=(CPIMTimeSpan other);
    ///@}

    /// @name Comparison
    ///@{

    /// Compares the seconds; TRUE or FALSE.
    BOOL operator==(CPIMTimeSpan other) const { return m_timeSpan == other.m_timeSpan; }
    BOOL operator!=(CPIMTimeSpan other) const { return m_timeSpan != other.m_timeSpan; }
    BOOL operator<(CPIMTimeSpan other) const { return m_timeSpan < other.m_timeSpan; }
    BOOL operator>(CPIMTimeSpan other) const { return m_timeSpan > other.m_timeSpan; }
    BOOL operator<=(CPIMTimeSpan other) const { return m_timeSpan <= other.m_timeSpan; }
    BOOL operator>=(CPIMTimeSpan other) const { return m_timeSpan >= other.m_timeSpan; }
    ///@}

    /// @name Parts
    ///@{

    /// Whole units, truncated toward zero; the int getters give the part
    /// within the next larger unit, negative for negative spans.
    __int64 GetDays() const { return m_timeSpan / 86400; }
    __int64 GetTotalHours() const { return m_timeSpan / 3600; }
    int GetHours() const;
    __int64 GetTotalMinutes() const { return m_timeSpan / 60; }
    int GetMinutes() const;
    __int64 GetTotalSeconds() const { return m_timeSpan; }
    int GetSeconds() const;
    ///@}

    /// Copies the format, replacing %D (days), %H, %M, %S (two digits) and
    /// "%c" for any other byte c by c alone; a final lone "%" ends the text.
    CString Format(const char* pFormat) const;

private:
    __int64 m_timeSpan;
};

/// An instant with a Japanese calendar face: signed 64-bit seconds since
/// 1970-01-01 00:00:00 UTC and its cached local calendar fields.
class VAROKIT_API CPIMTime {
public:
    /// @name Construction
    ///@{

    /// Leaves the value at 0 with zeroed fields (the original left it unset).
    CPIMTime();
    /// The instant t seconds after 1970-01-01 00:00:00 UTC.
    CPIMTime(__int64 t);  // NOLINT: implicit like the original
    /// The instant of a seconds-based time.
    CPIMTime(const CTime& t);  // NOLINT
    /// Composes local standard time; fields out of range carry over
    /// arithmetically (day 0 is the last day of the month before). A negative
    /// year gives the instant 0. nDST has no effect.
    CPIMTime(int year, int month, int day, int hour, int minute, int second, int nDST = -1);
    /// A packed DOS date and time, through the C library's mktime.
    CPIMTime(unsigned short wDosDate, unsigned short wDosTime, int nDST = -1);
    /// A system time as local time; years before 1901 give the instant 0.
    CPIMTime(const SYSTEMTIME& st, int nDST = -1);
    /// Converted to local time first; a time the platform cannot convert
    /// gives the instant 0.
    CPIMTime(const FILETIME& ft, int nDST = -1);
    /// Reads the stored 8-digit ("%Y%m%d") or 14-digit ("%Y%m%d%H%M%S") form;
    /// any other length gives all numbers 0.
    CPIMTime(CString text);  // NOLINT
    /// A copy of another instant.
    CPIMTime(const CPIMTime& other) = default;
    ///@}

    /// @name Assignment and arithmetic
    ///@{

    /// Takes the instant t seconds after 1970-01-01 00:00:00 UTC.
    const CPIMTime& operator=(long t);
    /// Takes another instant and its fields.
    const CPIMTime& operator=(const CPIMTime& other);
    /// The span from other to this instant.
    CPIMTimeSpan operator-(CPIMTime other) const;
    /// The instant a span earlier.
    CPIMTime operator-(CPIMTimeSpan span) const;
    /// The instant a span later.
    CPIMTime operator+(CPIMTimeSpan span) const;
    /// Moves this instant a span later.
    const CPIMTime& operator+=(const CPIMTimeSpan& span);
    /// Moves this instant a span earlier.
    const CPIMTime& operator-=(const CPIMTimeSpan& span);
    ///@}

    /// @name Comparison
    ///@{

    /// Compares the instants; TRUE or FALSE.
    BOOL operator==(CPIMTime other) const { return m_time == other.m_time; }
    BOOL operator!=(CPIMTime other) const { return m_time != other.m_time; }
    BOOL operator<(CPIMTime other) const { return m_time < other.m_time; }
    BOOL operator>(CPIMTime other) const { return m_time > other.m_time; }
    BOOL operator<=(CPIMTime other) const { return m_time <= other.m_time; }
    BOOL operator>=(CPIMTime other) const { return m_time >= other.m_time; }
    ///@}

    /// @name Fields
    ///@{

    /// Cached local fields; none recomputes. GetTime is the instant's
    /// seconds; the year is the full year (-1 outside 0100-9999, as are the
    /// month and day); the month 1-12; the day of week 1-7, 1 = Sunday.
    __int64 GetTime() const { return m_time; }
    int GetYear() const { return m_tm.tm_year; }
    int GetMonth() const { return m_tm.tm_mon + 1; }
    int GetDay() const { return m_tm.tm_mday; }
    int GetHour() const { return m_tm.tm_hour; }
    int GetMinute() const { return m_tm.tm_min; }
    int GetSecond() const { return m_tm.tm_sec; }
    int GetDayOfWeek() const { return m_tm.tm_wday; }
    ///@}

    /// @name Broken-down forms
    ///@{

    /// With a null p, the object's own fields; otherwise a copy of the nine
    /// fields into *p, returned. GetGmtTm gives the same local fields.
    struct tm* GetLocalTm(struct tm* p = nullptr);
    struct tm* GetGmtTm(struct tm* p = nullptr);
    /// Copies the nine fields into *p and returns p; a null p is ignored.
    struct tm* GetTimeTm(struct tm* p) const;
    /// The value taken by the last refresh into *p; a null p is ignored.
    void GetTimeTm(__int64* p) const;
    /// The current time.
    static CPIMTime GetTickCount();
    /// The instant of *p's fields (full year, month 0-11), as the numeric
    /// constructor composes it; 0 for a null p.
    static __int64 MkTimeEx(const struct tm* p);
    /// Recomputes the cached fields from the value.
    void GetDateInf();
    /// Sets the internal offset of year 0 (62167219200 seconds).
    void GetDate0Yer();
    ///@}

    /// @name Other forms
    ///@{

    /// The seconds-based time for years 1991 to 2036, else the time 0.
    CTime PIMTimeToTime() const;
    /// year * 10000 + month * 100 + day.
    long PIMTimeToLong() const;
    /// Sets 00:00:00 local of the packed date when it is valid (1901-2099)
    /// and returns 1; otherwise 0 and no change.
    int LongToPIMTime(long n);
    ///@}

    /// @name Calendar queries
    ///@{

    /// Days in each month of a common year, indexed 1-12 (index 0 is 0).
    static const int monthTable[13];
    /// Days in the object's month, or in the given one (1-12; any other
    /// month gives 0), by the leap rule.
    int GetDaysInMonth() const;
    static int GetDaysInMonth(int year, int month);
    /// 366 in a leap year, else 365.
    int GetDaysInYear() const;
    static int GetDaysInYear(int year);
    /// 1 for a date of 1901-2099 / a time of day 00:00:00-23:59:59, else 0.
    static int CheckDate(int year, int month, int day);
    static int CheckTime(int hour, int minute, int second);
    ///@}

    /// @name Changing one field
    ///@{

    /// Replace one field, keeping the others and the time of day; 1, or 0 and
    /// no change when the result is not a valid date. Nothing is clamped.
    int SetYear(int year);
    int SetMonth(int month);
    int SetDay(int day);
    ///@}

    /// @name Day numbers
    ///@{

    /// Day numbers count days from 0000-01-01 (day 0) on the proleptic
    /// Gregorian calendar: 1970-01-01 is 719528.
    __int64 GetJulianDay() const;
    static __int64 GetJulianDay(int year, int month, int day);
    /// Sets 00:00:00 local of that day and returns 1; 0 and no change for a
    /// day whose year does not fit in 32 bits.
    int SetJulianDay(__int64 day);
    ///@}

    /// @name Calendar arithmetic
    ///@{

    /// New instants n months / days away; the time of day is kept and a day
    /// past the end of the target month is cut to its last day.
    CPIMTime CalculateMonth(long n) const;
    CPIMTime CalculateDate(long n) const;
    /// n hours / minutes away (GetCalculateTime: nUnit 2 minutes, else
    /// hours), bounded: a result after 2099, or at or before 1901 for
    /// negative n, gives an unchanged copy.
    CPIMTime CalculateHour(long n) const;
    CPIMTime CalculateMinute(long n) const;
    CPIMTime GetCalculateTime(long n, int nUnit) const;
    /// Sets this object to the midpoint of *a and *b.
    void GetCenterDate(const CPIMTime* a, const CPIMTime* b);
    ///@}

    /// @name Texts
    ///@{

    /// Expands the C library's %-codes and the keywords %PIMYEAR,
    /// %PIMMONTH, %PIMDAYOFWEEK, %PIMDATESHORT, %PIMDATELONG, %PIMDATEONLY
    /// and %PIMDATE (with "#": their alternate forms) in Japanese.
    CString Format(const char* pFormat) const;
    /// "%#PIMDATE": e.g. "1998年 3月14日(土)"; returns 1.
    int MakeDateString(CString& s) const;
    /// Static names of the cached day of week; the caller neither frees nor
    /// changes them. An unknown day gives the empty text.
    char* GetDayOfWeekString() const;
    char* GetDayOfWeekStringEnglish() const;
    /// Reads a typed date "year/month/day" (month and day optional, taken from
    /// the target), with half- or full-width digits and solidus, into
    /// *pTarget (this object for the one-argument form) at 00:00:00; 1 on
    /// success, 0 with *pTarget unchanged.
    int SetDataString(const char* text);
    static int SetDataString(const char* text, CPIMTime* pTarget);
    ///@}

private:
    __int64 m_time;
    __int64 m_timeInf;
    __int64 m_date0Year;
    struct tm m_tm;
};

// CPIMTime: formatting to text. The keyword table below is the whole
// formatter: each keyword has a plain and an alternate ("#") expansion, each
// a small printf-style pattern over the object's cached fields.
#include <cstring>

#include "DateNames.h"
#include "DecimalText.h"
#include "PIMTime.h"

using namespace pimtime;

namespace {

enum class Field : unsigned char {
    Year, Year100, Month, Day, Hour, Hour12, Minute, Second, AmPm,
    WeekdayJapanese, WeekdayShort, WeekdayFull, MonthShort, MonthFull, MonthJapanese,
};

// A pattern understands %d, %Nd, %0Nd and %s; each takes the next field.
struct Expansion {
    const char* pattern;
    Field fields[7];
};

// A keyword's text with its length, taken from the literal itself.
struct KeywordName {
    template <size_t N>
    constexpr KeywordName(const char (&literal)[N]) : text(literal), length(N - 1) {}  // NOLINT
    const char* text;
    size_t length;
};

struct Keyword {
    KeywordName name;
    Expansion plain;
    Expansion alternate;
};

#define NEN "\x94\x4e"  /* 年 */
#define GATSU "\x8c\x8e" /* 月 */
#define NICHI "\x93\xfa" /* 日 */

using F = Field;

// Tried in this order: the longer Japanese keywords come first so that
// "PIMDATEONLY" is not read as "PIMDATE".
const Keyword kKeywords[] = {
    {"PIMYEAR", {"%4d" NEN, {F::Year}}, {"%4d" NEN, {F::Year}}},
    {"PIMDAYOFWEEK", {"%s", {F::WeekdayJapanese}}, {"%s", {F::WeekdayJapanese}}},
    {"PIMMONTH", {"%s", {F::MonthJapanese}}, {"%s", {F::MonthJapanese}}},
    {"PIMDATESHORT", {"%02d/%02d/%02d", {F::Year100, F::Month, F::Day}},
                     {"%02d/%2d/%2d", {F::Year100, F::Month, F::Day}}},
    {"PIMDATELONG", {"%04d/%02d/%02d", {F::Year, F::Month, F::Day}},
                    {"%04d/%2d/%2d", {F::Year, F::Month, F::Day}}},
    {"PIMDATEONLY", {"%04d" NEN "%02d" GATSU "%02d" NICHI, {F::Year, F::Month, F::Day}},
                    {"%4d" NEN "%2d" GATSU "%2d" NICHI, {F::Year, F::Month, F::Day}}},
    {"PIMDATE", {"%04d" NEN "%02d" GATSU "%02d" NICHI "(%s)", {F::Year, F::Month, F::Day, F::WeekdayJapanese}},
                {"%4d" NEN "%2d" GATSU "%2d" NICHI "(%s)", {F::Year, F::Month, F::Day, F::WeekdayJapanese}}},
    {"Y", {"%02d", {F::Year}}, {"%02d", {F::Year}}},
    {"y", {"%02d", {F::Year100}}, {"%02d", {F::Year100}}},
    {"X", {"%02d:%02d:%02d", {F::Hour, F::Minute, F::Second}},
          {"%02d:%02d:%02d", {F::Hour, F::Minute, F::Second}}},
    {"x", {"%02d/%02d/%02d", {F::Month, F::Day, F::Year100}},
          {"%s, %s, %04d", {F::WeekdayFull, F::MonthFull, F::Year}}},
    {"S", {"%02d", {F::Second}}, {"%02d", {F::Second}}},
    {"p", {"%s", {F::AmPm}}, {"%s", {F::AmPm}}},
    {"M", {"%02d", {F::Minute}}, {"%d", {F::Minute}}},
    {"m", {"%02d", {F::Month}}, {"%d", {F::Month}}},
    {"I", {"%02d", {F::Hour12}}, {"%d", {F::Hour12}}},
    {"H", {"%02d", {F::Hour}}, {"%d", {F::Hour}}},
    {"d", {"%02d", {F::Day}}, {"%d", {F::Day}}},
    {"c", {"%02d/%02d/%02d %02d:%02d:%02d", {F::Month, F::Day, F::Year100, F::Hour, F::Minute, F::Second}},
          {"%s, %s, %02d, %04d, %02d, %02d, %02d",
           {F::WeekdayFull, F::MonthFull, F::Day, F::Year, F::Hour, F::Minute, F::Second}}},
    {"B", {"%s", {F::MonthFull}}, {"%s", {F::MonthFull}}},
    {"b", {"%s", {F::MonthShort}}, {"%s", {F::MonthShort}}},
    {"A", {"%s", {F::WeekdayFull}}, {"%s", {F::WeekdayFull}}},
    {"a", {"%s", {F::WeekdayShort}}, {"%s", {F::WeekdayShort}}},
};

#undef NEN
#undef GATSU
#undef NICHI

int NumberOf(const CPIMTime& t, Field f) {
    switch (f) {
        case F::Year: return t.GetYear();
        case F::Year100: return t.GetYear() % 100;
        case F::Month: return t.GetMonth();
        case F::Day: return t.GetDay();
        case F::Hour: return t.GetHour();
        case F::Hour12: return t.GetHour() % 12;
        case F::Minute: return t.GetMinute();
        case F::Second: return t.GetSecond();
        default: return 0;
    }
}

const char* TextOf(const CPIMTime& t, Field f) {
    switch (f) {
        case F::AmPm: return t.GetHour() < 12 ? "AM" : "PM";
        case F::WeekdayJapanese: return WeekdayJapanese(t.GetDayOfWeek());
        case F::WeekdayShort: return WeekdayShort(t.GetDayOfWeek());
        case F::WeekdayFull: return WeekdayFull(t.GetDayOfWeek());
        case F::MonthShort: return MonthShort(t.GetMonth());
        case F::MonthFull: return MonthFull(t.GetMonth());
        case F::MonthJapanese: return MonthJapanese(t.GetMonth());
        default: return "";
    }
}

void Expand(const CPIMTime& t, const Expansion& e, std::string& out) {
    const Field* field = e.fields;
    for (const char* p = e.pattern; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        ++p;
        const Pad pad = *p == '0' ? (++p, Pad::Zeros) : Pad::Spaces;
        int width = 0;
        while (*p >= '1' && *p <= '9') width = width * 10 + (*p++ - '0');
        if (*p == 's') {
            out += TextOf(t, *field++);
        } else {
            AppendDecimal(out, NumberOf(t, *field++), width, pad);
        }
    }
}

const size_t kKeywordCount = sizeof kKeywords / sizeof kKeywords[0];
const unsigned char kNoKeyword = 0xFF;

// The keywords chained by their first byte, each chain in table order, so
// that a code is tried only against the keywords that can match it.
struct KeywordIndex {
    KeywordIndex() {
        for (unsigned char& h : head) h = kNoKeyword;
        for (size_t k = kKeywordCount; k-- > 0;) {
            const unsigned char first = static_cast<unsigned char>(kKeywords[k].name.text[0]);
            next[k] = head[first];
            head[first] = static_cast<unsigned char>(k);
        }
    }
    unsigned char head[256];
    unsigned char next[kKeywordCount];
};

const KeywordIndex kIndex;

// The keyword whose name follows position p, or null.
const Keyword* MatchKeyword(const char* format, size_t n, size_t p) {
    if (p + 1 >= n) return nullptr;
    for (unsigned char k = kIndex.head[static_cast<unsigned char>(format[p + 1])]; k != kNoKeyword;
         k = kIndex.next[k]) {
        const KeywordName& name = kKeywords[k].name;
        if (p + name.length < n && std::memcmp(format + p + 1, name.text, name.length) == 0) {
            return &kKeywords[k];
        }
    }
    return nullptr;
}

// Each "%%" the first pass kept becomes one "%".
void CollapsePercentPairs(std::string& text) {
    size_t write = 0;
    for (size_t read = 0; read < text.size(); ++read) {
        if (text[read] == '%' && read + 1 < text.size() && text[read + 1] == '%') ++read;
        text[write++] = text[read];
    }
    text.resize(write);
}

}  // namespace

CString CPIMTime::Format(const char* pFormat) const {
    if (!pFormat) return CString();
    const size_t n = std::strlen(pFormat);
    std::string out;
    bool sawPercentPair = false;
    for (size_t i = 0; i < n;) {
        if (pFormat[i] != '%' || i + 1 == n) {
            out += pFormat[i++];
            continue;
        }
        if (pFormat[i + 1] == '%') {
            out += "%%";
            sawPercentPair = true;
            i += 2;
            continue;
        }
        const bool alternate = pFormat[i + 1] == '#';
        const size_t p = i + (alternate ? 1 : 0);
        const Keyword* k = MatchKeyword(pFormat, n, p);
        if (!k) {
            out += '%';
            ++i;
            continue;
        }
        Expand(*this, alternate ? k->alternate : k->plain, out);
        i = p + k->name.length + 1;
    }
    // Expansions hold no "%" and an unmatched "%" is never followed by
    // another, so only the pairs copied above can form "%%".
    if (sawPercentPair) CollapsePercentPairs(out);
    return CString(std::move(out));
}

int CPIMTime::MakeDateString(CString& s) const {
    s = Format("%#PIMDATE");
    return 1;
}

// The tables are constant; the framework's signature hands them out as
// char*, and callers only read them.
char* CPIMTime::GetDayOfWeekString() const { return const_cast<char*>(WeekdayJapanese(GetDayOfWeek())); }

char* CPIMTime::GetDayOfWeekStringEnglish() const {
    return const_cast<char*>(WeekdayShort(GetDayOfWeek()));
}

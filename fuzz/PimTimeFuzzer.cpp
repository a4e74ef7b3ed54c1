// Dates and times from text and into text: CPIMTime::SetDataString (typed
// dates), the stored-text constructor, CPIMTime::Format and
// CPIMTimeSpan::Format on any format, and the numeric constructor the date
// getters feed with stored digits.
//
// Input: an instant and a span (64 bits each, little-endian), six 32-bit
// calendar numbers, then NUL-ended pieces: the format, the typed date and
// the stored text (the rest, NULs included).
#include <cstdlib>
#include <ctime>
#include <string>

#include "FuzzSupport.h"
#include "PIMTime.h"

using fuzz::FuzzBytes;
using fuzz::Require;

namespace {

int64_t Read64(FuzzBytes& in) {
    const uint64_t low = in.Dword();
    return static_cast<int64_t>(low | uint64_t{in.Dword()} << 32);
}

void CheckFormats(const CPIMTime& when, const CPIMTimeSpan& span, const std::string& format) {
    const CString text = when.Format(format.c_str());
    const CString spanText = span.Format(format.c_str());
    if (format.find('%') == std::string::npos) {
        Require(text.Bytes() == format && spanText.Bytes() == format, "a format without codes is copied");
    }
    CString date;
    Require(when.MakeDateString(date) == 1, "MakeDateString always succeeds");
    Require(when.GetDayOfWeekString() != nullptr && when.GetDayOfWeekStringEnglish() != nullptr,
            "day names are never null");
}

void CheckTypedDate(const std::string& typed, const CPIMTime& start) {
    CPIMTime target = start;
    const CPIMTime before = target;
    if (CPIMTime::SetDataString(typed.c_str(), &target) != 1) {
        Require(target == before, "a refused typed date leaves the target as it was");
        return;
    }
    Require(CPIMTime::CheckDate(target.GetYear(), target.GetMonth(), target.GetDay()) == 1,
            "a typed date accepted is a valid date");
    Require(target.GetHour() == 0 && target.GetMinute() == 0 && target.GetSecond() == 0,
            "a typed date starts at midnight");
    CPIMTime member = start;
    Require(member.SetDataString(typed.c_str()) == 1 && member == target, "both forms of SetDataString agree");
}

void CheckStoredText(const std::string& stored) {
    const CPIMTime read{CString(stored)};
    const int length = static_cast<int>(stored.size());
    if (length != 8 && length != 14) {
        Require(read == CPIMTime(0, 0, 0, 0, 0, 0), "a stored text of another length reads as all numbers 0");
    }
    read.Format("%Y%m%d%H%M%S");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("TZ", "JST-9", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBytes in(data, size);
    const CPIMTime when(static_cast<__int64>(Read64(in)));
    const CPIMTimeSpan span(static_cast<__int64>(Read64(in)));
    int numbers[6];
    for (int& number : numbers) number = static_cast<int>(in.Dword());
    const CPIMTime composed(numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], numbers[5]);
    const std::string format = in.Piece();
    const std::string typed = in.Piece();
    const std::string stored = in.Rest();
    CheckFormats(when, span, format);
    CheckFormats(composed, span, format);
    CheckTypedDate(typed, when);
    CheckStoredText(stored);
    return 0;
}

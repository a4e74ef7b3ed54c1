// Reading dates from text: the stored digit forms and dates typed by users.
#include <cstdlib>

#include "CodePage.h"
#include "PIMTime.h"

namespace {

const unsigned char kWideLead = 0x82;        // full-width digits: 0x82 0x4F-0x58
const unsigned char kWideDigitZero = 0x4F;
const unsigned char kWideDigitNine = 0x58;
const unsigned char kSolidusLead = 0x81;     // full-width solidus: 0x81 0x5E
const unsigned char kSolidusTrail = 0x5E;

const int kMinTypedLength = 8;
const int kMaxFields = 3;
// Larger than any valid year; accumulation stops here so that a long run of
// digits cannot overflow and is still rejected by the date check.
const int kFieldCeiling = 1000000;

int DigitsAt(const CString& text, int first, int count) {
    return std::atoi(text.Mid(first, count));
}

// One lexical unit of a typed date.
enum class Token { Digit, Separator, Invalid };

// Classifies the unit at bytes[i] of a length-byte text and gives its byte
// count and, for a digit, its value. A lead byte at the very end is invalid
// rather than read past.
Token ReadToken(const unsigned char* bytes, int length, int i, int* width, int* digit) {
    const unsigned char c = bytes[i];
    *width = 1;
    if (c >= '0' && c <= '9') {
        *digit = c - '0';
        return Token::Digit;
    }
    if (c == '/') return Token::Separator;
    if (!IsDBCSLeadByte(c) || i + 1 >= length) return Token::Invalid;
    *width = 2;
    const unsigned char trail = bytes[i + 1];
    if (c == kWideLead && trail >= kWideDigitZero && trail <= kWideDigitNine) {
        *digit = trail - kWideDigitZero;
        return Token::Digit;
    }
    if (c == kSolidusLead && trail == kSolidusTrail) return Token::Separator;
    return Token::Invalid;
}

bool EndsWithSeparator(const unsigned char* bytes, int length) {
    if (bytes[length - 1] == '/') return true;
    return bytes[length - 2] == kSolidusLead && bytes[length - 1] == kSolidusTrail;
}

// Splits a typed date into up to three nonzero fields; false for any text
// that is not digits and separators in that shape.
bool ScanFields(const unsigned char* bytes, int length, int fields[kMaxFields], int* count) {
    int current = 0;
    *count = 1;
    for (int i = 0; i < length;) {
        int width = 1;
        int digit = 0;
        switch (ReadToken(bytes, length, i, &width, &digit)) {
        case Token::Digit:
            if (fields[current] < kFieldCeiling) fields[current] = fields[current] * 10 + digit;
            break;
        case Token::Separator:
            if (fields[current] == 0 || current + 1 == kMaxFields) return false;
            ++current;
            ++*count;
            break;
        case Token::Invalid:
            return false;
        }
        i += width;
    }
    return fields[current] != 0;
}

}  // namespace

CPIMTime::CPIMTime(CString text) : CPIMTime() {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const int length = text.GetLength();
    if (length == 8 || length == 14) {
        year = DigitsAt(text, 0, 4);
        month = DigitsAt(text, 4, 2);
        day = DigitsAt(text, 6, 2);
    }
    if (length == 14) {
        hour = DigitsAt(text, 8, 2);
        minute = DigitsAt(text, 10, 2);
        second = DigitsAt(text, 12, 2);
    }
    *this = CPIMTime(year, month, day, hour, minute, second, -1);
}

int CPIMTime::SetDataString(const char* text) { return SetDataString(text, this); }

int CPIMTime::SetDataString(const char* text, CPIMTime* pTarget) {
    if (!text || !pTarget) return 0;
    const CString typed(text);
    const int length = typed.GetLength();
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(typed.Bytes().data());
    if (length < kMinTypedLength || EndsWithSeparator(bytes, length)) return 0;

    int fields[kMaxFields] = {0, 0, 0};
    int count = 0;
    if (!ScanFields(bytes, length, fields, &count)) return 0;
    const int year = fields[0];
    const int month = count >= 2 ? fields[1] : pTarget->GetMonth();
    const int day = count >= 3 ? fields[2] : pTarget->GetDay();
    if (!CheckDate(year, month, day)) return 0;
    *pTarget = CPIMTime(year, month, day, 0, 0, 0, -1);
    return 1;
}

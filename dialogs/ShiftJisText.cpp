#include "ShiftJisText.h"

#include <string>

#include "CodePage.h"

QString FromShiftJis(const char* bytes) {
    std::u16string utf16;
    if (!bytes || !Cp932ToUtf16(bytes, &utf16)) return QString();
    return QString::fromStdU16String(utf16);
}

// Display forms of the kit's Shift-JIS (code page 932) texts.
//
// The kit keeps every text, captions included, as code page 932 bytes; Qt
// shows UTF-16. A text that is not valid code page 932 shows as empty rather
// than as substituted characters. Safe from any thread.
#pragma once

#include <QString>

QString FromShiftJis(const char* bytes);

#include "CTime.h"

#include <ctime>

CTime CTime::GetCurrentTime() {
    return CTime(static_cast<int32_t>(std::time(nullptr)));
}

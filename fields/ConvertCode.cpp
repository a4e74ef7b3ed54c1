// CVAROObj::ConvertCode: device-code conversion into a global-heap block.
#include <cstring>

#include "DeviceCodes.h"
#include "VAROObj.h"

char* CVAROObj::ConvertCode(const char* data, unsigned short length, unsigned short* outLength) {
    const std::string converted = varo::ConvertDeviceText(reinterpret_cast<const uint8_t*>(data), length);
    // A replacement can be longer than its code ("FAX" for two bytes), so a
    // long input may give more than a 16-bit length can count: refused.
    if (converted.size() > 0xFFFF) return nullptr;
    HGLOBAL block = GlobalAlloc(GHND, converted.size());
    if (!block) return nullptr;
    char* bytes = static_cast<char*>(GlobalLock(block));
    std::memcpy(bytes, converted.data(), converted.size());
    if (outLength) *outLength = static_cast<unsigned short>(converted.size());
    return bytes;
}

// CVAROObj::ConvertCode: device-code conversion into a global-heap block.
// A replacement can be longer than its code ("FAX" for two bytes), so a long
// input may give more than a 16-bit length can count: that is refused.
#include "DeviceCodes.h"
#include "HeapText.h"
#include "VAROObj.h"

char* CVAROObj::ConvertCode(const char* data, unsigned short length, unsigned short* outLength) {
    return varo::NewHeapText(varo::ConvertDeviceText(reinterpret_cast<const uint8_t*>(data), length), outLength);
}

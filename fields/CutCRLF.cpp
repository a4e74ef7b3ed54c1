// CVAROObj::CutCRLF: a stored text made fit for one line of a list.
//
// Device codes are converted as everywhere else (DeviceCodes.h), each CR LF
// becomes one blank (one at the very start of the text disappears), and the
// output stops once 255 bytes have been written. The check comes before each
// character, so a text is never cut inside a two-byte character and the
// last character may take the output to 256 or 257 bytes.
#include <string>

#include "DeviceCodes.h"
#include "HeapText.h"
#include "VAROObj.h"

namespace varo {
namespace {

const size_t kListLineBytes = 255;

}  // namespace

std::string ListLineText(const uint8_t* data, size_t length) {
    std::string out;
    for (size_t i = 0; data && i < length && out.size() < kListLineBytes;) {
        if (data[i] == '\r' && i + 1 < length && data[i + 1] == '\n') {
            if (i != 0) out += ' ';
            i += 2;
            continue;
        }
        const size_t taken = AppendDeviceChar(data, length, i, out);
        if (taken == 0) break;
        i += taken;
    }
    TerminateText(out);
    return out;
}

}  // namespace varo

char* CVAROObj::CutCRLF(const char* data, unsigned short length, unsigned short* outLength) {
    return varo::NewHeapText(varo::ListLineText(reinterpret_cast<const uint8_t*>(data), length), outLength);
}

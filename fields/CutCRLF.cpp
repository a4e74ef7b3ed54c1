// CVAROObj::CutCRLF: a stored text made fit for one line of a list.
//
// Device codes are converted as everywhere else (DeviceCodes.h), each CR LF
// becomes one blank (one at the very start of the text disappears), and the
// output stops once 255 bytes have been written. The check comes before each
// character, so a text is never cut inside a two-byte character and the
// last character may take the output to 256 or 257 bytes.
#include <cstring>
#include <string>

#include "CodePage.h"
#include "DeviceCodes.h"
#include "VAROObj.h"

namespace {

const size_t kListLineBytes = 255;

std::string FlattenedLine(const uint8_t* data, size_t length) {
    std::string out;
    for (size_t i = 0; data && i < length && out.size() < kListLineBytes;) {
        const uint8_t byte = data[i];
        if (IsDBCSLeadByte(byte)) {
            // A lead byte that ends the data forms no character.
            if (i + 1 >= length) break;
            const uint8_t trail = data[i + 1];
            i += 2;
            if (trail == 0) {
                out += '\0';
                continue;
            }
            const char* replacement = varo::DeviceCodeReplacement(static_cast<uint16_t>(byte << 8 | trail));
            if (replacement) {
                out += replacement;
            } else {
                out += static_cast<char>(byte);
                out += static_cast<char>(trail);
            }
        } else if (byte == '\r' && i + 1 < length && data[i + 1] == '\n') {
            if (i != 0) out += ' ';
            i += 2;
        } else {
            out += static_cast<char>(byte);
            i += 1;
        }
    }
    if (out.empty() || out.back() != '\0') out += '\0';
    return out;
}

}  // namespace

char* CVAROObj::CutCRLF(const char* data, unsigned short length, unsigned short* outLength) {
    const std::string line = FlattenedLine(reinterpret_cast<const uint8_t*>(data), length);
    HGLOBAL block = GlobalAlloc(GHND, line.size());
    if (!block) return nullptr;
    char* bytes = static_cast<char*>(GlobalLock(block));
    std::memcpy(bytes, line.data(), line.size());
    if (outLength) *outLength = static_cast<unsigned short>(line.size());
    return bytes;
}

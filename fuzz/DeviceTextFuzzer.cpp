// Device-text conversion of stored texts: ConvertCode, CutCRLF and
// GetListMemo over any bytes a database may hold.
//
// Input: one byte choosing the tip kind (bits 0-3) and the read-only flag
// (bit 4), then the stored text, at most the 65535 bytes a field holds.
// The memo read by GetListMemo holds the same text.
#include <cstring>
#include <string>

#include "DeviceCodes.h"
#include "FuzzSupport.h"
#include "GlobalHeap.h"
#include "KitTestAccess.h"
#include "TipRecord.h"

using fuzz::Require;

namespace {

// Kinds with a memo and kinds without one.
const uint16_t kKinds[] = {0x101, 0x102, 0x103, 0x201, 0x202, 0x203, 0x204, 0x300,
                           0x401, 0x501, 0x502, 0x505, 0x800, 0x900, 0xF00, 0x777};
const int kMemoSlot = 5;
const int kReadOnlyMemoSlot = 7;
const size_t kListLineBytes = 255;
const size_t kMaxFieldBytes = 0xFFFF;

size_t LongestReplacement() {
    size_t longest = 2;  // a two-byte character copied as it is
    for (uint32_t code = 0; code <= 0xFFFF; ++code) {
        const char* text = varo::DeviceCodeReplacement(static_cast<uint16_t>(code));
        if (text && std::strlen(text) > longest) longest = std::strlen(text);
    }
    return longest;
}

// The bytes of a block a conversion handed out, which is then freed.
std::string TakeBlock(char* block, unsigned short length) {
    HGLOBAL handle = reinterpret_cast<HGLOBAL>(block);
    Require(GlobalSize(handle) == length, "the length reported is the size of the block handed out");
    Require(length > 0 && block[length - 1] == '\0', "a converted text ends with a terminator");
    std::string text(block, length);
    Require(GlobalFree(handle) == nullptr, "the block handed out is a live global-heap block");
    return text;
}

void CheckConvertCode(CVAROObj& kit, const std::string& stored) {
    unsigned short length = 0;
    char* block = CVAROObjTestAccess::ConvertCode(kit, stored.data(), static_cast<unsigned short>(stored.size()), &length);
    const std::string expected = varo::ConvertDeviceText(reinterpret_cast<const uint8_t*>(stored.data()), stored.size());
    if (!block) {
        Require(expected.size() > kMaxFieldBytes, "ConvertCode refuses only a text too long for its 16-bit length");
        return;
    }
    Require(TakeBlock(block, length) == expected, "ConvertCode hands out the converted text");
}

std::string CheckCutCRLF(CVAROObj& kit, const std::string& stored) {
    static const size_t longest = LongestReplacement();
    unsigned short length = 0;
    char* block = CVAROObjTestAccess::CutCRLF(kit, stored.data(), static_cast<unsigned short>(stored.size()), &length);
    Require(block != nullptr, "CutCRLF always gives a line");
    const std::string line = TakeBlock(block, length);
    Require(line.size() <= kListLineBytes - 1 + longest + 1, "a list line stops after its last character past 254 bytes");
    return line;
}

void CheckListMemo(CVAROObj& kit, uint16_t kind, bool readOnly, const std::string& stored, const std::string& line) {
    kit.SetTipFlag(kind);
    CTipRecord& record = CTipRecord::Global();
    const uint16_t length = static_cast<uint16_t>(stored.size());
    Require(record.SetField(stored.data(), length, kMemoSlot) && record.SetField(stored.data(), length, kReadOnlyMemoSlot),
            "the record takes a field of up to 65535 bytes");
    CVAROObjTestAccess::SetReadOnly(kit, readOnly);
    CString memo = "stale";
    if (kit.GetListMemo(memo) == 1) {
        Require(memo.Bytes() == std::string(line.c_str()), "GetListMemo gives the memo's list line");
    } else {
        Require(memo.IsEmpty(), "a failing GetListMemo leaves the text empty");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzBytes in(data, size);
    const uint8_t choice = in.Byte();
    const std::string stored = in.Take(kMaxFieldBytes);
    CVAROObj kit;
    CheckConvertCode(kit, stored);
    const std::string line = CheckCutCRLF(kit, stored);
    CheckListMemo(kit, kKinds[choice % (sizeof kKinds / sizeof kKinds[0])], (choice & 0x10) != 0, stored, line);
    return 0;
}

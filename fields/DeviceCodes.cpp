#include "DeviceCodes.h"

#include <vector>

#include "CodePage.h"

namespace varo {
namespace {

// How the codes of one range are replaced: the i-th code of the range by
//  - List:       texts[i];
//  - DoubleByte: the two-byte character base + i;
//  - Letter:     the single byte base + i;
//  - Number:     the decimal number base + i.
enum class Rule : uint8_t { List, DoubleByte, Letter, Number };

struct CodeRange {
    uint16_t first;
    uint16_t last;
    Rule rule;
    uint16_t base;
    const char* const* texts;
};

const char* const kFax[] = {"FAX"};
const char* const kCircledO[] = {"\x82\x6e" /* Ｏ */, "\x81\x45" /* ・ */};
const char* const kReference[] = {"\x81\xa6" /* ※ */};
const char* const kIterationMarks[] = {"\x81\x52" /* ヽ */, "\x81\x53" /* ヾ */,
                                       "\x81\x54" /* ゝ */, "\x81\x55" /* ゞ */};
const char* const kPostalMark[] = {"\x81\xa7" /* 〒 */};
const char* const kDittoMarks[] = {"\x81\x56" /* 〃 */, "\x81\x57" /* 仝 */, "\x81\x58" /* 々 */};
// ァ to ヶ in code page 932 order, then ー, each in its half-width form where
// it has one (voiced forms take two half-width characters).
const char* const kHalfWidthKatakana[] = {
    "\xa7" /* ァ */, "\xb1" /* ア */, "\xa8" /* ィ */, "\xb2" /* イ */,
    "\xa9" /* ゥ */, "\xb3" /* ウ */, "\xaa" /* ェ */, "\xb4" /* エ */,
    "\xab" /* ォ */, "\xb5" /* オ */, "\xb6" /* カ */, "\xb6\xde" /* ガ */,
    "\xb7" /* キ */, "\xb7\xde" /* ギ */, "\xb8" /* ク */, "\xb8\xde" /* グ */,
    "\xb9" /* ケ */, "\xb9\xde" /* ゲ */, "\xba" /* コ */, "\xba\xde" /* ゴ */,
    "\xbb" /* サ */, "\xbb\xde" /* ザ */, "\xbc" /* シ */, "\xbc\xde" /* ジ */,
    "\xbd" /* ス */, "\xbd\xde" /* ズ */, "\xbe" /* セ */, "\xbe\xde" /* ゼ */,
    "\xbf" /* ソ */, "\xbf\xde" /* ゾ */, "\xc0" /* タ */, "\xc0\xde" /* ダ */,
    "\xc1" /* チ */, "\xc1\xde" /* ヂ */, "\xaf" /* ッ */, "\xc2" /* ツ */,
    "\xc2\xde" /* ヅ */, "\xc3" /* テ */, "\xc3\xde" /* デ */, "\xc4" /* ト */,
    "\xc4\xde" /* ド */, "\xc5" /* ナ */, "\xc6" /* ニ */, "\xc7" /* ヌ */,
    "\xc8" /* ネ */, "\xc9" /* ノ */, "\xca" /* ハ */, "\xca\xde" /* バ */,
    "\xca\xdf" /* パ */, "\xcb" /* ヒ */, "\xcb\xde" /* ビ */, "\xcb\xdf" /* ピ */,
    "\xcc" /* フ */, "\xcc\xde" /* ブ */, "\xcc\xdf" /* プ */, "\xcd" /* ヘ */,
    "\xcd\xde" /* ベ */, "\xcd\xdf" /* ペ */, "\xce" /* ホ */, "\xce\xde" /* ボ */,
    "\xce\xdf" /* ポ */, "\xcf" /* マ */, "\xd0" /* ミ */, "\xd1" /* ム */,
    "\xd2" /* メ */, "\xd3" /* モ */, "\xac" /* ャ */, "\xd4" /* ヤ */,
    "\xad" /* ュ */, "\xd5" /* ユ */, "\xae" /* ョ */, "\xd6" /* ヨ */,
    "\xd7" /* ラ */, "\xd8" /* リ */, "\xd9" /* ル */, "\xda" /* レ */,
    "\xdb" /* ロ */, "\x83\x8e" /* ヮ */, "\xdc" /* ワ */, "\x83\x90" /* ヰ */,
    "\x83\x91" /* ヱ */, "\xa6" /* ヲ */, "\xdd" /* ン */, "\xb3\xde" /* ヴ */,
    "\x83\x95" /* ヵ */, "\x83\x96" /* ヶ */, "\xb0" /* ー */,
};
const char* const kPositionMarks[] = {
    "\x8f\xe3" /* 上 */, "\x89\xba" /* 下 */, "\x8d\xb6" /* 左 */, "\x89\x45" /* 右 */,
    "\x91\xe5" /* 大 */, "\x92\x86" /* 中 */, "\x8f\xac" /* 小 */, "\x91\xe3" /* 代 */,
    "\x92\x8d" /* 注 */, "\x88\xf3" /* 印 */,
};
const char* const kSecret[] = {"\x94\xe9" /* 秘 */};
const char* const kCompanyMarks[] = {
    "\x8a\x94" /* 株 */, "\x97\x4c" /* 有 */, "\x8e\xd0" /* 社 */, "\x8d\xe0" /* 財 */,
    "\x8a\x77" /* 学 */, "\x88\xe3" /* 医 */, "\x8f\x40" /* 宗 */,
};

const CodeRange kRanges[] = {
    {0x9873, 0x9879, Rule::List, 0, kCompanyMarks},
    {0xEB5B, 0xEB5B, Rule::List, 0, kFax},
    {0xEBA2, 0xEBA3, Rule::List, 0, kCircledO},
    {0xEBA4, 0xEBAD, Rule::DoubleByte, 0x824F /* ０ */, nullptr},
    {0xEBAE, 0xEBB7, Rule::Letter, '0', nullptr},
    {0xEBB8, 0xEBBE, Rule::Number, 10, nullptr},
    {0xEBBF, 0xEBD8, Rule::Letter, 'A', nullptr},
    {0xEBD9, 0xEBD9, Rule::List, 0, kReference},
    {0xEBDA, 0xEBDD, Rule::List, 0, kIterationMarks},
    {0xEBDF, 0xEBF8, Rule::Letter, 'a', nullptr},
    {0xEBF9, 0xEBF9, Rule::List, 0, kPostalMark},
    {0xEBFA, 0xEBFC, Rule::List, 0, kDittoMarks},
    {0xEC40, 0xEC7E, Rule::DoubleByte, 0x829F /* ぁ */, nullptr},
    {0xEC80, 0xEC93, Rule::DoubleByte, 0x82DE /* む; the code 0xEC7F is skipped */, nullptr},
    {0xEC95, 0xEC9E, Rule::DoubleByte, 0x824F /* ０ */, nullptr},
    {0xEC9F, 0xECF5, Rule::List, 0, kHalfWidthKatakana},
    {0xED40, 0xED53, Rule::Number, 1, nullptr},
    {0xED54, 0xED5D, Rule::List, 0, kPositionMarks},
    {0xED5E, 0xED69, Rule::Number, 1, nullptr},
    {0xED6A, 0xED75, Rule::Number, 1, nullptr},
    {0xEF81, 0xEF81, Rule::List, 0, kSecret},
};

// Every replacement built from a rule, in one table, so that the lookup can
// hand out static texts.
struct BuiltTexts {
    BuiltTexts() {
        for (const CodeRange& range : kRanges) {
            texts.emplace_back();
            for (unsigned i = 0; i + range.first <= range.last; ++i) texts.back().push_back(Build(range, i));
        }
    }
    static std::string Build(const CodeRange& range, unsigned i) {
        switch (range.rule) {
        case Rule::List: return range.texts[i];
        case Rule::DoubleByte: {
            const unsigned code = range.base + i;
            return std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        }
        case Rule::Letter: return std::string(1, static_cast<char>(range.base + i));
        case Rule::Number: return std::to_string(range.base + i);
        }
        return std::string();
    }
    std::vector<std::vector<std::string>> texts;  // by range, then by code
};

const BuiltTexts& Texts() {
    static const BuiltTexts built;
    return built;
}

}  // namespace

const char* DeviceCodeReplacement(uint16_t code) {
    for (size_t r = 0; r < sizeof kRanges / sizeof kRanges[0]; ++r) {
        if (code >= kRanges[r].first && code <= kRanges[r].last) {
            return Texts().texts[r][code - kRanges[r].first].c_str();
        }
    }
    return nullptr;
}

size_t AppendDeviceChar(const uint8_t* data, size_t length, size_t i, std::string& out) {
    const uint8_t lead = data[i];
    if (!IsDBCSLeadByte(lead)) {
        out += static_cast<char>(lead);
        return 1;
    }
    if (i + 1 >= length) return 0;
    const uint8_t trail = data[i + 1];
    if (trail == 0) {
        out += '\0';
        return 2;
    }
    const char* replacement = DeviceCodeReplacement(static_cast<uint16_t>(lead << 8 | trail));
    if (replacement) {
        out += replacement;
    } else {
        out += static_cast<char>(lead);
        out += static_cast<char>(trail);
    }
    return 2;
}

void TerminateText(std::string& text) {
    if (text.empty() || text.back() != '\0') text += '\0';
}

std::string ConvertDeviceText(const uint8_t* data, size_t length) {
    std::string out;
    out.reserve(length + 1);
    for (size_t i = 0; data && i < length;) {
        const size_t taken = AppendDeviceChar(data, length, i, out);
        if (taken == 0) break;
        i += taken;
    }
    TerminateText(out);
    return out;
}

}  // namespace varo

#include "MessageTable.h"

#include "CodePage.h"

namespace {

const char kMagic[4] = {'V', 'K', 'W', 'M'};
const DWORD kVersion = 1;
const size_t kHeaderBytes = 8;
const size_t kRecordHeadBytes = 8;
const size_t kCapacity = MessageTable::kLastNumber - MessageTable::kFirstNumber + 1;

DWORD ReadLittleEndian(const std::string& bytes, size_t at) {
    DWORD value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<BYTE>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

void AppendLittleEndian(DWORD value, std::string* bytes) {
    for (int shift = 0; shift < 32; shift += 8) bytes->push_back(static_cast<char>((value >> shift) & 0xFF));
}

// The name with its single-byte ASCII capitals lowered; two-byte characters
// are copied whole, a lone lead byte at the end as it is.
std::string FoldedName(const std::string& name) {
    std::string folded = name;
    for (size_t i = 0; i < folded.size(); ++i) {
        const BYTE b = static_cast<BYTE>(folded[i]);
        if (IsDBCSLeadByte(b)) {
            ++i;
        } else if (b >= 'A' && b <= 'Z') {
            folded[i] = static_cast<char>(b - 'A' + 'a');
        }
    }
    return folded;
}

bool IsAcceptableName(const std::string& name) {
    return !name.empty() && name.size() <= MessageTable::kMaxNameBytes && name.find('\0') == std::string::npos;
}

bool HasHeader(const std::string& bytes) {
    return bytes.size() >= kHeaderBytes && bytes.compare(0, 4, kMagic, 4) == 0 && ReadLittleEndian(bytes, 4) == kVersion;
}

}  // namespace

MessageTable MessageTable::Parse(const std::string& bytes) {
    MessageTable table;
    if (!HasHeader(bytes)) return table;
    size_t at = kHeaderBytes;
    table.m_soundBytes = at;
    while (bytes.size() - at >= kRecordHeadBytes && table.m_count < kCapacity) {
        const DWORD number = ReadLittleEndian(bytes, at);
        const DWORD length = ReadLittleEndian(bytes, at + 4);
        if (number != kFirstNumber + table.m_count || length > kMaxNameBytes) break;
        if (bytes.size() - at - kRecordHeadBytes < length) break;
        const std::string name = bytes.substr(at + kRecordHeadBytes, length);
        if (!IsAcceptableName(name) || !table.m_numbers.emplace(FoldedName(name), number).second) break;
        ++table.m_count;
        at += kRecordHeadBytes + length;
        table.m_soundBytes = at;
    }
    return table;
}

UINT MessageTable::Find(const std::string& name) const {
    auto it = m_numbers.find(FoldedName(name));
    return it == m_numbers.end() ? 0 : it->second;
}

UINT MessageTable::Add(const std::string& name, std::string* bytesToWrite) {
    if (!IsAcceptableName(name) || m_count >= kCapacity) return 0;
    const std::string folded = FoldedName(name);
    if (m_numbers.count(folded)) return 0;
    const UINT number = kFirstNumber + static_cast<UINT>(m_count);
    std::string bytes;
    if (m_soundBytes == 0) {
        bytes.append(kMagic, 4);
        AppendLittleEndian(kVersion, &bytes);
    }
    AppendLittleEndian(number, &bytes);
    AppendLittleEndian(static_cast<DWORD>(name.size()), &bytes);
    bytes += name;
    m_numbers.emplace(folded, number);
    ++m_count;
    m_soundBytes += bytes.size();
    bytesToWrite->swap(bytes);
    return number;
}

#include "RegistryFile.h"

#include <cstdio>

#include "Registry.h"

namespace {

// Plain arrays, not std::string: usable from other files' static constructors.
const char kHeader[] = "Windows Registry Editor Version 5.00";
const char kDwordPrefix[] = "dword:";
const size_t kDwordPrefixLength = sizeof kDwordPrefix - 1;
const size_t kMaxDwordDigits = 8;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string WithoutTrailingBlanks(const std::string& line) {
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
    return line.substr(0, end);
}

// Reads the quoted, escaped string that starts at line[*pos] and moves *pos
// past its closing quote. Only \\ and \" are escapes; any other backslash,
// or a missing closing quote, makes the line malformed.
bool ReadQuoted(const std::string& line, size_t* pos, std::string* out) {
    if (*pos >= line.size() || line[*pos] != '"') return false;
    std::string result;
    for (size_t i = *pos + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            *pos = i + 1;
            out->swap(result);
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= line.size()) return false;
            const char escaped = line[++i];
            if (escaped != '\\' && escaped != '"') return false;
            result += escaped;
        } else {
            result += c;
        }
    }
    return false;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ReadDword(const std::string& digits, DWORD* out) {
    if (digits.empty() || digits.size() > kMaxDwordDigits) return false;
    DWORD number = 0;
    for (char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0) return false;
        number = (number << 4) | static_cast<DWORD>(digit);
    }
    *out = number;
    return true;
}

bool ParseValueLine(const std::string& line, RegistryValue* value) {
    RegistryValue parsed;
    size_t pos = 0;
    if (line.compare(0, 2, "@=") == 0) {
        pos = 1;
    } else if (!ReadQuoted(line, &pos, &parsed.name)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    if (line.compare(pos, kDwordPrefixLength, kDwordPrefix) == 0) {
        parsed.type = REG_DWORD;
        if (!ReadDword(line.substr(pos + kDwordPrefixLength), &parsed.number)) return false;
    } else {
        parsed.type = REG_SZ;
        if (!ReadQuoted(line, &pos, &parsed.text) || pos != line.size()) return false;
    }
    *value = parsed;
    return true;
}

bool ParseKeyLine(const std::string& line, std::string* path) {
    if (line.size() < 3 || line.front() != '[' || line.back() != ']') return false;
    *path = line.substr(1, line.size() - 2);
    return true;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string FormatValue(const RegistryValue& value) {
    std::string line = value.name.empty() ? "@" : Quoted(value.name);
    line += '=';
    if (value.type == REG_DWORD) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value.number));
        return line + kDwordPrefix + digits;
    }
    return line + Quoted(value.text);
}

// Sets a value within one block; see RegistryDocument::SetValue.
void SetValueInBlock(RegistryKeyBlock* block, const RegistryValue& value) {
    const std::string folded = FoldedRegistryName(value.name);
    auto known = block->valueAt.find(folded);
    if (known != block->valueAt.end()) {
        RegistryValue& stored = block->entries[known->second].value;
        const std::string spelling = stored.name;
        stored = value;
        stored.name = spelling;
        return;
    }
    RegistryEntry entry;
    entry.isValue = true;
    entry.value = value;
    block->valueAt.emplace(folded, block->entries.size());
    block->entries.push_back(entry);
}

void ReindexValues(RegistryKeyBlock* block) {
    block->valueAt.clear();
    for (size_t i = 0; i < block->entries.size(); ++i) {
        if (block->entries[i].isValue) block->valueAt.emplace(FoldedRegistryName(block->entries[i].value.name), i);
    }
}

// True when `path` names `ancestor` or a key below it.
bool IsAtOrBelow(const std::string& path, const std::string& ancestor) {
    if (path.size() < ancestor.size()) return false;
    if (path.size() > ancestor.size() && path[ancestor.size()] != '\\') return false;
    return FoldedRegistryName(path.substr(0, ancestor.size())) == FoldedRegistryName(ancestor);
}

}  // namespace

std::string FoldedRegistryName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) c = AsciiLower(c);
    return folded;
}

bool IsStorableRegistryText(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

RegistryDocument RegistryDocument::Parse(const std::string& text) {
    RegistryDocument document;
    RegistryKeyBlock* current = nullptr;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && line.back() == '\r') line.pop_back();

        const std::string trimmed = WithoutTrailingBlanks(line);
        std::string path;
        RegistryValue value;
        if (trimmed.empty()) continue;
        if (ParseKeyLine(trimmed, &path)) {
            document.AddKey(path);
            current = document.FindBlock(path);
        } else if (current && ParseValueLine(trimmed, &value)) {
            SetValueInBlock(current, value);
        } else if (current) {
            RegistryEntry entry;
            entry.line = line;
            current->entries.push_back(entry);
        } else {
            document.m_preamble.push_back(line);
        }
    }
    return document;
}

std::string RegistryDocument::Format() const {
    std::string out;
    if (m_preamble.empty()) out += std::string(kHeader) + "\n";
    for (const std::string& line : m_preamble) out += line + "\n";
    out += "\n";
    for (const RegistryKeyBlock& block : m_keys) {
        out += "[" + block.path + "]\n";
        for (const RegistryEntry& entry : block.entries) {
            out += (entry.isValue ? FormatValue(entry.value) : entry.line) + "\n";
        }
        out += "\n";
    }
    return out;
}

bool RegistryDocument::HasKey(const std::string& path) const {
    for (const RegistryKeyBlock& block : m_keys) {
        if (IsAtOrBelow(block.path, path)) return true;
    }
    return false;
}

bool RegistryDocument::AddKey(const std::string& path) {
    if (FindBlock(path)) return false;
    RegistryKeyBlock block;
    block.path = path;
    m_keyAt.emplace(FoldedRegistryName(path), m_keys.size());
    m_keys.push_back(block);
    return true;
}

const RegistryValue* RegistryDocument::FindValue(const std::string& path, const std::string& name) const {
    const RegistryKeyBlock* block = FindBlock(path);
    if (!block) return nullptr;
    auto known = block->valueAt.find(FoldedRegistryName(name));
    return known == block->valueAt.end() ? nullptr : &block->entries[known->second].value;
}

void RegistryDocument::SetValue(const std::string& path, const RegistryValue& value) {
    AddKey(path);
    SetValueInBlock(FindBlock(path), value);
}

bool RegistryDocument::DeleteValue(const std::string& path, const std::string& name) {
    RegistryKeyBlock* block = FindBlock(path);
    if (!block) return false;
    auto known = block->valueAt.find(FoldedRegistryName(name));
    if (known == block->valueAt.end()) return false;
    block->entries.erase(block->entries.begin() + static_cast<std::ptrdiff_t>(known->second));
    ReindexValues(block);
    return true;
}

RegistryKeyBlock* RegistryDocument::FindBlock(const std::string& path) {
    auto known = m_keyAt.find(FoldedRegistryName(path));
    return known == m_keyAt.end() ? nullptr : &m_keys[known->second];
}

const RegistryKeyBlock* RegistryDocument::FindBlock(const std::string& path) const {
    return const_cast<RegistryDocument*>(this)->FindBlock(path);
}

// The registry file's text: the registry editor's export form, parsed into
// keys and values and written back. Internal to the registry stand-in.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Orvel\TRIXPAD]
//   "ROOTDIR"="C:\\Program Files\\TRIXPAD\\"
//   "Count"=dword:0000001f
//   @="the key's unnamed value"
//
// A line `[path]` opens a key; `"Name"="text"` (backslash and double quote
// escaped by a backslash) and `"Name"=dword:` with 1 to 8 hex digits are its
// values, `@` naming the unnamed value. Every other line (the header,
// comments, value types this store does not hold, malformed lines) is kept
// as it was and written back in its place, so that rewriting the file loses
// nothing. Blank lines are dropped and written anew between keys; carriage
// returns ending a line are dropped. A key that appears twice is merged into
// its first block, and a value given twice keeps the later one, as an import
// would. Any bytes parse; nothing is validated as UTF-8 here.
//
// All names, paths and texts are the file's own bytes (UTF-8). Key paths and
// value names compare ignoring the case of ASCII letters, which in UTF-8
// never touches the bytes of other characters.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "WinTypes.h"

struct RegistryValue {
    std::string name;  // empty: the key's unnamed value
    DWORD type = 0;    // REG_SZ (1) or REG_DWORD (4)
    std::string text;
    DWORD number = 0;
};

struct RegistryEntry {
    bool isValue = false;
    std::string line;     // the line as read, when it is not a value
    RegistryValue value;  // when it is
};

struct RegistryKeyBlock {
    std::string path;  // e.g. HKEY_CURRENT_USER\Software\Orvel\TRIXPAD
    std::vector<RegistryEntry> entries;
    // Folded value name -> index in entries, so that a file of many values
    // parses in linear time.
    std::unordered_map<std::string, size_t> valueAt;
};

// The name with ASCII capitals lowered: equal for names that compare equal.
std::string FoldedRegistryName(const std::string& name);

// True for a name or text that can be written into a line: no line breaks
// and no zero bytes.
bool IsStorableRegistryText(const std::string& text);

class RegistryDocument {
public:
    static RegistryDocument Parse(const std::string& text);
    std::string Format() const;

    // True when `path` has a block or lies above one (a key exists while any
    // key below it does, as intermediate keys do on the original platform).
    bool HasKey(const std::string& path) const;
    // Adds an empty block for `path` unless it has one; true when added.
    bool AddKey(const std::string& path);

    const RegistryValue* FindValue(const std::string& path, const std::string& name) const;
    // Replaces a value of that name (keeping its first spelling) or appends
    // it to the key's block, adding the block when missing.
    void SetValue(const std::string& path, const RegistryValue& value);
    // False when there was no such value.
    bool DeleteValue(const std::string& path, const std::string& name);

private:
    RegistryKeyBlock* FindBlock(const std::string& path);
    const RegistryKeyBlock* FindBlock(const std::string& path) const;

    std::vector<std::string> m_preamble;  // lines before the first key
    std::vector<RegistryKeyBlock> m_keys;
    std::unordered_map<std::string, size_t> m_keyAt;  // folded path -> index in m_keys
};

// The UID map in the settings values.
#include "UidMap.h"

#include <cstdlib>
#include <random>
#include <cctype>
#include <cstdio>

namespace varo {
namespace interchange {
namespace {

const char kSection[] = "Interchange";
const char kTokenKey[] = "Token";
const char kChunkCountKey[] = "UidChunks";
const size_t kChunkBytes = 60000;
const char kOwnSuffix[] = "@varokit";

std::string ChunkKey(long index) { return "Uids" + std::to_string(index); }

// UIDs are kept in printable ASCII so that the settings text is the same
// in every encoding: other bytes, "%", tab and line feed become %XX.
std::string Escaped(const std::string& uid) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : uid) {
        if (c > 0x20 && c < 0x7F && c != '%') {
            out += static_cast<char>(c);
        } else {
            out += {'%', kHex[c >> 4], kHex[c & 0xF]};
        }
    }
    return out;
}

std::string Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string NewToken() {
    std::random_device random;
    char text[17];
    snprintf(text, sizeof text, "%08x%08x", random(), random());
    return text;
}

}  // namespace

bool UidMap::Load(CVAROObj& kit, long db) {
    m_tips.clear();
    m_uids.clear();
    CString token;
    kit.EstFileReadStr(db, kSection, kTokenKey, "", token);
    m_token = token.Bytes();
    m_changed = m_token.empty();
    if (m_token.empty()) m_token = NewToken();
    long chunks = 0;
    if (kit.EstFileReadLong(db, kSection, kChunkCountKey, 0, &chunks) != 1) return false;
    for (long index = 0; index < chunks; ++index) {
        CString text;
        if (kit.EstFileReadStr(db, kSection, ChunkKey(index).c_str(), "", text) != 1) return false;
        const std::string& bytes = text.Bytes();
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            if (end == std::string::npos) end = bytes.size();
            const size_t tab = bytes.find('\t', start);
            if (tab != std::string::npos && tab < end) {
                const long tip = strtol(bytes.substr(start, tab - start).c_str(), nullptr, 10);
                const std::string uid = Unescaped(bytes.substr(tab + 1, end - tab - 1));
                if (tip > 0 && !uid.empty()) {
                    m_tips[uid] = tip;
                    m_uids[tip] = uid;
                }
            }
            start = end + 1;
        }
    }
    return true;
}

bool UidMap::Save(CVAROObj& kit, long db) {
    if (!m_changed) return true;
    if (kit.EstFileWriteStr(db, kSection, kTokenKey, CString(m_token)) != 1) return false;
    long chunks = 0;
    std::string chunk;
    for (const auto& entry : m_tips) {
        const std::string line = std::to_string(entry.second) + "\t" + Escaped(entry.first) + "\n";
        if (chunk.size() + line.size() > kChunkBytes) {
            if (kit.EstFileWriteStr(db, kSection, ChunkKey(chunks++).c_str(), CString(chunk)) != 1) return false;
            chunk.clear();
        }
        chunk += line;
    }
    if (!chunk.empty() && kit.EstFileWriteStr(db, kSection, ChunkKey(chunks++).c_str(), CString(chunk)) != 1) {
        return false;
    }
    if (kit.EstFileWriteLong(db, kSection, kChunkCountKey, chunks) != 1) return false;
    m_changed = false;
    return true;
}

std::string UidMap::OwnUid(long tip) const { return std::to_string(tip) + "-" + m_token + kOwnSuffix; }

long UidMap::TipOf(const std::string& uid) const {
    const auto found = m_tips.find(uid);
    if (found != m_tips.end()) return found->second;
    const std::string suffix = "-" + m_token + kOwnSuffix;
    if (uid.size() <= suffix.size() || uid.compare(uid.size() - suffix.size(), suffix.size(), suffix) != 0) return 0;
    const std::string digits = uid.substr(0, uid.size() - suffix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 10) return 0;
    return strtol(digits.c_str(), nullptr, 10);
}

std::string UidMap::UidOf(long tip) const {
    const auto found = m_uids.find(tip);
    return found != m_uids.end() ? found->second : OwnUid(tip);
}

void UidMap::Remember(const std::string& uid, long tip) {
    if (uid.empty() || uid == OwnUid(tip)) return;
    auto found = m_tips.find(uid);
    if (found != m_tips.end() && found->second == tip) return;
    m_tips[uid] = tip;
    m_uids[tip] = uid;
    m_changed = true;
}

void UidMap::Forget(const std::string& uid) {
    auto found = m_tips.find(uid);
    if (found == m_tips.end()) return;
    m_uids.erase(found->second);
    m_tips.erase(found);
    m_changed = true;
}

}  // namespace interchange
}  // namespace varo

#include "CString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "CodePage.h"

namespace {

std::string FromText(const char* text) {
    return text ? std::string(text) : std::string();
}

int Sign(int v) { return (v > 0) - (v < 0); }

int CompareBytes(const std::string& a, const std::string& b) {
    return Sign(a.compare(b));
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Applies `change` to every single-byte character, skipping both bytes of
// each two-byte character (a lead byte at the very end stands alone).
template <typename Change>
void ChangeSingleBytes(std::string& s, Change change) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(s[i])) && i + 1 < s.size()) {
            ++i;
            continue;
        }
        s[i] = change(s[i]);
    }
}

int ClampCount(int count, int available) {
    if (count < 0) return 0;
    return count > available ? available : count;
}

}  // namespace

CString::CString(const char* text) : m_s(FromText(text)) {}

CString::CString(const char* text, int length)
    : m_s(text && length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string()) {}

CString::CString(char ch, int repeat) : m_s(repeat > 0 ? static_cast<size_t>(repeat) : 0, ch) {}

CString& CString::operator=(const char* text) {
    m_s = FromText(text);
    return *this;
}

CString& CString::operator=(char ch) {
    m_s.assign(1, ch);
    return *this;
}

CString& CString::operator+=(const char* text) {
    if (text) m_s += text;
    return *this;
}

int CString::Compare(const char* text) const { return CompareBytes(m_s, FromText(text)); }

int CString::CompareNoCase(const char* text) const {
    std::string a = m_s, b = FromText(text);
    ChangeSingleBytes(a, LowerAscii);
    ChangeSingleBytes(b, LowerAscii);
    return CompareBytes(a, b);
}

CString CString::Left(int count) const {
    return CString(m_s.substr(0, static_cast<size_t>(ClampCount(count, GetLength()))));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
    int start = ClampCount(first, GetLength());
    int n = ClampCount(count, GetLength() - start);
    return CString(m_s.substr(static_cast<size_t>(start), static_cast<size_t>(n)));
}

CString CString::Right(int count) const {
    int n = ClampCount(count, GetLength());
    return CString(m_s.substr(m_s.size() - static_cast<size_t>(n)));
}

int CString::Find(char ch, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    size_t at = m_s.find(ch, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* sub, int start) const {
    if (start < 0 || start > GetLength()) return -1;
    size_t at = m_s.find(FromText(sub), static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const {
    size_t at = m_s.rfind(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

void CString::MakeLower() { ChangeSingleBytes(m_s, LowerAscii); }
void CString::MakeUpper() { ChangeSingleBytes(m_s, UpperAscii); }

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (needed < 0) {
        va_end(again);
        m_s.clear();
        return;
    }
    std::string out(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(&out[0], out.size(), format, again);
    va_end(again);
    out.resize(static_cast<size_t>(needed));
    m_s.swap(out);
}

char* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_s.resize(static_cast<size_t>(minLength), '\0');
    return &m_s[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        m_s.resize(std::strlen(m_s.c_str()));
    } else if (static_cast<size_t>(newLength) <= m_s.size()) {
        m_s.resize(static_cast<size_t>(newLength));
    }
}

CString operator+(const CString& a, const CString& b) { return CString(a.Bytes() + b.Bytes()); }
CString operator+(const CString& a, const char* b) { return CString(a.Bytes() + FromText(b)); }
CString operator+(const char* a, const CString& b) { return CString(FromText(a) + b.Bytes()); }
CString operator+(const CString& a, char b) { return CString(a.Bytes() + b); }
CString operator+(char a, const CString& b) { return CString(a + b.Bytes()); }

bool operator==(const CString& a, const CString& b) { return a.Bytes() == b.Bytes(); }
bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, const char* b) { return !(a == b); }
bool operator!=(const char* a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.Bytes() < b.Bytes(); }
bool operator>(const CString& a, const CString& b) { return b < a; }
bool operator<=(const CString& a, const CString& b) { return !(b < a); }
bool operator>=(const CString& a, const CString& b) { return !(a < b); }

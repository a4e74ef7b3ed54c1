// CString: the framework's byte string, holding Shift-JIS (CP932) text.
//
// A value type: copies are independent. The text may hold any bytes,
// including zeros when built with an explicit length; conversion to
// const char* gives a zero-terminated view that stays valid until the string
// is next changed or destroyed. Positions and lengths count bytes, not
// characters, except MakeLower, which leaves the trail bytes of two-byte
// characters alone. A null const char* is taken as the empty text.
#pragma once

#include <string>
#include <utility>

#include "VarokitApi.h"
#include "WinTypes.h"

class VAROKIT_API CString {
public:
    CString() = default;
    CString(const char* text);             // NOLINT: implicit like the original
    CString(const char* text, int length);
    CString(char ch, int repeat = 1);
    explicit CString(const std::string& bytes) : m_s(bytes) {}
    explicit CString(std::string&& bytes) : m_s(std::move(bytes)) {}

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }

    char GetAt(int index) const { return m_s[index]; }
    void SetAt(int index, char ch) { m_s[index] = ch; }
    char operator[](int index) const { return m_s[index]; }

    operator const char*() const { return m_s.c_str(); }   // NOLINT
    const std::string& Bytes() const { return m_s; }

    CString& operator=(const char* text);
    CString& operator=(char ch);
    CString& operator+=(const CString& other) { m_s += other.m_s; return *this; }
    CString& operator+=(const char* text);
    CString& operator+=(char ch) { m_s += ch; return *this; }

    // <0, 0, >0 like strcmp, comparing bytes as unsigned.
    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;

    // Byte position of the first match at or after `start`, or -1.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;

    void MakeLower();
    void MakeUpper();

    // printf-style formatting; replaces the whole text.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Direct access to the bytes: GetBuffer gives room for at least
    // `minLength` bytes plus a terminator; ReleaseBuffer sets the length to
    // `newLength`, or to the first zero byte when it is -1.
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    std::string m_s;
};

VAROKIT_API CString operator+(const CString& a, const CString& b);
VAROKIT_API CString operator+(const CString& a, const char* b);
VAROKIT_API CString operator+(const char* a, const CString& b);
VAROKIT_API CString operator+(const CString& a, char b);
VAROKIT_API CString operator+(char a, const CString& b);

VAROKIT_API bool operator==(const CString& a, const CString& b);
VAROKIT_API bool operator==(const CString& a, const char* b);
VAROKIT_API bool operator==(const char* a, const CString& b);
VAROKIT_API bool operator!=(const CString& a, const CString& b);
VAROKIT_API bool operator!=(const CString& a, const char* b);
VAROKIT_API bool operator!=(const char* a, const CString& b);
VAROKIT_API bool operator<(const CString& a, const CString& b);
VAROKIT_API bool operator>(const CString& a, const CString& b);
VAROKIT_API bool operator<=(const CString& a, const CString& b);
VAROKIT_API bool operator>=(const CString& a, const CString& b);

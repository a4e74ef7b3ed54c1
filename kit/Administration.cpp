// CVAROObj: whole-database administration, passwords, the list of known
// databases, view modes and settings values. Most members are one engine
// call; the rest convert records, texts and dates on the way.
#include <cstdlib>
#include <cstring>

#include "EngineCodes.h"
#include "EngineHost.h"
#include "EngineOperations.h"
#include "VAROObj.h"

using namespace varo;

namespace {

const size_t kPasswordField = 32;
const int kPasswordFields = 3;
// The engine never hands out more ids than this in one list.
const long kMaxDatabaseIds = 1 << 20;

// The number written at [first, first + count) of a date text; characters
// missing or not digits read as 0, as atoi reads them.
int NumberAt(const CString& text, int first, int count) { return std::atoi(text.Mid(first, count)); }

// The record's bytes up to its first zero byte, never beyond its size.
CString TextOfRecord(const void* record, size_t size) {
    const char* bytes = static_cast<const char*>(record);
    const void* zero = std::memchr(bytes, 0, size);
    const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : size;
    return CString(bytes, static_cast<int>(length));
}

// Copies one zero-terminated field, terminator included, within its 32
// bytes; a field without terminator keeps its first 31 bytes and is ended
// at the last one, so that the record always holds three texts.
void CopyPasswordField(const char* from, char* to) {
    const void* zero = std::memchr(from, 0, kPasswordField);
    const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - from)
                               : kPasswordField - 1;
    std::memcpy(to, from, length);
    to[length] = '\0';
}

}  // namespace

long CVAROObj::DBCheck(long db) { return m_engine->Call(kOpDBCheck, {ArgI4(db)}); }
long CVAROObj::DBBackup(long db) { return m_engine->Call(kOpDBBackup, {ArgI4(db)}); }
long CVAROObj::DBRestore(long db) { return m_engine->Call(kOpDBRestore, {ArgI4(db)}); }
long CVAROObj::CheckBKFlg(long db) { return m_engine->Call(kOpCheckBKFlg, {ArgI4(db)}); }
long CVAROObj::CheckRestore(long db) { return m_engine->Call(kOpCheckRestore, {ArgI4(db)}); }
int CVAROObj::DBLock(long db) { return m_engine->Call(kOpDBLock, {ArgI4(db)}); }
int CVAROObj::DBUnLock(long db) { return m_engine->Call(kOpDBUnLock, {ArgI4(db)}); }

long CVAROObj::CheckAPID(long apid) { return m_engine->Call(kOpCheckAPID, {ArgI4(apid)}); }
long CVAROObj::DeleteAPID(long apid, int all) {
    return m_engine->Call(kOpDeleteAPID, {ArgI4(apid), ArgBool(all)});
}
long CVAROObj::CreateAPID(long apid) { return m_engine->Call(kOpCreateAPID, {ArgI4(apid)}); }
long CVAROObj::GarbageAPID(long apid) { return m_engine->Call(kOpGarbageAPID, {ArgI4(apid)}); }

int CVAROObj::GetBackupDate(long db, CPIMTime& when) {
    CString text;
    const int result = m_engine->Call(kOpGetBackupDate, {ArgI4(db), ArgTextOut(&text)});
    if (result != 1) return result;
    when = CPIMTime(NumberAt(text, 0, 4), NumberAt(text, 4, 2), NumberAt(text, 6, 2),
                    NumberAt(text, 8, 2), NumberAt(text, 10, 2), NumberAt(text, 12, 2), -1);
    return 1;
}

long CVAROObj::SetPasswd(long db, PASSWD_INF* rec) {
    if (!rec) return kEngineBadArgument;
    const CString first = TextOfRecord(rec, sizeof *rec);
    return m_engine->Call(kOpSetPasswd, {ArgI4(db), ArgText(first)});
}

long CVAROObj::GetPasswd(long db, PASSWD_INF* rec) {
    if (!rec) return kEngineBadArgument;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(PASSWD_INF));
    if (!block) return VARO_ERR_NO_MEMORY;
    char* bytes = static_cast<char*>(GlobalLock(block));
    const long code = m_engine->Call(kOpGetPasswd, {ArgI4(db), ArgBuffer(bytes)});
    if (code == 0) {
        char* fields[kPasswordFields] = {rec->text1, rec->text2, rec->text3};
        for (int i = 0; i < kPasswordFields; ++i) CopyPasswordField(bytes + i * kPasswordField, fields[i]);
    }
    GlobalUnlock(block);
    GlobalFree(block);
    return code;
}

long CVAROObj::SetAccount(long db, ACCOUNT* rec) {
    if (!rec) return kEngineBadArgument;
    const CString text = TextOfRecord(rec, sizeof *rec);
    return m_engine->Call(kOpSetAccount, {ArgI4(db), ArgText(text)});
}

long CVAROObj::SetSecretPasswd(long db, const CString& pw) {
    return m_engine->Call(kOpSetSecretPasswd, {ArgI4(db), ArgText(pw)});
}

long CVAROObj::GetSecretPasswd(long db, CString& pw) {
    return m_engine->Call(kOpGetSecretPasswd, {ArgI4(db), ArgTextOut(&pw)});
}

int CVAROObj::GetAllDBID(CDWordArray& ids) {
    long count = 0;
    if (m_engine->Call(kOpGetAllDBID, {ArgBuffer(nullptr), ArgOut(&count)}) != 1) return 0;
    if (count < 0 || count > kMaxDatabaseIds) return 0;
    HGLOBAL block = GlobalAlloc(GHND, static_cast<size_t>(count) * 4 + 4);
    if (!block) return 0;
    unsigned char* bytes = static_cast<unsigned char*>(GlobalLock(block));
    // The count handed in again is the block's capacity: a database added
    // meanwhile cannot make the engine write past it.
    long written = count;
    const int result = m_engine->Call(kOpGetAllDBID, {ArgBuffer(bytes), ArgOut(&written)});
    if (result == 1) {
        const long appended = written < count ? (written < 0 ? 0 : written) : count;
        for (long i = 0; i < appended; ++i) {
            const unsigned char* p = bytes + 4 * i;
            ids.Add(DWORD{p[0]} | DWORD{p[1]} << 8 | DWORD{p[2]} << 16 | DWORD{p[3]} << 24);
        }
    }
    GlobalUnlock(block);
    GlobalFree(block);
    return result == 1 ? 1 : 0;
}

int CVAROObj::SetDBName(long db, const CString& name) {
    return m_engine->Call(kOpSetDBName, {ArgI4(db), ArgText(name)});
}

int CVAROObj::GetDBName(long db, CString& name) {
    name.Empty();
    return m_engine->Call(kOpGetDBName, {ArgI4(db), ArgTextOut(&name)});
}

long CVAROObj::SetDefaultDBID(long db) { return m_engine->Call(kOpSetDefaultDBID, {ArgI4(db)}); }

int CVAROObj::GetDefaultDBID(long* db) { return m_engine->Call(kOpGetDefaultDBID, {ArgOut(db)}); }

int CVAROObj::SetDBColor(long db, unsigned long colour) {
    return m_engine->Call(kOpSetDBColor, {ArgI4(db), ArgU4(colour)});
}

int CVAROObj::GetDBColor(long db, unsigned long* colour) {
    int32_t value = 0;
    const int result = m_engine->Call(kOpGetDBColor, {ArgI4(db), ArgOut(&value)});
    if (colour) *colour = result == 1 ? static_cast<uint32_t>(value) : 0;
    return result == 1 ? 1 : 0;
}

int CVAROObj::GetDBLocation(long db, long which, CString& where) {
    where.Empty();
    return m_engine->Call(kOpGetDBLocation, {ArgI4(db), ArgI4(which), ArgTextOut(&where)});
}

int CVAROObj::SetDBID(const CString& path, long* db) {
    return m_engine->Call(kOpSetDBID, {ArgText(path), ArgOut(db)});
}

int CVAROObj::Set1DayView(long db, long value) {
    return m_engine->Call(kOpSet1DayView, {ArgI4(db), ArgI4(value)});
}
int CVAROObj::Get1DayView(long db, long* value) {
    return m_engine->Call(kOpGet1DayView, {ArgI4(db), ArgOut(value)});
}
int CVAROObj::Set1DayMode(long db, long value) {
    return m_engine->Call(kOpSet1DayMode, {ArgI4(db), ArgI4(value)});
}
int CVAROObj::Get1DayMode(long db, long* value) {
    return m_engine->Call(kOpGet1DayMode, {ArgI4(db), ArgOut(value)});
}
int CVAROObj::SetPBMode(long db, long value) { return m_engine->Call(kOpSetPBMode, {ArgI4(db), ArgI4(value)}); }
int CVAROObj::GetPBMode(long db, long* value) {
    return m_engine->Call(kOpGetPBMode, {ArgI4(db), ArgOut(value)});
}

int CVAROObj::EstFileWriteLong(long selector, const CString& section, const CString& key, long value) {
    return m_engine->Call(kOpEstFileWriteLong, {ArgI4(selector), ArgText(section), ArgText(key), ArgI4(value)});
}

int CVAROObj::EstFileReadLong(long selector, const CString& section, const CString& key, long fallback,
                              long* value) {
    return m_engine->Call(kOpEstFileReadLong,
                          {ArgI4(selector), ArgText(section), ArgText(key), ArgI4(fallback), ArgOut(value)});
}

int CVAROObj::EstFileWriteStr(long selector, const CString& section, const CString& key,
                              const CString& value) {
    return m_engine->Call(kOpEstFileWriteStr,
                          {ArgI4(selector), ArgText(section), ArgText(key), ArgText(value)});
}

int CVAROObj::EstFileReadStr(long selector, const CString& section, const CString& key,
                             const CString& fallback, CString& value) {
    // Copies first: the caller may pass one text as both default and value.
    const CString defaultText = fallback;
    CString read;
    value.Empty();
    const int result = m_engine->Call(
        kOpEstFileReadStr, {ArgI4(selector), ArgText(section), ArgText(key), ArgText(defaultText), ArgTextOut(&read)});
    value = result == 1 ? read : defaultText;
    return result;
}

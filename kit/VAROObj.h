// CVAROObj: the one object an application of the suite holds, and the small
// records and lists that its members take.
//
// The kit object drives the database engine (VARO.ocx, loaded by Init) by
// numbered operations and adds everything above raw storage: the typed field
// accessors over the process-wide tip record, tip input and output with the
// last-modified check, cabinets and folders, the seeding of new databases and
// change-notification requests.
//
// Contract:
// - Single-threaded: every member is called on the thread that called Init.
//   The tip record and the cabinet control data are process-wide and shared
//   by all kit objects of the process.
// - Results: members declared `long` return 0 for success, an engine code
//   (2000-2099, passed through unchanged) or one of the kit's own codes
//   below; members declared `int` return 1 for success or true, 0 otherwise.
//   Before Init and after End every engine operation returns
//   kEngineNoEngine (2000), or 0 for the boolean ones; nothing crashes.
// - Ids of databases, fukuros and tips are 32-bit values; a `long` argument
//   outside the 32-bit range is refused with the engine's bad-argument code
//   (0 for boolean members) rather than cut short.
// - Texts are Shift-JIS (code page 932). A text the engine cannot be given
//   unaltered (not valid code page 932) is refused the same way.
// - Blocks handed out by getters (GetPortrait and the other binary getters)
//   stay owned by the kit object: valid until the next call of the same
//   getter, the next SetTipFlag or the object's destruction. The caller
//   never frees them.
#pragma once

#include "CArrays.h"
#include "CObject.h"
#include "CString.h"
#include "GlobalHeap.h"
#include "PIMTime.h"
#include "VarokitApi.h"
#include "WinTypes.h"

class CWnd;
class CEngineHost;

// The kit's own result codes.
const long VARO_OK = 0;
const long VARO_ERR_OTHER_DATABASE = 101;   // control data in memory is another database's
const long VARO_ERR_VERSION = 107;          // the engine refused a version query
const long VARO_ERR_NOT_COPYABLE = 301;     // CopyTip of a kind without a home fukuro
const long VARO_ERR_CHANGED = 407;          // the stored tip changed since it was read
const long VARO_ERR_BOARD_FULL = 705;       // the page board holds 90 links or more
const long VARO_ERR_NO_CONTROL_TIP = 706;
const long VARO_ERR_TABLE_FULL = 708;
const long VARO_ERR_NOT_LOADED = 710;       // the cabinet tables were never loaded
const long VARO_ERR_BAD_SORT = 901;         // no sort condition was given
const long VARO_ERR_NO_MEMORY = 3002;       // also: unreadable registry value or version
const long VARO_ERR_RANGE = 3004;           // a mode or index argument is out of range
const long VARO_ERR_CANCELLED = 3006;       // the chooser was closed without a choice

// The numbers of the five registered notification messages, equal in every
// process of the user and never 0. They are set when the library is loaded,
// before the application's own static initialisers run, so that those may
// read them too. (Each name refers to the number the library registered;
// read it like any const UINT.)
extern VAROKIT_API const UINT& WM_ON_ADVISEDATA;
extern VAROKIT_API const UINT& WM_ON_ADVISEDBNAME;
extern VAROKIT_API const UINT& WM_ON_ADVISEDBCOLOR;
extern VAROKIT_API const UINT& WM_ON_ADVISECATEGORY;
extern VAROKIT_API const UINT& WM_ON_ADVISEFREE;

// Three zero-terminated Shift-JIS texts of 32 bytes each.
struct PASSWD_INF {
    char text1[32];
    char text2[32];
    char text3[32];
};
static_assert(sizeof(PASSWD_INF) == 96, "the engine exchanges 96 bytes");

// An account record the kit hands on without looking inside.
struct ACCOUNT {
    BYTE data[32];
};
static_assert(sizeof(ACCOUNT) == 32, "the engine exchanges 32 bytes");

// A version: kind 27 the engine file, 28 the kit, 31 the engine as it
// reports itself, 32 a database.
struct _VERSIONINF {
    DWORD dwKind;
    DWORD dwMajor;
    DWORD dwMinor;
    DWORD dwThird;
    DWORD dwFourth;
};

// A sort condition of up to four keys, 29 bytes as the engine reads it.
#pragma pack(push, 1)
struct SortKey {
    char tag[4];      // field tag, e.g. "LTDY"
    BYTE descending;  // 0 ascending, 1 descending
    BYTE numeric;     // 0 compare bytes, 1 compare decimal numbers
    BYTE reserved;
};
struct SortCnd {
    BYTE count;  // keys in use, 0-4
    SortKey keys[4];
};
#pragma pack(pop)
static_assert(sizeof(SortCnd) == 29, "the engine exchanges 29 bytes");

// One watched item of a notification request: database, fukuro and tip id,
// 0 meaning any.
class VAROKIT_API CChkItem {
public:
    CChkItem() = default;
    CChkItem(int32_t db, int32_t fukuro, int32_t tip) : m_db(db), m_fukuro(fukuro), m_tip(tip) {}
    int32_t m_db = 0;
    int32_t m_fukuro = 0;
    int32_t m_tip = 0;
};

// The base of the watch list CTypedPtrArray<CTipIDList, CChkItem*>. It owns
// only the pointers, never the items.
class VAROKIT_API CTipIDList : public CPtrArray {
public:
    CTipIDList();
    ~CTipIDList() override;
};

typedef CTypedPtrArray<CTipIDList, CChkItem*> CChkItemList;

// An ordered list of tip ids, duplicates allowed.
class VAROKIT_API CSelectTips : public CDWordArray {
public:
    CSelectTips();
    ~CSelectTips() override;
    // Removes the first element equal to tip: 1, or 0 when there is none.
    int UnSelectTipID(long tip);
};

class VAROKIT_API CVAROObj : public CObject {
public:
    CVAROObj();
    ~CVAROObj() override;
    CVAROObj(const CVAROObj&) = delete;
    CVAROObj& operator=(const CVAROObj&) = delete;

    // Lifecycle.
    // Loads the engine and makes its hidden control window a child of
    // parent (null: none); nonzero on success, 0 when already initialised or
    // the engine cannot be loaded.
    int Init(CWnd* parent);
    // Destroys the engine control; nonzero on success, 0 when there is none.
    int End();
    long Open(long db);
    long LockOpen(long db);
    long Close(long db);
    long Create(const CString& name, long* db);
    // Mode 0 forgets the database, 1 deletes its files, 2 both.
    long Delete(long db, int mode);

    // Administration and settings.
    long DBCheck(long db);
    long DBBackup(long db);
    long DBRestore(long db);
    long CheckBKFlg(long db);
    long CheckRestore(long db);
    int GetBackupDate(long db, CPIMTime& when);
    int DBLock(long db);
    int DBUnLock(long db);
    long CheckAPID(long apid);
    long DeleteAPID(long apid, int all);
    long CreateAPID(long apid);
    long GarbageAPID(long apid);
    long SetPasswd(long db, PASSWD_INF* rec);
    long GetPasswd(long db, PASSWD_INF* rec);
    long SetAccount(long db, ACCOUNT* rec);
    long SetSecretPasswd(long db, const CString& pw);
    long GetSecretPasswd(long db, CString& pw);
    long GetDllVersionInfo(_VERSIONINF& v);
    long GetDBVersionInfo(_VERSIONINF& v, long db);
    long GetVAROVersionInfo(_VERSIONINF& v);
    long GetVAROKITVersionInfo(_VERSIONINF& v);
    int GetAllDBID(CDWordArray& ids);
    int SetDBName(long db, const CString& name);
    int GetDBName(long db, CString& name);
    long SetDefaultDBID(long db);
    int GetDefaultDBID(long* db);
    int SetDBColor(long db, unsigned long colour);
    int GetDBColor(long db, unsigned long* colour);
    int GetDBLocation(long db, long which, CString& where);
    int SetDBID(const CString& path, long* db);
    int Set1DayView(long db, long value);
    int Get1DayView(long db, long* value);
    int Set1DayMode(long db, long value);
    int Get1DayMode(long db, long* value);
    int SetPBMode(long db, long value);
    int GetPBMode(long db, long* value);
    int EstFileWriteLong(long selector, const CString& section, const CString& key, long value);
    int EstFileReadLong(long selector, const CString& section, const CString& key, long fallback,
                        long* value);
    int EstFileWriteStr(long selector, const CString& section, const CString& key,
                        const CString& value);
    int EstFileReadStr(long selector, const CString& section, const CString& key,
                       const CString& fallback, CString& value);
    // Lets the user choose a database; defined in the dialogs library.
    long DBSelect(CDWordArray& ids, unsigned int confirmKind, unsigned int closeKind);

    // Change notifications.
    long SetAdviseData(CChkItemList* list);
    long DelAdviseData(CChkItemList* list);
    long BeginAdviseData();
    long SetAdviseCategory();
    long DelAdviseCategory();
    long SetAdviseFree();
    long DelAdviseFree();
    void FreeAdviseData(long data);

    // The current tip. SetTipID refuses (0) an id that does not fit 32 bits.
    int SetTipID(long tip);
    int GetTipID(long* tip);
    int SetTipFlag(unsigned short kind);
    int GetTipFlag(unsigned short* kind);

    // Fukuros and tips.
    long FukuroCreate(long db, long* fukuro, const CString& name, long kind);
    long FukuroDelete(long db, long fukuro);
    long SetFukuroName(long db, long fukuro, const CString& name);
    long GetFukuroName(long db, long fukuro, CString& name);
    long GetFukuroSize(long db, long fukuro, long* size);
    long FukuroSort(long db, long fukuro, SortCnd* cnd);
    long GetFukuroSortCnd(long db, long fukuro, SortCnd* cnd);
    long FukuroOpen(long db, long fukuro);
    long FukuroLockOpen(long db, long fukuro);
    long FukuroClose(long db, long fukuro);
    long FukuroSeek(long db, long fukuro, long offset, int origin, long* position);
    long TipSearch(long db, long fukuro, const CString& text, int option);
    long GetTipList(long db, long fukuro, CSelectTips& list);
    long PutTipToFukuro(long db, long fukuro, CSelectTips& tips);
    long RemoveTipFromFukuro(long db, long fukuro, CSelectTips& tips);
    long RemoveTip(long db, long fukuro, CSelectTips& tips);
    long UndoTip(long db, CSelectTips& tips);
    long DupTip(long db, long fukuro, long* tip, long option);
    long GetAllFukuroID(long db, CDWordArray& ids);
    int IsSyncFukuro(long db);
    int CancelAllSync(long db);
    long GetTip(long db, long fukuro, long tip);
    long ReadTip(long db, long fukuro, int option);
    long PutTip(long db, long fukuro, long* tip);
    long PutTipNoEntryDay(long db, long fukuro, long* tip);
    long CopyTip(long dbTo, long* newTip, long dbFrom, long tip);

    // Cabinets and folders.
    long LoadCabCData(long db);
    long ModifyCabCData(long db);
    long PutCab(long db, const CString& name, long* cab);
    long MoveCab(long db, int from, int to);
    long DelCab(long db, int index);
    long LoadKFlCData(long db, int cab);
    long ModifyKFlCData(long db, int cab);
    long CreateKFlCData(long db, long cabFukuro);
    long PutKFl(long db, int cab, const CString& name, long* folder);
    long MoveKFl(long db, int fromCab, int from, int toCab, int to, long* folder);
    long DelKFl(long db, int cab, int index);
    int GetCabCount();
    int GetKFlCount();
    int GetCabDspP();
    int GetKFlDspP();
    int SetCabDspP(int position);
    int SetKFlDspP(int position);
    long GetCabFID(int index);
    long GetKFIFID(int index);

    // Plain fields.
    int SetSecret(int flag);
    int GetSecret(int* flag);
    int SetCheck(int flag);
    int GetCheck(int* flag);
    int SetMemo(const CString& text);
    int GetMemo(CString& text);
    int SetColor(unsigned long colour);
    int GetColor(unsigned long* colour);
    int SetLinkData(CSelectTips& list);
    int GetLinkData(CSelectTips& list);
    int SetDisplayPosition(int position);
    int GetDisplayPosition(int* position);
    int SetParentPlanFukuro(long fukuro);
    int GetParentPlanFukuro(long* fukuro);
    int SetPending(int flag);
    int GetPending(int* flag);
    int SetAlarm(int flag);
    int GetAlarm(int* flag);
    int SetHoliday(int flag);
    int GetHoliday(int* flag);
    int SetPriority(int priority);
    int GetPriority(int* priority);
    int SetName(const CString& text);
    int GetName(CString& text);
    int SetNameYomi(const CString& reading);
    int GetNameYomi(CString& reading);
    int SetOfficeName(const CString& text);
    int GetOfficeName(CString& text);
    int SetOfficeNameYomi(const CString& reading);
    int GetOfficeNameYomi(CString& reading);
    int SetSection(const CString& text);
    int GetSection(CString& text);
    int SetPosition(const CString& text);
    int GetPosition(CString& text);
    int SetOfficeZip(const CString& text);
    int GetOfficeZip(CString& text);
    int SetOfficeAddress(const CString& text);
    int GetOfficeAddress(CString& text);
    int SetOfficeRemark(const CString& text);
    int GetOfficeRemark(CString& text);
    int SetPersonalZip(const CString& text);
    int GetPersonalZip(CString& text);
    int SetPersonalAddress(const CString& text);
    int GetPersonalAddress(CString& text);
    int SetPersonalRemark(const CString& text);
    int GetPersonalRemark(CString& text);
    int SetShochuumimai(int value);
    int GetShochuumimai(int* value);
    int SetNenga(int value);
    int GetNenga(int* value);
    int SetChuugen(int value);
    int GetChuugen(int* value);
    int SetSeibo(int value);
    int GetSeibo(int* value);
    int SetFree1(const CString& text);
    int GetFree1(CString& text);
    int SetFree2(const CString& text);
    int GetFree2(CString& text);
    int SetFree3(const CString& text);
    int GetFree3(CString& text);
    int SetFree4(const CString& text);
    int GetFree4(CString& text);
    int SetFree5(const CString& text);
    int GetFree5(CString& text);
    int SetFree6(const CString& text);
    int GetFree6(CString& text);
    int SetCategory1(int category);
    int GetCategory1(int* category);
    int SetCategory2(int category);
    int GetCategory2(int* category);
    int SetCategory3(int category);
    int GetCategory3(int* category);
    int SetFilename(const CString& text);
    int GetFilename(CString& text);
    int SetMachineName(const CString& text);
    int GetMachineName(CString& text);
    int SetPathName(const CString& text);
    int GetPathName(CString& text);
    int SetApplication(const CString& text);
    int GetApplication(CString& text);
    int SetCurrentPage(long page);
    int GetCurrentPage(long* page);

    // Dates and times.
    int SetEntryDay(const CPIMTime& when);
    int GetEntryDay(CPIMTime& when);
    int SetCheckDate(const CPIMTime& when);
    int GetCheckDate(CPIMTime& when);
    int GetLastModifiedTime(CPIMTime& when);
    int SetStartTime(const CPIMTime& when, int mode);
    int GetStartTime(CPIMTime& when, int* mode);
    int SetEndTime(const CPIMTime& when, int mode);
    int SetEndTime();
    int GetEndTime(CPIMTime& when, int* mode);
    int SetLimitDay(const CPIMTime& when);
    int SetLimitDay();
    int GetLimitDay(CPIMTime& when);
    int SetAlarmTime(const CPIMTime& when);
    int GetAlarmTime(CPIMTime& when);
    int SetDate(const CPIMTime& when);
    int SetDate();
    int GetDate(CPIMTime& when);
    int SetDayofWeek(const CString& rule);
    int GetDayofWeek(CString& rule);
    int SetBirthday(const CString& birthday);
    int GetBirthday(CString& birthday);
    int SetDisplayStart(const CPIMTime& when);
    int GetDisplayStart(CPIMTime& when);
    int SetFileModifiedTime(const CPIMTime& when);
    int GetFileModifiedTime(CPIMTime& when);
    int SetDisplayDate(const CPIMTime& when);
    int SetDisplayDate();
    int GetDisplayDate(CPIMTime& when);

    // Phone, fax and e-mail lists.
    int SetOfficeTel1(const CString& text);
    int GetOfficeTel1(CString& text);
    int SetOfficeTel2(const CString& text);
    int GetOfficeTel2(CString& text);
    int SetOfficeCellular(const CString& text);
    int GetOfficeCellular(CString& text);
    int SetOfficePager(const CString& text);
    int GetOfficePager(CString& text);
    int SetPersonalTel(const CString& text);
    int GetPersonalTel(CString& text);
    int SetPersonalCellular(const CString& text);
    int GetPersonalCellular(CString& text);
    int SetPersonalPager(const CString& text);
    int GetPersonalPager(CString& text);
    int SetOfficeFax(const CString& text);
    int GetOfficeFax(CString& text);
    int SetPersonalFax(const CString& text);
    int GetPersonalFax(CString& text);
    int SetOfficeEmailAddress(const CString& text);
    int GetOfficeEmailAddress(CString& text);
    int SetPersonalEmailAddress(const CString& text);
    int GetPersonalEmailAddress(CString& text);
    int SetTel(const char* value, const char* suffix);
    int SetFax(const char* value, const char* suffix);
    int SetEmail(const char* value, const char* suffix);
    int SetItemFromTelList(const char* suffix, const char* list, char** result);
    int SetItemFromEmailList(const char* suffix, const char* list, char** result);

    // Display texts.
    int GetDisplayString(CString& text);
    int GetListMemo(CString& text);

    // Binary and file fields.
    int SetPortrait(void* data, unsigned short length);
    int GetPortrait(void** data, unsigned short* length);
    int SetPreference(void* data, unsigned short length);
    int GetPreference(void** data, unsigned short* length);
    int SetImageData(void* data, unsigned short length);
    int GetImageData(void** data, unsigned short* length);
    int SetInkData(void* data, unsigned short length);
    int GetInkData(void** data, unsigned short* length);
    int SetBitmapData(void* data, unsigned short length);
    int GetBitmapData(void** data, unsigned short* length);
    int SetData(void* data, unsigned short length);
    int GetData(void** data, unsigned short* length);
    int IsFileExist(long db);
    long NotePut(long db, long tip);

protected:
    // Character conversion of stored texts; each returns a new global-heap
    // block the caller frees, or null.
    char* ConvertCode(const char* data, unsigned short length, unsigned short* outLength);
    char* CutCRLF(const char* data, unsigned short length, unsigned short* outLength);

    // Seeding of a new database.
    long RegistNationalHoliday(long db);
    long FBCTipSet(long db);
    long ProfTipSet(long db);
    long PBoardTipSet(long db);

    // Internal steps of the cabinet and folder operations.
    long CreateData(long db, long fukuro);
    long TDelKFI(long db, int cab, int index, long* folder);
    long SCMoveKFl(long db, int cab, int from, int to);
    void CabMove_Lst(int from);
    void CabMove_Back(int from, int to);
    void CabMove_Front(int from, int to);
    void Move_Lst(int from);
    void Move_Back(int from, int to);
    void Move_Front(int from, int to);

private:
    friend class CVAROObjTestAccess;

    void ResetTipCaches();
    long LoadAndRelease(long db, void* buffer);
    long StoreTip(long db, long fukuro, long* tip, bool stampEntryDay);
    long CloseAfter(long db, long fukuro, long code);
    long LoadControlTip(long db, long fukuro, int n);
    long WriteControlTip(long db, long fukuro, HGLOBAL ids, HGLOBAL order, int n);
    long PutInto(long db, long fukuro, void* buffer, int32_t* tip = nullptr);
    template <size_t N>
    long SeedControlTip(long db, long fukuro, int n, const int32_t (&fukuros)[N], HGLOBAL& ids, HGLOBAL& order);

    BOOL m_readOnly;         // the tip last read may not be changed
    CString m_staging;       // name or start time waiting for its partner
    CEngineHost* m_engine;   // owns the engine and its hidden window
    HGLOBAL m_cabOrder;      // 40 x int32: display order of cabinet slots
    HGLOBAL m_kflOrder;      // 100 x int32: display order of folder slots
    HGLOBAL m_cabFukuro;     // 40 x int32: fukuro id per cabinet slot
    HGLOBAL m_kflFukuro;     // 100 x int32: fukuro id per folder slot
    HGLOBAL m_telList;       // working texts of the three lists
    HGLOBAL m_faxList;
    HGLOBAL m_emailList;
    HGLOBAL m_portraitCopy;  // blocks last handed out by the binary getters
    HGLOBAL m_preferenceCopy;
    HGLOBAL m_imageCopy;
    HGLOBAL m_inkCopy;
    HGLOBAL m_bitmapCopy;
    HGLOBAL m_dataCopy;
};

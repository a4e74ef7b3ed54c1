/// @file
/// CVAROObj: the one object an application of the suite holds, and the small
/// records and lists that its members take.
///
/// The kit object drives the database engine (VARO.ocx, loaded by Init) by
/// numbered operations and adds everything above raw storage: the typed field
/// accessors over the process-wide tip record, tip input and output with the
/// last-modified check, cabinets and folders, the seeding of new databases and
/// change-notification requests.
///
/// Contract:
/// - Single-threaded: every member is called on the thread that called Init.
///   The tip record and the cabinet control data are process-wide and shared
///   by all kit objects of the process.
/// - Results: members declared `long` return 0 for success, an engine code
///   (2000-2099, passed through unchanged) or one of the kit's own codes
///   below; members declared `int` return 1 for success or true, 0 otherwise.
///   Before Init and after End every engine operation returns
///   kEngineNoEngine (2000), or 0 for the boolean ones; nothing crashes.
/// - Ids of databases, fukuros and tips are 32-bit values; a `long` argument
///   outside the 32-bit range is refused with the engine's bad-argument code
///   (0 for boolean members) rather than cut short.
/// - Texts are Shift-JIS (code page 932). A text the engine cannot be given
///   unaltered (not valid code page 932) is refused the same way.
/// - Blocks handed out by getters (GetPortrait and the other binary getters)
///   stay owned by the kit object: valid until the next call of the same
///   getter, the next SetTipFlag or the object's destruction. The caller
///   never frees them.
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

/// @name The kit's own result codes
///@{

/// Engine codes (2000-2099, EngineCodes.h) pass through unchanged beside these.
const long VARO_OK = 0;                     ///< success
const long VARO_ERR_OTHER_DATABASE = 101;   ///< control data in memory is another database's
const long VARO_ERR_VERSION = 107;          ///< the engine refused a version query
const long VARO_ERR_NOT_COPYABLE = 301;     ///< CopyTip of a kind without a home fukuro
const long VARO_ERR_CHANGED = 407;          ///< the stored tip changed since it was read
const long VARO_ERR_BOARD_FULL = 705;       ///< the page board holds 90 links or more
const long VARO_ERR_NO_CONTROL_TIP = 706;   ///< a cabinet or folder control tip is missing
const long VARO_ERR_TABLE_FULL = 708;       ///< 40 cabinets or 100 folders already
const long VARO_ERR_NOT_LOADED = 710;       ///< the cabinet tables were never loaded
const long VARO_ERR_BAD_SORT = 901;         ///< no sort condition was given
const long VARO_ERR_NO_MEMORY = 3002;       ///< also: unreadable registry value or version
const long VARO_ERR_RANGE = 3004;           ///< a mode or index argument is out of range
const long VARO_ERR_CANCELLED = 3006;       ///< the chooser was closed without a choice
///@}

/// @name Notification messages
/// The numbers of the five registered notification messages, equal in every
/// process of the user and never 0. They are set when the library is loaded,
/// before the application's own static initialisers run, so that those may
/// read them too. (Each name refers to the number the library registered;
/// read it like any const UINT.) The engine posts them to the owner window
/// given to CVAROObj::Init.
///@{

/// Tips changed that a watch list (CVAROObj::SetAdviseData) covers: wParam
/// the database id, lParam a notice to hand back with CVAROObj::FreeAdviseData.
extern VAROKIT_API const UINT& WM_ON_ADVISEDATA;
/// A database was renamed (CVAROObj::SetDBName); wParam the database id.
extern VAROKIT_API const UINT& WM_ON_ADVISEDBNAME;
/// A database's colour changed (CVAROObj::SetDBColor); wParam the database id.
extern VAROKIT_API const UINT& WM_ON_ADVISEDBCOLOR;
/// The categories changed, for those that called CVAROObj::SetAdviseCategory.
extern VAROKIT_API const UINT& WM_ON_ADVISECATEGORY;
/// The free-field names changed, for those that called CVAROObj::SetAdviseFree.
extern VAROKIT_API const UINT& WM_ON_ADVISEFREE;
///@}

/// Three zero-terminated Shift-JIS texts of 32 bytes each (SetPasswd, GetPasswd).
struct PASSWD_INF {
    char text1[32];  ///< the first text; SetPasswd hands on this one
    char text2[32];  ///< the second text
    char text3[32];  ///< the third text
};
static_assert(sizeof(PASSWD_INF) == 96, "the engine exchanges 96 bytes");

/// An account record the kit hands on without looking inside (SetAccount).
struct ACCOUNT {
    BYTE data[32];  ///< the record's bytes, up to the first zero handed on
};
static_assert(sizeof(ACCOUNT) == 32, "the engine exchanges 32 bytes");

/// A version: kind 27 the engine file, 28 the kit, 31 the engine as it
/// reports itself, 32 a database.
struct _VERSIONINF {
    DWORD dwKind;    ///< 27, 28, 31 or 32
    DWORD dwMajor;   ///< first number
    DWORD dwMinor;   ///< second number
    DWORD dwThird;   ///< third number; 0 where the source gives two
    DWORD dwFourth;  ///< fourth number; 0 where the source gives two
};

#pragma pack(push, 1)
/// One key of a sort condition, 7 bytes.
struct SortKey {
    char tag[4];      ///< field tag, e.g. "LTDY"
    BYTE descending;  ///< 0 ascending, 1 descending
    BYTE numeric;     ///< 0 compare bytes, 1 compare decimal numbers
    BYTE reserved;    ///< 0
};
/// A sort condition of up to four keys, 29 bytes as the engine reads it
/// (FukuroSort, GetFukuroSortCnd).
struct SortCnd {
    BYTE count;        ///< keys in use, 0-4
    SortKey keys[4];   ///< the keys, most significant first
};
#pragma pack(pop)
static_assert(sizeof(SortCnd) == 29, "the engine exchanges 29 bytes");

/// One watched item of a notification request: database, fukuro and tip id,
/// 0 meaning any.
class VAROKIT_API CChkItem {
public:
    /// An item that watches nothing until its ids are set.
    CChkItem() = default;
    /// An item watching tip `tip` of fukuro `fukuro` of database `db` (0: any).
    CChkItem(int32_t db, int32_t fukuro, int32_t tip) : m_db(db), m_fukuro(fukuro), m_tip(tip) {}
    int32_t m_db = 0;      ///< database id, 0 any
    int32_t m_fukuro = 0;  ///< fukuro id, 0 any
    int32_t m_tip = 0;     ///< tip id, 0 any
};

/// The base of the watch list CTypedPtrArray<CTipIDList, CChkItem*>. It owns
/// only the pointers, never the items.
class VAROKIT_API CTipIDList : public CPtrArray {
public:
    /// An empty list.
    CTipIDList();
    /// Forgets the pointers; the items stay the caller's.
    ~CTipIDList() override;
};

/// The watch list handed to CVAROObj::SetAdviseData and DelAdviseData.
typedef CTypedPtrArray<CTipIDList, CChkItem*> CChkItemList;

/// An ordered list of tip ids, duplicates allowed.
class VAROKIT_API CSelectTips : public CDWordArray {
public:
    /// An empty list.
    CSelectTips();
    /// Frees the ids.
    ~CSelectTips() override;
    /// Removes the first element equal to tip: 1, or 0 when there is none.
    int UnSelectTipID(long tip);
};

/// The kit object: one per application window, driving its own engine
/// instance. See the file's contract for results, ids and texts.
class VAROKIT_API CVAROObj : public CObject {
public:
    /// A kit object without an engine: every engine operation answers
    /// kEngineNoEngine (2000), or 0 for the boolean ones, until Init.
    CVAROObj();
    /// Frees every block the object handed out and destroys its engine if
    /// End was not called. Open databases are not closed first.
    ~CVAROObj() override;
    CVAROObj(const CVAROObj&) = delete;             ///< One engine per object: not copied.
    CVAROObj& operator=(const CVAROObj&) = delete;  ///< One engine per object: not assigned.

    /// @name Lifecycle
    ///@{

    /// Loads the engine and makes its hidden control window a child of
    /// parent (null: none), which then receives the notification messages;
    /// nonzero on success, 0 when already initialised or the engine cannot be
    /// loaded (ROOTDIR names no usable engine, or none is installed beside
    /// the kit), with no engine call made.
    int Init(CWnd* parent);
    /// Destroys the engine control; nonzero on success, 0 when there is none.
    int End();
    /// Opens a database for this object; the engine's code. Open before any
    /// fukuro or tip operation on it.
    long Open(long db);
    /// Opens a database and locks it against writers elsewhere until Close,
    /// End or the end of the process; the engine's code.
    long LockOpen(long db);
    /// Closes a database this object opened, releasing its lock; the engine's code.
    long Close(long db);
    /// Creates a database named `name` (names need not be unique), writes its
    /// id to *db and seeds it with the national holidays, the first cabinet
    /// and its folders, categories, free-field names and the page board.
    /// Stops at the first failing step and returns its code; a half-seeded
    /// database stays (remove it with Delete).
    long Create(const CString& name, long* db);
    /// Mode 0 forgets the database, 1 deletes its files, 2 both (forgetting
    /// only once the files are gone); VARO_ERR_RANGE for any other mode,
    /// with no engine call. The code of the last step made.
    long Delete(long db, int mode);
    ///@}

    /// @name Administration
    ///@{

    /// Checks the integrity of a database's file; the engine's code.
    long DBCheck(long db);
    /// Writes a consistent backup copy of a database and records its date;
    /// the engine's code.
    long DBBackup(long db);
    /// Replaces a database's data by its backup; the engine's code (its no
    /// backup code when there is none). What changed since the backup is lost.
    long DBRestore(long db);
    /// Whether a database has a backup: 0 when it has, else the engine's code.
    long CheckBKFlg(long db);
    /// Whether a database's backup can be restored: 0 when it can, else the
    /// engine's code.
    long CheckRestore(long db);
    /// The date of a database's last backup into `when`: 1, or the engine's
    /// result with `when` unchanged.
    int GetBackupDate(long db, CPIMTime& when);
    /// Locks a whole database against writers elsewhere: 1, or 0 when it cannot.
    int DBLock(long db);
    /// Releases DBLock's lock: 1, or 0.
    int DBUnLock(long db);
    /// Whether an application id is registered; the engine's code.
    long CheckAPID(long apid);
    /// Removes an application id, `all` handed on as a flag; the engine's code.
    long DeleteAPID(long apid, int all);
    /// Registers an application id; the engine's code.
    long CreateAPID(long apid);
    /// Has the engine tidy an application id's records; the engine's code.
    long GarbageAPID(long apid);
    ///@}

    /// @name Passwords and accounts
    /// Stored by the engine as the kit hands them on; the engine gives them
    /// no meaning of its own. Results are the engine's codes; a getter that
    /// fails leaves its output unchanged.
    ///@{

    /// Stores the record's first text as the database's password.
    long SetPasswd(long db, PASSWD_INF* rec);
    /// Reads the three texts into *rec (each with its terminator; later
    /// bytes of each field keep what they held); VARO_ERR_NO_MEMORY when no
    /// block can be had.
    long GetPasswd(long db, PASSWD_INF* rec);
    /// Stores the account record's bytes up to the first zero.
    long SetAccount(long db, ACCOUNT* rec);
    /// Stores the database's secret password.
    long SetSecretPasswd(long db, const CString& pw);
    /// Reads the secret password into pw.
    long GetSecretPasswd(long db, CString& pw);
    ///@}

    /// @name Versions
    ///@{

    /// The engine's own version (kind 31, major and minor): 0, or
    /// VARO_ERR_VERSION with v unchanged, VARO_ERR_NO_MEMORY without memory.
    long GetDllVersionInfo(_VERSIONINF& v);
    /// A database's version (kind 32), as GetDllVersionInfo.
    long GetDBVersionInfo(_VERSIONINF& v, long db);
    /// The four-part version of the engine file ROOTDIR + VARO.ocx (kind 27),
    /// read without loading it: 0, or VARO_ERR_NO_MEMORY when ROOTDIR or the
    /// file's version cannot be read; v is then kind 27 with four zeros.
    long GetVAROVersionInfo(_VERSIONINF& v);
    /// The kit's own version: kind 28, 3.0.0.39; always 0, no engine call.
    long GetVAROKITVersionInfo(_VERSIONINF& v);
    ///@}

    /// @name The known databases
    ///@{

    /// Appends the id of every known database to ids (which is not emptied
    /// first): 1, or 0 with ids unchanged.
    int GetAllDBID(CDWordArray& ids);
    /// Renames a database; 1 or 0. Posts WM_ON_ADVISEDBNAME to every owner window.
    int SetDBName(long db, const CString& name);
    /// A database's name into name: 1, or the engine's result with name empty.
    int GetDBName(long db, CString& name);
    /// Makes a database the default one; the engine's result (1 success).
    long SetDefaultDBID(long db);
    /// The default database's id into *db: 1, or 0 when there is none.
    int GetDefaultDBID(long* db);
    /// Sets a database's colour; 1 or 0. Posts
    /// WM_ON_ADVISEDBCOLOR to every owner window.
    int SetDBColor(long db, unsigned long colour);
    /// A database's colour into *colour: 1, or 0 with *colour 0.
    int GetDBColor(long db, unsigned long* colour);
    /// A database's location into where: `which` 1 its file's full path, 2
    /// the folder of the documents its tips name. 1, or the engine's result
    /// with where empty.
    int GetDBLocation(long db, long which, CString& where);
    /// Registers an existing database file by its path and writes its id to
    /// *db (the same id when it is listed already); 1 or 0.
    int SetDBID(const CString& path, long* db);
    ///@}

    /// @name View settings
    ///@{

    /// Per-database values the applications keep for their views; the engine
    /// stores them as given. 1 success, 0 failure.
    int Set1DayView(long db, long value);
    int Get1DayView(long db, long* value);
    int Set1DayMode(long db, long value);
    int Get1DayMode(long db, long* value);
    int SetPBMode(long db, long value);
    int GetPBMode(long db, long* value);
    ///@}

    /// @name Settings values
    ///@{

    /// Named values in sections, kept by the engine per selector (an
    /// application's own number). 1 success, 0 failure; a reader whose value
    /// is missing answers the fallback it was given.
    int EstFileWriteLong(long selector, const CString& section, const CString& key, long value);
    int EstFileReadLong(long selector, const CString& section, const CString& key, long fallback,
                        long* value);
    int EstFileWriteStr(long selector, const CString& section, const CString& key,
                        const CString& value);
    int EstFileReadStr(long selector, const CString& section, const CString& key,
                       const CString& fallback, CString& value);
    ///@}

    /// @name The database chooser
    ///@{

    /// Lets the user choose a database of the engine's list in a modal
    /// dialog; the chosen id goes into ids. `confirmKind` and `closeKind`
    /// pick the captions of the two buttons. 0, or VARO_ERR_CANCELLED when
    /// the dialog was closed without a choice (also when no display can be
    /// opened). Defined in the dialogs library (varokit::dialogs).
    long DBSelect(CDWordArray& ids, unsigned int confirmKind, unsigned int closeKind);
    ///@}

    /// @name Change notifications
    /// Requests for notices posted to the owner window given to Init, for
    /// changes made through any kit object of any process; the engine's codes.
    ///@{

    /// Asks for WM_ON_ADVISEDATA on changes to the items of the list. The
    /// engine copies the items; the list and its items stay the caller's.
    long SetAdviseData(CChkItemList* list);
    /// Ends the notices for the items of the list.
    long DelAdviseData(CChkItemList* list);
    /// Starts the notices asked for with SetAdviseData.
    long BeginAdviseData();
    /// Asks for WM_ON_ADVISECATEGORY when the categories change.
    long SetAdviseCategory();
    /// Ends SetAdviseCategory's notices.
    long DelAdviseCategory();
    /// Asks for WM_ON_ADVISEFREE when the free-field names change.
    long SetAdviseFree();
    /// Ends SetAdviseFree's notices.
    long DelAdviseFree();
    /// Hands back the notice (lParam) of a WM_ON_ADVISEDATA message.
    void FreeAdviseData(long data);
    ///@}

    /// @name The current tip
    /// The tip record is process-wide: every kit object of the process reads
    /// and writes the same current tip.
    ///@{

    /// Sets the current tip's id (0 for a new tip); 1, or 0 for an id that
    /// does not fit 32 bits.
    int SetTipID(long tip);
    /// The current tip's id into *tip (0 for a new tip); 1.
    int GetTipID(long* tip);
    /// Starts a new tip of the given kind (e.g. 0x300 a to-do item) with its
    /// kind's fields at their initial values and a fresh LMTM stamp; 1, or 0
    /// for an unknown kind. Frees the blocks the binary getters handed out.
    int SetTipFlag(unsigned short kind);
    /// The current tip's kind into *kind; 1.
    int GetTipFlag(unsigned short* kind);
    ///@}

    /// @name Fukuros
    /// Results are the engine's codes unless said otherwise.
    ///@{

    /// Creates a fukuro named `name` of the given kind and writes its id
    /// (above 0x3FFF) to *fukuro.
    long FukuroCreate(long db, long* fukuro, const CString& name, long kind);
    /// Deletes a fukuro; the fixed fukuros 0x3000-0x3016 cannot be deleted.
    long FukuroDelete(long db, long fukuro);
    /// Renames a fukuro.
    long SetFukuroName(long db, long fukuro, const CString& name);
    /// A fukuro's name into name; on failure name is empty.
    long GetFukuroName(long db, long fukuro, CString& name);
    /// The number of tips in a fukuro into *size.
    long GetFukuroSize(long db, long fukuro, long* size);
    /// Rearranges a fukuro's order by the condition; VARO_ERR_BAD_SORT for a
    /// null condition.
    long FukuroSort(long db, long fukuro, SortCnd* cnd);
    /// The condition last applied to a fukuro into *cnd, unchanged on failure;
    /// VARO_ERR_NO_MEMORY when no block can be had.
    long GetFukuroSortCnd(long db, long fukuro, SortCnd* cnd);
    /// Opens a fukuro for reading, before its first tip, and refreshes the
    /// read-only flag from the engine whatever the result.
    long FukuroOpen(long db, long fukuro);
    /// FukuroOpen with a lock against writers elsewhere until FukuroClose.
    long FukuroLockOpen(long db, long fukuro);
    /// Closes a fukuro, releasing its lock.
    long FukuroClose(long db, long fukuro);
    /// Moves the read position of an open fukuro by offset from origin (0 the
    /// first tip, 1 the tip the next ReadTip would read, 2 the end) and
    /// writes the new position (0 to the fukuro's size) to *position.
    long FukuroSeek(long db, long fukuro, long offset, int origin, long* position);
    /// Limits the following ReadTip calls to tips whose texts contain `text`.
    long TipSearch(long db, long fukuro, const CString& text, int option);
    /// Appends the ids of a fukuro's tips, in its order, to list.
    long GetTipList(long db, long fukuro, CSelectTips& list);
    /// Puts the tips at the end of a fukuro's order; a tip may lie in several fukuros.
    long PutTipToFukuro(long db, long fukuro, CSelectTips& tips);
    /// Takes the tips out of a fukuro; they stay in the database.
    long RemoveTipFromFukuro(long db, long fukuro, CSelectTips& tips);
    /// Moves the tips to the database's trash, remembering their fukuros.
    long RemoveTip(long db, long fukuro, CSelectTips& tips);
    /// Puts tips back from the trash into the fukuros they came from.
    long UndoTip(long db, CSelectTips& tips);
    /// Copies a tip within its database; the copy's id goes to *tip.
    long DupTip(long db, long fukuro, long* tip, long option);
    /// Appends the id of every fukuro of a database to ids.
    long GetAllFukuroID(long db, CDWordArray& ids);
    /// The engine's synchronisation state of a database: 1 or 0.
    int IsSyncFukuro(long db);
    /// Clears the engine's synchronisation state of a database: 1 or 0.
    int CancelAllSync(long db);
    ///@}

    /// @name Tips in and out
    ///@{

    /// Reads tip `tip` into the current tip (fukuro 0: wherever it lies) and
    /// refreshes the read-only flag; the engine's code, the current tip
    /// unchanged on failure.
    long GetTip(long db, long fukuro, long tip);
    /// Reads the next tip of an open fukuro into the current tip (option 1
    /// the next, 0 the current again, 2 the previous). At the end the code
    /// is 0 and the current tip's id 0.
    long ReadTip(long db, long fukuro, int option);
    /// Stores the current tip into a fukuro. A new tip (id 0) gets its entry
    /// day and its new id in *tip; for a tip read before, VARO_ERR_CHANGED
    /// (407) when another writer stored it since, with nothing stored: read
    /// it again, reapply the change and store it again. Else the engine's code.
    long PutTip(long db, long fukuro, long* tip);
    /// PutTip without stamping a new tip's entry day.
    long PutTipNoEntryDay(long db, long fukuro, long* tip);
    /// Copies tip `tip` of database dbFrom into the home fukuro of its kind
    /// in database dbTo; the new id goes to *newTip. VARO_ERR_NOT_COPYABLE for
    /// a kind without a home fukuro.
    long CopyTip(long dbTo, long* newTip, long dbFrom, long tip);
    ///@}

    /// @name Cabinets and folders
    /// A database's cabinets and each cabinet's folders are fukuros kept in
    /// order by control tips. The Load members read that order into this
    /// object's tables; every changing member writes it back at once.
    /// Results are 0 or a code; a failing step leaves earlier ones done.
    ///@{

    /// Loads the order of the cabinets; VARO_ERR_NO_CONTROL_TIP when the
    /// database has no cabinet control tip.
    long LoadCabCData(long db);
    /// Stores this object's cabinet order; VARO_ERR_NOT_LOADED before
    /// LoadCabCData, VARO_ERR_OTHER_DATABASE when it loaded another database.
    long ModifyCabCData(long db);
    /// Creates a cabinet named `name` at the end of the order; its fukuro id
    /// goes to *cab. VARO_ERR_TABLE_FULL at 40 cabinets.
    long PutCab(long db, const CString& name, long* cab);
    /// Moves the cabinet at position `from` to position `to`.
    long MoveCab(long db, int from, int to);
    /// Takes the cabinet at `index` out of the order; its fukuro stays.
    long DelCab(long db, int index);
    /// Loads the folder order of the cabinet at position `cab`;
    /// VARO_ERR_NOT_LOADED before LoadCabCData, VARO_ERR_RANGE outside 0-39.
    long LoadKFlCData(long db, int cab);
    /// Stores this object's folder order for the cabinet at position `cab`.
    long ModifyKFlCData(long db, int cab);
    /// Writes an empty folder control tip into a cabinet's fukuro.
    long CreateKFlCData(long db, long cabFukuro);
    /// Creates a folder named `name` at the end of a cabinet; its fukuro id
    /// goes to *folder. VARO_ERR_TABLE_FULL at 100 folders.
    long PutKFl(long db, int cab, const CString& name, long* folder);
    /// Moves a folder to position `to` of cabinet `toCab` (the same or
    /// another); the moved folder's fukuro id goes to *folder.
    long MoveKFl(long db, int fromCab, int from, int toCab, int to, long* folder);
    /// Takes the folder at `index` out of a cabinet; its fukuro and tips stay.
    long DelKFl(long db, int cab, int index);
    ///@}

    /// @name Counts and display positions
    ///@{

    /// The cabinet and folder control data last loaded hold one count and one
    /// display position (the one the user last looked at): the Cab and KFl
    /// names read and set the same values. A position is clamped into the
    /// list; the setters return 1 and the next write stores it.
    int GetCabCount();
    int GetKFlCount();
    int GetCabDspP();
    int GetKFlDspP();
    int SetCabDspP(int position);
    int SetKFlDspP(int position);
    ///@}

    /// @name Fukuro ids of cabinets and folders
    ///@{

    /// The fukuro id of the cabinet (GetCabFID) or folder (GetKFIFID) at a
    /// position of the order last loaded.
    long GetCabFID(int index);
    long GetKFIFID(int index);
    ///@}

    /// @name Flags and small numbers
    ///@{

    /// Fields of the current tip that hold a flag or a small number as a
    /// decimal text. A setter stores the value and returns 1; it returns 0
    /// and changes nothing when the read-only flag is set, the current tip's
    /// kind has no such field or the value lies outside its range. A getter
    /// writes the value and returns 1, or writes 0 and returns 0 when the
    /// kind has no such field or it is empty; getters read read-only tips
    /// too. Flags
    /// (secret, done, pending, alarm, holiday) are 0 or 1; SetCheck(0) also
    /// resets the check date. Priority is 1-10; display position 0-99; the
    /// greeting marks of address cards (summer, new year, midyear, year-end)
    /// 0-3; categories 0-99.
    int SetSecret(int flag);
    int GetSecret(int* flag);
    int SetCheck(int flag);
    int GetCheck(int* flag);
    int SetDisplayPosition(int position);
    int GetDisplayPosition(int* position);
    int SetPending(int flag);
    int GetPending(int* flag);
    int SetAlarm(int flag);
    int GetAlarm(int* flag);
    int SetHoliday(int flag);
    int GetHoliday(int* flag);
    int SetPriority(int priority);
    int GetPriority(int* priority);
    int SetShochuumimai(int value);
    int GetShochuumimai(int* value);
    int SetNenga(int value);
    int GetNenga(int* value);
    int SetChuugen(int value);
    int GetChuugen(int* value);
    int SetSeibo(int value);
    int GetSeibo(int* value);
    int SetCategory1(int category);
    int GetCategory1(int* category);
    int SetCategory2(int category);
    int GetCategory2(int* category);
    int SetCategory3(int category);
    int GetCategory3(int* category);
    ///@}

    /// @name Numbers and ids
    ///@{

    /// The colour (GetColor gives 0xFF0000 for a stored value shorter than 4 bytes),
    /// the fukuro of a plan's parent, and the current page of a page board,
    /// stored as 4 bytes. Setters and getters as for the flags.
    int SetColor(unsigned long colour);
    int GetColor(unsigned long* colour);
    int SetParentPlanFukuro(long fukuro);
    int GetParentPlanFukuro(long* fukuro);
    int SetCurrentPage(long page);
    int GetCurrentPage(long* page);
    ///@}

    /// @name Links
    ///@{

    /// The ids of the tips linked to the current tip (for a page board: the
    /// tips pinned to it). The setter stores the list's ids in order; the
    /// getter appends them to the list. 1, or 0 as for the flags.
    int SetLinkData(CSelectTips& list);
    int GetLinkData(CSelectTips& list);
    ///@}

    /// @name Texts
    ///@{

    /// Shift-JIS text fields of the current tip: the memo; the name, office,
    /// section, position, zip codes, addresses, remarks and six free fields
    /// of address cards; the file name of memos and file links, and the
    /// machine, path and application of file links. A setter stores the text
    /// (returning 0 and changing nothing when read-only or the kind has no
    /// such field); a getter converts device characters to ordinary code
    /// page 932 and writes the text, 1, or 0 with the text empty.
    int SetMemo(const CString& text);
    int GetMemo(CString& text);
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
    int SetFilename(const CString& text);
    int GetFilename(CString& text);
    int SetMachineName(const CString& text);
    int GetMachineName(CString& text);
    int SetPathName(const CString& text);
    int GetPathName(CString& text);
    int SetApplication(const CString& text);
    int GetApplication(CString& text);
    ///@}

    /// @name Names with readings
    ///@{

    /// An address card keeps its name and its office name each with a
    /// reading (yomi). SetName and SetOfficeName hold the text until the
    /// matching Yomi setter stores text and reading together; the getters
    /// read each part. On preference tips SetName and GetName are the
    /// preference's name. Results as for the texts.
    int SetName(const CString& text);
    int GetName(CString& text);
    int SetNameYomi(const CString& reading);
    int GetNameYomi(CString& reading);
    int SetOfficeName(const CString& text);
    int GetOfficeName(CString& text);
    int SetOfficeNameYomi(const CString& reading);
    int GetOfficeNameYomi(CString& reading);
    ///@}

    /// @name Dates and times
    ///@{

    /// Instants of the current tip, stored as 14-digit local date-time texts:
    /// the entry day, the check date, the last stored time (read only), the
    /// deadline of to-do items and milestones, the alarm of schedule
    /// entries, the first day a to-do item is shown, a file link's
    /// modification time and display date. The setters without an argument
    /// clear the field. Setters and
    /// getters as for the flags; a getter leaves `when` unchanged on 0.
    int SetEntryDay(const CPIMTime& when);
    int GetEntryDay(CPIMTime& when);
    int SetCheckDate(const CPIMTime& when);
    int GetCheckDate(CPIMTime& when);
    int GetLastModifiedTime(CPIMTime& when);
    int SetLimitDay(const CPIMTime& when);
    int SetLimitDay();
    int GetLimitDay(CPIMTime& when);
    int SetAlarmTime(const CPIMTime& when);
    int GetAlarmTime(CPIMTime& when);
    int SetDisplayStart(const CPIMTime& when);
    int GetDisplayStart(CPIMTime& when);
    int SetFileModifiedTime(const CPIMTime& when);
    int GetFileModifiedTime(CPIMTime& when);
    int SetDisplayDate(const CPIMTime& when);
    int SetDisplayDate();
    int GetDisplayDate(CPIMTime& when);
    ///@}

    /// @name Start and end
    ///@{

    /// The start and end of plans and schedule entries, one field. Mode 1
    /// keeps the date only (all day), mode 2 the date and time; any other
    /// mode returns 0 and changes nothing. Set the start first: SetEndTime
    /// stores the pair; SetEndTime() stores the start with no end. The
    /// getters give the mode in *mode (1 for a date, else 2).
    int SetStartTime(const CPIMTime& when, int mode);
    int GetStartTime(CPIMTime& when, int* mode);
    int SetEndTime(const CPIMTime& when, int mode);
    int SetEndTime();
    int GetEndTime(CPIMTime& when, int* mode);
    ///@}

    /// @name Holidays and anniversaries
    ///@{

    /// The fixed date (SetDate() clears it) and the weekday rule (a
    /// six-character text stored as given) of holidays and anniversaries, and
    /// the birthday of an address card (a text of at most 14 characters).
    /// Setters and getters as for the flags.
    int SetDate(const CPIMTime& when);
    int SetDate();
    int GetDate(CPIMTime& when);
    int SetDayofWeek(const CString& rule);
    int GetDayofWeek(CString& rule);
    int SetBirthday(const CString& birthday);
    int GetBirthday(CString& birthday);
    ///@}

    /// @name Phone, fax and e-mail lists
    ///@{

    /// An address card keeps its phone numbers, fax numbers and e-mail
    /// addresses in three lists, each value marked with its role (office,
    /// home, mobile, pager). A setter replaces every value of its role with
    /// the lines of `text` (an empty text removes them); a getter gives the
    /// values of its role joined by CR LF. 1, or 0 when read-only, the kind
    /// has no such list, or (getter) no value has the role.
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
    ///@}

    /// @name Lists by role suffix
    /// The list editing behind the phone, fax and e-mail accessors, by the
    /// role's stored suffix (":f", ":h1", "(f)" ...).
    ///@{

    /// Replace every entry with `suffix` in this object's phone, fax or
    /// e-mail working list by the lines of `value` (null: none); 1, or 0
    /// when no memory can be had.
    int SetTel(const char* value, const char* suffix);
    int SetFax(const char* value, const char* suffix);
    int SetEmail(const char* value, const char* suffix);
    /// The values of `list`'s entries with `suffix`, joined by CR LF, in a
    /// new block whose address goes to *result and which the caller frees
    /// (GlobalFree); 1, or 0 when no entry matches or no memory can be had.
    /// The phone form serves fax lists too.
    int SetItemFromTelList(const char* suffix, const char* list, char** result);
    int SetItemFromEmailList(const char* suffix, const char* list, char** result);
    ///@}

    /// @name Display texts
    ///@{

    /// The current tip as one list line (date, marks and memo or name, by
    /// kind), e.g. "27/01/31まで buy milk" for a to-do item; 1 when the kind
    /// has such a line (which may be empty), else 0 with the text empty.
    int GetDisplayString(CString& text);
    /// The memo as a list shows it: line breaks removed, device characters
    /// converted; 1 (the text may be empty), or 0 with the text empty.
    int GetListMemo(CString& text);
    ///@}

    /// @name Binary fields
    ///@{

    /// Bytes only the applications interpret: the portrait of an address
    /// card, the print settings, image, ink and bitmap of a memo, the data of
    /// a preference tip. A setter copies `length` bytes from data; a getter
    /// writes the address and length of a copy that stays owned by this
    /// object, valid until the next call of the same getter, the next
    /// SetTipFlag or the object's destruction: never free it. 1, or 0 as for
    /// the flags (and when no memory can be had).
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
    ///@}

    /// @name Files and the page board
    ///@{

    /// 1 when the current memo or file-link tip names a file that exists in
    /// the document folder of database db, else 0.
    int IsFileExist(long db);
    /// Pins tip `tip` onto database db's page board; 0, VARO_ERR_BOARD_FULL
    /// at 90 pinned tips, or the failing step's code.
    long NotePut(long db, long tip);
    ///@}

protected:
    /// @name Character conversion of stored texts
    /// Each returns a new global-heap block the caller frees (GlobalFree) and
    /// its length in *outLength, or null when no memory can be had.
    ///@{

    /// The text with device characters turned into ordinary code page 932.
    char* ConvertCode(const char* data, unsigned short length, unsigned short* outLength);
    /// The text with its CR and LF removed.
    char* CutCRLF(const char* data, unsigned short length, unsigned short* outLength);
    ///@}

    /// @name Seeding of a new database
    /// The steps of Create, each 0 or the code of its failing engine call.
    ///@{

    /// The national holidays.
    long RegistNationalHoliday(long db);
    /// The first cabinet and its folders.
    long FBCTipSet(long db);
    /// The categories and free-field names.
    long ProfTipSet(long db);
    /// The page board.
    long PBoardTipSet(long db);
    ///@}

    /// @name Steps of the cabinet and folder operations
    /// Moves in this object's tables, used by MoveCab, MoveKFl, DelCab and DelKFl.
    ///@{

    /// Writes an empty control tip into a fukuro.
    long CreateData(long db, long fukuro);
    /// Takes the folder at `index` out of cabinet `cab`; its fukuro id goes to *folder.
    long TDelKFI(long db, int cab, int index, long* folder);
    /// Moves a folder within its cabinet.
    long SCMoveKFl(long db, int cab, int from, int to);
    /// Moves a cabinet to the end, towards the end, or towards the front.
    void CabMove_Lst(int from);
    void CabMove_Back(int from, int to);
    void CabMove_Front(int from, int to);
    /// Moves a folder to the end, towards the end, or towards the front.
    void Move_Lst(int from);
    void Move_Back(int from, int to);
    void Move_Front(int from, int to);
    ///@}

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

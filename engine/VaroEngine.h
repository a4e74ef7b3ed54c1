// The engine: one instance per kit object, created by VaroEngineCreate.
//
// Invoke checks each call against the operation table (an unknown number or
// arguments of the wrong kinds are refused with kEngineBadArgument, or 0 for
// boolean operations) and dispatches by number to one member per operation.
// Out texts and out addresses are set to null before any work, so a failed
// call never leaves a stale pointer behind.
//
// State of an instance: the databases it has open (each with its own SQLite
// connection and lock file descriptor), the fukuros it has open in them with
// their read positions and searches, the tip buffers and texts it has handed
// out (freed by ReleaseTip and FreeText, or at destruction), the read-only
// state it last fixed (below), and its notifier. Destroying an instance
// closes everything and so drops every lock it held.
//
// A failing operation changes nothing: each changing operation is one
// transaction, and its checks come before it begins.
//
// PutTip of the tip this instance handed out (or stored) last goes ahead
// only while the stored tip still carries the stamp it had then, checked
// inside the store's transaction; otherwise kEngineChanged. The kit's own
// last-modified check reads the stored tip just before its put, so this
// closes the gap in which another writer could store between the two.
//
// Explicit and implicit openings. Open and LockOpen open a database
// explicitly. Create leaves the new database open implicitly, so that the
// fukuro operations that seed it work without an Open; no other operation
// opens a database for longer than itself (DBCheck, DBBackup, passwords and
// versions borrow a temporary opening; names, locations and colours come
// from the catalog; every other operation inside a database needs it open).
// DeleteFiles and DBRestore need the database to themselves: any opening by
// another instance keeps them out (kEngineInUse), and so does this
// instance's own explicit opening, which its caller still counts on until
// it calls Close. This instance's implicit opening gives way to them: it
// is dropped with its fukuro openings and locks once the operation has the
// files, and when another instance keeps them out it stays as it was.
//
// Read-only state and layout. The kit keeps one read-only flag per kit
// object and sets it from IsReadOnly only right after FukuroOpen,
// FukuroLockOpen and GetTip, never after ReadTip; a tip handed out in a
// layout other than the flag says would be read from the wrong slots. So
// the state is fixed at exactly those points: FukuroOpen and
// FukuroLockOpen fix it for the fukuro they open, GetTip for the tip it
// hands out (and lays it out in it), and IsReadOnly answers the state last
// fixed, never a newer probe. Every ReadTip lays its tip out in that state:
// in a plain walk, the state of the walk's opening; after a GetTip or
// another opening in between, the newer state, which is the one the kit's
// flag then holds. A lock another instance takes or drops meanwhile shows
// at the next opening or GetTip; every write still checks the locks of its
// own moment and is refused with kEngineReadOnly while another instance
// holds one. Opening a whole database fixes nothing: the kit's flag does
// not follow it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Catalog.h"
#include "DatabaseFile.h"
#include "EngineInterface.h"
#include "Locks.h"
#include "Notifier.h"
#include "TipBuffer.h"

namespace varo {
namespace engine {

class VaroEngine final : public Engine {
public:
    explicit VaroEngine(const HostServices* host);
    ~VaroEngine() override;
    VaroEngine(const VaroEngine&) = delete;
    VaroEngine& operator=(const VaroEngine&) = delete;

    int32_t Invoke(int op, const EngineArg* args, int count) override;
    void FreeText(char16_t* text) override;

    // Delivers pending notifications; run by the host's pump hook.
    void Poll() { m_notifier.Poll(); }

    using Handler = int32_t (VaroEngine::*)(const EngineArg* args);

private:
    static Handler HandlerFor(int op);

    // A read position in a fukuro's order: on the tip at `key`, or in the gap
    // just before `key` (the gap before the first tip and after the last use
    // the smallest and largest keys).
    struct Cursor {
        bool onTip = false;
        OrderKey key{INT64_MIN, INT64_MIN};
    };
    // Tips of a walk read ahead of the cursor, in the walk's direction, as
    // the file stood at `mark`; records[next] follows the cursor.
    struct ReadAheadBatch {
        std::vector<OrderedRecord> records;  // storage kept from batch to batch
        size_t count = 0;
        size_t next = 0;
        size_t asked = 0;  // the rows the batch asked for
        bool forward = true;
        ChangeMark mark;
        // Whether the batch still holds the tip after `cursor` of a walk
        // going `forward`, the file being at `now`.
        bool Continues(const Cursor& cursor, bool forward, const ChangeMark& now) const {
            return next > 0 && next < count && forward == this->forward && now == mark && cursor.onTip &&
                   cursor.key.position == records[next - 1].key.position && cursor.key.tip == records[next - 1].key.tip;
        }
    };
    struct OpenFukuro {
        Cursor cursor;
        std::string search;  // Shift-JIS; empty for none
        bool foldCase = false;
        ReadAheadBatch ahead;
    };
    struct OpenDatabase {
        int32_t id = 0;
        std::string path;
        bool writable = false;
        bool openedExplicitly = false;  // by Open or LockOpen, not only by Create
        DatabaseFile file;
        LockFile locks;
        std::map<int32_t, OpenFukuro> fukuros;
    };
    // The files of a database held for DeleteFiles or DBRestore alone: by a
    // lock descriptor of their own, or by this instance's implicit opening,
    // taken out of the open databases with its connection closed.
    struct ExclusiveUse {
        LockFile locks;
        std::unique_ptr<OpenDatabase> implicitOpening;
    };
    // The stamp of the tip the instance last handed out or stored.
    struct SeenStamp {
        int32_t db = 0;
        int32_t tip = 0;
        std::string stamp;
    };

    // Shared steps.
    int32_t EnsureCatalog();
    bool OnServer() const { return !m_server.empty(); }
    // The place of a new database's store: its file, or on a server its schema.
    std::string NewDatabasePath(int32_t id) const;
    // The folder of the documents a database's tips name; on a server the
    // data folder's own.
    std::string DocumentsOf(const KnownDatabase& known) const;
    // The database's file; on a server the name it would have in its folder
    // of this machine.
    std::string LocalPathOf(const KnownDatabase& known) const;
    // The locks of a database: in its lock file, or on the server.
    bool OpenLocks(LockFile& locks, int32_t db, const std::string& path) const;
    int32_t OpenInto(int32_t db, std::unique_ptr<OpenDatabase>* out);
    int32_t OpenDatabaseById(int32_t db, OpenDatabase** out);
    // The open database, or kEngineNotOpen (kEngineNoSuchDatabase when the id
    // is not known at all).
    int32_t Opened(int32_t db, OpenDatabase** out);
    // The open database, or a temporary opening of it held by `temporary`.
    int32_t Borrow(int32_t db, OpenDatabase** out, std::unique_ptr<OpenDatabase>* temporary);
    void CloseDatabase(int32_t db);
    bool IsOpenedExplicitly(int32_t db) const;
    // kEngineInUse unless `use` now holds the database's files alone.
    int32_t TakeExclusiveUse(int32_t db, const std::string& path, ExclusiveUse* use);
    int32_t OpenedFukuro(OpenDatabase& database, int32_t fukuro, OpenFukuro** out);
    // kEngineReadOnly unless this instance may write the database, the
    // fukuros and every fukuro holding one of the tips.
    int32_t CheckWritable(OpenDatabase& database, const std::vector<int32_t>& fukuros,
                          const std::vector<int32_t>& tips);
    bool IsReadOnlyAt(OpenDatabase& database, int32_t fukuro, int32_t tip);
    // Hands the tip out in the layout of the read-only state last fixed.
    int32_t HandOut(OpenDatabase& database, int32_t tip, void** buffer);
    // GetTip's checks and load in one statement, on a file that keeps records.
    int32_t GetRecordedTip(OpenDatabase& database, int32_t fukuro, int32_t tip, void** buffer);
    // HandOut of the tip already in m_loaded.
    void HandOutLoaded(OpenDatabase& database, int32_t tip, const std::string& stamp, void** buffer);
    // Opens (or opens again) the fukuro and fixes the read-only state for it.
    void OpenFukuroAt(OpenDatabase& database, int32_t fukuro);
    char16_t* NewText(const std::u16string& text);
    int32_t TextOut(const EngineArg& arg, const std::string& utf8);
    void FollowWatchedDatabases();
    // ReadTip's two ways: each tip read on its own, or a walk without a
    // search through batches read ahead. *tip 0 at either end.
    int32_t ReadAt(OpenDatabase& database, int32_t fukuro, int option, int32_t* tip, void** buffer);
    bool WalksAhead(const OpenDatabase& database, int32_t fukuro, int option) const;
    int32_t ReadAhead(OpenDatabase& database, int32_t fukuro, bool forward, int32_t* tip, void** buffer);
    int32_t FillBatch(OpenDatabase& database, int32_t fukuro, OpenFukuro& state, bool forward);
    // Moves the read position; *tip 0 at either end.
    int32_t MoveCursor(OpenDatabase& database, int32_t fukuro, OpenFukuro& state, int option, int32_t* tip);
    int32_t NextMatching(OpenDatabase& database, int32_t fukuro, OpenFukuro& state, bool forward,
                         int32_t* tip);
    bool MatchesSearch(OpenDatabase& database, const OpenFukuro& state, int32_t tip);
    // The index of the tip the next ReadTip 1 would read from `cursor`.
    static int32_t NextIndex(DatabaseFile& file, int32_t fukuro, const Cursor& cursor, int32_t* index);

    // One member per operation, in table order.
    int32_t Open(const EngineArg* a);
    int32_t LockOpen(const EngineArg* a);
    int32_t Create(const EngineArg* a);
    int32_t Close(const EngineArg* a);
    int32_t Delete(const EngineArg* a);
    int32_t DBCheck(const EngineArg* a);
    int32_t DBBackup(const EngineArg* a);
    int32_t DBRestore(const EngineArg* a);
    int32_t DeleteFiles(const EngineArg* a);
    int32_t CheckAPID(const EngineArg* a);
    int32_t DeleteAPID(const EngineArg* a);
    int32_t CreateAPID(const EngineArg* a);
    int32_t GarbageAPID(const EngineArg* a);
    int32_t CheckBKFlg(const EngineArg* a);
    int32_t CheckRestore(const EngineArg* a);
    int32_t GetBackupDate(const EngineArg* a);
    int32_t DBLock(const EngineArg* a);
    int32_t DBUnLock(const EngineArg* a);
    int32_t SetPasswd(const EngineArg* a);
    int32_t GetPasswd(const EngineArg* a);
    int32_t SetAccount(const EngineArg* a);
    int32_t SetSecretPasswd(const EngineArg* a);
    int32_t GetSecretPasswd(const EngineArg* a);
    int32_t GetDllVersionInfo(const EngineArg* a);
    int32_t GetDBVersionInfo(const EngineArg* a);
    int32_t GetAllFukuroID(const EngineArg* a);
    int32_t IsSyncFukuro(const EngineArg* a);
    int32_t CancelAllSync(const EngineArg* a);
    int32_t FukuroOpen(const EngineArg* a);
    int32_t FukuroLockOpen(const EngineArg* a);
    int32_t FukuroCreate(const EngineArg* a);
    int32_t FukuroClose(const EngineArg* a);
    int32_t FukuroDelete(const EngineArg* a);
    int32_t SetFukuroName(const EngineArg* a);
    int32_t GetFukuroName(const EngineArg* a);
    int32_t FukuroSort(const EngineArg* a);
    int32_t GetFukuroSortCnd(const EngineArg* a);
    int32_t GetFukuroSize(const EngineArg* a);
    int32_t GetTipList(const EngineArg* a);
    int32_t PutTipToFukuro(const EngineArg* a);
    int32_t RemoveTipFromFukuro(const EngineArg* a);
    int32_t FukuroSeek(const EngineArg* a);
    int32_t PutKFl(const EngineArg* a);
    int32_t TipSearch(const EngineArg* a);
    int32_t ReadTip(const EngineArg* a);
    int32_t ReleaseTip(const EngineArg* a);
    int32_t GetTip(const EngineArg* a);
    int32_t PutTip(const EngineArg* a);
    int32_t RemoveTip(const EngineArg* a);
    int32_t UndoTip(const EngineArg* a);
    int32_t DupTip(const EngineArg* a);
    int32_t ModifyTip(const EngineArg* a);
    int32_t IsReadOnly(const EngineArg* a);
    int32_t GetAllDBID(const EngineArg* a);
    int32_t SetDBName(const EngineArg* a);
    int32_t GetDBName(const EngineArg* a);
    int32_t SetDefaultDBID(const EngineArg* a);
    int32_t GetDefaultDBID(const EngineArg* a);
    int32_t SetDBColor(const EngineArg* a);
    int32_t GetDBColor(const EngineArg* a);
    int32_t GetDBLocation(const EngineArg* a);
    int32_t SetDBID(const EngineArg* a);
    int32_t EstFileWriteLong(const EngineArg* a);
    int32_t EstFileReadLong(const EngineArg* a);
    int32_t EstFileWriteStr(const EngineArg* a);
    int32_t EstFileReadStr(const EngineArg* a);
    int32_t Init(const EngineArg* a);
    int32_t SetAdviseData(const EngineArg* a);
    int32_t DelAdviseData(const EngineArg* a);
    int32_t SetAdviseCategory(const EngineArg* a);
    int32_t DelAdviseCategory(const EngineArg* a);
    int32_t SetAdviseFree(const EngineArg* a);
    int32_t DelAdviseFree(const EngineArg* a);
    int32_t BeginAdviseData(const EngineArg* a);
    int32_t FreeAdviseData(const EngineArg* a);
    int32_t Set1DayView(const EngineArg* a);
    int32_t Set1DayMode(const EngineArg* a);
    int32_t SetPBMode(const EngineArg* a);
    int32_t Get1DayView(const EngineArg* a);
    int32_t Get1DayMode(const EngineArg* a);
    int32_t GetPBMode(const EngineArg* a);

    // Shared bodies of the twin operations.
    int32_t CreateFukuroNamed(const EngineArg& db, const EngineArg& out, const EngineArg& name, int32_t kind);
    int32_t SetSecret(const EngineArg* a, const char* key, size_t maxBytes);
    int32_t SetView(ViewMode mode, const EngineArg* a);
    int32_t GetView(ViewMode mode, const EngineArg* a);

    const HostServices* m_host;
    int m_pumpHook = 0;
    std::string m_dataFolder;
    std::string m_server;  // the libpq connection string of the store; empty for files
    Catalog m_catalog;
    std::map<int32_t, std::unique_ptr<OpenDatabase>> m_open;
    bool m_readOnly = false;  // the read-only state last fixed
    SeenStamp m_seen;
    // Working storage kept from call to call: the tip last loaded, the tip
    // last handed in, the keys of the last step through a fukuro.
    StoredTip m_loaded;
    OrderedRecord m_fetched;  // GetTip's record, its storage kept from one call to the next
    StoredTip m_incoming;
    std::vector<OrderKey> m_stepped;
    TipPool m_tips;
    std::set<char16_t*> m_texts;
    std::vector<int32_t> m_fukuroList;
    Notifier m_notifier;
};

}  // namespace engine
}  // namespace varo

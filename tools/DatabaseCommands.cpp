// varo db: the engine's list of known databases and their administration.
#include <cstdio>

#include "Commands.h"
#include "FieldDecoders.h"
#include "Progress.h"
#include "Results.h"
#include "Session.h"
#include "Text.h"

namespace varo {
namespace tool {
namespace {

// Delete's modes: forget the database, or delete its files and forget it.
const int kDeleteForget = 0;
const int kDeleteFilesAndForget = 2;

std::string BackupText(CVAROObj& kit, long db) {
    CPIMTime when;
    return kit.GetBackupDate(db, when) == 1 ? DateTimeText(when) : "-";
}

// Finds the database for a command that works on it without opening it.
int StartAndFind(KitSession& session, const std::string& argument, long* db) {
    if (!session.Start()) return kExitFailed;
    return session.FindDatabase(argument, db);
}

// Runs a long operation of the engine with the busy indicator up.
template <typename Operation>
long WhileBusy(const std::string& doing, Operation operation) {
    BusyIndicator busy(doing);
    return operation();
}

// Deleting files and restoring over the current data cannot be undone.
int RequireConfirmation(const Invocation& call, const std::string& warning) {
    if (call.Flag("yes")) return kExitOk;
    return ReportUsage(warning + "; add --yes to go ahead");
}

}  // namespace

int RunDbList(const Invocation&) {
    KitSession session;
    std::vector<long> ids;
    if (!session.Start()) return kExitFailed;
    if (!session.DatabaseIds(&ids)) return ReportFailure("the engine cannot list the databases");
    long fallback = 0;
    CVAROObj& kit = session.Kit();
    const long defaultDb = kit.GetDefaultDBID(&fallback) == 1 ? fallback : 0;
    printf("%5s  %-7s  %-20s  %-19s  %s\n", "ID", "DEFAULT", "NAME", "BACKUP", "FILE");
    for (long db : ids) {
        printf("%5ld  %-7s  %s  %-19s  %s\n", db, db == defaultDb ? "*" : "", PadRight(session.DatabaseName(db), 20).c_str(),
               BackupText(kit, db).c_str(), session.DatabaseFile(db).c_str());
    }
    return kExitOk;
}

int RunDbCreate(const Invocation& call) {
    CString name;
    if (!FromUtf8(call.args[0], &name)) return ReportUsage("the name cannot be written in Shift-JIS");
    if (name.IsEmpty()) return ReportUsage("a database needs a name");
    KitSession session;
    if (!session.Start()) return kExitFailed;
    long db = 0;
    const long code = session.Kit().Create(name, &db);
    if (code != 0 && db == 0) return ReportCode("cannot create the database", code);
    if (code != 0) return ReportCode("created database " + std::to_string(db) + " but could not seed it", code);
    printf("created %s in %s\n", session.DatabaseLabel(db).c_str(), session.DatabaseFile(db).c_str());
    return kExitOk;
}

int RunDbDelete(const Invocation& call) {
    const bool forgetOnly = call.Flag("forget");
    if (!forgetOnly) {
        const int confirmed = RequireConfirmation(call, "deleting a database's files cannot be undone");
        if (confirmed != kExitOk) return confirmed;
    }
    KitSession session;
    long db = 0;
    const int found = StartAndFind(session, call.args[0], &db);
    if (found != kExitOk) return found;
    const std::string label = session.DatabaseLabel(db);
    const std::string file = session.DatabaseFile(db);
    const long code = session.Kit().Delete(db, forgetOnly ? kDeleteForget : kDeleteFilesAndForget);
    if (code != 0) return ReportCode("cannot delete " + label, code);
    if (forgetOnly) {
        printf("forgot %s; its files stay in %s\n", label.c_str(), file.c_str());
    } else {
        printf("deleted %s\n", label.c_str());
    }
    return kExitOk;
}

int RunDbRename(const Invocation& call) {
    CString name;
    if (!FromUtf8(call.args[1], &name)) return ReportUsage("the name cannot be written in Shift-JIS");
    if (name.IsEmpty()) return ReportUsage("a database needs a name");
    KitSession session;
    long db = 0;
    const int found = StartAndFind(session, call.args[0], &db);
    if (found != kExitOk) return found;
    const std::string old = session.DatabaseLabel(db);
    if (session.Kit().SetDBName(db, name) != 1) return ReportFailure("the engine refused to rename " + old);
    printf("renamed %s to \"%s\"\n", old.c_str(), call.args[1].c_str());
    return kExitOk;
}

int RunDbDefault(const Invocation& call) {
    KitSession session;
    long db = 0;
    const int found = StartAndFind(session, call.args[0], &db);
    if (found != kExitOk) return found;
    // The kit hands on the engine's boolean here: 1 is success.
    if (session.Kit().SetDefaultDBID(db) != 1) {
        return ReportFailure("the engine refused to make " + session.DatabaseLabel(db) + " the default");
    }
    printf("%s is the default database\n", session.DatabaseLabel(db).c_str());
    return kExitOk;
}

int RunDbCheck(const Invocation& call) {
    KitSession session;
    long db = 0;
    const int found = StartAndFind(session, call.args[0], &db);
    if (found != kExitOk) return found;
    const std::string label = session.DatabaseLabel(db);
    const long code = WhileBusy("checking " + label, [&] { return session.Kit().DBCheck(db); });
    if (code != 0) return ReportCode("the check of " + label + " failed", code);
    printf("%s is sound\n", label.c_str());
    return kExitOk;
}

int RunDbBackup(const Invocation& call) {
    KitSession session;
    long db = 0;
    const int found = StartAndFind(session, call.args[0], &db);
    if (found != kExitOk) return found;
    const std::string label = session.DatabaseLabel(db);
    const long code = WhileBusy("backing up " + label, [&] { return session.Kit().DBBackup(db); });
    if (code != 0) return ReportCode("cannot back up " + label, code);
    printf("backed up %s at %s\n", label.c_str(), BackupText(session.Kit(), db).c_str());
    return kExitOk;
}

int RunDbRestore(const Invocation& call) {
    const int confirmed = RequireConfirmation(call, "restoring replaces everything changed since the backup");
    if (confirmed != kExitOk) return confirmed;
    KitSession session;
    long db = 0;
    const int found = StartAndFind(session, call.args[0], &db);
    if (found != kExitOk) return found;
    CVAROObj& kit = session.Kit();
    const std::string label = session.DatabaseLabel(db);
    long code = kit.CheckRestore(db);
    if (code != 0) return ReportCode("cannot restore " + label + " from its backup", code);
    const std::string taken = BackupText(kit, db);
    code = WhileBusy("restoring " + label, [&] { return kit.DBRestore(db); });
    if (code != 0) return ReportCode("cannot restore " + label, code);
    printf("restored %s from its backup of %s\n", label.c_str(), taken.c_str());
    return kExitOk;
}

}  // namespace tool
}  // namespace varo

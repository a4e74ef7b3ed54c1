// The meanings of the kit's and the engine's result codes, and the messages
// that carry them.
#include "Results.h"

#include <cstdio>

#include "EngineCodes.h"
#include "VAROObj.h"

namespace varo {
namespace tool {
namespace {

struct CodeText {
    long code;
    const char* meaning;
};

const CodeText kCodeTexts[] = {
    {VARO_ERR_OTHER_DATABASE, "the cabinet data in memory belongs to another database"},
    {VARO_ERR_VERSION, "the engine refused the version query"},
    {VARO_ERR_NOT_COPYABLE, "tips of this kind cannot be copied"},
    {VARO_ERR_CHANGED, "the tip was changed by another program since it was read"},
    {VARO_ERR_BOARD_FULL, "the page board already holds 90 tips"},
    {VARO_ERR_NO_CONTROL_TIP, "the control fukuro holds no control tip"},
    {VARO_ERR_TABLE_FULL, "the cabinet or folder table is full"},
    {VARO_ERR_NOT_LOADED, "the cabinet tables were never loaded"},
    {VARO_ERR_BAD_SORT, "no sort condition was given"},
    {VARO_ERR_NO_MEMORY, "out of memory, or an unreadable registry value or version"},
    {VARO_ERR_RANGE, "an index or mode is out of range"},
    {VARO_ERR_CANCELLED, "the chooser was closed without a choice"},
    {kEngineNoEngine, "no engine is loaded"},
    {kEngineNoSuchDatabase, "no such database"},
    {kEngineNotOpen, "the database is not open"},
    {kEngineLocked, "another program holds a lock on it"},
    {kEngineNoSuchFukuro, "no such fukuro"},
    {kEngineFukuroNotOpen, "the fukuro is not open"},
    {kEngineNoSuchTip, "no such tip"},
    {kEngineReadOnly, "read-only: the file is not writable or another program holds a lock"},
    {kEngineBadTipBuffer, "the engine refused the tip's fields"},
    {kEngineBadArgument, "the engine refused an argument"},
    {kEngineStorageError, "the storage failed"},
    {kEngineNoBackup, "there is no backup"},
    {kEngineFixedFukuro, "fixed fukuros cannot be deleted"},
    {kEngineNotFound, "not found"},
    {kEngineCorrupt, "the database file failed its check"},
    {kEngineFull, "the disk is full"},
    {kEngineInUse, "the database is open, here or in another program"},
    {kEngineChanged, "the tip was stored by another program since it was read"},
    {kEngineBusy, "other programs kept the database busy too long; try again"},
    {kEngineServerUnreachable, "the database server cannot be reached"},
    {kEngineServerTooNew, "the database server was set up by a newer version; update this program"},
};

void PrintMessage(const std::string& message) { fprintf(stderr, "varo: %s\n", message.c_str()); }

}  // namespace

const char* CodeMeaning(long code) {
    for (const CodeText& entry : kCodeTexts) {
        if (entry.code == code) return entry.meaning;
    }
    return "unknown code";
}

int ReportCode(const std::string& what, long code) {
    PrintMessage(what + ": code " + std::to_string(code) + " (" + CodeMeaning(code) + ")");
    return kExitFailed;
}

int ReportFailure(const std::string& message) {
    PrintMessage(message);
    return kExitFailed;
}

int ReportUsage(const std::string& message) {
    PrintMessage(message);
    return kExitUsage;
}

}  // namespace tool
}  // namespace varo

// Result codes of the engine, shared by the engine and the kit's engine host.
// The kit's own codes lie below 2000 and at 3000 and above; the engine's in
// between, so the two never meet.
#pragma once

namespace varo {

enum EngineCode : int {
    kEngineOk = 0,
    kEngineNoEngine = 2000,        // no engine loaded (before Init, after End)
    kEngineNoSuchDatabase = 2001,
    kEngineNotOpen = 2002,         // the database is not open in this instance
    kEngineLocked = 2003,          // another instance holds a lock
    kEngineNoSuchFukuro = 2004,
    kEngineFukuroNotOpen = 2005,
    kEngineNoSuchTip = 2006,
    kEngineReadOnly = 2007,
    kEngineBadTipBuffer = 2008,
    kEngineBadArgument = 2009,     // includes texts that are not code page 932
    kEngineStorageError = 2010,
    kEngineNoBackup = 2011,
    kEngineFixedFukuro = 2012,     // fixed fukuros cannot be deleted
    kEngineNotFound = 2013,        // no such value, password, account ...
    kEngineCorrupt = 2014,         // the database file failed its check
    kEngineFull = 2015,            // the disk is full
    kEngineInUse = 2016,           // open somewhere: the operation needs the database to itself
    kEngineChanged = 2017,         // the tip was stored by another writer since this instance read it
    kEngineBusy = 2018,            // other writers kept the database busy past the waiting bound
};

}  // namespace varo

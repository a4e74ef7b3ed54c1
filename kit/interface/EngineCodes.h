/// @file
/// Result codes of the engine, shared by the engine and the kit's engine host.
/// The kit's own codes lie below 2000 and at 3000 and above; the engine's in
/// between, so the two never meet. CVAROObj members hand them on unchanged.
#pragma once

/// The kit and its engine.
namespace varo {

/// A result code of the engine.
enum EngineCode : int {
    kEngineOk = 0,                 ///< success
    kEngineNoEngine = 2000,        ///< no engine loaded (before Init, after End)
    kEngineNoSuchDatabase = 2001,  ///< no database has this id
    kEngineNotOpen = 2002,         ///< the database is not open in this instance
    kEngineLocked = 2003,          ///< another instance holds a lock
    kEngineNoSuchFukuro = 2004,    ///< the database has no such fukuro
    kEngineFukuroNotOpen = 2005,   ///< the fukuro is not open in this instance
    kEngineNoSuchTip = 2006,       ///< no such tip (in that fukuro)
    kEngineReadOnly = 2007,        ///< the file is not writable or another instance holds a lock
    kEngineBadTipBuffer = 2008,    ///< the tip buffer breaks the kind's schema; nothing stored
    kEngineBadArgument = 2009,     ///< includes texts that are not code page 932
    kEngineStorageError = 2010,    ///< the storage failed
    kEngineNoBackup = 2011,        ///< the database has no backup
    kEngineFixedFukuro = 2012,     ///< fixed fukuros cannot be deleted
    kEngineNotFound = 2013,        ///< no such value, password, account ...
    kEngineCorrupt = 2014,         ///< the database file failed its check
    kEngineFull = 2015,            ///< the disk is full
    kEngineInUse = 2016,           ///< open somewhere: the operation needs the database to itself
    kEngineChanged = 2017,         ///< the tip was stored by another writer since this instance read it
    kEngineBusy = 2018,            ///< other writers kept the database busy past the waiting bound
    kEngineServerUnreachable = 2019,  ///< the database server cannot be reached
    kEngineServerTooNew = 2020,       ///< the server keeps its tables in a newer layout than this engine knows
};

}  // namespace varo

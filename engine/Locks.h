// Locks that every engine instance sees, in this process and in others.
//
// Each database has one lock file beside it. An instance opens its own
// descriptor of that file and takes open-file-description locks
// (F_OFD_SETLK) on single bytes of it; such locks separate two instances of
// one process as well as two processes, and the system drops them when the
// descriptor is closed or its process dies, so no lock outlives its holder.
//
//   byte 0           the database lock: written by LockOpen/DBLock; read by
//                    every holder of a fukuro lock, so that the two exclude
//                    each other while fukuro locks of different fukuros mix
//   byte 1           presence: read while the database is open; written by
//                    DeleteFiles and DBRestore, which need it to themselves
//   byte 16 + id     the lock of fukuro `id`
//
// The file's first 8 bytes hold the lock generation, mapped shared: every
// instance adds one after each change of its locks, so that an instance that
// found no other holding anything can trust that answer, without a system
// call, for as long as the generation stays. An answer that some other
// holds a lock is never kept: its holder may die, which drops the lock
// without moving the generation.
//
// On a server the same bytes are advisory locks of the server session
// (ServerDialect.h): a read lock a shared one, a write lock an exclusive
// one, keyed by the database's id and the byte's slot (byte 16 + id: the
// fukuro's id). They vanish with the session, when its process dies or its
// connection breaks; after a reconnection the instance holds nothing. There
// is no generation: every question asks the server, with a probe that takes
// a lock and gives it back, never a look at the server's lock table.
//
// Every Try call either takes what it asks for or leaves the instance's locks
// as they were. One instance, one thread.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "Sqlite.h"

namespace varo {
namespace engine {

class LockFile {
public:
    LockFile() = default;
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    ~LockFile();  // closing the descriptor drops every lock it holds

    // Opens (creating it 0600 when missing) the lock file; false when it can be
    // neither opened nor created. A file that cannot be written still gives
    // read locks, so presence works while every write lock is refused.
    bool Open(const std::string& path);
    // The locks of database `id` on the server; false when it cannot be reached.
    bool OpenOnServer(const std::string& server, int32_t id);
    void Close();

    bool TakePresence();
    bool TakeExclusiveUse();

    bool TryLockDatabase();
    void UnlockDatabase();
    bool HoldsDatabase() const { return m_database; }

    bool TryLockFukuro(int32_t fukuro);
    void UnlockFukuro(int32_t fukuro);
    bool HoldsFukuro(int32_t fukuro) const { return m_fukuros.count(fukuro) != 0; }

    // Whether another descriptor holds the database or fukuro lock.
    bool OtherHoldsDatabase() const;
    bool OtherHoldsFukuro(int32_t fukuro) const;
    // Whether another descriptor holds any lock that shuts this instance out:
    // the database lock, a fukuro lock or exclusive use. One probe of the
    // whole file, or none while the generation has not moved since a probe
    // found nothing; when it finds nothing, neither can the probes above.
    bool OtherHoldsAny();
    // On a server, sends the probe of OtherHoldsAny ahead, so that its
    // answer comes while the caller waits for its database: an
    // OtherHoldsAny while the returned guard lives reads it, and the guard
    // drops it unread, so that no later question gets an old answer.
    // Nothing on a file.
    class ProbeSentAhead {
    public:
        explicit ProbeSentAhead(LockFile& locks) : m_locks(locks) {}
        ProbeSentAhead(const ProbeSentAhead&) = delete;
        ProbeSentAhead& operator=(const ProbeSentAhead&) = delete;
        ~ProbeSentAhead() { m_locks.DropProbeAhead(); }

    private:
        LockFile& m_locks;
    };
    ProbeSentAhead ProbeAhead();

private:
    void MapGeneration(bool writable);
    uint64_t Generation() const;
    void BumpGeneration();
    // Sets the lock and, when that succeeds, moves the generation on.
    bool SetByte(int64_t offset, short type);
    // Whether another descriptor holds a write lock on `length` bytes from
    // `offset` (0: to the end of any file).
    bool OtherHolds(int64_t offset, int64_t length = 1) const;
    // The lock byte 0 should carry for the current holdings.
    short DatabaseByteType() const;
    bool SetServerByte(int64_t offset, short type);
    void DropProbeAhead();
    bool OtherHoldsOnServer(int64_t offset, int64_t length) const;
    // Forgets the holdings a lost server session took with it.
    void ForgetIfReconnected();

    int m_fd = -1;
    uint64_t* m_generation = nullptr;  // in the shared mapping; null without one
    bool m_movesGeneration = false;    // the mapping is writable
    bool m_quiet = false;              // the last probe found no other holding anything...
    uint64_t m_quietSince = 0;         // ...at this generation
    bool m_database = false;
    std::set<int32_t> m_fukuros;
    // On a server: the session and the lock type it holds on each byte.
    mutable Connection m_server;
    uint64_t m_serverEpoch = 0;
    std::map<int64_t, short> m_serverHeld;
    int m_serverExclusive = 0;  // exclusive locks held: the marker is held while there are any
};

}  // namespace engine
}  // namespace varo

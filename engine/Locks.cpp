#include "Locks.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varo {
namespace engine {
namespace {

const int64_t kDatabaseByte = 0;
const int64_t kPresenceByte = 1;
const int64_t kFirstFukuroByte = 16;
const size_t kGenerationBytes = sizeof(uint64_t);

int64_t FukuroByte(int32_t fukuro) { return kFirstFukuroByte + static_cast<uint32_t>(fukuro); }

int64_t ServerSlot(int64_t offset) {
    return offset < kFirstFukuroByte ? offset : offset - kFirstFukuroByte;
}

// Probes that take a lock and give it straight back: 1 when another session
// holds the key exclusively (a shared probe fails only then), and 1 when
// another holds the key at all (an exclusive probe of the session's own
// key).
const char kOtherHoldsExclusively[] =
    "SELECT CASE WHEN pg_try_advisory_lock_shared($1::bigint)"
    " THEN (NOT pg_advisory_unlock_shared($1::bigint))::int ELSE 1 END";
const char kOtherHoldsAtAll[] =
    "SELECT CASE WHEN pg_try_advisory_lock($1::bigint) THEN (NOT pg_advisory_unlock($1::bigint))::int ELSE 1 END";

struct flock Bytes(int64_t offset, int64_t length, short type) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = offset;
    lock.l_len = length;
    return lock;
}

struct flock OneByte(int64_t offset, short type) { return Bytes(offset, 1, type); }

}  // namespace

LockFile::~LockFile() { Close(); }

bool LockFile::Open(const std::string& path) {
    Close();
    m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    const bool writable = m_fd >= 0;
    if (m_fd < 0) m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (m_fd >= 0) MapGeneration(writable);
    return m_fd >= 0;
}

bool LockFile::OpenOnServer(const std::string& server, int32_t id) {
    Close();
    if (m_server.OpenServer(server, kServerCatalogSchema, id, false) != 0) return false;
    m_serverEpoch = m_server.Server()->Epoch();
    return true;
}

// Without a mapping every question is a probe. A file that cannot be
// written is mapped for reading when it is long enough: its instances take
// no lock that shuts others out, so they never need to move the generation.
void LockFile::MapGeneration(bool writable) {
    struct stat st;
    if (fstat(m_fd, &st) != 0) return;
    if (st.st_size < static_cast<off_t>(kGenerationBytes) &&
        (!writable || ftruncate(m_fd, static_cast<off_t>(kGenerationBytes)) != 0)) {
        return;
    }
    void* mapped = mmap(nullptr, kGenerationBytes, writable ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED, m_fd, 0);
    if (mapped == MAP_FAILED) return;
    m_generation = static_cast<uint64_t*>(mapped);
    m_movesGeneration = writable;
}

uint64_t LockFile::Generation() const { return __atomic_load_n(m_generation, __ATOMIC_ACQUIRE); }

// Only a writable mapping is ever moved: only a writable descriptor takes
// write locks.
void LockFile::BumpGeneration() {
    if (m_movesGeneration) __atomic_add_fetch(m_generation, 1, __ATOMIC_SEQ_CST);
}

// Closing the descriptor drops its locks; the generation moves after that,
// through the mapping, which outlives the descriptor.
// A server session's locks go only once its process has seen the
// connection close: they are given back first, so that others see them
// gone as soon as Close returns.
void LockFile::Close() {
    if (m_server.IsOpen()) m_server.Server()->UnlockAll();
    m_server.Close();
    m_serverHeld.clear();
    m_serverExclusive = 0;
    if (m_fd >= 0) close(m_fd);
    BumpGeneration();
    if (m_generation) munmap(m_generation, kGenerationBytes);
    m_generation = nullptr;
    m_movesGeneration = false;
    m_quiet = false;
    m_fd = -1;
    m_database = false;
    m_fukuros.clear();
}

// The generation moves after the lock changes, so that an instance that
// reads the new generation and then probes sees the change.
bool LockFile::SetByte(int64_t offset, short type) {
    if (m_server.IsOpen()) return SetServerByte(offset, type);
    if (m_fd < 0) return false;
    struct flock lock = OneByte(offset, type);
    if (fcntl(m_fd, F_OFD_SETLK, &lock) != 0) return false;
    BumpGeneration();
    return true;
}

// The new lock is taken before the old one goes, so that a change of type
// never lets another in between. The first exclusive lock of the session
// comes with its shared hold of the marker slot, which the last one's end
// gives back; the marker waits out the moment a probe holds it.
bool LockFile::SetServerByte(int64_t offset, short type) {
    ForgetIfReconnected();
    ServerConnection& server = *m_server.Server();
    const int64_t key = ServerLockKey(server.LockSpace(), ServerSlot(offset));
    const int64_t marker = ServerLockKey(server.LockSpace(), kHoldsExclusiveSlot);
    auto held = m_serverHeld.find(offset);
    const short current = held == m_serverHeld.end() ? F_UNLCK : held->second;
    if (current == type) return true;
    int64_t result = 0;
    const bool firstExclusive = type == F_WRLCK && m_serverExclusive == 0;
    if (firstExclusive && server.QueryNumber("SELECT 1 FROM (SELECT pg_advisory_lock_shared($1::bigint)) AS taken",
                                             {marker}, &result) != 0) {
        return false;
    }
    int64_t taken = 1;
    int rc = 0;
    if (type == F_RDLCK) rc = server.QueryNumber("SELECT pg_try_advisory_lock_shared($1::bigint)::int", {key}, &taken);
    if (type == F_WRLCK) rc = server.QueryNumber("SELECT pg_try_advisory_lock($1::bigint)::int", {key}, &taken);
    if (rc != 0 || taken != 1) {
        if (firstExclusive) server.QueryNumber("SELECT pg_advisory_unlock_shared($1::bigint)::int", {marker}, &result);
        return false;
    }
    if (current == F_RDLCK) server.QueryNumber("SELECT pg_advisory_unlock_shared($1::bigint)::int", {key}, &result);
    if (current == F_WRLCK) server.QueryNumber("SELECT pg_advisory_unlock($1::bigint)::int", {key}, &result);
    if (type == F_WRLCK) ++m_serverExclusive;
    if (current == F_WRLCK && --m_serverExclusive == 0) {
        server.QueryNumber("SELECT pg_advisory_unlock_shared($1::bigint)::int", {marker}, &result);
    }
    if (type == F_UNLCK) {
        m_serverHeld.erase(offset);
    } else {
        m_serverHeld[offset] = type;
    }
    return true;
}

// A server that cannot answer reports no other holder: the instance's own
// writes then fail on the same server. The whole file is asked through the
// marker slot that every holder of an exclusive lock holds.
bool LockFile::OtherHoldsOnServer(int64_t offset, int64_t length) const {
    ServerConnection& server = *m_server.Server();
    const bool any = length == 0;
    const int64_t key = ServerLockKey(server.LockSpace(), any ? kHoldsExclusiveSlot : ServerSlot(offset));
    Statement probe = m_server.Prepare(any ? kOtherHoldsAtAll : kOtherHoldsExclusively);
    return probe.Bind(1, key).Next() && probe.Int(0) == 1;
}

LockFile::ProbeSentAhead LockFile::ProbeAhead() {
    if (m_server.IsOpen()) {
        const int64_t key = ServerLockKey(m_server.Server()->LockSpace(), kHoldsExclusiveSlot);
        m_server.Prepare(kOtherHoldsAtAll).Bind(1, key).SendAhead();
    }
    return ProbeSentAhead(*this);
}

void LockFile::DropProbeAhead() {
    if (m_server.IsOpen()) m_server.Server()->DropAnswerAhead();
}

void LockFile::ForgetIfReconnected() {
    const uint64_t epoch = m_server.Server()->Epoch();
    if (epoch == m_serverEpoch) return;
    m_serverEpoch = epoch;
    m_serverHeld.clear();
    m_serverExclusive = 0;
    m_database = false;
    m_fukuros.clear();
}

bool LockFile::OtherHolds(int64_t offset, int64_t length) const {
    if (m_server.IsOpen()) return OtherHoldsOnServer(offset, length);
    if (m_fd < 0) return false;
    // A read probe conflicts only with another descriptor's write lock.
    struct flock probe = Bytes(offset, length, F_RDLCK);
    return fcntl(m_fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

short LockFile::DatabaseByteType() const {
    if (m_database) return F_WRLCK;
    return m_fukuros.empty() ? F_UNLCK : F_RDLCK;
}

bool LockFile::TakePresence() { return SetByte(kPresenceByte, F_RDLCK); }

bool LockFile::TakeExclusiveUse() { return SetByte(kPresenceByte, F_WRLCK); }

bool LockFile::TryLockDatabase() {
    if (m_database) return true;
    if (!SetByte(kDatabaseByte, F_WRLCK)) return false;
    m_database = true;
    return true;
}

void LockFile::UnlockDatabase() {
    if (!m_database) return;
    m_database = false;
    SetByte(kDatabaseByte, DatabaseByteType());
}

bool LockFile::TryLockFukuro(int32_t fukuro) {
    if (HoldsFukuro(fukuro)) return true;
    const bool firstFukuro = m_fukuros.empty() && !m_database;
    if (firstFukuro && !SetByte(kDatabaseByte, F_RDLCK)) return false;
    if (!SetByte(FukuroByte(fukuro), F_WRLCK)) {
        if (firstFukuro) SetByte(kDatabaseByte, F_UNLCK);
        return false;
    }
    m_fukuros.insert(fukuro);
    return true;
}

void LockFile::UnlockFukuro(int32_t fukuro) {
    if (m_fukuros.erase(fukuro) == 0) return;
    SetByte(FukuroByte(fukuro), F_UNLCK);
    SetByte(kDatabaseByte, DatabaseByteType());
}

bool LockFile::OtherHoldsDatabase() const { return OtherHolds(kDatabaseByte); }

bool LockFile::OtherHoldsFukuro(int32_t fukuro) const { return OtherHolds(FukuroByte(fukuro)); }

// Every lock that shuts others out is a write lock, and a read probe of the
// whole file meets any of them; the presence and fukuro-holder read locks
// on bytes 0 and 1 pass it.
//
// The generation is read before the probe: a lock taken after the probe
// moves it past the value kept, and the next call probes again.
bool LockFile::OtherHoldsAny() {
    if (m_server.IsOpen()) {
        const bool held = OtherHolds(0, 0);
        ForgetIfReconnected();
        return held;
    }
    if (!m_generation) return OtherHolds(0, 0);
    const uint64_t generation = Generation();
    if (m_quiet && generation == m_quietSince) return false;
    const bool held = OtherHolds(0, 0);
    m_quiet = !held;
    m_quietSince = generation;
    return held;
}

}  // namespace engine
}  // namespace varo

#include "Locks.h"

#include <fcntl.h>
#include <unistd.h>

namespace varo {
namespace engine {
namespace {

const int64_t kDatabaseByte = 0;
const int64_t kPresenceByte = 1;
const int64_t kFirstFukuroByte = 16;

int64_t FukuroByte(int32_t fukuro) { return kFirstFukuroByte + static_cast<uint32_t>(fukuro); }

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
    if (m_fd < 0) m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    return m_fd >= 0;
}

void LockFile::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    m_database = false;
    m_fukuros.clear();
}

bool LockFile::SetByte(int64_t offset, short type) {
    if (m_fd < 0) return false;
    struct flock lock = OneByte(offset, type);
    return fcntl(m_fd, F_OFD_SETLK, &lock) == 0;
}

bool LockFile::OtherHolds(int64_t offset, int64_t length) const {
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
bool LockFile::OtherHoldsAny() const { return OtherHolds(0, 0); }

}  // namespace engine
}  // namespace varo

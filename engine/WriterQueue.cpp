#include "WriterQueue.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <ctime>

namespace varo {
namespace engine {
namespace {

const int64_t kCounterByte = 0;
const int64_t kFirstSlotByte = 4096;
const uint32_t kSlots = 65536;
// Tickets this far back are looked at; more writers than this never wait at once.
const uint32_t kWindow = kSlots / 2 - 1;
const size_t kNextTicketOffset = 0;
const size_t kSleepersOffset = 8;
const size_t kFirstBellOffset = kFirstSlotByte + kSlots;
const size_t kFileSize = kFirstBellOffset + kSlots * sizeof(uint32_t);
// A waiter looks again at least this often, in case the writer before it
// died without ringing.
const std::chrono::milliseconds kLongestSleep(10);

bool SetLock(int fd, int command, int64_t offset, int64_t length, short type) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = offset;
    lock.l_len = length;
    return fcntl(fd, command, &lock) == 0;
}

int64_t SlotByte(uint32_t ticket) { return kFirstSlotByte + ticket % kSlots; }

// The ticket counter as stored in the mapped file, little-endian; read and
// written only under the counter's lock.
uint32_t ReadCounter(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void WriteCounter(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Sleeps while the bell still reads `heard`, at most `longest`; a ring, a
// signal or the time-out ends the sleep. The sleeper is counted before the
// bell is compared, so that a ringer that finds no sleeper has rung before
// the comparison, which then fails at once.
void SleepUntilRung(uint32_t* bell, uint32_t heard, uint32_t* sleepers, std::chrono::nanoseconds longest) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(longest);
    struct timespec timeout = {};
    timeout.tv_sec = static_cast<time_t>(seconds.count());
    timeout.tv_nsec = static_cast<long>((longest - seconds).count());
    __atomic_fetch_add(sleepers, 1, __ATOMIC_SEQ_CST);
    syscall(SYS_futex, bell, FUTEX_WAIT, heard, &timeout, nullptr, 0);
    __atomic_fetch_sub(sleepers, 1, __ATOMIC_SEQ_CST);
}

// Without a sleeper anywhere in the line there is nobody to wake, and the
// system call is saved. A sleeper killed in its sleep leaves the count
// raised, which costs later rings only that call.
void Ring(uint32_t* bell, const uint32_t* sleepers) {
    __atomic_fetch_add(bell, 1, __ATOMIC_SEQ_CST);
    if (__atomic_load_n(sleepers, __ATOMIC_SEQ_CST) != 0) {
        syscall(SYS_futex, bell, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
    }
}

}  // namespace

WriterQueue::~WriterQueue() { Close(); }

// Growing the file to its full size is harmless when another process does
// it at the same time; it never shrinks, so the mapping stays backed.
bool WriterQueue::Open(const std::string& path) {
    Close();
    m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat st;
    if (m_fd < 0 || fstat(m_fd, &st) != 0 ||
        (static_cast<size_t>(st.st_size) < kFileSize && ftruncate(m_fd, static_cast<off_t>(kFileSize)) != 0)) {
        Close();
        return false;
    }
    void* mapped = mmap(nullptr, kFileSize, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
    if (mapped == MAP_FAILED) {
        Close();
        return false;
    }
    m_map = static_cast<uint8_t*>(mapped);
    return true;
}

void WriterQueue::Close() {
    if (m_map) munmap(m_map, kFileSize);
    m_map = nullptr;
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    m_inside = false;
}

uint32_t* WriterQueue::Bell(uint32_t ticket) const {
    return reinterpret_cast<uint32_t*>(m_map + kFirstBellOffset + sizeof(uint32_t) * (ticket % kSlots));
}

uint32_t* WriterQueue::Sleepers() const { return reinterpret_cast<uint32_t*>(m_map + kSleepersOffset); }

// The counter's lock is held for a read and a write of four bytes by a
// live process, so waiting for it blocks only briefly.
bool WriterQueue::TakeTicket() {
    if (!SetLock(m_fd, F_OFD_SETLKW, kCounterByte, 1, F_WRLCK)) return false;
    const uint32_t ticket = ReadCounter(m_map + kNextTicketOffset);
    const bool taken = SetLock(m_fd, F_OFD_SETLK, SlotByte(ticket), 1, F_WRLCK);
    if (taken) WriteCounter(m_map + kNextTicketOffset, ticket + 1);
    SetLock(m_fd, F_OFD_SETLK, kCounterByte, 1, F_UNLCK);
    if (taken) m_ticket = ticket;
    return taken;
}

bool WriterQueue::SlotRangeHeld(int64_t firstSlot, int64_t count) const {
    // A read probe meets another descriptor's write lock, never this one's own.
    struct flock probe = {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = kFirstSlotByte + firstSlot;
    probe.l_len = count;
    return fcntl(m_fd, F_OFD_GETLK, &probe) != 0 || probe.l_type != F_UNLCK;
}

// The window of earlier tickets wraps around the ring of slots at most once.
bool WriterQueue::EarlierWriterWaiting() const {
    const int64_t first = (m_ticket - kWindow) % kSlots;
    const int64_t untilEnd = kSlots - first;
    if (untilEnd >= kWindow) return SlotRangeHeld(first, kWindow);
    return SlotRangeHeld(first, untilEnd) || SlotRangeHeld(0, kWindow - untilEnd);
}

// The bell is read before the look, so that a ring between the look and
// the sleep wakes the sleep at once.
bool WriterQueue::Enter(std::chrono::milliseconds bound) {
    if (m_fd < 0 || m_inside) return m_inside;
    const auto deadline = std::chrono::steady_clock::now() + bound;
    if (!TakeTicket()) return false;
    uint32_t* bell = Bell(m_ticket);
    for (;;) {
        const uint32_t heard = __atomic_load_n(bell, __ATOMIC_SEQ_CST);
        if (!EarlierWriterWaiting()) break;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            LeaveLine();
            return false;
        }
        SleepUntilRung(bell, heard, Sleepers(), std::min<std::chrono::nanoseconds>(deadline - now, kLongestSleep));
    }
    m_inside = true;
    return true;
}

void WriterQueue::Leave() {
    if (!m_inside) return;
    LeaveLine();
    m_inside = false;
}

// The slot is given up before the next ticket's bell rings, so that the
// writer woken finds it free.
void WriterQueue::LeaveLine() {
    SetLock(m_fd, F_OFD_SETLK, SlotByte(m_ticket), 1, F_UNLCK);
    Ring(Bell(m_ticket + 1), Sleepers());
}

}  // namespace engine
}  // namespace varo

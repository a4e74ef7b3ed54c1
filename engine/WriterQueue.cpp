#include "WriterQueue.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

namespace varo {
namespace engine {
namespace {

const int64_t kCounterByte = 0;
const int64_t kFirstSlotByte = 4096;
const uint32_t kSlots = 65536;
// Tickets this far back are looked at; more writers than this never wait at once.
const uint32_t kWindow = kSlots / 2 - 1;
const int64_t kNextTicketOffset = 0;
const int64_t kServedTicketOffset = 4;
// The pause between looks grows with the writers ahead, so that those far
// back in the line leave the processor to the one inside.
const std::chrono::microseconds kPausePerWriterAhead(60);
const std::chrono::microseconds kLongestPause(2000);

bool SetLock(int fd, int command, int64_t offset, int64_t length, short type) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = offset;
    lock.l_len = length;
    return fcntl(fd, command, &lock) == 0;
}

int64_t SlotByte(uint32_t ticket) { return kFirstSlotByte + ticket % kSlots; }

// A counter as stored; a new or short file counts from 0.
uint32_t ReadCounter(int fd, int64_t offset) {
    uint8_t bytes[4] = {};
    if (pread(fd, bytes, sizeof bytes, offset) != static_cast<ssize_t>(sizeof bytes)) return 0;
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool WriteCounter(int fd, int64_t offset, uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return pwrite(fd, bytes, sizeof bytes, offset) == static_cast<ssize_t>(sizeof bytes);
}

}  // namespace

WriterQueue::~WriterQueue() { Close(); }

bool WriterQueue::Open(const std::string& path) {
    Close();
    m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    return m_fd >= 0;
}

void WriterQueue::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    m_inside = false;
}

// The counter's lock is held for a read and a write of four bytes by a
// live process, so waiting for it blocks only briefly.
bool WriterQueue::TakeTicket() {
    if (!SetLock(m_fd, F_OFD_SETLKW, kCounterByte, 1, F_WRLCK)) return false;
    const uint32_t ticket = ReadCounter(m_fd, kNextTicketOffset);
    const bool taken = WriteCounter(m_fd, kNextTicketOffset, ticket + 1) &&
                       SetLock(m_fd, F_OFD_SETLK, SlotByte(ticket), 1, F_WRLCK);
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

bool WriterQueue::Enter(std::chrono::milliseconds bound) {
    if (m_fd < 0 || m_inside) return m_inside;
    const auto deadline = std::chrono::steady_clock::now() + bound;
    if (!TakeTicket()) return false;
    while (EarlierWriterWaiting()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            SetLock(m_fd, F_OFD_SETLK, SlotByte(m_ticket), 1, F_UNLCK);
            return false;
        }
        std::this_thread::sleep_for(Pause());
    }
    m_inside = true;
    WriteCounter(m_fd, kServedTicketOffset, m_ticket);
    return true;
}

// The ticket last served tells how many are ahead only roughly (a writer
// that gave up or died never wrote it), which is enough to pace the looks.
std::chrono::microseconds WriterQueue::Pause() const {
    const uint32_t ahead = m_ticket - ReadCounter(m_fd, kServedTicketOffset);
    if (ahead > kWindow) return kPausePerWriterAhead;
    return std::min(kLongestPause, kPausePerWriterAhead * static_cast<int64_t>(ahead));
}

void WriterQueue::Leave() {
    if (!m_inside) return;
    SetLock(m_fd, F_OFD_SETLK, SlotByte(m_ticket), 1, F_UNLCK);
    m_inside = false;
}

}  // namespace engine
}  // namespace varo

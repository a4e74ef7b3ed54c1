// The line that the writers of one database wait in, across engine
// instances and processes, so that under contention each change gets its
// turn in the order it arrived instead of racing SQLite's busy handler,
// which lets a late comer overtake one that has waited for seconds.
//
// The queue is a file beside the database. Every writer opens its own
// descriptor, maps the file, and takes open-file-description locks (fcntl
// F_OFD_*) on it:
//
//   bytes 0-3        the number of the next ticket, 32-bit little-endian
//   bytes 8-11       how many writers sleep on a bell now, so that a writer
//                    that leaves with nobody asleep makes no wake-up call
//   byte 0 (lock)    the ticket counter's lock, held just long enough to
//                    read and advance the number and to take the slot
//   byte 4096 + n    slot n: write-locked by the holder of a ticket t with
//                    t mod 65536 = n, from taking the ticket until it leaves
//   bell n at 69632 + 4n
//                    a word of the file mapped into every writer, rung (its
//                    value changed, futex waiters woken) by ticket t - 1 as
//                    it leaves; its value means nothing else
//
// A writer with ticket t waits until no slot of the 32767 tickets before it
// is held: those writers have all left, and since each took its slot while
// holding the counter's lock, no earlier writer can still be on its way.
// The system drops the locks of a descriptor when it is closed or its
// process dies, so a dead writer never holds up the line; one that waited
// past the bound leaves its slot, and those behind it go on.
//
// A waiter sleeps on its ticket's bell between looks at the slots rather
// than blocking in F_OFD_SETLKW, which has no time-out: only the next
// writer wakes at each turn, and a writer before it that died without
// ringing costs it at most a short sleep. One instance, one thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace varo {
namespace engine {

class WriterQueue {
public:
    WriterQueue() = default;
    WriterQueue(const WriterQueue&) = delete;
    WriterQueue& operator=(const WriterQueue&) = delete;
    ~WriterQueue();  // closing the descriptor gives up any place in the line

    // Opens (creating it 0600 when missing) the queue file; false when it
    // can be neither opened nor created for writing.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Takes a ticket and waits until every writer that came before has left.
    // False when that takes longer than `bound` (the place is given up) or
    // the queue file fails.
    bool Enter(std::chrono::milliseconds bound);
    // Gives the turn to the next writer; nothing when not entered.
    void Leave();
    bool Inside() const { return m_inside; }

private:
    bool TakeTicket();
    bool EarlierWriterWaiting() const;
    bool SlotRangeHeld(int64_t firstSlot, int64_t count) const;
    uint32_t* Bell(uint32_t ticket) const;
    uint32_t* Sleepers() const;
    // Gives up the slot and wakes the writer after.
    void LeaveLine();

    int m_fd = -1;
    uint8_t* m_map = nullptr;
    bool m_inside = false;
    uint32_t m_ticket = 0;
};

}  // namespace engine
}  // namespace varo

// Progress of long operations, drawn on one line of the user's terminal.
//
// Both classes draw on stderr only when stderr is a terminal; otherwise they
// do nothing at all, so piped or captured output stays exactly the result.
// The line is cleared when the object is destroyed, before the operation's
// own result is printed.
//
// CountedProgress is for work the caller counts (tips listed). BusyIndicator
// is for one long call that reports nothing while it runs (a backup, a
// restore, a check): a thread of its own redraws an elapsed-time line until
// the object is destroyed. That thread only writes to stderr; it never
// touches the kit, which stays on the calling thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace varo {
namespace tool {

// True when progress lines are drawn: stderr is a terminal.
bool ProgressVisible();

class CountedProgress {
public:
    CountedProgress(const std::string& label, long total);
    ~CountedProgress();
    CountedProgress(const CountedProgress&) = delete;
    CountedProgress& operator=(const CountedProgress&) = delete;

    // Redraws at most ten times a second.
    void Advance(long done);

private:
    void Draw(long done);

    std::string m_label;
    long m_total;
    bool m_visible;
    std::chrono::steady_clock::time_point m_lastDraw;
};

class BusyIndicator {
public:
    explicit BusyIndicator(const std::string& label);
    ~BusyIndicator();
    BusyIndicator(const BusyIndicator&) = delete;
    BusyIndicator& operator=(const BusyIndicator&) = delete;

private:
    void Draw(unsigned frame);
    void Run();

    std::string m_label;
    std::chrono::steady_clock::time_point m_start;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace tool
}  // namespace varo

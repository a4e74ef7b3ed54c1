// Progress lines on a terminal: "\r" redraws, "\x1b[K" clears what is left of
// a longer line before.
#include "Progress.h"

#include <unistd.h>

#include <cstdio>

namespace varo {
namespace tool {
namespace {

const auto kRedrawInterval = std::chrono::milliseconds(100);
const char kClearLine[] = "\r\x1b[K";
const char kSpinner[] = "|/-\\";

}  // namespace

bool ProgressVisible() { return isatty(STDERR_FILENO) == 1; }

CountedProgress::CountedProgress(const std::string& label, long total)
    : m_label(label), m_total(total), m_visible(ProgressVisible()), m_lastDraw() {
    if (m_visible) Draw(0);
}

CountedProgress::~CountedProgress() {
    if (!m_visible) return;
    fputs(kClearLine, stderr);
    fflush(stderr);
}

void CountedProgress::Advance(long done) {
    if (!m_visible) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastDraw < kRedrawInterval && done < m_total) return;
    Draw(done);
}

void CountedProgress::Draw(long done) {
    m_lastDraw = std::chrono::steady_clock::now();
    const long percent = m_total > 0 ? done * 100 / m_total : 100;
    fprintf(stderr, "%s%s %ld/%ld (%ld%%)", kClearLine, m_label.c_str(), done, m_total, percent);
    fflush(stderr);
}

BusyIndicator::BusyIndicator(const std::string& label)
    : m_label(label), m_start(std::chrono::steady_clock::now()) {
    if (!ProgressVisible()) return;
    // The first frame is drawn at once, so that even a quick call shows what
    // it was doing.
    Draw(0);
    m_thread = std::thread(&BusyIndicator::Run, this);
}

BusyIndicator::~BusyIndicator() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
    fputs(kClearLine, stderr);
    fflush(stderr);
}

void BusyIndicator::Draw(unsigned frame) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    fprintf(stderr, "%s%s %c %.1fs", kClearLine, m_label.c_str(), kSpinner[frame % 4], seconds);
    fflush(stderr);
}

void BusyIndicator::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (unsigned frame = 1; !m_wake.wait_for(lock, kRedrawInterval, [this] { return m_stop; }); ++frame) {
        Draw(frame);
    }
}

}  // namespace tool
}  // namespace varo

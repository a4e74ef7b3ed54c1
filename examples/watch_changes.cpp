// watch_changes: prints each change notification of a database as it
// arrives, made by this or any other program of the user.
//
//   watch_changes DB [COUNT]     (stops after COUNT notices; default never)
//
// Build against an installed kit, with CMake (find_package(varokit)) or with
//   c++ -std=c++17 watch_changes.cpp $(pkg-config --cflags --libs varokit)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "VAROObj.h"
#include "Window.h"

namespace {

// The owner window the engine posts its notices to.
class Watcher : public CWnd {
public:
    explicit Watcher(CVAROObj& kit) : m_kit(kit) {}
    long Seen() const { return m_seen; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ON_ADVISEDATA) {
            // wParam is the database; lParam a notice the engine lent us.
            std::printf("tips changed in database %lu\n", static_cast<unsigned long>(wParam));
            m_kit.FreeAdviseData(static_cast<long>(lParam));
        } else if (message == WM_ON_ADVISEDBNAME) {
            std::printf("database %lu renamed\n", static_cast<unsigned long>(wParam));
        } else if (message == WM_ON_ADVISEDBCOLOR) {
            std::printf("database %lu recoloured\n", static_cast<unsigned long>(wParam));
        } else {
            return CWnd::WindowProc(message, wParam, lParam);
        }
        std::fflush(stdout);
        ++m_seen;
        return 0;
    }

private:
    CVAROObj& m_kit;
    long m_seen = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: watch_changes DB [COUNT]\n");
        return 2;
    }
    const long db = std::strtol(argv[1], nullptr, 10);
    const long count = argc == 3 ? std::strtol(argv[2], nullptr, 10) : -1;

    CVAROObj kit;
    Watcher window(kit);
    if (!window.Create(nullptr) || !kit.Init(&window)) {
        std::fprintf(stderr, "watch_changes: cannot load the engine\n");
        return 1;
    }
    // One item: this database, any fukuro (0), any tip (0).
    CChkItem everything(static_cast<int32_t>(db), 0, 0);
    CChkItemList watch;
    watch.Add(&everything);
    long code = kit.Open(db);
    if (code == 0) code = kit.SetAdviseData(&watch);
    if (code == 0) code = kit.BeginAdviseData();
    if (code != 0) {
        std::fprintf(stderr, "watch_changes: cannot watch database %ld (code %ld)\n", db, code);
        kit.End();
        return 1;
    }
    std::printf("watching database %ld\n", db);
    std::fflush(stdout);
    // Notices from other programs are picked up while the queue is pumped.
    while (count < 0 || window.Seen() < count) {
        PumpMessages();
        usleep(20000);
    }
    kit.DelAdviseData(&watch);
    kit.Close(db);
    kit.End();
    window.DestroyWindow();
    return 0;
}

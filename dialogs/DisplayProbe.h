// Whether the chooser can open a window before it makes a QApplication.
// Qt ends the whole process when none of the platforms it tries can start
// (an X display named in DISPLAY that no server answers, a Wayland socket
// that is gone), so DBSelect asks here first and reports the chooser closed
// instead.
//
// Only the two display platforms are probed; any other platform named in
// QT_QPA_PLATFORM (offscreen, minimal, ...) needs no display and is taken
// as able to start. Without QT_QPA_PLATFORM the chooser names the platforms
// itself, those that can start, in the order the session prefers.
#pragma once

#include <functional>
#include <string>

namespace varo {
namespace dialogs {

struct DisplayEnvironment {
    std::string qpaPlatform;     // QT_QPA_PLATFORM
    std::string sessionType;     // XDG_SESSION_TYPE
    std::string x11Display;      // DISPLAY
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string runtimeDir;      // XDG_RUNTIME_DIR

    static DisplayEnvironment OfProcess();
};

struct DisplayProbes {
    // True when an X server at `display` accepts a client.
    std::function<bool(const std::string& display)> x11;
    // True when a Wayland compositor listens on the socket at `path` and Qt
    // has a platform plugin to talk to it.
    std::function<bool(const std::string& path)> wayland;

    static DisplayProbes OfSystem();
};

struct PlatformChoice {
    bool canStart = false;
    // The platform list to start Qt with ("xcb", "wayland;xcb", ...); empty
    // to leave Qt's own choice, the one QT_QPA_PLATFORM names.
    std::string platforms;
};

PlatformChoice ChoosePlatform(const DisplayEnvironment& environment, const DisplayProbes& probes);

// The system probes, for themselves: an X connection with the X client
// library as the platform plugin makes it (loaded at run time, so that the
// chooser needs it only where X is used), and a connection to a socket.
bool XDisplayAccepts(const std::string& display);
bool SocketAccepts(const std::string& path);

}  // namespace dialogs
}  // namespace varo

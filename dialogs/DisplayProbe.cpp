#include "DisplayProbe.h"

#include <QDir>
#include <QLibraryInfo>
#include <QStringList>
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace varo {
namespace dialogs {

namespace {

const char* const kX11Platform = "xcb";
const char* const kWaylandPlatform = "wayland";

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The socket a Wayland client connects to: WAYLAND_DISPLAY itself when it
// is a path, else that name in the runtime folder; empty when there is none.
std::string WaylandSocket(const DisplayEnvironment& environment) {
    const std::string& name = environment.waylandDisplay;
    if (name.empty()) return "";
    if (name[0] == '/') return name;
    if (environment.runtimeDir.empty()) return "";
    return environment.runtimeDir + "/" + name;
}

bool X11Usable(const DisplayEnvironment& environment, const DisplayProbes& probes) {
    return !environment.x11Display.empty() && probes.x11(environment.x11Display);
}

bool WaylandUsable(const DisplayEnvironment& environment, const DisplayProbes& probes) {
    const std::string socket = WaylandSocket(environment);
    return !socket.empty() && probes.wayland(socket);
}

// An entry of a platform list is a name and optional ":"-separated
// arguments; the Wayland plugins all have names beginning "wayland".
bool EntryUsable(const std::string& entry, const DisplayEnvironment& environment, const DisplayProbes& probes) {
    const std::string name = entry.substr(0, entry.find(':'));
    if (name == kX11Platform) return X11Usable(environment, probes);
    if (StartsWith(name, kWaylandPlatform)) return WaylandUsable(environment, probes);
    return !name.empty();
}

bool WaylandPluginInstalled() {
    QStringList folders;
    const QString qpaFolder = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
    if (!qpaFolder.isEmpty()) folders << qpaFolder;
    for (const QString& folder : qEnvironmentVariable("QT_PLUGIN_PATH").split(':', Qt::SkipEmptyParts)) {
        folders << folder + QStringLiteral("/platforms");
    }
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    for (const QString& folder : folders) {
        if (!QDir(folder).entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty()) return true;
    }
    return false;
}

// The three calls of the X client library that a connection check needs.
struct XcbLibrary {
    XcbLibrary() : handle(dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL)) {
        if (!handle) return;
        connect = reinterpret_cast<Connect>(dlsym(handle, "xcb_connect"));
        hasError = reinterpret_cast<HasError>(dlsym(handle, "xcb_connection_has_error"));
        disconnect = reinterpret_cast<Disconnect>(dlsym(handle, "xcb_disconnect"));
    }
    ~XcbLibrary() {
        if (handle) dlclose(handle);
    }
    XcbLibrary(const XcbLibrary&) = delete;
    XcbLibrary& operator=(const XcbLibrary&) = delete;
    bool Loaded() const { return connect && hasError && disconnect; }

    typedef void* (*Connect)(const char* display, int* screen);
    typedef int (*HasError)(void* connection);
    typedef void (*Disconnect)(void* connection);
    void* handle;
    Connect connect = nullptr;
    HasError hasError = nullptr;
    Disconnect disconnect = nullptr;
};

}  // namespace

DisplayEnvironment DisplayEnvironment::OfProcess() {
    DisplayEnvironment environment;
    environment.qpaPlatform = Variable("QT_QPA_PLATFORM");
    environment.sessionType = Variable("XDG_SESSION_TYPE");
    environment.x11Display = Variable("DISPLAY");
    environment.waylandDisplay = Variable("WAYLAND_DISPLAY");
    environment.runtimeDir = Variable("XDG_RUNTIME_DIR");
    return environment;
}

DisplayProbes DisplayProbes::OfSystem() {
    DisplayProbes probes;
    probes.x11 = XDisplayAccepts;
    probes.wayland = [](const std::string& path) { return WaylandPluginInstalled() && SocketAccepts(path); };
    return probes;
}

PlatformChoice ChoosePlatform(const DisplayEnvironment& environment, const DisplayProbes& probes) {
    PlatformChoice choice;
    if (!environment.qpaPlatform.empty()) {
        for (const std::string& entry : Split(environment.qpaPlatform, ';')) {
            if (EntryUsable(entry, environment, probes)) choice.canStart = true;
        }
        return choice;
    }
    const bool waylandFirst = environment.sessionType == kWaylandPlatform;
    const bool wayland = WaylandUsable(environment, probes);
    const bool x11 = X11Usable(environment, probes);
    std::vector<std::string> platforms;
    if (wayland && waylandFirst) platforms.push_back(kWaylandPlatform);
    if (x11) platforms.push_back(kX11Platform);
    if (wayland && !waylandFirst) platforms.push_back(kWaylandPlatform);
    for (const std::string& platform : platforms) {
        choice.platforms += (choice.platforms.empty() ? "" : ";") + platform;
    }
    choice.canStart = !platforms.empty();
    return choice;
}

bool XDisplayAccepts(const std::string& display) {
    if (display.empty()) return false;
    const XcbLibrary xcb;
    if (!xcb.Loaded()) return false;
    void* connection = xcb.connect(display.c_str(), nullptr);
    const bool accepted = connection && xcb.hasError(connection) == 0;
    if (connection) xcb.disconnect(connection);
    return accepted;
}

bool SocketAccepts(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool accepted = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return accepted;
}

}  // namespace dialogs
}  // namespace varo

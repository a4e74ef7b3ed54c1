#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "DisplayProbe.h"

using namespace varo::dialogs;

namespace {

// Probes that answer from fixed sets of live displays and sockets and note
// what they were asked.
struct ScriptedProbes {
    std::vector<std::string> liveDisplays, liveSockets, asked;
    DisplayProbes Probes() {
        DisplayProbes probes;
        probes.x11 = [this](const std::string& display) { return Answer(liveDisplays, "x11 " + display); };
        probes.wayland = [this](const std::string& path) { return Answer(liveSockets, "wayland " + path); };
        return probes;
    }
    bool Answer(const std::vector<std::string>& live, const std::string& question) {
        asked.push_back(question);
        for (const std::string& one : live) {
            if (question == "x11 " + one || question == "wayland " + one) return true;
        }
        return false;
    }
};

TEST(DisplayProbeTest, QtIsStartedOnlyOnAPlatformThatCanStart) {
    const struct {
        DisplayEnvironment environment;
        std::vector<std::string> liveDisplays, liveSockets;
        bool canStart;
        std::string platforms;
    } rows[] = {
        // Named platforms: a display platform only when its display answers.
        {{"offscreen", "", "", "", ""}, {}, {}, true, ""},
        {{"xcb", "", ":93", "", ""}, {}, {}, false, ""},
        {{"xcb", "", ":0", "", ""}, {":0"}, {}, true, ""},
        {{"xcb:nograb", "", ":0", "", ""}, {":0"}, {}, true, ""},
        {{"wayland;xcb", "", ":0", "wayland-1", "/run/u"}, {":0"}, {}, true, ""},
        {{"wayland-egl;xcb", "", ":93", "wayland-1", "/run/u"}, {}, {"/run/u/wayland-1"}, true, ""},
        {{"wayland;xcb", "", ":93", "wayland-1", "/run/u"}, {}, {}, false, ""},
        // Qt's own choice: the platforms that answer, the session's first.
        {{"", "", ":93", "", ""}, {}, {}, false, ""},
        {{"", "", "", "", ""}, {}, {}, false, ""},
        {{"", "x11", ":0", "", ""}, {":0"}, {}, true, "xcb"},
        {{"", "wayland", ":0", "wayland-0", "/run/u"}, {":0"}, {"/run/u/wayland-0"}, true, "wayland;xcb"},
        {{"", "x11", ":0", "wayland-0", "/run/u"}, {":0"}, {"/run/u/wayland-0"}, true, "xcb;wayland"},
        {{"", "wayland", ":93", "wayland-0", "/run/u"}, {}, {"/run/u/wayland-0"}, true, "wayland"},
        {{"", "", "", "/tmp/w.sock", ""}, {}, {"/tmp/w.sock"}, true, "wayland"},
        {{"", "wayland", "", "wayland-0", ""}, {}, {"/wayland-0", "wayland-0"}, false, ""},
    };
    for (const auto& row : rows) {
        ScriptedProbes scripted{row.liveDisplays, row.liveSockets, {}};
        const PlatformChoice choice = ChoosePlatform(row.environment, scripted.Probes());
        const std::string trace = row.environment.qpaPlatform + "|" + row.environment.x11Display + "|" +
                                  row.environment.waylandDisplay;
        EXPECT_EQ(choice.canStart, row.canStart) << trace;
        EXPECT_EQ(choice.platforms, row.platforms) << trace;
    }
}

TEST(DisplayProbeTest, ProbesConnectToWhatIsReallyThere) {
    char folder[] = "/tmp/varo-probe-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/wayland-9";

    EXPECT_FALSE(SocketAccepts(path));  // nothing there yet
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_FALSE(SocketAccepts(path));  // bound, not listening
    ASSERT_EQ(listen(listener, 4), 0);
    EXPECT_TRUE(SocketAccepts(path));
    close(listener);
    EXPECT_FALSE(SocketAccepts(path));  // the listener is gone, its file stays
    unlink(path.c_str());
    rmdir(folder);
    EXPECT_FALSE(SocketAccepts(""));
    EXPECT_FALSE(SocketAccepts(std::string(200, 'x')));

    EXPECT_FALSE(XDisplayAccepts(UnusedXDisplay()));
    EXPECT_FALSE(XDisplayAccepts(""));
}

}  // namespace

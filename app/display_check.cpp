#include "app/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool HasWaylandPlugin(const std::vector<std::string>& pluginDirs) {
    std::error_code error;
    for (const std::string& dir : pluginDirs) {
        for (const auto& folder :
             {std::filesystem::path(dir) / "platforms", std::filesystem::path(dir)}) {
            for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
                if (entry.path().filename().string().starts_with("libqwayland-")) return true;
            }
        }
    }
    return false;
}

// The display number of a local X display (":N" or ":N.S"), else empty.
std::string LocalDisplayNumber(std::string_view display) {
    if (display.empty() || display.front() != ':') return {};
    const std::string_view number = display.substr(1, display.find('.') - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        return {};
    return std::string(number);
}

constexpr char kXvfbHint[] =
    "start it on a running desktop, or without one as: xvfb-run -a tessarin";

// Whether a local X server listens on display number `number` (":N"); it
// connects and leaves at once, so only once the toolkit has given up.
bool LocalXServerAnswers(const std::string& number) {
    const std::string path = "/tmp/.X11-unix/X" + number;
    for (const bool abstract : {false, true}) {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        const size_t offset = abstract ? 1 : 0;  // abstract names start with a NUL
        if (path.size() + offset >= sizeof address.sun_path) return false;
        std::memcpy(address.sun_path + offset, path.data(), path.size());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
        const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
        ::close(fd);
        if (connected) return true;
    }
    return false;
}

}  // namespace

std::string DescribeXFailure(const std::string& display) {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display.c_str(), &screen);
    const bool opened = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (opened) {
        return "the X display " + display +
               " accepts connections, but the toolkit could not start on it; its own messages "
               "below say why" +
               (std::atoi(Env("QT_DEBUG_PLUGINS").c_str()) != 0
                    ? std::string()
                    : std::string(" (QT_DEBUG_PLUGINS=1 shows every step)"));
    }
    const std::string local = LocalDisplayNumber(display);
    if (local.empty()) {
        return "the X display " + display +
               " cannot be opened: it does not answer or refuses the connection; check DISPLAY, "
               "or start it without a display as: xvfb-run -a tessarin";
    }
    if (!LocalXServerAnswers(local))
        return "the X display " + display + " does not answer; " + kXvfbHint;
    // The socket answers, yet the full connection with this user's
    // credentials was turned away.
    return "the X display " + display +
           " refuses the connection (not authorised); start Tessarin as the user logged in on "
           "that display, not through sudo or su";
}

DisplayEnvironment ReadDisplayEnvironment(const std::vector<std::string>& pluginDirs) {
    const auto names = [](const std::string& desktop, std::string_view name) {
        std::string lower = desktop;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower.find(name) != std::string::npos;
    };
    return {
        Env("QT_QPA_PLATFORM"), Env("WAYLAND_DISPLAY"), Env("DISPLAY"),
        HasWaylandPlugin(pluginDirs),
        names(Env("XDG_CURRENT_DESKTOP"), "gnome") || names(Env("XDG_SESSION_DESKTOP"), "gnome")};
}

DisplayPlan PlanDisplay(const DisplayEnvironment& env) {
    DisplayPlan plan;
    if (!env.platform.empty()) {
        plan.failure = "the display platform \"" + env.platform +
                       "\" chosen by QT_QPA_PLATFORM cannot be started; unset QT_QPA_PLATFORM "
                       "or choose another one";
        return plan;
    }
    const std::string& x = env.display;
    if (!env.wayland.empty() && env.waylandPlugin) {
        plan.platform = x.empty() ? "wayland" : env.gnome ? "xcb;wayland" : "wayland;xcb";
        plan.failure = x.empty()
                           ? "the Wayland display " + env.wayland + " does not answer; " + kXvfbHint
                           : "neither the Wayland display " + env.wayland + " nor the X display " +
                                 x + " can be opened; " + kXvfbHint;
        return plan;
    }
    if (!env.wayland.empty() && x.empty()) {
        plan.problem =
            "this is a Wayland session, but the Qt Wayland platform plugin is missing and there "
            "is no X display to fall back on; install the package qt6-wayland";
        return plan;
    }
    if (x.empty()) {
        plan.problem = std::string("no graphical display is set (DISPLAY is empty); ") + kXvfbHint;
        return plan;
    }
    // X, also as the fallback of a Wayland session without the plugin. The
    // display is not touched before the toolkit connects: a server that has
    // just started resets when its first client leaves, and would drop the
    // toolkit's connection made meanwhile. What went wrong is looked at only
    // once the toolkit has failed.
    plan.platform = "xcb";
    plan.diagnoseX = x;
    return plan;
}

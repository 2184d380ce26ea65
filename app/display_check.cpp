#include "app/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

std::string_view Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

// Connects to the X server's local socket, the file or the abstract one.
bool LocalXServerAnswers(std::string_view number) {
    const std::string path = "/tmp/.X11-unix/X" + std::string(number);
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

std::string DisplayProblem() {
    if (!Env("QT_QPA_PLATFORM").empty() || !Env("WAYLAND_DISPLAY").empty()) return {};
    const std::string_view display = Env("DISPLAY");
    if (display.empty()) {
        return "no graphical display is set (DISPLAY is empty); start it on a desktop, or "
               "without one as: xvfb-run -a tessarin";
    }
    // ":N" or ":N.S" is a local server; "host:N" is left to the toolkit.
    if (display.front() == ':') {
        const std::string_view number = display.substr(1, display.find('.') - 1);
        if (!number.empty() && number.find_first_not_of("0123456789") == std::string_view::npos &&
            !LocalXServerAnswers(number)) {
            return "the display " + std::string(display) +
                   " does not answer; start it on a running desktop, or without one as: "
                   "xvfb-run -a tessarin";
        }
    }
    return {};
}

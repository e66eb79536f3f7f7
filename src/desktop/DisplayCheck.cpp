#include "desktop/DisplayCheck.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

namespace vorpline {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        // "xcb:option=value" passes options to the plugin; the name is before the colon.
        std::string name = list.substr(start, end - start);
        name = name.substr(0, name.find(':'));
        if (!name.empty()) {
            names.push_back(name);
        }
        start = end + 1;
    }
    return names;
}

std::vector<std::string> Platforms(const std::vector<std::string>& arguments) {
    for (size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "-platform" || arguments[i] == "--platform") {
            return Split(arguments[i + 1]);
        }
    }
    if (std::string chosen = Variable("QT_QPA_PLATFORM"); !chosen.empty()) {
        return Split(chosen);
    }
    if (Variable("XDG_SESSION_TYPE") == "wayland") {
        return {"wayland", "xcb"};
    }
    return {"xcb"};
}

std::optional<std::string> XProblem() {
    const std::string display = Variable("DISPLAY");
    if (display.empty()) {
        return "no display found (DISPLAY is not set)";
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    // A failed connection is an object too and must be given back.
    xcb_disconnect(connection);
    if (failed) {
        return "cannot connect to the X display \"" + display + "\"";
    }
    return std::nullopt;
}

std::optional<std::string> WaylandProblem() {
    std::string name = Variable("WAYLAND_DISPLAY");
    if (name.empty()) {
        name = "wayland-0";
    }
    std::string path = name;
    if (name.front() != '/') {
        const std::string runtime = Variable("XDG_RUNTIME_DIR");
        if (runtime.empty()) {
            return "no Wayland display found (XDG_RUNTIME_DIR is not set)";
        }
        path = runtime + "/" + name;
    }
    const std::string problem = "cannot connect to the Wayland display \"" + name + "\"";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return problem;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return problem;
    }
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected ? std::nullopt : std::optional<std::string>(problem);
}

} // namespace

std::optional<std::string> DisplayProblem(const std::vector<std::string>& arguments) {
    std::optional<std::string> first;
    for (const std::string& platform : Platforms(arguments)) {
        std::optional<std::string> problem;
        if (platform == "xcb") {
            problem = XProblem();
        } else if (platform.rfind("wayland", 0) == 0) {
            problem = WaylandProblem();
        }
        if (!problem) {
            return std::nullopt;
        }
        if (!first) {
            first = problem;
        }
    }
    return first;
}

} // namespace vorpline

#pragma once
#include <optional>
#include <string>
#include <vector>

namespace vorpline {

// Whether the windowing system Qt is about to use can be reached, asked before Qt is: Qt
// aborts the whole process (with a core dump) when its platform plugin cannot connect, so a
// display that is named but not there must be found here.
//
// The platforms are the ones Qt would try: the "-platform NAME" argument, else QT_QPA_PLATFORM,
// else Wayland then X11 in a Wayland session (XDG_SESSION_TYPE) and X11 otherwise; a list
// "wayland;xcb" means any of them. "xcb" needs the X server named by DISPLAY to accept a
// connection (libxcb, with XAUTHORITY as Qt uses it); "wayland" needs the compositor's socket
// (WAYLAND_DISPLAY, default "wayland-0", under XDG_RUNTIME_DIR unless absolute) to accept one.
// Platforms that need no server ("offscreen", "minimal", "vnc", ...) are always there.
//
// Returns nullopt when one of them can be reached, else what is wrong with the first, as a
// phrase for a one-line message: `no display found (DISPLAY is not set)`,
// `cannot connect to the X display ":99"`. Any thread; it opens and closes connections.
std::optional<std::string> DisplayProblem(const std::vector<std::string>& arguments);

} // namespace vorpline

// The windowed program against real displays: one that cannot be reached, and a virtual X
// server (Xvfb) on which the synth panel opens with its WAVE output on a dummy JACK server.
// Everything the tests start they stop by process id.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"
#include "support/RunProgram.h"

namespace vorpline::test {
namespace {

constexpr auto kPatience = 30s;

// An X display number no server is using: neither its socket nor its lock file exists.
int FreeDisplayNumber() {
    for (int n = 90 + getpid() % 100;; ++n) {
        const std::string number = std::to_string(n);
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + number) &&
            !std::filesystem::exists("/tmp/.X" + number + "-lock")) {
            return n;
        }
    }
}

TEST(Desktop, AnUnreachableDisplayGivesOneLineAndExitCode1) {
    const std::string display = ":" + std::to_string(FreeDisplayNumber());
    const std::string noSocket = "vorpline-no-compositor-" + std::to_string(getpid());
    const struct {
        std::vector<std::string> environment;
        std::string says;
    } cases[] = {
        {{"-u", "DISPLAY"}, "no display found (DISPLAY is not set)"},
        {{"DISPLAY=" + display}, "cannot connect to the X display \"" + display + "\""},
        {{"-u", "DISPLAY", "QT_QPA_PLATFORM=xcb"}, "no display found (DISPLAY is not set)"},
        {{"DISPLAY=" + display, "XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=" + noSocket,
          "XDG_RUNTIME_DIR=/tmp"},
         "cannot connect to the Wayland display \"" + noSocket + "\""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                                         "-u", "XDG_SESSION_TYPE"};
        args.insert(args.end(), c.environment.begin(), c.environment.end());
        args.push_back(VORPLINE_GUI_EXE);
        const ProgramResult result = RunProgram("/usr/bin/env", args);
        EXPECT_EQ(result.exitCode, 1) << c.says << "\n" << result.output;
        EXPECT_EQ(result.output.find('\n'), result.output.size() - 1) << result.output;
        EXPECT_NE(result.output.find("vorpline: " + c.says + ";"), std::string::npos)
            << result.output;
    }
}

// The titles of the top-level windows on an X display, as the window manager would show them.
class XDisplay {
public:
    explicit XDisplay(const std::string& name) : connection(xcb_connect(name.c_str(), nullptr)) {}
    ~XDisplay() { xcb_disconnect(connection); }
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    bool Connected() const { return xcb_connection_has_error(connection) == 0; }

    std::vector<std::string> Titles() {
        std::vector<std::string> titles;
        const xcb_atom_t name = Atom("_NET_WM_NAME");
        const xcb_atom_t utf8 = Atom("UTF8_STRING");
        xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr), &free);
        if (!tree) {
            return titles;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> title(
                xcb_get_property_reply(
                    connection, xcb_get_property(connection, 0, children[i], name, utf8, 0, 1024),
                    nullptr),
                &free);
            if (title && xcb_get_property_value_length(title.get()) > 0) {
                titles.emplace_back(
                    static_cast<const char*>(xcb_get_property_value(title.get())),
                    static_cast<size_t>(xcb_get_property_value_length(title.get())));
            }
        }
        return titles;
    }

private:
    xcb_atom_t Atom(const char* text) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
            xcb_intern_atom_reply(
                connection,
                xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(text)), text), nullptr),
            &free);
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    xcb_connection_t* connection;
};

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(Desktop, TheWindowTitleNamesTheProgramOnce) {
    std::map<std::string, std::string> tools;
    for (const char* program : {"Xvfb", "jackd", "jack_lsp"}) {
        auto found = FindProgram(program);
        if (!found) {
            GTEST_SKIP() << "needs " << program << " (Debian packages xvfb, jackd2)";
        }
        tools[program] = *found;
    }
    const std::string display = ":" + std::to_string(FreeDisplayNumber());
    Child xvfb({tools["Xvfb"], display, "-nolisten", "tcp", "-screen", "0", "1600x1000x24"});
    std::unique_ptr<XDisplay> x;
    for (auto deadline = std::chrono::steady_clock::now() + kPatience;
         (!x || !x->Connected()) && std::chrono::steady_clock::now() < deadline;) {
        std::this_thread::sleep_for(100ms);
        x = std::make_unique<XDisplay>(display);
    }
    ASSERT_TRUE(x && x->Connected()) << "the X server did not come up";

    const std::string server = "vorpline-title-" + std::to_string(getpid());
    ScopedEnv jackServer("JACK_DEFAULT_SERVER", server);
    ScopedEnv noAutostart("JACK_NO_START_SERVER", "1");
    Child jackd(
        {tools["jackd"], "-n", server, "--no-realtime", "-d", "dummy", "-r", "48000", "-p", "512"});
    bool jackUp = false;
    for (auto deadline = std::chrono::steady_clock::now() + kPatience;
         !jackUp && std::chrono::steady_clock::now() < deadline;
         std::this_thread::sleep_for(100ms)) {
        jackUp =
            RunProgram(tools["jack_lsp"], {}).output.find("system:playback_1") != std::string::npos;
    }
    ASSERT_TRUE(jackUp) << "the JACK server did not come up";

    // A configuration beside the program, so no dialog comes first.
    const std::filesystem::path folder = std::filesystem::path(VORPLINE_GUI_EXE).parent_path();
    const std::string name = "title-" + std::to_string(getpid());
    const std::filesystem::path ini = folder / (name + ".INI");
    std::ofstream(ini) << "[VORPLINE]\nIOType=8\nIOPort=system\nIOSRate=48000\nIOBSize=512\n"
                          "IORSize=4\nOptions=0\n";
    std::optional<Child> program;
    {
        ScopedEnv onDisplay("DISPLAY", display);
        ScopedEnv onX("QT_QPA_PLATFORM", "xcb");
        program.emplace(std::vector<std::string>{VORPLINE_GUI_EXE, name});
    }
    std::string title;
    for (auto deadline = std::chrono::steady_clock::now() + kPatience;
         title.empty() && program->Running() && std::chrono::steady_clock::now() < deadline;
         std::this_thread::sleep_for(100ms)) {
        for (const std::string& shown : x->Titles()) {
            if (shown.rfind("FM Synth", 0) == 0) {
                title = shown;
            }
        }
    }
    program->Stop(SIGTERM);
    std::error_code ignored;
    std::filesystem::remove(ini, ignored);

    ASSERT_FALSE(title.empty()) << "the synth panel did not open";
    EXPECT_EQ(title.rfind("FM Synth - Vorpline 4.30", 0), 0u) << title;
    EXPECT_EQ(Count(title, "Vorpline 4.30"), 1u) << title;
}

} // namespace
} // namespace vorpline::test

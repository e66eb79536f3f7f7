#pragma once
// A JACK server of the test's own: the dummy driver (no sound card needed), a name no one else
// uses, and JACK_NO_START_SERVER so that no client starts a server behind our back (it would
// have no pid of ours to stop). Clients started while it exists find it through the
// environment; it is stopped by its process id.
//
// It asks for real-time scheduling: on a machine busy with other work, a server without it
// misses its cycles and drops the MIDI of the clients that were late. Where real-time is not
// permitted the server says so and runs on without it.
#include <unistd.h>

#include <chrono>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "support/ChildProcess.h"
#include "support/RunProgram.h"

namespace vorpline::test {

class JackServer {
public:
    // Generous: a loaded machine may take seconds to bring up a server or a client.
    static constexpr auto kPatience = 30s;

    // The first of `programs` (plus jackd and jack_lsp) that is not installed, or nothing.
    // Found ones are remembered for Tool.
    static std::optional<std::string> Missing(std::initializer_list<const char*> programs) {
        for (const char* name : {"jackd", "jack_lsp"}) {
            if (!Find(name)) {
                return name;
            }
        }
        for (const char* name : programs) {
            if (!Find(name)) {
                return name;
            }
        }
        return std::nullopt;
    }
    // The path of a program Missing found.
    static std::string Tool(const std::string& name) { return *Find(name); }

    // `tag` tells the server apart from those of other tests; `period` in frames at 48 kHz
    // sets the time step of MIDI on the server. The server's error messages (its xruns among
    // them) go to `logFile`.
    explicit JackServer(const std::string& tag, int period = 512,
                        const std::string& logFile = "/dev/null")
        : name("vorpline-" + tag + "-" + std::to_string(getpid())),
          serverName("JACK_DEFAULT_SERVER", name), noAutostart("JACK_NO_START_SERVER", "1"),
          jackd({Tool("jackd"), "-n", name, "--realtime", "-d", "dummy", "-r", "48000", "-p",
                 std::to_string(period)},
                "/dev/null", logFile) {}

    // Whether the server answers (its playback ports are listed) within the patience.
    bool Up() { return WaitForPort("system:playback_1"); }

    // Waits until jack_lsp lists a port whose name contains `fragment`.
    bool WaitForPort(const std::string& fragment) {
        auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline && jackd.Running()) {
            auto ports = RunProgram(Tool("jack_lsp"), {});
            if (ports.exitCode == 0 && ports.output.find(fragment) != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    const std::string name;

private:
    static std::optional<std::string> Find(const std::string& program) {
        static std::map<std::string, std::optional<std::string>> found;
        auto [entry, fresh] = found.try_emplace(program);
        if (fresh) {
            entry->second = FindProgram(program);
        }
        return entry->second;
    }

    ScopedEnv serverName;
    ScopedEnv noAutostart;
    Child jackd;
};

} // namespace vorpline::test

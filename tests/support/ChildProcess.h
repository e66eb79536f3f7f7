#pragma once
// Programs a test starts and stops by process id: audio and MIDI servers, example clients, our
// own programs.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace vorpline::test {

using namespace std::chrono_literals;

inline std::optional<std::string> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        std::string folder = folders.substr(start, end - start);
        std::string candidate = (std::filesystem::path(folder) / name).string();
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return std::nullopt;
}

// Sets an environment variable for this process and puts the old value back afterwards.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value) : name(std::move(name)) {
        if (const char* old = std::getenv(this->name.c_str())) {
            previous = old;
        }
        setenv(this->name.c_str(), value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (previous) {
            setenv(name.c_str(), previous->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name;
    std::optional<std::string> previous;
};

// A program started by this test, its output silenced (or, with `outputFile` and `errorFile`,
// kept there), and stopped by its process id.
class Child {
public:
    explicit Child(const std::vector<std::string>& argv,
                   const std::string& outputFile = "/dev/null",
                   const std::string& errorFile = "/dev/null") {
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
            pid = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() { Stop(SIGTERM); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return pid; }

    bool Running() {
        if (pid == 0) {
            return false;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = 0;
        }
        return pid != 0;
    }

    // Asks politely, then insists after a few seconds.
    void Stop(int signal) {
        if (!Running()) {
            return;
        }
        kill(pid, signal);
        auto deadline = std::chrono::steady_clock::now() + 5s;
        while (Running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(20ms);
        }
        if (Running()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = 0;
        }
    }

private:
    pid_t pid = 0;
};

} // namespace vorpline::test

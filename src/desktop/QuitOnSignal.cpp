#include "desktop/QuitOnSignal.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

#include <QSocketNotifier>

namespace vorpline {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The self-pipe: a signal handler may only do async-signal-safe things, so it writes one byte
// and the main loop, woken by the read end, does the real work.
int pipeEnds[2] = {-1, -1};

void OnSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] ssize_t written = write(pipeEnds[1], &byte, 1);
}

void Restore() {
    for (int number : kSignals) {
        std::signal(number, SIG_DFL);
    }
}

} // namespace

QuitOnSignal::QuitOnSignal(std::function<void()> quit) : quit(std::move(quit)) {
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("Cannot watch for termination signals");
    }
    notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] {
        char byte = 0;
        while (read(pipeEnds[0], &byte, 1) == 1) {
        }
        notifier->setEnabled(false);
        Restore();
        this->quit();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals) {
        sigaction(number, &action, nullptr);
    }
}

QuitOnSignal::~QuitOnSignal() {
    Restore();
    notifier.reset();
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

} // namespace vorpline

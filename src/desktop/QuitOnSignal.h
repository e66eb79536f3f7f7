#pragma once
#include <functional>
#include <memory>

class QSocketNotifier;

namespace vorpline {

// Turns SIGINT, SIGTERM and SIGHUP (Ctrl+C in the terminal, a desktop logout, `kill`) into a
// call of `quit` on the main thread, so the program ends as if its window were closed: the
// configuration is saved and a wave or VGM file being recorded is finished instead of left
// with a header that says it is empty. A second signal while `quit` runs ends the program the
// default way. One instance per program.
class QuitOnSignal {
public:
    explicit QuitOnSignal(std::function<void()> quit);
    ~QuitOnSignal();
    QuitOnSignal(const QuitOnSignal&) = delete;
    QuitOnSignal& operator=(const QuitOnSignal&) = delete;

private:
    std::function<void()> quit;
    std::unique_ptr<QSocketNotifier> notifier;
};

} // namespace vorpline

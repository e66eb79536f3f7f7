#pragma once
#include <QObject>

#include "platform/TimerService.h"

namespace vorpline {

// Delivers work from any thread to the thread this object lives on (the main thread), through
// Qt's event queue, where it runs under Guarded. Work still queued when the object goes is
// dropped unrun.
//
// Qt hands the work over under its own lock, which the thread sanitizer cannot see (Debian's Qt
// is not built with it), so the hand-over is named for it: released once the work is packed,
// acquired before the main thread touches it. Without that the sanitizer reports every
// hand-over as a race and checks nothing the work does.
class MainThreadPoster final : public QObject {
public:
    // Any thread.
    void Post(TimerService::Callback work);

protected:
    bool event(QEvent* event) override;
};

} // namespace vorpline

#include "desktop/MainThreadPoster.h"

#include <QCoreApplication>
#include <QEvent>

#include <utility>

#include "qt/Guarded.h"

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace vorpline {

namespace {

#if defined(__SANITIZE_THREAD__)
char handOver;
void Release() {
    __tsan_release(&handOver);
}
void Acquire() {
    __tsan_acquire(&handOver);
}
#else
void Release() {}
void Acquire() {}
#endif

class PostedWork final : public QEvent {
public:
    static inline const Type kType = static_cast<Type>(registerEventType());
    explicit PostedWork(TimerService::Callback work) : QEvent(kType), work(std::move(work)) {}
    TimerService::Callback work;
};

} // namespace

void MainThreadPoster::Post(TimerService::Callback work) {
    auto* event = new PostedWork(std::move(work));
    Release();
    QCoreApplication::postEvent(this, event);
}

bool MainThreadPoster::event(QEvent* event) {
    Acquire();
    if (event->type() != PostedWork::kType) {
        return QObject::event(event);
    }
    Guarded(static_cast<PostedWork*>(event)->work);
    return true;
}

} // namespace vorpline

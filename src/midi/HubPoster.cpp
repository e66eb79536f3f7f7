#include "midi/HubPoster.h"

#include <memory>

#include "midi/MessageHub.h"
#include "platform/TimerService.h"

namespace vorpline {

HubEventPoster PostToHub(TimerService& timers, MessageHub& hub) {
    auto alive = std::make_shared<char>();
    return [&timers, &hub, alive](uint32_t packed, uint32_t param) {
        timers.Post([&hub, packed, param, weak = std::weak_ptr<char>(alive)] {
            if (!weak.expired()) {
                hub.ShortEvent(packed, param);
            }
        });
    };
}

} // namespace vorpline

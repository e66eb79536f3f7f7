#pragma once
#include <cstdint>
#include <functional>

namespace vorpline {

class MessageHub;
class TimerService;

// The program's own producers (keyboard, LFOs, sequencer) hand their events to the message hub
// through the main loop, so they queue in order behind whatever is being handled and never
// reenter the hub. `packed` is a PackEvent word with the producer's marker, `param` its
// argument (an LFO's slot and destination).
using HubEventPoster = std::function<void(uint32_t packed, uint32_t param)>;

// A poster into `hub` through `timers`' main-loop queue. Events still queued when the last copy
// of the poster is gone (its window was destroyed at shutdown) are dropped, not delivered to a
// hub that may be going too.
HubEventPoster PostToHub(TimerService& timers, MessageHub& hub);

} // namespace vorpline

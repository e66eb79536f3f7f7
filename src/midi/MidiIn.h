#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiPortSystem.h"
#include "platform/SpscRing.h"
#include "platform/TimerService.h"

namespace vorpline {

// The one MIDI input the synthesizer is played from: lists the ports, opens and starts the
// chosen one, stops and closes it, reports every failure with its error name, and hands each
// short message to `onEvent` on the main thread.
//
// Delivery has two modes, chosen at construction (the "Midi callback" option):
// - window (useWindow): the port system queues what arrives; a pump timer has the main thread
//   take it out with Poll. Timestamps are 0.
// - function: the port system's thread hands each message to a receiver that stamps it
//   (milliseconds since the last start) and pushes it into a lock-free ring, nothing more, as
//   that thread may be JACK's real-time process thread. The pump timer, on the timer thread,
//   posts one drain to the main thread when the ring holds something; an atomic flag keeps at
//   most one drain outstanding, so a burst costs one post. A full ring drops new messages.
// The pump runs every kPumpPeriod while a port is open and not at all otherwise.
//
// Main thread only, unless a method says otherwise.
class MidiIn {
public:
    // packed: status in byte 0, data in bytes 1 and 2, 0 in byte 3.
    using EventHandler = std::function<void(uint32_t packed, uint32_t timestampMs)>;
    // Shows a complete error message to the user.
    using ErrorReporter = std::function<void(const std::string& message)>;
    // Pauses the calling thread; the real one sleeps, tests record.
    using Sleeper = std::function<void(std::chrono::milliseconds)>;

    static inline const std::string kNoInput = "No midi input";
    // Open restarts a port whose start straddled a millisecond tick (so its timestamps would be
    // a tick off), pausing in between, but gives up aligning after this many starts and keeps
    // the last one running: a slow but working input beats none.
    static constexpr int kMaxStartAttempts = 10;
    static constexpr std::chrono::milliseconds kRestartPause{100};
    static constexpr std::chrono::milliseconds kPumpPeriod{1};
    static constexpr std::size_t kRingCapacity = 1024;

    // `ports` and `timers` must outlive this object. Without a sleeper the thread sleeps.
    MidiIn(MidiPortSystem& ports, TimerService& timers, bool useWindow, ErrorReporter reportError,
           Sleeper sleep = {});
    // Closes an open port without reporting anything (the program is going away).
    ~MidiIn();
    MidiIn(const MidiIn&) = delete;
    MidiIn& operator=(const MidiIn&) = delete;

    // Fills `list` with kNoInput followed by the names of the ports now present (in the port
    // system's order, or sorted alphabetically ignoring case) and returns its length.
    int BuildDeviceList(std::vector<std::string>& list, bool sorted);
    // Opens and starts the first port called `name`. Returns whether a port is open afterwards;
    // every failure has been reported.
    bool Open(const std::string& name);
    // Returns whether a port is still open afterwards (a failing step leaves it open).
    bool Close();
    bool IsOpen() const { return open; }
    bool UseWindow() const { return useWindow; }
    // The timer service's millisecond clock just before the last successful start.
    uint32_t StartTime() const;

    // Shows `text` followed by the name of `code` (ErrorSuffix).
    void ReportError(const std::string& text, int code);
    // "" for 0, " [BADDEVICEID]" for 2 and so on, " [<code>]" for codes without a name.
    static std::string ErrorSuffix(int code);

    // Every short message from the open port. Main thread.
    EventHandler onEvent;

private:
    struct Event {
        uint32_t packed;
        uint32_t timestampMs;
    };
    // What the port system's thread and the timer thread share with the main thread. Held
    // by shared pointer so a drain still queued on the main loop finds it after we are gone.
    struct Pump {
        explicit Pump(TimerService& timers) : timers(timers) {}
        TimerService& timers;
        SpscRing<Event, kRingCapacity> ring;
        std::atomic<bool> drainPosted{false};
        std::atomic<uint32_t> startTime{0};
        MidiIn* owner = nullptr; // main thread; null once the MidiIn is destroyed
    };
    struct Device {
        std::string name;
        std::size_t port;
    };

    std::vector<Device> Devices();
    bool StartLoop();
    void Shutdown(bool report);
    void StartPump();
    void StopPump();
    // Main thread: hands what waits to onEvent.
    void Drain();

    MidiPortSystem& ports;
    TimerService& timers;
    const bool useWindow;
    ErrorReporter reportError;
    Sleeper sleep;
    bool open = false;
    TimerService::TimerId pumpTimer = 0;
    std::shared_ptr<Pump> pump;
};

} // namespace vorpline

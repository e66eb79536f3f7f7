#include "midi/MidiIn.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <thread>
#include <utility>

namespace vorpline {

namespace {

// The multimedia error names, by code 1..21.
constexpr std::array<const char*, 21> kErrorNames = {
    "ERROR",        "BADDEVICEID",  "NOTENABLED",  "ALLOCATED", "INVALHANDLE", "NODRIVER",
    "NOMEM",        "NOTSUPPORTED", "BADERRNUM",   "INVALFLAG", "INVALPARAM",  "HANDLEBUSY",
    "INVALIDALIAS", "BADDB",        "KEYNOTFOUND", "READERROR", "WRITEERROR",  "DELETEERROR",
    "VALNOTFOUND",  "NODRIVERCB",   "MOREDATA"};

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    auto lower = [](unsigned char c) { return std::tolower(c); };
    bool less = std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [&](unsigned char x, unsigned char y) { return lower(x) < lower(y); });
    bool greater = std::lexicographical_compare(
        b.begin(), b.end(), a.begin(), a.end(),
        [&](unsigned char x, unsigned char y) { return lower(x) < lower(y); });
    // Names equal but for case still get a fixed order.
    return less || (!greater && a < b);
}

} // namespace

MidiIn::MidiIn(MidiPortSystem& ports, TimerService& timers, bool useWindow,
               ErrorReporter reportError, Sleeper sleep)
    : ports(ports), timers(timers), useWindow(useWindow), reportError(std::move(reportError)),
      sleep(std::move(sleep)), pump(std::make_shared<Pump>(timers)) {
    pump->owner = this;
    if (!this->sleep) {
        this->sleep = [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); };
    }
}

MidiIn::~MidiIn() {
    pump->owner = nullptr;
    if (open) {
        Shutdown(false);
    }
    StopPump();
}

uint32_t MidiIn::StartTime() const {
    return pump->startTime.load(std::memory_order_relaxed);
}

std::string MidiIn::ErrorSuffix(int code) {
    if (code == 0) {
        return {};
    }
    if (code >= 1 && code <= static_cast<int>(kErrorNames.size())) {
        return std::string(" [") + kErrorNames[static_cast<std::size_t>(code - 1)] + "]";
    }
    return " [" + std::to_string(code) + "]";
}

void MidiIn::ReportError(const std::string& text, int code) {
    if (reportError) {
        reportError(text + ErrorSuffix(code));
    }
}

std::vector<MidiIn::Device> MidiIn::Devices() {
    std::vector<std::string> names = ports.ListInputs();
    std::vector<Device> devices;
    devices.push_back({kNoInput, 0});
    for (std::size_t port = 0; port < names.size(); ++port) {
        // A port whose name cannot be read cannot be chosen; it keeps its number, though.
        if (!names[port].empty()) {
            devices.push_back({std::move(names[port]), port});
        }
    }
    return devices;
}

int MidiIn::BuildDeviceList(std::vector<std::string>& list, bool sorted) {
    list.clear();
    for (Device& device : Devices()) {
        list.push_back(std::move(device.name));
    }
    if (sorted) {
        std::sort(list.begin() + 1, list.end(), LessIgnoringCase);
    }
    return static_cast<int>(list.size());
}

bool MidiIn::Open(const std::string& name) {
    if (open) {
        ReportError("Midi input already open", 0);
        return true;
    }
    std::vector<Device> devices = Devices();
    auto found = std::find_if(devices.begin(), devices.end(),
                              [&](const Device& device) { return device.name == name; });
    if (found == devices.begin()) {
        ReportError("Midi input invalid", 0);
        return false;
    }
    if (found == devices.end()) {
        ReportError("Midi input not found", 0);
        return false;
    }

    MidiPortSystem::Receiver receiver;
    if (!useWindow) {
        // Runs on the port system's thread: stamp and queue, no allocation, no lock.
        receiver = [p = pump](uint32_t packed) {
            uint32_t stamp = p->timers.NowMs() - p->startTime.load(std::memory_order_acquire);
            p->ring.TryPush(Event{packed, stamp});
        };
    }
    int result = ports.Open(found->port, std::move(receiver));
    if (result != kMidiOk) {
        ReportError("Failed to open midi input", result);
        return false;
    }
    open = true;
    if (!StartLoop()) {
        return open;
    }
    StartPump();
    return true;
}

bool MidiIn::StartLoop() {
    for (int attempt = 1;; ++attempt) {
        uint32_t before = timers.NowMs();
        pump->startTime.store(before, std::memory_order_release);
        int result = ports.Start();
        uint32_t after = timers.NowMs();
        if (result != kMidiOk) {
            ReportError("Failed to start midi input", result);
            Shutdown(true);
            return false;
        }
        if (after == before || attempt == kMaxStartAttempts) {
            return true;
        }
        result = ports.Stop();
        if (result != kMidiOk) {
            ReportError("Failed to stop midi input", result);
        }
        sleep(kRestartPause);
    }
}

void MidiIn::Shutdown(bool report) {
    // Every step is tried even after one fails: whatever can still be released should be.
    auto step = [&](int result, const char* text) {
        if (result != kMidiOk && report) {
            ReportError(text, result);
        }
        return result == kMidiOk;
    };
    step(ports.Stop(), "Failed to stop midi input");
    step(ports.Reset(), "Failed to reset midi input");
    if (step(ports.Close(), "Failed to close midi input")) {
        open = false;
        StopPump();
    }
}

bool MidiIn::Close() {
    if (!open) {
        ReportError("Midi input already closed", 0);
        return false;
    }
    int result = ports.Stop();
    if (result != kMidiOk) {
        ReportError("Failed to stop midi input", result);
        return true;
    }
    result = ports.Reset();
    if (result != kMidiOk) {
        ReportError("Failed to reset midi input", result);
        return true;
    }
    result = ports.Close();
    if (result != kMidiOk) {
        ReportError("Failed to close midi input", result);
        return true;
    }
    open = false;
    StopPump();
    return false;
}

void MidiIn::StartPump() {
    if (pumpTimer != 0) {
        return;
    }
    // Runs on the timer thread: decides whether the main thread has anything to do.
    pumpTimer = timers.StartPeriodic(kPumpPeriod, [p = pump, window = useWindow] {
        if (!window && p->ring.Size() == 0) {
            return;
        }
        if (p->drainPosted.exchange(true, std::memory_order_acq_rel)) {
            return;
        }
        p->timers.Post([p] {
            p->drainPosted.store(false, std::memory_order_release);
            if (p->owner != nullptr) {
                p->owner->Drain();
            }
        });
    });
}

void MidiIn::StopPump() {
    if (pumpTimer != 0) {
        timers.Stop(pumpTimer);
        pumpTimer = 0;
    }
    // The port is closed, so nothing pushes any more; what is left belongs to no open input.
    Event stale{};
    while (pump->ring.TryPop(stale)) {
    }
}

void MidiIn::Drain() {
    // At most one ring's worth per drain, so a flooding sender cannot starve the main loop;
    // the next pump tick posts another drain for the rest.
    for (std::size_t n = 0; n < kRingCapacity && open; ++n) {
        Event event{};
        if (useWindow) {
            if (!ports.Poll(event.packed)) {
                return;
            }
        } else if (!pump->ring.TryPop(event)) {
            return;
        }
        if (onEvent) {
            onEvent(event.packed, event.timestampMs);
        }
    }
}

} // namespace vorpline

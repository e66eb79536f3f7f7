#include "midi/RtMidiPortSystem.h"

#include "platform/AlsaErrors.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <utility>

namespace vorpline {

namespace {

// Without the sequencer device, creating an ALSA client fails anyway; looking first keeps
// alsa-lib from printing its complaint at every listing on machines without sound hardware.
bool AlsaSequencerPresent() {
    std::error_code ignored;
    return std::filesystem::exists("/dev/snd/seq", ignored);
}

} // namespace

// RtMidi error kinds and the codes the user sees:
//
//   RtMidi kind          code  shown as       why
//   INVALID_DEVICE          2  [BADDEVICEID]  the port number names no port
//   NO_DEVICES_FOUND        2  [BADDEVICEID]  the port vanished: there is none to open
//   INVALID_PARAMETER      11  [INVALPARAM]   RtMidi rejected an argument (also a port number
//                                             beyond the API's current count)
//   INVALID_USE             5  [INVALHANDLE]  a call on a port in the wrong state
//   DRIVER_ERROR            6  [NODRIVER]     the ALSA sequencer or JACK server refused
//   MEMORY_ERROR            7  [NOMEM]
//   SYSTEM_ERROR            1  [ERROR]        failures below RtMidi with no closer name
//   THREAD_ERROR            1  [ERROR]
//   UNSPECIFIED             1  [ERROR]
//   WARNING, DEBUG_WARNING  0                 RtMidi never throws these; not failures
int RtMidiPortSystem::ResultOf(RtMidiError::Type type) {
    switch (type) {
    case RtMidiError::WARNING:
    case RtMidiError::DEBUG_WARNING:
        return kMidiOk;
    case RtMidiError::INVALID_DEVICE:
    case RtMidiError::NO_DEVICES_FOUND:
        return kMidiBadDeviceId;
    case RtMidiError::INVALID_PARAMETER:
        return kMidiInvalidParam;
    case RtMidiError::INVALID_USE:
        return kMidiInvalidHandle;
    case RtMidiError::DRIVER_ERROR:
        return kMidiNoDriver;
    case RtMidiError::MEMORY_ERROR:
        return kMidiNoMemory;
    case RtMidiError::SYSTEM_ERROR:
    case RtMidiError::THREAD_ERROR:
    case RtMidiError::UNSPECIFIED:
        break;
    }
    return kMidiError;
}

std::vector<RtMidi::Api> RtMidiPortSystem::ReachableApis() {
    SilenceAlsaErrors();
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    std::vector<RtMidi::Api> apis;
    // Asking RtMidi for an API it was built without makes it fall back to another one, which
    // would list that one's ports twice.
    for (RtMidi::Api api : {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK}) {
        if (std::find(compiled.begin(), compiled.end(), api) == compiled.end() ||
            (api == RtMidi::LINUX_ALSA && !AlsaSequencerPresent())) {
            continue;
        }
        apis.push_back(api);
    }
    return apis;
}

RtMidiPortSystem::RtMidiPortSystem() = default;

RtMidiPortSystem::~RtMidiPortSystem() {
    Close();
}

std::vector<std::string> RtMidiPortSystem::ListInputs() {
    return ListRtMidiPorts<RtMidiIn>(kClientName, listed);
}

int RtMidiPortSystem::Open(std::size_t port, Receiver onMessage) {
    if (input) {
        return kMidiAllocated;
    }
    if (port >= listed.size()) {
        return kMidiBadDeviceId;
    }
    RtMidiPortRef ref = listed[port];
    started.store(false, std::memory_order_relaxed);
    try {
        auto opened = std::make_unique<RtMidiIn>(ref.api, kClientName);
        // System exclusive is dropped at the source; clock and active sensing must arrive.
        opened->ignoreTypes(true, false, false);
        receiver = std::move(onMessage);
        opened->setCallback(&RtMidiPortSystem::OnMessage, this);
        opened->openPort(ref.index, kPortName);
        input = std::move(opened);
        return kMidiOk;
    } catch (const RtMidiError& e) {
        receiver = nullptr;
        return ResultOf(e.getType());
    } catch (const std::bad_alloc&) {
        receiver = nullptr;
        return kMidiNoMemory;
    } catch (const std::exception&) {
        receiver = nullptr;
        return kMidiError;
    }
}

int RtMidiPortSystem::Start() {
    if (!input) {
        return kMidiInvalidHandle;
    }
    // What arrived between opening and starting was never asked for.
    DropQueued();
    started.store(true, std::memory_order_release);
    return kMidiOk;
}

int RtMidiPortSystem::Stop() {
    if (!input) {
        return kMidiInvalidHandle;
    }
    started.store(false, std::memory_order_release);
    return kMidiOk;
}

int RtMidiPortSystem::Reset() {
    if (!input) {
        return kMidiInvalidHandle;
    }
    started.store(false, std::memory_order_release);
    DropQueued();
    return kMidiOk;
}

int RtMidiPortSystem::Close() {
    if (!input) {
        return kMidiInvalidHandle;
    }
    started.store(false, std::memory_order_release);
    int result = kMidiOk;
    try {
        input->closePort();
    } catch (const RtMidiError& e) {
        result = ResultOf(e.getType());
    }
    // Destroying the client joins RtMidi's input thread (ALSA) or leaves the JACK graph, so
    // the receiver cannot be running once this returns.
    input.reset();
    receiver = nullptr;
    DropQueued();
    return result;
}

bool RtMidiPortSystem::Poll(uint32_t& packed) {
    if (!input || receiver || !started.load(std::memory_order_relaxed)) {
        return false;
    }
    return queue.TryPop(packed);
}

void RtMidiPortSystem::DropQueued() {
    uint32_t stale = 0;
    while (queue.TryPop(stale)) {
    }
}

void RtMidiPortSystem::OnMessage(double /*deltaSeconds*/, std::vector<unsigned char>* message,
                                 void* userData) {
    auto* self = static_cast<RtMidiPortSystem*>(userData);
    uint32_t packed = 0;
    if (message == nullptr || !self->started.load(std::memory_order_acquire) ||
        !PackShortMessage(message->data(), message->size(), packed)) {
        return;
    }
    if (self->receiver) {
        self->receiver(packed);
    } else {
        self->queue.TryPush(packed); // a full queue drops the newest, as RtMidi's did
    }
}

} // namespace vorpline

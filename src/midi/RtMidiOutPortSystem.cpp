#include "midi/RtMidiOutPortSystem.h"

#include <new>

#include "midi/MidiPortSystem.h"
#include "midi/RtMidiPortSystem.h"

namespace vorpline {

namespace {

constexpr unsigned char kControlChange = 0xB0;
constexpr unsigned char kAllSoundOff = 120;
constexpr unsigned char kAllNotesOff = 123;
constexpr int kChannels = 16;

// Runs an RtMidi call and turns its failure into a result code.
template <class Call> int Guard(Call call) {
    try {
        call();
        return kMidiOk;
    } catch (const RtMidiError& e) {
        return RtMidiPortSystem::ResultOf(e.getType());
    } catch (const std::bad_alloc&) {
        return kMidiNoMemory;
    } catch (const std::exception&) {
        return kMidiError;
    }
}

} // namespace

RtMidiOutPortSystem::~RtMidiOutPortSystem() {
    Close();
}

std::vector<std::string> RtMidiOutPortSystem::ListOutputs() {
    return ListRtMidiPorts<RtMidiOut>(RtMidiPortSystem::kClientName, listed);
}

int RtMidiOutPortSystem::Open(std::size_t port) {
    if (output) {
        return kMidiAllocated;
    }
    if (port >= listed.size()) {
        return kMidiBadDeviceId;
    }
    const RtMidiPortRef ref = listed[port];
    return Guard([&] {
        auto opened = std::make_unique<RtMidiOut>(ref.api, RtMidiPortSystem::kClientName);
        opened->openPort(ref.index, kPortName);
        output = std::move(opened);
    });
}

int RtMidiOutPortSystem::Send(uint32_t packed) {
    if (!output) {
        return kMidiInvalidHandle;
    }
    const unsigned char bytes[3] = {static_cast<unsigned char>(packed),
                                    static_cast<unsigned char>(packed >> 8),
                                    static_cast<unsigned char>(packed >> 16)};
    return Guard([&] { output->sendMessage(bytes, sizeof bytes); });
}

int RtMidiOutPortSystem::Reset() {
    if (!output) {
        return kMidiInvalidHandle;
    }
    // What a device reset does: every note on every channel stops.
    return Guard([&] {
        for (int channel = 0; channel < kChannels; ++channel) {
            for (unsigned char controller : {kAllSoundOff, kAllNotesOff}) {
                const unsigned char bytes[3] = {
                    static_cast<unsigned char>(kControlChange | channel), controller, 0};
                output->sendMessage(bytes, sizeof bytes);
            }
        }
    });
}

int RtMidiOutPortSystem::Close() {
    if (!output) {
        return kMidiInvalidHandle;
    }
    const int result = Guard([&] { output->closePort(); });
    output.reset();
    return result;
}

} // namespace vorpline

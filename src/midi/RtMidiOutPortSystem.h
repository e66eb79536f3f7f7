#pragma once
#include <rtmidi/RtMidi.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiOut.h"
#include "midi/RtMidiPortSystem.h"

namespace vorpline {

// MIDI outputs of the ALSA sequencer and of a running JACK server, through RtMidi, listed and
// opened as the inputs are (RtMidiPortSystem): ALSA ports first, then JACK ports; an API that
// cannot be reached contributes none. The program's port is "Aux" of a client named after the
// program (JACK numbers the client, e.g. "Vorpline-01:Aux", when the audio output holds the name).
// Main thread only.
class RtMidiOutPortSystem final : public MidiOutPortSystem {
public:
    static constexpr const char* kPortName = "Aux";

    RtMidiOutPortSystem() = default;
    ~RtMidiOutPortSystem() override;
    RtMidiOutPortSystem(const RtMidiOutPortSystem&) = delete;
    RtMidiOutPortSystem& operator=(const RtMidiOutPortSystem&) = delete;

    std::vector<std::string> ListOutputs() override;
    int Open(std::size_t port) override;
    int Send(uint32_t packed) override;
    int Reset() override;
    int Close() override;

private:
    std::vector<RtMidiPortRef> listed;
    std::unique_ptr<RtMidiOut> output;
};

} // namespace vorpline

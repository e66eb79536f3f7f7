#pragma once
#include <rtmidi/RtMidi.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiPortSystem.h"
#include "platform/SpscRing.h"

namespace vorpline {

// A port as RtMidi numbers it: its API and its index within that API.
struct RtMidiPortRef {
    RtMidi::Api api;
    unsigned index;
};

// The names of the ports of every reachable API (RtMidiPortSystem::ReachableApis) as the
// RtMidi client class `Client` (RtMidiIn, RtMidiOut) sees them, in listing order, and their
// references in `listed`. A fresh client per listing sees ports that came and went since the
// last one and leaves no idle client behind in the server's graph; an API that cannot be
// reached contributes no ports.
template <class Client>
std::vector<std::string> ListRtMidiPorts(const char* clientName,
                                         std::vector<RtMidiPortRef>& listed);

// MIDI inputs of the ALSA sequencer and of a running JACK server, through RtMidi. The list
// holds the ALSA ports first, then the JACK ports, each API in its own order. ALSA names read
// "client:port client-number:port-number", JACK names "client:port" (e.g. "Seq:out").
//
// An API that cannot be reached (no /dev/snd/seq, no JACK server) simply contributes no
// ports: a machine without either lists nothing and opens nothing, without an error. RtMidi's
// JACK back end never starts a server of its own.
//
// Start and Stop are a gate in front of the receiver (and the queue): RtMidi delivers from the
// moment a port is opened, the program only after starting it.
//
// Without a receiver, messages wait for Poll in a ring of our own, not in RtMidi's queue: that
// one hands messages between threads through plain, unsynchronised indices (a data race) and
// copies each message into a fresh vector on what may be JACK's real-time thread.
// Main thread only, except that the receiver runs on RtMidi's input thread (for JACK, the
// server's process thread).
class RtMidiPortSystem final : public MidiPortSystem {
public:
    // The name under which the program appears to the MIDI servers.
    static constexpr const char* kClientName = "Vorpline";
    // The program's input port (JACK shows it as "Vorpline:Input").
    static constexpr const char* kPortName = "Input";
    // Messages held for Poll before new ones are dropped.
    static constexpr std::size_t kQueueLimit = 1024;

    RtMidiPortSystem();
    ~RtMidiPortSystem() override;
    RtMidiPortSystem(const RtMidiPortSystem&) = delete;
    RtMidiPortSystem& operator=(const RtMidiPortSystem&) = delete;

    std::vector<std::string> ListInputs() override;
    int Open(std::size_t port, Receiver receiver) override;
    int Start() override;
    int Stop() override;
    int Reset() override;
    int Close() override;
    bool Poll(uint32_t& packed) override;

    // The result code for an RtMidi error kind (the one table that maps them).
    static int ResultOf(RtMidiError::Type type);
    // The APIs whose ports the program lists, inputs and outputs alike: the ALSA sequencer
    // (when its device exists) and JACK, as far as RtMidi was built with them.
    static std::vector<RtMidi::Api> ReachableApis();

private:
    static void OnMessage(double deltaSeconds, std::vector<unsigned char>* message, void* userData);
    void DropQueued();

    std::vector<RtMidiPortRef> listed; // the ports of the last ListInputs, by list index
    std::unique_ptr<RtMidiIn> input;
    Receiver receiver;                // set before a callback port opens, cleared after close
    std::atomic<bool> started{false}; // the gate, read on RtMidi's thread
    // Without a receiver: filled on RtMidi's thread, emptied on the main thread.
    SpscRing<uint32_t, kQueueLimit> queue;
};

template <class Client>
std::vector<std::string> ListRtMidiPorts(const char* clientName,
                                         std::vector<RtMidiPortRef>& listed) {
    std::vector<std::string> names;
    listed.clear();
    for (RtMidi::Api api : RtMidiPortSystem::ReachableApis()) {
        try {
            Client probe(api, clientName);
            const unsigned count = probe.getPortCount();
            std::vector<std::string> apiNames;
            for (unsigned i = 0; i < count; ++i) {
                apiNames.push_back(probe.getPortName(i));
            }
            for (unsigned i = 0; i < count; ++i) {
                listed.push_back({api, i});
                names.push_back(std::move(apiNames[i]));
            }
        } catch (const std::exception&) {
            // The API is unreachable (RtMidiError) or the listing ran out of memory.
        }
    }
    return names;
}

} // namespace vorpline

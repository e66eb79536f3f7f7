#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorpline {

// Result codes of MIDI port operations. They carry the numbers of the multimedia error names
// the user is shown (MidiIn::ErrorSuffix), so a failure reads the same whichever port system
// produced it. 0 is success; codes not listed here may occur and are shown as numbers.
inline constexpr int kMidiOk = 0;
inline constexpr int kMidiError = 1;         // [ERROR]: unspecified, system or thread failure
inline constexpr int kMidiBadDeviceId = 2;   // [BADDEVICEID]: no such port
inline constexpr int kMidiAllocated = 4;     // [ALLOCATED]: a port is already open
inline constexpr int kMidiInvalidHandle = 5; // [INVALHANDLE]: operation on a port not open
inline constexpr int kMidiNoDriver = 6;      // [NODRIVER]: the MIDI server refused or is gone
inline constexpr int kMidiNoMemory = 7;      // [NOMEM]
inline constexpr int kMidiInvalidParam = 11; // [INVALPARAM]

// A short MIDI message as one 32-bit word: status in bits 0-7, first data byte in bits 8-15,
// second in bits 16-23, bits 24-31 zero (the marker of real MIDI). Messages of one or two
// bytes leave the missing bytes 0. Returns false, leaving `packed` alone, for an empty message
// or one longer than three bytes (system exclusive), which the program does not use.
// Any thread; allocation-free.
inline bool PackShortMessage(const unsigned char* bytes, std::size_t size, uint32_t& packed) {
    if (size == 0 || size > 3) {
        return false;
    }
    uint32_t word = 0;
    for (std::size_t i = 0; i < size; ++i) {
        word |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    packed = word;
    return true;
}

// The operating system's MIDI inputs as MidiIn needs them: numbered ports with names, one of
// which can be open at a time, and which delivers nothing until started. A port is opened,
// started, stopped, reset (pending input discarded) and closed; each step returns one of the
// codes above.
//
// Everything except the Receiver belongs to the main thread.
class MidiPortSystem {
public:
    // Gets each short message (packed as above) that arrives while the port is started. It
    // runs on the port system's own thread, which may be a real-time audio thread: it must
    // neither block nor allocate.
    using Receiver = std::function<void(uint32_t packed)>;

    virtual ~MidiPortSystem() = default;

    // Names of the input ports now present, in the system's own order; a port whose name
    // cannot be read is listed as an empty string so the numbering stays intact. Open's
    // `port` is an index into the most recent list.
    virtual std::vector<std::string> ListInputs() = 0;
    // Opens a port, stopped. With a receiver, messages go to it; without one they wait in the
    // port system's queue for Poll.
    virtual int Open(std::size_t port, Receiver receiver) = 0;
    virtual int Start() = 0;
    virtual int Stop() = 0;
    // Stops input and drops whatever is waiting in the queue.
    virtual int Reset() = 0;
    // After Close returns kMidiOk the receiver is not running and will not run again.
    virtual int Close() = 0;
    // Queue mode: takes the next short message received while started; false when none waits.
    virtual bool Poll(uint32_t& packed) = 0;
};

} // namespace vorpline

#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorpline {

// The operating system's MIDI outputs as MidiOut needs them: numbered ports with names, one
// of which can be open at a time. Each step returns one of the kMidi* codes of
// midi/MidiPortSystem.h. Main thread only.
class MidiOutPortSystem {
public:
    virtual ~MidiOutPortSystem() = default;
    // Names of the output ports now present, in the system's own order; a port whose name
    // cannot be read is an empty string so the numbering stays intact.
    virtual std::vector<std::string> ListOutputs() = 0;
    virtual int Open(std::size_t port) = 0;
    // One short message, packed as PackShortMessage does (status in bits 0-7).
    virtual int Send(uint32_t packed) = 0;
    // All notes off on every channel.
    virtual int Reset() = 0;
    virtual int Close() = 0;
};

// The auxiliary MIDI output of the LFO window: lists the output ports, opens one by name,
// sends control changes to it and closes it, reporting every failure with its error name
// (the texts "Midi output already open", "Midi output invalid", "Midi output not found",
// "Failed to open midi output", "Midi output already closed", "Failed to reset midi output",
// "Failed to close midi output", followed by MidiIn::ErrorSuffix of the code).
// Main thread only (the LFOs tick on the main thread too).
class MidiOut {
public:
    using ErrorReporter = std::function<void(const std::string& message)>;
    static inline const std::string kNoOutput = "No midi output";

    // `ports` must outlive this object.
    MidiOut(MidiOutPortSystem& ports, ErrorReporter reportError);
    // Closes an open port without reporting anything (the program is going away).
    ~MidiOut();
    MidiOut(const MidiOut&) = delete;
    MidiOut& operator=(const MidiOut&) = delete;

    // kNoOutput followed by the port names (sorted alphabetically when asked).
    std::vector<std::string> ListDevices(bool sorted);
    // Returns whether a port is open afterwards.
    bool Open(const std::string& name);
    // Returns whether a port is still open afterwards.
    bool Close();
    bool IsOpen() const { return open; }
    // Control change on `channel` 0..15; nothing (and no report) when closed. Returns IsOpen().
    bool SendControl(uint8_t value, uint8_t controller, uint8_t channel);

private:
    void Report(const std::string& text, int code) const;

    MidiOutPortSystem& ports;
    ErrorReporter reportError;
    bool open = false;
};

} // namespace vorpline

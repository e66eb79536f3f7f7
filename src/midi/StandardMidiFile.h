#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorpline {

// Every problem with a MIDI file's contents or with reading it. The message is one line and
// starts with the file name, e.g. "song.mid: truncated track chunk 2".
class MidiFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One channel message of the song, placed on the song's timeline.
struct MidiEvent {
    double seconds = 0.0; // from the start of the song, through the tempo map
    uint64_t tick = 0;    // absolute position in file ticks
    uint16_t track = 0;   // index of the track chunk it came from (0-based)
    uint8_t status = 0;   // 0x80..0xEF: message kind in the high nibble, channel in the low one
    uint8_t data1 = 0;    // 0..127
    uint8_t data2 = 0;    // 0..127; 0 for program change and channel pressure
};

// A Standard MIDI File (format 0 or 1) reduced to its channel messages, merged across tracks
// in time order. Equal times keep track order, then file order, so a note-off and a note-on
// on the same tick play in the order they were written.
//
// Tempo changes (meta 0x51) apply to every track, whichever track holds them; a file without
// any plays at 120 quarter notes per minute. SMPTE divisions (frames per second and ticks per
// frame) are supported: they fix the tick length and tempo events do not change it.
// System-exclusive and other meta events are skipped.
//
// Loading is all-or-nothing: any malformed input throws MidiFileError and never reads outside
// the input. Sizes are bounded (kMaxFileBytes, kMaxEvents) so a hostile file cannot exhaust
// memory. Immutable after construction, so any thread may read it.
class StandardMidiFile {
public:
    static constexpr size_t kMaxFileBytes = 64u << 20;
    // Channel messages plus tempo changes over all tracks.
    static constexpr size_t kMaxEvents = 5'000'000;

    // Reads and parses the file at `path`; error messages start with `path`.
    static StandardMidiFile Load(const std::string& path);
    // Parses an in-memory file; error messages start with `name`.
    static StandardMidiFile Parse(std::span<const uint8_t> bytes, std::string_view name);

    int Format() const { return format; }         // 0 or 1
    int TrackCount() const { return trackCount; } // track chunks read
    // Ticks per quarter note, or 0 when the file uses an SMPTE division.
    int TicksPerQuarter() const { return ticksPerQuarter; }
    const std::vector<MidiEvent>& Events() const { return events; }
    // Time of the latest end-of-track (or last event of a track lacking one), in seconds.
    double DurationSeconds() const { return durationSeconds; }

private:
    StandardMidiFile() = default;

    int format = 0;
    int trackCount = 0;
    int ticksPerQuarter = 0;
    std::vector<MidiEvent> events;
    double durationSeconds = 0.0;
};

} // namespace vorpline

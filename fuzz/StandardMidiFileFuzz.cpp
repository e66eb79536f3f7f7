// MIDI files come from anywhere: any bytes are either a song whose events are well-formed and
// in time order, or refused with a one-line error that names the file. Nothing else escapes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "FuzzCheck.h"
#include "midi/StandardMidiFile.h"

namespace {

using vorpline::fuzz::Check;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using vorpline::MidiEvent;
    try {
        const auto file =
            vorpline::StandardMidiFile::Parse(std::span<const uint8_t>(data, size), "in.mid");
        Check(file.Format() == 0 || file.Format() == 1);
        Check(file.TrackCount() >= 1 && (file.Format() == 1 || file.TrackCount() == 1));
        Check(file.Events().size() <= vorpline::StandardMidiFile::kMaxEvents);
        const MidiEvent* previous = nullptr;
        for (const MidiEvent& event : file.Events()) {
            Check(event.status >= 0x80 && event.status <= 0xEF);
            Check(event.data1 < 0x80 && event.data2 < 0x80);
            Check(event.track < file.TrackCount());
            Check(event.seconds >= 0.0 && event.seconds <= file.DurationSeconds());
            if (previous != nullptr) {
                Check(previous->tick <= event.tick && previous->seconds <= event.seconds);
                Check(previous->tick < event.tick || previous->track <= event.track);
            }
            previous = &event;
        }
    } catch (const vorpline::MidiFileError& error) {
        const std::string message = error.what();
        Check(message.rfind("in.mid: ", 0) == 0 && message.find('\n') == std::string::npos);
    }
    return 0;
}

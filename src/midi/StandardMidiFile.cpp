#include "midi/StandardMidiFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/FileBytes.h"

namespace vorpline {

namespace {

constexpr uint32_t kDefaultUsPerQuarter = 500000; // 120 quarter notes per minute
constexpr uint32_t kMaxVlqBytes = 4;

struct TempoChange {
    uint64_t tick;
    uint32_t usPerQuarter;
};

[[noreturn]] void Fail(std::string_view name, const std::string& what) {
    throw MidiFileError(std::string(name) + ": " + what);
}

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

uint32_t ReadBe32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint16_t ReadBe16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

// Number of data bytes that follow a channel status byte (0x80..0xEF).
int DataBytesFor(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

// Walks one MTrk chunk. `base` is the chunk data's offset in the file, for error messages.
class TrackReader {
public:
    TrackReader(std::span<const uint8_t> data, size_t base, int trackIndex, std::string_view name)
        : data(data), base(base), trackIndex(trackIndex), name(name) {}

    // Appends the track's channel messages and tempo changes (ticks only; times come later)
    // and returns the tick at which the track ends. `budget` is the number of events still
    // allowed over the whole file.
    uint64_t Read(std::vector<MidiEvent>& events, std::vector<TempoChange>& tempos,
                  size_t& budget) {
        uint64_t tick = 0;
        // Running status survives meta and sysex events here although the format says it
        // should not: writers that rely on that are common and the reading is unambiguous.
        uint8_t runningStatus = 0;
        while (pos < data.size()) {
            tick += ReadVlq();
            const size_t eventStart = pos;
            const uint8_t lead = NextByte();
            if (lead == 0xFF) {
                const uint8_t type = NextByte();
                const uint32_t length = ReadVlq();
                Require(length, "meta event");
                if (type == 0x2F) {
                    return tick; // end of track; anything after it in the chunk is ignored
                }
                if (type == 0x51) {
                    if (length != 3) {
                        FailAt(eventStart,
                               "tempo event of " + std::to_string(length) + " bytes (expected 3)");
                    }
                    const uint8_t* p = data.data() + pos;
                    Spend(budget);
                    tempos.push_back({tick, (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]});
                }
                pos += length;
            } else if (lead == 0xF0 || lead == 0xF7) {
                const uint32_t length = ReadVlq();
                Require(length, "system-exclusive event");
                pos += length;
            } else if (lead >= 0xF0) {
                FailAt(eventStart, "unexpected status byte " + Hex(lead));
            } else {
                MidiEvent event;
                event.tick = tick;
                event.track = static_cast<uint16_t>(trackIndex);
                if (lead & 0x80) {
                    runningStatus = lead;
                    event.status = lead;
                    event.data1 = DataByte();
                } else {
                    if (runningStatus == 0) {
                        FailAt(eventStart,
                               "data byte " + Hex(lead) + " without a preceding status byte");
                    }
                    event.status = runningStatus;
                    event.data1 = lead;
                }
                if (DataBytesFor(event.status) == 2) {
                    event.data2 = DataByte();
                }
                Spend(budget);
                events.push_back(event);
            }
        }
        // A missing end-of-track event is tolerated: the chunk length already ends the track.
        return tick;
    }

private:
    [[noreturn]] void FailAt(size_t offset, const std::string& what) const {
        Fail(name, "track " + std::to_string(trackIndex + 1) + " at byte " +
                       std::to_string(base + offset) + ": " + what);
    }

    uint8_t NextByte() {
        if (pos >= data.size()) {
            FailAt(pos, "event runs past the end of the track chunk");
        }
        return data[pos++];
    }

    uint8_t DataByte() {
        const uint8_t value = NextByte();
        if (value & 0x80) {
            FailAt(pos - 1, "status byte " + Hex(value) + " where a data byte belongs");
        }
        return value;
    }

    uint32_t ReadVlq() {
        const size_t start = pos;
        uint32_t value = 0;
        for (uint32_t i = 0; i < kMaxVlqBytes; ++i) {
            const uint8_t byte = NextByte();
            value = (value << 7) | (byte & 0x7F);
            if (!(byte & 0x80)) {
                return value;
            }
        }
        FailAt(start, "variable-length number longer than 4 bytes");
    }

    void Require(uint32_t length, const char* what) const {
        if (length > data.size() - pos) {
            FailAt(pos, std::string(what) + " of " + std::to_string(length) +
                            " bytes runs past the end of the track chunk");
        }
    }

    void Spend(size_t& budget) const {
        if (budget == 0) {
            Fail(name, "more than " + std::to_string(StandardMidiFile::kMaxEvents) + " events");
        }
        --budget;
    }

    std::span<const uint8_t> data;
    size_t base;
    int trackIndex;
    std::string_view name;
    size_t pos = 0;
};

// Converts absolute ticks to seconds. Queries must come in non-decreasing tick order.
class TickClock {
public:
    // SMPTE timing: a fixed tick length, tempo changes do not apply.
    explicit TickClock(double secondsPerTick) : smpteSecondsPerTick(secondsPerTick) {}

    TickClock(int ticksPerQuarter, std::vector<TempoChange> tempos)
        : ticksPerQuarter(ticksPerQuarter), tempos(std::move(tempos)) {}

    double SecondsAt(uint64_t tick) {
        if (smpteSecondsPerTick > 0.0) {
            return static_cast<double>(tick) * smpteSecondsPerTick;
        }
        // Several changes on one tick: the last one written wins.
        while (next < tempos.size() && tempos[next].tick <= tick) {
            segmentSeconds += SegmentSpan(tempos[next].tick);
            segmentTick = tempos[next].tick;
            usPerQuarter = tempos[next].usPerQuarter;
            ++next;
        }
        return segmentSeconds + SegmentSpan(tick);
    }

private:
    double SegmentSpan(uint64_t tick) const {
        return static_cast<double>(tick - segmentTick) * usPerQuarter /
               (1e6 * static_cast<double>(ticksPerQuarter));
    }

    double smpteSecondsPerTick = 0.0;
    int ticksPerQuarter = 1;
    std::vector<TempoChange> tempos;
    size_t next = 0;
    uint64_t segmentTick = 0;
    double segmentSeconds = 0.0;
    uint32_t usPerQuarter = kDefaultUsPerQuarter;
};

// Seconds per tick for an SMPTE division word (high byte: negative frame rate).
double SmpteSecondsPerTick(uint16_t division, std::string_view name) {
    const int frameCode = -static_cast<int>(static_cast<int8_t>(division >> 8));
    const int ticksPerFrame = division & 0xFF;
    double framesPerSecond = 0.0;
    switch (frameCode) {
    case 24:
    case 25:
    case 30:
        framesPerSecond = frameCode;
        break;
    case 29: // 30 drop-frame: the real NTSC rate
        framesPerSecond = 30000.0 / 1001.0;
        break;
    default:
        Fail(name, "unsupported SMPTE frame rate " + std::to_string(frameCode));
    }
    if (ticksPerFrame == 0) {
        Fail(name, "SMPTE division with 0 ticks per frame");
    }
    return 1.0 / (framesPerSecond * ticksPerFrame);
}

bool IsChunkTypeText(const uint8_t* p) {
    return std::all_of(p, p + 4, [](uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

} // namespace

StandardMidiFile StandardMidiFile::Load(const std::string& path) {
    FileBytes file = ReadFileBytes(path, kMaxFileBytes + 1);
    if (!file) {
        Fail(path, file.error);
    }
    if (file.bytes.size() > kMaxFileBytes) {
        Fail(path, "larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB");
    }
    return Parse(file.bytes, path);
}

StandardMidiFile StandardMidiFile::Parse(std::span<const uint8_t> bytes, std::string_view name) {
    if (bytes.empty()) {
        Fail(name, "empty file");
    }
    if (bytes.size() > kMaxFileBytes) {
        Fail(name, "larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB");
    }
    if (bytes.size() < 8 || std::memcmp(bytes.data(), "MThd", 4) != 0) {
        Fail(name, "not a Standard MIDI File (no MThd header)");
    }
    const uint32_t headerLength = ReadBe32(bytes.data() + 4);
    if (headerLength < 6) {
        Fail(name, "header chunk of " + std::to_string(headerLength) + " bytes (expected 6)");
    }
    if (headerLength > bytes.size() - 8) {
        Fail(name, "truncated header chunk");
    }
    const uint16_t format = ReadBe16(bytes.data() + 8);
    const uint16_t declaredTracks = ReadBe16(bytes.data() + 10);
    const uint16_t division = ReadBe16(bytes.data() + 12);
    if (format == 2) {
        Fail(name, "format 2 (independent sequences) is not supported");
    }
    if (format > 2) {
        Fail(name, "unknown format " + std::to_string(format));
    }
    if (declaredTracks == 0) {
        Fail(name, "no tracks");
    }
    if (format == 0 && declaredTracks != 1) {
        Fail(name, "format 0 with " + std::to_string(declaredTracks) + " tracks (expected 1)");
    }
    const bool smpte = (division & 0x8000) != 0;
    if (!smpte && division == 0) {
        Fail(name, "division of 0 ticks per quarter note");
    }
    const double secondsPerSmpteTick = smpte ? SmpteSecondsPerTick(division, name) : 0.0;

    std::vector<MidiEvent> events;
    std::vector<TempoChange> tempos;
    std::vector<uint64_t> trackEnds;
    size_t budget = kMaxEvents;
    size_t pos = 8 + size_t{headerLength};
    while (trackEnds.size() < declaredTracks) {
        const std::string trackNumber = std::to_string(trackEnds.size() + 1);
        if (pos == bytes.size()) {
            Fail(name, "file ends before track chunk " + trackNumber + " of " +
                           std::to_string(declaredTracks));
        }
        if (bytes.size() - pos < 8) {
            Fail(name, "truncated chunk header at byte " + std::to_string(pos));
        }
        const uint8_t* chunk = bytes.data() + pos;
        if (!IsChunkTypeText(chunk)) {
            Fail(name, "garbage where a chunk should start at byte " + std::to_string(pos));
        }
        const bool isTrack = std::memcmp(chunk, "MTrk", 4) == 0;
        const uint32_t length = ReadBe32(chunk + 4);
        if (length > bytes.size() - pos - 8) {
            if (isTrack) {
                Fail(name, "truncated track chunk " + trackNumber);
            }
            Fail(name, "truncated '" + std::string(chunk, chunk + 4) + "' chunk at byte " +
                           std::to_string(pos));
        }
        if (isTrack) {
            TrackReader reader(bytes.subspan(pos + 8, length), pos + 8,
                               static_cast<int>(trackEnds.size()), name);
            trackEnds.push_back(reader.Read(events, tempos, budget));
        }
        // Other chunk types are extensions this program has no use for.
        pos += 8 + size_t{length};
    }

    // Tracks were appended in order and each is already in tick order, so a stable sort on
    // the tick alone keeps track order, then file order, for equal times.
    auto byTick = [](const auto& a, const auto& b) { return a.tick < b.tick; };
    std::stable_sort(events.begin(), events.end(), byTick);
    std::stable_sort(tempos.begin(), tempos.end(), byTick);

    TickClock clock = smpte ? TickClock(secondsPerSmpteTick) : TickClock(division, tempos);
    for (MidiEvent& event : events) {
        event.seconds = clock.SecondsAt(event.tick);
    }
    const uint64_t endTick = *std::max_element(trackEnds.begin(), trackEnds.end());
    // The clock only moves forward, so the end (not before any event) is asked for last.
    const double endSeconds = clock.SecondsAt(endTick);

    StandardMidiFile file;
    file.format = format;
    file.trackCount = static_cast<int>(trackEnds.size());
    file.ticksPerQuarter = smpte ? 0 : division;
    file.events = std::move(events);
    file.durationSeconds = endSeconds;
    return file;
}

} // namespace vorpline

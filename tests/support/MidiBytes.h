#pragma once
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// Builds Standard MIDI File bytes in tests, chunk by chunk.
namespace vorpline::midibytes {

using Bytes = std::vector<uint8_t>;

inline void Append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}

inline Bytes Be32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

inline Bytes Vlq(uint32_t v) {
    Bytes out{uint8_t(v & 0x7F)};
    while (v >>= 7) {
        out.insert(out.begin(), uint8_t(0x80 | (v & 0x7F)));
    }
    return out;
}

inline Bytes Chunk(const char* type, const Bytes& body) {
    Bytes out(type, type + 4);
    Append(out, Be32(uint32_t(body.size())));
    Append(out, body);
    return out;
}

inline Bytes Header(uint16_t format, uint16_t tracks, uint16_t division) {
    return Chunk("MThd", {uint8_t(format >> 8), uint8_t(format), uint8_t(tracks >> 8),
                          uint8_t(tracks), uint8_t(division >> 8), uint8_t(division)});
}

// Track body: events are (delta ticks, raw bytes after the delta).
inline Bytes Track(std::initializer_list<std::pair<uint32_t, Bytes>> events,
                   bool endOfTrack = true) {
    Bytes body;
    for (const auto& [delta, bytes] : events) {
        Append(body, Vlq(delta));
        Append(body, bytes);
    }
    if (endOfTrack) {
        Append(body, {0x00, 0xFF, 0x2F, 0x00});
    }
    return Chunk("MTrk", body);
}

inline Bytes Tempo(uint32_t usPerQuarter) {
    return {0xFF,
            0x51,
            0x03,
            uint8_t(usPerQuarter >> 16),
            uint8_t(usPerQuarter >> 8),
            uint8_t(usPerQuarter)};
}

inline Bytes File(uint16_t format, uint16_t division, std::initializer_list<Bytes> tracks) {
    Bytes out = Header(format, uint16_t(tracks.size()), division);
    for (const Bytes& t : tracks) {
        Append(out, t);
    }
    return out;
}

inline void Save(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

} // namespace vorpline::midibytes

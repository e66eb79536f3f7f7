#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorpline {

// A performance: one preset of every kind by name, the clock's source and tempo and the three
// master enables. Stored as "<title>.vpx" in the root of the preset tree, exactly kSize bytes:
//
//   offset size  field
//      0   256   main preset name          524  256  control-change map name
//    256     4   bank index (0 2op, 1 4op,  780  256  LFO preset name
//                2 6op)                    1036    4  LFO enable (0/1)
//    260   256   drum kit name             1040  256  sequence name
//    516     4   clock source (0 timer,    1296    4  sequencer enable (0/1)
//                1 MIDI clock, 2 MIDI TC)  1300  256  Circuit Bend preset name
//    520     4   tempo in BPM              1556    4  Circuit Bend enable (0/1)
//
// Numbers are u32 little-endian. A name field holds at most 255 bytes of text, zero-padded,
// its last byte always 0; "Default" names a window's built-in contents. The title is the file's
// name only: the record does not carry it.
struct PerformanceRecord {
    static constexpr std::size_t kSize = 1560;
    static constexpr std::size_t kNameField = 256;
    static constexpr std::size_t kMaxNameBytes = kNameField - 1;
    // What a tempo text that is no number is stored as.
    static constexpr uint32_t kFallbackTempo = 120;
    static constexpr uint32_t kDefaultBank = 2;
    static inline const std::string kExtension = ".vpx";

    std::string preset = "Default";
    uint32_t bank = kDefaultBank;
    std::string drum = "Default";
    uint32_t clockSource = 0;
    uint32_t tempo = kFallbackTempo;
    std::string cc = "Default";
    std::string lfo = "Default";
    bool lfoEnable = false;
    std::string seq = "Default";
    bool seqEnable = false;
    std::string bend = "Default";
    bool bendEnable = false;

    bool operator==(const PerformanceRecord&) const = default;
};

// The record of exactly kSize bytes; nothing for any other size. A name is the field's bytes up
// to its first zero; an enable is on when its u32 is not 0.
std::optional<PerformanceRecord> DecodePerformance(std::span<const uint8_t> bytes);
// The file image. A name longer than 255 bytes is cut at the last whole UTF-8 character that
// fits, so the field always ends in 0.
std::array<uint8_t, PerformanceRecord::kSize> EncodePerformance(const PerformanceRecord& record);

// A performance file, read with the size checked before anything is taken from it.
std::optional<PerformanceRecord> ReadPerformanceFile(const std::filesystem::path& file);
// Replaces `file` as a whole (a temporary file renamed over it). Returns success.
bool WritePerformanceFile(const std::filesystem::path& file, const PerformanceRecord& record);

// The tempo field for a typed tempo: its decimal value when it is a whole number in the u32
// range, else kFallbackTempo.
uint32_t PerformanceTempo(const std::string& text);

// The bank folder a bank index names: "2op", "4op", "6op"; "2op" for any other index.
const std::string& PerformanceBankFolder(uint32_t bank);

// The performance titles of `root`: every "*.vpx" regular file of exactly kSize bytes, without
// the extension, sorted ignoring ASCII case; names a preset folder would refuse are left out.
// Unlike preset folders there is no "Default" entry.
std::vector<std::string> ListPerformances(const std::filesystem::path& root);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

} // namespace vorpline

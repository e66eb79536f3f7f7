#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace vorpline {

// The emulation behind a YMF262. Both take the same port writes and give the same stereo frames
// at the chip's rate; they differ in cost and in detail.
enum class EmulatorCore {
    // Nuked OPL3: reproduces the chip cycle by cycle, envelopes and rounding included.
    kAccurate,
    // The DOSBox core: floating-point envelopes and block-wise rendering, close to the chip by
    // ear but not sample for sample. It skips silent operators, so its cost follows the voices
    // that sound: about a twentieth of the accurate core's for one channel, a sixth for six,
    // three quarters for all eighteen (the accurate core always costs the same).
    kFast,
};

// "Accurate" / "Fast", the names the configuration file stores.
const char* EmulatorCoreName(EmulatorCore core);
// Either name in any letter case; nothing for any other text.
std::optional<EmulatorCore> ParseEmulatorCore(std::string_view text);

class OplCore;

// The software OPL3: an emulation of one YMF262 driven through the same four
// ports as the real chip and producing its output at the chip's own rate (kNativeRate).
//
// Ports: 0 = bank-0 address, 1 = bank-0 data, 2 = bank-1 address, 3 = bank-1 data. As on the
// chip, the address write selects both the register and its bank (port 2 selects registers
// 0x100-0x1FF) and the next data write, through either data port, lands there.
//
// Threads: Init, Shutdown and ResetChip belong to the thread that owns the output and must not
// overlap the others. Write, Read and UpdateOne may then run on another thread (the audio
// thread), one call at a time; they never allocate or block. Calls naming a chip other than 0,
// a port outside 0-3, or made before Init, do nothing (reads give 0, output is silence).
class YMF262 {
public:
    static constexpr uint32_t kClock = 14318181; // Hz, the OPL3 crystal
    // Frames per second: kClock / 288 = 49715.9, which the emulation rounds to 49716.
    static constexpr uint32_t kNativeRate = 49716;
    static constexpr int kInitOk = 0;
    static constexpr int kInitBadChipCount = 1; // only a single chip is emulated
    static constexpr int kInitBadClock = 2;     // must be kClock
    static constexpr int kInitBadRate = 3;      // must be kNativeRate
    static constexpr int kInitNoMemory = 4;

    // The core is fixed for the object's life.
    explicit YMF262(EmulatorCore core = EmulatorCore::kAccurate);
    ~YMF262();
    YMF262(const YMF262&) = delete;
    YMF262& operator=(const YMF262&) = delete;

    // Allocates and resets the chip. Returns kInitOk or one of the kInit* failure codes, in
    // which case the emulator is left shut down.
    int Init(int chips, uint32_t clock, uint32_t rate);
    void Shutdown();
    // Back to the power-on state: all registers 0, OPL2 compatibility mode, silence.
    void ResetChip(int chip);

    void Write(int chip, int port, uint8_t value);
    // The status register. Timers and their flags are not emulated and nothing in the
    // program polls them, so this is always 0 (timers idle, no interrupt).
    uint8_t Read(int chip, int port) const;
    // Renders `frames` interleaved stereo frames (left first) at kNativeRate into `buffer`,
    // which must hold 2 * frames samples.
    void UpdateOne(int chip, int16_t* buffer, size_t frames);

    EmulatorCore Core() const { return core; }

private:
    EmulatorCore core;
    std::unique_ptr<OplCore> chip;
    uint16_t latchedRegister = 0; // 9 bits: bank in bit 8
};

} // namespace vorpline

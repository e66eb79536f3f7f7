// The only file that sees the DOSBox core's header: it defines bare macros (PI, FIXEDPT,
// NUM_CHANNELS, ...) and a file-scope variable that must not leak into the rest of the program.
#include <atomic>
#include <new>
#include <thread>

#include "audio/OplCore.h"
#include "audio/YMF262.h"

// The DOSBox core's header carries no linkage guard; the class is C++ all the same.
#include <adplug/woodyopl.h>

namespace vorpline {

namespace {

// The library keeps its wave, vibrato and tremolo tables and its per-block scratch buffers in
// file-scope variables shared by every chip, and rebuilds some of them in adlib_init. One chip
// at a time may therefore touch them: chips on different threads take turns. The wait is at
// most one block of another fast chip; a single chip never waits.
std::atomic_flag libraryBusy = ATOMIC_FLAG_INIT;

class LibraryTurn {
public:
    // Uncontended (the only case with a single fast chip) this is one atomic exchange, no
    // system call, so the audio thread may take its turn too.
    LibraryTurn() {
        while (libraryBusy.test_and_set(std::memory_order_acquire)) {
            std::this_thread::yield();
        }
    }
    ~LibraryTurn() { libraryBusy.clear(std::memory_order_release); }
    LibraryTurn(const LibraryTurn&) = delete;
    LibraryTurn& operator=(const LibraryTurn&) = delete;
};

class FastOplCore final : public OplCore {
public:
    void Reset() override {
        const LibraryTurn turn;
        // Two output channels of two bytes: interleaved 16-bit stereo, left first. Pitches and
        // envelope times are scaled from the chip's own 49715.9 Hz to this rate, so rendering at
        // 49716 Hz plays every note at the chip's pitch.
        chip.adlib_init(YMF262::kNativeRate, 2, 2);
    }
    void WriteRegister(uint16_t reg, uint8_t value) override {
        const LibraryTurn turn;
        // Registers 0x100-0x1FF are the second bank; the core decodes the 9-bit number itself.
        chip.adlib_write(reg & 0x1FF, value);
    }
    void Generate(int16_t* frames, size_t count) override {
        const LibraryTurn turn;
        // The core renders BLOCKBUF_SIZE frames at a time internally and clips to 16 bits.
        chip.adlib_getsample(frames, static_cast<Bits>(count));
    }

private:
    OPLChipClass chip{};
};

} // namespace

std::unique_ptr<OplCore> MakeFastOplCore() {
    return std::unique_ptr<OplCore>(new (std::nothrow) FastOplCore());
}

} // namespace vorpline

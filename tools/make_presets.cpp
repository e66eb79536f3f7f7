// Writes the starter preset library (vpx/2op, vpx/4op, vpx/6op) with the program's own preset
// writer. Run it from the repository root after changing a preset here:
//   make_presets vpx
// Register bytes per operator: {AM VIB EGT KSR MULT, KSL TL, AR DR, SL RR, WS}. TL 0 is the
// loudest level (0.75 dB per step); EGT (0x20) holds the sustain level while the key is down,
// without it the sound keeps decaying at the release rate.

#include <cstdio>
#include <string>

#include "engine/MultiplierCents.h"
#include "presets/ExtLayout.h"
#include "presets/TSbi.h"

namespace {

using vorpline::PatchExt;
using vorpline::PatchRecord;
using Reg = std::array<uint8_t, 5>;

// Channel byte in register 0xC0 form: CNT, feedback 0..7, both outputs.
uint8_t Channel(int cnt, int feedback) {
    return static_cast<uint8_t>(0x30 | feedback << 1 | cnt);
}

PatchRecord Patch(const std::array<Reg, 6>& ops, uint8_t c12, uint8_t c34, uint8_t c56) {
    PatchRecord patch;
    for (size_t op = 0; op < 6; ++op) {
        patch.op[op].reg = ops[op];
    }
    patch.channel12 = c12;
    patch.channel34 = c34;
    patch.channel56 = c56;
    return patch;
}

// Everything a 6-operator preset carries besides the registers, at the panel's defaults.
PatchExt Settings(int tuning56 = 0, uint8_t depths = 0) {
    namespace ext = vorpline::ext;
    PatchExt e;
    for (int op = 0; op < 6; ++op) {
        for (int mult = 0; mult < 16; ++mult) {
            ext::PutU16(e, ext::TuningEntry(op, mult),
                        vorpline::kMultiplierCentsTable[static_cast<size_t>(mult)]);
        }
    }
    ext::PutU16(e, ext::kTuning56, tuning56);
    e[PatchExt::kOutputs] = 0x0F;
    e[PatchExt::kDepths] = depths;
    e[ext::kVolume] = 25;
    e[ext::kHigh1234] = e[ext::kHigh56] = 10;
    e[PatchExt::kMode1234] = e[PatchExt::kMode56] = 6;
    e[PatchExt::kPriority1234] = e[PatchExt::kPriority56] = 2;
    ext::PutU16(e, ext::kBendRange1234, 200);
    ext::PutU16(e, ext::kBendRange56, 200);
    ext::PutU16(e, ext::kModRange1234, 2400);
    ext::PutU16(e, ext::kModRange56, 2400);
    return e;
}

// Operators a preset of fewer operators leaves alone.
constexpr Reg kUnused = {0x01, 0x3F, 0xFF, 0xFF, 0x00};

bool Write(const vorpline::TSbi& sbi, const char* bank, const char* name, const PatchRecord& p,
           const PatchExt& e) {
    bool ok = sbi.Write(bank, name, p, e);
    std::printf("%s/%s.sbi: %s\n", bank, name, ok ? "written" : "FAILED");
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PRESET_ROOT\n", argv[0]);
        return 2;
    }
    vorpline::TSbi sbi(argv[1]);
    bool ok = true;

    // Two FM pairs for body and tine (1>2 + 3>4), a detuned 5>6 pair for width; every carrier
    // decays while held, as a struck tine does, and the tine's x12 modulator fades fastest.
    ok &= Write(sbi, "6op", "Electric Piano",
                Patch({Reg{0x01, 0x1E, 0xF3, 0x45, 0}, Reg{0x01, 0x42, 0xF3, 0x23, 0},
                       Reg{0x0C, 0x22, 0xF7, 0xF7, 0}, Reg{0x01, 0x48, 0xF5, 0x85, 0},
                       Reg{0x01, 0x2C, 0xF4, 0x55, 0}, Reg{0x01, 0x46, 0xF2, 0x24, 0}},
                      Channel(0, 2), Channel(1, 0), Channel(0, 0)),
                Settings(7));

    // Sawtooth-like carriers from feedback on the first modulator, slow attacks that open the
    // modulators a little later than the carriers, a brighter octave pair and a detuned third.
    ok &= Write(sbi, "6op", "Brass",
                Patch({Reg{0x21, 0x18, 0x64, 0x16, 0}, Reg{0x21, 0x0A, 0x72, 0x17, 0},
                       Reg{0x21, 0x1E, 0x63, 0x16, 0}, Reg{0x22, 0x14, 0x72, 0x17, 0},
                       Reg{0x21, 0x1A, 0x64, 0x16, 0}, Reg{0x21, 0x0E, 0x72, 0x17, 0}},
                      Channel(0, 5), Channel(1, 0), Channel(0, 4)),
                Settings(9));

    // Five soft carriers (1 + 2>3 + 4 + 5 + 6) with slow attack and release, vibrato and a
    // 12-cent detune between the parts: a wide, slowly breathing pad.
    ok &= Write(sbi, "6op", "Warm Pad",
                Patch({Reg{0x60, 0x14, 0x42, 0x14, 1}, Reg{0x22, 0x26, 0x52, 0x25, 0},
                       Reg{0x61, 0x12, 0x42, 0x14, 0}, Reg{0x61, 0x0C, 0x32, 0x14, 0},
                       Reg{0x62, 0x1A, 0x42, 0x14, 0}, Reg{0x61, 0x10, 0x32, 0x14, 2}},
                      Channel(1, 0), Channel(1, 0), Channel(1, 3)),
                Settings(12, 0x02));

    // Drawbars 16', 8' and a lightly modulated 4' (1 + 2>3 + 4), full sustain, quick release.
    ok &= Write(
        sbi, "4op", "Organ",
        Patch({Reg{0x20, 0x0C, 0xF0, 0x07, 0}, Reg{0x23, 0x2C, 0xF0, 0x07, 0},
               Reg{0x22, 0x12, 0xF0, 0x07, 0}, Reg{0x21, 0x06, 0xF0, 0x07, 0}, kUnused, kUnused},
              Channel(1, 0), Channel(1, 0), Channel(0, 0)),
        Settings());

    // Inharmonic pairs (7:2 and 3:1) that ring down slowly: a struck bell.
    ok &= Write(
        sbi, "4op", "Bell",
        Patch({Reg{0x07, 0x18, 0xF3, 0x33, 0}, Reg{0x02, 0x06, 0xF2, 0x43, 0},
               Reg{0x03, 0x20, 0xF4, 0x34, 0}, Reg{0x01, 0x0A, 0xF2, 0x43, 0}, kUnused, kUnused},
              Channel(0, 0), Channel(1, 0), Channel(0, 0)),
        Settings());

    // One FM pair on operators 5/6 with feedback: a round, plucked bass.
    ok &= Write(sbi, "2op", "Bass",
                Patch({kUnused, kUnused, kUnused, kUnused, Reg{0x01, 0x14, 0xF5, 0x48, 0},
                       Reg{0x21, 0x02, 0xF3, 0x38, 0}},
                      Channel(0, 0), Channel(0, 0), Channel(0, 5)),
                Settings());
    return ok ? 0 : 1;
}

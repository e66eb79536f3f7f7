// Presets come from other musicians: any bytes either leave the current settings untouched or
// load a 2-, 4- or 6-operator preset that writes back to a file that loads the same again,
// goes onto the chip without an illegal register, and plays.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "engine/OPL3.h"
#include "platform/VirtualTimerService.h"
#include "presets/ExtLayout.h"
#include "presets/TSbi.h"

namespace {

using vorpline::PatchExt;
using vorpline::PatchRecord;
using vorpline::TSbi;

class CheckedChip : public vorpline::ChipBackend {
public:
    void Write(int bank, uint8_t, uint8_t, uint16_t) override {
        if (bank != 0 && bank != 1) {
            __builtin_trap();
        }
    }
};

using vorpline::fuzz::Check;

bool Same(const PatchRecord& a, const PatchExt& ae, const PatchRecord& b, const PatchExt& be) {
    for (size_t op = 0; op < a.op.size(); ++op) {
        if (a.op[op].reg != b.op[op].reg) {
            return false;
        }
    }
    return a.channel12 == b.channel12 && a.channel34 == b.channel34 && a.channel56 == b.channel56 &&
           ae.bytes == be.bytes;
}

// A recognisable starting point, so a refused file is seen to change nothing.
void Fill(PatchRecord& patch, PatchExt& ext) {
    for (auto& op : patch.op) {
        op.reg.fill(0x05);
    }
    patch.channel12 = patch.channel34 = patch.channel56 = 0x31;
    ext.bytes.fill(0xA5);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PatchRecord patch;
    PatchExt ext;
    Fill(patch, ext);
    const std::span<const uint8_t> file(data, size);
    if (!TSbi::Decode(file, patch, ext)) {
        PatchRecord untouched;
        PatchExt untouchedExt;
        Fill(untouched, untouchedExt);
        Check(Same(patch, ext, untouched, untouchedExt));
        return 0;
    }
    Check(size == TSbi::kSize2op || size == TSbi::kSize4op ||
          (size >= TSbi::kMin6op && size <= TSbi::kSize6op));
    for (const auto& op : patch.op) {
        Check(op.reg[4] < 8);
    }

    // Written in its own kind and read back over the loaded settings: nothing moves but the
    // reserved byte, which is written as zero.
    const char kind = data[0] == 'S' ? '2' : static_cast<char>(data[0]);
    const std::vector<uint8_t> image = TSbi::Encode(kind, "fuzz", patch, ext);
    Check(!image.empty());
    PatchRecord again = patch;
    PatchExt againExt = ext;
    Check(TSbi::Decode(image, again, againExt));
    PatchExt expected = ext;
    if (kind == '6') {
        expected[vorpline::ext::kReserved] = 0;
    }
    Check(Same(patch, expected, again, againExt));

    // On the chip: whatever the settings say, every write is a legal register, and both parts
    // take notes (the register checks throw on anything from 0x200 up).
    CheckedChip backend;
    vorpline::VirtualTimerService timers;
    vorpline::OPL3 chip(backend, timers, {});
    chip.ApplyPatch(patch, ext);
    for (int part = 0; part < 2; ++part) {
        auto& voices = chip.Part(part);
        for (size_t i = 0; i < std::min<size_t>(size, 24); ++i) {
            const auto note = static_cast<uint8_t>(data[i] & 0x7F);
            Check(voices.NoteOn(note, static_cast<uint8_t>(1 + (data[size - 1 - i] & 0x7E)),
                                static_cast<int32_t>(data[i]) * 37 - 4000) <= voices.Channels());
            if (i % 3 == 2) {
                voices.NoteOff(note);
            }
        }
        chip.DamperUpdate(part, 127);
        voices.AllNotesOff();
        Check(voices.Count() == 0);
    }
    timers.AdvanceBy(5000);
    return 0;
}

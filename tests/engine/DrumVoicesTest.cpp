#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/DrumVoices.h"
#include "support/EngineFixture.h"

namespace vorpline::test {
namespace {

class DrumVoicesTest : public EngineFixture {
protected:
    DrumVoicesTest() : EngineFixture({.drumMode = true}), drums(chip) {}

    // "reg=value" of every write, in order.
    std::string Writes() const {
        std::string text;
        char buf[16];
        for (const auto& w : backend.writes) {
            std::snprintf(buf, sizeof buf, "%s%03X=%02X", text.empty() ? "" : " ", w.Register(),
                          w.value);
            text += buf;
        }
        return text;
    }

    DrumVoices drums;
};

TEST_F(DrumVoicesTest, EachOperationChangesOnlyItsBits) {
    using Drum = DrumVoices::Drum;
    struct Case {
        const char* name;
        std::function<void(DrumVoices&)> act;
        const char* writes; // every drum register 0xFF before, 0xBD 0xE8
    };
    const std::vector<Case> cases = {
        {"attack of the bass-drum modulator", [](DrumVoices& d) { d.SetDrumAttack(13, 2); },
         "070=2F"},
        {"decay of the cymbal", [](DrumVoices& d) { d.SetDrumDecay(18, 1); }, "075=F1"},
        {"sustain of the hi-hat", [](DrumVoices& d) { d.SetDrumSustain(14, 0); }, "091=0F"},
        {"release of the snare", [](DrumVoices& d) { d.SetDrumRelease(17, 3); }, "094=F3"},
        {"level keeps the key scaling", [](DrumVoices& d) { d.SetDrumLevel(16, 0); }, "053=C0"},
        {"waveform", [](DrumVoices& d) { d.SetDrumWaveform(15, 2); }, "0F2=FA"},
        {"multiplier from cents", [](DrumVoices& d) { d.SetDrumMultiplier(13, 1200); }, "030=F2"},
        {"cents not in the table: MULT 15", [](DrumVoices& d) { d.SetDrumMultiplier(13, 5); },
         "030=FF"},
        {"left output of channel 7", [](DrumVoices& d) { d.SetDrumOutputLeft(7, false); },
         "0C6=EF"},
        {"right output of channel 9", [](DrumVoices& d) { d.SetDrumOutputRight(9, false); },
         "0C8=DF"},
        {"outside the drums nothing",
         [](DrumVoices& d) {
             d.SetDrumAttack(12, 0), d.SetDrumDecay(19, 0), d.SetDrumOutputLeft(6, false);
             d.SetDrumOutputRight(10, false);
         },
         ""},
        {"snare off keeps the depths and the others", [](DrumVoices& d) { d.DrumOff(Drum::Snare); },
         "0BD=E0"},
        // Note 45 (A2): block 2, F-number 580 = 0x244. The key-on bit of 0xB6 is cleared.
        {"bass drum on", [](DrumVoices& d) { d.DrumOn(Drum::BassDrum, 45); },
         "0A6=44 0B6=CA 0BD=F8"},
        // Note 60 (middle C): block 4, F-number 345 = 0x159, on the shared channel 8.
        {"cymbal on", [](DrumVoices& d) { d.DrumOn(Drum::Cymbal, 60); }, "0A8=59 0B8=D1 0BD=EA"},
        {"hi-hat on channel 7, silent from note 115",
         [](DrumVoices& d) { d.DrumOn(Drum::HiHat, 131); }, "0A7=00 0B7=C0 0BD=E9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int slot = 0x10; slot <= 0x15; ++slot) {
            for (int base : {0x20, 0x40, 0x60, 0x80, 0xE0}) {
                chip.WriteRegister(static_cast<uint16_t>(base + slot), 0xFF);
            }
        }
        for (int channel = 6; channel <= 8; ++channel) {
            for (int base : {0xA0, 0xB0, 0xC0}) {
                chip.WriteRegister(static_cast<uint16_t>(base + channel), 0xFF);
            }
        }
        chip.WriteRegister(0xBD, 0xE8); // both depths, rhythm mode, the snare sounding
        backend.writes.clear();
        c.act(drums);
        EXPECT_EQ(Writes(), c.writes);
    }
}

} // namespace
} // namespace vorpline::test

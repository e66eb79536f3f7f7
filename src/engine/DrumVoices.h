#pragma once
#include <cstdint>

namespace vorpline {

class OPL3;

// The five percussion voices of the chip's rhythm mode (0xBD bit 5, which the engine sets when
// the drum option is on). Bank-0 channels 6, 7 and 8 then play:
//
//   channel 6 (0xA6/0xB6/0xC6): bass drum, operators 13 (modulator, slot 0x10) and 16
//                               (carrier, slot 0x13)
//   channel 7 (0xA7/0xB7/0xC7): hi-hat, operator 14 (slot 0x11); snare, operator 17 (0x14)
//   channel 8 (0xA8/0xB8/0xC8): tom-tom, operator 15 (slot 0x12); cymbal, operator 18 (0x15)
//
// Operators are numbered as the chip counts them from 1 (operator n is slot n - 1 of the
// engine's slot table), channels from 1 (7..9 are the rhythm channels 6..8). A drum sounds
// while its bit of 0xBD is set: BD 0x10, SD 0x08, TOM 0x04, TC 0x02, HH 0x01; it is struck
// again by clearing and setting that bit, there is no key-on in 0xB6..0xB8.
//
// Every setter is a read-modify-write of the engine's register shadow, so the tremolo and
// vibrato depths (0xBD bits 7 and 6) and the rhythm-mode bit stay as the main window set them.
// Operator numbers outside 13..18 and channels outside 7..9 write nothing.
// Main thread only (through the engine).
class DrumVoices {
public:
    enum class Drum { BassDrum, Snare, TomTom, Cymbal, HiHat };
    static constexpr int kFirstOperator = 13;
    static constexpr int kLastOperator = 18;
    static constexpr int kFirstChannel = 7;
    static constexpr int kLastChannel = 9;

    explicit DrumVoices(OPL3& chip) : chip(chip) {}

    void SetDrumAttack(int op, uint8_t rate);   // 0x60 bits 4-7, 0..15
    void SetDrumDecay(int op, uint8_t rate);    // 0x60 bits 0-3
    void SetDrumSustain(int op, uint8_t level); // 0x80 bits 4-7
    void SetDrumRelease(int op, uint8_t rate);  // 0x80 bits 0-3
    void SetDrumLevel(int op, uint8_t tl);      // 0x40 bits 0-5: attenuation, 63 = quietest
    void SetDrumWaveform(int op, uint8_t ws);   // 0xE0 bits 0-2
    // MULT (0x20 bits 0-3) of a cents value of the multiplier table; a value not in the table
    // gives the table's not-found marker, whose low four bits are MULT 15.
    void SetDrumMultiplier(int op, int cents);
    // The channel's output bits in 0xC0 + channel - 1: left bit 4, right bit 5.
    void SetDrumOutputLeft(int channel, bool on);
    void SetDrumOutputRight(int channel, bool on);

    void DrumOff(Drum drum);
    // Pitch of the drum's channel from `note` (0..131; octave index x 12 + note index, so 60 is
    // middle C) at 0 cents, then the drum's bit on. Notes from 115 up are silent (F-number 0).
    // Hi-hat and snare share channel 7, tom-tom and cymbal channel 8: the last struck sets the
    // pitch of both.
    void DrumOn(Drum drum, int note);

    static uint8_t DrumBit(Drum drum);
    // Channel offset 6..8 within bank 0.
    static uint16_t DrumChannel(Drum drum);

private:
    void WriteOperatorField(int op, uint16_t base, uint8_t mask, uint8_t value);
    void WriteField(uint16_t reg, uint8_t mask, uint8_t value);

    OPL3& chip;
};

} // namespace vorpline

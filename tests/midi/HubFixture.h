#pragma once
#include <gmock/gmock.h>

#include <vector>

#include "midi/CcMap.h"
#include "midi/HubPeers.h"
#include "midi/MessageHub.h"
#include "ui/MainFormFixture.h"

namespace vorpline::test {

// A control-change map with a table of its own, remembering what it was told.
class FixedCcMap : public CcMap {
public:
    const CcNumberTable& Numbers() const override { return numbers; }
    void ControllerObserved(uint8_t controller, uint8_t value) override {
        observed.emplace_back(controller, value);
    }

    CcNumberTable numbers = kDefaultCcNumbers;
    std::vector<std::pair<int, int>> observed;
};

class MockClock : public ClockReceiver {
public:
    MOCK_METHOD(void, Tick, (int source), (override));
    MOCK_METHOD(void, Start, (), (override));
    MOCK_METHOD(void, Continue, (), (override));
    MOCK_METHOD(void, Stop, (), (override));
    MOCK_METHOD(void, Switch1, (uint8_t value, uint8_t slot, uint8_t op), (override));
    MOCK_METHOD(void, Switch2, (uint8_t value, uint8_t slot, uint8_t op), (override));
    MOCK_METHOD(void, LfoModulation, (uint8_t value, uint8_t slot, uint8_t op), (override));
};

// The synth panel on the recording engine with the hub in front of it and the MIDI input open.
class HubFixture : public MainFormFixture {
protected:
    HubFixture() {
        hub.inputOpen = [this] { return inputOpen; };
    }

    // A MIDI message from the input.
    void Midi(uint8_t status, uint8_t data1, uint8_t data2 = 0) {
        hub.ShortEvent(PackEvent(status, data1, data2), 0);
    }
    // A control change on channel 1 (both parts' channel unless a test moves them).
    void Cc(uint8_t controller, uint8_t value, uint8_t channel = 0) {
        Midi(static_cast<uint8_t>(0xB0 | channel), controller, value);
    }
    // A controller value an LFO posted.
    void LfoCc(uint8_t controller, uint8_t value, uint8_t slot, uint8_t op) {
        hub.ShortEvent(PackEvent(0xB0, controller, value, MessageHub::kFromProgram),
                       static_cast<uint32_t>(slot << 8 | op));
    }
    std::string Notes(int part) { return form.Panel(part).notes.Caption(); }
    // Block and F-number of a voice as one number that grows with the pitch.
    int Pitch(int part, int voice) const {
        uint16_t channel = chip.Part(part).ChannelOffset(voice);
        return (chip.ReadRegister(0xB0 + channel) & 0x1F) << 8 | chip.ReadRegister(0xA0 + channel);
    }

    bool inputOpen = true;
    MessageHub hub{form, chip, pitch};
};

} // namespace vorpline::test

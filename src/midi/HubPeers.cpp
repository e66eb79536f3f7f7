#include "midi/HubPeers.h"

#include "midi/CcMap.h"

namespace vorpline {

namespace {

// The receivers of windows that do not exist in this run.

// Every function off but the damper pedal, which holds notes whether or not the map exists.
class DamperOnlyMap final : public CcMap {
public:
    DamperOnlyMap() {
        numbers.fill(kNoController);
        numbers[kCcSwitch1] = kDefaultCcNumbers[kCcSwitch1];
    }
    const CcNumberTable& Numbers() const override { return numbers; }
    void ControllerObserved(uint8_t, uint8_t) override {}

private:
    // Entries above 127 never match a controller.
    static constexpr uint8_t kNoController = 0xFF;
    CcNumberTable numbers{};
};

class NoClock final : public ClockReceiver {
public:
    void Tick(int) override {}
    void Start() override {}
    void Continue() override {}
    void Stop() override {}
    void Switch1(uint8_t, uint8_t, uint8_t) override {}
    void Switch2(uint8_t, uint8_t, uint8_t) override {}
    void LfoModulation(uint8_t, uint8_t, uint8_t) override {}
};

class NoBend final : public CircuitBendReceiver {
public:
    void CcEvent(uint8_t) override {}
};

class NoDsp final : public DspReceiver {
public:
    void SetFrequency(uint8_t) override {}
    void SetResonance(uint8_t) override {}
    void SetInputGain(uint8_t) override {}
    void SetOutputGain(uint8_t) override {}
};

class NoDrumKit final : public DrumKitReceiver {
public:
    bool ListensTo(int) const override { return false; }
    void PlayByNote(uint8_t, uint8_t) override {}
};

// Stateless, so one of each serves every hub.
DamperOnlyMap damperOnly;
NoClock noClock;
NoBend noBend;
NoDsp noDsp;
NoDrumKit noDrumKit;

} // namespace

HubPeers::HubPeers()
    : ccMap(&damperOnly), clock(&noClock), bend(&noBend), dsp(&noDsp), drumKit(&noDrumKit) {}

} // namespace vorpline

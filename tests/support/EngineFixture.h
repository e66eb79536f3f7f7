#pragma once
#include <gtest/gtest.h>

#include "engine/OPL3.h"
#include "engine/PitchControl.h"
#include "platform/VirtualTimerService.h"
#include "support/RecordingBackend.h"

namespace vorpline::test {

// An engine on a recording backend in virtual time, with the glide ticks routed back into the
// engine as the main window does.
class EngineFixture : public ::testing::Test {
protected:
    explicit EngineFixture(OPL3::Settings settings = {})
        : chip(backend, timers, settings), pitch(chip) {
        chip.SetGlideTickHandler(
            [this](int part, int remaining) { pitch.GlideTick(part, remaining); });
        backend.writes.clear();
    }

    // A sustained patch with every voice in Poly 6, priority Last.
    PatchRecord SustainedPatch() const {
        PatchRecord patch;
        for (auto& op : patch.op) {
            op.reg = {0x01, 0x00, 0xF0, 0x00, 0x00};
        }
        patch.channel12 = patch.channel34 = patch.channel56 = 0x30;
        return patch;
    }
    PatchExt Ext(uint8_t mode1234 = 6, uint8_t mode56 = 6, uint8_t priority = 2) const {
        PatchExt ext;
        ext[PatchExt::kOutputs] = 0x0F;
        ext[PatchExt::kMode1234] = mode1234;
        ext[PatchExt::kMode56] = mode56;
        ext[PatchExt::kPriority1234] = priority;
        ext[PatchExt::kPriority56] = priority;
        return ext;
    }

    bool KeyOn(int part, int voice) const {
        return chip.ReadRegister(0xB0 + chip.Part(part).ChannelOffset(voice)) & 0x20;
    }

    RecordingBackend backend;
    VirtualTimerService timers;
    OPL3 chip;
    PitchControl pitch;
};

} // namespace vorpline::test

#pragma once
#include <fstream>
#include <string>

#include "engine/RegisterMap.h"
#include "support/EngineFixture.h"
#include "support/TempDir.h"
#include "ui/TFormMain.h"

namespace vorpline::test {

// The synthesizer panel on the recording engine, with an asset folder of its own.
class MainFormFixture : public EngineFixture {
protected:
    MainFormFixture() {
        form.AttachEngine(chip, pitch);
        backend.writes.clear();
    }

    // Operator register of `op` in voice `voice`, e.g. Reg(kRegAttackDecay, 2, 0).
    uint8_t Reg(uint16_t base, int op, int voice) const {
        return chip.ReadRegister(static_cast<uint16_t>(base + OperatorSlotOffset(op, voice)));
    }

    static void WriteFile(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

    TempDir assets;
    TFormMain form{assets.path};
};

} // namespace vorpline::test

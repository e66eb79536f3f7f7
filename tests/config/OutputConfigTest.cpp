#include "config/OutputConfig.h"

#include <gtest/gtest.h>

#include "platform/IniFile.h"

namespace vorpline {
namespace {

TEST(OutputConfigTest, EmulatorKeyRoundTripsAndAnythingElseIsTheAccurateCore) {
    const struct {
        const char* stored; // nullptr = no key
        EmulatorCore read;
    } cases[] = {
        {nullptr, EmulatorCore::kAccurate}, {"Fast", EmulatorCore::kFast},
        {"fAST", EmulatorCore::kFast},      {"Accurate", EmulatorCore::kAccurate},
        {"", EmulatorCore::kAccurate},      {"Fastest", EmulatorCore::kAccurate},
        {"1", EmulatorCore::kAccurate},     {"Fas", EmulatorCore::kAccurate},
    };
    for (const auto& c : cases) {
        IniFile ini("");
        if (c.stored != nullptr) {
            ini.WriteString(kMainSection, "Emulator", c.stored);
        }
        const PortConfig config = ReadOutputConfig(ini);
        EXPECT_EQ(config.emulator, c.read) << (c.stored ? c.stored : "(none)");

        IniFile written("");
        WriteOutputConfig(written, config);
        EXPECT_EQ(ReadOutputConfig(written).emulator, c.read);
        EXPECT_EQ(written.ReadString(kMainSection, "Emulator", ""), EmulatorCoreName(c.read));
    }
}

} // namespace
} // namespace vorpline

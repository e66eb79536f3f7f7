#include "cards/CardPorts.h"
#include "cards/FM801.h"
#include "config/OutputConfig.h"
#include "engine/PortBackend.h"
#include "support/RecordingPortIo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace vorpline {
namespace {

using test::PortEvent;
using test::RecordingPortIo;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

bool Granted(const std::vector<PortRange>& ranges, uint32_t port) {
    return port <= 0xFFFF && std::any_of(ranges.begin(), ranges.end(), [&](const PortRange& r) {
               return r.Contains(static_cast<uint16_t>(port));
           });
}

// Every port the card's mixer and chip touch through a whole session, as start-up, the panel
// and shutdown drive them, lies inside what the access check grants. A 16-bit transfer uses
// its port and the next one.
TEST(CardPortsTest, GrantCoversEveryPortTheChipAndMixerTouch) {
    for (int type = kTypeFM801; type <= kTypeOPL3; ++type) {
        for (uint16_t base : {uint16_t{0x220}, uint16_t{0x388}, uint16_t{0xE800}}) {
            RecordingPortIo io;
            io.idleValue = 0;
            {
                std::unique_ptr<Mixer> mixer = MakeCardMixer(type, io, base);
                mixer->SetVolumePan(31, -20);
                mixer->SetMute(true);
                mixer->SetMute(false);
                int volume = 0;
                int pan = 0;
                mixer->GetVolumePan(volume, pan);
                if (auto* fm801 = dynamic_cast<FM801*>(mixer.get())) {
                    fm801->SetAttenuator(FM801::kAttenuatorQuarter);
                }
                PortBackend chip(io, CardChipBase(type, base), 1, 1);
                chip.Write(0, 0xB0, 0x20, 1);
                chip.Write(1, 0xB0, 0x20, 1);
            }
            const std::vector<PortRange> granted = CardPorts(type, base);
            ASSERT_FALSE(io.events.empty());
            std::vector<uint32_t> outside;
            for (const PortEvent& event : io.events) {
                const bool wide =
                    event.kind == PortEvent::Kind::Out16 || event.kind == PortEvent::Kind::In16;
                for (uint32_t port = event.port; port <= event.port + (wide ? 1u : 0u); ++port) {
                    if (!Granted(granted, port)) {
                        outside.push_back(port);
                    }
                }
            }
            EXPECT_THAT(outside, IsEmpty()) << "type " << type << " at " << base;
        }
    }
}

TEST(CardPortsTest, RangesAreMergedAndNotWiderThanNeeded) {
    EXPECT_THAT(CardPorts(kTypeSB16, 0x220), ElementsAre(PortRange{0x220, 0x225}));
    EXPECT_THAT(CardPorts(kTypeESS, 0x240),
                ElementsAre(PortRange{0x240, 0x245}, PortRange{0x247, 0x247}));
    EXPECT_THAT(CardPorts(kTypeALS4000, 0xD000), ElementsAre(PortRange{0xD010, 0xD015}));
    EXPECT_THAT(CardPorts(kTypeFM801, 0xE800),
                ElementsAre(PortRange{0xE802, 0xE803}, PortRange{0xE854, 0xE855},
                            PortRange{0xE868, 0xE86B}));
    EXPECT_THAT(CardPorts(kTypeOPL3, 0x388), ElementsAre(PortRange{0x388, 0x38B}));
    EXPECT_EQ(CardChipBase(kTypeFM801, 0xE800), 0xE868);
    EXPECT_EQ(CardChipBase(kTypeALS4000, 0xD000), 0xD010);
}

TEST(CardPortsTest, PortsPastTheEndOrNoCardAreRejected) {
    RecordingPortIo io;
    // The FM801's mixer alone would fit at 0xFFA0; its chip at +0x68 would wrap round to 0x0008.
    EXPECT_THROW(CardPorts(kTypeFM801, 0xFFA0), std::invalid_argument);
    EXPECT_THROW(CardChipBase(kTypeFM801, 0xFFA0), std::invalid_argument);
    EXPECT_THROW(CardPorts(kTypeSB16, 0xFFFB), std::invalid_argument);
    EXPECT_NO_THROW(CardPorts(kTypeSB16, 0xFFFA));
    for (int type : {int{kTypeOPL3LPT}, int{kTypeWAVE}, kIoTypeAborted}) {
        EXPECT_THROW(CardPorts(type, 0x378), std::invalid_argument) << type;
        EXPECT_THROW(MakeCardMixer(type, io, 0x378), std::invalid_argument) << type;
    }
    EXPECT_TRUE(io.events.empty());
}

} // namespace
} // namespace vorpline

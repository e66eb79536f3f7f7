#include "cards/CardPorts.h"

#include "cards/FM801.h"
#include "cards/SB16.h"
#include "cards/SBPRO2.h"
#include "cards/Solo1.h"
#include "config/OutputConfig.h"
#include "platform/CheckPortAccess.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace vorpline {

namespace {

// A span of ports as an offset from the configured base.
struct Span {
    uint32_t offset;
    uint32_t count;
};

[[noreturn]] void ThrowNoCard(int ioType) {
    throw std::invalid_argument("Output type " + std::to_string(ioType) +
                                " is not a sound card with I/O ports");
}

std::vector<Span> Spans(int ioType) {
    constexpr Span kChip{0, kChipPortCount};
    constexpr Span kSbMixer{SB16::kIndexOffset, SB16::kDataOffset - SB16::kIndexOffset + 1};
    switch (ioType) {
    case kTypeFM801:
        // The volume and control registers are 16 bits wide: each takes two ports.
        return {{kFm801ChipOffset, kChipPortCount},
                {FM801::kVolumeOffset, 2},
                {FM801::kControlOffset, 2}};
    case kTypeSOLO1:
    case kTypeESS:
        return {kChip, kSbMixer, {Solo1::kRoutingOffset, 1}};
    case kTypeALS4000:
        return {{kAls4000Offset, kChipPortCount},
                {kAls4000Offset + kSbMixer.offset, kSbMixer.count}};
    case kTypeSB16:
    case kTypeSBPRO2:
        return {kChip, kSbMixer};
    case kTypeOPL3:
        return {kChip};
    default:
        ThrowNoCard(ioType);
    }
}

} // namespace

uint16_t CardChipBase(int ioType, uint16_t base) {
    // Rejects unknown types and a chip whose ports would wrap past 0xFFFF.
    CardPorts(ioType, base);
    switch (ioType) {
    case kTypeFM801:
        return static_cast<uint16_t>(base + kFm801ChipOffset);
    case kTypeALS4000:
        return static_cast<uint16_t>(base + kAls4000Offset);
    default:
        return base;
    }
}

std::vector<PortRange> CardPorts(int ioType, uint16_t base) {
    std::vector<Span> spans = Spans(ioType);
    std::sort(spans.begin(), spans.end(),
              [](const Span& x, const Span& y) { return x.offset < y.offset; });
    std::vector<PortRange> ranges;
    for (const Span& span : spans) {
        const uint32_t first = base + span.offset;
        const uint32_t last = first + span.count - 1;
        if (last > 0xFFFF) {
            char text[96];
            std::snprintf(text, sizeof text, "%s ports from base 0x%04X run past port 0xFFFF",
                          kOutputTypeNames[static_cast<size_t>(ioType)],
                          static_cast<unsigned>(base));
            throw std::invalid_argument(text);
        }
        if (!ranges.empty() && first <= uint32_t{ranges.back().last} + 1) {
            ranges.back().last = std::max(ranges.back().last, static_cast<uint16_t>(last));
        } else {
            ranges.push_back({static_cast<uint16_t>(first), static_cast<uint16_t>(last)});
        }
    }
    return ranges;
}

void CheckCardAccess(int ioType, uint16_t base) {
    CheckPortAccess(CardPorts(ioType, base));
}

void CheckCardAccess(int ioType, uint16_t base, const PortAccessCalls& calls) {
    CheckPortAccess(CardPorts(ioType, base), calls);
}

std::unique_ptr<Mixer> MakeCardMixer(int ioType, PortIo& io, uint16_t base) {
    switch (ioType) {
    case kTypeFM801:
        return std::make_unique<FM801>(io, base);
    case kTypeSOLO1:
    case kTypeESS:
        return std::make_unique<Solo1>(io, base);
    case kTypeALS4000:
        return std::make_unique<SB16>(io, CardChipBase(ioType, base));
    case kTypeSB16:
        return std::make_unique<SB16>(io, base);
    case kTypeSBPRO2:
        return std::make_unique<SBPRO2>(io, base);
    case kTypeOPL3:
        return std::make_unique<Mixer>();
    default:
        ThrowNoCard(ioType);
    }
}

} // namespace vorpline

#include "engine/EnvelopeRates.h"

#include <algorithm>
#include <array>

namespace vorpline {

namespace {

// Measured on the accurate emulator, one operator at full level with the square waveform
// (its output magnitude is the envelope level at every frame), timed to the frame at
// 49716 Hz; rebuild with the tool and paste its output here:
//   cmake --build <build> --target vorpline-measure-envelopes
//   <build>/vorpline-measure-envelopes
// Decay and release share the rate table; their column is the time to -48 dB doubled, since
// below about -70 dB the output is only rounding. Attack 10%-90% is in output amplitude.
constexpr std::array<EnvelopeTimes, 64> kTable = {{
    {kNever, kNever, kNever},           // 0
    {kNever, kNever, kNever},           // 1
    {kNever, kNever, kNever},           // 2
    {kNever, kNever, kNever},           // 3
    {1565.3713, 2842.4250, 41760.4795}, // 4
    {1235.8195, 2265.7092, 33356.9072}, // 5
    {1071.0435, 1894.9634, 27836.9137}, // 6
    {906.2676, 1606.6055, 23882.2914},  // 7
    {782.6857, 1421.2326, 20875.1307},  // 8
    {617.9097, 1132.8747, 16673.3446},  // 9
    {535.5218, 947.5018, 13913.3478},   // 10
    {453.1338, 803.3229, 11936.0367},   // 11
    {391.3428, 710.6364, 10432.4564},   // 12
    {308.9549, 566.4575, 8331.5633},    // 13
    {267.7609, 473.7710, 6951.5649},    // 14
    {226.5669, 401.6816, 5962.9093},    // 15
    {195.6714, 355.3383, 5211.1192},    // 16
    {154.4774, 283.2489, 4160.6726},    // 17
    {133.8804, 236.9056, 3470.6734},    // 18
    {113.2834, 200.8609, 2976.3456},    // 19
    {97.8357, 177.6893, 2610.7491},     // 20
    {77.2387, 141.6445, 2085.5258},     // 21
    {66.9402, 118.4729, 1735.3769},     // 22
    {56.6417, 100.4506, 1488.2131},     // 23
    {48.9179, 88.8648, 1305.4148},      // 24
    {38.6194, 70.8424, 1042.8031},      // 25
    {33.4701, 59.2566, 870.3033},       // 26
    {28.3209, 50.2454, 744.1468},       // 27
    {24.4589, 44.4525, 652.7476},       // 28
    {19.3097, 35.4413, 521.4418},       // 29
    {16.7351, 29.6484, 435.1919},       // 30
    {14.1604, 25.1428, 373.4009},       // 31
    {12.2295, 22.2464, 326.4140},       // 32
    {9.6548, 17.7408, 260.7611},        // 33
    {8.3675, 14.8443, 217.6362},        // 34
    {7.0802, 12.5915, 186.7407},        // 35
    {6.1147, 11.1433, 163.2472},        // 36
    {4.8274, 8.8905, 130.4208},         // 37
    {4.1838, 7.4423, 108.8583},         // 38
    {3.5401, 6.3159, 93.4106},          // 39
    {3.0574, 5.5918, 81.6639},          // 40
    {2.4137, 4.4654, 65.2506},          // 41
    {2.0919, 3.7413, 54.4694},          // 42
    {1.7701, 3.1781, 46.7455},          // 43
    {1.5287, 2.8160, 40.8722},          // 44
    {1.2069, 2.2528, 32.6655},          // 45
    {1.0459, 1.8907, 27.2749},          // 46
    {0.8850, 1.6091, 23.4130},          // 47
    {0.7643, 1.4281, 20.4763},          // 48
    {0.6034, 1.1465, 16.3730},          // 49
    {0.5230, 0.9655, 13.6777},          // 50
    {0.4425, 0.8247, 11.7467},          // 51
    {0.3822, 0.7241, 10.2583},          // 52
    {0.3218, 0.5833, 8.1664},           // 53
    {0.2816, 0.5029, 6.8388},           // 54
    {0.2213, 0.4224, 5.8734},           // 55
    {0.2011, 0.4023, 5.1492},           // 56
    {0.1408, 0.2816, 4.1033},           // 57
    {0.1207, 0.2414, 3.4597},           // 58
    {0.1006, 0.2213, 2.9769},           // 59
    {0.0201, 0.0603, 2.6149},           // 60
    {0.0201, 0.0603, 2.6149},           // 61
    {0.0201, 0.0603, 2.6149},           // 62
    {0.0201, 0.0603, 2.6149},           // 63
}};

} // namespace

const EnvelopeTimes& EnvelopeTimesAt(int effectiveRate) {
    return kTable[static_cast<size_t>(std::clamp(effectiveRate, 0, 63))];
}

int KeyScaleOffset(const FNumber& fnumber, bool ksr, bool noteSelect) {
    const int block = fnumber.blockBits >> 2 & 7;
    // fnumber.high holds F-number bits 8-9.
    const int bit = noteSelect ? (fnumber.high & 1) : (fnumber.high >> 1 & 1);
    const int offset = block * 2 + bit;
    return ksr ? offset : offset >> 2;
}

int EffectiveRate(int rate, int keyScaleOffset) {
    if (rate <= 0) {
        return 0;
    }
    return std::min(63, 4 * std::min(rate, 15) + std::clamp(keyScaleOffset, 0, 15));
}

} // namespace vorpline

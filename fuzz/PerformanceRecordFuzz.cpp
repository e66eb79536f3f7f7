// Performance records come from other installations: any bytes are either exactly one record or
// refused; a record read stores back to a record that reads the same, with every name within
// its field, and storing is settled after one round.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "presets/PerformanceRecord.h"

namespace {

using vorpline::PerformanceRecord;

using vorpline::fuzz::Check;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const auto record = vorpline::DecodePerformance(bytes);
    Check(record.has_value() == (size == PerformanceRecord::kSize));
    if (!record) {
        return 0;
    }
    for (const std::string* name :
         {&record->preset, &record->drum, &record->cc, &record->lfo, &record->seq, &record->bend}) {
        Check(name->size() <= PerformanceRecord::kNameField);
        Check(name->find('\0') == std::string::npos);
    }
    const auto stored = vorpline::EncodePerformance(*record);
    const auto again = vorpline::DecodePerformance(stored);
    Check(again.has_value());
    // Only a name that filled its whole field is cut; the numbers survive as they were.
    Check(again->bank == record->bank && again->clockSource == record->clockSource &&
          again->tempo == record->tempo && again->lfoEnable == record->lfoEnable);
    // The last byte of every name field.
    for (std::size_t end : {255, 515, 779, 1035, 1295, 1555}) {
        Check(stored[end] == 0);
    }
    Check(vorpline::EncodePerformance(*again) == stored);
    return 0;
}

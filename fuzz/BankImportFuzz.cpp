// Instrument banks come from anywhere: any bytes are either a bank of whole instruments or
// refused with a reason, and every instrument's name turns into a name a preset folder accepts
// (or into nothing, which the import numbers).
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "presets/BankImport.h"
#include "presets/PresetFolder.h"

namespace {

using vorpline::fuzz::Check;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const vorpline::ParsedBank bank = vorpline::ParseBank(std::span<const uint8_t>(data, size));
    Check(bank.problem.empty() != bank.records.empty());
    if (!bank.problem.empty()) {
        return 0;
    }
    Check(bank.recordSize == 52 || bank.recordSize == 60);
    Check(size % bank.recordSize == 0 && size / bank.recordSize <= 128);
    Check(bank.records.size() + static_cast<size_t>(bank.emptySlots) == size / bank.recordSize);
    int last = -1;
    for (const vorpline::BankRecord& record : bank.records) {
        Check(record.index > last && record.index < 128);
        last = record.index;
        Check(record.kind == '2' || (record.kind == '4' && bank.recordSize == 60));
        Check(record.name.size() <= 25);
        const std::string name = vorpline::SafePresetName(record.name);
        Check(name.empty() || vorpline::PresetFolder::NameProblem(name).empty());
        for (const auto& op : record.patch.op) {
            Check(op.reg[4] < 8);
        }
    }
    return 0;
}

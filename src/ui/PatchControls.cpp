#include "ui/PatchControls.h"

#include <algorithm>

#include "engine/MultiplierCents.h"
#include "presets/ExtLayout.h"
#include "ui/TFormMain.h"

namespace vorpline {

namespace {

constexpr int kOperators = 6;
constexpr int kHighestOctave = 10;
constexpr int kModeCount1234 = 7;
constexpr int kPoly6 = 6;
constexpr int kPriorityCount = 4;
constexpr int kPriorityLast = 2;
constexpr int kAttenuatorCount = 3;

uint8_t Index(const ComboBox& box) {
    return static_cast<uint8_t>(std::max(box.ItemIndex(), 0));
}

uint8_t Bit(bool on, int bit) {
    return on ? static_cast<uint8_t>(1 << bit) : 0;
}

// The per-part fields of PatchExt, side by side for part 1-4 and part 5/6.
struct PartFields {
    int tuning, channel, low, high, mode, priority, bend, portamento, modulation;
};
constexpr PartFields kPartFields[2] = {
    {ext::kTuning1234, ext::kChannel1234, ext::kLow1234, ext::kHigh1234, PatchExt::kMode1234,
     PatchExt::kPriority1234, ext::kBendRange1234, ext::kPortamento1234, ext::kModRange1234},
    {ext::kTuning56, ext::kChannel56, ext::kLow56, ext::kHigh56, PatchExt::kMode56,
     PatchExt::kPriority56, ext::kBendRange56, ext::kPortamento56, ext::kModRange56}};

} // namespace

void BuildPatch(TFormMain& form, const PresetParameters& params, PatchRecord& patch, PatchExt& e) {
    e = PatchExt{};
    for (int op = 0; op < kOperators; ++op) {
        OperatorRecord& r = patch.op[static_cast<size_t>(op)];
        form.GetOperator(op, r);
        for (int mult = 0; mult < 16; ++mult) {
            ext::PutU16(e, ext::TuningEntry(op, mult), r.tuning[static_cast<size_t>(mult)]);
        }
        e[ext::kCcBits] |= Bit(r.cc, op);
        e[PatchExt::kDamperBits] |= Bit(r.damper, op);
        e[PatchExt::kVelocityOffset + op] = r.offset;
        e[PatchExt::kVelocityTarget + op] = r.target;
    }

    // Channel bytes in register 0xC0 form: the algorithm's three bits are the CNT bits of the
    // three channels, the outputs of part 1-4 serve both of its channels.
    const uint8_t algorithm = Index(form.ComboBoxCNT);
    const auto out1234 =
        static_cast<uint8_t>(Bit(form.CheckBoxA.Checked(), 4) | Bit(form.CheckBoxB.Checked(), 5));
    const auto out56 =
        static_cast<uint8_t>(Bit(form.CheckBoxA2.Checked(), 4) | Bit(form.CheckBoxB2.Checked(), 5));
    patch.channel12 =
        static_cast<uint8_t>(out1234 | (Index(form.ComboBoxFB) & 7) << 1 | (algorithm & 1));
    patch.channel34 = static_cast<uint8_t>(out1234 | ((algorithm >> 1) & 1));
    patch.channel56 =
        static_cast<uint8_t>(out56 | (Index(form.ComboBoxFB2) & 7) << 1 | ((algorithm >> 2) & 1));

    ext::PutU16(e, ext::kTranspose, CentsFromText(form.ComboBoxTranspose.Text()));
    e[PatchExt::kOutputs] =
        static_cast<uint8_t>(Bit(form.CheckBoxA.Checked(), 0) | Bit(form.CheckBoxB.Checked(), 1) |
                             Bit(form.CheckBoxA2.Checked(), 2) | Bit(form.CheckBoxB2.Checked(), 3));
    e[PatchExt::kDepths] =
        static_cast<uint8_t>((Index(form.ComboBoxTD) & 1) | (Index(form.ComboBoxVD) & 1) << 1);
    e[ext::kVolume] = static_cast<uint8_t>((form.TrackBarVolume.Position() & 31) |
                                           (Index(form.ComboBoxDiv) & 3) << 5);
    e[ext::kPan] = static_cast<uint8_t>(static_cast<int8_t>(form.TrackBarPan.Position()));
    e[ext::kLegato] = params.legatoFlags;
    for (int part = 0; part < 2; ++part) {
        const PartFields& f = kPartFields[part];
        const PartPanel p = form.Panel(part);
        const auto i = static_cast<size_t>(part);
        ext::PutU16(e, f.tuning, CentsFromText(p.tuning.Text()));
        e[f.channel] = Index(p.midiChannel);
        e[f.low] = Index(p.low);
        e[f.high] = Index(p.high);
        e[f.mode] = Index(p.mode);
        e[f.priority] = Index(p.priority);
        ext::PutU16(e, f.bend, params.bendRange[i]);
        ext::PutU16(e, f.portamento, params.portamentoTime[i]);
        ext::PutU16(e, f.modulation, params.modulationRange[i]);
    }
}

void ShowPatch(TFormMain& form, const PatchRecord& patch, PatchExt& e) {
    // The transposition goes through its handler, as if typed: the pitch follows.
    form.ComboBoxTranspose.SetText(CentsText(ext::GetS16(e, ext::kTranspose)));
    form.ComboBoxTranspose.Change();

    const uint8_t outputs = e[PatchExt::kOutputs];
    form.CheckBoxA.SetChecked(outputs & 1);
    form.CheckBoxB.SetChecked(outputs & 2);
    form.CheckBoxA2.SetChecked(outputs & 4);
    form.CheckBoxB2.SetChecked(outputs & 8);
    form.ComboBoxTD.SetItemIndex(e[PatchExt::kDepths] & 1);
    form.ComboBoxVD.SetItemIndex((e[PatchExt::kDepths] >> 1) & 1);
    form.TrackBarVolume.SetPosition(e[ext::kVolume] & 31);
    // Index 3 has no entry; a damaged file gets "Off".
    const int attenuator = (e[ext::kVolume] >> 5) & 3;
    form.ComboBoxDiv.SetItemIndex(attenuator < kAttenuatorCount ? attenuator : 0);
    form.TrackBarPan.SetPosition(static_cast<int8_t>(e[ext::kPan]));

    form.ComboBoxFB.SetItemIndex((patch.channel12 >> 1) & 7);
    form.ComboBoxFB2.SetItemIndex((patch.channel56 >> 1) & 7);
    form.ComboBoxCNT.SetItemIndex((patch.channel12 & 1) | (patch.channel34 & 1) << 1 |
                                  (patch.channel56 & 1) << 2);

    for (int op = 0; op < kOperators; ++op) {
        OperatorRecord r = patch.op[static_cast<size_t>(op)];
        for (int mult = 0; mult < 16; ++mult) {
            r.tuning[static_cast<size_t>(mult)] = ext::GetS16(e, ext::TuningEntry(op, mult));
        }
        r.cc = (e[ext::kCcBits] >> op) & 1;
        r.damper = (e[PatchExt::kDamperBits] >> op) & 1;
        r.offset = e[PatchExt::kVelocityOffset + op];
        r.target = e[PatchExt::kVelocityTarget + op];
        form.PutOperator(op, r);
    }

    // With the drum kit, part 5/6 offers only up to "Poly 3": its last entry is the limit.
    const int limits[2] = {kModeCount1234 - 1, form.ComboBoxLimit56.Count() - 1};
    for (int part = 0; part < 2; ++part) {
        const PartFields& f = kPartFields[part];
        const PartPanel p = form.Panel(part);
        p.tuning.SetText(CentsText(ext::GetS16(e, f.tuning)));
        p.midiChannel.SetItemIndex(e[f.channel] & 15);
        p.low.SetItemIndex(std::min<int>(e[f.low], kHighestOctave));
        p.high.SetItemIndex(std::min<int>(e[f.high], kHighestOctave));
        const int limit = limits[part];
        int mode = e[f.mode];
        if (part == 0) {
            mode = mode < kModeCount1234 ? mode : kPoly6;
        } else {
            mode = std::min(mode, limit);
        }
        const int priority = e[f.priority] < kPriorityCount ? e[f.priority] : kPriorityLast;
        p.mode.SetItemIndex(mode);
        p.priority.SetItemIndex(priority);
        e[f.mode] = static_cast<uint8_t>(mode);
        e[f.priority] = static_cast<uint8_t>(priority);
    }
}

PresetParameters ParametersOf(const PatchExt& e) {
    PresetParameters params;
    for (int part = 0; part < 2; ++part) {
        const PartFields& f = kPartFields[part];
        const auto i = static_cast<size_t>(part);
        params.bendRange[i] = ext::GetS16(e, f.bend);
        params.modulationRange[i] = ext::GetS16(e, f.modulation);
        params.portamentoTime[i] = ext::GetU16(e, f.portamento);
    }
    params.legatoFlags = e[ext::kLegato];
    return params;
}

} // namespace vorpline

#include "config/TFormPort.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <system_error>

namespace vorpline {

namespace {

constexpr int kAddressTypes = 8;
constexpr int kPciTypes = 3;
constexpr std::array<PciCard, kPciTypes> kPciCards = {PciCard::FM801, PciCard::SOLO1,
                                                      PciCard::ALS4000};

// The check boxes in the order Execute sets them, with their option bits.
constexpr std::pair<CheckBox TFormPort::*, uint32_t> kFeatureBits[] = {
    {&TFormPort::CheckBoxBend, kOptionBend}, {&TFormPort::CheckBoxCc, kOptionCc},
    {&TFormPort::CheckBoxKbd, kOptionKbd},   {&TFormPort::CheckBoxLFO, kOptionLfo},
    {&TFormPort::CheckBoxSEQ, kOptionSeq},   {&TFormPort::CheckBoxDrum, kOptionDrum},
    {&TFormPort::CheckBoxDSP, kOptionDsp}};

constexpr uint16_t kDefaultPre = 3;
constexpr uint16_t kDefaultPost = 3;
constexpr uint16_t kDefaultKey = 15;
constexpr uint32_t kDefaultSRate = 11025;
constexpr uint16_t kDefaultBSize = 128;
constexpr uint16_t kDefaultRSize = 8;

// A decimal number in the range of T, blanks around it allowed; `fallback` for anything else,
// so a stray letter or an out-of-range count can never reach the chip or the wave device.
template <typename T> T ParseDecimal(std::string_view text, T fallback) {
    constexpr std::string_view kBlanks = " \t";
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return fallback;
    }
    text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    return error == std::errc() && stop == end ? value : fallback;
}

// The item of `value`, or that of the box's default when the value is not listed.
void SelectValue(ComboBox& box, uint32_t value, uint32_t fallback) {
    const int index = box.IndexOf(std::to_string(value));
    box.SetItemIndex(index != ComboBox::kNone ? index : box.IndexOf(std::to_string(fallback)));
}

} // namespace

std::optional<uint16_t> ParsePortAddress(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 16);
    if (error != std::errc() || stop != end || value > std::numeric_limits<uint16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

std::string FormatPortAddress(uint16_t port) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(port));
    return text;
}

TFormPort::TFormPort(std::filesystem::path programFolder, std::string pciRoot)
    : Form("FormPort", "Configuration"), programFolder(std::move(programFolder)), scanner(pciRoot),
      pciRoot(std::move(pciRoot)) {
    RadioGroupType.onClick = [this] { RadioGroupTypeClick(); };
    CheckBoxCc.onClick = [this] { CheckBoxCcClick(); };
    // The DSP box runs the CC box's handler on purpose: a click on it re-applies the rule that
    // the LFOs need the CC map, which costs nothing and keeps the boxes consistent whichever of
    // them the user touched last.
    CheckBoxDSP.onClick = [this] { CheckBoxCcClick(); };
    CheckBoxLFO.onClick = [this] { CheckBoxLFOClick(); };
    SpeedButtonSoundFile.onClick = [this] { SpeedButtonSoundFileClick(); };
    ComboBoxWavePort.onChange = [this] { ComboBoxWavePortChange(); };
    ButtonOk.onClick = [this] { ButtonOkClick(); };
    ButtonCancel.onClick = [this] { ButtonCancelClick(); };
    RadioGroupTypeClick();
}

ComboBox& TFormPort::AddressBox(int type) {
    switch (type) {
    case 0:
        return ComboBoxFm801Address;
    case 1:
        return ComboBoxSolo1Address;
    case 2:
        return ComboBoxAls4000Address;
    case 3:
        return ComboBoxSb16Address;
    case 4:
        return ComboBoxSbpro2Address;
    case 5:
        return ComboBoxESSAddress;
    case 6:
        return ComboBoxOpl3Address;
    case 7:
        return ComboBoxOpl3LPTAddress;
    default:
        throw std::out_of_range("no address box for output type " + std::to_string(type));
    }
}

bool TFormPort::DetectionAvailable() const {
    std::error_code error;
    return std::filesystem::is_directory(pciRoot, error);
}

void TFormPort::Execute(PortConfig& config, const std::vector<std::string>& waveDevices,
                        const std::string& applicationTitle,
                        const std::function<void(TFormPort&)>& showModal) {
    resultType = kIoTypeAborted;
    resultPort.clear();
    const bool detect = DetectionAvailable();

    SetCaption("Configuration - " + applicationTitle);

    if (!waveDevices.empty()) {
        ComboBoxWavePort.SetItems(waveDevices);
        const int stored = ComboBoxWavePort.IndexOf(config.ioPort);
        ComboBoxWavePort.SetItemIndex(stored > 0 ? stored : 0);
    }

    // Set in this order the check boxes run their handlers as on screen: LFO also ticks CC.
    for (const auto& [box, bit] : kFeatureBits) {
        (this->*box).SetChecked((config.options & bit) != 0);
    }
    RadioGroupMidiCallback.SetItemIndex((config.options & kOptionMidiWindow) != 0 ? 1 : 0);
    RadioGroupWaveCallback.SetItemIndex((config.options & kOptionWaveWindow) != 0 ? 1 : 0);

    EditPre.SetText(std::to_string(config.ioPre));
    EditPost.SetText(std::to_string(config.ioPost));
    EditKey.SetText(std::to_string(config.ioKey));
    SelectValue(ComboBoxSRate, config.ioSRate, kDefaultSRate);
    SelectValue(ComboBoxBSize, config.ioBSize, kDefaultBSize);
    SelectValue(ComboBoxRSize, config.ioRSize, kDefaultRSize);
    ComboBoxEmulator.SetItemIndex(static_cast<int>(config.emulator));

    if (detect) {
        FillDetectedAddresses();
    }

    // The type-change handler must run even when the type is already the selected one.
    const int typeBefore = RadioGroupType.ItemIndex();
    RadioGroupType.SetItemIndex(config.ioType);
    if (RadioGroupType.ItemIndex() == typeBefore) {
        RadioGroupTypeClick();
    }

    SelectStoredPort(config, detect);
    storedDevice = config.ioType == kIoTypeWave ? config.ioPort : std::string();
    storedRate = config.ioSRate;
    ComboBoxWavePortChange();

    // A wave file is recorded for one run only and never offered again.
    EditSoundFile.SetText(kNoWaveFile);

    Show();
    if (showModal) {
        showModal(*this);
    }
    // A modal loop that ended without OK or Cancel leaves the result of a cancel.
    Hide();

    WriteBack(config);
}

void TFormPort::SelectStoredPort(const PortConfig& config, bool detect) {
    if (config.ioType >= 0 && config.ioType < kAddressTypes) {
        const auto port = ParsePortAddress(config.ioPort);
        const std::string text = FormatPortAddress(port.value_or(0));
        ComboBox& box = AddressBox(config.ioType);
        // A PCI card's base comes from detection; a stored base the system no longer assigns
        // (card moved or removed) would address nothing, so the detected one stays.
        if (!(detect && config.ioType < kPciTypes) || box.IndexOf(text) != ComboBox::kNone) {
            box.SetText(text);
        }
    } else if (config.ioType == kIoTypeWave) {
        const int stored = ComboBoxWavePort.IndexOf(config.ioPort);
        if (stored != ComboBox::kNone) {
            ComboBoxWavePort.SetItemIndex(stored);
        }
    }
}

void TFormPort::FillDetectedAddresses() {
    for (int type = 0; type < kPciTypes; ++type) {
        std::vector<std::string> items;
        for (uint16_t base : scanner.Scan(kPciCards[static_cast<size_t>(type)])) {
            items.push_back(FormatPortAddress(base));
        }
        ComboBox& box = AddressBox(type);
        box.SetItems(std::move(items));
        box.SetItemIndex(0);
    }
}

void TFormPort::WriteBack(PortConfig& config) const {
    config.ioType = resultType;
    config.ioPort = resultPort;
    config.ioPre = ParseDecimal(EditPre.Text(), kDefaultPre);
    config.ioPost = ParseDecimal(EditPost.Text(), kDefaultPost);
    config.ioKey = ParseDecimal(EditKey.Text(), kDefaultKey);
    config.ioSRate = ParseDecimal(ComboBoxSRate.Text(), kDefaultSRate);
    config.ioBSize = ParseDecimal(ComboBoxBSize.Text(), kDefaultBSize);
    config.ioRSize = ParseDecimal(ComboBoxRSize.Text(), kDefaultRSize);
    config.emulator = ComboBoxEmulator.ItemIndex() == static_cast<int>(EmulatorCore::kFast)
                          ? EmulatorCore::kFast
                          : EmulatorCore::kAccurate;
    if (EditSoundFile.Text() != kNoWaveFile) {
        config.soundFile = EditSoundFile.Text();
    }

    // Rebuilt from the controls alone: bits this dialog does not show are dropped.
    uint32_t options = 0;
    for (const auto& [box, bit] : kFeatureBits) {
        if ((this->*box).Checked()) {
            options |= bit;
        }
    }
    if (RadioGroupMidiCallback.ItemIndex() == 1) {
        options |= kOptionMidiWindow;
    }
    if (RadioGroupWaveCallback.ItemIndex() == 1) {
        options |= kOptionWaveWindow;
    }
    config.options = options;
}

void TFormPort::ButtonOkClick() {
    resultType = RadioGroupType.ItemIndex();
    if (resultType >= 0 && resultType < kAddressTypes) {
        // An address that is not hexadecimal ends the start-up rather than being asked again.
        const auto port = ParsePortAddress(AddressBox(resultType).Text());
        if (port) {
            resultPort = FormatPortAddress(*port);
        } else {
            resultType = kIoTypeAborted;
        }
    } else if (resultType == kIoTypeWave) {
        resultPort = ComboBoxWavePort.Text();
    }
    Hide();
}

void TFormPort::ButtonCancelClick() {
    resultType = kIoTypeAborted;
    Hide();
}

void TFormPort::RadioGroupTypeClick() {
    const int type = RadioGroupType.ItemIndex();
    for (int t = 0; t < kAddressTypes; ++t) {
        AddressBox(t).SetEnabled(t == type);
    }
    const bool wave = type == kIoTypeWave;
    for (Control* control : std::initializer_list<Control*>{&EditPre, &EditPost, &EditKey}) {
        control->SetEnabled(!wave);
    }
    for (Control* control : std::initializer_list<Control*>{
             &ComboBoxWavePort, &ComboBoxSRate, &ComboBoxBSize, &ComboBoxRSize, &ComboBoxEmulator,
             &GroupBoxWave, &RadioGroupWaveCallback, &EditSoundFile, &SpeedButtonSoundFile,
             &CheckBoxDSP}) {
        control->SetEnabled(wave);
    }
}

void TFormPort::ComboBoxWavePortChange() {
    const std::string& device = ComboBoxWavePort.Text();
    if (device == storedDevice) {
        SelectValue(ComboBoxSRate, storedRate, kDefaultSRate);
        return;
    }
    const uint32_t rate = deviceRate ? deviceRate(device) : 0;
    const int index = rate != 0 ? ComboBoxSRate.IndexOf(std::to_string(rate)) : ComboBox::kNone;
    if (index != ComboBox::kNone) {
        ComboBoxSRate.SetItemIndex(index);
    }
}

// The LFO window takes its controller targets from the CC map, so LFO needs CC.
void TFormPort::CheckBoxCcClick() {
    if (!CheckBoxCc.Checked()) {
        CheckBoxLFO.SetChecked(false);
    }
}

void TFormPort::CheckBoxLFOClick() {
    if (CheckBoxLFO.Checked()) {
        CheckBoxCc.SetChecked(true);
    }
}

void TFormPort::SpeedButtonSoundFileClick() {
    if (!saveFileDialog) {
        return;
    }
    SaveFileRequest request;
    request.title = "Wave file output";
    request.defaultExtension = "wav";
    request.filter = "Wave files|*.wav|All files|*.*";
    request.folder = programFolder / "wave";
    request.confirmOverwrite = true;
    // Made on first use so the user lands among the recordings, not somewhere arbitrary; if
    // it cannot be made the dialog opens wherever the platform chooses.
    std::error_code ignored;
    std::filesystem::create_directories(request.folder, ignored);
    if (const auto chosen = saveFileDialog(request)) {
        EditSoundFile.SetText(*chosen);
    }
}

} // namespace vorpline

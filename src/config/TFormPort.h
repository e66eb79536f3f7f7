#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/YMF262.h"
#include "config/PciPortScanner.h"
#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Edit.h"
#include "controls/FileDialog.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "controls/RadioGroup.h"

namespace vorpline {

// The output types by number, as the dialog lists them and the title names them.
inline constexpr std::array<const char*, 9> kOutputTypeNames = {
    "FM801", "SOLO1", "ALS4000", "SB16", "SBPRO2", "ESS", "OPL3", "OPL3LPT", "WAVE"};

// The output configuration as the program keeps it and the configuration file stores it.
// The member defaults are the values of a first start, before any configuration file exists.
struct PortConfig {
    // 0 "FM801", 1 "SOLO1", 2 "ALS4000", 3 "SB16", 4 "SBPRO2", 5 "ESS", 6 "OPL3", 7 "OPL3LPT",
    // 8 "WAVE"; -1 = the dialog was cancelled or given an address that is not hexadecimal.
    int ioType = 3;
    // Types 0..7: the port base as 4 upper-case hexadecimal digits; WAVE: the device name.
    std::string ioPort = "0220";
    // Port delay counts handed to the chip access.
    uint16_t ioPre = 3;
    uint16_t ioPost = 3;
    uint16_t ioKey = 15;
    // WAVE only: sample rate in Hz, frames per buffer, buffers in the ring.
    uint32_t ioSRate = 11025;
    uint16_t ioBSize = 128;
    uint16_t ioRSize = 8;
    // WAVE only: the emulation that renders the software chip.
    EmulatorCore emulator = EmulatorCore::kAccurate;
    // Bit set of the optional windows and delivery modes (the kOption constants).
    uint32_t options = 0;
    // Wave file to record to for this run only; empty = none.
    std::string soundFile;
};

// The bits of PortConfig::options.
inline constexpr uint32_t kOptionBend = 0x001;
inline constexpr uint32_t kOptionCc = 0x002;
inline constexpr uint32_t kOptionKbd = 0x004;
inline constexpr uint32_t kOptionLfo = 0x008;
inline constexpr uint32_t kOptionSeq = 0x010;
inline constexpr uint32_t kOptionMidiWindow = 0x020;
inline constexpr uint32_t kOptionWaveWindow = 0x040;
inline constexpr uint32_t kOptionDrum = 0x080;
inline constexpr uint32_t kOptionDsp = 0x100;

inline constexpr int kIoTypeWave = 8;
inline constexpr int kIoTypeAborted = -1;

// A port address as typed: hexadecimal digits only, without prefix or blanks, at most 0xFFFF
// (an I/O port address has 16 bits, so anything larger cannot be one). Nothing otherwise,
// including the empty text.
std::optional<uint16_t> ParsePortAddress(std::string_view text);
// 4 upper-case hexadecimal digits: 0x22A gives "022A".
std::string FormatPortAddress(uint16_t port);

// The modal output configuration dialog shown at start-up before any output is opened.
// Execute fills the controls from the configuration, lets the view (or a test) run the dialog
// and writes the choice back. The handlers are the dialog's logic; a view only binds widgets
// to the controls. Main thread only.
class TFormPort : public Form {
public:
    static constexpr const char* kNoWaveOutput = "No wave output";
    static constexpr const char* kNoWaveFile = "No wave file output";

    // `programFolder` is the executable's folder; the wave file dialog starts in its "wave"
    // folder. `pciRoot` is where the PCI devices are listed (a test tree in tests).
    explicit TFormPort(std::filesystem::path programFolder,
                       std::string pciRoot = PciPortScanner::kSysfsRoot);

    // Fills the dialog from `config` and `waveDevices` (sorted device names with "No wave
    // output" first, as the wave output lists them), shows it with `showModal`, which returns
    // once the dialog has closed, and writes every value back; after Cancel (or when
    // `showModal` returns without OK) ioType is -1 and ioPort empty. `applicationTitle` ends
    // the caption.
    void Execute(PortConfig& config, const std::vector<std::string>& waveDevices,
                 const std::string& applicationTitle,
                 const std::function<void(TFormPort&)>& showModal);

    int ResultType() const { return resultType; }
    const std::string& ResultPort() const { return resultPort; }
    // The address box of output type 0..7, in type order.
    ComboBox& AddressBox(int type);
    // True when the PCI device list exists, so the three PCI address boxes are filled by
    // detection rather than typed.
    bool DetectionAvailable() const;

    // Handlers.
    void ButtonOkClick();
    void ButtonCancelClick();
    void RadioGroupTypeClick();
    void CheckBoxCcClick();
    void CheckBoxLFOClick();
    void SpeedButtonSoundFileClick();
    // A wave device running at a rate of its own (a JACK server) gets that rate preselected,
    // unless the configuration holds the user's rate for that device: playing at the device's
    // rate spares a conversion, and a first start then plays with little delay.
    void ComboBoxWavePortChange();

    // The rate a wave device runs at by itself, 0 when it names none (the wave output's
    // PreferredRate); supplied by start-up. Without it no rate is preselected.
    std::function<uint32_t(const std::string& deviceName)> deviceRate;

    // The platform's save-file dialog, supplied by the view; without one the sound file button
    // does nothing.
    SaveFileService saveFileDialog;

    Label GroupBoxSynthesizer{"GroupBoxSynthesizer", "Synthesizer"};
    RadioGroup RadioGroupType{
        "RadioGroupType", "Type", {kOutputTypeNames.begin(), kOutputTypeNames.end()}, 0};

    Label GroupBoxPortAddress{"GroupBoxPortAddress", "Port address"};
    ComboBox ComboBoxFm801Address{"ComboBoxFm801Address", {}, ComboBox::kNone, true};
    ComboBox ComboBoxSolo1Address{"ComboBoxSolo1Address", {}, ComboBox::kNone, true};
    ComboBox ComboBoxAls4000Address{"ComboBoxAls4000Address", {}, ComboBox::kNone, true};
    ComboBox ComboBoxSb16Address{"ComboBoxSb16Address", {"0220", "0240", "0260", "0280"}, 0, true};
    ComboBox ComboBoxSbpro2Address{
        "ComboBoxSbpro2Address", {"0220", "0240", "0260", "0280"}, 0, true};
    ComboBox ComboBoxESSAddress{"ComboBoxESSAddress", {"0220", "0240", "0260", "0280"}, 0, true};
    ComboBox ComboBoxOpl3Address{"ComboBoxOpl3Address", {"0388", "0398", "03A0", "03A8"}, 0, true};
    ComboBox ComboBoxOpl3LPTAddress{"ComboBoxOpl3LPTAddress", {"03BC", "0378", "0278"}, 1, true};

    Label GroupBoxPortDelay{"GroupBoxPortDelay", "Port delay"};
    Label LabelPre{"LabelPre", "Pre"};
    Edit EditPre{"EditPre", "3"};
    Label LabelPost{"LabelPost", "Post"};
    Edit EditPost{"EditPost", "3"};
    Label LabelKey{"LabelKey", "Key"};
    Edit EditKey{"EditKey", "15"};

    Label GroupBoxWave{"GroupBoxWave", "Wave device"};
    ComboBox ComboBoxWavePort{"ComboBoxWavePort", {kNoWaveOutput}, 0};
    Label LabelSRate{"LabelSRate", "Sample rate"};
    ComboBox ComboBoxSRate{"ComboBoxSRate",
                           {"8000", "11025", "12000", "16000", "22050", "24000", "32000", "44100",
                            "48000", "88200", "96000"},
                           1};
    Label LabelBSize{"LabelBSize", "Sample buffer size"};
    ComboBox ComboBoxBSize{"ComboBoxBSize",
                           {"16", "32", "64", "128", "256", "512", "768", "1024", "1536", "2048",
                            "2560", "3072", "3584", "4096"},
                           3};
    Label LabelRSize{"LabelRSize", "Sample ring length"};
    ComboBox ComboBoxRSize{"ComboBoxRSize",
                           {"2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10",  "11", "12",
                            "16", "20", "24", "32", "40", "48", "56", "64", "128", "256"},
                           6};
    Label LabelEmulator{"LabelEmulator", "Emulator"};
    // In EmulatorCore order.
    ComboBox ComboBoxEmulator{"ComboBoxEmulator", {"Accurate", "Fast"}, 0};
    Edit EditSoundFile{"EditSoundFile", kNoWaveFile};
    Button SpeedButtonSoundFile{"SpeedButtonSoundFile", "", "Wave file output"};

    Label GroupBoxFeatures{"GroupBoxFeatures", "Optional features"};
    CheckBox CheckBoxBend{"CheckBoxBend", "Circuit bend"};
    CheckBox CheckBoxCc{"CheckBoxCc", "CC"};
    CheckBox CheckBoxDrum{"CheckBoxDrum", "Drum kit"};
    CheckBox CheckBoxDSP{"CheckBoxDSP", "DSP"};
    CheckBox CheckBoxKbd{"CheckBoxKbd", "Keyboard"};
    CheckBox CheckBoxLFO{"CheckBoxLFO", "LFO"};
    CheckBox CheckBoxSEQ{"CheckBoxSEQ", "Sequence"};
    RadioGroup RadioGroupWaveCallback{
        "RadioGroupWaveCallback", "Wave callback", {"Thread", "Window"}, 0};
    RadioGroup RadioGroupMidiCallback{
        "RadioGroupMidiCallback", "Midi callback", {"Function", "Window"}, 0};

    Button ButtonCancel{"ButtonCancel", "Cancel"};
    Button ButtonOk{"ButtonOk", "OK"};

private:
    void FillDetectedAddresses();
    void SelectStoredPort(const PortConfig& config, bool detect);
    void WriteBack(PortConfig& config) const;

    std::filesystem::path programFolder;
    PciPortScanner scanner;
    std::string pciRoot;
    int resultType = kIoTypeAborted;
    std::string resultPort;
    // The wave device and rate of the configuration, the user's own choice for that device.
    std::string storedDevice;
    uint32_t storedRate = 0;
};

} // namespace vorpline

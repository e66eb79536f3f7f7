#include "app/Session.h"

#include "engine/EmulatorBackend.h"
#include "engine/OPL3.h"
#include "engine/ParallelBackend.h"
#include "engine/PitchControl.h"
#include "engine/PortBackend.h"
#include "midi/HubPeers.h"
#include "midi/MessageHub.h"
#include "midi/MidiIn.h"
#include "midi/RtMidiPortSystem.h"
#include "cards/FM801.h"
#include "cards/SB16.h"
#include "cards/SBPRO2.h"
#include "cards/Solo1.h"
#include "dsp/TFormDSP.h"
#include "config/TFormPort.h"
#include "cards/Wave.h"
#include "platform/CheckPortAccess.h"
#include "platform/Ieee1284ParallelLines.h"
#include "platform/IniFile.h"
#include "platform/LinuxPortIo.h"
#include "ui/MidiInputSelector.h"

namespace vorpline {

namespace {

// The title suffix of each output type: " (SB16@0220)".
constexpr const char* kTypePrefix[] = {" (FM801@", " (SOLO1@", " (ALS4000@", " (SB16@", " (SBPRO2@",
                                       " (ESS@",   " (OPL3@",  " (OPL3LPT@", " (WAVE@"};

} // namespace

// The controller functions that move the DSP window's sliders.
class DspControllers : public DspReceiver {
public:
    explicit DspControllers(TFormDSP& dsp) : dsp(dsp) {}
    void SetFrequency(uint8_t value) override { dsp.SetFrequency(value); }
    void SetResonance(uint8_t value) override { dsp.SetResonance(value); }
    void SetInputGain(uint8_t value) override { dsp.SetInputGain(value); }
    void SetOutputGain(uint8_t value) override { dsp.SetOutputGain(value); }

private:
    TFormDSP& dsp;
};

Session::Session(std::string executablePath, std::vector<std::string> arguments, Services services)
    : folder(std::filesystem::path(executablePath).parent_path()),
      executablePath(std::move(executablePath)), arguments(std::move(arguments)),
      services(std::move(services)), main(folder / "assets" / "small"),
      presets(main, folder / "vpx") {}

Session::~Session() = default;

uint16_t Session::ParsedPort() const {
    auto port = ParsePortAddress(config.ioPort);
    if (!port || *port == 0) {
        throw StartupError("Configuration invalid");
    }
    return *port;
}

void Session::Start() {
    // 1-2: the configuration file and the output it names.
    IniLocation location = LocateIni(executablePath, arguments.empty() ? "" : arguments[0]);
    iniPath = location.path;
    skipDialog = location.skipDialog;
    IniFile ini(iniPath);
    config = ReadOutputConfig(ini);

    // 3-4: the wave devices, then the dialog.
    waveOut = std::make_unique<WaveOut>(*services.audio, (config.options & kOptionWaveWindow) != 0);
    std::vector<std::string> devices = waveOut->ListDevices(true);
    if (!skipDialog) {
        TFormPort dialog(folder);
        dialog.Execute(config, devices, main.ApplicationTitle(), services.runPortDialog);
    }
    // 5: the DSP window exists for the wave output only.
    if (config.ioType == kTypeWAVE && (config.options & kOptionDsp) != 0) {
        dsp = std::make_unique<TFormDSP>(config.ioSRate);
        dspControllers = std::make_unique<DspControllers>(*dsp);
    }
    main.SetModuleWindow(main.ButtonDSP, dsp.get());

    OpenOutput();
    // 7: the bending window plugs in here.
    main.SetModuleWindow(main.ButtonBend, nullptr);
    CreateEngine();

    // 9: the per-output section and the caption.
    deviceSection = DeviceSection(config.ioPort);
    main.ShowPresetCaption();
    // 10: the tool windows' settings of this output.
    if (dsp) {
        dsp->LoadSettings(ini, deviceSection, main.ApplicationTitle());
        hub->peers.dsp = dspControllers.get();
    }

    // 11: the output's levels into the panel.
    main.ShowMixerLevels();
    // 12-14: optional windows. The CC map decides whether the frames' CC boxes mean anything;
    // with the drum kit, part 5/6 keeps three voices.
    main.SetModuleWindow(main.ButtonCc, nullptr);
    main.EnableOperatorCc((config.options & kOptionCc) != 0);
    main.SetModuleWindow(main.ButtonRT, nullptr);
    main.SetModuleWindow(main.ButtonLFO, nullptr);
    main.SetModuleWindow(main.ButtonSeq, nullptr);
    main.SetModuleWindow(main.ButtonDrum, nullptr);
    if (config.options & kOptionDrum) {
        main.RemoveDrumModes();
    }
    // 15: the controller state starts at its defaults (the hub's).
    // 16: the MIDI inputs, and the one used last time.
    OpenMidiInput(ini);
    // 17: keyboard window.
    main.SetModuleWindow(main.ButtonKbd, nullptr);
    // The performance and parameter dialogs are not part of this build yet: their buttons
    // stay disabled rather than doing nothing.
    main.ButtonPerf.SetEnabled(false);
    main.ButtonParam.SetEnabled(false);
    // 18: the stored bank and preset.
    presets.LoadSettings(ini, deviceSection);
    // 20: the algorithm picture.
    main.LoadSchematic();
    main.Show();
    started = true;
}

void Session::OpenOutput() {
    // 6: check and open the output.
    if (config.ioType == kIoTypeAborted) {
        throw StartupError("Configuration aborted");
    }
    if (config.ioType >= kTypeFM801 && config.ioType <= kTypeOPL3LPT) {
        uint16_t base = ParsedPort();
        if (config.ioType == kTypeOPL3LPT) {
            // The parallel port is reached through the kernel's parport driver: opening it is
            // the access check.
            parallel = std::make_unique<Ieee1284ParallelLines>(base);
        } else {
            uint16_t chipBase = base;
            if (config.ioType == kTypeFM801) {
                chipBase = static_cast<uint16_t>(base + 0x68);
            } else if (config.ioType == kTypeALS4000) {
                chipBase = static_cast<uint16_t>(base + 0x10);
            }
            CheckPortAccess(PortDevice::Card, chipBase);
            if (config.ioType == kTypeFM801 || config.ioType == kTypeSOLO1 ||
                config.ioType == kTypeESS) {
                CheckPortAccess(PortDevice::Card, base);
            }
            portIo = std::make_unique<LinuxPortIo>();
        }
        return;
    }
    if (config.ioType == kTypeWAVE) {
        if (config.ioPort == WaveOut::kNoDevice) {
            throw StartupError("Configuration aborted");
        }
        emulator = std::make_unique<YMF262>();
        waveOut->Open(config.ioPort, *emulator, dsp.get(), config.ioSRate, config.ioBSize,
                      config.ioRSize, config.soundFile);
        return;
    }
    throw StartupError("Configuration invalid");
}

void Session::CreateEngine() {
    // 8: title, mixer, chip access and the output controls.
    if (config.ioType < kTypeFM801 || config.ioType > kTypeWAVE) {
        throw StartupError("Configuration invalid");
    }
    main.SetApplicationTitle(main.ApplicationTitle() + kTypePrefix[config.ioType] + config.ioPort +
                             ")");
    OPL3::Settings settings;
    settings.drumMode = (config.options & kOptionDrum) != 0;
    settings.keyDelay = config.ioKey;
    FM801* fm801 = nullptr;
    switch (config.ioType) {
    case kTypeFM801: {
        auto card = std::make_unique<FM801>(*portIo, ParsedPort());
        fm801 = card.get();
        mixer = std::move(card);
        backend = std::make_unique<PortBackend>(*portIo, static_cast<uint16_t>(ParsedPort() + 0x68),
                                                config.ioPre, config.ioPost);
        break;
    }
    case kTypeSOLO1:
    case kTypeESS:
        mixer = std::make_unique<Solo1>(*portIo, ParsedPort());
        backend = std::make_unique<PortBackend>(*portIo, ParsedPort(), config.ioPre, config.ioPost);
        break;
    case kTypeALS4000: {
        auto base = static_cast<uint16_t>(ParsedPort() + 0x10);
        mixer = std::make_unique<SB16>(*portIo, base);
        backend = std::make_unique<PortBackend>(*portIo, base, config.ioPre, config.ioPost);
        break;
    }
    case kTypeSB16:
        mixer = std::make_unique<SB16>(*portIo, ParsedPort());
        backend = std::make_unique<PortBackend>(*portIo, ParsedPort(), config.ioPre, config.ioPost);
        break;
    case kTypeSBPRO2:
        mixer = std::make_unique<SBPRO2>(*portIo, ParsedPort());
        backend = std::make_unique<PortBackend>(*portIo, ParsedPort(), config.ioPre, config.ioPost);
        break;
    case kTypeOPL3:
        mixer = std::make_unique<Mixer>();
        backend = std::make_unique<PortBackend>(*portIo, ParsedPort(), config.ioPre, config.ioPost);
        break;
    case kTypeOPL3LPT:
        mixer = std::make_unique<Mixer>();
        backend = std::make_unique<ParallelBackend>(*parallel, config.ioPre, config.ioPost);
        break;
    default: // WAVE: the software chip takes every byte at once.
        settings.keyDelay = 0;
        mixer = std::make_unique<vorpline::Wave>(*waveOut);
        backend = std::make_unique<EmulatorBackend>(waveOut->Registers());
        break;
    }
    bool hasMixer = config.ioType != kTypeOPL3 && config.ioType != kTypeOPL3LPT;
    engine = std::make_unique<OPL3>(*backend, *services.timers, settings);
    pitch = std::make_unique<PitchControl>(*engine);
    main.nowMs = services.nowMs;
    main.doubleClickMs = services.doubleClickMs;
    main.AttachEngine(*engine, *pitch);
    presets.AttachEngine(*engine, *pitch);
    // Every musical event, from the input or from inside the program, goes through the hub.
    hub = std::make_unique<MessageHub>(main, *engine, *pitch);
    presets.AttachControllers(hub->Controllers());
    hub->onPresetSelected = [this] { presets.LoadPreset(); };
    hub->onWaveDone = [this](uintptr_t buffer) {
        if (waveOut && waveOut->IsOpen()) {
            waveOut->RenderBuffer(static_cast<int>(buffer));
        }
    };
    main.AttachMixer(*mixer, fm801);
    main.EnableVolumeControls(hasMixer);
}

void Session::OpenMidiInput(const IniFile& ini) {
    MidiPortSystem* ports = services.midiPorts;
    if (ports == nullptr) {
        ownMidiPorts = std::make_unique<RtMidiPortSystem>();
        ports = ownMidiPorts.get();
    }
    midiIn = std::make_unique<MidiIn>(*ports, *services.timers,
                                      (config.options & kOptionMidiWindow) != 0,
                                      MidiInputSelector::ErrorWindow(main));
    midiIn->onEvent = [this](uint32_t packed, uint32_t timestamp) {
        hub->ShortEvent(packed, timestamp);
    };
    hub->inputOpen = [this] { return midiIn && midiIn->IsOpen(); };
    midiSelector = std::make_unique<MidiInputSelector>(main, *midiIn, *services.timers);
    midiSelector->Start(ini.ReadString(deviceSection, "Midi Device", "No midi input"));
}

void Session::ServiceAudio() {
    if (!waveOut || !waveOut->IsOpen()) {
        return;
    }
    // Each done notice reaches the main window like the device's message would, and the
    // window renders that buffer again (unless it is closing).
    int index = 0;
    while (waveOut->WindowMode() && waveOut->TakeDoneBuffer(index)) {
        hub->Dispatch(MessageHub::kWomDone, 0, static_cast<uintptr_t>(index));
    }
    if (std::exception_ptr failure = waveOut->TakeFileError()) {
        std::rethrow_exception(failure);
    }
}

void Session::Close() {
    if (!started) {
        return;
    }
    started = false;
    main.SetClosing();
    if (midiIn && midiIn->IsOpen()) {
        midiIn->Close();
    }
    std::string failure;
    if (waveOut && waveOut->IsOpen()) {
        try {
            waveOut->Close();
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }
    if (!emulator && hub) {
        // A hardware chip keeps sounding after the program unless it is silenced.
        hub->AllNotesOff();
    }
    IniFile ini(iniPath);
    WriteOutputConfig(ini, config);
    ini.WriteString(deviceSection, "Midi Device", main.ComboBoxMidiIn.Text());
    ini.WriteString(deviceSection, "Bank", std::to_string(main.ComboBoxBank.ItemIndex()));
    ini.WriteString(deviceSection, "Main Preset", main.ComboBoxPreset.Text());
    if (dsp) {
        dsp->SaveSettings(ini, deviceSection);
    }
    ini.UpdateFile();
    if (!failure.empty()) {
        throw std::runtime_error(failure);
    }
}

} // namespace vorpline

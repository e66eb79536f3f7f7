#include "app/Session.h"

#include <cstdio>

#include "cards/CardPorts.h"
#include "cards/FM801.h"
#include "cards/Wave.h"
#include "config/TFormPort.h"
#include "engine/EmulatorBackend.h"
#include "engine/OPL3.h"
#include "engine/ParallelBackend.h"
#include "engine/PitchControl.h"
#include "engine/PortBackend.h"
#include "midi/HubPeers.h"
#include "midi/MessageHub.h"
#include "midi/MidiIn.h"
#include "midi/RtMidiPortSystem.h"
#include "platform/Ieee1284ParallelLines.h"
#include "platform/IniFile.h"
#include "platform/LinuxPortIo.h"
#include "ui/MidiInputSelector.h"

namespace vorpline {

Session::Session(std::string executablePath, std::vector<std::string> arguments, Services services)
    : folder(std::filesystem::path(executablePath).parent_path()),
      executablePath(std::move(executablePath)), arguments(std::move(arguments)),
      services(std::move(services)),
      instrument(Instrument::Setup{folder / "assets" / "small", folder / "vpx",
                                   this->services.timers, this->services.nowMs,
                                   this->services.doubleClickMs, this->services.midiOutputs}) {}

Session::~Session() {
    // Whatever happened before (a start-up that failed after the stream opened, an exception in
    // the message loop), nothing may render from the chip or the DSP while they go.
    CloseStream();
}

uint16_t Session::ParsedPort() const {
    auto port = ParsePortAddress(config.ioPort);
    if (!port || *port == 0) {
        throw StartupError("Configuration invalid");
    }
    return *port;
}

void Session::Start() {
    // Read the configuration file and the output it names.
    IniLocation location = LocateIni(executablePath, arguments.empty() ? "" : arguments[0]);
    iniPath = location.path;
    skipDialog = location.skipDialog;
    IniFile ini(iniPath);
    config = ReadOutputConfig(ini);

    // List the wave devices, then let the user choose.
    waveOut = std::make_unique<WaveOut>(*services.audio, (config.options & kOptionWaveWindow) != 0);
    std::vector<std::string> devices = waveOut->ListDevices(true);
    if (!skipDialog) {
        TFormPort dialog(folder);
        // A device that runs at one rate of its own (a JACK server) gets it preselected.
        dialog.deviceRate = [this](const std::string& name) {
            return waveOut->PreferredRate(name);
        };
        dialog.Execute(config, devices, Main().ApplicationTitle(), services.runPortDialog);
    }
    // The windows the output needs (the DSP stage), then the output itself.
    instrument.PrepareOutput(config);
    OpenOutput();
    // The output's mixer, the engine on it, the hub in front.
    CreateEngine();

    // The settings of this output, and the caption naming it.
    deviceSection = DeviceSection(config.ioPort);
    Main().ShowPresetCaption();
    // The output's levels into the panel.
    Main().ShowMixerLevels();
    // The tool windows, the MIDI input used last time, the stored bank and preset.
    instrument.Start(ini, deviceSection, [this, &ini] { OpenMidiInput(ini); });
    Main().Show();
    started = true;
}

void Session::OpenOutput() {
    // Check and open the output.
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
            // Every port the card's chip and mixer use, before any of them is touched.
            CheckCardAccess(config.ioType, base);
            portIo = std::make_unique<LinuxPortIo>();
        }
        return;
    }
    if (config.ioType == kTypeWAVE) {
        if (config.ioPort == WaveOut::kNoDevice) {
            throw StartupError("Configuration aborted");
        }
        emulator = std::make_unique<YMF262>(config.emulator);
        waveOut->Open(config.ioPort, *emulator, instrument.AudioStage(), config.ioSRate,
                      config.ioBSize, config.ioRSize, config.soundFile);
        return;
    }
    throw StartupError("Configuration invalid");
}

void Session::CreateEngine() {
    // The title, the mixer, the chip access and the output controls.
    if (config.ioType < kTypeFM801 || config.ioType > kTypeWAVE) {
        throw StartupError("Configuration invalid");
    }
    TFormMain& main = Main();
    // " (SB16@0220)"
    main.SetApplicationTitle(main.ApplicationTitle() + " (" + kOutputTypeNames[config.ioType] +
                             "@" + config.ioPort + ")");
    OPL3::Settings settings;
    settings.drumMode = (config.options & kOptionDrum) != 0;
    settings.keyDelay = config.ioKey;
    if (config.ioType == kTypeWAVE) {
        // The software chip takes every byte at once.
        settings.keyDelay = 0;
        mixer = std::make_unique<vorpline::Wave>(*waveOut);
        backend = std::make_unique<EmulatorBackend>(waveOut->Registers());
    } else if (config.ioType == kTypeOPL3LPT) {
        mixer = std::make_unique<Mixer>();
        backend = std::make_unique<ParallelBackend>(*parallel, config.ioPre, config.ioPost);
    } else {
        mixer = MakeCardMixer(config.ioType, *portIo, ParsedPort());
        backend = std::make_unique<PortBackend>(*portIo, CardChipBase(config.ioType, ParsedPort()),
                                                config.ioPre, config.ioPost);
    }
    // Only the FM801 has the attenuator.
    auto* fm801 = config.ioType == kTypeFM801 ? static_cast<FM801*>(mixer.get()) : nullptr;
    bool hasMixer = config.ioType != kTypeOPL3 && config.ioType != kTypeOPL3LPT;
    instrument.BuildEngine(*backend, settings);
    instrument.Hub().onWaveDone = [this](uintptr_t buffer) {
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
                                      MidiInputSelector::ErrorWindow(Main()));
    MessageHub& hub = instrument.Hub();
    midiIn->onEvent = [&hub](uint32_t packed, uint32_t timestamp) {
        hub.ShortEvent(packed, timestamp);
    };
    hub.inputOpen = [this] { return midiIn && midiIn->IsOpen(); };
    midiSelector = std::make_unique<MidiInputSelector>(Main(), *midiIn, *services.timers);
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
        instrument.Hub().Dispatch(MessageHub::kWomDone, 0, static_cast<uintptr_t>(index));
    }
    if (std::exception_ptr failure = waveOut->TakeFileError()) {
        std::rethrow_exception(failure);
    }
    // The audio server stopped taking sound: said once, while the program plays on silently.
    if (std::exception_ptr failure = waveOut->TakeStreamError()) {
        std::rethrow_exception(failure);
    }
}

std::string Session::CloseStream() {
    if (!waveOut || !waveOut->IsOpen()) {
        return {};
    }
    try {
        waveOut->Close();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

void Session::Close() {
    if (!started) {
        return;
    }
    started = false;
    Main().SetClosing();
    if (midiIn && midiIn->IsOpen()) {
        midiIn->Close();
    }
    // Closing the stream also finishes the wave file.
    std::string failure = CloseStream();
    if (waveOut && waveOut->Underruns() > 0) {
        // Where a player looks when the sound crackled: the terminal the program ran from.
        std::fprintf(stderr, "Wave output: %llu underruns (xruns) during this run\n",
                     static_cast<unsigned long long>(waveOut->Underruns()));
    }
    instrument.Stop();
    if (!emulator) {
        // A hardware chip keeps sounding after the program unless it is silenced.
        instrument.Hub().AllNotesOff();
    }
    IniFile ini(iniPath);
    WriteOutputConfig(ini, config);
    // A stored input that was absent this time stays stored unless the user chose another.
    instrument.SaveSettings(ini, deviceSection, midiSelector->DeviceToSave());
    ini.UpdateFile();
    if (!failure.empty()) {
        throw std::runtime_error(failure);
    }
}

} // namespace vorpline

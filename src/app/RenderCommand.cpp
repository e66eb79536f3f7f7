#include "app/RenderCommand.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>

#include "app/MidiRenderer.h"
#include "app/RenderPreset.h"
#include "app/RenderToolPresets.h"
#include "dsp/TFormDSP.h"
#include "platform/IniFile.h"
#include "ui/MainPresets.h"

namespace vorpline {

namespace {

constexpr uint32_t kMinRate = 8000;
constexpr uint32_t kMaxRate = 192000;

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

uint32_t ParseRate(const std::string& text) {
    uint32_t rate = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), rate);
    if (ec != std::errc() || ptr != text.data() + text.size() || rate < kMinRate ||
        rate > kMaxRate) {
        throw UsageError("--rate wants a sample rate in Hz from " + std::to_string(kMinRate) +
                         " to " + std::to_string(kMaxRate) + ", not \"" + text + "\"");
    }
    return rate;
}

std::string ParseBank(const std::string& text) {
    const auto& banks = MainPresets::kBankFolders;
    if (std::find(banks.begin(), banks.end(), text) == banks.end()) {
        throw UsageError("--bank wants 2op, 4op or 6op, not \"" + text + "\"");
    }
    return text;
}

int ParseTempo(const std::string& text) {
    const auto bpm = IniFile::ParseInteger(text);
    if (!bpm || *bpm < 1 || *bpm > 999) {
        throw UsageError("--tempo wants beats per minute from 1 to 999, not \"" + text + "\"");
    }
    return static_cast<int>(*bpm);
}

RenderOptions ParseOptions(const std::vector<std::string>& args) {
    RenderOptions options;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) {
                throw UsageError(a + " needs a value");
            }
            return args[++i];
        };
        if (a == "--rate") {
            options.rate = ParseRate(value());
        } else if (a == "--vgm") {
            options.vgmPath = value();
        } else if (a == "--reglog") {
            options.regLogPath = value();
        } else if (a == "--ini") {
            options.iniPath = value();
        } else if (a == "--bank") {
            options.bank = ParseBank(value());
        } else if (a == "--preset") {
            options.preset = value();
        } else if (a == "--core") {
            const std::string& text = value();
            options.core = ParseEmulatorCore(text);
            if (!options.core) {
                throw UsageError("--core wants accurate or fast, not \"" + text + "\"");
            }
        } else if (a == "--dsp") {
            options.dsp = value();
            if (!TFormDSP(options.rate).ApplySettings(options.dsp)) {
                throw UsageError("--dsp wants nine numbers \"a,b,c,d,e,f,g,h,i\" (patch, enable, "
                                 "input gain, output gain, fewer bits, noise, filter, frequency, "
                                 "resonance), not \"" +
                                 options.dsp + "\"");
            }
        } else if (a == "--performance") {
            options.performance = value();
        } else if (a == "--tempo") {
            options.tempo = ParseTempo(value());
        } else if (const ToolPresetOption* kind = FindToolPresetOption(a)) {
            options.toolPresets.emplace_back(kind, value());
        } else if (a == "--quiet") {
            options.progress = false;
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) {
        throw UsageError("expected a MIDI file and a wave file");
    }
    options.midiPath = files[0];
    // "-" in place of the wave file: the VGM recording is the only output.
    if (files[1] == "-") {
        if (options.vgmPath.empty()) {
            throw UsageError("OUT.wav may be \"-\" only with --vgm");
        }
    } else {
        options.wavePath = files[1];
    }
    // The panel's pictures beside the program, as for the desktop program; a render does not
    // show them, so their absence is fine.
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        options.assetFolder = self.parent_path() / "assets" / "small";
        options.presetRoot = self.parent_path() / "vpx";
    }
    return options;
}

} // namespace

std::string RenderUsage(const std::string& invocation) {
    return "Usage: " + invocation +
           " IN.mid OUT.wav [--rate HZ] [--reglog FILE] [--vgm FILE] [--ini FILE]\n"
           "       [--bank BANK] [--preset NAME] [--dsp a,b,c,d,e,f,g,h,i] [--cc NAME]\n"
           "       [--lfo NAME] [--seq NAME] [--bend NAME] [--kit NAME]\n"
           "       [--performance NAME] [--tempo BPM] [--core CORE] [--quiet]\n"
           "  Plays a Standard MIDI File (format 0 or 1) through the synthesizer and the\n"
           "  software OPL3 and writes a 16-bit stereo wave file.\n"
           "  --rate HZ      sample rate of OUT.wav (default 44100)\n"
           "  --reglog FILE  write every register write: <frame> <register> <value>\n"
           "  --vgm FILE     record every register write that reaches the chip as a VGM\n"
           "                 file (YMF262, 44100 Hz samples, no loop) beside OUT.wav;\n"
           "                 give \"-\" for OUT.wav to write only the VGM file\n"
           "  --ini FILE     take the synthesizer's configuration from FILE: its options\n"
           "                 (such as the drum kit) and the settings kept for its output\n"
           "  --bank BANK    the bank of --preset: 2op, 4op or 6op (default 6op)\n"
           "  --preset NAME  play preset NAME of the bank beside the program, or the\n"
           "                 preset file NAME when it ends in .sbi\n"
           "  --dsp VALUES   run the DSP stage with the nine numbers of the \"DSP\" setting:\n"
           "                 patch, enable, input gain, output gain, fewer bits, noise,\n"
           "                 filter, frequency, resonance (e.g. 0,1,64,64,0,0,1,90,64)\n"
           "  --cc NAME      map controllers through control change preset NAME (from\n"
           "                 vpx/control change beside the program, or the file NAME when\n"
           "                 it ends in .txt); operators ticked \"CC\" follow them\n"
           "  --lfo NAME     run the eight LFOs of LFO preset NAME (from vpx/lfo, or the\n"
           "                 file NAME when it ends in .lfo), master enable on; they send\n"
           "                 through the control-change map (the stored one or --cc)\n"
           "  --seq NAME     play the step sequence NAME (vpx/sequence, or a .seq file)\n"
           "  --bend NAME    bend every register write with Circuit Bend preset NAME\n"
           "                 (vpx/circuit bend, or a .bnd file)\n"
           "  --kit NAME     rhythm mode with drum kit NAME (vpx/drum kit, or a .kit file);\n"
           "                 its drums play from their MIDI channel (10 by default)\n"
           "  --performance NAME  the whole instrument as performance NAME sets it (vpx/,\n"
           "                 or a .vpx file): preset, LFOs, sequence, map, bend, kit, tempo\n"
           "  --tempo BPM    the clock's tempo, 24 ticks per quarter note (default 100)\n"
           "  --core CORE    the chip emulation: accurate (cycle-exact) or fast (cheaper,\n"
           "                 close by ear); default: the configuration's, else accurate\n"
           "  --quiet        no progress report\n";
}

int RunRenderCommand(const std::string& program, const std::vector<std::string>& args) {
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
            std::fputs(RenderUsage(program).c_str(), stdout);
            return 0;
        }
    }
    try {
        RenderOptions options = ParseOptions(args);
        CheckRenderPreset(options);
        CheckToolPresets(options);
        MidiRenderer renderer(options);
        renderer.Run();
        return 0;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), e.what(), RenderUsage(program).c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), e.what());
        return 1;
    }
}

} // namespace vorpline

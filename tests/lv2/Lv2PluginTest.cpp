// The LV2 bundle as a host sees it: loaded through lilv, fed MIDI in atom sequences, its ports
// and its state driven as a host drives them.
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/presets/presets.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/Instrument.h"
#include "app/MidiRenderer.h"
#include "engine/OPL3.h"
#include "engine/RegisterMap.h"
#include "files/WaveFileReader.h"
#include "lv2/PluginParameters.h"
#include "lv2/PluginUris.h"
#include "lv2/Synth.h"
#include "lv2/TtlWriter.h"
#include "presets/TSbi.h"
#include "support/AllocationCounter.h"
#include "support/AudioAnalysis.h"
#include "support/MidiBytes.h"
#include "support/TempDir.h"
#include "support/TestPatches.h"

namespace vorpline {
namespace {

using test::StereoSignal;
constexpr uint32_t kRate = 48000;
constexpr uint32_t kBlock = 256;

struct Event {
    uint64_t frame;
    std::vector<uint8_t> bytes; // the atom's body
    const char* type = LV2_MIDI__MidiEvent;
};

// The host's URIDs: every URI its own number, from 1.
class UridMap {
public:
    LV2_URID_Map map{this, &UridMap::Map};
    LV2_Feature feature{LV2_URID__map, &map};
    LV2_URID_Unmap unmap{this, &UridMap::Unmap};

private:
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri) {
        auto& uris = static_cast<UridMap*>(handle)->uris;
        for (size_t i = 0; i < uris.size(); ++i) {
            if (uris[i] == uri) {
                return static_cast<LV2_URID>(i + 1);
            }
        }
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    static const char* Unmap(LV2_URID_Unmap_Handle handle, LV2_URID urid) {
        auto& uris = static_cast<UridMap*>(handle)->uris;
        return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
    }
    std::vector<std::string> uris;
};

// One instance of the bundle's plugin, run in blocks like a host runs it.
class Host {
public:
    Host() {
        LilvNode* bundle = lilv_new_file_uri(world, nullptr, VORPLINE_LV2_BUNDLE);
        lilv_world_load_bundle(world, bundle);
        lilv_node_free(bundle);
        LilvNode* uri = lilv_new_uri(world, lv2::kPluginUri);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
        lilv_node_free(uri);
        if (plugin == nullptr) {
            throw std::runtime_error("plugin not in bundle");
        }
        const LV2_Feature* features[] = {&urids.feature, &workerFeature, nullptr};
        instance = lilv_plugin_instantiate(plugin, kRate, features);
        const uint32_t ports = lilv_plugin_get_num_ports(plugin);
        controls.resize(ports);
        lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, controls.data());
        for (uint32_t p = lv2::kFirstParameterPort; p < ports; ++p) {
            lilv_instance_connect_port(instance, p, &controls[p]);
        }
        lilv_instance_connect_port(instance, lv2::kMidiInPort, midi.data());
        lilv_instance_connect_port(instance, lv2::kLeftPort, left.data());
        lilv_instance_connect_port(instance, lv2::kRightPort, right.data());
    }
    ~Host() {
        lilv_instance_free(instance);
        lilv_world_free(world);
    }

    float& Control(const std::string& symbol) {
        LilvNode* node = lilv_new_string(world, symbol.c_str());
        const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin, node);
        lilv_node_free(node);
        return controls.at(lilv_port_get_index(plugin, port));
    }

    // Runs `frames` frames in blocks, each event at its frame; the output as 16-bit samples.
    std::vector<int16_t> Run(uint64_t frames, const std::vector<Event>& events = {}) {
        std::vector<int16_t> out;
        for (uint64_t start = 0; start < frames; start += kBlock) {
            RunBlock(start, events, out);
        }
        return out;
    }
    void RunBlock(uint64_t start, const std::vector<Event>& events, std::vector<int16_t>& out) {
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(midi.data());
        seq->atom.type = Urid(LV2_ATOM__Sequence);
        seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
        seq->body = {0, 0};
        for (const Event& e : events) {
            if (e.frame >= start && e.frame < start + kBlock) {
                auto* ev = reinterpret_cast<LV2_Atom_Event*>(
                    reinterpret_cast<uint8_t*>(&seq->body) + seq->atom.size);
                ev->time.frames = static_cast<int64_t>(e.frame - start);
                ev->body = {static_cast<uint32_t>(e.bytes.size()), Urid(e.type)};
                std::memcpy(ev + 1, e.bytes.data(), e.bytes.size());
                seq->atom.size += lv2_atom_pad_size(
                    static_cast<uint32_t>(sizeof(LV2_Atom_Event) + e.bytes.size()));
            }
        }
        lilv_instance_run(instance, kBlock);
        // The worker's answers, handed over between two runs as hosts do.
        if (!responses.empty()) {
            const auto* worker = static_cast<const LV2_Worker_Interface*>(
                lilv_instance_get_extension_data(instance, LV2_WORKER__interface));
            for (const auto& response : responses) {
                worker->work_response(lilv_instance_get_handle(instance),
                                      static_cast<uint32_t>(response.size()), response.data());
            }
            responses.clear();
        }
        for (uint32_t f = 0; f < kBlock; ++f) {
            out.push_back(static_cast<int16_t>(std::lround(left[f] * 32767.0f)));
            out.push_back(static_cast<int16_t>(std::lround(right[f] * 32767.0f)));
        }
    }

    LilvState* Save() {
        return lilv_state_new_from_instance(plugin, instance, &urids.map, nullptr, nullptr, nullptr,
                                            nullptr, GetValue, this, 0, nullptr);
    }
    void Restore(const LilvState* state) {
        lilv_state_restore(state, instance, SetValue, this, 0, nullptr);
    }
    LV2_URID Urid(const char* uri) { return urids.map.map(urids.map.handle, uri); }
    // States read for this instance map their URIs as it does.
    LV2_URID_Map* Map() { return &urids.map; }
    std::string Text(const LilvState* state) {
        char* text =
            lilv_state_to_string(world, &urids.map, &urids.unmap, state, "urn:test:s", nullptr);
        std::string copy = text != nullptr ? text : "";
        lilv_free(text);
        return copy;
    }

    LilvWorld* world = lilv_world_new();
    const LilvPlugin* plugin = nullptr;

private:
    static const void* GetValue(const char* symbol, void* self, uint32_t* size, uint32_t* type) {
        auto* host = static_cast<Host*>(self);
        *size = sizeof(float);
        *type = host->Urid(LV2_ATOM__Float);
        return &host->Control(symbol);
    }
    static void SetValue(const char* symbol, void* self, const void* value, uint32_t, uint32_t) {
        static_cast<Host*>(self)->Control(symbol) = *static_cast<const float*>(value);
    }

    // A worker that works at once, on the audio thread; only tests may do that.
    static LV2_Worker_Status Schedule(LV2_Worker_Schedule_Handle self, uint32_t size,
                                      const void* data) {
        auto* host = static_cast<Host*>(self);
        const auto* worker = static_cast<const LV2_Worker_Interface*>(
            lilv_instance_get_extension_data(host->instance, LV2_WORKER__interface));
        return worker->work(lilv_instance_get_handle(host->instance), Respond, host, size, data);
    }
    static LV2_Worker_Status Respond(LV2_Worker_Respond_Handle self, uint32_t size,
                                     const void* data) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        static_cast<Host*>(self)->responses.emplace_back(bytes, bytes + size);
        return LV2_WORKER_SUCCESS;
    }
    LV2_Worker_Schedule schedule{this, Schedule};
    LV2_Feature workerFeature{LV2_WORKER__schedule, &schedule};
    std::vector<std::vector<uint8_t>> responses;

    // One host, one URI map: states pass between its instances.
    static inline UridMap urids;
    LilvInstance* instance = nullptr;
    std::vector<float> controls;
    std::vector<uint64_t> midi = std::vector<uint64_t>(1024);
    std::vector<float> left = std::vector<float>(kBlock);
    std::vector<float> right = std::vector<float>(kBlock);
};

// A state holding only a patch image, as the plugin saves it.
LilvState* PatchState(Host& host, const std::vector<uint8_t>& image) {
    const std::string ttl =
        std::string("@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                    "<urn:test:state> a <" LV2_PRESETS__Preset "> ; lv2:appliesTo <") +
        lv2::kPluginUri + "> ; state:state [ <" + lv2::kPatchKey + "> \"" + lv2::Base64(image) +
        "\"^^<http://www.w3.org/2001/XMLSchema#base64Binary> ] .\n";
    return lilv_state_new_from_string(host.world, host.Map(), ttl.c_str());
}

std::vector<uint8_t> SineImage() {
    auto [patch, ext] = test::SustainedSine();
    return TSbi::Encode('6', "Sine", patch, ext);
}

TEST(Lv2Plugin, NotesSoundFromTheirFrameAtTheirPitchAndStopWhenReleased) {
    Host host;
    LilvState* sine = PatchState(host, SineImage());
    ASSERT_NE(sine, nullptr);
    host.Restore(sine);
    lilv_state_free(sine);
    // Note-on inside a block (frame 10000 = block 39 + 16), off half a second later, then a
    // second note after a pause.
    const std::vector<Event> song = {{10000, {0x90, 69, 100}},
                                     {10000 + kRate, {0x80, 69, 0}},
                                     {10000 + 2 * kRate, {0x90, 69, 100}}};
    const auto out = host.Run(3 * kRate, song);
    StereoSignal s{out, kRate};
    const double on = 10000.0 / kRate;
    EXPECT_LE(s.Peak(0, on), 8);
    EXPECT_GT(s.Peak(on, on + 0.003), 1000); // within the converter's 1-2 ms
    EXPECT_GT(s.Peak(on + 0.3, on + 0.9), 8000);
    EXPECT_NEAR(s.Frequency(on + 0.2, on + 0.9), 440.0, 1.0);
    EXPECT_LE(s.Peak(on + 1.5, on + 1.99), 8); // released and died away
    EXPECT_NEAR(s.Frequency(on + 2.2, 2.95), 440.0, 1.0);
}

TEST(Lv2Plugin, ControlPortsReachTheChipWhileANoteSounds) {
    // Operator o of voice 0 sits on slot kSlotOffsetTable[3 * o + 18].
    auto slot = [](int op) { return kSlotOffsetTable[static_cast<size_t>(3 * op + 18)]; };
    struct Case {
        const char* symbol;
        int value;
        uint16_t reg;
        uint8_t mask;
        uint8_t expected;
    };
    const Case cases[] = {
        {"op1_attack", 3, static_cast<uint16_t>(kRegAttackDecay + slot(0)), 0xF0, 0x30},
        {"op2_volume", 20, static_cast<uint16_t>(kRegLevel + slot(1)), 0x3F, 63 - 20},
        {"op3_tuning", 4, static_cast<uint16_t>(kRegFlags + slot(2)), 0x0F, 4},
        {"op4_waveform", 6, static_cast<uint16_t>(kRegWaveform + slot(3)), 0x07, 6},
        {"op5_tremolo", 1, static_cast<uint16_t>(kRegFlags + slot(4)), 0x80, 0x80},
        {"op6_sustain", 9, static_cast<uint16_t>(kRegSustainRelease + slot(5)), 0xF0, 0x90},
        {"feedback_1234", 5, static_cast<uint16_t>(kRegFeedbackConnection + 0x100), 0x0E, 0x0A},
        {"tremolo_depth", 1, kRegRhythm, 0x80, 0x80},
    };
    const auto& table = lv2::PluginParameters();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.symbol);
        lv2::Synth synth(kRate, {});
        std::vector<float> values;
        std::vector<const float*> ports;
        for (const auto& p : table) {
            values.push_back(static_cast<float>(p.get(synth.Synthesizer())));
        }
        for (const float& v : values) {
            ports.push_back(&v);
        }
        const uint8_t on[] = {0x90, 69, 100};
        synth.Midi(on, sizeof on);
        std::vector<float> l(kBlock), r(kBlock);
        synth.Render(l.data(), r.data(), kBlock);
        const OPL3& chip = synth.Synthesizer().Engine();
        ASSERT_NE(chip.ReadRegister(c.reg) & c.mask, c.expected);
        size_t i = 0;
        while (table[i].symbol != c.symbol) {
            ++i;
        }
        values[i] = static_cast<float>(c.value);
        synth.ApplyPorts(ports);
        EXPECT_EQ(chip.ReadRegister(c.reg) & c.mask, c.expected);
        EXPECT_EQ(table[i].get(synth.Synthesizer()), c.value);
        EXPECT_EQ(synth.Synthesizer().Engine().Part(OPL3::kPart1234).Count(), 1); // still held
    }
}

TEST(Lv2Plugin, StateAndPresetsRestoreTheWholePatch) {
    Host edited;
    edited.Control("algorithm") = 5;
    edited.Control("op1_attack") = 4;
    edited.Control("mode_56") = 1;
    edited.Run(kBlock);
    LilvState* saved = edited.Save();
    Host fresh;
    LilvState* untouched = fresh.Save();
    EXPECT_NE(fresh.Text(untouched), edited.Text(saved));
    fresh.Restore(saved);
    fresh.Run(kBlock);
    LilvState* again = fresh.Save();
    EXPECT_EQ(fresh.Text(again), fresh.Text(saved)); // one map for all
    for (LilvState* s : {saved, untouched, again}) {
        lilv_state_free(s);
    }

    // Every starter preset, restored and saved back, is the preset itself.
    LilvNode* presetClass = lilv_new_uri(fresh.world, LV2_PRESETS__Preset);
    LilvNodes* presets = lilv_plugin_get_related(fresh.plugin, presetClass);
    EXPECT_EQ(lilv_nodes_size(presets), 6u);
    LILV_FOREACH(nodes, it, presets) {
        const LilvNode* uri = lilv_nodes_get(presets, it);
        SCOPED_TRACE(lilv_node_as_uri(uri));
        lilv_world_load_resource(fresh.world, uri);
        Host host;
        LilvState* preset = lilv_state_new_from_world(fresh.world, host.Map(), uri);
        ASSERT_NE(preset, nullptr);
        host.Restore(preset);
        host.Run(kBlock);
        LilvState* after = host.Save();
        lilv_state_set_label(after, lilv_state_get_label(preset));
        // The port values and the patch, as a host would write them to a session.
        EXPECT_EQ(host.Text(after), host.Text(preset));
        lilv_state_free(after);
        lilv_state_free(preset);
    }
    lilv_nodes_free(presets);
    lilv_node_free(presetClass);
}

// The body of a patch:Set of the file option to `path`.
std::vector<uint8_t> SetSbiFile(Host& host, const std::string& path) {
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, host.Map());
    std::vector<uint8_t> buffer(1024);
    lv2_atom_forge_set_buffer(&forge, buffer.data(), buffer.size());
    LV2_Atom_Forge_Frame frame;
    auto* atom = reinterpret_cast<LV2_Atom*>(lv2_atom_forge_deref(
        &forge, lv2_atom_forge_object(&forge, &frame, 0, host.Urid(LV2_PATCH__Set))));
    lv2_atom_forge_key(&forge, host.Urid(LV2_PATCH__property));
    lv2_atom_forge_urid(&forge, host.Urid(lv2::kSbiFileKey));
    lv2_atom_forge_key(&forge, host.Urid(LV2_PATCH__value));
    lv2_atom_forge_path(&forge, path.c_str(), static_cast<uint32_t>(path.size() + 1));
    lv2_atom_forge_pop(&forge, &frame);
    const auto* body = reinterpret_cast<const uint8_t*>(atom + 1);
    return {body, body + atom->size};
}

TEST(Lv2Plugin, AnSbiFileChosenByPathReplacesThePatchAndOnlyAPresetFileDoes) {
    test::TempDir dir;
    const auto sine = SineImage();
    std::ofstream(dir.File("sine.sbi"), std::ios::binary)
        .write(reinterpret_cast<const char*>(sine.data()),
               static_cast<std::streamsize>(sine.size()));
    std::ofstream(dir.File("short.sbi"), std::ios::binary)
        .write(reinterpret_cast<const char*>(sine.data()), 65); // no kind is 65 bytes long
    struct Case {
        std::string file;
        bool sustains; // the sine's held tone, not the default patch's click
    };
    for (const Case& c :
         {Case{"sine.sbi", true}, Case{"short.sbi", false}, Case{"missing.sbi", false}}) {
        SCOPED_TRACE(c.file);
        Host host;
        host.Run(kBlock);
        const auto out =
            host.Run(kRate, {{10, SetSbiFile(host, dir.File(c.file)), LV2_ATOM__Object},
                             {kRate / 4, {0x90, 69, 100}}});
        StereoSignal s{out, kRate};
        EXPECT_EQ(s.Peak(0.6, 0.9) > 8000, c.sustains);
    }
}

TEST(Lv2Plugin, PlaysInTuneAtTheHostsRate) {
    for (uint32_t rate : {22050u, 44100u, 96000u, 192000u}) {
        SCOPED_TRACE(rate);
        lv2::Synth synth(rate, {});
        ASSERT_TRUE(synth.LoadPatch(SineImage()));
        const uint8_t on[] = {0x90, 69, 100};
        synth.Midi(on, sizeof on);
        std::vector<float> l(rate), r(rate);
        synth.Render(l.data(), r.data(), rate);
        std::vector<int16_t> out;
        for (uint32_t f = 0; f < rate; ++f) {
            out.push_back(static_cast<int16_t>(std::lround(l[f] * 32767.0f)));
            out.push_back(static_cast<int16_t>(std::lround(r[f] * 32767.0f)));
        }
        EXPECT_NEAR((StereoSignal{out, rate}.Frequency(0.2, 0.95)), 440.0, 1.0);
    }
}

TEST(Lv2Plugin, PortamentoKeepsItsTimeWhateverTheBlockSize) {
    // Legato, 10 ms per 50-cent step: an octave up takes 24 steps; after 120 ms, 12 are done.
    for (size_t block : {size_t{64}, size_t{1000}, size_t{4096}}) {
        SCOPED_TRACE(block);
        lv2::Synth synth(kRate, {});
        auto& s = synth.Synthesizer();
        s.Main().ComboBoxLimit1234.SetItemIndex(0);
        s.Main().ComboBoxLimit1234.Change();
        s.Engine().SetPortamentoTime(OPL3::kPart1234, 10);
        const uint8_t low[] = {0x90, 60, 100};
        const uint8_t high[] = {0x90, 72, 100};
        synth.Midi(low, sizeof low);
        synth.Midi(high, sizeof high);
        std::vector<float> l(block), r(block);
        for (size_t done = 0; done < kRate * 120 / 1000;) {
            const size_t n = std::min(block, kRate * 120 / 1000 - done);
            synth.Render(l.data(), r.data(), n);
            done += n;
        }
        EXPECT_EQ(s.Engine().GlideOffset(OPL3::kPart1234), -1200 + 12 * 50);
    }
}

TEST(Lv2Plugin, RunNeverTouchesTheHeap) {
    if (!test::AllocationScope::Available()) {
        GTEST_SKIP() << "allocation counting is off in sanitizer builds";
    }
    Host host;
    LilvState* sine = PatchState(host, SineImage());
    host.Restore(sine);
    lilv_state_free(sine);
    host.Run(kBlock); // the restored patch's ports settle
    // Part 1-4 in Legato with portamento: the chord below glides from note to note.
    host.Control("mode_1234") = 0;
    host.Control("portamento_1234") = 10;
    host.Run(kBlock);
    // Chords on both parts, bend, pressure, controllers of the default map, RPN bend range,
    // and every port moved while the notes sound.
    std::vector<Event> song;
    for (uint8_t n = 0; n < 8; ++n) {
        song.push_back({n * 300u, {0x90, static_cast<uint8_t>(60 + n), 100}});
    }
    for (const auto& cc : std::vector<std::vector<uint8_t>>{{0xE0, 0, 90},
                                                            {0xD0, 100},
                                                            {0xB0, 74, 40},
                                                            {0xB0, 17, 100},
                                                            {0xB0, 64, 127},
                                                            {0xB0, 101, 0},
                                                            {0xB0, 100, 0},
                                                            {0xB0, 6, 70},
                                                            {0xB0, 7, 90}}) {
        song.push_back({3000, cc});
    }
    for (uint8_t n = 0; n < 8; ++n) {
        song.push_back({6000u + n * 100u, {0x80, static_cast<uint8_t>(60 + n), 0}});
    }
    std::vector<float*> ports;
    for (const auto& p : lv2::PluginParameters()) {
        ports.push_back(&host.Control(p.symbol));
    }
    const std::vector<Event> press = {{0, {0x90, 64, 100}}};
    const std::vector<Event> release = {{0, {0x80, 64, 0}}};
    std::vector<int16_t> out;
    out.reserve(2 * 12000); // the song's frames, stereo
    test::AllocationScope scope;
    for (uint64_t start = 0; start < 10000; start += kBlock) {
        host.RunBlock(start, song, out);
    }
    const auto& table = lv2::PluginParameters();
    for (size_t i = 0; i < table.size(); ++i) {
        *ports[i] = static_cast<float>(table[i].max);
        host.RunBlock(0, press, out);
        *ports[i] = static_cast<float>(table[i].min);
        host.RunBlock(0, release, out);
        if (out.size() > out.capacity() - 8 * kBlock) {
            out.clear();
        }
    }
    EXPECT_EQ(scope.Count(), 0);
}

TEST(Lv2Plugin, SoundsAsTheRendererDoes) {
    test::TempDir dir;
    using namespace midibytes;
    const Bytes song = File(0, 480, {Track({{480, {0x90, 69, 127}}, {960, {0x80, 69, 0}}})});
    std::ofstream(dir.File("a4.mid"), std::ios::binary)
        .write(reinterpret_cast<const char*>(song.data()),
               static_cast<std::streamsize>(song.size()));
    RenderOptions options;
    options.midiPath = dir.File("a4.mid");
    options.wavePath = dir.File("a4.wav");
    options.rate = kRate;
    options.progress = false;
    MidiRenderer renderer(options);
    auto [patch, ext] = test::SustainedSine();
    renderer.SetPatch(patch, ext);
    renderer.Run();
    const auto wave = WaveFileReader::Load(dir.File("a4.wav"));
    StereoSignal rendered{wave.Samples(), kRate};

    Host host;
    LilvState* sine = PatchState(host, SineImage());
    host.Restore(sine);
    lilv_state_free(sine);
    const auto out =
        host.Run(2 * kRate, {{kRate / 2, {0x90, 69, 127}}, {kRate * 3 / 2, {0x80, 69, 0}}});
    StereoSignal played{out, kRate};
    EXPECT_NEAR(played.Frequency(0.6, 1.4), rendered.Frequency(0.6, 1.4), 0.2);
    const double ratio = static_cast<double>(played.Peak(0.6, 1.4)) / rendered.Peak(0.6, 1.4);
    EXPECT_NEAR(ratio, 1.0, 0.05);
    EXPECT_LE(played.Peak(0, 0.499), 8);
}

} // namespace
} // namespace vorpline

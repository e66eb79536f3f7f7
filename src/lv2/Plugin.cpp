// The LV2 entry points of the instrument: one Synth per instance, MIDI from an atom sequence
// applied at each event's frame, stereo out at the host's rate, the parameter table's control
// ports and the patch state.
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <exception>
#include <vector>

#include "lv2/PluginParameters.h"
#include "lv2/PluginUris.h"
#include "lv2/Synth.h"

namespace vorpline::lv2 {

namespace {

struct Instance {
    std::unique_ptr<Synth> synth;
    LV2_URID_Map* map = nullptr;
    LV2_URID midiEvent = 0;
    LV2_URID patchKey = 0;
    LV2_URID chunk = 0;
    LV2_Atom_Sequence* midiIn = nullptr;
    float* left = nullptr;
    float* right = nullptr;
    std::vector<const float*> controls;
};

const void* Feature(const LV2_Feature* const* features, const char* uri) {
    for (; features != nullptr && *features != nullptr; ++features) {
        if (std::strcmp((*features)->URI, uri) == 0) {
            return (*features)->data;
        }
    }
    return nullptr;
}

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char* bundlePath,
                       const LV2_Feature* const* features) {
    auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(Feature(features, LV2_URID__map)));
    if (map == nullptr || rate < 1000.0 || rate > 768000.0) {
        return nullptr;
    }
    try {
        auto instance = std::make_unique<Instance>();
        instance->map = map;
        instance->midiEvent = map->map(map->handle, LV2_MIDI__MidiEvent);
        instance->patchKey = map->map(map->handle, kPatchKey);
        instance->chunk = map->map(map->handle, LV2_ATOM__Chunk);
        instance->controls.assign(PluginParameters().size(), nullptr);
        instance->synth = std::make_unique<Synth>(static_cast<uint32_t>(rate + 0.5),
                                                  std::filesystem::path(bundlePath));
        return instance.release();
    } catch (const std::exception&) {
        // The chip or the converter could not be made: the host reports a failed instance.
        return nullptr;
    }
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data) {
    auto* instance = static_cast<Instance*>(handle);
    switch (port) {
    case kMidiInPort:
        instance->midiIn = static_cast<LV2_Atom_Sequence*>(data);
        break;
    case kLeftPort:
        instance->left = static_cast<float*>(data);
        break;
    case kRightPort:
        instance->right = static_cast<float*>(data);
        break;
    default:
        if (port - kFirstParameterPort < instance->controls.size()) {
            instance->controls[port - kFirstParameterPort] = static_cast<const float*>(data);
        }
        break;
    }
}

void Run(LV2_Handle handle, uint32_t frames) {
    auto* instance = static_cast<Instance*>(handle);
    Synth& synth = *instance->synth;
    if (instance->left == nullptr || instance->right == nullptr) {
        return;
    }
    synth.ApplyPorts(instance->controls);
    uint32_t done = 0;
    if (instance->midiIn != nullptr) {
        LV2_ATOM_SEQUENCE_FOREACH(instance->midiIn, event) {
            if (event->body.type != instance->midiEvent) {
                continue;
            }
            // Events come in time order; one stamped beyond the block plays at its end.
            const auto at = static_cast<uint32_t>(
                std::clamp<int64_t>(event->time.frames, done, static_cast<int64_t>(frames)));
            synth.Render(instance->left + done, instance->right + done, at - done);
            done = at;
            synth.Midi(static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body)),
                       event->body.size);
        }
    }
    synth.Render(instance->left + done, instance->right + done, frames - done);
}

void Cleanup(LV2_Handle handle) {
    delete static_cast<Instance*>(handle);
}

LV2_State_Status Save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state,
                      uint32_t, const LV2_Feature* const*) {
    auto* instance = static_cast<Instance*>(handle);
    const std::vector<uint8_t> image = instance->synth->SavePatch();
    return store(state, instance->patchKey, image.data(), image.size(), instance->chunk,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle state, uint32_t, const LV2_Feature* const*) {
    auto* instance = static_cast<Instance*>(handle);
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* data = retrieve(state, instance->patchKey, &size, &type, &flags);
    if (data == nullptr) {
        return LV2_STATE_SUCCESS; // a state from before the patch was kept: nothing to load
    }
    if (type != instance->chunk) {
        return LV2_STATE_ERR_BAD_TYPE;
    }
    const std::span<const uint8_t> image(static_cast<const uint8_t*>(data), size);
    return instance->synth->LoadPatch(image) ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
}

const void* ExtensionData(const char* uri) {
    static const LV2_State_Interface state = {Save, Restore};
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

const LV2_Descriptor kDescriptor = {kPluginUri, Instantiate, ConnectPort, nullptr,
                                    Run,        nullptr,     Cleanup,     ExtensionData};

} // namespace

} // namespace vorpline::lv2

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &vorpline::lv2::kDescriptor : nullptr;
}

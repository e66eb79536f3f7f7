// The LV2 entry points of the instrument: one Synth per instance, MIDI from an atom sequence
// applied at each event's frame, stereo out at the host's rate, the parameter table's control
// ports, the patch state, and .sbi files loaded by path through the host's worker thread.
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <cstring>
#include <exception>
#include <vector>

#include "lv2/PluginParameters.h"
#include "lv2/PluginUris.h"
#include "lv2/Synth.h"
#include "platform/FileBytes.h"
#include "presets/TSbi.h"

namespace vorpline::lv2 {

namespace {

struct Instance {
    std::unique_ptr<Synth> synth;
    LV2_URID_Map* map = nullptr;
    LV2_URID midiEvent = 0;
    LV2_URID patchKey = 0;
    LV2_URID chunk = 0;
    LV2_URID atomObject = 0;
    LV2_URID atomPath = 0;
    LV2_URID atomUrid = 0;
    LV2_URID patchSet = 0;
    LV2_URID patchProperty = 0;
    LV2_URID patchValue = 0;
    LV2_URID sbiFile = 0;
    // Null when the host has no worker: the file option then does nothing.
    LV2_Worker_Schedule* schedule = nullptr;
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
        instance->atomObject = map->map(map->handle, LV2_ATOM__Object);
        instance->atomPath = map->map(map->handle, LV2_ATOM__Path);
        instance->atomUrid = map->map(map->handle, LV2_ATOM__URID);
        instance->patchSet = map->map(map->handle, LV2_PATCH__Set);
        instance->patchProperty = map->map(map->handle, LV2_PATCH__property);
        instance->patchValue = map->map(map->handle, LV2_PATCH__value);
        instance->sbiFile = map->map(map->handle, kSbiFileKey);
        instance->schedule = static_cast<LV2_Worker_Schedule*>(
            const_cast<void*>(Feature(features, LV2_WORKER__schedule)));
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

// A patch:Set of the file option: the path goes to the worker thread, which reads the file.
void RequestFile(Instance& instance, const LV2_Atom_Object* object) {
    if (object->body.otype != instance.patchSet || instance.schedule == nullptr) {
        return;
    }
    const LV2_Atom* property = nullptr;
    const LV2_Atom* value = nullptr;
    lv2_atom_object_get(object, instance.patchProperty, &property, instance.patchValue, &value, 0);
    if (property == nullptr || property->type != instance.atomUrid ||
        reinterpret_cast<const LV2_Atom_URID*>(property)->body != instance.sbiFile ||
        value == nullptr || value->type != instance.atomPath || value->size == 0) {
        return;
    }
    instance.schedule->schedule_work(instance.schedule->handle, value->size,
                                     LV2_ATOM_BODY_CONST(value));
}

// Worker thread: the file's bytes, if it is a preset file at all, go back to the audio side.
LV2_Worker_Status Work(LV2_Handle, LV2_Worker_Respond_Function respond,
                       LV2_Worker_Respond_Handle respondHandle, uint32_t size, const void* data) {
    const auto* text = static_cast<const char*>(data);
    const std::string path(text, strnlen(text, size));
    // One byte more than the largest preset tells an over-long file from a full one.
    const FileBytes file = ReadFileBytes(path, TSbi::kSize6op + 1);
    PatchRecord patch;
    PatchExt ext;
    if (!file || !TSbi::Decode(file.bytes, patch, ext)) {
        return LV2_WORKER_ERR_UNKNOWN;
    }
    return respond(respondHandle, static_cast<uint32_t>(file.bytes.size()), file.bytes.data());
}

// The host calls this between two runs: the preset is loaded over the patch there, as the
// panel loads a preset file.
LV2_Worker_Status WorkResponse(LV2_Handle handle, uint32_t size, const void* data) {
    auto* instance = static_cast<Instance*>(handle);
    const std::span<const uint8_t> image(static_cast<const uint8_t*>(data), size);
    return instance->synth->LoadPatch(image) ? LV2_WORKER_SUCCESS : LV2_WORKER_ERR_UNKNOWN;
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
            if (event->body.type == instance->atomObject) {
                RequestFile(*instance, reinterpret_cast<const LV2_Atom_Object*>(&event->body));
                continue;
            }
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
    static const LV2_Worker_Interface worker = {Work, WorkResponse, nullptr};
    if (std::strcmp(uri, LV2_STATE__interface) == 0) {
        return &state;
    }
    return std::strcmp(uri, LV2_WORKER__interface) == 0 ? &worker : nullptr;
}

const LV2_Descriptor kDescriptor = {kPluginUri, Instantiate, ConnectPort, nullptr,
                                    Run,        nullptr,     Cleanup,     ExtensionData};

} // namespace

} // namespace vorpline::lv2

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &vorpline::lv2::kDescriptor : nullptr;
}

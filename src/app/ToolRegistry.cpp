#include "app/ToolRegistry.h"

#include <algorithm>

#include "ui/TFormMain.h"

namespace vorpline {

ToolRegistry::ToolRegistry(std::span<const ToolKind> catalog) : catalog(catalog) {}

ToolRegistry::~ToolRegistry() {
    // Last made first: a window may use one made before it.
    while (!entries.empty()) {
        entries.pop_back();
    }
}

void ToolRegistry::Create(ToolStage stage, const ToolContext& context) {
    for (const ToolKind& kind : catalog) {
        if (kind.stage != stage || !kind.wanted(context.config)) {
            continue;
        }
        entries.push_back({&kind, kind.make(context)});
        context.main.SetModuleWindow(context.main.*kind.button, &entries.back().window->Window());
    }
}

void ToolRegistry::LoadPending(const IniFile& ini, const std::string& section,
                               const std::string& applicationTitle) {
    for (Entry& entry : entries) {
        if (!entry.loaded) {
            entry.window->LoadSettings(ini, section, applicationTitle);
            entry.loaded = true;
        }
    }
}

void ToolRegistry::ConnectPeers(HubPeers& peers) const {
    for (const Entry& entry : entries) {
        entry.window->ConnectPeers(peers);
    }
}

void ToolRegistry::AfterStartUp() const {
    for (const Entry& entry : entries) {
        entry.window->AfterStartUp();
    }
}

void ToolRegistry::BeforeShutdown() const {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        it->window->BeforeShutdown();
    }
}

void ToolRegistry::SaveSettings(IniFile& ini, const std::string& section) const {
    std::vector<const Entry*> order;
    for (const Entry& entry : entries) {
        order.push_back(&entry);
    }
    std::stable_sort(order.begin(), order.end(), [](const Entry* a, const Entry* b) {
        return a->kind->saveRank < b->kind->saveRank;
    });
    for (const Entry* entry : order) {
        entry->window->SaveSettings(ini, section);
    }
}

AudioProcessor* ToolRegistry::AudioStage() const {
    for (const Entry& entry : entries) {
        if (AudioProcessor* stage = entry.window->AudioStage()) {
            return stage;
        }
    }
    return nullptr;
}

RegisterBender* ToolRegistry::Bender() const {
    for (const Entry& entry : entries) {
        if (RegisterBender* bender = entry.window->Bender()) {
            return bender;
        }
    }
    return nullptr;
}

ToolWindow* ToolRegistry::Find(ToolId id) const {
    for (const Entry& entry : entries) {
        if (entry.kind->id == id) {
            return entry.window.get();
        }
    }
    return nullptr;
}

} // namespace vorpline

#pragma once
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/ToolCatalog.h"

namespace vorpline {

class AudioProcessor;
class HubPeers;
class IniFile;
class RegisterBender;
class TFormMain;

// The tool windows that exist in this run, made from the catalog as the configuration asks.
// Start-up, shutdown, the hub and the desktop program walk it; a window that was not made is
// simply not here.
// Main thread only.
class ToolRegistry {
public:
    struct Entry {
        const ToolKind* kind;
        std::unique_ptr<ToolWindow> window;
        bool loaded = false;
    };

    explicit ToolRegistry(std::span<const ToolKind> catalog = ToolCatalog());
    ~ToolRegistry();
    ToolRegistry(const ToolRegistry&) = delete;
    ToolRegistry& operator=(const ToolRegistry&) = delete;

    // Makes the windows of `stage` that the configuration wants, in catalog order; each one's
    // module button is enabled and shows it.
    void Create(ToolStage stage, const ToolContext& context);
    // LoadSettings of every window made since the last call.
    void LoadPending(const IniFile& ini, const std::string& section,
                     const std::string& applicationTitle);
    void ConnectPeers(HubPeers& peers) const;
    void AfterStartUp() const;
    // Last made first.
    void BeforeShutdown() const;
    // SaveSettings of every window in the catalog's save order.
    void SaveSettings(IniFile& ini, const std::string& section) const;

    // The first window's audio stage or register bender; null when no window offers one.
    AudioProcessor* AudioStage() const;
    RegisterBender* Bender() const;

    ToolWindow* Find(ToolId id) const;
    const std::vector<Entry>& Entries() const { return entries; }

private:
    std::span<const ToolKind> catalog;
    std::vector<Entry> entries;
};

} // namespace vorpline

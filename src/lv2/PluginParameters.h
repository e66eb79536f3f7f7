#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vorpline {

class Instrument;

namespace lv2 {

// How a host shows a control port.
enum class PortKind {
    kInteger,     // a whole number in [min, max]
    kToggle,      // 0 or 1, a tick box
    kEnumeration, // one of the scale points, shown by their texts
};

// One patch setting of the synth panel or of an operator frame as a host-automatable control
// port. The value is what the panel's control holds: an item index for a list (its texts are
// the scale points), a slider position, a tick, or cents for the tuning boxes. Reading and
// writing go through the panel's controls, so setting a value runs the control's own handler
// and the engine hears it exactly as when the musician moves the control.
struct PluginParameter {
    std::string symbol; // the port's symbol: lower case, digits and '_'
    std::string name;   // what a generic host UI shows
    PortKind kind = PortKind::kInteger;
    int min = 0;
    int max = 0;
    // (value, text) of every choice a host may offer; for enumerations all of them.
    std::vector<std::pair<int, std::string>> scalePoints;
    bool cents = false; // the value is in cents
    // The value the panel holds now.
    std::function<int(Instrument&)> get;
    // Puts `value` (already within [min, max]) into the panel and lets it reach the engine.
    // Runs on the plugin's audio thread: must not allocate.
    std::function<void(Instrument&, int value)> set;
};

// Every control port after the three fixed ones (MIDI in, left, right), in port order. Built
// once, on first use; the same table makes the plugin's ports and its TTL description.
const std::vector<PluginParameter>& PluginParameters();

} // namespace lv2
} // namespace vorpline

#include "controls/TrackBar.h"

#include <algorithm>

namespace vorpline {

TrackBar::TrackBar(std::string name, int min, int max, int position, int pageSize,
                   int tickFrequency, int lineSize)
    : Control(std::move(name)), min(min), max(max), position(std::clamp(position, min, max)),
      pageSize(pageSize), tickFrequency(tickFrequency), lineSize(lineSize) {}

void TrackBar::SetPosition(int value) {
    value = std::clamp(value, min, max);
    if (value == position) {
        return;
    }
    position = value;
    Changed();
    Fire(onChange);
}

void TrackBar::SetRange(int newMin, int newMax) {
    min = newMin;
    max = std::max(newMin, newMax);
    Changed();
    SetPosition(position);
}

} // namespace vorpline

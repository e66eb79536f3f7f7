#pragma once
#include <functional>
#include <string>

#include "controls/Control.h"

namespace vorpline {

// A slider over an integer range. Moving it, from code or by the user, runs onChange when the
// position really changes; positions are clamped to the range. The arrow keys move it by the
// line size, Page Up/Down by the page size.
class TrackBar : public Control {
public:
    TrackBar(std::string name, int min, int max, int position, int pageSize = 1,
             int tickFrequency = 1, int lineSize = 1);

    int Min() const { return min; }
    int Max() const { return max; }
    int Position() const { return position; }
    int PageSize() const { return pageSize; }
    int LineSize() const { return lineSize; }
    int TickFrequency() const { return tickFrequency; }

    void SetPosition(int value);
    // Clamps the position into the new range (running onChange if that moves it).
    void SetRange(int newMin, int newMax);

    std::function<void()> onChange;

private:
    int min;
    int max;
    int position;
    int pageSize;
    int tickFrequency;
    int lineSize;
};

} // namespace vorpline

#include "qt/LfoShapePlot.h"

#include <algorithm>
#include <cstdint>

#include <QPaintEvent>
#include <QPainter>

#include "modulation/TFrameLFO.h"
#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

using Setting = TFrameLFO::TickSetting;

// One 4/4 bar: the cycle drawn while the LFO's own duration is 0.
constexpr int kStandInTicks = 96;
constexpr int kTop = 127;
constexpr int kMiddle = 64;
const QColor kMarkerColour(208, 48, 48);

} // namespace

LfoShapePlot::LfoShapePlot(TFrameLFO& frame, QWidget* parent) : QWidget(parent), frame(frame) {
    setObjectName(QStringLiteral("LfoShapePlot"));
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Everything that shapes the cycle; the duration's label follows its resolution too.
    Control* shaping[] = {&frame.ComboBoxFunction,  &frame.ComboBoxn,      &frame.TrackBarDuty,
                          &frame.TrackBarAmplitude, &frame.TrackBarOffset, &frame.CheckBoxFlip,
                          &frame.CheckBoxMirror,    &frame.TrackBarAngle,  &frame.TrackBarDuration,
                          &frame.LabelDurationVal};
    for (Control* control : shaping) {
        ObserveWhileAlive(this, *control, [this] {
            stale = true;
            update();
        });
    }
}

void LfoShapePlot::Refresh() {
    if (!stale) {
        return;
    }
    stale = false;
    const int ticks = frame.Ticks(Setting::Duration);
    standIn = ticks <= 0;
    duration = standIn ? kStandInTicks : ticks;
    startPhase = frame.StartPhaseFor(duration);
    const double amplitude = frame.TrackBarAmplitude.Position();
    values.resize(static_cast<size_t>(duration));
    for (int i = 0; i < duration; ++i) {
        values[static_cast<size_t>(i)] =
            frame.ValueAt((startPhase + i) % duration, duration, amplitude);
    }
    marker = CurrentMarker();
}

int LfoShapePlot::CurrentMarker() const {
    if (standIn || !frame.Running()) {
        return -1;
    }
    // The running cycle may have begun at another phase, or be longer than the duration now
    // set; the marker still stands over the value the LFO sends next.
    const int relative =
        ((frame.State().PhasePosition - startPhase) % duration + duration) % duration;
    return ColumnOf(relative);
}

int LfoShapePlot::ColumnOf(int index) const {
    return static_cast<int>(static_cast<int64_t>(index) * (width() - 2) / duration);
}

void LfoShapePlot::Poll() {
    Refresh();
    const int now = CurrentMarker();
    if (now != marker) {
        marker = now;
        update();
    }
}

int LfoShapePlot::MarkerColumn() {
    Refresh();
    return marker;
}

void LfoShapePlot::paintEvent(QPaintEvent* /*event*/) {
    Refresh();
    QPainter painter(this);
    const QRect frameRect = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frameRect);
    // Inside the border: columns 1..width-2, rows 1..height-2; value 127 on the top row.
    const int columns = width() - 2;
    const int rows = height() - 2;
    auto rowOf = [rows](int value) { return 1 + (rows - 1) - value * (rows - 1) / kTop; };
    painter.setPen(QPen(palette().color(QPalette::Midlight), 1, Qt::DotLine));
    painter.drawLine(1, rowOf(kMiddle), columns, rowOf(kMiddle));

    painter.setPen(standIn ? palette().color(QPalette::Disabled, QPalette::Text)
                           : palette().color(QPalette::Highlight));
    // Each column spans the cycle's values that fall into it (at least one), joined to the
    // last value of the column before, so steps and jumps stay connected.
    int previous = -1;
    for (int c = 0; c < columns; ++c) {
        const int first = static_cast<int>(static_cast<int64_t>(c) * duration / columns);
        const int end =
            std::max(first + 1, static_cast<int>(static_cast<int64_t>(c + 1) * duration / columns));
        auto begin = values.begin() + first;
        const auto [low, high] = std::minmax_element(begin, values.begin() + end);
        int bottom = *low;
        int top = *high;
        if (previous >= 0) {
            bottom = std::min(bottom, previous);
            top = std::max(top, previous);
        }
        painter.drawLine(1 + c, rowOf(bottom), 1 + c, rowOf(top));
        previous = values[static_cast<size_t>(end - 1)];
    }

    if (marker >= 0) {
        painter.setPen(kMarkerColour);
        painter.drawLine(1 + marker, 1, 1 + marker, rows);
    }
}

} // namespace vorpline

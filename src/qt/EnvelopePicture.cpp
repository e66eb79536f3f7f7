#include "qt/EnvelopePicture.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include "engine/EnvelopeRates.h"
#include "qt/PanelWidgets.h"
#include "ui/TFrameOp.h"

namespace vorpline {

namespace {

// Below this the time axis is nearly linear, above it logarithmic.
constexpr double kKneeMs = 1.0;
constexpr double kShortestAxisMs = 10.0;
constexpr int kLabelPixels = 8;
constexpr int kWheelStep = 120; // one notch of a mouse wheel, in eighths of a degree
constexpr int kOctave = 12;

QString NoteName(int note) {
    static const char* kNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return QString::fromLatin1(kNames[note % kOctave]) + QString::number(note / kOctave - 1);
}

QString TimeText(double ms) {
    return ms < 1000 ? QStringLiteral("%1 ms").arg(ms) : QStringLiteral("%1 s").arg(ms / 1000);
}

} // namespace

EnvelopePicture::EnvelopePicture(TFrameOp& frame, QWidget* parent) : QWidget(parent), frame(frame) {
    setObjectName(QStringLiteral("EnvelopePicture"));
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    Control* shaping[] = {&frame.TrackBarAttack,  &frame.TrackBarDecay, &frame.TrackBarSustain,
                          &frame.TrackBarRelease, &frame.CheckBoxHold,  &frame.CheckBoxRateScaling};
    for (Control* control : shaping) {
        ObserveWhileAlive(this, *control, [this] {
            stale = true;
            update();
        });
    }
    SetNote(kDefaultNote);
}

void EnvelopePicture::SetNote(int value) {
    note = std::clamp(value, 0, 127);
    setToolTip(tr("Envelope at note %1 (%2): the mouse wheel chooses the note for key scaling")
                   .arg(note)
                   .arg(NoteName(note)));
    stale = true;
    update();
}

void EnvelopePicture::Refresh() {
    if (!stale) {
        return;
    }
    stale = false;
    curve = MakeEnvelopeCurve(SettingsOf(frame, note));
    // An endless last stage gets as much room again as the stages before it.
    const double end = curve.points.back().ms * (curve.endless ? 2 : 1);
    axisMs = kShortestAxisMs;
    while (axisMs < end) {
        axisMs *= 10;
    }
}

const EnvelopeCurve& EnvelopePicture::Curve() {
    Refresh();
    return curve;
}

double EnvelopePicture::AxisMs() {
    Refresh();
    return axisMs;
}

double EnvelopePicture::Column(double ms) {
    Refresh();
    return std::log1p(ms / kKneeMs) / std::log1p(axisMs / kKneeMs) * (width() - 1);
}

void EnvelopePicture::DrawAxis(QPainter& painter, int plotHeight) {
    // Decades from the axis' end down, each labelled where its text has room.
    struct Span {
        int left, right;
    };
    std::vector<Span> taken;
    const QFontMetrics metrics = painter.fontMetrics();
    auto place = [&](const QString& text, double x, bool tick) {
        if (tick) {
            painter.setPen(palette().color(QPalette::Mid));
            painter.drawLine(QPointF(x, 0), QPointF(x, plotHeight));
        }
        const int textWidth = metrics.horizontalAdvance(text);
        const int left = std::clamp(static_cast<int>(x) - textWidth / 2, 0, width() - textWidth);
        for (const Span& span : taken) {
            if (left < span.right + 3 && left + textWidth + 3 > span.left) {
                return;
            }
        }
        taken.push_back({left, left + textWidth});
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(left, height() - metrics.descent(), text);
    };
    place(QStringLiteral("0"), 0, false);
    for (double ms = axisMs; ms >= kKneeMs; ms /= 10) {
        place(TimeText(ms), Column(ms), true);
    }
}

void EnvelopePicture::paintEvent(QPaintEvent*) {
    Refresh();
    QPainter painter(this);
    QFont small = font();
    small.setPixelSize(kLabelPixels);
    painter.setFont(small);
    const int plotHeight = height() - painter.fontMetrics().height();
    painter.fillRect(rect(), palette().color(QPalette::Base));
    DrawAxis(painter, plotHeight);

    auto y = [plotHeight](double db) { return (plotHeight - 1) * db / -96.0; };
    QPainterPath path(QPointF(Column(curve.points.front().ms), y(curve.points.front().db)));
    for (const EnvelopePoint& point : curve.points) {
        path.lineTo(Column(point.ms), y(point.db));
    }
    if (curve.endless) {
        path.lineTo(width() - 1, y(curve.points.back().db));
    }
    QPainterPath area = path;
    area.lineTo(path.currentPosition().x(), plotHeight);
    area.lineTo(0, plotHeight);
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlpha(64);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(area, fill);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    painter.drawPath(path);

    if (curve.releaseMs != kNever && curve.releaseMs != curve.sustainMs) {
        // The key-off.
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        const double x = Column(curve.releaseMs);
        painter.drawLine(QPointF(x, 0), QPointF(x, plotHeight));
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(0, 0, width() - 2, plotHeight), Qt::AlignRight | Qt::AlignTop,
                     NoteName(note));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void EnvelopePicture::wheelEvent(QWheelEvent* event) {
    wheelRest += event->angleDelta().y();
    const int steps = wheelRest / kWheelStep;
    wheelRest -= steps * kWheelStep;
    if (steps != 0) {
        SetNote(note + steps);
    }
    event->accept();
}

void EnvelopePicture::keyPressEvent(QKeyEvent* event) {
    const int keys[][2] = {{Qt::Key_Up, 1},
                           {Qt::Key_Down, -1},
                           {Qt::Key_PageUp, kOctave},
                           {Qt::Key_PageDown, -kOctave}};
    for (const auto& [key, steps] : keys) {
        if (event->key() == key) {
            SetNote(note + steps);
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

} // namespace vorpline

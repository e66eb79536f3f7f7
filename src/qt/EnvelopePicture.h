#pragma once
#include <QWidget>

#include "ui/EnvelopeCurve.h"

class QPainter;

namespace vorpline {

class TFrameOp;

// An operator's envelope as its frame's sliders and ticks shape it: the level from 0 dB at the
// top to -96 dB at the bottom against the time since the key-on, on an axis that is linear for
// the first millisecond and logarithmic beyond, and ends at the first decade (10 ms, 100 ms,
// 1 s, ...) that holds the whole envelope, so a click of an attack and a decay of forty seconds
// both show their shape. Redrawn whenever the attack, decay, sustain, release, hold or rate
// scaling changes.
//
// The key scaling depends on the note played: the picture shows the envelope of one note,
// named in its corner, 60 (middle C) at first; the mouse wheel over the picture moves it by a
// semitone, Page Up/Down by an octave. Main thread only; the frame must outlive the picture.
class EnvelopePicture : public QWidget {
public:
    static constexpr int kWidth = 128;
    static constexpr int kHeight = 48;
    static constexpr int kDefaultNote = 60;

    explicit EnvelopePicture(TFrameOp& frame, QWidget* parent = nullptr);

    int Note() const { return note; }
    // Clamped to 0..127.
    void SetNote(int value);
    const EnvelopeCurve& Curve();
    // The axis' end in ms: a power of ten, at least 10 ms.
    double AxisMs();
    // The column of `ms` inside the plot, 0 at the key-on.
    double Column(double ms);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Refresh();
    void DrawAxis(QPainter& painter, int plotHeight);

    TFrameOp& frame;
    int note = kDefaultNote;
    EnvelopeCurve curve;
    double axisMs = 10;
    bool stale = true;
    int wheelRest = 0;
};

} // namespace vorpline

#pragma once
#include <filesystem>

#include <QGroupBox>

class QMenu;

namespace vorpline {

class EnvelopePicture;
class TFrameOp;

// One operator frame: waveform with its picture menu, tuning, level scaling, velocity target
// and offset, the flags, and the volume and A D S R sliders standing side by side over a
// picture of the envelope they make. Right-click anywhere on the frame opens its Cut / Copy /
// Paste / Clear All menu.
// Main thread only; the frame must outlive the view.
class OperatorFrameView : public QGroupBox {
public:
    // `assetFolder` holds wave0.png .. wave7.png for the waveform menu.
    OperatorFrameView(TFrameOp& frame, const std::filesystem::path& assetFolder,
                      QWidget* parent = nullptr);

    QMenu* ContextMenu() const { return contextMenu; }
    QMenu* WaveMenu() const { return waveMenu; }
    EnvelopePicture* Envelope() const { return envelopePicture; }

private:
    QWidget* MakeFields(TFrameOp& frame, const std::filesystem::path& assetFolder);
    QWidget* MakeEnvelope(TFrameOp& frame);
    QWidget* MakeFlags(TFrameOp& frame);
    void MakeContextMenu(TFrameOp& frame);

    QMenu* contextMenu = nullptr;
    QMenu* waveMenu = nullptr;
    EnvelopePicture* envelopePicture = nullptr;
};

} // namespace vorpline

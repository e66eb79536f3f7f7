#pragma once
#include <array>
#include <functional>
#include <optional>

#include "engine/PatchRecord.h"
#include "ui/TFrameOp.h"

namespace vorpline {

class OPL3;

// The six operator frames' shared behaviour: one handler per kind of control serving all six
// frames (the operator comes from the control's tag), the conversion between a frame and an
// OperatorRecord, and the operator clipboard behind each frame's context menu.
// Handlers change nothing in the sound while no engine is attached.
// Main thread only.
class OperatorEditor {
public:
    using Frames = std::array<TFrameOp*, 6>;

    // Wires the handlers into every control of the frames.
    explicit OperatorEditor(const Frames& frames);
    OperatorEditor(const OperatorEditor&) = delete;
    OperatorEditor& operator=(const OperatorEditor&) = delete;

    void AttachEngine(OPL3* engine) { chip = engine; }

    // Fills `record` from frame `op` (every byte not mapped stays 0).
    void GetOperator(int op, OperatorRecord& record) const;
    // Shows `record` in frame `op` and sends every value to the engine.
    void PutOperator(int op, const OperatorRecord& record);
    // Frame `op` to its cleared state, every value sent to the engine.
    void ClearOperator(int op);
    // Sends everything frame `op` shows to the engine.
    void PushOperator(int op);

    bool HasClipboard() const { return clipboard.has_value(); }

    // Opens the tuning list editor for an operator (a separate window); called before the
    // frame falls back to "0 cents".
    std::function<void(int op)> editTuningList;

    // The shared handlers, one per kind of frame control.
    void ComboBoxWSChange(int op);
    void PopupMenuWaveClick(int op, int waveform);
    void CheckBoxTremoloClick(int op);
    void CheckBoxVibratoClick(int op);
    void CheckBoxHoldClick(int op);
    void CheckBoxRateScalingClick(int op);
    void ComboBoxFreqMultiplierChange(int op);
    void ComboBoxLevelScalingChange(int op);
    void TrackBarVolumeChange(int op);
    void TrackBarAttackChange(int op);
    void TrackBarDecayChange(int op);
    void TrackBarSustainChange(int op);
    void TrackBarReleaseChange(int op);
    void CheckBoxDamperClick(int op);
    void TrackBarOffsetChange(int op);
    void ComboBoxTargetChange(int op);
    void MenuItemCutClick(int op);
    void MenuItemCopyClick(int op);
    void MenuItemPasteClick(int op);
    void MenuItemClearAllClick(int op);

private:
    TFrameOp& Frame(int op) const { return *frames.at(static_cast<size_t>(op)); }
    void Wire(TFrameOp& frame);
    // Sets the frame's controls without their handlers; PushOperator follows.
    template <typename Set> void Quietly(Set&& set);
    bool Live() const { return chip != nullptr && !quiet; }

    Frames frames;
    OPL3* chip = nullptr;
    bool quiet = false;
    std::optional<OperatorRecord> clipboard;
};

} // namespace vorpline

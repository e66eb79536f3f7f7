#include "qt/SeqWindow.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

#include <utility>

#include "modulation/TFormSeq.h"
#include "qt/Binders.h"
#include "qt/PanelWidgets.h"
#include "qt/PresetPanelView.h"

namespace vorpline {

namespace {

constexpr int kSpacing = 4;
// Room for the listed values ("-24", "132") and a few more typed digits.
constexpr int kNumberChars = 5;
// The step panel holds "12", "W" or "P" without changing width.
constexpr int kPanelChars = 3;

QComboBox* MakeNumberBox(QWidget* parent, ComboBox& control) {
    QComboBox* box = MakeComboBox(parent, control);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(kNumberChars);
    return box;
}

// One step's row, named after its frame so a step's boxes are told apart from the others'.
QFrame* MakeStepRow(QWidget* parent, TFrameNote& step, int index) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("FrameNote%1").arg(index));
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    QLabel* panel = MakeLabel(frame, step.PanelNoteId);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFixedWidth(panel->fontMetrics().averageCharWidth() * kPanelChars + kSpacing * 2);
    row->addWidget(panel);
    const std::pair<Label*, QComboBox*> fields[] = {
        {&step.LabelIf, MakeComboBox(frame, step.ComboBoxIf)},
        {&step.LabelWait, MakeNumberBox(frame, step.ComboBoxWait)},
        {&step.LabelPlay, MakeNumberBox(frame, step.ComboBoxPlay)},
        {&step.LabelFor, MakeNumberBox(frame, step.ComboBoxFor)},
    };
    for (const auto& [caption, box] : fields) {
        QLabel* label = MakeLabel(frame, *caption);
        label->setBuddy(box);
        row->addWidget(label);
        row->addWidget(box);
    }
    row->addWidget(MakeCheckBox(frame, step.CheckBoxEnable));
    return frame;
}

} // namespace

SeqWindow::SeqWindow(TFormSeq& form, QWidget* parent) : ToolWindowView(form, parent) {
    QBoxLayout* layout = MakeLayout(QBoxLayout::TopToBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(MakeTopBar(form));
    for (int i = 0; i < TFormSeq::kStepCount; ++i) {
        layout->addWidget(MakeStepRow(this, form.FrameNote[static_cast<size_t>(i)], i));
    }
    Bind();
}

QWidget* SeqWindow::MakeTopBar(TFormSeq& form) {
    return MakePresetBarWithEnable(this, QStringLiteral("PanelSEQ"),
                                   {form, form.ComboBoxPreset, form.LabelPreset, form.ButtonSave,
                                    form.ButtonReset, form.ButtonDefault, form.ButtonDelete},
                                   form.CheckBoxEnable);
}

} // namespace vorpline

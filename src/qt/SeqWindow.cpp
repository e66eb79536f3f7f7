#include "qt/SeqWindow.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

#include <utility>

#include "modulation/TFormSeq.h"
#include "qt/Binders.h"
#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

constexpr int kSpacing = 4;
// Preset names can be long; the box shows this many characters and elides the rest.
constexpr int kNameChars = 16;
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
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PanelSEQ"));
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    QLabel* presetCaption = MakeLabel(panel, form.LabelPreset);
    QComboBox* preset = MakeComboBox(panel, form.ComboBoxPreset);
    preset->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    preset->setMinimumContentsLength(kNameChars);
    presetCaption->setBuddy(preset);
    row->addWidget(presetCaption);
    row->addWidget(preset);
    for (Button* button :
         {&form.ButtonSave, &form.ButtonDelete, &form.ButtonReset, &form.ButtonDefault}) {
        row->addWidget(MakeCompactButton(panel, *button));
    }
    row->addStretch();
    row->addWidget(MakeCheckBox(panel, form.CheckBoxEnable));
    return panel;
}

} // namespace vorpline

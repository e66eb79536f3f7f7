#include "qt/DspWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include "dsp/TFormDSP.h"
#include "qt/Binders.h"
#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

constexpr int kSpacing = 4;
// Wide enough to set a level by eye on 128 positions.
constexpr int kSliderWidth = 200;

QSlider* LevelSlider(QWidget* parent, TrackBar& control) {
    QSlider* slider = MakeSlider(parent, control, Qt::Horizontal);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setFixedWidth(kSliderWidth);
    return slider;
}

void AddSliderRow(QGridLayout* grid, int row, QWidget* parent, Label& caption, TrackBar& control) {
    AddField(grid, row, 0, MakeLabel(parent, caption), LevelSlider(parent, control));
    grid->addWidget(MakeValueReadout(parent, control), row, 2);
}

} // namespace

DspWindow::DspWindow(TFormDSP& form, QWidget* parent) : ToolWindowView(form, parent) {
    QBoxLayout* layout = MakeLayout(QBoxLayout::TopToBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(MakeTopPanel(form));
    layout->addWidget(MakeAmpGroup(form));
    layout->addWidget(MakeDistortionGroup(form));
    layout->addWidget(MakeFilterGroup(form));
    Bind();
}

QWidget* DspWindow::MakeTopPanel(TFormDSP& form) {
    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    QLabel* caption = MakeLabel(panel, form.LabelPatch);
    QWidget* patch = MakeComboBox(panel, form.ComboBoxPatch);
    caption->setBuddy(patch);
    row->addWidget(caption);
    row->addWidget(patch);
    row->addStretch();
    row->addWidget(MakeCompactButton(panel, form.ButtonDefault));
    row->addWidget(MakeCheckBox(panel, form.CheckBoxEnable));
    return panel;
}

QWidget* DspWindow::MakeAmpGroup(TFormDSP& form) {
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, tr("Amp"), grid);
    AddSliderRow(grid, 0, group, form.LabelPre, form.TrackBarPre);
    AddSliderRow(grid, 1, group, form.LabelGain, form.TrackBarGain);
    return group;
}

QWidget* DspWindow::MakeDistortionGroup(TFormDSP& form) {
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, tr("Distortion"), grid);
    AddSliderRow(grid, 0, group, form.LabelCrush, form.TrackBarCrush);
    AddField(grid, 1, 0, MakeLabel(group, form.LabelNoise),
             MakeComboBox(group, form.ComboBoxNoise));
    return group;
}

QWidget* DspWindow::MakeFilterGroup(TFormDSP& form) {
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, tr("Filter"), grid);
    AddField(grid, 0, 0, MakeLabel(group, form.LabelFilter),
             MakeComboBox(group, form.ComboBoxFilter));
    AddSliderRow(grid, 1, group, form.LabelFreqency, form.TrackBarFrequency);
    AddSliderRow(grid, 2, group, form.LabelResonance, form.TrackBarResonance);
    return group;
}

} // namespace vorpline

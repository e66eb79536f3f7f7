#include "qt/ParamDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "presets/TFormParam.h"
#include "qt/Binders.h"
#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

constexpr int kSpacing = 4;
// 24 tick marks of the cents sliders need room to be told apart.
constexpr int kSliderWidth = 240;

void AddSliderRow(QGridLayout* grid, int row, QWidget* parent, Label& caption, TrackBar& bar,
                  QLabel* readout) {
    QSlider* slider = MakeSlider(parent, bar, Qt::Horizontal);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setFixedWidth(kSliderWidth);
    AddField(grid, row, 0, MakeLabel(parent, caption), slider);
    grid->addWidget(readout, row, 2);
}

// The cents sliders show their value: a range cannot be read off 4800 positions.
void AddCentsRow(QGridLayout* grid, int row, QWidget* parent, Label& caption, TrackBar& bar) {
    AddSliderRow(grid, row, parent, caption, bar, MakeValueReadout(parent, bar));
}

} // namespace

ParamDialog::ParamDialog(TFormParam& form, QWidget* parent)
    : FormDialog(form, parent, QBoxLayout::TopToBottom) {
    QBoxLayout* layout = Layout();
    layout->setSpacing(kSpacing);

    auto* ranges = new QGridLayout;
    AddCentsRow(ranges, 0, this, form.LabelDepth1234, form.TrackBarDepth1234);
    AddCentsRow(ranges, 1, this, form.LabelDepth56, form.TrackBarDepth56);
    AddCentsRow(ranges, 2, this, form.LabelPitch1234, form.TrackBarPitch1234);
    AddCentsRow(ranges, 3, this, form.LabelPitch56, form.TrackBarPitch56);
    layout->addLayout(ranges);

    QGridLayout* grid = nullptr;
    QGroupBox* portamento = MakeGroup(this, tr("Portamento"), grid);
    AddSliderRow(grid, 0, portamento, form.LabelPortamento1234, form.TrackBarPortamento1234,
                 MakeLabel(portamento, form.LabelMs1234));
    AddSliderRow(grid, 1, portamento, form.LabelPortamento56, form.TrackBarPortamento56,
                 MakeLabel(portamento, form.LabelMs56));
    layout->addWidget(portamento);

    QGroupBox* legato = MakeGroup(this, tr("Legato"), grid);
    AddField(grid, 0, 0, MakeLabel(legato, form.LabelAffect1234),
             MakeCheckBox(legato, form.CheckBox1234Release));
    grid->addWidget(MakeCheckBox(legato, form.CheckBox1234Attack), 0, 2);
    AddField(grid, 1, 0, MakeLabel(legato, form.LabelAffect56),
             MakeCheckBox(legato, form.CheckBox56Release));
    grid->addWidget(MakeCheckBox(legato, form.CheckBox56Attack), 1, 2);
    layout->addWidget(legato);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(MakeButton(this, form.ButtonReset));
    buttons->addWidget(MakeButton(this, form.ButtonDefault));
    buttons->addStretch();
    buttons->addWidget(MakeDefaultButton(form.ButtonOk));
    buttons->addWidget(MakeButton(this, form.ButtonCancel));
    layout->addLayout(buttons);
    Bind([&form] { form.ButtonCancelClick(); });
}

} // namespace vorpline

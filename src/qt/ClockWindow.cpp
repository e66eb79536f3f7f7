#include "qt/ClockWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "modulation/TFormRT.h"
#include "qt/Binders.h"
#include "qt/Guarded.h"
#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

constexpr int kSpacing = 4;
// Delay and resolution are a few digits; the tempo up to 999.
constexpr int kNumberChars = 5;

// Tapping follows the press: a click would wait for the release and put every tap late by
// however long the finger rests on the button.
QToolButton* MakeTapButton(QWidget* parent, Button& control) {
    auto* button = new QToolButton(parent);
    button->setObjectName(ToQString(control.Name()));
    button->setText(ToQString(control.Caption()));
    button->setToolTip(ToQString(control.Hint()));
    button->setFocusPolicy(Qt::NoFocus);
    ObserveWhileAlive(button, control,
                      [button, &control] { button->setEnabled(control.Enabled()); });
    QObject::connect(button, &QAbstractButton::pressed, button,
                     [&control] { Guarded([&] { control.Click(); }); });
    return button;
}

QComboBox* MakeNumberBox(QWidget* parent, ComboBox& control) {
    QComboBox* box = MakeComboBox(parent, control);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(kNumberChars);
    return box;
}

} // namespace

ClockWindow::ClockWindow(TFormRT& form, QWidget* parent) : ToolWindowView(form, parent) {
    QBoxLayout* layout = MakeLayout(QBoxLayout::TopToBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* top = new QHBoxLayout;
    top->setSpacing(kSpacing);
    QGroupBox* source = MakeRadioGroup(this, form.RadioGroupSRC);
    // The measured tempo of an outside clock stands under the source it belongs to.
    QLabel* sync = MakeLabel(source, form.LabelSync);
    sync->setAlignment(Qt::AlignCenter);
    // Room for any tempo, so the window does not change size when one appears.
    sync->setMinimumWidth(sync->fontMetrics().horizontalAdvance(QStringLiteral("000.0 BPM")));
    if (auto* grid = qobject_cast<QGridLayout*>(source->layout())) {
        grid->addWidget(sync, grid->rowCount(), 0);
    }
    top->addWidget(source);
    top->addWidget(MakeTimerGroup(form));
    layout->addLayout(top);
    layout->addWidget(MakeTransport(form));
    Bind();
}

QWidget* ClockWindow::MakeTimerGroup(TFormRT& form) {
    QGroupBox* group = MakeGroupBox(this, form.GroupBoxINT);
    auto* grid = new QGridLayout(group);
    grid->setSpacing(kSpacing);
    AddField(grid, 0, 0, MakeLabel(group, form.LabelDEL), MakeNumberBox(group, form.ComboBoxDEL));
    AddField(grid, 1, 0, MakeLabel(group, form.LabelRES), MakeNumberBox(group, form.ComboBoxRES));
    QLineEdit* bpm = MakeEdit(group, form.EditBPM);
    bpm->setMaximumWidth(bpm->fontMetrics().averageCharWidth() * (kNumberChars + 4));
    AddField(grid, 2, 0, MakeLabel(group, form.LabelBPM), bpm);
    grid->addWidget(MakeTapButton(group, form.SpeedButtonBPM), 2, 2);
    return group;
}

QWidget* ClockWindow::MakeTransport(TFormRT& form) {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel"));
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    for (Button* button : {&form.ButtonStop, &form.ButtonStart, &form.ButtonCont}) {
        row->addWidget(MakeButton(panel, *button));
    }
    return panel;
}

} // namespace vorpline

#include "qt/PresetPanelView.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

// Preset names can be long; the box shows this many characters and elides the rest.
constexpr int kNameChars = 16;
constexpr int kSpacing = 4;

} // namespace

QWidget* MakePresetPanel(QWidget* parent, const PresetWindow::Controls& c) {
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(parent, QObject::tr("Preset"), grid);
    group->setObjectName(QStringLiteral("PanelPreset"));
    QComboBox* name = MakeComboBox(group, c.ComboBoxPreset);
    name->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    name->setMinimumContentsLength(kNameChars);
    AddField(grid, 0, 0, MakeLabel(group, c.LabelPreset), name);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (Button* button : {&c.ButtonSave, &c.ButtonReset, &c.ButtonDefault, &c.ButtonDelete}) {
        buttons->addWidget(MakeCompactButton(group, *button));
    }
    grid->addLayout(buttons, 1, 0, 1, 2);
    return group;
}

QWidget* MakePresetBar(QWidget* parent, const QString& objectName,
                       const PresetWindow::Controls& c) {
    auto* bar = new QWidget(parent);
    bar->setObjectName(objectName);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    QLabel* caption = MakeLabel(bar, c.LabelPreset);
    QComboBox* name = MakeComboBox(bar, c.ComboBoxPreset);
    name->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    name->setMinimumContentsLength(kNameChars);
    caption->setBuddy(name);
    row->addWidget(caption);
    row->addWidget(name);
    for (Button* button : {&c.ButtonSave, &c.ButtonDelete, &c.ButtonReset, &c.ButtonDefault}) {
        row->addWidget(MakeCompactButton(bar, *button));
    }
    return bar;
}

QWidget* MakePresetBarWithEnable(QWidget* parent, const QString& objectName,
                                 const PresetWindow::Controls& controls, CheckBox& enable) {
    QWidget* bar = MakePresetBar(parent, objectName, controls);
    auto* row = static_cast<QHBoxLayout*>(bar->layout());
    row->addStretch();
    row->addWidget(MakeCheckBox(bar, enable));
    return bar;
}

} // namespace vorpline

#include "qt/TuningEditDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "presets/TFormTuningEdit.h"
#include "qt/Binders.h"
#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

constexpr int kSpacing = 4;

} // namespace

TuningEditDialog::TuningEditDialog(TFormTuningEdit& form, QWidget* parent)
    : FormDialog(form, parent, QBoxLayout::LeftToRight) {
    QBoxLayout* layout = Layout();
    layout->setSpacing(kSpacing * 2);

    // The multipliers top to bottom, lowest first, as OK lists them.
    auto* boxes = new QVBoxLayout;
    boxes->setSpacing(0);
    for (CheckBox& box : form.CheckBoxes) {
        boxes->addWidget(MakeCheckBox(this, box));
    }
    layout->addLayout(boxes);

    auto* side = new QVBoxLayout;
    side->setSpacing(kSpacing);
    side->addWidget(MakeRadioGroup(this, form.RadioGroupOrder));
    side->addWidget(MakeButton(this, form.ButtonReset));
    side->addWidget(MakeButton(this, form.ButtonDefault));
    side->addWidget(MakeButton(this, form.ButtonClear));
    side->addStretch();
    side->addWidget(MakeDefaultButton(form.ButtonOkay));
    side->addWidget(MakeButton(this, form.ButtonCancel));
    layout->addLayout(side);
    Bind([&form] { form.ButtonCancelClick(); });
}

} // namespace vorpline

#include "qt/CalcDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

#include "modulation/TFormCalc.h"
#include "qt/Binders.h"
#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

// A number field: Enter converts, so it must not also press the dialog's default button.
QLineEdit* NumberField(QWidget* parent, Edit& control) {
    QLineEdit* field = MakeEdit(parent, control);
    field->setAlignment(Qt::AlignRight);
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("000000000")));
    return field;
}

QGroupBox* Group(QWidget* parent, Label& title, const std::vector<QWidget*>& widgets) {
    QGroupBox* group = MakeGroupBox(parent, title);
    auto* row = new QHBoxLayout(group);
    for (QWidget* widget : widgets) {
        widget->setParent(group);
        row->addWidget(widget);
    }
    row->addStretch();
    return group;
}

} // namespace

CalcDialog::CalcDialog(TFormCalc& form, QWidget* parent)
    : FormDialog(form, parent, QBoxLayout::TopToBottom) {
    QBoxLayout* layout = Layout();
    layout->addWidget(Group(this, form.GroupBoxBars,
                            {NumberField(this, form.EditBars), MakeLabel(this, form.LabelMinus),
                             NumberField(this, form.EditMinus), MakeLabel(this, form.LabelBPB),
                             MakeComboBox(this, form.ComboBoxBPB)}));
    layout->addWidget(Group(this, form.GroupBoxBeats, {NumberField(this, form.EditBeats)}));
    layout->addWidget(Group(this, form.GroupBoxTicks, {NumberField(this, form.EditTicks)}));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(this);
    BindButton(ok, form.ButtonOk);
    ok->setAutoDefault(false);
    ok->setVisible(form.OkShown());
    buttons->addWidget(ok);
    auto* cancel = new QPushButton(this);
    BindButton(cancel, form.ButtonCancel);
    cancel->setAutoDefault(false);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    Bind([&form] { form.ButtonCancelClick(); });
}

} // namespace vorpline

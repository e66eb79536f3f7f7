#include "qt/InfoDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "modulation/TFormCalc.h"
#include "presets/TFormParam.h"
#include "presets/TFormPerf.h"
#include "presets/TFormTuningEdit.h"
#include "qt/Binders.h"
#include "qt/CalcDialog.h"
#include "qt/ParamDialog.h"
#include "qt/PerfDialog.h"
#include "qt/TuningEditDialog.h"
#include "ui/TFormInfo.h"

namespace vorpline {

namespace {

// Long messages wrap instead of stretching the window across the screen.
constexpr int kMessageWidth = 320;

} // namespace

InfoDialog::InfoDialog(TFormInfo& form, QWidget* parent)
    : FormDialog(form, parent, QBoxLayout::TopToBottom) {
    QBoxLayout* layout = Layout();
    auto* message = new QLabel(this);
    BindLabel(message, form.LabelInfo);
    message->setWordWrap(true);
    message->setMinimumWidth(kMessageWidth);
    layout->addWidget(message);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(MakeDefaultButton(form.ButtonOk));
    buttons->addStretch();
    layout->addLayout(buttons);
    Bind([&form] { form.ButtonOk.Click(); });
}

namespace {

// Shows the form's dialog modally; it ends when the form hides (its OK or Cancel).
template <class Dialog, class FormT> void Run(FormT& form, QWidget* parent) {
    Dialog dialog(form, parent);
    form.Show();
    dialog.exec();
}

} // namespace

void QtUiService::ShowModal(TFormInfo& info) {
    Run<InfoDialog>(info, parent);
}

void QtUiService::ShowParam(TFormParam& form) {
    Run<ParamDialog>(form, parent);
}

void QtUiService::ShowTuningEdit(TFormTuningEdit& form) {
    Run<TuningEditDialog>(form, parent);
}

void QtUiService::ShowCalc(TFormCalc& form) {
    Run<CalcDialog>(form, parent);
}

void QtUiService::ShowPerf(TFormPerf& form) {
    Run<PerfDialog>(form, parent);
}

} // namespace vorpline

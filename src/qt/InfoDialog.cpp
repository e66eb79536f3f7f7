#include "qt/InfoDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "presets/TFormParam.h"
#include "presets/TFormTuningEdit.h"
#include "qt/Binders.h"
#include "qt/ParamDialog.h"
#include "qt/TuningEditDialog.h"
#include "ui/TFormInfo.h"

namespace vorpline {

namespace {

// Long messages wrap instead of stretching the window across the screen.
constexpr int kMessageWidth = 320;

} // namespace

InfoDialog::InfoDialog(TFormInfo& form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(ToQString(form.Name()));
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* message = new QLabel(this);
    BindLabel(message, form.LabelInfo);
    message->setWordWrap(true);
    message->setMinimumWidth(kMessageWidth);
    layout->addWidget(message);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(this);
    BindButton(ok, form.ButtonOk);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addStretch();
    layout->addLayout(buttons);
    BindDialog(this, form, [&form] { form.ButtonOk.Click(); });
    ok->setFocus();
}

void QtUiService::ShowModal(TFormInfo& info) {
    InfoDialog dialog(info, parent);
    info.Show();
    dialog.exec();
}

void QtUiService::ShowParam(TFormParam& form) {
    ParamDialog dialog(form, parent);
    form.Show();
    dialog.exec();
}

void QtUiService::ShowTuningEdit(TFormTuningEdit& form) {
    TuningEditDialog dialog(form, parent);
    form.Show();
    dialog.exec();
}

} // namespace vorpline

#include "qt/PortDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "qt/Binders.h"
#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

// Wide enough for "03A8" and a hand-typed base, not the width of the whole dialog.
constexpr int kAddressChars = 6;
// Five digits and the frame around them.
constexpr int kDelayWidthChars = 8;
constexpr int kFeatureRows = 4;

QGroupBox* MakeSynthesizerGroup(QWidget* parent, TFormPort& form) {
    QGroupBox* group = MakeGroupBox(parent, form.GroupBoxSynthesizer);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(MakeRadioGroup(group, form.RadioGroupType));
    return group;
}

QGroupBox* MakeAddressGroup(QWidget* parent, TFormPort& form) {
    QGroupBox* group = MakeGroupBox(parent, form.GroupBoxPortAddress);
    auto* layout = new QVBoxLayout(group);
    for (int type = 0; type < kIoTypeWave; ++type) {
        QComboBox* box = MakeComboBox(group, form.AddressBox(type));
        box->setMinimumContentsLength(kAddressChars);
        layout->addWidget(box);
    }
    layout->addStretch();
    return group;
}

QGroupBox* MakeDelayGroup(QWidget* parent, TFormPort& form) {
    QGroupBox* group = MakeGroupBox(parent, form.GroupBoxPortDelay);
    auto* layout = new QHBoxLayout(group);
    const std::pair<Label*, Edit*> fields[] = {{&form.LabelPre, &form.EditPre},
                                               {&form.LabelPost, &form.EditPost},
                                               {&form.LabelKey, &form.EditKey}};
    for (const auto& [label, edit] : fields) {
        QLineEdit* line = MakeEdit(group, *edit);
        line->setFixedWidth(line->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                            kDelayWidthChars);
        QLabel* caption = MakeLabel(group, *label);
        caption->setBuddy(line);
        layout->addWidget(caption);
        layout->addWidget(line);
    }
    return group;
}

QGroupBox* MakeWaveGroup(QWidget* parent, TFormPort& form) {
    QGroupBox* group = MakeGroupBox(parent, form.GroupBoxWave);
    auto* layout = new QFormLayout(group);
    layout->addRow(MakeComboBox(group, form.ComboBoxWavePort));
    const std::pair<Label*, ComboBox*> fields[] = {{&form.LabelSRate, &form.ComboBoxSRate},
                                                   {&form.LabelBSize, &form.ComboBoxBSize},
                                                   {&form.LabelRSize, &form.ComboBoxRSize},
                                                   {&form.LabelEmulator, &form.ComboBoxEmulator}};
    for (const auto& [label, box] : fields) {
        layout->addRow(MakeLabel(group, *label), MakeComboBox(group, *box));
    }
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(MakeEdit(group, form.EditSoundFile));
    auto* browse = new QToolButton(group);
    // The button has no caption of its own; the ellipsis is the usual "choose a file" mark.
    browse->setText(QStringLiteral("..."));
    BindButton(browse, form.SpeedButtonSoundFile);
    fileRow->addWidget(browse);
    layout->addRow(fileRow);
    return group;
}

QGroupBox* MakeFeatureGroup(QWidget* parent, TFormPort& form) {
    QGroupBox* group = MakeGroupBox(parent, form.GroupBoxFeatures);
    auto* layout = new QHBoxLayout(group);
    auto* checks = new QGridLayout;
    CheckBox* boxes[] = {&form.CheckBoxBend, &form.CheckBoxCc,  &form.CheckBoxDrum,
                         &form.CheckBoxDSP,  &form.CheckBoxKbd, &form.CheckBoxLFO,
                         &form.CheckBoxSEQ};
    int index = 0;
    for (CheckBox* control : boxes) {
        auto* box = new QCheckBox(group);
        BindCheckBox(box, *control);
        checks->addWidget(box, index % kFeatureRows, index / kFeatureRows);
        ++index;
    }
    layout->addLayout(checks);
    layout->addWidget(MakeRadioGroup(group, form.RadioGroupWaveCallback));
    layout->addWidget(MakeRadioGroup(group, form.RadioGroupMidiCallback));
    return group;
}

} // namespace

PortDialog::PortDialog(TFormPort& form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), form(form) {
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* top = new QHBoxLayout;
    top->addWidget(MakeSynthesizerGroup(this, form));
    top->addWidget(MakeAddressGroup(this, form));
    auto* right = new QVBoxLayout;
    right->addWidget(MakeDelayGroup(this, form));
    right->addWidget(MakeWaveGroup(this, form));
    right->addStretch();
    top->addLayout(right);
    layout->addLayout(top);
    layout->addWidget(MakeFeatureGroup(this, form));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* cancel = new QPushButton(this);
    BindButton(cancel, form.ButtonCancel);
    cancel->setAutoDefault(false);
    buttons->addWidget(cancel);
    auto* ok = new QPushButton(this);
    BindButton(ok, form.ButtonOk);
    ok->setDefault(true);
    buttons->addWidget(ok);
    layout->addLayout(buttons);

    BindDialog(this, form, [&form] { form.ButtonCancelClick(); });
    form.saveFileDialog = [this](const SaveFileRequest& request) {
        return ChooseSaveFile(request, this);
    };
    ok->setFocus();
}

PortDialog::~PortDialog() {
    form.saveFileDialog = nullptr;
}

void ExecPortDialog(TFormPort& form, QWidget* parent) {
    PortDialog dialog(form, parent);
    dialog.exec();
}

std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request, QWidget* parent) {
    QFileDialog dialog(parent, ToQString(request.title), ToQString(request.folder.string()),
                       ToQtFileFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(ToQString(request.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.proposedName.empty()) {
        dialog.selectFile(ToQString(request.proposedName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ToStdString(dialog.selectedFiles().constFirst());
}

} // namespace vorpline

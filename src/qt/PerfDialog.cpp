#include "qt/PerfDialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "presets/TFormPerf.h"
#include "qt/Binders.h"
#include "qt/PanelWidgets.h"
#include "qt/PortDialog.h"

namespace vorpline {

namespace {

// Room for a few dozen titles without the dialog growing past the screen.
constexpr int kListWidth = 180;
constexpr int kListHeight = 260;
constexpr int kBoxWidth = 200;

QWidget* Box(QWidget* parent, ComboBox& control) {
    QWidget* box = MakeComboBox(parent, control);
    box->setMinimumWidth(kBoxWidth);
    return box;
}

} // namespace

PerfDialog::PerfDialog(TFormPerf& form, QWidget* parent)
    : FormDialog(form, parent, QBoxLayout::TopToBottom), form(form) {
    QBoxLayout* layout = Layout();

    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* list = new QListWidget(this);
    BindListBox(list, form.ListBoxPerformance);
    list->setFixedSize(kListWidth, kListHeight);
    left->addWidget(list);
    left->addWidget(MakeLabel(this, form.LabelTitle));
    QLineEdit* title = MakeEdit(this, form.EditTitle);
    left->addWidget(title);
    top->addLayout(left);

    auto* grid = new QGridLayout;
    int row = 0;
    AddField(grid, row++, 0, MakeLabel(this, form.LabelPreset), Box(this, form.ComboBoxPreset));
    AddField(grid, row++, 0, MakeLabel(this, form.LabelBank), Box(this, form.ComboBoxBank));
    AddField(grid, row++, 0, MakeLabel(this, form.LabelClock), Box(this, form.ComboBoxClock));
    AddField(grid, row++, 0, MakeLabel(this, form.LabelBPM), MakeEdit(this, form.EditBPM));
    AddField(grid, row++, 0, MakeLabel(this, form.LabelCc), Box(this, form.ComboBoxCc));
    AddField(grid, row, 0, MakeLabel(this, form.LabelLfo), Box(this, form.ComboBoxLfo));
    grid->addWidget(MakeCheckBox(this, form.CheckBoxLfo), row++, 2);
    AddField(grid, row, 0, MakeLabel(this, form.LabelSeq), Box(this, form.ComboBoxSeq));
    grid->addWidget(MakeCheckBox(this, form.CheckBoxSeq), row++, 2);
    AddField(grid, row, 0, MakeLabel(this, form.LabelBend), Box(this, form.ComboBoxBend));
    grid->addWidget(MakeCheckBox(this, form.CheckBoxBend), row++, 2);
    AddField(grid, row++, 0, MakeLabel(this, form.LabelDrum), Box(this, form.ComboBoxDrum));
    grid->setRowStretch(row, 1);
    top->addLayout(grid);
    layout->addLayout(top);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(MakeButton(this, form.SpeedButtonExport));
    buttons->addWidget(MakeButton(this, form.SpeedButtonImport));
    buttons->addStretch();
    for (Button* button : {&form.ButtonLoad, &form.ButtonSave, &form.ButtonReset,
                           &form.ButtonDelete, &form.ButtonClose}) {
        buttons->addWidget(MakeButton(this, *button));
    }
    layout->addLayout(buttons);
    Bind([&form] { form.ButtonCloseClick(); });

    form.saveFileDialog = [this](const FileRequest& request) {
        return ChooseSaveFile(request, this);
    };
    form.openFileDialog = [this](const FileRequest& request) {
        return ChooseOpenFile(request, this);
    };
    title->setFocus();
}

PerfDialog::~PerfDialog() {
    form.saveFileDialog = nullptr;
    form.openFileDialog = nullptr;
}

std::optional<std::string> ChooseOpenFile(const FileRequest& request, QWidget* parent) {
    QFileDialog dialog(parent, ToQString(request.title), ToQString(request.folder.string()),
                       ToQtFileFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ToStdString(dialog.selectedFiles().constFirst());
}

} // namespace vorpline

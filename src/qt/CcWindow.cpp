#include "qt/CcWindow.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "presets/TFormCc.h"
#include "qt/Binders.h"
#include "qt/PanelWidgets.h"
#include "qt/PresetPanelView.h"
#include "qt/TableBinders.h"

namespace vorpline {

namespace {

constexpr int kSpacing = 4;
// All 35 functions visible at once on a common screen, names unclipped.
constexpr int kGridWidth = 250;
constexpr int kGridHeight = 560;
constexpr int kListWidth = 170;
constexpr unsigned kNumberColumn = 1u << 0;
constexpr unsigned kValueColumn = 1u << 1;

} // namespace

CcWindow::CcWindow(TFormCc& form, QWidget* parent) : ToolWindowView(form, parent) {
    QBoxLayout* layout = MakeLayout(QBoxLayout::LeftToRight);
    layout->addWidget(MakeGrid(form));
    auto* side = new QVBoxLayout;
    side->setSpacing(kSpacing);
    side->addWidget(
        MakePresetPanel(this, {form, form.ComboBoxPreset, form.LabelPreset, form.ButtonSave,
                               form.ButtonReset, form.ButtonDefault, form.ButtonDelete}));
    side->addWidget(MakeLog(form), 1);
    side->addWidget(MakeHelp(form));
    layout->addLayout(side);
    Bind();
}

QWidget* CcWindow::MakeGrid(TFormCc& form) {
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kSpacing);
    auto* grid = new QTableWidget(panel);
    BindValueListGrid(grid, form.ValueListEditor);
    grid->setHorizontalHeaderLabels({tr("Function"), tr("Number")});
    grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    grid->setMinimumSize(kGridWidth, kGridHeight);
    // PopupMenuLearn: the press that opened it has already made the row under the pointer
    // the current one.
    auto* menu = new QMenu(grid);
    menu->setObjectName(QStringLiteral("PopupMenuLearn"));
    for (MenuItem* item :
         {&form.StartLearning, &form.StopLearning, &form.Undefine, &form.UndefineAll}) {
        QAction* action = menu->addAction(QString());
        action->setObjectName(ToQString(item->Name()));
        BindAction(action, *item);
    }
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, menu,
            [grid, menu](const QPoint& at) { menu->popup(grid->viewport()->mapToGlobal(at)); });
    column->addWidget(grid, 1);
    column->addWidget(MakeLabel(panel, form.LabelStatus));
    return panel;
}

QWidget* CcWindow::MakeLog(TFormCc& form) {
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, tr("Log"), grid);
    grid->addWidget(MakeCheckBox(group, form.CheckBoxEnable), 0, 0);
    auto* log = new QTreeWidget(group);
    BindReportList(log, form.ListView, kNumberColumn | kValueColumn);
    log->setMinimumWidth(kListWidth);
    grid->addWidget(log, 1, 0);
    return group;
}

QWidget* CcWindow::MakeHelp(TFormCc& form) {
    QGroupBox* group = MakeGroupBox(this, form.LabelHelp);
    auto* layout = new QVBoxLayout(group);
    auto* help = new QTreeWidget(group);
    BindReportList(help, form.ListViewHelp, kNumberColumn);
    help->setMinimumWidth(kListWidth);
    layout->addWidget(help);
    return group;
}

} // namespace vorpline

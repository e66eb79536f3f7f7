#include "qt/MainWindowView.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

#include "qt/Binders.h"
#include "qt/Guarded.h"
#include "qt/OperatorFrameView.h"
#include "qt/PanelWidgets.h"
#include "ui/TFormMain.h"

namespace vorpline {

namespace {

constexpr int kMargin = 6;
constexpr int kSpacing = 4;
// Device and preset names can be long; the boxes show this many characters and elide the rest.
constexpr int kNameChars = 14;
constexpr int kLogoPointGrowth = 5;
constexpr int kModuleColumns = 4;
// The schematic pictures are drawn with operators 1-4 left of this column and 5/6 right of it.
constexpr int kSchematicDivider = 156;
constexpr int kSchematicWidth = 240;

QComboBox* NameBox(QWidget* parent, ComboBox& control) {
    QComboBox* box = MakeComboBox(parent, control);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(kNameChars);
    return box;
}

// An editable tuning box that shows the value in use once typing ends.
QComboBox* TuningBox(QWidget* parent, ComboBox& control) {
    QComboBox* box = MakeComboBox(parent, control);
    if (QLineEdit* line = box->lineEdit()) {
        QObject::connect(line, &QLineEdit::editingFinished, box,
                         [&control] { Guarded([&] { MainPanels::TuningEditDone(control); }); });
    }
    return box;
}

} // namespace

MainWindowView::MainWindowView(TFormMain& form, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      form(form) {
    setObjectName(ToQString(form.Name()));
    BindCaption(this, form);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kSpacing);
    // A single border: the panel has one size, the one its contents need.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* top = new QHBoxLayout;
    top->setSpacing(kSpacing);
    top->addWidget(MakeInputPanel());
    top->addWidget(MakePresetPanel());
    top->addWidget(MakeOutputPanel());
    top->addWidget(MakeModulesPanel());
    layout->addLayout(top);

    auto* parts = new QHBoxLayout;
    parts->setSpacing(kSpacing);
    parts->addWidget(MakePartPanel(form.Panel(0)), 1);
    parts->addWidget(MakeCenterPanel());
    parts->addWidget(MakePartPanel(form.Panel(1)), 1);
    layout->addLayout(parts);

    auto* operators = new QGridLayout;
    operators->setSpacing(kSpacing);
    for (int op = 0; op < static_cast<int>(frames.size()); ++op) {
        auto* view = new OperatorFrameView(*form.FrameOps[static_cast<size_t>(op)],
                                           form.AssetFolder(), this);
        frames[static_cast<size_t>(op)] = view;
        // Odd operators above even ones, two per column.
        operators->addWidget(view, op % 2, op / 2);
    }
    layout->addLayout(operators);
}

QWidget* MainWindowView::MakeInputPanel() {
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, tr("Input"), grid);
    group->setObjectName(QStringLiteral("PanelDev"));
    AddField(grid, 0, 0, MakeCaption(group, tr("Input")), NameBox(group, form.ComboBoxMidiIn));
    AddField(grid, 1, 0, MakeCaption(group, tr("Tuning (%)")),
             TuningBox(group, form.ComboBoxTranspose));
    return group;
}

QWidget* MainWindowView::MakePresetPanel() {
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, tr("Preset"), grid);
    group->setObjectName(QStringLiteral("PanelPreset"));
    QLabel* preset = MakeLabel(group, form.LabelPreset);
    // "Preset 123" must fit without the row shifting.
    preset->setMinimumWidth(preset->fontMetrics().horizontalAdvance(QStringLiteral("Preset 0000")));
    AddField(grid, 0, 0, preset, NameBox(group, form.ComboBoxPreset));
    AddField(grid, 0, 1, MakeCaption(group, tr("Bank")), MakeComboBox(group, form.ComboBoxBank));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (Button* button : {&form.ButtonSavePreset, &form.ButtonReset, &form.ButtonDefault,
                           &form.ButtonDelete, &form.ButtonPerf, &form.ButtonParam}) {
        buttons->addWidget(MakeCompactButton(group, *button));
    }
    grid->addLayout(buttons, 1, 0, 1, 4);
    // Below the others: their row has no room left on a small screen.
    grid->addWidget(MakeCompactButton(group, form.ButtonImportBank), 2, 0, 1, 2);
    return group;
}

QWidget* MainWindowView::MakeOutputPanel() {
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, tr("Output"), grid);
    group->setObjectName(QStringLiteral("PanelOutput"));
    QSlider* volume = MakeSlider(group, form.TrackBarVolume, Qt::Horizontal);
    AddField(grid, 0, 0, MakeLabel(group, form.LabelVolume), volume);
    grid->addWidget(MakeValueReadout(group, form.TrackBarVolume), 0, 2);
    grid->addWidget(MakeCheckBox(group, form.CheckBoxMute), 0, 3, 1, 2);

    auto* pan = new QHBoxLayout;
    pan->setSpacing(2);
    pan->addWidget(MakeCaption(group, tr("L")));
    QSlider* panSlider = MakeSlider(group, form.TrackBarPan, Qt::Horizontal);
    // The control's tick interval puts one tick at each end and the centre detent between.
    panSlider->setTickPosition(QSlider::TicksBelow);
    pan->addWidget(panSlider, 1);
    pan->addWidget(MakeCaption(group, tr("R")));
    QLabel* panLabel = MakeLabel(group, form.LabelPan);
    panLabel->setBuddy(panSlider);
    grid->addWidget(panLabel, 1, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addLayout(pan, 1, 1, 1, 2);
    QLabel* divLabel = MakeLabel(group, form.LabelDiv);
    QComboBox* div = MakeComboBox(group, form.ComboBoxDiv);
    divLabel->setBuddy(div);
    grid->addWidget(divLabel, 1, 3, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(div, 1, 4);
    return group;
}

QWidget* MainWindowView::MakeModulesPanel() {
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, tr("Modules"), grid);
    group->setObjectName(QStringLiteral("PanelModules"));
    auto* logo = new QLabel(QStringLiteral("Vorpline"), group);
    logo->setObjectName(QStringLiteral("ImageLogo"));
    QFont font = logo->font();
    font.setBold(true);
    font.setItalic(true);
    font.setPointSize(font.pointSize() + kLogoPointGrowth);
    logo->setFont(font);
    logo->setToolTip(ToQString(form.ApplicationTitle()));
    grid->addWidget(logo, 0, 0, 2, 1, Qt::AlignCenter);
    int index = 0;
    for (Button* button : form.ModuleButtons()) {
        grid->addWidget(MakeCompactButton(group, *button), index / kModuleColumns,
                        1 + index % kModuleColumns);
        ++index;
    }
    return group;
}

QWidget* MainWindowView::MakePartPanel(const PartPanel& p) {
    const bool first = p.part == 0;
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, first ? tr("Part 1234") : tr("Part 56"), grid);
    group->setObjectName(first ? QStringLiteral("PanelLeft") : QStringLiteral("PanelRight"));
    AddField(grid, 0, 0, MakeCaption(group, first ? tr("Feedback 1") : tr("Feedback 5")),
             MakeComboBox(group, p.feedback));
    AddField(grid, 0, 1, MakeCaption(group, tr("Tuning (%)")), TuningBox(group, p.tuning));

    auto* outputs = new QWidget(group);
    auto* lr = new QHBoxLayout(outputs);
    lr->setContentsMargins(0, 0, 0, 0);
    lr->addWidget(MakeCheckBox(outputs, p.left));
    lr->addWidget(MakeCheckBox(outputs, p.right));
    lr->addStretch();
    AddField(grid, 1, 0, MakeLabel(group, p.outputLabel), outputs);
    AddField(grid, 1, 1, MakeCaption(group, tr("Channel")), MakeComboBox(group, p.midiChannel));
    AddField(grid, 2, 0, MakeLabel(group, p.lowLabel), MakeComboBox(group, p.low));
    AddField(grid, 2, 1, MakeLabel(group, p.highLabel), MakeComboBox(group, p.high));
    AddField(grid, 3, 0, MakeCaption(group, tr("Mode")), MakeComboBox(group, p.mode));
    AddField(grid, 3, 1, MakeCaption(group, tr("Priority")), MakeComboBox(group, p.priority));
    QLabel* notes = MakeLabel(group, p.notes);
    notes->setFrameShape(QFrame::StyledPanel);
    notes->setAlignment(Qt::AlignCenter);
    notes->setMinimumWidth(notes->fontMetrics().horizontalAdvance(QStringLiteral("000")) * 2);
    AddField(grid, 4, 0, MakeCaption(group, tr("Notes")), notes);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return group;
}

QWidget* MainWindowView::MakeCenterPanel() {
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, tr("Algorithm"), grid);
    group->setObjectName(QStringLiteral("PanelCenter"));
    AddField(grid, 0, 0, MakeCaption(group, tr("Algorithm")),
             MakeComboBox(group, form.ComboBoxCNT));
    AddField(grid, 1, 0, MakeCaption(group, tr("Tremolo")), MakeComboBox(group, form.ComboBoxTD));
    AddField(grid, 2, 0, MakeCaption(group, tr("Vibrato")), MakeComboBox(group, form.ComboBoxVD));
    grid->setRowStretch(3, 1);
    grid->addWidget(MakeCaption(group, tr("Schematic")), 3, 1, Qt::AlignRight | Qt::AlignBottom);

    auto* schematic = new QVBoxLayout;
    schematic->setSpacing(1);
    auto* captions = new QHBoxLayout;
    captions->setSpacing(0);
    QLabel* left = MakeCaption(group, tr("1-4"));
    left->setFixedWidth(kSchematicDivider);
    left->setAlignment(Qt::AlignCenter);
    QLabel* right = MakeCaption(group, tr("5/6"));
    right->setFixedWidth(kSchematicWidth - kSchematicDivider);
    right->setAlignment(Qt::AlignCenter);
    captions->addWidget(left);
    captions->addWidget(right);
    schematic->addLayout(captions);
    auto* picture = new QLabel(group);
    picture->setAlignment(Qt::AlignCenter);
    picture->setMinimumWidth(kSchematicWidth);
    BindPicture(picture, form.ImageCnt);
    schematic->addWidget(picture);
    grid->addLayout(schematic, 0, 2, 4, 1);
    return group;
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    if (onClose) {
        onClose();
    }
    event->accept();
}

void MainWindowView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!centred && screen() != nullptr) {
        centred = true;
        QRect frame = frameGeometry();
        frame.moveCenter(screen()->availableGeometry().center());
        move(frame.topLeft());
    }
}

} // namespace vorpline

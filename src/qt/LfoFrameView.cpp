#include "qt/LfoFrameView.h"

#include <utility>
#include <vector>

#include <QAbstractItemView>
#include <QActionGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QVBoxLayout>

#include "controls/PopupMenu.h"
#include "modulation/TFrameLFO.h"
#include "qt/Binders.h"
#include "qt/LfoShapePlot.h"
#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

constexpr int kSpacing = 3;
// Wide enough to set a tick value to a step by eye, narrow enough for two frames side by side.
constexpr int kSliderWidth = 110;
// The send functions' names are long ("Operator Waveform/Mod"); the box shows this many
// characters and its list the whole names.
constexpr int kSendChars = 14;
constexpr int kDestChars = 10;
constexpr int kFunctionChars = 12;
constexpr int kShortChars = 4;
constexpr int kCyclesChars = 7;

QComboBox* MakeNarrowBox(QWidget* parent, ComboBox& control, int chars) {
    QComboBox* box = MakeComboBox(parent, control);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(chars);
    // The list may be wider than the box, so a long name is read whole when choosing.
    box->view()->setTextElideMode(Qt::ElideNone);
    box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) +
                                 box->fontMetrics().averageCharWidth() * 2);
    return box;
}

// "caption box" pairs in one row.
QHBoxLayout* Row(std::initializer_list<std::pair<QLabel*, QWidget*>> fields) {
    auto* row = new QHBoxLayout;
    row->setSpacing(kSpacing);
    for (const auto& [caption, field] : fields) {
        if (caption != nullptr) {
            caption->setBuddy(field);
            row->addWidget(caption);
        }
        row->addWidget(field);
    }
    return row;
}

// A small group of two tick boxes side by side, titled by its label.
QGroupBox* PairGroup(QWidget* parent, Label& title, CheckBox& first, CheckBox& second) {
    QGroupBox* group = MakeGroupBox(parent, title);
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(kSpacing * 2, kSpacing, kSpacing * 2, kSpacing);
    row->setSpacing(kSpacing * 2);
    row->addWidget(MakeCheckBox(group, first));
    row->addWidget(MakeCheckBox(group, second));
    return group;
}

} // namespace

LfoFrameView::LfoFrameView(TFrameLFO& frame, QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kSpacing * 2, kSpacing * 2, kSpacing * 2, kSpacing * 2);
    column->setSpacing(kSpacing * 2);
    column->addWidget(MakeSettings(frame));
    column->addWidget(MakeShapeRow(frame));
    column->addWidget(MakeTrackBars(frame));
}

QWidget* LfoFrameView::MakeSettings(TFrameLFO& frame) {
    auto* panel = new QWidget(this);
    auto* rows = new QVBoxLayout(panel);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(kSpacing);

    QLabel* number = MakeLabel(panel, frame.PanelOsc);
    number->setFrameShape(QFrame::Panel);
    number->setFrameShadow(QFrame::Sunken);
    number->setAlignment(Qt::AlignCenter);
    QFont bold = number->font();
    bold.setBold(true);
    number->setFont(bold);
    number->setFixedWidth(number->fontMetrics().horizontalAdvance(QStringLiteral("88")) * 2);

    QHBoxLayout* first = Row(
        {{nullptr, number},
         {nullptr, MakeCheckBox(panel, frame.CheckBoxEnable)},
         {MakeLabel(panel, frame.LabelSend), MakeNarrowBox(panel, frame.ComboBoxSend, kSendChars)},
         {MakeLabel(panel, frame.LabelDest),
          MakeNarrowBox(panel, frame.ComboBoxDest, kDestChars)}});
    first->addStretch();
    rows->addLayout(first);

    QHBoxLayout* second =
        Row({{MakeLabel(panel, frame.LabelTrig), MakeComboBox(panel, frame.ComboBoxTrig)},
             {MakeLabel(panel, frame.LabelNote), MakeComboBox(panel, frame.ComboBoxNote)},
             {MakeLabel(panel, frame.LabelOctave), MakeComboBox(panel, frame.ComboBoxOctave)}});
    second->addStretch();
    rows->addLayout(second);

    QHBoxLayout* third =
        Row({{MakeLabel(panel, frame.LabelFunction),
              MakeNarrowBox(panel, frame.ComboBoxFunction, kFunctionChars)},
             {MakeLabel(panel, frame.Labeln), MakeNarrowBox(panel, frame.ComboBoxn, kShortChars)},
             {MakeLabel(panel, frame.LabelCycles),
              MakeNarrowBox(panel, frame.ComboBoxCycles, kCyclesChars)}});
    third->addStretch();
    rows->addLayout(third);

    QHBoxLayout* fourth =
        Row({{nullptr, MakeCheckBox(panel, frame.CheckBoxRecv)},
             {MakeLabel(panel, frame.LabelTarget), MakeComboBox(panel, frame.ComboBoxTarget)}});
    fourth->addStretch();
    rows->addLayout(fourth);
    return panel;
}

QWidget* LfoFrameView::MakeShapeRow(TFrameLFO& frame) {
    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing * 2);
    plot = new LfoShapePlot(frame, panel);
    row->addWidget(plot);
    auto* boxes = new QVBoxLayout;
    boxes->setSpacing(kSpacing);
    boxes->addWidget(MakeCheckBox(panel, frame.CheckBoxFlip));
    boxes->addWidget(MakeCheckBox(panel, frame.CheckBoxMirror));
    row->addLayout(boxes);
    row->addWidget(
        PairGroup(panel, frame.GroupBoxAutomate, frame.CheckBoxAutoFlip, frame.CheckBoxAutoMirror));
    row->addWidget(
        PairGroup(panel, frame.GroupBoxStartAs, frame.CheckBoxFlipInit, frame.CheckBoxMirrorInit));
    row->addStretch();
    return panel;
}

QWidget* LfoFrameView::MakeTrackBars(TFrameLFO& frame) {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(kSpacing * 2);
    grid->setVerticalSpacing(0);
    const struct {
        Label& caption;
        TrackBar& bar;
        Label& value;
        PopupMenu* menu; // null: no menu
    } bars[] = {
        {frame.LabelDelay, frame.TrackBarDelay, frame.LabelDelayVal, &frame.PopupMenuDel1},
        {frame.LabelDelay2, frame.TrackBarDelay2, frame.LabelDelay2Val, &frame.PopupMenuDel2},
        {frame.LabelAttack, frame.TrackBarAttack, frame.LabelAttackVal, &frame.PopupMenuAttack},
        {frame.LabelDuration, frame.TrackBarDuration, frame.LabelDurationVal,
         &frame.PopupMenuDuration},
        {frame.LabelAmplitude, frame.TrackBarAmplitude, frame.LabelAmplitudeVal,
         &frame.PopupMenuAmp},
        {frame.LabelOffset, frame.TrackBarOffset, frame.LabelOffsetVal, &frame.PopupMenuOffset},
        {frame.LabelAngle, frame.TrackBarAngle, frame.LabelAngleVal, &frame.PopupMenuPhase},
        {frame.LabelDuty, frame.TrackBarDuty, frame.LabelDutyVal, nullptr},
    };
    // The tick settings in the left half, the shape's in the right.
    constexpr int kRowsPerHalf = 4;
    int index = 0;
    for (const auto& entry : bars) {
        const int row = index % kRowsPerHalf;
        const int column = index / kRowsPerHalf * 3;
        ++index;
        QSlider* slider = MakeSlider(panel, entry.bar, Qt::Horizontal);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setFixedWidth(kSliderWidth);
        QLabel* value = MakeLabel(panel, entry.value);
        // Room for the widest value ("12288t", "+/- 128") so the row does not jump.
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("+/- 128")));
        QLabel* caption = MakeLabel(panel, entry.caption);
        caption->setBuddy(slider);
        grid->addWidget(caption, row, column, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(slider, row, column + 1);
        grid->addWidget(value, row, column + 2);
        if (entry.menu != nullptr) {
            QMenu* menu = MakeMenu(*entry.menu, slider);
            slider->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(slider, &QWidget::customContextMenuRequested, menu,
                    [slider, menu](const QPoint& at) { menu->popup(slider->mapToGlobal(at)); });
        }
    }
    return panel;
}

QMenu* LfoFrameView::MakeMenu(PopupMenu& menu, QWidget* parent) {
    auto* widget = new QMenu(parent);
    widget->setObjectName(ToQString(menu.Name()));
    QActionGroup* radios = nullptr;
    std::vector<std::pair<QAction*, const PopupMenu::Entry*>> marked;
    for (const auto& entry : menu.Entries()) {
        if (entry->submenu) {
            QMenu* sub = MakeMenu(*entry->submenu, widget);
            sub->setTitle(ToQString(entry->item.Caption()));
            widget->addMenu(sub);
            continue;
        }
        QAction* action = widget->addAction(QString());
        BindAction(action, entry->item);
        if (entry->IsRadio()) {
            if (radios == nullptr) {
                radios = new QActionGroup(widget);
            }
            action->setCheckable(true);
            radios->addAction(action);
            marked.emplace_back(action, entry.get());
        }
    }
    if (!marked.empty()) {
        connect(widget, &QMenu::aboutToShow, widget, [marked] {
            for (const auto& [action, entry] : marked) {
                action->setChecked(entry->Checked());
            }
        });
    }
    return widget;
}

} // namespace vorpline

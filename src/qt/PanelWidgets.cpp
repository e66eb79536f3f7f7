#include "qt/PanelWidgets.h"

#include <utility>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Label.h"
#include "controls/Picture.h"
#include "controls/TrackBar.h"
#include "qt/Binders.h"

namespace vorpline {

namespace {

constexpr int kGroupMargin = 6;
constexpr int kGroupSpacing = 3;
constexpr int kButtonPaddingChars = 4;

} // namespace

QComboBox* MakeComboBox(QWidget* parent, ComboBox& control) {
    auto* widget = new QComboBox(parent);
    // Long lists ("Sine (fast absolute)") size the box to their widest entry; no more.
    widget->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    BindComboBox(widget, control);
    return widget;
}

QWidget* MakeCheckBox(QWidget* parent, CheckBox& control) {
    auto* widget = new QCheckBox(parent);
    BindCheckBox(widget, control);
    return widget;
}

QSlider* MakeSlider(QWidget* parent, TrackBar& control, Qt::Orientation orientation) {
    auto* widget = new QSlider(orientation, parent);
    BindTrackBar(widget, control);
    return widget;
}

QLineEdit* MakeEdit(QWidget* parent, Edit& control) {
    auto* widget = new QLineEdit(parent);
    BindEdit(widget, control);
    return widget;
}

QGroupBox* MakeGroupBox(QWidget* parent, Label& control) {
    auto* box = new QGroupBox(parent);
    BindGroupBox(box, control);
    return box;
}

QGroupBox* MakeRadioGroup(QWidget* parent, RadioGroup& control) {
    auto* box = new QGroupBox(parent);
    BindRadioGroup(box, control);
    return box;
}

QLabel* MakeLabel(QWidget* parent, Label& control) {
    auto* widget = new QLabel(parent);
    BindLabel(widget, control);
    return widget;
}

QWidget* MakeButton(QWidget* parent, Button& control) {
    auto* widget = new QPushButton(parent);
    widget->setAutoDefault(false);
    BindButton(widget, control);
    return widget;
}

QWidget* MakeCompactButton(QWidget* parent, Button& control) {
    QWidget* widget = MakeButton(parent, control);
    // The style's minimum button width is made for dialog buttons; a panel row needs less.
    const int text = widget->fontMetrics().horizontalAdvance(ToQString(control.Caption()));
    widget->setFixedWidth(text + widget->fontMetrics().averageCharWidth() * kButtonPaddingChars);
    return widget;
}

QLabel* MakeCaption(QWidget* parent, const QString& text) {
    return new QLabel(text, parent);
}

QGroupBox* MakeGroup(QWidget* parent, const QString& title, QGridLayout*& grid) {
    auto* group = new QGroupBox(title, parent);
    grid = new QGridLayout(group);
    grid->setContentsMargins(kGroupMargin, kGroupMargin, kGroupMargin, kGroupMargin);
    grid->setHorizontalSpacing(kGroupSpacing * 2);
    grid->setVerticalSpacing(kGroupSpacing);
    return group;
}

void AddField(QGridLayout* grid, int row, int pair, QLabel* caption, QWidget* field) {
    caption->setBuddy(field);
    grid->addWidget(caption, row, pair * 2, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(field, row, pair * 2 + 1);
}

QLabel* MakeValueReadout(QWidget* parent, TrackBar& control) {
    auto* readout = new QLabel(parent);
    readout->setAlignment(Qt::AlignCenter);
    // Room for the widest value so the row does not jump while the slider moves.
    readout->setMinimumWidth(readout->fontMetrics().horizontalAdvance(
        QString::number(control.Max()).append(QLatin1Char(' '))));
    ObserveWhileAlive(readout, control,
                      [readout, &control] { readout->setNum(control.Position()); });
    return readout;
}

void ObserveWhileAlive(QObject* owner, Control& control, std::function<void()> sync) {
    sync();
    const int id = control.Observe(std::move(sync));
    QObject::connect(owner, &QObject::destroyed, [&control, id] { control.Unobserve(id); });
}

void BindPicture(QLabel* widget, Picture& control) {
    widget->setObjectName(ToQString(control.Name()));
    ObserveWhileAlive(widget, control, [widget, &control] {
        QPixmap pixmap;
        const auto& bytes = control.Bytes();
        if (!bytes.empty() &&
            pixmap.loadFromData(bytes.data(), static_cast<unsigned int>(bytes.size()))) {
            widget->setPixmap(pixmap);
        }
    });
}

QWidget* SliderColumn(QWidget* parent, TrackBar& control, const QString& caption, int minHeight) {
    auto* column = new QWidget(parent);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(MakeValueReadout(column, control), 0, Qt::AlignHCenter);
    QSlider* slider = MakeSlider(column, control, Qt::Vertical);
    slider->setMinimumHeight(minHeight);
    slider->setTickPosition(QSlider::NoTicks);
    layout->addWidget(slider, 1, Qt::AlignHCenter);
    QLabel* label = MakeCaption(column, caption);
    label->setBuddy(slider);
    layout->addWidget(label, 0, Qt::AlignHCenter);
    return column;
}

} // namespace vorpline

#include "qt/BendWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

#include "modulation/TFormBend.h"
#include "qt/Binders.h"
#include "qt/PanelWidgets.h"
#include "qt/PresetPanelView.h"

namespace vorpline {

namespace {

constexpr int kSpacing = 4;
// "0xFF" and the field's own margins.
constexpr int kMaskChars = 8;
// Three positions need little travel, but enough to hit each one by mouse.
constexpr int kShortWidth = 48;

enum Column { kBitColumn, kShortColumn, kInvertColumn, kConnectColumn };

} // namespace

BendWindow::BendWindow(TFormBend& form, QWidget* parent) : ToolWindowView(form, parent) {
    QBoxLayout* layout = MakeLayout(QBoxLayout::TopToBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(MakeTopBar(form));
    auto* groups = new QHBoxLayout;
    groups->setSpacing(kSpacing);
    groups->addWidget(MakeFrame(form.GroupBoxRegister, form.FrameRegister, "FrameRegister"));
    groups->addWidget(MakeFrame(form.GroupBoxData, form.FrameData, "FrameData"));
    QGroupBox* cc = MakeFrame(form.GroupBoxCC, form.FrameCC, "FrameCC");
    static_cast<QHBoxLayout*>(cc->layout())->addWidget(MakeReceive(form, cc), 0, Qt::AlignTop);
    groups->addWidget(cc);
    layout->addLayout(groups);
    Bind();
}

QWidget* BendWindow::MakeTopBar(TFormBend& form) {
    return MakePresetBarWithEnable(this, QStringLiteral("PanelCB"),
                                   {form, form.ComboBoxPreset, form.LabelPreset, form.ButtonSave,
                                    form.ButtonReset, form.ButtonDefault, form.ButtonDelete},
                                   form.CheckBoxEnable);
}

QGroupBox* BendWindow::MakeFrame(Label& title, TFrameBend& frame, const char* frameName) {
    QGroupBox* group = MakeGroupBox(this, title);
    auto* outer = new QHBoxLayout(group);
    outer->setContentsMargins(kSpacing, kSpacing, kSpacing, kSpacing);
    outer->setSpacing(kSpacing * 2);
    auto* panel = new QWidget(group);
    panel->setObjectName(QString::fromLatin1(frameName));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(kSpacing * 2);
    grid->setVerticalSpacing(1);
    int row = 0;
    for (const auto& [column, heading] : {std::pair{kBitColumn, tr("Bit")},
                                          {kShortColumn, tr("Short")},
                                          {kInvertColumn, tr("Invert")},
                                          {kConnectColumn, tr("Connect")}}) {
        grid->addWidget(MakeCaption(panel, heading), row, column, Qt::AlignCenter);
    }
    for (std::size_t i = 0; i < TFrameBend::kBits; ++i) {
        ++row;
        grid->addWidget(MakeCaption(panel, QStringLiteral("b%1").arg(i)), row, kBitColumn,
                        Qt::AlignCenter);
        QSlider* bar = MakeSlider(panel, frame.TrackBars[i], Qt::Horizontal);
        bar->setFixedWidth(kShortWidth);
        bar->setTickPosition(QSlider::TicksBelow);
        grid->addWidget(bar, row, kShortColumn);
        grid->addWidget(MakeCheckBox(panel, frame.CheckBoxes[i]), row, kInvertColumn);
        grid->addWidget(MakeComboBox(panel, frame.ComboBoxes[i]), row, kConnectColumn);
    }
    ++row;
    auto* masks = new QGridLayout;
    masks->setSpacing(kSpacing);
    int column = 0;
    for (const auto& [caption, edit] : {std::pair{tr("AND"), &frame.EditAnd},
                                        {tr("OR"), &frame.EditOr},
                                        {tr("EOR"), &frame.EditEor}}) {
        QLabel* label = MakeCaption(panel, caption);
        QLineEdit* field = MakeEdit(panel, *edit);
        field->setFixedWidth(field->fontMetrics().averageCharWidth() * kMaskChars);
        label->setBuddy(field);
        masks->addWidget(label, 0, column, Qt::AlignCenter);
        masks->addWidget(field, 1, column);
        ++column;
    }
    column = 0;
    for (Button* button : {&frame.ButtonRandom, &frame.ButtonFlip, &frame.ButtonReset}) {
        masks->addWidget(MakeCompactButton(panel, *button), 2, column++);
    }
    grid->addLayout(masks, row, 0, 1, kConnectColumn + 1);
    outer->addWidget(panel);
    return group;
}

QWidget* BendWindow::MakeReceive(TFormBend& form, QWidget* parent) {
    auto* panel = new QWidget(parent);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kSpacing);
    column->addWidget(MakeLabel(panel, form.LabelReceive));
    for (CheckBox* box : form.ReceiveBoxes()) {
        column->addWidget(MakeCheckBox(panel, *box));
    }
    return panel;
}

} // namespace vorpline

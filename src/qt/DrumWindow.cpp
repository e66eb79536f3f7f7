#include "qt/DrumWindow.h"

#include <array>

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "presets/TFormDrum.h"
#include "qt/Binders.h"
#include "qt/Guarded.h"
#include "qt/PanelWidgets.h"
#include "qt/PresetPanelView.h"

namespace vorpline {

namespace {

constexpr int kSpacing = 4;
constexpr int kEnvelopeHeight = 80;

// A drum is struck when the button goes down: a click would wait for the release and put every
// hit late by however long the finger rests on the button.
QToolButton* MakeStrikeButton(QWidget* parent, Button& control) {
    auto* button = new QToolButton(parent);
    button->setObjectName(ToQString(control.Name()));
    button->setText(ToQString(control.Caption()));
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    ObserveWhileAlive(button, control,
                      [button, &control] { button->setEnabled(control.Enabled()); });
    QObject::connect(button, &QAbstractButton::pressed, button,
                     [&control] { Guarded([&] { control.Click(); }); });
    return button;
}

struct ChannelView {
    const char* title;
    ComboBox TFormDrum::*octave;
    ComboBox TFormDrum::*note;
    CheckBox TFormDrum::*left;
    CheckBox TFormDrum::*right;
    std::array<std::pair<TFrameOpD TFormDrum::*, const char*>, 2> frames;
};

const std::array<ChannelView, TFormDrum::kChannelCount> kChannelViews = {{
    {"7: Bass drum",
     &TFormDrum::ComboBoxOctaveBD,
     &TFormDrum::ComboBoxNoteBD,
     &TFormDrum::CheckBoxBDA,
     &TFormDrum::CheckBoxBDB,
     {{{&TFormDrum::FrameOpBDM, "FrameOpBDM"}, {&TFormDrum::FrameOpBDC, "FrameOpBDC"}}}},
    {"8: Hi-hat and snare",
     &TFormDrum::ComboBoxOctaveHHSD,
     &TFormDrum::ComboBoxNoteHHSD,
     &TFormDrum::CheckBoxHHSDA,
     &TFormDrum::CheckBoxHHSDB,
     {{{&TFormDrum::FrameOpHH, "FrameOpHH"}, {&TFormDrum::FrameOpSD, "FrameOpSD"}}}},
    {"9: Tom and cymbal",
     &TFormDrum::ComboBoxOctaveTOMTC,
     &TFormDrum::ComboBoxNoteTOMTC,
     &TFormDrum::CheckBoxTOMTCA,
     &TFormDrum::CheckBoxTOMTCB,
     {{{&TFormDrum::FrameOpTOM, "FrameOpTOM"}, {&TFormDrum::FrameOpTC, "FrameOpTC"}}}},
}};

} // namespace

DrumWindow::DrumWindow(TFormDrum& form, QWidget* parent) : ToolWindowView(form, parent) {
    QBoxLayout* layout = MakeLayout(QBoxLayout::TopToBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* top = new QHBoxLayout;
    top->setSpacing(kSpacing * 2);
    top->addWidget(
        MakePresetPanel(this, {form, form.ComboBoxPreset, form.LabelPreset, form.ButtonSave,
                               form.ButtonReset, form.ButtonDefault, form.ButtonDelete}),
        0, Qt::AlignTop);
    top->addWidget(MakeMidi(form), 1);
    layout->addLayout(top);
    auto* channels = new QHBoxLayout;
    channels->setSpacing(kSpacing);
    for (int channel = 0; channel < TFormDrum::kChannelCount; ++channel) {
        channels->addWidget(MakeChannel(form, channel));
    }
    layout->addLayout(channels);
    Bind();
}

QWidget* DrumWindow::MakeMidi(TFormDrum& form) {
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, tr("MIDI"), grid);
    group->setObjectName(QStringLiteral("GroupBoxMidi"));
    QComboBox* channel = MakeComboBox(group, form.ComboBoxMidiChannel);
    QLabel* channelCaption = MakeCaption(group, tr("Channel"));
    channelCaption->setBuddy(channel);
    grid->addWidget(channelCaption, 0, 0);
    grid->addWidget(channel, 1, 0);
    // Each drum's button over the note that strikes it, in the order of the buttons.
    const std::pair<Button TFormDrum::*, ComboBox TFormDrum::*> drums[] = {
        {&TFormDrum::SpeedButtonBD, &TFormDrum::ComboBoxAssignBD},
        {&TFormDrum::SpeedButtonSD, &TFormDrum::ComboBoxAssignSD},
        {&TFormDrum::SpeedButtonHH, &TFormDrum::ComboBoxAssignHH},
        {&TFormDrum::SpeedButtonTOM, &TFormDrum::ComboBoxAssignTOM},
        {&TFormDrum::SpeedButtonTC, &TFormDrum::ComboBoxAssignTC}};
    int column = 1;
    for (const auto& [button, assign] : drums) {
        grid->addWidget(MakeStrikeButton(group, form.*button), 0, column);
        grid->addWidget(MakeComboBox(group, form.*assign), 1, column);
        ++column;
    }
    return group;
}

QGroupBox* DrumWindow::MakeChannel(TFormDrum& form, int channel) {
    const ChannelView& view = kChannelViews[static_cast<std::size_t>(channel)];
    QGridLayout* grid = nullptr;
    QGroupBox* group = MakeGroup(this, tr(view.title), grid);
    auto* pitch = new QHBoxLayout;
    pitch->setSpacing(kSpacing);
    QComboBox* octave = MakeComboBox(group, form.*view.octave);
    QLabel* pitchCaption = MakeCaption(group, tr("Pitch"));
    pitchCaption->setBuddy(octave);
    pitch->addWidget(pitchCaption);
    pitch->addWidget(octave);
    pitch->addWidget(MakeComboBox(group, form.*view.note));
    pitch->addStretch();
    pitch->addWidget(MakeCaption(group, tr("Output")));
    pitch->addWidget(MakeCheckBox(group, form.*view.left));
    pitch->addWidget(MakeCheckBox(group, form.*view.right));
    grid->addLayout(pitch, 0, 0, 1, 2);
    int column = 0;
    for (const auto& [frame, name] : view.frames) {
        grid->addWidget(MakeFrame(group, form.*frame, name), 1, column++);
    }
    return group;
}

QGroupBox* DrumWindow::MakeFrame(QWidget* parent, TFrameOpD& frame, const char* name) {
    auto* box = new QGroupBox(
        QStringLiteral("%1 (%2)").arg(ToQString(frame.Title())).arg(frame.Operator()), parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(kSpacing, kSpacing, kSpacing, kSpacing);
    layout->setSpacing(kSpacing);

    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(2);
    AddField(fields, 0, 0, MakeCaption(box, tr("Waveform")),
             MakeComboBox(box, frame.ComboBoxWaveform));
    AddField(fields, 1, 0, MakeCaption(box, tr("Tuning")), MakeComboBox(box, frame.ComboBoxTuning));
    layout->addLayout(fields);

    auto* envelope = new QHBoxLayout;
    envelope->setSpacing(kSpacing);
    for (const auto& [bar, caption] : {std::pair{&frame.TrackBarAttack, tr("A")},
                                       {&frame.TrackBarDecay, tr("D")},
                                       {&frame.TrackBarSustain, tr("S")},
                                       {&frame.TrackBarRelease, tr("R")},
                                       {&frame.TrackBarVolume, tr("Vol")}}) {
        envelope->addWidget(SliderColumn(box, *bar, caption, kEnvelopeHeight));
    }
    layout->addLayout(envelope);

    auto* velocity = new QGridLayout;
    velocity->setVerticalSpacing(2);
    AddField(velocity, 0, 0, MakeCaption(box, tr("Velocity")),
             MakeComboBox(box, frame.ComboBoxTarget));
    auto* offset = new QHBoxLayout;
    offset->setSpacing(2);
    QSlider* offsetSlider = MakeSlider(box, frame.TrackBarOffset, Qt::Horizontal);
    offset->addWidget(offsetSlider, 1);
    offset->addWidget(MakeValueReadout(box, frame.TrackBarOffset));
    QLabel* offsetCaption = MakeCaption(box, tr("Offset"));
    offsetCaption->setBuddy(offsetSlider);
    velocity->addWidget(offsetCaption, 1, 0, Qt::AlignRight | Qt::AlignVCenter);
    velocity->addLayout(offset, 1, 1);
    layout->addLayout(velocity);
    return box;
}

} // namespace vorpline

#include "qt/OperatorFrameView.h"

#include <string>

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QProxyStyle>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "qt/Binders.h"
#include "qt/EnvelopePicture.h"
#include "qt/PanelWidgets.h"
#include "ui/TFrameOp.h"

namespace vorpline {

namespace {

constexpr int kEnvelopeHeight = 96;
constexpr int kNumberPointGrowth = 6;
constexpr int kMargin = 4;
constexpr int kWavePictureWidth = 40;

// Menus draw their icons at the small-icon size, too small to tell "Sine (fast)" from
// "Sine (fast absolute)"; the waveform menu asks for its pictures' own width.
class WaveMenuStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_SmallIconSize) {
            return kWavePictureWidth;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QString WavePicture(const std::filesystem::path& folder, int waveform) {
    return ToQString((folder / ("wave" + std::to_string(waveform) + ".png")).string());
}

} // namespace

OperatorFrameView::OperatorFrameView(TFrameOp& frame, const std::filesystem::path& assetFolder,
                                     QWidget* parent)
    : QGroupBox(parent) {
    setObjectName(ToQString(frame.Name()));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kMargin * 2);

    QLabel* number = MakeLabel(this, frame.PanelNum);
    QFont big = number->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + kNumberPointGrowth);
    number->setFont(big);
    number->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    layout->addWidget(number);

    auto* left = new QVBoxLayout;
    left->setSpacing(kMargin);
    left->addWidget(MakeFields(frame, assetFolder));
    left->addWidget(MakeFlags(frame));
    left->addStretch();
    layout->addLayout(left);
    layout->addWidget(MakeEnvelope(frame));
    MakeContextMenu(frame);
}

QWidget* OperatorFrameView::MakeFields(TFrameOp& frame, const std::filesystem::path& assetFolder) {
    auto* fields = new QWidget(this);
    auto* grid = new QGridLayout(fields);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(3);

    auto* wave = new QHBoxLayout;
    wave->setSpacing(2);
    QComboBox* waveform = MakeComboBox(fields, frame.ComboBoxWS);
    wave->addWidget(waveform, 1);
    auto* pictures = new QToolButton(fields);
    pictures->setObjectName(QStringLiteral("PopupMenuWave"));
    pictures->setPopupMode(QToolButton::InstantPopup);
    pictures->setToolButtonStyle(Qt::ToolButtonIconOnly);
    waveMenu = new QMenu(pictures);
    waveMenu->setObjectName(QStringLiteral("PopupMenuWave"));
    auto* style = new WaveMenuStyle;
    style->setParent(waveMenu);
    waveMenu->setStyle(style);
    for (int w = 0; w < TFrameOp::kWaveformCount; ++w) {
        QAction* action = waveMenu->addAction(QIcon(WavePicture(assetFolder, w)), QString());
        BindAction(action, frame.PopupMenuWave[static_cast<size_t>(w)]);
    }
    pictures->setMenu(waveMenu);
    // The button wears the current waveform's picture.
    ObserveWhileAlive(pictures, frame.ComboBoxWS, [pictures, &frame, assetFolder] {
        int w = frame.ComboBoxWS.ItemIndex();
        if (w >= 0 && w < TFrameOp::kWaveformCount) {
            pictures->setIcon(QIcon(WavePicture(assetFolder, w)));
            pictures->setToolTip(ToQString(frame.ComboBoxWS.Text()));
        }
    });
    pictures->setIconSize(QSize(32, 16));
    wave->addWidget(pictures);
    QLabel* waveCaption = MakeCaption(fields, tr("Waveform"));
    waveCaption->setBuddy(waveform);
    grid->addWidget(waveCaption, 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addLayout(wave, 0, 1);

    AddField(grid, 1, 0, MakeCaption(fields, tr("Tuning (%)")),
             MakeComboBox(fields, frame.ComboBoxFreqMultiplier));
    AddField(grid, 2, 0, MakeCaption(fields, tr("Level")),
             MakeComboBox(fields, frame.ComboBoxLevelScaling));
    AddField(grid, 3, 0, MakeCaption(fields, tr("Velocity")),
             MakeComboBox(fields, frame.ComboBoxTarget));
    auto* offset = new QHBoxLayout;
    offset->setSpacing(2);
    QSlider* offsetSlider = MakeSlider(fields, frame.TrackBarOffset, Qt::Horizontal);
    offset->addWidget(offsetSlider, 1);
    offset->addWidget(MakeValueReadout(fields, frame.TrackBarOffset));
    QLabel* offsetCaption = MakeCaption(fields, tr("Offset"));
    offsetCaption->setBuddy(offsetSlider);
    grid->addWidget(offsetCaption, 4, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addLayout(offset, 4, 1);
    grid->setColumnStretch(1, 1);
    return fields;
}

QWidget* OperatorFrameView::MakeFlags(TFrameOp& frame) {
    auto* flags = new QWidget(this);
    auto* grid = new QGridLayout(flags);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    CheckBox* boxes[] = {&frame.CheckBoxTremolo,     &frame.CheckBoxVibrato, &frame.CheckBoxHold,
                         &frame.CheckBoxRateScaling, &frame.CheckBoxCC,      &frame.CheckBoxDamper};
    constexpr int kColumns = 3;
    int index = 0;
    for (CheckBox* box : boxes) {
        QWidget* widget = MakeCheckBox(flags, *box);
        if (box == &frame.CheckBoxRateScaling) {
            widget->setToolTip(tr("Key Scaling"));
        }
        grid->addWidget(widget, index / kColumns, index % kColumns);
        ++index;
    }
    return flags;
}

QWidget* OperatorFrameView::MakeEnvelope(TFrameOp& frame) {
    auto* envelope = new QWidget(this);
    auto* layout = new QGridLayout(envelope);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(2);
    layout->setVerticalSpacing(1);
    layout->addWidget(MakeCaption(envelope, tr("Volume")), 0, 0, Qt::AlignHCenter);
    layout->addWidget(SliderColumn(envelope, frame.TrackBarVolume, QString(), kEnvelopeHeight), 1,
                      0);
    layout->addWidget(MakeCaption(envelope, tr("E.G.")), 0, 1, 1, 4, Qt::AlignHCenter);
    const std::pair<TrackBar*, const char*> rates[] = {{&frame.TrackBarAttack, "A"},
                                                       {&frame.TrackBarDecay, "D"},
                                                       {&frame.TrackBarSustain, "S"},
                                                       {&frame.TrackBarRelease, "R"}};
    int column = 1;
    for (const auto& [bar, caption] : rates) {
        layout->addWidget(
            SliderColumn(envelope, *bar, QString::fromLatin1(caption), kEnvelopeHeight), 1,
            column++);
    }
    // Under the envelope's sliders, the envelope they make.
    envelopePicture = new EnvelopePicture(frame, envelope);
    layout->addWidget(envelopePicture, 2, 0, 1, column, Qt::AlignHCenter);
    // A gap between the volume and the envelope reads as two instruments, not five faders.
    layout->setColumnMinimumWidth(0, 36);
    return envelope;
}

void OperatorFrameView::MakeContextMenu(TFrameOp& frame) {
    contextMenu = new QMenu(this);
    contextMenu->setObjectName(QStringLiteral("PopupMenuFrame"));
    for (MenuItem* item :
         {&frame.MenuItemCut, &frame.MenuItemCopy, &frame.MenuItemPaste, &frame.MenuItemClearAll}) {
        QAction* action = contextMenu->addAction(QString());
        action->setObjectName(ToQString(item->Name()));
        BindAction(action, *item);
    }
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu->popup(mapToGlobal(at)); });
}

} // namespace vorpline

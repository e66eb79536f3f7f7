#include "qt/LfoWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>

#include "modulation/TFormLFO.h"
#include "qt/Binders.h"
#include "qt/Guarded.h"
#include "qt/LfoFrameView.h"
#include "qt/LfoShapePlot.h"
#include "qt/PanelWidgets.h"
#include "qt/PresetPanelView.h"

namespace vorpline {

namespace {

constexpr int kSpacing = 4;
constexpr int kFramesPerTab = 4;
constexpr const char* kTabNames[] = {"TabSheet1234", "TabSheet5678"};

// The tabs follow the radio group that stands for them, and choosing a tab selects its item.
void BindTabs(QTabWidget* tabs, RadioGroup& control) {
    tabs->setObjectName(ToQString(control.Name()));
    ObserveWhileAlive(tabs, control, [tabs, &control] {
        const QSignalBlocker block(tabs);
        tabs->setEnabled(control.Enabled());
        if (control.ItemIndex() >= 0 && control.ItemIndex() < tabs->count()) {
            tabs->setCurrentIndex(control.ItemIndex());
        }
    });
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs,
                     [&control](int index) { Guarded([&] { control.SetItemIndex(index); }); });
}

} // namespace

LfoWindow::LfoWindow(TFormLFO& form, QWidget* parent) : ToolWindowView(form, parent) {
    QBoxLayout* layout = MakeLayout(QBoxLayout::TopToBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(MakeTopBar(form));
    layout->addWidget(MakeTabs(form));
    poll = new QTimer(this);
    poll->setInterval(kPollMs);
    connect(poll, &QTimer::timeout, this, [this] {
        for (LfoShapePlot* plot : plots) {
            plot->Poll();
        }
    });
    Bind();
}

QWidget* LfoWindow::MakeTopBar(TFormLFO& form) {
    QWidget* bar = MakePresetBar(this, QStringLiteral("PanelLFO"),
                                 {form, form.ComboBoxPreset, form.LabelPreset, form.ButtonSave,
                                  form.ButtonReset, form.ButtonDefault, form.ButtonDelete});
    auto* row = static_cast<QHBoxLayout*>(bar->layout());
    row->addSpacing(kSpacing * 4);
    QLabel* auxCaption = MakeLabel(bar, form.LabelAux);
    QComboBox* aux = MakeComboBox(bar, form.ComboBoxAux);
    auxCaption->setBuddy(aux);
    row->addWidget(auxCaption);
    row->addWidget(aux);
    row->addWidget(MakeCompactButton(bar, form.ButtonCalc));
    row->addStretch();
    row->addWidget(MakeCheckBox(bar, form.CheckBoxEnable));
    return bar;
}

QWidget* LfoWindow::MakeTabs(TFormLFO& form) {
    auto* tabs = new QTabWidget(this);
    const auto& titles = form.PageControlLFO.Items();
    for (int tab = 0; tab * kFramesPerTab < TFormLFO::kLfoCount; ++tab) {
        auto* page = new QWidget(tabs);
        page->setObjectName(QString::fromLatin1(kTabNames[tab]));
        auto* grid = new QGridLayout(page);
        grid->setContentsMargins(kSpacing, kSpacing, kSpacing, kSpacing);
        grid->setSpacing(kSpacing);
        for (int k = 0; k < kFramesPerTab; ++k) {
            const int i = tab * kFramesPerTab + k;
            auto* frame = new LfoFrameView(form.FrameLFO[static_cast<size_t>(i)], page);
            frame->setObjectName(QStringLiteral("FrameLFO%1").arg(i));
            // Down the first column, then down the second.
            grid->addWidget(frame, k % 2, k / 2);
            plots.push_back(frame->Plot());
        }
        tabs->addTab(page, ToQString(titles.at(static_cast<size_t>(tab))));
    }
    BindTabs(tabs, form.PageControlLFO);
    return tabs;
}

void LfoWindow::showEvent(QShowEvent* event) {
    ToolWindowView::showEvent(event);
    poll->start();
}

void LfoWindow::hideEvent(QHideEvent* event) {
    poll->stop();
    ToolWindowView::hideEvent(event);
}

} // namespace vorpline

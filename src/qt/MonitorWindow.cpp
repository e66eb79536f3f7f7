#include "qt/MonitorWindow.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>

#include "qt/Binders.h"
#include "qt/Guarded.h"
#include "qt/PanelWidgets.h"
#include "ui/TFormMonitor.h"

namespace vorpline {

namespace {

// 30 Hz: the fade of a change lasts TFormMonitor::kFadeRefreshes ticks, one second.
constexpr int kRefreshMs = 33;
constexpr int kColumns = 16;
constexpr int kRows = TFormMonitor::kRegisterCount / kColumns;
constexpr int kCellWidth = 26;
constexpr int kRowPadding = 2;
constexpr int kDecodedHeight = 260;

} // namespace

MonitorWindow::MonitorWindow(TFormMonitor& formIn, QWidget* parent)
    : ToolWindowView(formIn, parent), form(formIn) {
    QBoxLayout* layout = MakeLayout(QBoxLayout::TopToBottom);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    auto* top = new QWidget(this);
    auto* row = new QHBoxLayout(top);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(MakeEdit(top, form.EditFile), 1);
    QWidget* button = MakeButton(top, form.ButtonRecord);
    record = qobject_cast<QAbstractButton*>(button);
    row->addWidget(button);
    row->addWidget(MakeLabel(top, form.LabelStatus), 1);
    layout->addWidget(top);

    grid = new QTableWidget(kRows, kColumns, this);
    grid->setObjectName(QStringLiteral("GridRegisters"));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFont(fixed);
    QStringList columns;
    for (int column = 0; column < kColumns; ++column) {
        columns << QString::number(column, 16).toUpper();
    }
    QStringList rows;
    for (int r = 0; r < kRows; ++r) {
        rows << QStringLiteral("%1").arg(r * kColumns, 3, 16, QLatin1Char('0')).toUpper();
    }
    grid->setHorizontalHeaderLabels(columns);
    grid->setVerticalHeaderLabels(rows);
    grid->horizontalHeader()->setDefaultSectionSize(kCellWidth);
    // Compact rows: all 32 fit on a laptop screen beside the decoded text.
    grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(fixed).height() + kRowPadding);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int reg = 0; reg < TFormMonitor::kRegisterCount; ++reg) {
        grid->setItem(reg / kColumns, reg % kColumns, new QTableWidgetItem);
    }
    layout->addWidget(grid, 1);

    decoded = new QPlainTextEdit(this);
    decoded->setObjectName(QStringLiteral("TextDecoded"));
    decoded->setReadOnly(true);
    decoded->setLineWrapMode(QPlainTextEdit::NoWrap);
    decoded->setFont(fixed);
    decoded->setMinimumHeight(kDecodedHeight);
    layout->addWidget(decoded, 1);

    timer = new QTimer(this);
    timer->setInterval(kRefreshMs);
    connect(timer, &QTimer::timeout, this, [this] { Tick(); });
    // The button names what it does next; the form renames it when a recording starts or ends.
    const int observer = form.ButtonRecord.Observe(
        [this] { record->setText(ToQString(form.ButtonRecord.Caption())); });
    const int shown = form.Observe([this] { FollowShown(); });
    connect(this, &QObject::destroyed, [&f = form, observer, shown] {
        f.ButtonRecord.Unobserve(observer);
        f.Unobserve(shown);
    });
    Redraw();
    Bind();
    FollowShown();
}

void MonitorWindow::FollowShown() {
    const bool run = form.Visible() && !form.Minimized();
    if (run && !timer->isActive()) {
        timer->start();
    } else if (!run && timer->isActive()) {
        timer->stop();
    }
}

void MonitorWindow::Tick() {
    Guarded([this] { form.Refresh(); });
    Redraw();
}

void MonitorWindow::Redraw() {
    const QColor base = palette().color(QPalette::Base);
    const QColor hot = palette().color(QPalette::Highlight);
    for (int reg = 0; reg < TFormMonitor::kRegisterCount; ++reg) {
        QTableWidgetItem* item = grid->item(reg / kColumns, reg % kColumns);
        const QString text = QStringLiteral("%1").arg(form.Value(reg), 2, 16, QLatin1Char('0'));
        if (item->text() != text.toUpper()) {
            item->setText(text.toUpper());
        }
        const double mix = form.Highlight(reg);
        const QColor shade = QColor::fromRgbF(
            static_cast<float>(base.redF() + (hot.redF() - base.redF()) * mix),
            static_cast<float>(base.greenF() + (hot.greenF() - base.greenF()) * mix),
            static_cast<float>(base.blueF() + (hot.blueF() - base.blueF()) * mix));
        if (item->background().color() != shade) {
            item->setBackground(shade);
        }
    }
    QString text;
    for (int channel = 0; channel < TFormMonitor::kChannelCount; ++channel) {
        text += ToQString(form.ChannelText(channel)) + QLatin1Char('\n');
    }
    text += QLatin1Char('\n');
    for (int op = 0; op < TFormMonitor::kOperatorCount; ++op) {
        text += ToQString(form.OperatorText(op)) + QLatin1Char('\n');
    }
    if (decoded->toPlainText() != text) {
        const int scroll = decoded->verticalScrollBar()->value();
        decoded->setPlainText(text);
        decoded->verticalScrollBar()->setValue(scroll);
    }
}

} // namespace vorpline

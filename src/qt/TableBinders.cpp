#include "qt/TableBinders.h"

#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include "controls/ReportList.h"
#include "controls/ValueListGrid.h"
#include "qt/Binders.h"
#include "qt/Guarded.h"
#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

// About one display frame: the log redraws at most this often.
constexpr int kRedrawMs = 30;
const QColor kMarkedColour(255, 214, 120);

// Hands presses and releases on the grid's cells to the control. It sees them before the
// grid does, so the control hears of the press first, as a form's MouseDown handler would.
class GridMouse : public QObject {
public:
    GridMouse(QTableWidget* grid, ValueListGrid& control)
        : QObject(grid), grid(grid), control(control) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            const int row = grid->rowAt(at.y());
            const int column = grid->columnAt(at.x());
            Guarded(
                [&] { control.UserMouseDown(row, column, mouse->button() == Qt::RightButton); });
        } else if (event->type() == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Guarded([&] { control.UserClick(); });
        }
        return false;
    }

private:
    QTableWidget* grid;
    ValueListGrid& control;
};

QTableWidgetItem* Cell(QTableWidget* widget, int row, int column, bool editable) {
    QTableWidgetItem* item = widget->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (editable) {
            flags |= Qt::ItemIsEditable;
        }
        item->setFlags(flags);
        widget->setItem(row, column, item);
    }
    return item;
}

} // namespace

void BindValueListGrid(QTableWidget* widget, ValueListGrid& control) {
    widget->setObjectName(ToQString(control.Name()));
    widget->setColumnCount(2);
    widget->setSelectionBehavior(QAbstractItemView::SelectRows);
    widget->setSelectionMode(QAbstractItemView::SingleSelection);
    widget->verticalHeader()->hide();
    widget->horizontalHeader()->setStretchLastSection(true);
    widget->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    ObserveWhileAlive(widget, control, [widget, &control] {
        const QSignalBlocker block(widget);
        widget->setEnabled(control.Enabled());
        widget->setRowCount(control.RowCount());
        for (int row = 0; row < control.RowCount(); ++row) {
            const bool marked = row == control.MarkedRow();
            for (int column = 0; column < 2; ++column) {
                QTableWidgetItem* item = Cell(widget, row, column, column == 1);
                const std::string& text =
                    column == 0 ? control.Keys()[static_cast<size_t>(row)] : control.Value(row);
                if (item->text() != ToQString(text)) {
                    item->setText(ToQString(text));
                }
                item->setBackground(marked ? QBrush(kMarkedColour) : QBrush());
                QFont font = item->font();
                font.setBold(marked);
                item->setFont(font);
            }
        }
        if (control.Row() >= 0 && widget->currentRow() != control.Row()) {
            widget->setCurrentCell(control.Row(), 0);
        }
    });
    widget->viewport()->installEventFilter(new GridMouse(widget, control));
    QObject::connect(
        widget, &QTableWidget::cellChanged, widget, [widget, &control](int row, int column) {
            if (column == 1) {
                Guarded([&] { control.UserEdit(row, ToStdString(widget->item(row, 1)->text())); });
            }
        });
    QObject::connect(widget, &QTableWidget::currentCellChanged, widget,
                     [&control](int row) { control.SetRow(row); });
}

void BindReportList(QTreeWidget* widget, ReportList& control, unsigned rightAligned) {
    widget->setObjectName(ToQString(control.Name()));
    widget->setRootIsDecorated(false);
    widget->setSelectionMode(QAbstractItemView::NoSelection);
    QStringList titles;
    for (const std::string& title : control.Columns()) {
        titles << ToQString(title);
    }
    widget->setHeaderLabels(titles);
    auto draw = [widget, &control, rightAligned] {
        widget->setEnabled(control.Enabled());
        widget->clear();
        QList<QTreeWidgetItem*> items;
        for (const ReportList::Row& row : control.Rows()) {
            auto* item = new QTreeWidgetItem;
            for (size_t column = 0; column < row.size(); ++column) {
                const int c = static_cast<int>(column);
                item->setText(c, ToQString(row[column]));
                if (rightAligned & (1u << column)) {
                    item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
                }
            }
            items << item;
        }
        widget->addTopLevelItems(items);
    };
    draw();
    // One redraw per burst: the first change schedules it, the rest find it pending.
    auto* pending = new QTimer(widget);
    pending->setSingleShot(true);
    pending->setInterval(kRedrawMs);
    QObject::connect(pending, &QTimer::timeout, widget, draw);
    const int id = control.Observe([pending] {
        if (!pending->isActive()) {
            pending->start();
        }
    });
    QObject::connect(widget, &QObject::destroyed, [&control, id] { control.Unobserve(id); });
}

} // namespace vorpline

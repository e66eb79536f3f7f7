#include "qt/Binders.h"
#include "qt/Guarded.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStringList>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Edit.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "controls/ListBox.h"
#include "controls/RadioGroup.h"
#include "controls/TrackBar.h"

namespace vorpline {

namespace {

// Runs a function on the events of one object; dies with that object.
class EventHook : public QObject {
public:
    EventHook(QObject* target, std::function<bool(QEvent*)> hook)
        : QObject(target), hook(std::move(hook)) {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override { return hook(event); }

private:
    std::function<bool(QEvent*)> hook;
};

void NameAfter(QObject* object, const Control& control) {
    if (object->objectName().isEmpty()) {
        object->setObjectName(ToQString(control.Name()));
    }
}

// Brings the widget up to date now and after every change of the control, until the widget
// goes.
void Follow(QObject* widget, Control& control, const std::function<void()>& sync) {
    NameAfter(widget, control);
    sync();
    const int id = control.Observe(sync);
    QObject::connect(widget, &QObject::destroyed, [&control, id] { control.Unobserve(id); });
}

QStringList ToQStringList(const std::vector<std::string>& items) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& item : items) {
        list.append(ToQString(item));
    }
    return list;
}

// Rebuilding a list while the user works in it would reset the view, so it is done only when
// the items really differ.
bool SameItems(const QComboBox* widget, const std::vector<std::string>& items) {
    if (widget->count() != static_cast<int>(items.size())) {
        return false;
    }
    for (int i = 0; i < widget->count(); ++i) {
        if (widget->itemText(i) != ToQString(items[static_cast<size_t>(i)])) {
            return false;
        }
    }
    return true;
}

bool SameItems(const QListWidget* widget, const std::vector<std::string>& items) {
    if (widget->count() != static_cast<int>(items.size())) {
        return false;
    }
    for (int i = 0; i < widget->count(); ++i) {
        if (widget->item(i)->text() != ToQString(items[static_cast<size_t>(i)])) {
            return false;
        }
    }
    return true;
}

void SyncComboBox(QComboBox* widget, const ComboBox& control) {
    const QSignalBlocker block(widget);
    QLineEdit* line = widget->lineEdit();
    const int cursor = line ? line->cursorPosition() : 0;
    const QString typedBefore = line ? line->text() : QString();

    widget->setEnabled(control.Enabled());
    widget->setMaxVisibleItems(control.DropDownCount());
    if (!SameItems(widget, control.Items())) {
        widget->clear();
        widget->addItems(ToQStringList(control.Items()));
    }
    if (widget->currentIndex() != control.ItemIndex()) {
        widget->setCurrentIndex(control.ItemIndex());
    }
    if (line) {
        const QString text = ToQString(control.Text());
        if (line->text() != text) {
            line->setText(text);
        }
        // Selecting the matching item rewrites the line; the caret stays where the user typed.
        if (line->text() == typedBefore) {
            line->setCursorPosition(cursor);
        }
    }
}

int KeyCode(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ? '\r' : event->key();
}

void SetCheckedQuietly(QAbstractButton* button, bool on) {
    if (button->isChecked() == on) {
        return;
    }
    // An exclusive button refuses to be unchecked, and a selection of none must uncheck all.
    QButtonGroup* group = button->group();
    const bool groupExclusive = group && group->exclusive();
    const bool autoExclusive = button->autoExclusive();
    if (groupExclusive) {
        group->setExclusive(false);
    }
    button->setAutoExclusive(false);
    button->setChecked(on);
    button->setAutoExclusive(autoExclusive);
    if (groupExclusive) {
        group->setExclusive(true);
    }
}

} // namespace

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

std::string ToStdString(const QString& text) {
    return text.toStdString();
}

void BindEnabled(QWidget* widget, Control& control) {
    Follow(widget, control, [widget, &control] { widget->setEnabled(control.Enabled()); });
}

void BindComboBox(QComboBox* widget, ComboBox& control) {
    // Editability is fixed for a control's life, so the line edit exists before it is wired.
    widget->setEditable(control.Editable());
    if (control.Editable()) {
        // A typed text is the control's text as it stands, never a new item or a completion.
        widget->setInsertPolicy(QComboBox::NoInsert);
        widget->setCompleter(nullptr);
    }
    auto sync = [widget, &control] { SyncComboBox(widget, control); };
    Follow(widget, control, sync);
    QObject::connect(widget, &QComboBox::activated, widget, [&control, sync](int index) {
        Guarded([&] { control.UserSelect(index); });
        sync();
    });
    if (QLineEdit* line = widget->lineEdit()) {
        QObject::connect(line, &QLineEdit::textEdited, widget, [&control, sync](const QString& t) {
            Guarded([&] { control.UserType(ToStdString(t)); });
            sync();
        });
    }
    new EventHook(widget, [&control](QEvent* event) {
        if (event->type() == QEvent::KeyRelease) {
            Guarded([&] { control.UserKeyUp(KeyCode(static_cast<QKeyEvent*>(event))); });
        }
        return false;
    });
}

void BindCheckBox(QAbstractButton* widget, CheckBox& control) {
    widget->setCheckable(true);
    widget->setText(ToQString(control.Caption()));
    auto sync = [widget, &control] {
        const QSignalBlocker block(widget);
        widget->setEnabled(control.Enabled());
        widget->setChecked(control.Checked());
    };
    Follow(widget, control, sync);
    QObject::connect(widget, &QAbstractButton::clicked, widget, [&control, sync](bool checked) {
        Guarded([&] { control.SetChecked(checked); });
        sync();
    });
}

void BindEdit(QLineEdit* widget, Edit& control) {
    auto sync = [widget, &control] {
        const QSignalBlocker block(widget);
        widget->setEnabled(control.Enabled());
        const QString text = ToQString(control.Text());
        if (widget->text() != text) {
            widget->setText(text);
        }
    };
    Follow(widget, control, sync);
    QObject::connect(widget, &QLineEdit::textEdited, widget, [&control, sync](const QString& t) {
        Guarded([&] { control.SetText(ToStdString(t)); });
        sync();
    });
    // Enter and Return arrive as '\r', as in the combo boxes; a field takes its value then.
    QObject::connect(widget, &QLineEdit::returnPressed, widget, [&control, sync] {
        Guarded([&] { control.UserKeyUp('\r'); });
        sync();
    });
}

std::vector<QRadioButton*> BindRadioGroup(QGroupBox* box, RadioGroup& control, int columns) {
    box->setTitle(ToQString(control.Caption()));
    const int count = static_cast<int>(control.Items().size());
    const int perColumn = columns > 1 ? (count + columns - 1) / columns : count;
    auto* grid = new QGridLayout(box);
    std::vector<QRadioButton*> radios;
    std::vector<QAbstractButton*> buttons;
    for (int i = 0; i < count; ++i) {
        auto* radio = new QRadioButton(ToQString(control.Items()[static_cast<size_t>(i)]), box);
        radio->setObjectName(ToQString(control.Name() + "Item" + std::to_string(i)));
        grid->addWidget(radio, i % perColumn, i / perColumn);
        radios.push_back(radio);
        buttons.push_back(radio);
    }
    BindEnabled(box, control);
    BindRadioButtons(buttons, control);
    return radios;
}

void BindRadioButtons(const std::vector<QAbstractButton*>& buttons, RadioGroup& control) {
    const size_t count = std::min(buttons.size(), control.Items().size());
    if (count == 0) {
        return;
    }
    // A button may go before its siblings; the survivors still follow the control.
    auto guarded = std::make_shared<std::vector<QPointer<QAbstractButton>>>();
    for (size_t i = 0; i < count; ++i) {
        buttons[i]->setCheckable(true);
        guarded->emplace_back(buttons[i]);
    }
    auto sync = [guarded, &control] {
        for (size_t i = 0; i < guarded->size(); ++i) {
            QAbstractButton* button = (*guarded)[i];
            if (!button) {
                continue;
            }
            const QSignalBlocker block(button);
            button->setEnabled(control.Enabled());
            SetCheckedQuietly(button, static_cast<int>(i) == control.ItemIndex());
        }
    };
    sync();
    const int id = control.Observe(sync);
    // The binding ends with the last of its buttons.
    auto alive = std::make_shared<size_t>(count);
    for (size_t i = 0; i < count; ++i) {
        QAbstractButton* button = buttons[i];
        QObject::connect(button, &QObject::destroyed, [&control, id, alive] {
            if (--*alive == 0) {
                control.Unobserve(id);
            }
        });
        QObject::connect(button, &QAbstractButton::clicked, button, [&control, sync, i] {
            Guarded([&] { control.SetItemIndex(static_cast<int>(i)); });
            sync();
        });
    }
}

void BindButton(QAbstractButton* widget, Button& control) {
    if (!control.Caption().empty()) {
        widget->setText(ToQString(control.Caption()));
    }
    widget->setToolTip(ToQString(control.Hint()));
    Follow(widget, control, [widget, &control] { widget->setEnabled(control.Enabled()); });
    QObject::connect(widget, &QAbstractButton::clicked, widget,
                     [&control] { Guarded([&] { control.Click(); }); });
}

void BindAction(QAction* action, Button& control) {
    action->setText(ToQString(control.Caption()));
    action->setToolTip(ToQString(control.Hint()));
    Follow(action, control, [action, &control] { action->setEnabled(control.Enabled()); });
    QObject::connect(action, &QAction::triggered, action,
                     [&control] { Guarded([&] { control.Click(); }); });
}

void BindTrackBar(QAbstractSlider* widget, TrackBar& control) {
    auto sync = [widget, &control] {
        const QSignalBlocker block(widget);
        widget->setEnabled(control.Enabled());
        widget->setRange(control.Min(), control.Max());
        widget->setSingleStep(control.LineSize());
        widget->setPageStep(control.PageSize());
        if (auto* slider = qobject_cast<QSlider*>(widget)) {
            slider->setTickInterval(control.TickFrequency());
        }
        widget->setValue(control.Position());
    };
    Follow(widget, control, sync);
    QObject::connect(widget, &QAbstractSlider::valueChanged, widget, [&control, sync](int value) {
        Guarded([&] { control.SetPosition(value); });
        sync();
    });
}

void BindLabel(QLabel* widget, Label& control) {
    Follow(widget, control, [widget, &control] {
        widget->setEnabled(control.Enabled());
        widget->setText(ToQString(control.Caption()));
        widget->setToolTip(ToQString(control.Hint()));
        if (control.Clickable()) {
            widget->setCursor(Qt::PointingHandCursor);
        } else {
            widget->unsetCursor();
        }
    });
    new EventHook(widget, [&control](QEvent* event) {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Guarded([&] { control.Click(); });
        }
        return false;
    });
}

void BindGroupBox(QGroupBox* box, Label& control) {
    Follow(box, control, [box, &control] {
        box->setEnabled(control.Enabled());
        box->setTitle(ToQString(control.Caption()));
        box->setToolTip(ToQString(control.Hint()));
    });
}

void BindListBox(QListWidget* widget, ListBox& control) {
    auto sync = [widget, &control] {
        const QSignalBlocker block(widget);
        widget->setEnabled(control.Enabled());
        if (!SameItems(widget, control.Items())) {
            widget->clear();
            widget->addItems(ToQStringList(control.Items()));
        }
        if (widget->currentRow() != control.ItemIndex()) {
            widget->setCurrentRow(control.ItemIndex());
        }
    };
    Follow(widget, control, sync);
    QObject::connect(widget, &QListWidget::currentRowChanged, widget, [&control, sync](int row) {
        if (row >= 0) {
            Guarded([&] { control.UserClick(row); });
        }
        sync();
    });
    QObject::connect(widget, &QListWidget::itemDoubleClicked, widget,
                     [&control](QListWidgetItem*) { Guarded([&] { control.UserDblClick(); }); });
    new EventHook(widget, [&control](QEvent* event) {
        if (event->type() == QEvent::KeyRelease) {
            Guarded([&] { control.UserKeyUp(KeyCode(static_cast<QKeyEvent*>(event))); });
        } else if (event->type() == QEvent::FocusIn) {
            Guarded([&] { control.UserEnter(); });
        }
        return false;
    });
}

void BindCaption(QWidget* window, Form& form) {
    Follow(window, form, [window, &form] { window->setWindowTitle(ToQString(form.Caption())); });
}

void BindWindow(QWidget* window, Form& form) {
    auto raised = std::make_shared<int>(form.RaiseCount());
    Follow(window, form, [window, &form, raised] {
        window->setWindowTitle(ToQString(form.Caption()));
        if (!form.Visible()) {
            if (window->isVisible()) {
                window->hide();
            }
            return;
        }
        if (form.Minimized()) {
            if (!window->isMinimized()) {
                window->showMinimized();
            }
        } else if (!window->isVisible() || window->isMinimized()) {
            window->showNormal();
        }
        if (*raised != form.RaiseCount()) {
            *raised = form.RaiseCount();
            window->raise();
            window->activateWindow();
        }
    });
    new EventHook(window, [&form](QEvent* event) {
        if (event->type() == QEvent::Close && form.Visible()) {
            form.Hide();
        }
        return false;
    });
}

void BindDialog(QDialog* dialog, Form& form, std::function<void()> onDismiss) {
    Follow(dialog, form, [dialog, &form] {
        dialog->setWindowTitle(ToQString(form.Caption()));
        if (!form.Visible() && dialog->isVisible()) {
            dialog->done(QDialog::Accepted);
        }
    });
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [&form, dismiss = std::move(onDismiss)](int /*result*/) {
                         if (form.Visible() && dismiss) {
                             Guarded(dismiss);
                         }
                     });
}

QString ToQtFileFilter(const std::string& filter) {
    const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries.append(parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace vorpline

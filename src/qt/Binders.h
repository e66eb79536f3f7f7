#pragma once
#include <functional>
#include <string>
#include <vector>

#include <QString>

class QAbstractButton;
class QAbstractSlider;
class QAction;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QWidget;

namespace vorpline {

class Button;
class CheckBox;
class ComboBox;
class Control;
class Edit;
class Form;
class Label;
class ListBox;
class RadioGroup;
class TrackBar;

// Binders tie a Qt widget to its headless control, both ways:
//
// - The widget takes the control's whole state at once (enabled state, items, selection, text,
//   caption, hint) and again after every change the control reports, whether the change came
//   from code or from the user. While the widget is brought up to date its signals are blocked,
//   so an update from the model never comes back as a user action.
// - A user action on the widget calls the control's user-side method (UserSelect, UserType,
//   SetChecked, Click, ...), which runs the form's handler. Afterwards the widget is synced
//   again, so a handler that refuses or corrects the change is shown as the model has it.
//
// A widget without an object name is named after its control (`ComboBoxSRate`), so tests and
// style sheets find it by the name the form uses.
//
// The binding ends when the widget is destroyed. The control must outlive the widget (forms
// outlive their views). Main thread only.

QString ToQString(const std::string& text);
std::string ToStdString(const QString& text);

// Enabled state only: for group boxes and panels whose children are bound one by one.
void BindEnabled(QWidget* widget, Control& control);

// Items, selection, editability, the typed text of an editable box and the drop-down row
// count. The user's pick runs UserSelect, typing runs UserType, a released key UserKeyUp
// (Enter and Return arrive as '\r').
void BindComboBox(QComboBox* widget, ComboBox& control);

// Tick and caption; the user's click runs SetChecked (and with it onClick).
void BindCheckBox(QAbstractButton* widget, CheckBox& control);

// Text; the user's typing runs SetText (and with it onChange) after every keystroke, Enter or
// Return UserKeyUp('\r').
void BindEdit(QLineEdit* widget, Edit& control);

// Fills `box` with one radio button per item, laid out in `columns` columns filled top to bottom,
// titles the box with the caption and binds box and buttons. The buttons are named after the
// control and their index (`RadioGroupTypeItem8`). Returns them in item order.
std::vector<QRadioButton*> BindRadioGroup(QGroupBox* box, RadioGroup& control, int columns = 1);
// Binds buttons the caller laid out, one per item in item order. Buttons beyond the items are
// left alone; a selection of none (-1) unchecks them all.
void BindRadioButtons(const std::vector<QAbstractButton*>& buttons, RadioGroup& control);

// Caption (when the control has one; tool buttons may carry an icon instead), hint as tool tip;
// a click runs Click.
void BindButton(QAbstractButton* widget, Button& control);
// The same for a menu or tool-bar entry.
void BindAction(QAction* action, Button& control);

// Range, line and page steps, tick interval and position; moving it runs SetPosition.
void BindTrackBar(QAbstractSlider* widget, TrackBar& control);

// Caption and hint. A label with a click handler gets a pointing-hand cursor and runs Click on
// a left-button release.
void BindLabel(QLabel* widget, Label& control);

// A group box's title from a label's caption, and the enabled state.
void BindGroupBox(QGroupBox* box, Label& control);

// Items and selected row; a selection by the user (mouse or keys) runs UserClick, a double
// click UserDblClick, a released key UserKeyUp (Enter and Return as '\r'), the focus arriving
// UserEnter.
void BindListBox(QListWidget* widget, ListBox& control);

// Window title from the form's caption.
void BindCaption(QWidget* window, Form& form);
// A modeless window: caption, shown, hidden, minimised and raised as the form says; closing it
// by the window manager hides the form.
void BindWindow(QWidget* window, Form& form);
// A modal dialog run with exec(): caption; the form's Hide (its OK or Cancel handler) ends the
// dialog. When the dialog ends while the form is still shown (Escape, the window manager's
// close), `onDismiss` runs, typically the form's Cancel handler. exec()'s return value carries
// nothing; the form holds the outcome.
void BindDialog(QDialog* dialog, Form& form, std::function<void()> onDismiss);

// "Wave files|*.wav|All files|*.*" (description|patterns pairs, patterns separated by ';')
// as a Qt file dialog filter: "Wave files (*.wav);;All files (*.*)".
QString ToQtFileFilter(const std::string& filter);

} // namespace vorpline

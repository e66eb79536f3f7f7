#pragma once
#include <functional>

#include <Qt>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QObject;
class QSlider;
class QString;
class QWidget;

namespace vorpline {

class Button;
class CheckBox;
class ComboBox;
class Control;
class Edit;
class Label;
class Picture;
class RadioGroup;
class TrackBar;

// Widgets made and bound to their control in one step, sized for a compact instrument panel.
// Main thread only.

QComboBox* MakeComboBox(QWidget* parent, ComboBox& control);
QWidget* MakeCheckBox(QWidget* parent, CheckBox& control);
QSlider* MakeSlider(QWidget* parent, TrackBar& control, Qt::Orientation orientation);
QLabel* MakeLabel(QWidget* parent, Label& control);
QLineEdit* MakeEdit(QWidget* parent, Edit& control);
// A group box titled by a label control's caption.
QGroupBox* MakeGroupBox(QWidget* parent, Label& control);
// A group box filled with one radio button per choice.
QGroupBox* MakeRadioGroup(QWidget* parent, RadioGroup& control);
QWidget* MakeButton(QWidget* parent, Button& control);
// A button only as wide as its caption, for rows of short commands ("Save", "Key.", "DSP").
QWidget* MakeCompactButton(QWidget* parent, Button& control);
// A fixed text of the panel (a field's caption).
QLabel* MakeCaption(QWidget* parent, const QString& text);
// A group box with a title and tight margins, laid out as a grid.
QGroupBox* MakeGroup(QWidget* parent, const QString& title, QGridLayout*& grid);
// Adds "caption  widget" as one row of a two-column grid at (row, column pair).
void AddField(QGridLayout* grid, int row, int pair, QLabel* caption, QWidget* field);

// A vertical slider at least `minHeight` pixels tall, with its value above and `caption` below
// (the envelope columns of the operator frames).
QWidget* SliderColumn(QWidget* parent, TrackBar& control, const QString& caption, int minHeight);

// A track bar's position as a number, for the envelope sliders whose tick marks do not say it.
QLabel* MakeValueReadout(QWidget* parent, TrackBar& control);

// Runs `sync` now and after every change of `control`, as long as `owner` lives.
void ObserveWhileAlive(QObject* owner, Control& control, std::function<void()> sync);

// Shows the picture's bytes, decoded; bytes that do not decode leave the old picture up.
void BindPicture(QLabel* widget, Picture& control);

} // namespace vorpline

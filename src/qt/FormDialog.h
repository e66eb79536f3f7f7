#pragma once
#include <functional>

#include <QBoxLayout>
#include <QDialog>

class QBoxLayout;
class QPushButton;

namespace vorpline {

class Button;
class Form;

// What every modal dialog of a form shares: a fixed-size dialog with a title bar and a close
// button, named after its form and titled by its caption, which ends when the form hides (its
// OK or Cancel handler). Subclasses lay out their widgets in Layout(), then call Bind.
// Main thread only; the form must outlive the dialog.
class FormDialog : public QDialog {
protected:
    // `direction`: how the dialog's own layout stacks its parts.
    FormDialog(Form& form, QWidget* parent, QBoxLayout::Direction direction);

    QBoxLayout* Layout() const { return layout; }
    // The button that answers Enter and has the focus when the dialog opens (OK).
    QPushButton* MakeDefaultButton(Button& control);
    // `onDismiss` runs when Escape or the window manager ends the dialog while the form is still
    // shown (usually the form's Cancel).
    void Bind(std::function<void()> onDismiss);

private:
    Form& form;
    QBoxLayout* layout;
};

} // namespace vorpline

#pragma once
#include <QBoxLayout>
#include <QWidget>

namespace vorpline {

class Form;

// What every tool window's view shares: a modeless tool window over the synth panel, named
// after its form, titled, shown, hidden and raised as the form says (its module button toggles
// it); closing it by the window manager only hides it. Subclasses build their widgets and then
// call Bind. Main thread only; the form must outlive the view.
class ToolWindowView : public QWidget {
protected:
    ToolWindowView(Form& form, QWidget* parent);
    // Follows the form from now on (a form that is already shown shows the window).
    void Bind();
    // The window's own layout with the tool windows' margins and spacing.
    QBoxLayout* MakeLayout(QBoxLayout::Direction direction);

private:
    Form& form;
};

} // namespace vorpline

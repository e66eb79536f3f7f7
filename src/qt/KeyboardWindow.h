#pragma once
#include <QWidget>

class QKeyEvent;

namespace vorpline {

class TFormKBD;

// The keyboard window: one piano octave C4..C5 with its scale below, and the preset buttons
// beside it. A key sounds while the mouse holds it down; the computer keyboard plays the same
// notes while the window has the focus, the system's repeats of a held key included. A
// fixed-size modeless tool window that shows and hides as the form says; closing it only hides
// it. The keys never take the focus, so the window keeps the computer keyboard.
// Main thread only; the form must outlive the window.
class KeyboardWindow : public QWidget {
public:
    explicit KeyboardWindow(TFormKBD& form, QWidget* parent = nullptr);

    // Qt's key code as the form's: letters and other characters as their code, the arrows as
    // the form's arrow codes; -1 for keys the form has no use for.
    static int FormKey(int qtKey);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Held notes end when the window loses the keyboard or is hidden.
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* MakeKeys();
    QWidget* MakePresetGroup();

    TFormKBD& form;
};

} // namespace vorpline

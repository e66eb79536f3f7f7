#pragma once
#include <array>
#include <functional>

#include <QWidget>

class QCloseEvent;
class QShowEvent;

namespace vorpline {

class OperatorFrameView;
class TFormMain;
struct PartPanel;

// The synthesizer panel's window. From top to bottom: input, preset, output and module panels;
// part "1234", the algorithm with its schematic, part "56"; the six operators in three columns
// of two (1 and 2 left, 3 and 4 middle, 5 and 6 right). Every widget is bound both ways to its
// control in TFormMain; the window's title follows the form's caption.
// Main thread only; the form must outlive the view.
class MainWindowView : public QWidget {
public:
    explicit MainWindowView(TFormMain& form, QWidget* parent = nullptr);

    // Operator 0..5.
    OperatorFrameView* Frame(int op) const { return frames.at(static_cast<size_t>(op)); }

    // Runs when the user closes the window, before it goes: the program's shutdown.
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* MakeInputPanel();
    QWidget* MakePresetPanel();
    QWidget* MakeOutputPanel();
    QWidget* MakeModulesPanel();
    QWidget* MakePartPanel(const PartPanel& panel);
    QWidget* MakeCenterPanel();

    TFormMain& form;
    std::array<OperatorFrameView*, 6> frames{};
    bool centred = false;
};

} // namespace vorpline

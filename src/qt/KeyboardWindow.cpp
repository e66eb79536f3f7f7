#include "qt/KeyboardWindow.h"

#include <array>
#include <utility>

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "presets/TFormKBD.h"
#include "qt/Binders.h"
#include "qt/Guarded.h"
#include "qt/PanelWidgets.h"

namespace vorpline {

namespace {

constexpr int kMargin = 6;
constexpr int kSpacing = 6;
// Key sizes in pixels: a black key is about 60 % as wide and as long as a white one.
constexpr int kWhiteWidth = 26;
constexpr int kWhiteHeight = 100;
constexpr int kBlackWidth = 16;
constexpr int kBlackHeight = 62;
constexpr int kScaleHeight = 16;
constexpr int kWhiteKeys = 8;

// Per key of the octave from C: whether it is black.
constexpr std::array<bool, TFormKBD::kKeyCount> kBlack = {
    false, true, false, true, false, false, true, false, true, false, true, false, false};
constexpr std::array<const char*, kWhiteKeys> kScale = {"C4", "D4", "E4", "F4",
                                                        "G4", "A4", "B4", "C5"};

const char* const kWhiteStyle = "QPushButton { background-color: #ffffff; border: 1px solid "
                                "#404040; } QPushButton:pressed { background-color: #b8c8e8; }";
const char* const kBlackStyle = "QPushButton { background-color: #202020; border: 1px solid "
                                "#000000; } QPushButton:pressed { background-color: #506080; }";

} // namespace

KeyboardWindow::KeyboardWindow(TFormKBD& form, QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      form(form) {
    setObjectName(ToQString(form.Name()));
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kSpacing);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(MakeKeys());
    layout->addWidget(MakePresetGroup(), 0, Qt::AlignTop);
    BindWindow(this, form);
}

QWidget* KeyboardWindow::MakeKeys() {
    // Black keys overlap the white ones, so the octave is placed by hand rather than laid out.
    auto* octave = new QWidget(this);
    octave->setFixedSize(kWhiteKeys * kWhiteWidth + 1, kWhiteHeight + kScaleHeight);
    std::array<QPushButton*, TFormKBD::kKeyCount> keys{};
    int white = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        Button& control = *form.Keys()[i];
        auto* key = new QPushButton(octave);
        key->setFocusPolicy(Qt::NoFocus);
        if (kBlack[i]) {
            key->setStyleSheet(QString::fromLatin1(kBlackStyle));
            key->setGeometry(white * kWhiteWidth - kBlackWidth / 2, 0, kBlackWidth, kBlackHeight);
        } else {
            key->setStyleSheet(QString::fromLatin1(kWhiteStyle));
            key->setGeometry(white * kWhiteWidth, 0, kWhiteWidth + 1, kWhiteHeight);
            auto* scale =
                new QLabel(QString::fromLatin1(kScale[static_cast<size_t>(white)]), octave);
            scale->setAlignment(Qt::AlignCenter);
            scale->setGeometry(white * kWhiteWidth, kWhiteHeight, kWhiteWidth, kScaleHeight);
            ++white;
        }
        BindEnabled(key, control);
        // Qt reports a release also when the pointer leaves a held key (and a press when it
        // comes back), so a note never outlives the button's pressed look.
        connect(key, &QPushButton::pressed, key,
                [this, &control] { Guarded([&] { form.SpeedButtonC4MouseDown(control.Tag()); }); });
        connect(key, &QPushButton::released, key,
                [this, &control] { Guarded([&] { form.SpeedButtonC4MouseUp(control.Tag()); }); });
        keys[i] = key;
    }
    for (size_t i = 0; i < keys.size(); ++i) {
        if (kBlack[i]) {
            keys[i]->raise();
        }
    }
    return octave;
}

QWidget* KeyboardWindow::MakePresetGroup() {
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kSpacing);
    column->addWidget(MakeLabel(panel, form.LabelPreset), 0, Qt::AlignHCenter);
    for (auto [control, arrow] : {std::pair{&form.SpeedButtonUp, Qt::UpArrow},
                                  std::pair{&form.SpeedButtonDown, Qt::DownArrow}}) {
        auto* button = new QToolButton(panel);
        button->setArrowType(arrow);
        button->setFocusPolicy(Qt::NoFocus);
        BindButton(button, *control);
        column->addWidget(button, 0, Qt::AlignHCenter);
    }
    return panel;
}

int KeyboardWindow::FormKey(int qtKey) {
    constexpr int kLastCharacter = 0xFF;
    if (qtKey == Qt::Key_Up) {
        return TFormKBD::kKeyUp;
    }
    if (qtKey == Qt::Key_Down) {
        return TFormKBD::kKeyDown;
    }
    return qtKey >= Qt::Key_Space && qtKey <= kLastCharacter ? qtKey : -1;
}

void KeyboardWindow::keyPressEvent(QKeyEvent* event) {
    const int key = FormKey(event->key());
    if (key < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    Guarded([&] { form.FormKeyDown(key); });
}

void KeyboardWindow::keyReleaseEvent(QKeyEvent* event) {
    const int key = FormKey(event->key());
    if (key < 0) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    // Some systems pair every repeated press with a release; the key is still down then.
    if (!event->isAutoRepeat()) {
        Guarded([&] { form.FormKeyUp(key); });
    }
}

void KeyboardWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        Guarded([&] { form.ReleaseHeldKeys(); });
    }
    QWidget::changeEvent(event);
}

void KeyboardWindow::hideEvent(QHideEvent* event) {
    Guarded([&] { form.ReleaseHeldKeys(); });
    QWidget::hideEvent(event);
}

} // namespace vorpline

#include "qt/Guarded.h"

#include <cstdio>
#include <exception>

#include <QApplication>
#include <QMessageBox>

namespace vorpline {

void ShowError(const QString& text, QWidget* parent) {
    // Also on the terminal: a player who started the program there sees what went wrong after
    // the box is gone, and unattended runs (the soak bench) can tell that one appeared.
    std::fprintf(stderr, "%s: %s\n", qPrintable(QApplication::applicationName()), qPrintable(text));
    QMessageBox::critical(parent != nullptr ? parent : QApplication::activeWindow(),
                          QApplication::applicationDisplayName(), text);
}

void Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unknown exception"));
    }
}

} // namespace vorpline

#include "qt/Guarded.h"

#include <exception>

#include <QApplication>
#include <QMessageBox>

namespace vorpline {

namespace {

void Show(const QString& text) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          text);
}

} // namespace

void Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        Show(QString::fromStdString(e.what()));
    } catch (...) {
        Show(QStringLiteral("Unknown exception"));
    }
}

} // namespace vorpline

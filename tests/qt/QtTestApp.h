#pragma once
#include <QApplication>
#include <QByteArray>

namespace vorpline::test {

// The one QApplication of the Qt test program, made on first use. Every Qt test calls this
// before making a widget; a second application object would abort the program. Without a
// display the tests run on the offscreen platform.
inline QApplication& QtTestApp() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return *existing;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    static int argc = 1;
    static char name[] = "vorpline_qt_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own statics go first, and destroying the application after
    // them crashes. The process ends anyway.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace vorpline::test

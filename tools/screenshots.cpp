// Takes pictures of what a user sees: the configuration dialog and the synth panel, as the
// program builds them, started the way the program starts. Run by scripts/screenshots.sh under
// a virtual X server with an audio server on its dummy backend.
//
//   vorpline-screenshots OUTDIR
#include <cstdio>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QDialog>
#include <QPixmap>
#include <QTimer>

#include "app/Session.h"
#include "audio/RtAudioBackend.h"
#include "config/TFormPort.h"
#include "platform/RealTimerService.h"
#include "qt/InfoDialog.h"
#include "qt/MainWindowView.h"
#include "qt/PortDialog.h"

namespace {

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
    }
}

bool Save(QWidget& widget, const std::filesystem::path& file) {
    Settle();
    bool ok = widget.grab().save(QString::fromStdString(file.string()));
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", file.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vorpline-screenshots OUTDIR\n");
        return 2;
    }
    std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Vorpline 4.30");
    using namespace vorpline;

    RealTimerService timers([](TimerService::Callback work) {
        QMetaObject::invokeMethod(qApp, std::move(work), Qt::QueuedConnection);
    });
    RtAudioBackend audio;
    bool ok = true;
    Session::Services services;
    services.timers = &timers;
    services.audio = &audio;
    services.nowMs = [&timers] { return timers.NowMs(); };
    services.runPortDialog = [&](TFormPort& form) {
        PortDialog dialog(form);
        dialog.show();
        form.RadioGroupType.SetItemIndex(kIoTypeWave);
        form.ComboBoxSRate.UserSelect(form.ComboBoxSRate.IndexOf("48000"));
        form.ComboBoxBSize.UserSelect(form.ComboBoxBSize.IndexOf("512"));
        form.ComboBoxWavePort.UserSelect(1); // the audio server's first output
        ok &= Save(dialog, out / "configuration.png");
        form.ButtonOk.Click();
    };
    // The executable's folder holds the pictures; the configuration is a throwaway one.
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    Session session(exe.string(), {"screenshots-" + std::to_string(::getpid())}, services);
    QtUiService ui;
    session.Main().ui = &ui;
    try {
        session.Start();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "start-up failed: %s\n", e.what());
        return 1;
    }
    MainWindowView window(session.Main());
    window.show();
    ok &= Save(window, out / "main-window.png");
    std::printf("main window %dx%d\n", window.width(), window.height());
    session.Close();
    std::filesystem::remove(session.IniPath());
    return ok ? 0 : 1;
}

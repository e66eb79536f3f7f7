#include "desktop/GuiApplication.h"

#include <exception>
#include <memory>
#include <vector>

#include <QApplication>
#include <QMetaObject>
#include <QStyleHints>
#include <QTimer>

#include "app/Session.h"
#include "audio/RtAudioBackend.h"
#include "desktop/MainThreadPoster.h"
#include "desktop/QuitOnSignal.h"
#include "midi/RtMidiOutPortSystem.h"
#include "platform/RealTimerService.h"
#include "presets/PresetWindow.h"
#include "qt/Guarded.h"
#include "qt/InfoDialog.h"
#include "qt/MainWindowView.h"
#include "qt/PerfDialog.h"
#include "qt/PortDialog.h"
#include "qt/QtConfirmService.h"
#include "qt/ToolViews.h"

namespace vorpline {

namespace {

// How often the main loop looks after the wave output: renders the buffers the device handed
// back (window mode) and reports a failed wave file.
constexpr int kAudioServiceMs = 2;

} // namespace

int RunGui(int argc, char** argv, const std::string& executablePath,
           const std::vector<std::string>& arguments) {
    QApplication app(argc, argv);
    // The application name, not the display name: Qt appends a display name to every window
    // title, and the synth panel's caption already ends in the program's title.
    QApplication::setApplicationName(QString::fromStdString(TFormMain::kApplicationTitle));

    // Timer ticks reach the main loop as posted events.
    MainThreadPoster poster;
    RealTimerService timers(
        [&poster](TimerService::Callback work) { poster.Post(std::move(work)); });
    RtAudioBackend audio;
    Session::Services services;
    services.runPortDialog = [](TFormPort& form) { ExecPortDialog(form); };
    services.timers = &timers;
    RtMidiOutPortSystem midiOutputs;
    services.midiOutputs = &midiOutputs;
    services.audio = &audio;
    services.nowMs = [&timers] { return timers.NowMs(); };
    services.doubleClickMs =
        static_cast<uint32_t>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    auto session = std::make_unique<Session>(executablePath, arguments, services);
    QtUiService ui;
    session->Main().ui = &ui;

    try {
        session->Start();
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return 1;
    } catch (...) {
        ShowError(QStringLiteral("Unknown exception"));
        return 1;
    }

    MainWindowView window(session->Main());
    QtConfirmService confirm(&window);
    session->Presets().SetConfirmService(&confirm);
    session->Presets().openBankDialog = [&window](const FileRequest& request) {
        return ChooseOpenFile(request, &window);
    };
    // Each tool window of this run gets its view; the module buttons show and hide them.
    std::vector<std::unique_ptr<QWidget>> toolViews;
    for (const ToolRegistry::Entry& entry : session->Tools().Entries()) {
        if (PresetWindow* presets = entry.window->Presets()) {
            presets->SetConfirmService(&confirm);
        }
        if (std::unique_ptr<QWidget> view = MakeToolView(*entry.window, &window)) {
            toolViews.push_back(std::move(view));
        }
    }
    window.onClose = [&session] { Guarded([&] { session->Close(); }); };
    QTimer audioService;
    QObject::connect(&audioService, &QTimer::timeout,
                     [&session] { Guarded([&] { session->ServiceAudio(); }); });
    audioService.start(kAudioServiceMs);
    QuitOnSignal quitOnSignal([&window] {
        window.close();
        QApplication::quit();
    });
    window.show();
    return app.exec();
}

} // namespace vorpline

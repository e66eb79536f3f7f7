#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/Session.h"
#include "config/TFormPort.h"
#include "engine/OPL3.h"
#include "platform/IniFile.h"
#include "platform/VirtualTimerService.h"
#include "support/FakeAudioBackend.h"
#include "support/FakeMidiPortSystem.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

using ::testing::HasSubstr;

class SessionStart : public ::testing::Test {
protected:
    std::unique_ptr<Session> Make(std::vector<std::string> args = {}) {
        Session::Services services;
        services.timers = &timers;
        services.audio = &audio;
        services.midiPorts = &midiPorts;
        services.nowMs = [] { return 0u; };
        services.runPortDialog = [this](TFormPort& dialog) {
            ++dialogs;
            if (onDialog) {
                onDialog(dialog);
            } else {
                dialog.ButtonCancel.Click();
            }
        };
        return std::make_unique<Session>(exe, std::move(args), services);
    }
    void WriteIni(const std::string& name, const std::string& text) {
        std::ofstream(dir.File(name)) << text;
    }
    std::string StartError(Session& session) {
        try {
            session.Start();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(started)";
    }

    TempDir dir;
    std::string exe = dir.File("vorpline");
    VirtualTimerService timers;
    FakeAudioBackend audio{{"Line [2] Out", "Fake Out"}};
    FakeMidiPortSystem midiPorts;
    int dialogs = 0;
    std::function<void(TFormPort&)> onDialog;
};

TEST_F(SessionStart, CancelOnFirstStartEndsWithoutWritingAnything) {
    auto session = Make();
    EXPECT_EQ(StartError(*session), "Configuration aborted");
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("vorpline.INI")));
}

TEST_F(SessionStart, StoredWaveConfigurationSkipsTheDialogAndIsWrittenBack) {
    WriteIni("studio.ini",
             "[VORPLINE]\nIOType=8\nIOPort=Line [2] Out\nIOSRate=48000\n"
             "IOBSize=256\nIORSize=4\nOptions=384\nEmulator=fast\n; keep me\n[OTHER]\nx=1\n"
             "[LINE-(2)-OUT]\nMidi Device=Keys 20:0\n");
    auto session = Make({"studio.ini"});
    session->Start();
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(audio.startedIndex, 0) << "the device named in the file";
    EXPECT_EQ(session->Section(), "LINE-(2)-OUT");
    EXPECT_EQ(session->Main().Caption(), "FM Synth - Vorpline 4.30 (WAVE@Line [2] Out)");
    EXPECT_EQ(session->Main().ComboBoxLimit56.Count(), 4) << "drum kit option trims the modes";
    EXPECT_TRUE(session->Engine()->DrumMode());
    // The chip sounds through the device once a note plays, and not before.
    auto quiet = audio.Pull(4096);
    EXPECT_TRUE(
        std::all_of(quiet.begin(), quiet.end(), [](int16_t s) { return std::abs(s) <= 8; }));
    session->Engine()->Part(OPL3::kPart1234).NoteOn(69, 127, 0);
    auto loud = audio.Pull(4096);
    EXPECT_TRUE(std::any_of(loud.begin(), loud.end(), [](int16_t s) { return std::abs(s) > 500; }));
    session->Close();

    IniFile ini(dir.File("studio.ini"));
    EXPECT_EQ(ini.ReadString("VORPLINE", "IOType", ""), "8");
    EXPECT_EQ(ini.ReadString("VORPLINE", "Options", ""), "384");
    EXPECT_EQ(ini.ReadString("VORPLINE", "IOSRate", ""), "48000");
    EXPECT_EQ(ini.ReadString("VORPLINE", "Emulator", ""), "Fast");
    EXPECT_EQ(ini.ReadString("line-(2)-out", "Main Preset", ""), "Default");
    EXPECT_EQ(ini.ReadString("LINE-(2)-OUT", "Bank", ""), "2");
    EXPECT_EQ(ini.ReadString("LINE-(2)-OUT", "Midi Device", ""), "Keys 20:0")
        << "a keyboard unplugged today is still the one chosen";
    EXPECT_EQ(ini.ReadString("other", "X", ""), "1");
    EXPECT_THAT(TempDir::Read(dir.File("studio.ini")), HasSubstr("; keep me"));
}

TEST_F(SessionStart, TheStreamStopsBeforeTheChipAndTheDspGo) {
    // A device thread renders from the chip and the DSP chain (Options=256) until it is
    // stopped; taking either away first is a use after free (reported by the sanitizer build).
    audio.threaded = true;
    WriteIni("s.ini", "[VORPLINE]\nIOType=8\nIOPort=Fake Out\nIOSRate=48000\nOptions=256\n");
    auto session = Make({"s.ini"});
    session->Start();
    ASSERT_TRUE(session->Main().ButtonDSP.Enabled());
    session->Engine()->Part(OPL3::kPart1234).NoteOn(69, 127, 0);
    while (audio.periods < 4) {
        std::this_thread::yield();
    }
    session.reset(); // no Close: the message loop ended with an exception
    EXPECT_FALSE(audio.callback) << "the stream was stopped";
}

TEST_F(SessionStart, AStalledDeviceIsToldOnceAndNeverHangsThePanel) {
    // Thread mode: only the device's callbacks empty the register queue, and none come.
    WriteIni("t.ini", "[VORPLINE]\nIOType=8\nIOPort=Fake Out\nIOSRate=48000\n");
    auto session = Make({"t.ini"});
    session->Start();
    for (int i = 0; i < 20000; ++i) {
        auto note = static_cast<uint8_t>(60 + i % 12);
        session->Engine()->Part(OPL3::kPart1234).NoteOn(note, 100, 0);
        session->Engine()->Part(OPL3::kPart1234).NoteOff(note);
    }
    EXPECT_GT(session->Output()->DroppedWrites(), 0u);
    EXPECT_THROW(session->ServiceAudio(), std::runtime_error);
    EXPECT_NO_THROW(session->ServiceAudio()) << "said once";
    session->Close();
}

TEST_F(SessionStart, WindowModeRendersOnDoneNoticesThroughTheMainWindow) {
    WriteIni("ring.ini", "[VORPLINE]\nIOType=8\nIOPort=Fake Out\nIOSRate=48000\nIOBSize=256\n"
                         "IORSize=4\nOptions=64\n");
    auto session = Make({"ring.ini"});
    session->Start();
    session->Engine()->Part(OPL3::kPart1234).NoteOn(69, 127, 0);
    int loudest = 0;
    for (int i = 0; i < 40; ++i) {
        for (int16_t s : audio.Pull(256)) {
            loudest = std::max(loudest, std::abs(static_cast<int>(s)));
        }
        session->ServiceAudio();
    }
    EXPECT_GT(loudest, 500) << "the ring is rendered again as the device hands buffers back";
    session->Close();
}

TEST_F(SessionStart, ArgumentWithoutFileShowsTheDialogAndCreatesTheFile) {
    audio.deviceRate = 48000; // a JACK server's own rate
    std::string offered;
    onDialog = [&offered](TFormPort& dialog) {
        dialog.RadioGroupType.SetItemIndex(8);
        dialog.ComboBoxWavePort.UserSelect(dialog.ComboBoxWavePort.IndexOf("Fake Out"));
        offered = dialog.ComboBoxSRate.Text();
        dialog.ButtonOk.Click();
    };
    auto session = Make({"../elsewhere/new.cfg"});
    session->Start();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(offered, "48000") << "a first start plays at the device's rate";
    session->Close();
    EXPECT_TRUE(std::filesystem::exists(dir.File("new.INI")))
        << "beside the program, never elsewhere";
}

TEST_F(SessionStart, BadConfigurationsEndStartUpWithTheirText) {
    WriteIni("a.ini", "[VORPLINE]\nIOType=8\nIOPort=No wave output\n");
    EXPECT_EQ(StartError(*Make({"a.ini"})), "Configuration aborted");
    WriteIni("b.ini", "[VORPLINE]\nIOType=12\nIOPort=0220\n");
    EXPECT_EQ(StartError(*Make({"b.ini"})), "Configuration invalid");
    WriteIni("c.ini", "[VORPLINE]\nIOType=3\nIOPort=zz\n");
    EXPECT_EQ(StartError(*Make({"c.ini"})), "Configuration invalid");
    WriteIni("d.ini", "[VORPLINE]\nIOType=8\nIOPort=Gone Device\n");
    EXPECT_EQ(StartError(*Make({"d.ini"})), "Wave output not found");
    audio.failStart = 8;
    WriteIni("e.ini", "[VORPLINE]\nIOType=8\nIOPort=Fake Out\n");
    EXPECT_EQ(StartError(*Make({"e.ini"})), "Failed to open wave output [0008]");
    for (const char* name : {"a.ini", "b.ini", "c.ini", "d.ini", "e.ini"}) {
        IniFile ini(dir.File(name));
        EXPECT_EQ(ini.ReadString("VORPLINE", "IOPre", "unwritten"), "unwritten") << name;
    }
}

} // namespace
} // namespace vorpline::test

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "audio/WaveOut.h"
#include "config/TFormPort.h"
#include "support/FakeAudioBackend.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

const char* const kTitle = "Vorpline 4.30";
const std::vector<std::string> kWaveDevices = {"No wave output", "Line [2] Out", "Speakers"};

class FormPortTest : public ::testing::Test {
protected:
    FormPortTest() { std::filesystem::create_directories(PciRoot()); }

    std::filesystem::path PciRoot() const { return dir.path / "pci"; }

    // A PCI device folder as the kernel lists it; each I/O BAR is given by its start, the
    // other BAR lines are unassigned.
    void AddPciDevice(const std::string& address, const char* vendor, const char* device,
                      const std::vector<unsigned>& ioBars) {
        const auto folder = PciRoot() / address;
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "vendor") << vendor << "\n";
        std::ofstream(folder / "device") << device << "\n";
        std::ofstream resource(folder / "resource");
        char line[80];
        for (size_t bar = 0; bar < 7; ++bar) {
            const unsigned start = bar < ioBars.size() ? ioBars[bar] : 0;
            std::snprintf(line, sizeof line, "0x%016x 0x%016x 0x%016x\n", start,
                          start == 0 ? 0 : start + 0x3F, start == 0 ? 0 : 0x40101);
            resource << line;
        }
    }

    // Runs the dialog with `user` playing the user's part.
    void Run(PortConfig& config, const std::function<void(TFormPort&)>& user,
             const std::vector<std::string>& waveDevices = kWaveDevices) {
        form.Execute(config, waveDevices, kTitle, user);
    }

    test::TempDir dir;
    TFormPort form{dir.path, PciRoot().string()};
};

PortConfig Stored(int type, const char* port) {
    PortConfig config;
    config.ioType = type;
    config.ioPort = port;
    return config;
}

void PressOk(TFormPort& form) {
    form.ButtonOk.Click();
}

TEST_F(FormPortTest, FirstStartOffersTheDefaultsAndOkKeepsThem) {
    PortConfig config;
    Run(config, [](TFormPort& f) {
        EXPECT_TRUE(f.Visible());
        f.ButtonOk.Click();
        EXPECT_FALSE(f.Visible());
    });
    EXPECT_EQ(std::tuple(config.ioType, config.ioPort, config.ioPre, config.ioPost, config.ioKey),
              std::tuple(3, "0220", 3, 3, 15));
    EXPECT_EQ(std::tuple(config.ioSRate, config.ioBSize, config.ioRSize, config.options),
              std::tuple(11025u, 128, 8, 0u));
}

TEST_F(FormPortTest, CancelOrAClosedDialogAbortsWithAnEmptyPort) {
    PortConfig config;
    Run(config, [](TFormPort& f) { f.ButtonCancel.Click(); });
    PortConfig closed;
    Run(closed, [](TFormPort&) {});
    for (const PortConfig* c : {&config, &closed}) {
        EXPECT_EQ(c->ioType, kIoTypeAborted);
        EXPECT_EQ(c->ioPort, "");
    }
}

TEST_F(FormPortTest, AddressesAreHexadecimalAndWrittenAsFourDigits) {
    EXPECT_EQ(ParsePortAddress("22a"), 0x22A);
    EXPECT_EQ(ParsePortAddress("FFFF"), 0xFFFF);
    EXPECT_EQ(ParsePortAddress("00000388"), 0x388);
    for (const char* bad : {"", "10000", "0x220", " 220", "-1", "22g", "+220"}) {
        EXPECT_FALSE(ParsePortAddress(bad)) << bad;
    }
    EXPECT_EQ(FormatPortAddress(0x22A), "022A");
    EXPECT_EQ(FormatPortAddress(0), "0000");

    for (const auto& [typedText, type, port] :
         {std::tuple{"22a", 3, "022A"}, std::tuple{"2x0", kIoTypeAborted, ""}}) {
        PortConfig typed;
        Run(typed, [t = typedText](TFormPort& f) {
            f.ComboBoxSb16Address.UserType(t);
            f.ButtonOk.Click();
        });
        EXPECT_EQ(typed.ioType, type) << typedText;
        EXPECT_EQ(typed.ioPort, port) << typedText;
    }

    // A stored port is shown normalised, or as 0000 when it is not a number at all.
    PortConfig stored = Stored(6, "388");
    Run(stored, [](TFormPort& f) { EXPECT_EQ(f.ComboBoxOpl3Address.Text(), "0388"); });
    stored = Stored(4, "zz");
    Run(stored, [](TFormPort& f) { EXPECT_EQ(f.ComboBoxSbpro2Address.Text(), "0000"); });
}

TEST_F(FormPortTest, Fm801WithoutCardHasAnEmptyBoxAndAborts) {
    PortConfig config = Stored(0, "E000");
    Run(config, [](TFormPort& f) {
        EXPECT_EQ(f.ComboBoxFm801Address.Count(), 0);
        f.ButtonOk.Click();
    });
    EXPECT_EQ(config.ioType, kIoTypeAborted);
}

TEST_F(FormPortTest, DetectedBasesAreListedSmallestFirstAndWinOverAStaleOne) {
    AddPciDevice("0000:05:01.0", "0x1319", "0x0801", {0xE000});
    AddPciDevice("0000:04:02.0", "0x1319", "0x0801", {0xD800});
    // The Solo-1 chip sits in BAR 2; BARs 0 and 1 are its other ranges.
    AddPciDevice("0000:03:00.0", "0x125d", "0x1969", {0xC000, 0xC400, 0xC800});
    AddPciDevice("0000:02:00.0", "0x125d", "0x1969", {0xA000, 0xA400, 0xB800});
    AddPciDevice("0000:01:00.0", "0x4005", "0x4000", {0x9000});

    PortConfig fm801 = Stored(0, "e000");
    Run(fm801, [](TFormPort& f) {
        EXPECT_EQ(f.ComboBoxFm801Address.Items(), (std::vector<std::string>{"D800", "E000"}));
        EXPECT_EQ(f.ComboBoxFm801Address.Text(), "E000");
        EXPECT_EQ(f.ComboBoxAls4000Address.Text(), "9000");
        f.ButtonOk.Click();
    });
    EXPECT_EQ(fm801.ioPort, "E000");

    PortConfig stale = Stored(1, "A000");
    Run(stale, [](TFormPort& f) {
        EXPECT_EQ(f.ComboBoxSolo1Address.Items(), (std::vector<std::string>{"B800", "C800"}));
        EXPECT_EQ(f.ComboBoxSolo1Address.Text(), "B800");
        f.ButtonOk.Click();
    });
    EXPECT_EQ(stale.ioType, 1);
    EXPECT_EQ(stale.ioPort, "B800");

    PortConfig present = Stored(1, "C800");
    Run(present, [](TFormPort& f) { EXPECT_EQ(f.ComboBoxSolo1Address.Text(), "C800"); });
}

TEST(FormPortWithoutPciList, PciBoxesTakeTheStoredBaseAsTyped) {
    test::TempDir dir;
    TFormPort form(dir.path, (dir.path / "no-such-folder").string());
    EXPECT_FALSE(form.DetectionAvailable());
    PortConfig config = Stored(2, "e800");
    form.Execute(config, kWaveDevices, kTitle, [](TFormPort& f) {
        EXPECT_EQ(f.ComboBoxAls4000Address.Text(), "E800");
        f.ButtonOk.Click();
    });
    EXPECT_EQ(config.ioType, 2);
    EXPECT_EQ(config.ioPort, "E800");
}

TEST_F(FormPortTest, WaveValuesSelectListedItemsAndNumbersFallBack) {
    PortConfig listed;
    listed.ioSRate = 44100;
    listed.ioBSize = 4096;
    listed.ioRSize = 256;
    Run(listed, [](TFormPort& f) {
        EXPECT_EQ(f.ComboBoxSRate.Text(), "44100");
        EXPECT_EQ(f.ComboBoxBSize.Text(), "4096");
        EXPECT_EQ(f.ComboBoxRSize.Text(), "256");
        f.ButtonOk.Click();
    });
    EXPECT_EQ(listed.ioSRate, 44100u);
    EXPECT_EQ(listed.ioBSize, 4096);
    EXPECT_EQ(listed.ioRSize, 256);

    PortConfig unlisted;
    unlisted.ioSRate = 44000;
    unlisted.ioBSize = 100;
    unlisted.ioRSize = 13;
    Run(unlisted, [](TFormPort& f) {
        EXPECT_EQ(f.ComboBoxSRate.Text(), "11025");
        EXPECT_EQ(f.ComboBoxBSize.Text(), "128");
        EXPECT_EQ(f.ComboBoxRSize.Text(), "8");
        f.EditPre.SetText("abc");
        f.EditPost.SetText(" 7 ");
        f.EditKey.SetText("70000");
        f.ButtonOk.Click();
    });
    EXPECT_EQ(unlisted.ioSRate, 11025u);
    EXPECT_EQ(unlisted.ioPre, 3);
    EXPECT_EQ(unlisted.ioPost, 7);
    EXPECT_EQ(unlisted.ioKey, 15) << "out of range for a delay count";
}

TEST_F(FormPortTest, TypeChangeEnablesOnlyWhatTheTypeUses) {
    PortConfig config;
    Run(config, [](TFormPort& f) {
        // The type's address box (none for the wave output), then the wave output's controls.
        for (int type : {3, kIoTypeWave, 7}) {
            SCOPED_TRACE(type);
            f.RadioGroupType.SetItemIndex(type);
            const bool wave = type == kIoTypeWave;
            for (int box = 0; box < 8; ++box) {
                EXPECT_EQ(f.AddressBox(box).Enabled(), box == type) << box;
            }
            for (const Control* control : std::initializer_list<const Control*>{
                     &f.ComboBoxWavePort, &f.ComboBoxSRate, &f.ComboBoxBSize, &f.ComboBoxRSize,
                     &f.GroupBoxWave, &f.RadioGroupWaveCallback, &f.EditSoundFile,
                     &f.SpeedButtonSoundFile, &f.CheckBoxDSP}) {
                EXPECT_EQ(control->Enabled(), wave) << control->Name();
            }
            for (const Control* delay : {&f.EditPre, &f.EditPost, &f.EditKey}) {
                EXPECT_EQ(delay->Enabled(), !wave) << delay->Name();
            }
        }
    });
}

TEST_F(FormPortTest, WaveDeviceIsChosenByName) {
    PortConfig stored = Stored(kIoTypeWave, "Speakers");
    Run(stored, [](TFormPort& f) {
        EXPECT_EQ(f.ComboBoxWavePort.Text(), "Speakers");
        f.ComboBoxWavePort.UserSelect(1);
        f.ButtonOk.Click();
    });
    EXPECT_EQ(stored.ioType, kIoTypeWave);
    EXPECT_EQ(stored.ioPort, "Line [2] Out");

    PortConfig gone = Stored(kIoTypeWave, "USB Headset");
    Run(gone, PressOk);
    EXPECT_EQ(gone.ioPort, "No wave output");

    PortConfig noDevices = Stored(kIoTypeWave, "Speakers");
    TFormPort fresh(dir.path, PciRoot().string());
    fresh.Execute(noDevices, {}, kTitle, PressOk);
    EXPECT_EQ(noDevices.ioPort, "No wave output");
}

// A JACK server runs at one rate; the dialog's 11025 Hz default played through it is converted
// twice and sounds 63-86 ms late. The device's own rate is preselected unless the user chose a
// rate for that device before.
TEST_F(FormPortTest, AWaveDeviceWithARateOfItsOwnGetsItPreselected) {
    test::FakeAudioBackend jack({"Dummy JACK", "Other"}, 48000);
    WaveOut wave(jack, false);
    const std::vector<std::string> devices = wave.ListDevices(true);
    form.deviceRate = [&wave](const std::string& name) { return wave.PreferredRate(name); };
    struct Case {
        const char* what;
        int storedType;
        const char* storedDevice;
        uint32_t storedRate;
        int pick; // the device the user picks, -1 for none
        const char* shown;
    };
    const Case cases[] = {
        {"first start, device picked", 3, "0220", 11025, 1, "48000"},
        {"stored rate for this device", kIoTypeWave, "Dummy JACK", 22050, -1, "22050"},
        {"stored rate, picked again", kIoTypeWave, "Dummy JACK", 22050, 1, "22050"},
        {"stored rate for another device", kIoTypeWave, "Other", 22050, 1, "48000"},
        {"No wave output names no rate", 3, "0220", 11025, 0, "11025"},
    };
    for (const Case& c : cases) {
        PortConfig config;
        config.ioType = c.storedType;
        config.ioPort = c.storedDevice;
        config.ioSRate = c.storedRate;
        form.Execute(config, devices, kTitle, [&c](TFormPort& f) {
            f.RadioGroupType.SetItemIndex(kIoTypeWave);
            if (c.pick >= 0) {
                f.ComboBoxWavePort.UserSelect(c.pick);
            }
            EXPECT_EQ(f.ComboBoxSRate.Text(), c.shown) << c.what;
            f.ButtonOk.Click();
        });
        EXPECT_EQ(std::to_string(config.ioSRate), c.shown) << c.what;
    }

    // A device that takes any rate leaves the stored one, or the default, alone.
    test::FakeAudioBackend anyRate({"Speakers"}, 0);
    WaveOut flexible(anyRate, false);
    PortConfig config;
    form.deviceRate = [&flexible](const std::string& name) { return flexible.PreferredRate(name); };
    form.Execute(config, flexible.ListDevices(true), kTitle, [](TFormPort& f) {
        f.ComboBoxWavePort.UserSelect(1);
        f.ButtonOk.Click();
    });
    EXPECT_EQ(config.ioSRate, 11025u);
}

TEST_F(FormPortTest, LfoNeedsCcAndOptionsAreRebuiltFromTheControls) {
    PortConfig lfoOnly;
    lfoOnly.options = kOptionLfo;
    Run(lfoOnly, [](TFormPort& f) {
        EXPECT_TRUE(f.CheckBoxCc.Checked()) << "ticking LFO ticks CC";
        f.CheckBoxCc.SetChecked(false);
        EXPECT_FALSE(f.CheckBoxLFO.Checked()) << "unticking CC unticks LFO";
        f.CheckBoxLFO.SetChecked(true);
        EXPECT_TRUE(f.CheckBoxCc.Checked());
        f.ButtonOk.Click();
    });
    EXPECT_EQ(lfoOnly.options, kOptionLfo | kOptionCc);

    // Every bit the dialog shows comes back as it was; bits it does not show are dropped, also
    // the DSP bit of a hardware output stays as the user left it.
    PortConfig all;
    all.options = 0xFFFFFFFFu;
    Run(all, [](TFormPort& f) {
        EXPECT_EQ(f.RadioGroupMidiCallback.ItemIndex(), 1);
        EXPECT_EQ(f.RadioGroupWaveCallback.ItemIndex(), 1);
        f.ButtonOk.Click();
    });
    EXPECT_EQ(all.options, 0x1FFu);

    PortConfig changed;
    changed.options = 0x1FFu;
    Run(changed, [](TFormPort& f) {
        f.CheckBoxBend.SetChecked(false);
        f.RadioGroupMidiCallback.SetItemIndex(0);
        f.ButtonCancel.Click();
    });
    EXPECT_EQ(changed.options, 0x1FFu & ~(kOptionBend | kOptionMidiWindow))
        << "written back after Cancel as well";
}

TEST_F(FormPortTest, SoundFileIsOfferedFreshAndOnlyAChosenFileIsTaken) {
    PortConfig kept;
    kept.ioType = kIoTypeWave;
    kept.soundFile = "last.wav";
    Run(kept, [](TFormPort& f) {
        EXPECT_EQ(f.EditSoundFile.Text(), "No wave file output");
        f.ButtonOk.Click();
    });
    EXPECT_EQ(kept.soundFile, "last.wav");

    std::vector<SaveFileRequest> requests;
    std::optional<std::string> answer;
    form.saveFileDialog = [&](const SaveFileRequest& request) {
        requests.push_back(request);
        return answer;
    };
    PortConfig chosen;
    chosen.ioType = kIoTypeWave;
    const std::string take = (dir.path / "wave" / "take1.wav").string();
    Run(chosen, [&](TFormPort& f) {
        f.SpeedButtonSoundFile.Click();
        EXPECT_EQ(f.EditSoundFile.Text(), "No wave file output") << "the user cancelled";
        answer = take;
        f.SpeedButtonSoundFile.Click();
        f.ButtonOk.Click();
    });
    EXPECT_EQ(chosen.soundFile, take);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].folder, dir.path / "wave");
    EXPECT_TRUE(requests[0].confirmOverwrite);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path / "wave"));

    // The button belongs to the wave output; with a card selected it does nothing.
    PortConfig card;
    Run(card, [](TFormPort& f) { f.SpeedButtonSoundFile.Click(); });
    EXPECT_EQ(requests.size(), 2u);
}

} // namespace
} // namespace vorpline

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

using User = std::function<void(TFormPort&)>;
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
    void Run(PortConfig& config, const User& user) {
        form.Execute(config, kWaveDevices, kTitle, user);
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

TEST_F(FormPortTest, TheOutputIsWhatTheUserLeftOrAbortedWithAnEmptyPort) {
    using F = TFormPort;
    const auto sb16 = &F::ComboBoxSb16Address, wave = &F::ComboBoxWavePort;
    const auto ok = &F::ButtonOk;
    const struct {
        const char* name;
        int type;
        const char* port;
        ComboBox F::*box;
        const char* shown; // the stored port, as the box shows it
        const char* typed;
        int pick;         // the item the user selects, -1 for none
        Button F::*press; // none: the window is closed
        int wantType;
        const char* wantPort;
        bool noDevices = false;
    } cases[] = {
        {"cancel", 3, "0220", sb16, "0220", nullptr, -1, &F::ButtonCancel, kIoTypeAborted, ""},
        {"closed", 3, "0220", sb16, "0220", nullptr, -1, nullptr, kIoTypeAborted, ""},
        {"typed", 3, "0220", sb16, "0220", "22a", -1, ok, 3, "022A"},
        {"typed no number", 3, "0220", sb16, "0220", "2x0", -1, ok, kIoTypeAborted, ""},
        {"stored short", 6, "388", &F::ComboBoxOpl3Address, "0388", nullptr, -1, ok, 6, "0388"},
        {"stored no number", 4, "zz", &F::ComboBoxSbpro2Address, "0000", nullptr, -1, ok, 4,
         "0000"},
        {"FM801 without a card", 0, "E000", &F::ComboBoxFm801Address, "", nullptr, -1, ok,
         kIoTypeAborted, ""},
        // A wave device is stored by its name.
        {"wave device picked", kIoTypeWave, "Speakers", wave, "Speakers", nullptr, 1, ok,
         kIoTypeWave, "Line [2] Out"},
        {"wave device gone", kIoTypeWave, "USB Headset", wave, "No wave output", nullptr, -1, ok,
         kIoTypeWave, "No wave output"},
        {"no wave devices", kIoTypeWave, "Speakers", wave, "No wave output", nullptr, -1, ok,
         kIoTypeWave, "No wave output", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFormPort fresh(dir.path, PciRoot().string());
        PortConfig config = Stored(c.type, c.port);
        const std::vector<std::string> none;
        fresh.Execute(config, c.noDevices ? none : kWaveDevices, kTitle, [&c](TFormPort& f) {
            ComboBox& box = f.*c.box;
            EXPECT_EQ(box.Text(), c.shown);
            if (c.typed != nullptr) {
                box.UserType(c.typed);
            }
            if (c.pick >= 0) {
                box.UserSelect(c.pick);
            }
            if (c.press != nullptr) {
                (f.*c.press).Click();
            }
        });
        EXPECT_EQ(config.ioType, c.wantType);
        EXPECT_EQ(config.ioPort, c.wantPort);
    }
}

TEST_F(FormPortTest, AddressesAreHexadecimalAndWrittenAsFourDigits) {
    const std::pair<const char*, std::optional<unsigned>> parsed[] = {
        {"22a", 0x22A}, {"FFFF", 0xFFFF}, {"00000388", 0x388}, {"", {}},    {"10000", {}},
        {"0x220", {}},  {" 220", {}},     {"-1", {}},          {"22g", {}}, {"+220", {}}};
    for (const auto& [text, value] : parsed) {
        const auto port = ParsePortAddress(text);
        EXPECT_EQ(port ? std::optional<unsigned>(*port) : std::nullopt, value) << text;
    }
    EXPECT_EQ(FormatPortAddress(0x22A), "022A");
    EXPECT_EQ(FormatPortAddress(0), "0000");
}

TEST_F(FormPortTest, DetectedBasesAreListedSmallestFirstAndWinOverAStaleOne) {
    AddPciDevice("0000:05:01.0", "0x1319", "0x0801", {0xE000});
    AddPciDevice("0000:04:02.0", "0x1319", "0x0801", {0xD800});
    // The Solo-1 chip sits in BAR 2; BARs 0 and 1 are its other ranges.
    AddPciDevice("0000:03:00.0", "0x125d", "0x1969", {0xC000, 0xC400, 0xC800});
    AddPciDevice("0000:02:00.0", "0x125d", "0x1969", {0xA000, 0xA400, 0xB800});
    AddPciDevice("0000:01:00.0", "0x4005", "0x4000", {0x9000});
    using Items = std::vector<std::string>;

    PortConfig fm801 = Stored(0, "e000");
    Run(fm801, [](TFormPort& f) {
        EXPECT_EQ(f.ComboBoxFm801Address.Items(), (Items{"D800", "E000"}));
        EXPECT_EQ(f.ComboBoxFm801Address.Text(), "E000");
        EXPECT_EQ(f.ComboBoxAls4000Address.Text(), "9000");
        f.ButtonOk.Click();
    });
    EXPECT_EQ(fm801.ioPort, "E000");

    PortConfig stale = Stored(1, "A000");
    Run(stale, [](TFormPort& f) {
        EXPECT_EQ(f.ComboBoxSolo1Address.Items(), (Items{"B800", "C800"}));
        f.ButtonOk.Click();
    });
    EXPECT_EQ(std::tuple(stale.ioType, stale.ioPort), std::tuple(1, "B800"));

    PortConfig present = Stored(1, "C800");
    Run(present, [](TFormPort& f) { EXPECT_EQ(f.ComboBoxSolo1Address.Text(), "C800"); });
}

TEST(FormPortWithoutPciList, PciBoxesTakeTheStoredBaseAsTyped) {
    test::TempDir dir;
    TFormPort form(dir.path, (dir.path / "no-such-folder").string());
    EXPECT_FALSE(form.DetectionAvailable());
    PortConfig config = Stored(2, "e800");
    form.Execute(config, kWaveDevices, kTitle, PressOk);
    EXPECT_EQ(std::tuple(config.ioType, config.ioPort), std::tuple(2, "E800"));
}

TEST_F(FormPortTest, WaveValuesSelectListedItemsAndNumbersFallBack) {
    // Stored rate, buffer size and ring size; the texts shown; what OK stores.
    const struct {
        uint32_t rate;
        int buffer, ring;
        const char* shown[3];
        uint32_t storedRate;
    } cases[] = {{44100, 4096, 256, {"44100", "4096", "256"}, 44100},
                 {44000, 100, 13, {"11025", "128", "8"}, 11025}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        PortConfig config;
        std::tie(config.ioSRate, config.ioBSize, config.ioRSize) =
            std::tuple(c.rate, c.buffer, c.ring);
        Run(config, [&c](TFormPort& f) {
            EXPECT_EQ(f.ComboBoxSRate.Text(), c.shown[0]);
            EXPECT_EQ(f.ComboBoxBSize.Text(), c.shown[1]);
            EXPECT_EQ(f.ComboBoxRSize.Text(), c.shown[2]);
            f.EditPre.SetText("abc");
            f.EditPost.SetText(" 7 ");
            f.EditKey.SetText("70000"); // out of range for a delay count
            f.ButtonOk.Click();
        });
        EXPECT_EQ(std::tuple(config.ioSRate, config.ioBSize, config.ioRSize),
                  std::tuple(c.storedRate, std::stoi(c.shown[1]), std::stoi(c.shown[2])));
        EXPECT_EQ(std::tuple(config.ioPre, config.ioPost, config.ioKey), std::tuple(3, 7, 15));
    }
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

// A JACK server runs at one rate; the dialog's 11025 Hz default played through it is converted
// twice and sounds 63-86 ms late. The device's own rate is preselected unless the user chose a
// rate for that device before; a device that takes any rate leaves the stored one alone.
TEST_F(FormPortTest, AWaveDeviceWithARateOfItsOwnGetsItPreselected) {
    test::FakeAudioBackend jack({"Dummy JACK", "Other"}, 48000), anyRate({"Speakers"}, 0);
    WaveOut fixed(jack, false), flexible(anyRate, false);
    const struct {
        const char* what;
        WaveOut* wave;
        int storedType;
        const char* storedDevice;
        uint32_t storedRate;
        int pick; // the device the user picks, -1 for none
        const char* shown;
    } cases[] = {
        {"first start, device picked", &fixed, 3, "0220", 11025, 1, "48000"},
        {"stored rate for this device", &fixed, kIoTypeWave, "Dummy JACK", 22050, -1, "22050"},
        {"stored rate, picked again", &fixed, kIoTypeWave, "Dummy JACK", 22050, 1, "22050"},
        {"stored rate for another device", &fixed, kIoTypeWave, "Other", 22050, 1, "48000"},
        {"No wave output names no rate", &fixed, 3, "0220", 11025, 0, "11025"},
        {"any rate", &flexible, 3, "0220", 11025, 1, "11025"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form.deviceRate = [&c](const std::string& name) { return c.wave->PreferredRate(name); };
        PortConfig config = Stored(c.storedType, c.storedDevice);
        config.ioSRate = c.storedRate;
        form.Execute(config, c.wave->ListDevices(true), kTitle, [&c](TFormPort& f) {
            f.RadioGroupType.SetItemIndex(kIoTypeWave);
            if (c.pick >= 0) {
                f.ComboBoxWavePort.UserSelect(c.pick);
            }
            EXPECT_EQ(f.ComboBoxSRate.Text(), c.shown);
            f.ButtonOk.Click();
        });
        EXPECT_EQ(std::to_string(config.ioSRate), c.shown);
    }
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
    std::vector<SaveFileRequest> requests;
    std::optional<std::string> answer;
    form.saveFileDialog = [&](const SaveFileRequest& request) {
        requests.push_back(request);
        return answer;
    };
    PortConfig chosen = Stored(kIoTypeWave, "Speakers");
    chosen.soundFile = "last.wav";
    const std::string take = (dir.path / "wave" / "take1.wav").string();
    Run(chosen, [&](TFormPort& f) {
        EXPECT_EQ(f.EditSoundFile.Text(), "No wave file output");
        f.SpeedButtonSoundFile.Click();
        EXPECT_EQ(f.EditSoundFile.Text(), "No wave file output") << "the user cancelled";
        f.ButtonOk.Click();
    });
    EXPECT_EQ(chosen.soundFile, "last.wav");
    Run(chosen, [&](TFormPort& f) {
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

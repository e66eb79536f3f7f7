#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "controls/Button.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "ui/ToolWindow.h"

namespace vorpline {

class TimerService;
class MessageHub;

// The on-screen keyboard: one octave, C4 to C5, played with the mouse or the computer keyboard,
// and two buttons that step through the synth panel's presets. It never touches the engine: it
// posts packed events marked as the program's own (0xFE in the top byte) into the main loop,
// where the message hub plays them on both parts whatever their MIDI channels, in order with
// everything else that arrives there.
//
// Main thread only; the posting function may hand the event to any queue.
class TFormKBD : public Form, public ToolWindow {
public:
    // Receives each packed event: status in byte 0, data 1 and 2, 0xFE in byte 3.
    using Poster = std::function<void(uint32_t packed)>;

    // Key codes FormKeyDown and FormKeyUp take besides characters (0..255, either case): the
    // arrows lie above the character range so no character can be mistaken for one.
    static constexpr int kKeyUp = 0x100;
    static constexpr int kKeyDown = 0x101;

    // The note of SpeedButtonC4 and of the map's first character; the octave runs to kLowNote + 12.
    static constexpr int kLowNote = 60;
    static constexpr int kKeyCount = 13;
    // The computer keys of the octave, lowest note first, compared in upper case.
    static constexpr char kKeyMap[] = "SEDRFGYHUJIKL";

    explicit TFormKBD(Poster post);

    // A poster that queues each event on `timers` for the main loop, where `hub` takes it. Work
    // still queued when the poster goes (the keyboard is destroyed before the hub) is dropped.
    static Poster PostToHub(TimerService& timers, MessageHub& hub);

    // ToolWindow. The keyboard stores nothing; only the caption takes the title.
    Form& Window() override { return *this; }
    void LoadSettings(const IniFile& ini, const std::string& section,
                      const std::string& applicationTitle) override;
    void SaveSettings(IniFile& ini, const std::string& section) const override;

    // The 13 key buttons in note order; each one's Tag is its MIDI note (60..72).
    std::array<Button*, kKeyCount> Keys();

    // Handlers. The mouse handlers are shared by all key buttons and take the button's note.
    void SpeedButtonC4MouseDown(int note);
    void SpeedButtonC4MouseUp(int note);
    // Every key-down, the system's repeats of a held key included, plays the key's note again;
    // arrow up steps to the previous preset, arrow down to the next. Other keys do nothing.
    void FormKeyDown(int key);
    // One note-off for a key of the map.
    void FormKeyUp(int key);
    void SpeedButtonDownClick();
    void SpeedButtonUpClick();
    // Note-offs for every note still held here. The view calls it when the window loses the
    // keyboard or is hidden, since the key-ups of held keys then go to another window and the
    // notes would sound on forever.
    void ReleaseHeldKeys();

    Button SpeedButtonC4;
    Button SpeedButtonDb;
    Button SpeedButtonD4;
    Button SpeedButtonEb;
    Button SpeedButtonE4;
    Button SpeedButtonF4;
    Button SpeedButtonGb;
    Button SpeedButtonG4;
    Button SpeedButtonAb;
    Button SpeedButtonA4;
    Button SpeedButtonBb;
    Button SpeedButtonB4;
    Button SpeedButtonC5;
    // "Next" and "Previous": arrow glyphs, no captions.
    Button SpeedButtonDown;
    Button SpeedButtonUp;
    Label LabelPreset;

private:
    // The note of a key of the map, or -1.
    static int MappedNote(int key);
    void NoteOn(int note);
    void NoteOff(int note);
    void Step(uint8_t delta);

    Poster post;
    // Bit n: note kLowNote + n was started here and not yet released.
    uint32_t held = 0;
};

} // namespace vorpline

#include "midi/MidiOut.h"

#include <algorithm>
#include <cctype>

#include "midi/MidiIn.h"
#include "midi/MidiPortSystem.h"

namespace vorpline {

namespace {

constexpr uint8_t kControlChange = 0xB0;

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

MidiOut::MidiOut(MidiOutPortSystem& ports, ErrorReporter reportError)
    : ports(ports), reportError(std::move(reportError)) {}

MidiOut::~MidiOut() {
    if (open) {
        ports.Reset();
        ports.Close();
    }
}

std::vector<std::string> MidiOut::ListDevices(bool sorted) {
    std::vector<std::string> names = ports.ListOutputs();
    if (sorted) {
        std::stable_sort(names.begin(), names.end(), LessIgnoringCase);
    }
    names.insert(names.begin(), kNoOutput);
    return names;
}

void MidiOut::Report(const std::string& text, int code) const {
    if (reportError) {
        reportError(text + MidiIn::ErrorSuffix(code));
    }
}

bool MidiOut::Open(const std::string& name) {
    if (open) {
        Report("Midi output already open", kMidiOk);
        return true;
    }
    // The port system's own order: Open takes an index into its latest list.
    const std::vector<std::string> names = ListDevices(false);
    const auto found = std::find(names.begin(), names.end(), name);
    if (found == names.begin()) {
        Report("Midi output invalid", kMidiOk);
        return false;
    }
    if (found == names.end()) {
        Report("Midi output not found", kMidiOk);
        return false;
    }
    const int result = ports.Open(static_cast<std::size_t>(found - names.begin() - 1));
    if (result != kMidiOk) {
        Report("Failed to open midi output", result);
        return false;
    }
    open = true;
    return true;
}

bool MidiOut::Close() {
    if (!open) {
        Report("Midi output already closed", kMidiOk);
        return false;
    }
    int result = ports.Reset();
    if (result != kMidiOk) {
        Report("Failed to reset midi output", result);
        return true;
    }
    result = ports.Close();
    if (result != kMidiOk) {
        Report("Failed to close midi output", result);
        return true;
    }
    open = false;
    return false;
}

bool MidiOut::SendControl(uint8_t value, uint8_t controller, uint8_t channel) {
    if (open) {
        ports.Send(static_cast<uint32_t>(kControlChange | (channel & 0x0F)) |
                   static_cast<uint32_t>(controller & 0x7F) << 8 |
                   static_cast<uint32_t>(value & 0x7F) << 16);
    }
    return open;
}

} // namespace vorpline

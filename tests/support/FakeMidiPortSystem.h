#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "midi/MidiPortSystem.h"

namespace vorpline::test {

// A port system that does what the test scripts: port names, the result of each step, and
// messages that "arrive" when the test sends them. It records the calls made to it.
class FakeMidiPortSystem final : public MidiPortSystem {
public:
    std::vector<std::string> ports;
    int openResult = kMidiOk;
    int startResult = kMidiOk;
    int stopResult = kMidiOk;
    int resetResult = kMidiOk;
    int closeResult = kMidiOk;
    // Runs inside each Start, e.g. to let the clock move while the port starts.
    std::function<void()> onStart;

    std::vector<std::string> calls; // "Open 1", "Start", "Stop", "Reset", "Close"
    bool isOpen = false;
    bool started = false;
    std::size_t openPort = 0;

    std::vector<std::string> ListInputs() override { return ports; }

    int Open(std::size_t port, Receiver onMessage) override {
        calls.push_back("Open " + std::to_string(port));
        if (openResult == kMidiOk) {
            isOpen = true;
            openPort = port;
            receiver = std::move(onMessage);
        }
        return openResult;
    }
    int Start() override {
        calls.push_back("Start");
        if (onStart) {
            onStart();
        }
        started = started || startResult == kMidiOk;
        return startResult;
    }
    int Stop() override {
        calls.push_back("Stop");
        started = started && stopResult != kMidiOk;
        return stopResult;
    }
    int Reset() override {
        calls.push_back("Reset");
        if (resetResult == kMidiOk) {
            started = false;
            queued.clear();
        }
        return resetResult;
    }
    int Close() override {
        calls.push_back("Close");
        if (closeResult == kMidiOk) {
            isOpen = false;
            started = false;
            receiver = nullptr;
            queued.clear();
        }
        return closeResult;
    }
    bool Poll(uint32_t& packed) override {
        if (receiver || !started || queued.empty()) {
            return false;
        }
        packed = queued.front();
        queued.pop_front();
        return true;
    }

    // A message arrives at the port: ignored unless started; handed to the receiver (on the
    // calling thread) or queued for Poll.
    void Send(uint32_t packed) {
        if (!started) {
            return;
        }
        if (receiver) {
            receiver(packed);
        } else {
            queued.push_back(packed);
        }
    }

    std::size_t Count(const std::string& call) const {
        std::size_t n = 0;
        for (const std::string& c : calls) {
            n += c == call ? 1 : 0;
        }
        return n;
    }

private:
    Receiver receiver;
    std::deque<uint32_t> queued;
};

} // namespace vorpline::test

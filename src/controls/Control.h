#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vorpline {

// Base of the headless controls the forms are built from. A control holds its state (the
// settings live in the controls, as on screen), its enabled state and a tag (operator frames
// tag their controls with the operator index). Views observe a control to redraw it: observers
// hear of every state change, whether it came from code or from the user. Handlers are the
// form's business and run only where the control's kind says so.
// Main thread only.
class Control {
public:
    using Observer = std::function<void()>;

    explicit Control(std::string name) : name(std::move(name)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name; }
    bool Enabled() const { return enabled; }
    void SetEnabled(bool on);
    int Tag() const { return tag; }
    void SetTag(int value) { tag = value; }

    // Returns an id for Unobserve. Observers must not add or remove observers of the same
    // control while being notified.
    int Observe(Observer observer);
    void Unobserve(int id);

protected:
    void Changed();

private:
    std::string name;
    bool enabled = true;
    int tag = 0;
    int nextObserver = 1;
    std::vector<std::pair<int, Observer>> observers;
};

// Runs a handler if one is set.
inline void Fire(const std::function<void()>& handler) {
    if (handler) {
        handler();
    }
}

} // namespace vorpline

#include "controls/Control.h"

#include <algorithm>

namespace vorpline {

void Control::SetEnabled(bool on) {
    if (enabled != on) {
        enabled = on;
        Changed();
    }
}

int Control::Observe(Observer observer) {
    observers.emplace_back(nextObserver, std::move(observer));
    return nextObserver++;
}

void Control::Unobserve(int id) {
    observers.erase(std::remove_if(observers.begin(), observers.end(),
                                   [id](const auto& o) { return o.first == id; }),
                    observers.end());
}

void Control::Changed() {
    for (auto& [id, observer] : observers) {
        observer();
    }
}

} // namespace vorpline

#pragma once
#include <string>

namespace vorpline {

// The OK/Cancel question a window asks before it throws the user's work away ("Delete
// preset?", "Reset to default?"). The Qt program asks with a message box; tests answer.
// Main thread only.
class ConfirmService {
public:
    virtual ~ConfirmService() = default;
    // True only when the user chose "OK". `caption` is the window's name ("FM Synth").
    virtual bool Confirm(const std::string& message, const std::string& caption) = 0;
};

} // namespace vorpline

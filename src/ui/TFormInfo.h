#pragma once
#include <string>

#include "controls/Button.h"
#include "controls/Form.h"
#include "controls/Label.h"

namespace vorpline {

// The modal message window every window uses for the user's errors: the message, one "OK".
// Main thread only.
class TFormInfo : public Form {
public:
    // Caption: title + " - " + the application title.
    TFormInfo(const std::string& message, const std::string& title,
              const std::string& applicationTitle);

    Label LabelInfo;
    // Closes the window; the view's modal loop ends when the form is hidden.
    Button ButtonOk;
};

} // namespace vorpline

#include "ui/TFormInfo.h"

namespace vorpline {

TFormInfo::TFormInfo(const std::string& message, const std::string& title,
                     const std::string& applicationTitle)
    : Form("FormInfo", title + " - " + applicationTitle), LabelInfo("LabelInfo", message),
      ButtonOk("ButtonOk", "OK") {
    ButtonOk.onClick = [this] { Hide(); };
}

} // namespace vorpline

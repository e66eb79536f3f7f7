#pragma once
#include "ui/ConfirmService.h"

class QWidget;

namespace vorpline {

// The OK/Cancel question as a Qt message box over `parent`; Escape and closing the box count
// as "Cancel".
// Main thread only.
class QtConfirmService : public ConfirmService {
public:
    explicit QtConfirmService(QWidget* parent = nullptr) : parent(parent) {}
    bool Confirm(const std::string& message, const std::string& caption) override;

private:
    QWidget* parent;
};

} // namespace vorpline

#include "qt/QtConfirmService.h"

#include <QMessageBox>

#include "qt/Binders.h"

namespace vorpline {

bool QtConfirmService::Confirm(const std::string& message, const std::string& caption) {
    QMessageBox box(QMessageBox::Question, ToQString(caption), ToQString(message),
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

} // namespace vorpline

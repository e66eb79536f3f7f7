#include "qt/FormDialog.h"

#include <QPushButton>

#include "controls/Form.h"
#include "qt/Binders.h"

namespace vorpline {

FormDialog::FormDialog(Form& form, QWidget* parent, QBoxLayout::Direction direction)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      form(form), layout(new QBoxLayout(direction, this)) {
    setObjectName(ToQString(form.Name()));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QPushButton* FormDialog::MakeDefaultButton(Button& control) {
    auto* button = new QPushButton(this);
    BindButton(button, control);
    button->setDefault(true);
    button->setFocus();
    return button;
}

void FormDialog::Bind(std::function<void()> onDismiss) {
    BindDialog(this, form, std::move(onDismiss));
}

} // namespace vorpline

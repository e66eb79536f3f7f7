#include "qt/ToolWindowView.h"

#include "controls/Form.h"
#include "qt/Binders.h"

namespace vorpline {

namespace {

constexpr int kMargin = 6;
constexpr int kSpacing = 4;

} // namespace

ToolWindowView::ToolWindowView(Form& form, QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      form(form) {
    setObjectName(ToQString(form.Name()));
}

void ToolWindowView::Bind() {
    BindWindow(this, form);
}

QBoxLayout* ToolWindowView::MakeLayout(QBoxLayout::Direction direction) {
    auto* layout = new QBoxLayout(direction, this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kSpacing);
    return layout;
}

} // namespace vorpline

#include "compose/control_tab.h"

#include "app/main_form.h"

namespace tarvin {

ControlTab::ControlTab(TMainForm& form, QWidget* parent) : QWidget(parent), m_form(form)
{
}

} // namespace tarvin

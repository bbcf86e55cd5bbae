#include "compose/security_slave_tab.h"

#include "app/main_form.h"

namespace tarvin {

SecuritySlaveTab::SecuritySlaveTab(TMainForm& form, QWidget* parent) : QWidget(parent), m_form(form)
{
}

} // namespace tarvin

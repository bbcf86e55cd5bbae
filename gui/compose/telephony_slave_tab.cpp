#include "compose/telephony_slave_tab.h"

#include "app/main_form.h"

namespace tarvin {

TelephonySlaveTab::TelephonySlaveTab(TMainForm& form, QWidget* parent) : QWidget(parent), m_form(form)
{
}

} // namespace tarvin

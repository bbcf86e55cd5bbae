#include "compose/telephony_master_tab.h"

#include "app/main_form.h"

namespace tarvin {

TelephonyMasterTab::TelephonyMasterTab(TMainForm& form, QWidget* parent) : QWidget(parent), m_form(form)
{
}

} // namespace tarvin

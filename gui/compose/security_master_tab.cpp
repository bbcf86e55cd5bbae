#include "compose/security_master_tab.h"

#include "app/main_form.h"

namespace tarvin {

SecurityMasterTab::SecurityMasterTab(TMainForm& form, QWidget* parent) : QWidget(parent), m_form(form)
{
}

} // namespace tarvin

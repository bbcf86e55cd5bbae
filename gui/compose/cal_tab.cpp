#include "compose/cal_tab.h"

#include "app/main_form.h"

namespace tarvin {

CALTab::CALTab(TMainForm& form, QWidget* parent) : QWidget(parent), m_form(form)
{
}

} // namespace tarvin

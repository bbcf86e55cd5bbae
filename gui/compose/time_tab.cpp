#include "compose/time_tab.h"

#include "app/main_form.h"

namespace tarvin {

TimeTab::TimeTab(TMainForm& form, QWidget* parent) : QWidget(parent), m_form(form)
{
}

} // namespace tarvin

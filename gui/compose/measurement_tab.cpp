#include "compose/measurement_tab.h"

#include "app/main_form.h"

namespace tarvin {

MeasurementTab::MeasurementTab(TMainForm& form, QWidget* parent) : QWidget(parent), m_form(form)
{
}

} // namespace tarvin

#include "compose/lighting_tab.h"

#include "app/main_form.h"

namespace tarvin {

LightingTab::LightingTab(TMainForm& form, QWidget* parent) : QWidget(parent), m_form(form)
{
}

} // namespace tarvin

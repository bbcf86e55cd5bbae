#include "diagnostics/diagnostics.h"

#include "app/main_form.h"

namespace tarvin {

Diagnostics::Diagnostics(TMainForm& form) : QObject(&form), m_form(form)
{
}

void Diagnostics::PCIDataButtonClick()
{
    m_form.SetDefaultMode();
}

void Diagnostics::CollectMMIReply(const std::string& part)
{
    (void)part;
}

} // namespace tarvin

#include "app/shell_files.h"

#include "app/main_form.h"

namespace tarvin {

ShellFiles::ShellFiles(TMainForm& form) : QObject(&form), m_form(form)
{
}

bool ShellFiles::FormCloseQuery()
{
    return true;
}

} // namespace tarvin

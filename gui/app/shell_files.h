#pragma once
// The File menu's documents: data files of the user buttons, log processing,
// scripts and printing.

#include <QObject>

namespace tarvin {

class TMainForm;

class ShellFiles : public QObject
{
    Q_OBJECT
public:
    explicit ShellFiles(TMainForm& form);

    // Whether the main window may close (asks to save changed data).
    bool FormCloseQuery();

private:
    TMainForm& m_form;
};

} // namespace tarvin

#pragma once

#include <QWidget>

namespace tarvin {

class TMainForm;

// A page of the command area; its controls are its direct children (or sit
// in group boxes directly on it), so the main window's enabling rule reaches
// them.
class SecuritySlaveTab : public QWidget
{
    Q_OBJECT
public:
    SecuritySlaveTab(TMainForm& form, QWidget* parent);

private:
    TMainForm& m_form;
};

} // namespace tarvin

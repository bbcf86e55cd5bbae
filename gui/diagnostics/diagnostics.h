#pragma once
// The network diagnostics commands: interface details, unit identification
// and the MMI inquiries.

#include <QObject>

#include <string>

namespace tarvin {

class TMainForm;

class Diagnostics : public QObject
{
    Q_OBJECT
public:
    explicit Diagnostics(TMainForm& form);

    void PCIDataButtonClick();
    // Every completed line while an MMI is running.
    void CollectMMIReply(const std::string& part);

private:
    TMainForm& m_form;
};

} // namespace tarvin

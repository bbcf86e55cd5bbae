#pragma once
// The "Set Unit Type" dialog: up to four letters or digits after "INT_".

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvin {

// What the dialog closed with.
struct UnitTypeChoice
{
    std::string text; // the four characters after the prefix, blank padded
    bool multipleUnits = false;
    bool updateIni = false;
};

class TUnitTypeForm : public QDialog
{
    Q_OBJECT
public:
    explicit TUnitTypeForm(QWidget* parent = nullptr);
    // Valid after OK.
    UnitTypeChoice choice() const;

    // Pads the text with blanks to four characters and closes with OK.
    void OKBitBtnClick();
    void UnitTypeEditChange();
    void setHelp(std::function<void()> help) { m_help = std::move(help); }
    // Called for every key the edit refuses (a beep by default).
    void setBeep(std::function<void()> beep) { m_beep = std::move(beep); }

    QLabel* Label1 = nullptr;
    QLineEdit* UnitTypeEdit = nullptr;
    QLabel* UnitTypeLabel = nullptr;
    QCheckBox* MultipleUnitsCheckBox = nullptr;
    QCheckBox* UpdateINICheckBox = nullptr;
    QPushButton* OKBitBtn = nullptr;
    QPushButton* CancelBitBtn = nullptr;
    QPushButton* HelpBitBtn = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::function<void()> m_help;
    std::function<void()> m_beep;
};

} // namespace tarvin

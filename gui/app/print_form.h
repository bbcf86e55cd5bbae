#pragma once
// "Print": which directions of the log to print, an estimate of the pages,
// and the print job itself.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPrinter;
class QPushButton;

namespace tarvin {

class TMainForm;

class TPrintForm : public QDialog
{
    Q_OBJECT
public:
    // `heading` is the current data file name (empty when there is none).
    TPrintForm(TMainForm& form, QPrinter& printer, const QString& heading);

    void FormActivate();
    void TxCheckBoxClick();
    // Prints, then closes with OK; a printer that cannot start is reported.
    void BitBtn1Click();
    void BitBtn3Click();
    // The print job alone; false when the printer could not start.
    bool PrintLog();

    QCheckBox* TxCheckBox = nullptr;
    QCheckBox* RxCheckBox = nullptr;
    QLabel* PagesLabel = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TMainForm& m_form;
    QPrinter& m_printer;
    QString m_heading;
};

} // namespace tarvin

#pragma once
// "Set User Key Strings": the nine user buttons' names and command texts in
// an editable grid.

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace tarvin {

class TMainForm;
class UserButtonSlots;

class TStringForm : public QDialog
{
    Q_OBJECT
public:
    TStringForm(TMainForm& form, UserButtonSlots& buttons);

    void FormShow();
    void OKBitBtnClick();
    void HelpBitBtnClick();

    QTableWidget* StringGrid1 = nullptr;
    QPushButton* OKBitBtn = nullptr;
    QPushButton* CancelBitBtn = nullptr;
    QPushButton* HelpBitBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetCell(int row, int column, const QString& text);
    QString Cell(int row, int column) const;

    TMainForm& m_form;
    UserButtonSlots& m_buttons;
};

} // namespace tarvin

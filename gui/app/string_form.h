#pragma once
// "User Button Properties": the nine user buttons' names and command texts in
// an editable grid.

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace tarvin {

class UserButtonSlots;

class TStringForm : public QDialog
{
    Q_OBJECT
public:
    TStringForm(UserButtonSlots& buttons, QWidget* parent);

    void FormShow();
    void OKBitBtnClick();
    void HelpBitBtnClick();

    QTableWidget* StringGrid1 = nullptr;
    QPushButton* OKBitBtn = nullptr;
    QPushButton* CancelBitBtn = nullptr;
    QPushButton* HelpBitBtn = nullptr;

signals:
    void helpRequested(int context);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetCell(int row, int column, const QString& text);
    QString Cell(int row, int column) const;

    UserButtonSlots& m_buttons;
};

} // namespace tarvin

#pragma once
// "Print": which directions of the log to print, an estimate of the pages,
// and the print job itself.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPrinter;
class QPushButton;

namespace tarvin {

class Prompter;
class Session;

// The window's log panes, whose lines are printed: the transmit pane holds
// both directions while the lists are combined.
struct LogPanes
{
    const QPlainTextEdit* transmit = nullptr;
    const QPlainTextEdit* receive = nullptr;
};

class TPrintForm : public QDialog
{
    Q_OBJECT
public:
    // `heading` is the current data file name (empty when there is none);
    // a printer that cannot start is reported through `prompter`.
    TPrintForm(Session& session, LogPanes panes, QPrinter& printer, const QString& heading,
               Prompter& prompter, QWidget* parent);

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

signals:
    void helpRequested(int context);

protected:
    void showEvent(QShowEvent* event) override;

private:
    Session& m_session;
    LogPanes m_panes;
    Prompter& m_prompter;
    QPrinter& m_printer;
    QString m_heading;
};

} // namespace tarvin

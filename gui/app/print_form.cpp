#include "gui/app/print_form.h"

#include "gui/widgets/window_sizes.h"

#include "core/files/print_layout.h"
#include "gui/widgets/fit_texts.h"
#include "gui/widgets/prompter.h"
#include "session/session.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTextBlock>

namespace tarvin {

namespace {

// A memo's lines as the log holds them; an empty memo has none. Printed
// text crosses the layout as UTF-8, so a heading in any script (the data
// file's name) comes back as it went in.
std::vector<std::string> MemoLines(const QPlainTextEdit* memo)
{
    std::vector<std::string> lines;
    if (memo->document()->isEmpty())
        return lines;
    for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next())
        lines.push_back(b.text().toStdString());
    return lines;
}

int MemoLineCount(const QPlainTextEdit* memo)
{
    return memo->document()->isEmpty() ? 0 : memo->document()->blockCount();
}

} // namespace

TPrintForm::TPrintForm(Session& session, LogPanes panes, QPrinter& printer, const QString& heading,
                       Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_session(session), m_panes(panes), m_prompter(prompter), m_printer(printer),
      m_heading(heading)
{
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(QStringLiteral("Print"));
    const QFont font(QStringLiteral("Arial"), 8);
    setFont(font);
    resize(266, 137);

    TxCheckBox = new QCheckBox(QStringLiteral("Print Transmitted Strings"), this);
    TxCheckBox->setObjectName(QStringLiteral("TxCheckBox"));
    TxCheckBox->setGeometry(16, 12, 160, 20);
    TxCheckBox->setChecked(true);
    RxCheckBox = new QCheckBox(QStringLiteral("Print Received Strings"), this);
    RxCheckBox->setObjectName(QStringLiteral("RxCheckBox"));
    RxCheckBox->setGeometry(16, 36, 160, 20);
    RxCheckBox->setChecked(true);
    PagesLabel = new QLabel(QStringLiteral("0 Pages"), this);
    PagesLabel->setObjectName(QStringLiteral("PagesLabel"));
    QFont labelFont(QStringLiteral("Arial"), 12);
    labelFont.setBold(true);
    PagesLabel->setFont(labelFont);
    PagesLabel->setGeometry(16, 64, 234, 24);

    BitBtn1 = new QPushButton(QStringLiteral("Print"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn1->setGeometry(8, 100, 75, 27);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    BitBtn2->setGeometry(95, 100, 75, 27);
    BitBtn3 = new QPushButton(QStringLiteral("&Help"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setAutoDefault(false);
    BitBtn3->setGeometry(182, 100, 75, 27);

    connect(TxCheckBox, &QCheckBox::clicked, this, &TPrintForm::TxCheckBoxClick);
    connect(RxCheckBox, &QCheckBox::clicked, this, &TPrintForm::TxCheckBoxClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TPrintForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, &TPrintForm::BitBtn3Click);
    FitTexts(this);
    MakeResizable(this);
}

void TPrintForm::showEvent(QShowEvent* event)
{
    FormActivate();
    TxCheckBoxClick();
    QDialog::showEvent(event);
}

void TPrintForm::FormActivate()
{
    // One pane holds both directions: there is nothing to choose.
    if (m_session.settings().combineLists) {
        TxCheckBox->setChecked(true);
        RxCheckBox->setChecked(true);
        TxCheckBox->setEnabled(false);
        RxCheckBox->setEnabled(false);
        // Greyed boxes need their reason where the user looks for it.
        const QString why =
            QStringLiteral("The log shows both directions in one list, so both are printed.");
        TxCheckBox->setToolTip(why);
        RxCheckBox->setToolTip(why);
    }
}

void TPrintForm::TxCheckBoxClick()
{
    PagesLabel->setText(QString::fromLatin1(
        PageEstimateText(MemoLineCount(m_panes.transmit), MemoLineCount(m_panes.receive),
                         TxCheckBox->isChecked(), RxCheckBox->isChecked())));
}

void TPrintForm::BitBtn1Click()
{
    if (!PrintLog()) {
        // Nothing here can mend it: the printer is chosen in Print Setup.
        m_prompter.message(
            this, Prompter::Icon::Error,
            QStringLiteral("Cannot print: the printer could not be started.\rChoose a printer, "
                           "or Print to File (PDF), in File > Print Setup, then print again."));
        reject();
        return;
    }
    accept();
}

void TPrintForm::BitBtn3Click()
{
    emit helpRequested(3);
}

bool TPrintForm::PrintLog()
{
    m_printer.setDocName(QStringLiteral("Tarvin Diagnostic"));
    QPainter painter;
    if (!painter.begin(&m_printer))
        return false;
    QFont regular(QStringLiteral("Arial"), 10);
    painter.setFont(regular);
    const QFontMetrics metrics(painter.font(), &m_printer);
    QFont bold = regular;
    bold.setBold(true);
    QFont underlined = bold;
    underlined.setUnderline(true);

    PrintJob job;
    job.heading = m_heading.toStdString();
    job.transmitLines = MemoLines(m_panes.transmit);
    job.receiveLines = MemoLines(m_panes.receive);
    job.printTransmit = TxCheckBox->isChecked();
    job.printReceive = RxCheckBox->isChecked();
    job.combineLists = m_session.settings().combineLists;
    job.textHeight = std::max(1, metrics.boundingRect(QStringLiteral("Xy")).height());
    job.pageHeight = m_printer.height();

    int page = 0;
    for (const PrintedLine& line : LayOutPrintJob(job)) {
        if (line.page != page) {
            m_printer.newPage();
            page = line.page;
        }
        if (line.text.empty())
            continue;
        switch (line.style) {
        case PrintStyle::Regular:
            painter.setFont(regular);
            break;
        case PrintStyle::Bold:
            painter.setFont(bold);
            break;
        case PrintStyle::BoldUnderlined:
            painter.setFont(underlined);
            break;
        }
        // The layout gives the top of the line; Qt draws from the baseline.
        painter.drawText(line.x, line.y + painter.fontMetrics().ascent(),
                         QString::fromStdString(line.text));
    }
    return painter.end();
}

} // namespace tarvin

#include "gui/app/string_form.h"

#include "gui/app/user_buttons.h"
#include "gui/widgets/window_sizes.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarvin {

namespace {

constexpr int kRows = 10;
constexpr int kColumns = 3;

} // namespace

TStringForm::TStringForm(UserButtonSlots& buttons, QWidget* parent)
    : QDialog(parent), m_buttons(buttons)
{
    setObjectName(QStringLiteral("StringForm"));
    setWindowTitle(QStringLiteral("User Button Properties"));
    setFont(QFont(QStringLiteral("Arial"), 8));

    StringGrid1 = new QTableWidget(kRows, kColumns, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    // The first row and column are the grid's own fixed cells, not headers,
    // as the names and texts sit beside them in the same grid.
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setColumnWidth(0, 80);
    StringGrid1->setColumnWidth(1, 100);
    StringGrid1->setColumnWidth(2, 180);
    for (int r = 0; r < kRows; ++r)
        StringGrid1->setRowHeight(r, 22);
    StringGrid1->setMinimumSize(80 + 100 + 180 + 4, kRows * 22 + 4);
    // The texts take the room when the window grows.
    StringGrid1->horizontalHeader()->setStretchLastSection(true);

    OKBitBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBitBtn->setObjectName(QStringLiteral("OKBitBtn"));
    OKBitBtn->setDefault(true);
    CancelBitBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBitBtn->setObjectName(QStringLiteral("CancelBitBtn"));
    HelpBitBtn = new QPushButton(QStringLiteral("&Help"), this);
    HelpBitBtn->setObjectName(QStringLiteral("HelpBitBtn"));
    HelpBitBtn->setAutoDefault(false);
    CancelBitBtn->setAutoDefault(false);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(OKBitBtn);
    row->addWidget(CancelBitBtn);
    row->addWidget(HelpBitBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StringGrid1, 1);
    layout->addLayout(row);
    resize(sizeHint());
    MakeResizable(this);

    connect(OKBitBtn, &QPushButton::clicked, this, &TStringForm::OKBitBtnClick);
    connect(CancelBitBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBitBtn, &QPushButton::clicked, this, &TStringForm::HelpBitBtnClick);
}

void TStringForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TStringForm::SetCell(int row, int column, const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    if (row == 0 || column == 0) {
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(palette().button());
    }
    StringGrid1->setItem(row, column, item);
}

QString TStringForm::Cell(int row, int column) const
{
    const QTableWidgetItem* item = StringGrid1->item(row, column);
    return item ? item->text() : QString();
}

void TStringForm::FormShow()
{
    SetCell(0, 0, QStringLiteral("Button"));
    SetCell(0, 1, QStringLiteral("Name"));
    SetCell(0, 2, QStringLiteral("String"));
    for (int r = 1; r < kRows; ++r) {
        SetCell(r, 0, QStringLiteral("User Key %1").arg(r));
        SetCell(r, 1, m_buttons.caption(r));
        SetCell(r, 2, QString::fromLatin1(m_buttons.command(r)));
    }
}

void TStringForm::OKBitBtnClick()
{
    for (int r = 1; r < kRows; ++r)
        m_buttons.setCommand(r, Cell(r, 2).toLatin1());
    for (int r = 1; r < kRows; ++r)
        m_buttons.setCaption(r, Cell(r, 1));
    // The buttons count the acceptance as a change to the data.
    accept();
}

void TStringForm::HelpBitBtnClick()
{
    emit helpRequested(2);
}

} // namespace tarvin

#include "gui/diagnostics/installation_window.h"

#include "core/diagnostics/installation.h"
#include "gui/widgets/prompter.h"
#include "gui/widgets/window_sizes.h"
#include "session/session.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QMenuBar>
#include <QSaveFile>
#include <QStatusBar>
#include <QTableWidget>
#include <QUrl>

#include <algorithm>

namespace tarvin {

namespace {

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// Unit numbers sort as numbers whatever their base.
class NumberItem : public QTableWidgetItem
{
public:
    NumberItem(const QString& text, int value) : QTableWidgetItem(text), m_value(value) {}
    bool operator<(const QTableWidgetItem& other) const override
    {
        if (const auto* number = dynamic_cast<const NumberItem*>(&other))
            return m_value < number->m_value;
        return QTableWidgetItem::operator<(other);
    }

private:
    int m_value;
};

} // namespace

InstallationWindow::InstallationWindow(Session& session, Prompter& prompter,
                                       const Installation& installation, QWidget* parent)
    : QMainWindow(parent), m_session(session), m_prompter(prompter), m_installation(installation)
{
    setObjectName(QStringLiteral("InstallationWindow"));
    setWindowTitle(QStringLiteral("Installation"));
    resize(640, 360);
    RememberSize(this);
    InstallationTable = new QTableWidget(this);
    InstallationTable->setObjectName(QStringLiteral("InstallationTable"));
    QStringList titles;
    for (const std::string& title : InstallationColumns())
        titles << Latin1(title);
    InstallationTable->setColumnCount(int(titles.size()));
    InstallationTable->setHorizontalHeaderLabels(titles);
    InstallationTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    InstallationTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    InstallationTable->verticalHeader()->hide();
    InstallationTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    InstallationTable->horizontalHeader()->setStretchLastSection(true);
    setCentralWidget(InstallationTable);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    ExportAction = file->addAction(QStringLiteral("&Export CSV..."));
    ExportAction->setObjectName(QStringLiteral("ExportAction"));
    ReportAction = file->addAction(QStringLiteral("&Report"));
    ReportAction->setObjectName(QStringLiteral("ReportAction"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Close"), QKeySequence::Close, this, &QWidget::close);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    CopyAction = edit->addAction(QStringLiteral("&Copy Rows"));
    CopyAction->setObjectName(QStringLiteral("CopyAction"));
    CopyAction->setShortcut(QKeySequence::Copy);

    connect(CopyAction, &QAction::triggered, this, &InstallationWindow::copySelection);
    connect(ExportAction, &QAction::triggered, this, [this] {
        const QString path = SaveUserFile(m_prompter, this, QStringLiteral("CSV Files (*.csv)"),
                                          QStringLiteral("csv"));
        if (!path.isEmpty())
            exportCsv(path);
    });
    connect(ReportAction, &QAction::triggered, this, &InstallationWindow::writeReport);
    connect(&m_session, &Session::hexNumbersChanged, this, &InstallationWindow::refresh);
    refresh();
}

void InstallationWindow::refresh()
{
    const bool hex = m_session.hexNumbers();
    const auto& units = m_installation.units();
    InstallationTable->setSortingEnabled(false);
    InstallationTable->setRowCount(int(units.size()));
    for (int row = 0; row < int(units.size()); ++row) {
        const InstalledUnit& unit = units[std::size_t(row)];
        const std::vector<std::string> cells = InstallationCells(unit, hex);
        for (int column = 0; column < int(cells.size()); ++column) {
            const QString text = Latin1(cells[std::size_t(column)]);
            auto* item = column == 1 ? new NumberItem(text, unit.unit) : new QTableWidgetItem(text);
            if (!unit.answered)
                item->setForeground(QColor(0xC0, 0, 0));
            InstallationTable->setItem(row, column, item);
        }
    }
    InstallationTable->setSortingEnabled(true);
    InstallationTable->resizeColumnsToContents();
    statusBar()->showMessage(QStringLiteral("%1 units").arg(units.size()));
}

void InstallationWindow::copySelection()
{
    QList<int> rows;
    for (const QModelIndex& index : InstallationTable->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (int row : rows) {
        QStringList cells;
        for (int column = 0; column < InstallationTable->columnCount(); ++column)
            cells << InstallationTable->item(row, column)->text();
        lines << cells.join(u'\t');
    }
    if (!lines.isEmpty())
        QApplication::clipboard()->setText(lines.join(u'\n') + u'\n');
}

bool InstallationWindow::write(const QString& path, const std::string& text)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), qint64(text.size())) != qint64(text.size()) || !out.commit()) {
        m_prompter.message(this, Prompter::Icon::Error,
                           QStringLiteral("Cannot write %1:\r%2")
                               .arg(QDir::toNativeSeparators(path), out.errorString()));
        return false;
    }
    return true;
}

bool InstallationWindow::exportCsv(const QString& path)
{
    if (!write(path, InstallationCsv(m_installation.units(), m_session.hexNumbers())))
        return false;
    statusBar()->showMessage(QStringLiteral("Exported to %1").arg(QDir::toNativeSeparators(path)),
                             10000);
    return true;
}

bool InstallationWindow::writeReport()
{
    const QString path = QDir(Session::dataFolder()).filePath(QStringLiteral("installation.htm"));
    const std::string written =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
    if (!write(path, InstallationReport(m_installation.units(), m_session.hexNumbers(), written)))
        return false;
    m_prompter.message(this, Prompter::Icon::Information,
                       QStringLiteral("The installation report was written to\r%1")
                           .arg(QDir::toNativeSeparators(path)));
    m_prompter.openUrl(QUrl::fromLocalFile(path));
    return true;
}

} // namespace tarvin

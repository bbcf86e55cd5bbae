// The Installation window against the simulated installation: filled by
// Identify All Units and Get Unit Voltages, a silent unit kept and marked,
// a network behind a bridge with its path, sorting, copy, CSV and report.
#include <QtTest>

#include "gui/diagnostics/installation_window.h"
#include "session/session.h"
#include "workbench_bench.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace tarvin;
using namespace tarvin::test;

namespace {

// The table's rows as "network|unit|type|voltage|answered".
QStringList Rows(const QTableWidget* table)
{
    QStringList rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << table->item(r, c)->text();
        rows << cells.join(u'|');
    }
    return rows;
}

} // namespace

class TestInstallation : public QObject
{
    Q_OBJECT

private slots:
    void unitListsFillTheInstallation()
    {
        QTemporaryDir data;
        qputenv("TARVIN_DATA_DIR", data.path().toLocal8Bit());
        WorkbenchBench bench;
        QVERIFY2(bench.start(), qPrintable(bench.sim.errorString()));
        TMainForm& form = *bench.form;
        form.HexadecimalNumbersItem->setChecked(true);

        // Answers are stamped when they came, not when their box was closed:
        // the clock moves on by an hour while the box is read.
        QDateTime now(QDate(2026, 1, 2), QTime(3, 4, 5));
        form.session().setClock([&now] { return now; });
        bench.prompts.onMessage = [&now](const QString&) { now = now.addSecs(3600); };
        form.IdentifyAllItem->trigger();
        bench.prompts.onMessage = nullptr;
        form.session().setClock([] { return QDateTime::currentDateTime(); });
        auto* window = form.findChild<InstallationWindow*>();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->InstallationTable->item(0, 5)->text(),
                 QStringLiteral("2026-01-02 03:04:05"));
        // The built-in installation: the PCI and three local units.
        QCOMPARE(
            Rows(window->InstallationTable),
            (QStringList{QStringLiteral("0|01|PCI||yes"), QStringLiteral("0|05|DIMMER||yes"),
                         QStringLiteral("0|0A|RELAY||yes"), QStringLiteral("0|20|SENSOR||yes")}));

        // Voltages join the same rows; a unit silent now keeps its type.
        QVERIFY(bench.sim.control(QStringLiteral("silent 0A")));
        form.GetUnitVoltagesItem->trigger();
        QStringList rows = Rows(window->InstallationTable);
        QCOMPARE(rows.size(), 4);
        QVERIFY2(rows[1].startsWith(QLatin1String("0|05|DIMMER|35.8")), qPrintable(rows[1]));
        QVERIFY2(rows[2] == QLatin1String("0|0A|RELAY||no"), qPrintable(rows[2]));

        // A network behind a bridge, with its path.
        form.RemoteNetworkCheckBox->click();
        form.NetworkPathEdit->setText(QStringLiteral("0A1B"));
        form.IdentifyAllItem->trigger();
        rows = Rows(window->InstallationTable);
        QCOMPARE(rows.size(), 5);
        QVERIFY(rows.contains(QStringLiteral("0A1B|07|REMOTE||yes")));

        // Sorted by unit, high first; copied; exported; reported.
        window->InstallationTable->sortByColumn(1, Qt::DescendingOrder);
        QCOMPARE(window->InstallationTable->item(0, 1)->text(), QStringLiteral("20"));
        window->InstallationTable->selectRow(0);
        window->CopyAction->trigger();
        QVERIFY(QApplication::clipboard()->text().startsWith(QLatin1String("0\t20\tSENSOR\t")));
        const QString csv = data.filePath(QStringLiteral("units.csv"));
        bench.prompts.fileNames.enqueue(csv);
        window->ExportAction->trigger();
        QFile exported(csv);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = exported.readAll().split('\n');
        QCOMPARE(lines.first(), QByteArray("Network,Unit,Type,Bus Voltage,Answered,When\r"));
        QCOMPARE(lines.size(), 7); // columns, five units, the end
        QVERIFY(window->writeReport());
        QFile report(data.filePath(QStringLiteral("installation.htm")));
        QVERIFY(report.open(QIODevice::ReadOnly));
        const QByteArray page = report.readAll();
        QVERIFY(page.contains("REMOTE") && page.contains("0A1B") && page.contains("5 units"));
        QVERIFY(bench.prompts.messages().last().startsWith(
            QLatin1String("The installation report was written to")));
        // The window is one: the menu brings it back.
        QCOMPARE(form.ShowInstallation(), window);
    }
};

QTEST_MAIN(TestInstallation)
#include "tst_installation.moc"

// The capture window on a session (offscreen): a messy capture read whole,
// filters that combine, sorting, copying, export, going to a time, following
// a file that grows, is cut short and vanishes, offline analysis checked
// against tarvin-decode, and the live session as a bounded ring.
#include <QtTest>

#include "gui/capture/capture_model.h"
#include "gui/capture/capture_window.h"
#include "gui/diagnostics/analyser_form.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace tarvin;

namespace {

QString Data(const char* name)
{
    return qEnvironmentVariable("TARVIN_TEST_DATA") + QStringLiteral("/decode/") +
           QLatin1String(name);
}

void Append(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Append));
    f.write(bytes);
}

// A window on a session, dialogs answered by `run`.
struct Viewer
{
    ScriptedPrompter prompts;
    Session session;
    std::function<int(QDialog&)> run = [](QDialog&) { return int(QDialog::Rejected); };
    CaptureWindow* window =
        new CaptureWindow(session, prompts, [this](QDialog& d) { return run(d); });
    Viewer() { session.setHexNumbers(false); }
    ~Viewer() { delete window; }

    bool open(const QString& path)
    {
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        if (!window->openFile(path))
            return false;
        QSignalSpy loaded(window, &CaptureWindow::loaded);
        return loaded.wait(5000) || !window->loading();
    }
    int rows() { return window->model().rowCount(); }
    QString cell(int row, int column)
    {
        return window->model().data(window->model().index(row, column)).toString();
    }
};

} // namespace

class TestCaptureWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           m_dir.filePath(QStringLiteral("config")));
        qputenv("TARVIN_DATA_DIR", m_dir.path().toLocal8Bit());
    }

    void messyCaptureIsReadWhole()
    {
        Viewer v;
        QVERIFY(v.open(Data("capture_text.txt")));
        // Nine lines: two unreadable (one not a capture line, one torn at the end).
        QCOMPARE(v.rows(), 9);
        QCOMPARE(v.window->CountLabel->text(), QStringLiteral("9 of 9 lines, 2 unreadable"));
        QCOMPARE(v.cell(5, CaptureModel::Direction), QStringLiteral("?"));
        QVERIFY(
            v.cell(5, CaptureModel::Description).startsWith(QLatin1String("Unreadable: not a")));
        QCOMPARE(v.cell(8, CaptureModel::Direction), QStringLiteral("?"));
        // The header says the default mode: a failed checksum is an error.
        QCOMPARE(v.cell(4, CaptureModel::Wire), QStringLiteral("0512380035"));
        QVERIFY(
            v.window->model().data(v.window->model().index(4, 0), Qt::ForegroundRole).isValid());
        QVERIFY(
            !v.window->model().data(v.window->model().index(2, 0), Qt::ForegroundRole).isValid());
        QCOMPARE(v.cell(2, CaptureModel::Source), QStringLiteral("18"));
        QCOMPARE(v.cell(2, CaptureModel::Application), QStringLiteral("Lighting (56)"));
        v.session.setHexNumbers(true);
        QCOMPARE(v.cell(2, CaptureModel::Source), QStringLiteral("12"));
        // Bytes outside ASCII stay as they were.
        QCOMPARE(v.cell(6, CaptureModel::Description), QString::fromLatin1("\xe9t\xe9"));

        Viewer missing;
        QVERIFY(!missing.window->openFile(m_dir.filePath(QStringLiteral("nothing.csv"))));
        QVERIFY(missing.prompts.messages().first().startsWith(
            QLatin1String("Cannot open the capture")));
    }

    void filtersCombine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("direction"); // all, sent, received, markers
        QTest::addColumn<QString>("application");
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("errors");
        QTest::addColumn<int>("shown");
        QTest::newRow("everything") << QString() << 0 << QString() << QString() << false << 9;
        QTest::newRow("sent") << QString() << 1 << QString() << QString() << false << 1;
        QTest::newRow("received") << QString() << 2 << QString() << QString() << false << 4;
        QTest::newRow("markers") << QString() << 3 << QString() << QString() << false << 2;
        QTest::newRow("lighting") << QString() << 0 << QStringLiteral("56") << QString() << false
                                  << 2;
        QTest::newRow("lighting errors")
            << QString() << 0 << QStringLiteral("56") << QString() << true << 1;
        QTest::newRow("from unit 18")
            << QString() << 0 << QString() << QStringLiteral("18") << false << 3;
        QTest::newRow("errors and unreadable")
            << QString() << 0 << QString() << QString() << true << 3;
        QTest::newRow("text, any case")
            << QStringLiteral("ga 5") << 0 << QString() << QString() << false << 2;
        QTest::newRow("text received")
            << QStringLiteral("ga 5") << 2 << QString() << QString() << false << 1;
        QTest::newRow("an application's name")
            << QStringLiteral("network control") << 0 << QString() << QString() << false << 1;
        QTest::newRow("a time") << QStringLiteral("05:00:01") << 0 << QString() << QString()
                                << false << 1;
        QTest::newRow("not a number: nothing changes")
            << QString() << 0 << QStringLiteral("zz") << QString() << false << 9;
    }
    void filtersCombine()
    {
        QFETCH(QString, text);
        QFETCH(int, direction);
        QFETCH(QString, application);
        QFETCH(QString, source);
        QFETCH(bool, errors);
        QFETCH(int, shown);
        Viewer v;
        QVERIFY(v.open(Data("capture_text.txt")));
        v.window->FilterEdit->setText(text);
        v.window->DirectionCombo->setCurrentIndex(direction);
        v.window->ApplicationEdit->setText(application);
        v.window->SourceEdit->setText(source);
        v.window->ErrorsOnlyCheck->setChecked(errors);
        v.window->applyFilter();
        QCOMPARE(v.rows(), shown);
        QCOMPARE(v.window->CountLabel->text(),
                 QStringLiteral("%1 of 9 lines, 2 unreadable").arg(shown));
    }

    void sortCopyExportAndGoTo()
    {
        Viewer v;
        QVERIFY(v.open(Data("capture_text.txt")));
        v.window->CaptureTable->sortByColumn(CaptureModel::Source, Qt::DescendingOrder);
        QCOMPARE(v.cell(0, CaptureModel::Source), QStringLiteral("32"));
        // Every header has room for its name and the sort mark, and the
        // description takes the width that is left.
        const QHeaderView* header = v.window->CaptureTable->horizontalHeader();
        for (int column = 0; column < CaptureModel::Description; ++column)
            QVERIFY2(header->sectionSize(column) >= header->sectionSizeHint(column),
                     qPrintable(QString::number(column)));
        v.window->resize(1000, 600);
        v.window->show();
        QTRY_VERIFY(header->sectionSize(CaptureModel::Description) >
                    header->sectionSize(CaptureModel::Application));
        QCOMPARE(v.cell(1, CaptureModel::Source), QStringLiteral("18"));
        // By time, lines without one come first; then back to the capture's order.
        v.window->CaptureTable->sortByColumn(CaptureModel::Time, Qt::AscendingOrder);
        QCOMPARE(v.cell(2, CaptureModel::Time), QStringLiteral("2026-12-09 05:00:00.000"));
        v.window->CaptureTable->sortByColumn(-1, Qt::AscendingOrder);
        QCOMPARE(v.cell(1, CaptureModel::Direction), QStringLiteral("Tx"));

        v.window->CaptureTable->selectRow(1);
        v.window->CopyAction->trigger();
        const QString copied = QApplication::clipboard()->text();
        QCOMPARE(copied.count(u'\n'), 1);
        QVERIFY(copied.startsWith(QLatin1String("2026-12-09 05:00:00.100\tTx\t")));

        // Only received lines, exported, open again as a capture of four lines
        // under the header that governed them.
        v.window->DirectionCombo->setCurrentIndex(2);
        const QString exported = m_dir.filePath(QStringLiteral("received.csv"));
        QVERIFY(v.window->exportShown(exported));
        Viewer again;
        QVERIFY(again.open(exported));
        QCOMPARE(again.rows(), 5);
        QCOMPARE(again.cell(4, CaptureModel::Wire), QStringLiteral("0520FF90014B"));

        v.window->DirectionCombo->setCurrentIndex(0);
        v.prompts.inputs.enqueue(QStringLiteral("05:00:01"));
        v.window->goToTime();
        const QModelIndexList selected = v.window->CaptureTable->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(v.cell(selected.first().row(), CaptureModel::Wire),
                 QStringLiteral("0520FF90014B"));
    }

    // A monitor capture taken through the basic, default and monitoring
    // modes: each row judged by its own mode, echoes of our own lines as
    // echoes, and the errors exported with the headers that governed them, so
    // the export is judged the same.
    void exportCarriesItsHeaders()
    {
        Viewer v;
        QVERIFY(v.open(Data("monitor_all.txt")));
        v.window->ErrorsOnlyCheck->setChecked(true);
        QCOMPARE(v.rows(), 2);
        const QString exported = m_dir.filePath(QStringLiteral("errors.csv"));
        QVERIFY(v.window->exportShown(exported));
        QFile written(exported);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QFile expected(Data("monitor_all_errors.csv"));
        QVERIFY(expected.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), expected.readAll());
        Viewer again;
        QVERIFY(again.open(exported));
        again.window->ErrorsOnlyCheck->setChecked(true);
        QCOMPARE(again.rows(), 2);

        // Replacing a file is asked first; No keeps it.
        v.prompts.answers.enqueue(QMessageBox::No);
        QVERIFY(!v.window->exportShown(exported));
        QCOMPARE(v.prompts.asked.last().icon, Prompter::Icon::Warning);
    }

    void followsAFileThatGrowsIsCutAndGoes()
    {
        const QString path = m_dir.filePath(QStringLiteral("growing.txt"));
        QFile::remove(path);
        Append(path, "2026-12-09 05:00:00.000  # capture started\n"
                     "2026-12-09 05:00:00.100  Rx : GA 5 On  [05013800790535]\n");
        Viewer v;
        QVERIFY(v.open(path));
        v.window->setFollow(true);
        QCOMPARE(v.rows(), 2);
        Append(path, "2026-12-09 05:00:01.000  Rx : GA 6 On  [05013800790635]\n"
                     "2026-12-09 05:00:01.100  Rx : GA 7 On  [050138007907");
        QTRY_COMPARE_WITH_TIMEOUT(v.rows(), 3, 5000);
        // The unfinished line waits for its end.
        Append(path, "35]\n");
        QTRY_COMPARE_WITH_TIMEOUT(v.rows(), 4, 5000);
        QCOMPARE(v.cell(3, CaptureModel::Wire), QStringLiteral("05013800790735"));

        // Replaced by a shorter file: what was read stays, the new lines come.
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("2026-12-09 06:00:00.000  Rx : GA 8 On  [05013800790835]\n");
        }
        QTRY_COMPARE_WITH_TIMEOUT(v.rows(), 5, 5000);
        QVERIFY(v.window->statusBar()->currentMessage().contains(
            QLatin1String("replaced or cut short")));
        QFile::remove(path);
        QTRY_VERIFY_WITH_TIMEOUT(
            v.window->statusBar()->currentMessage().contains(QLatin1String("gone")), 5000);
        QCOMPARE(v.rows(), 5);
    }

    void followingKeepsTheLastRowInView()
    {
        const QString path = m_dir.filePath(QStringLiteral("followed.txt"));
        QFile::remove(path);
        const auto lines = [](int from, int count) {
            QByteArray text;
            for (int n = from; n < from + count; ++n)
                text += QByteArrayLiteral("2026-12-09 05:00:00.000  Rx : GA On  [0501380079") +
                        QByteArray::number(n % 256, 16).rightJustified(2, '0').toUpper() + "35]\n";
            return text;
        };
        Append(path, lines(0, 100));
        Viewer v;
        v.window->resize(800, 400);
        v.window->show();
        QVERIFY(v.open(path));
        QVERIFY(v.window->FollowingLabel->isHidden());
        QScrollBar* bar = v.window->CaptureTable->verticalScrollBar();
        QCOMPARE(bar->value(), 0); // a file opens at its start
        v.window->setFollow(true);
        QVERIFY(!v.window->FollowingLabel->isHidden());

        // At the end, new rows scroll into view.
        v.window->CaptureTable->scrollToBottom();
        Append(path, lines(100, 50));
        QTRY_COMPARE_WITH_TIMEOUT(v.rows(), 150, 5000);
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        // Reading further up, the view stays put.
        bar->setValue(10);
        Append(path, lines(150, 50));
        QTRY_COMPARE_WITH_TIMEOUT(v.rows(), 200, 5000);
        QCOMPARE(bar->value(), 10);

        v.window->FollowAction->trigger();
        QVERIFY(v.window->FollowingLabel->isHidden());
    }

    // The analysis counts as tarvin-decode counts the same capture.
    void analyseAgreesWithTheCommandLine()
    {
        Viewer v;
        QVERIFY(v.open(Data("capture.csv")));
        QString errors, messages, slot;
        bool ticking = true;
        v.run = [&](QDialog& dialog) {
            auto* form = qobject_cast<TAnalyserForm*>(&dialog);
            if (form) {
                const auto cell = [form](int row) {
                    const QTableWidgetItem* item = form->SummaryStringGrid->item(row, 1);
                    return item ? item->text().trimmed() : QString();
                };
                errors = cell(0);
                messages = cell(1);
                slot = form->Label1->text();
                ticking = form->Timer1->isActive();
            }
            return int(QDialog::Accepted);
        };
        v.window->analyse();
        QProcess decode;
        decode.start(
            qEnvironmentVariable("TARVIN_DECODE"),
            {QStringLiteral("--statistics"), QStringLiteral("--json"), Data("capture.csv")});
        QVERIFY(decode.waitForFinished(10000));
        const QJsonObject totals = QJsonDocument::fromJson(decode.readAllStandardOutput()).object();
        QCOMPARE(messages, QString::number(totals[QStringLiteral("messages")].toInt()));
        QCOMPARE(errors, QString::number(totals[QStringLiteral("errors")].toInt()));
        QCOMPARE(slot, QStringLiteral("Each point: 1 s"));
        QVERIFY(!ticking); // a finished capture: nothing more comes
    }

    void sessionViewIsABoundedRing()
    {
        Viewer v;
        v.session.setHistoryLimit(1000);
        const auto lines = [](int from, int to) {
            QByteArray text;
            for (qint64 n = from; n < to; ++n)
                text += "0" + QByteArray::number(0x0501380079000035LL + (n << 8), 16).toUpper() +
                        "\r\n";
            return text;
        };
        v.session.link().ProcessReceivedText(lines(0, 500));
        v.window->showSession();
        v.window->show();
        // Opened at the newest line, which stays in view as lines come.
        QVERIFY(!v.window->FollowingLabel->isHidden());
        const QScrollBar* bar = v.window->CaptureTable->verticalScrollBar();
        QTRY_VERIFY_WITH_TIMEOUT(bar->maximum() > 0 && bar->value() == bar->maximum(), 5000);
        v.session.link().ProcessReceivedText(lines(500, 2500));
        // Until the view takes the new lines, rows the ring dropped read as blank.
        QCOMPARE(v.cell(0, CaptureModel::Wire), QString());
        const QString last = QStringLiteral("0") +
                             QString::number(0x0501380079000035LL + (2499LL << 8), 16).toUpper() +
                             QStringLiteral("<CR>");
        QTRY_COMPARE_WITH_TIMEOUT(v.cell(v.rows() - 1, CaptureModel::Wire), last, 5000);
        QVERIFY(v.session.history().size() <= 1000);
        QCOMPARE(v.rows(), int(v.session.history().size()));
        QTRY_COMPARE_WITH_TIMEOUT(bar->value(), bar->maximum(), 5000);
    }
};

QTEST_MAIN(TestCaptureWindow)
#include "tst_capture_window.moc"

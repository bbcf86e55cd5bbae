// The MMI results window as drawn, and the MMI collection of the main
// window fed through its receive path.
#include <QtTest>

#include "core/diagnostics/mmi_layout.h"
#include "core/diagnostics/mmi_results.h"
#include "gui/diagnostics/diagnostics.h"
#include "gui/diagnostics/mmi_results_form.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace tarvin;

namespace {

QString S(const char* text)
{
    return QString::fromLatin1(text);
}

using Table = std::array<std::int32_t, 256>;
using Bytes = std::array<std::uint8_t, 256>;

constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kRed = 0xFF0000;

// A standard status report from address `first`, every state `state`.
QByteArray StandardReport(int first, int bytes, int state)
{
    QByteArray line = QByteArray::number(0xC0 + 2 + bytes, 16).toUpper() + "FF" +
                      QByteArray::number(first, 16).toUpper().rightJustified(2, '0');
    const int packed = state | state << 2 | state << 4 | state << 6;
    for (int i = 0; i < bytes; ++i)
        line += QByteArray::number(packed, 16).toUpper().rightJustified(2, '0');
    return line + "00\r\n";
}

} // namespace

class TestMMIResultsForm : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
    }

    void window_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("caption");
        QTest::newRow("unit data") << 0 << QString() << S("Unit Data");
        QTest::newRow("installation")
            << 1 << S("Local Network") << S("Installation MMI Results - Local Network");
        QTest::newRow("level") << 3 << S("Lighting (56), Network Path 0102")
                               << S("Level MMI Results - Lighting (56), Network Path 0102");
    }

    void window()
    {
        QFETCH(int, mode);
        QFETCH(QString, subject);
        QFETCH(QString, caption);
        TMMIResultsForm form(LayoutMMIResults(mode, Table{}, Bytes{}, false), subject);
        QCOMPARE(form.objectName(), S("MMIResultsForm"));
        QCOMPARE(form.windowTitle(), caption);
        QVERIFY(form.TitleLabel->text().contains(subject));
        auto* ok = form.findChild<QPushButton*>(S("OKBitBtn"));
        auto* help = form.findChild<QPushButton*>(S("HelpButton"));
        QVERIFY(ok && help);
        QCOMPARE(ok->text(), S("OK"));
        QVERIFY(ok->isDefault());
        QSignalSpy helpSpy(&form, &TMMIResultsForm::helpRequested);
        help->click();
        QCOMPARE(helpSpy.size(), 1);
        QCOMPARE(helpSpy.first().first().toInt(), 40);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        // Every address shows whole in its own cell, under its headers, and
        // the whole grid shows without scrolling.
        QTableWidget* grid = form.Image1;
        QCOMPARE(grid->rowCount(), 16);
        QCOMPARE(grid->columnCount(), 16);
        QCOMPARE(grid->verticalHeaderItem(15)->text(), S("240"));
        QCOMPARE(grid->horizontalHeaderItem(15)->text(), S("+15"));
        QVERIFY(grid->horizontalHeader()->isVisible());
        QVERIFY(grid->verticalHeader()->isVisible());
        QCOMPARE(grid->horizontalHeader()->length(), grid->viewport()->width());
        QCOMPARE(grid->verticalHeader()->length(), grid->viewport()->height());
        for (int n = 0; n < 256; ++n) {
            const QRect cell = grid->visualRect(grid->model()->index(n / 16, n % 16));
            QVERIFY2(cell.width() > grid->fontMetrics().horizontalAdvance(form.cellText(n)),
                     qPrintable(form.cellText(n)));
        }
        QVERIFY(form.findChild<QLabel*>(S("LegendLabel1")) != nullptr || mode == 0);

        ok->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(!form.isVisible());
    }

    void legendAndCells()
    {
        Table table{};
        table[112] = 1;
        table[113] = 3;
        TMMIResultsForm form(LayoutMMIResults(1, table, Bytes{}, false));
        // The cells show their address in their state's colour.
        QCOMPARE(form.cellText(112), S("112"));
        QCOMPARE(form.cellText(113), S("113"));
        QCOMPARE(form.cellColour(112).rgb() & 0xFFFFFF, kBlue);
        QCOMPARE(form.cellColour(113).rgb() & 0xFFFFFF, kRed);
        auto* legend = form.findChild<QLabel*>(S("LegendLabel2"));
        QVERIFY(legend);
        QCOMPARE(legend->text(), S("XX = Unit in State 1: present, reports On"));
        QCOMPARE(legend->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF, kBlue);
        QVERIFY(form.findChild<QLabel*>(S("LegendLabel5")) == nullptr);

        // A note grows the window rather than squeezing the grid.
        form.show();
        const int gridHeight = form.Image1->height();
        form.setNote(S("Incomplete: the link was lost. No report for groups 96-254."));
        QVERIFY(form.NoteLabel->isVisibleTo(&form));
        QCOMPARE(form.Image1->height(), gridHeight);
        for (const QWidget* w :
             {static_cast<QWidget*>(form.NoteLabel), static_cast<QWidget*>(form.Image1),
              static_cast<QWidget*>(form.OKBitBtn)})
            QTRY_VERIFY2_WITH_TIMEOUT(w->visibleRegion().boundingRect() == w->rect(),
                                      qPrintable(w->objectName()), 5000);
    }

    void collectionThroughTheReceivePath()
    {
        ScriptedPrompter prompts;
        // The session and the diagnostics alone: no window.
        Session session;
        QWidget window;
        Diagnostics diag(session, prompts, &window);
        LinkSession& link = session.link();

        // Mode 0: nothing is collected.
        session.state().mmiMode = 0;
        link.ProcessReceivedText(StandardReport(0, 22, 1));
        QCOMPARE(diag.mmiResults().at(0), 0);

        // Not connected, so the request itself goes nowhere; the reports are
        // fed during the wait, and the one that reaches 255 ends it.
        bool nestedRan = true;
        QTimer::singleShot(50, &window, [&] {
            // A second MMI during the wait is refused and leaves this one be.
            nestedRan = diag.InitiateMMI("\\05FF007AFF00", 2);
            link.ProcessReceivedText(StandardReport(0, 22, 1) + StandardReport(88, 22, 2));
            link.ProcessReceivedText("86010000" + StandardReport(176, 20, 3));
        });
        QVERIFY(diag.InitiateMMI("\\05FF007AFF00", 1));
        QVERIFY(!nestedRan);
        QCOMPARE(session.state().mmiMode, 1);
        QCOMPARE(diag.mmiResults().lastIndex(), 255);
        QCOMPARE(diag.mmiResults().at(87), 1);
        QCOMPARE(diag.mmiResults().at(88), 2);
        QCOMPARE(diag.mmiResults().at(255), 3);
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // Collection goes on after the MMI, as long as the mode stays.
        link.ProcessReceivedText(StandardReport(0, 1, 3));
        QCOMPARE(diag.mmiResults().at(0), 3);
        // Junk never upsets it.
        link.ProcessReceivedText("86ZZ\r\nF\r\nFFFFFFFFFFFFFFFFFFFFFFFF\r\n");
        QCOMPARE(diag.mmiResults().at(1), 3);
    }
};

QTEST_MAIN(TestMMIResultsForm)
#include "tst_mmi_results_form.moc"

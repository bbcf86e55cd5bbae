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

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

using namespace tarvin;

namespace {

QString S(const char* text)
{
    return QString::fromLatin1(text);
}

using Table = std::array<std::int32_t, 256>;
using Bytes = std::array<std::uint8_t, 256>;

constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;
constexpr QRgb kSilver = 0xC0C0C0;
constexpr QRgb kGrey = 0x808080;
constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kBlue = 0x0000FF;

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

// Whether `text` is drawn in `colour` with its left edge at `left` and its
// top at `top`, and nothing else inside `box`.
bool ShowsText(const QImage& image, int left, int top, const QString& text, QRgb colour,
               const QRect& box, QString* why)
{
    const QFont font = TMMIResultsForm::TextFont();
    QImage expected(image.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter p(&expected);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPoint(left, top + QFontMetrics(font).ascent()), text);
    }
    int ink = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const bool wanted = At(expected, x, y) != kWhite;
            const QRgb should = wanted ? colour : kWhite;
            if (At(image, x, y) != should) {
                *why = QStringLiteral("\"%1\": (%2, %3) is %4, expected %5")
                           .arg(text)
                           .arg(x)
                           .arg(y)
                           .arg(At(image, x, y), 6, 16, QLatin1Char('0'))
                           .arg(should, 6, 16, QLatin1Char('0'));
                return false;
            }
            ink += wanted ? 1 : 0;
        }
    }
    if (ink == 0)
        *why = text + S(": nothing drawn");
    return ink > 0;
}

int Centred(const QString& text, int centre)
{
    return centre - QFontMetrics(TMMIResultsForm::TextFont()).horizontalAdvance(text) / 2;
}

QImage Picture(int mode, const Table& table, const Bytes& data, bool hex)
{
    return TMMIResultsForm::Render(LayoutMMIResults(mode, table, data, hex));
}

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
        QTest::addColumn<QString>("caption");
        QTest::newRow("unit data") << 0 << S("Unit Data");
        QTest::newRow("installation") << 1 << S("Installation MMI Results");
        QTest::newRow("application") << 2 << S("Application MMI Results");
        QTest::newRow("level") << 3 << S("Level MMI Results");
    }

    void window()
    {
        QFETCH(int, mode);
        QFETCH(QString, caption);
        TMMIResultsForm form(LayoutMMIResults(mode, Table{}, Bytes{}, true));
        QCOMPARE(form.objectName(), S("MMIResultsForm"));
        QCOMPARE(form.windowTitle(), caption);
        // The designed size is the default and the minimum.
        QCOMPARE(form.size(), QSize(391, 437));
        QCOMPARE(form.minimumSize(), QSize(391, 437));
        auto* image = form.findChild<QLabel*>(S("Image1"));
        QVERIFY(image);
        QCOMPARE(image->geometry(), QRect(8, 8, 377, 387));
        QCOMPARE(image->pixmap().size(), QSize(377, 387));
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
        ok->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(!form.isVisible());
    }

    void frameLegendAndGrid_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("legend");
        QTest::addColumn<bool>("grid");
        QTest::newRow("unit data") << 0 << false << true;
        QTest::newRow("installation") << 1 << true << false;
        QTest::newRow("application") << 2 << true << false;
        QTest::newRow("level") << 3 << true << true;
    }

    void frameLegendAndGrid()
    {
        QFETCH(int, mode);
        QFETCH(bool, legend);
        QFETCH(bool, grid);
        const QImage image = Picture(mode, Table{}, Bytes{}, true);
        QCOMPARE(image.size(), QSize(377, 387));
        for (const QPoint p : {QPoint(0, 0), QPoint(376, 0), QPoint(0, 386), QPoint(376, 386),
                               QPoint(188, 0), QPoint(0, 200), QPoint(376, 200)})
            QCOMPARE(At(image, p.x(), p.y()), kBlack);
        // The rule under the legend belongs to the state pictures only.
        QCOMPARE(At(image, 200, 90), grid ? kWhite : kBlack);
        // Grid lines, horizontal and vertical.
        const QRgb gridColour = grid ? kSilver : kWhite;
        QCOMPARE(At(image, 200, 75), gridColour);
        QCOMPARE(At(image, 3, 75 + 18 * 16), gridColour);
        QCOMPARE(At(image, 22 * 16, 380), gridColour);
        QCOMPARE(At(image, 22, 380), gridColour);
        QString why;
        const QRect legendBox(10, 9, 60, 15);
        if (legend)
            QVERIFY2(ShowsText(image, 10, 10, S("LEGEND"), kBlack, legendBox, &why),
                     qPrintable(why));
        else
            QVERIFY(!ShowsText(image, 10, 10, S("LEGEND"), kBlack, legendBox, &why));
    }

    void legendTexts_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("colour");
        QTest::newRow("inst 0") << 1 << 0 << S("XX = Unit Address Not Present") << uint(kSilver);
        QTest::newRow("inst 1") << 1 << 1 << S("XX = Unit in State 1") << uint(kBlue);
        QTest::newRow("inst 2") << 1 << 2 << S("XX = Unit in State 2") << uint(kBlack);
        QTest::newRow("inst 3") << 1 << 3 << S("XX = Unit Address Conflict") << uint(kRed);
        QTest::newRow("app 0") << 2 << 0 << S("XX = Group Address Not Present") << uint(kSilver);
        QTest::newRow("app 1") << 2 << 1 << S("XX = Group Address On") << uint(kBlue);
        QTest::newRow("app 2") << 2 << 2 << S("XX = Group Address Off") << uint(kBlack);
        QTest::newRow("app 3") << 2 << 3 << S("XX = Group Address Error") << uint(kRed);
        QTest::newRow("level 0") << 3 << 0 << S("XX = Group Address Not Present") << uint(kSilver);
        QTest::newRow("level 1") << 3 << 1 << S("XX = Group Address Level") << uint(kBlack);
        QTest::newRow("level 2") << 3 << 2 << S("XX = Group Address Conflict") << uint(kRed);
    }

    void legendTexts()
    {
        QFETCH(int, mode);
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(uint, colour);
        const QImage image = Picture(mode, Table{}, Bytes{}, false);
        const int top = 25 + 15 * row;
        QString why;
        // The box stops short of the grid line at 75 in Level mode.
        QVERIFY2(ShowsText(image, 20, top, text, colour, QRect(20, top - 1, 300, 14), &why),
                 qPrintable(why));
    }

    void gridLabels()
    {
        QString why;
        const QImage hex = Picture(0, Table{}, Bytes{}, true);
        // Column labels 0..F along the top, rows 00..F0 down the left.
        QVERIFY2(ShowsText(hex, 22 * 1 + 8, 77, S("0"), kBlue, QRect(23, 76, 21, 16), &why),
                 qPrintable(why));
        QVERIFY2(ShowsText(hex, 22 * 11 + 8, 77, S("A"), kBlue, QRect(243, 76, 21, 16), &why),
                 qPrintable(why));
        QVERIFY2(ShowsText(hex, 2, 18 * 16 + 79, S("F0"), kBlue, QRect(1, 366, 21, 16), &why),
                 qPrintable(why));
        const QImage dec = Picture(3, Table{}, Bytes{}, false);
        QVERIFY2(ShowsText(dec, 2, 18 * 16 + 79, S("240"), kBlue, QRect(1, 366, 21, 16), &why),
                 qPrintable(why));
        QVERIFY2(ShowsText(dec, 2, 18 * 2 + 79, S("16"), kBlue, QRect(1, 112, 21, 16), &why),
                 qPrintable(why));
        // No column labels in decimal.
        for (int y = 76; y < 93; ++y)
            for (int x = 23; x < 352; ++x)
                if (x % 22 != 0)
                    QCOMPARE(At(dec, x, y), kWhite);
    }

    void cells_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("hex");
        QTest::addColumn<int>("cell");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("previous"); // value of the cell before
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("colour");
        QTest::newRow("inst absent") << 1 << false << 17 << 0 << 1 << S("17") << uint(kSilver);
        QTest::newRow("inst state 1") << 1 << true << 17 << 1 << 0 << S("11") << uint(kBlue);
        QTest::newRow("inst state 2") << 1 << false << 200 << 2 << 0 << S("200") << uint(kBlack);
        QTest::newRow("inst conflict") << 1 << true << 255 << 3 << 0 << S("FF") << uint(kRed);
        QTest::newRow("no state keeps colour")
            << 2 << false << 40 << 9 << 1 << S("40") << uint(kBlue);
        QTest::newRow("level") << 3 << false << 33 << 240 << 0 << S("240") << uint(kBlack);
        QTest::newRow("level hex") << 3 << true << 33 << 240 << 0 << S("F0") << uint(kBlack);
        QTest::newRow("level zero") << 3 << false << 0 << 0 << 0 << S("0") << uint(kBlack);
        QTest::newRow("group absent")
            << 3 << false << 100 << kLevelAbsent << 0 << S("XX") << uint(kGrey);
        QTest::newRow("bad level code")
            << 3 << true << 255 << kLevelInvalid << 0 << S("XX") << uint(kRed);
        QTest::newRow("unit data") << 0 << true << 0xAB << 0xAB << 0 << S("AB") << uint(kBlack);
        QTest::newRow("unit data dec")
            << 0 << false << 0x10 << 0xAB << 0 << S("171") << uint(kBlack);
    }

    void cells()
    {
        QFETCH(int, mode);
        QFETCH(bool, hex);
        QFETCH(int, cell);
        QFETCH(int, value);
        QFETCH(int, previous);
        QFETCH(QString, text);
        QFETCH(uint, colour);
        Table table{};
        Bytes data{};
        table[static_cast<std::size_t>(cell)] = value;
        if (cell > 0)
            table[static_cast<std::size_t>(cell - 1)] = previous;
        data[static_cast<std::size_t>(cell)] = static_cast<std::uint8_t>(value);
        const QImage image = Picture(mode, table, data, hex);
        QString why;
        if (mode == 1 || mode == 2) {
            const int centre = 23 * (cell % 16) + 15;
            const int top = 17 * (cell / 16) + 100;
            QVERIFY2(ShowsText(image, Centred(text, centre), top, text, colour,
                               QRect(centre - 11, top - 1, 23, 16), &why),
                     qPrintable(why));
        } else {
            const int column = cell % 16;
            const int top = 18 * (cell / 16) + 97;
            QVERIFY2(ShowsText(image, Centred(text, 22 * column + 33), top, text, colour,
                               QRect(22 * column + 23, top - 3, 21, 17), &why),
                     qPrintable(why));
        }
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

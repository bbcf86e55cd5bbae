#include "core/compose/control.h"
#include "core/compose/measurement.h"

#include <QtTest>

using namespace tarvin::compose;

class TestComposeControl : public QObject
{
    Q_OBJECT

private slots:
    void control()
    {
        QCOMPARE(ControlApplication(0), 0xCA);
        QCOMPARE(ControlApplication(1), 0xCB);
        QCOMPARE(ControlBody(0x05, 0x01), std::string("020501"));
        QCOMPARE(ControlBody(0xFF, 0x80), std::string("02FF80"));
        QCOMPARE(kControlLabels[1].level, std::string_view("Value"));
    }

    void time()
    {
        QCOMPARE(TimeBody(9, 5, 7), std::string("0D0109050700"));
        QCOMPARE(TimeBody(23, 59, 59), std::string("0D01173B3B00"));
    }

    void date_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("body");
        QTest::newRow("Sunday 1 March 2026") << 2026 << 3 << 1 << "0E0207EA030106";
        QTest::newRow("Monday 2 March 2026") << 2026 << 3 << 2 << "0E0207EA030200";
        QTest::newRow("leap day 2000, Tuesday") << 2000 << 2 << 29 << "0E0207D0021D01";
        QTest::newRow("Thursday 1 January 1970") << 1970 << 1 << 1 << "0E0207B2010103";
        QTest::newRow("Saturday 31 December 2022") << 2022 << 12 << 31 << "0E0207E60C1F05";
        QTest::newRow("Monday 1 January 1900") << 1900 << 1 << 1 << "0E02076C010100";
    }
    void date()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QString, body);
        QCOMPARE(QString::fromStdString(DateBody(year, month, day)), body);
    }

    void measurement_data()
    {
        QTest::addColumn<int>("unitIndex");
        QTest::addColumn<QString>("exponent");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("cutExponent");
        QTest::addColumn<QString>("cutValue");
        QTest::addColumn<QString>("notices");
        QTest::newRow("-3 / 2500 / Volts") << 36 << "-3"
                                           << "2500"
                                           << "0E010224FD09C4"
                                           << "-3"
                                           << "2500"
                                           << "";
        QTest::newRow("point cut off") << 0 << "2.7"
                                       << "1000.9"
                                       << "0E01020002"
                                          "03E8"
                                       << "2"
                                       << "1000"
                                       << "";
        QTest::newRow("minus one both") << 1 << "-1"
                                        << "-1"
                                        << "0E010201FFFFFF"
                                        << "-1"
                                        << "-1"
                                        << "";
        QTest::newRow("limits") << 40 << "-128"
                                << "-32768"
                                << "0E0102FE808000"
                                << "-128"
                                << "-32768"
                                << "";
        QTest::newRow("custom, upper limits") << 41 << "127"
                                              << "32767"
                                              << "0E0102FF7F7FFF"
                                              << "127"
                                              << "32767"
                                              << "";
        QTest::newRow("out of range kept in range") << 0 << "300"
                                                    << "40000"
                                                    << "0E0102007F7FFF"
                                                    << "300"
                                                    << "40000"
                                                    << "";
        QTest::newRow("unreadable exponent") << 0 << "abc"
                                             << "5"
                                             << ""
                                             << "abc"
                                             << "5"
                                             << "Invalid Exponent.";
        QTest::newRow("unreadable value") << 0 << "1"
                                          << ""
                                          << ""
                                          << "1"
                                          << ""
                                          << "Invalid Value.";
        QTest::newRow("nothing before the point") << 0 << ".5"
                                                  << "-.5"
                                                  << ""
                                                  << ""
                                                  << "-"
                                                  << "Invalid Exponent.|Invalid Value.";
        QTest::newRow("unit index outside list") << 42 << "1"
                                                 << "1"
                                                 << ""
                                                 << "1"
                                                 << "1"
                                                 << "";
    }
    void measurement()
    {
        QFETCH(int, unitIndex);
        QFETCH(QString, exponent);
        QFETCH(QString, value);
        QFETCH(QString, body);
        QFETCH(QString, cutExponent);
        QFETCH(QString, cutValue);
        QFETCH(QString, notices);
        const auto r =
            MeasurementBody(1, 2, unitIndex, exponent.toStdString(), value.toStdString());
        QCOMPARE(QString::fromStdString(r.body), body);
        QCOMPARE(QString::fromStdString(r.exponentText), cutExponent);
        QCOMPARE(QString::fromStdString(r.valueText), cutValue);
        QStringList got;
        for (const auto& n : r.notices)
            got << QString::fromStdString(n);
        QCOMPARE(got.join(QLatin1Char('|')), notices);
    }

    void unitTable()
    {
        QCOMPARE(kMeasurementUnits.size(), std::size_t(42));
        for (std::size_t i = 0; i < 40; ++i)
            QCOMPARE(kMeasurementUnits[i].code, int(i));
        QCOMPARE(kMeasurementUnits[36].text, std::string_view("Volts"));
    }

    void spinFieldLeaveRule()
    {
        QCOMPARE(SpinFieldValue("abc", kExponentMin, kExponentMax), -128);
        QCOMPARE(SpinFieldValue("", kValueMin, kValueMax), -32768);
        QCOMPARE(SpinFieldValue(" 12 ", kExponentMin, kExponentMax), 12);
        QCOMPARE(SpinFieldValue("99999999999999999999", kValueMin, kValueMax), 32767);
        QCOMPARE(SpinFieldValue("-99999999999999999999", kValueMin, kValueMax), -32768);
    }
};

QTEST_APPLESS_MAIN(TestComposeControl)
#include "tst_compose_control.moc"

#include "core/compose/cal.h"
#include "core/compose/telephony.h"

#include <QtTest>

using namespace tarvin::compose;

namespace {
QString Show(const ComposeResult& r)
{
    if (!r.ok())
        return QString::fromStdString("error: " + r.error);
    QStringList bodies;
    for (const auto& c : r.commands)
        bodies << QString::fromStdString(c);
    return bodies.join(QLatin1Char('|'));
}
} // namespace

class TestComposeTelephonyCal : public QObject
{
    Q_OBJECT

private slots:
    void numberCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("result");
        const QString error = "error: Invalid Phone Number.\rMust be between 1 and 16 characters.";
        QTest::newRow("ringing 123") << "ringing"
                                     << "123"
                                     << "A50501313233";
        QTest::newRow("off hook outgoing data 5") << "offhook4"
                                                  << "5"
                                                  << "A3022035";
        QTest::newRow("off hook incoming voice") << "offhook0"
                                                 << "0395"
                                                 << "A6020130333935";
        QTest::newRow("recall outgoing") << "recallout"
                                         << "1"
                                         << "A3060131";
        QTest::newRow("recall incoming") << "recallin"
                                         << "1"
                                         << "A3060231";
        QTest::newRow("divert 000") << "divert"
                                    << "000"
                                    << "A483303030";
        QTest::newRow("divert 16 digits")
            << "divert" << QString(16, QLatin1Char('9')) << "B183" + QString("39").repeated(16);
        QTest::newRow("ringing 16 digits")
            << "ringing" << QString(16, QLatin1Char('1')) << "B20501" + QString("31").repeated(16);
        QTest::newRow("divert 17 refused") << "divert" << QString(17, QLatin1Char('9')) << error;
        QTest::newRow("ringing empty refused") << "ringing"
                                               << "" << error;
        QTest::newRow("off hook empty refused") << "offhook1"
                                                << "" << error;
        QTest::newRow("off hook kind outside list") << "offhook6"
                                                    << "5"
                                                    << "";
    }
    void numberCommands()
    {
        QFETCH(QString, command);
        QFETCH(QString, number);
        QFETCH(QString, result);
        const std::string n = number.toStdString();
        ComposeResult r;
        if (command == "ringing")
            r = RingingBody(n);
        else if (command.startsWith("offhook"))
            r = OffHookBody(command.mid(7).toInt(), n);
        else if (command == "recallout")
            r = RecallOutgoingBody(n);
        else if (command == "recallin")
            r = RecallIncomingBody(n);
        else
            r = DivertBody(n);
        QCOMPARE(Show(r), result);
    }

    void telephonyFixed()
    {
        QCOMPARE(DialOutBody(4), std::string("0A0305"));
        QCOMPARE(DialOutBody(0), std::string("0A0301"));
        QCOMPARE(DialOutBody(5), std::string());
        QCOMPARE(std::string(kSlaveRecallOutgoingBody), std::string("0A8101"));
        QCOMPARE(kOffHookKinds[4].text, std::string_view("Outgoing Data"));
    }

    void calCommands()
    {
        QCOMPARE(RecallBody(0x10, 16), std::string("1A1010"));
        QCOMPARE(GetStatusBody(0xFF, 1), std::string("2AFF01"));
        QCOMPARE(RecallBody(0, 0), std::string("1A0001"));
        QCOMPARE(UnlockBody(5), std::string("1105"));
        QCOMPARE(std::string(kResetBody), std::string("08"));
    }

    void identify_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("body");
        QTest::newRow("manufacturer") << 0 << "2100";
        QTest::newRow("type (default)") << kDefaultIdentifyIndex << "2101";
        QTest::newRow("DSI status") << 17 << "2111";
        QTest::newRow("autotester data") << 18 << "2140";
        QTest::newRow("outside list") << 19 << "";
    }
    void identify()
    {
        QFETCH(int, index);
        QFETCH(QString, body);
        QCOMPARE(QString::fromStdString(IdentifyBody(index)), body);
    }

    void store_data()
    {
        QTest::addColumn<int>("parameter");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("result");
        const QString error = "error: Invalid Store Data.";
        QTest::newRow("1234 to 05") << 5 << "1234"
                                    << "A405001234";
        QTest::newRow("one byte, lower case kept") << 0xFE << "ab"
                                                   << "A3FE00ab";
        QTest::newRow("eight bytes") << 1 << "0011223344556677"
                                     << "AA01000011223344556677";
        QTest::newRow("odd length") << 5 << "123" << error;
        QTest::newRow("non-hex") << 5 << "12G4" << error;
        QTest::newRow("empty") << 5 << "" << error;
        QTest::newRow("longer than the field") << 5 << "001122334455667788" << error;
    }
    void store()
    {
        QFETCH(int, parameter);
        QFETCH(QString, data);
        QFETCH(QString, result);
        QCOMPARE(Show(StoreBody(parameter, data.toStdString())), result);
    }
};

QTEST_APPLESS_MAIN(TestComposeTelephonyCal)
#include "tst_compose_telephony_cal.moc"

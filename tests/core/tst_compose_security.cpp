#include "core/compose/security.h"

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

class TestComposeSecurity : public QObject
{
    Q_OBJECT

private slots:
    void lists()
    {
        QCOMPARE(kSecurityStatusMessages.size(), std::size_t(31));
        QCOMPARE(SecurityStatusBody(0), std::string("7A8001"));
        QCOMPARE(SecurityStatusBody(13), std::string("0A8CFF"));
        QCOMPARE(SecurityStatusBody(30), std::string("0198"));
        QCOMPARE(SecurityStatusBody(31), std::string());
        QCOMPARE(ArmBody(4), std::string("0AA2FF"));
        QCOMPARE(ArmBody(-1), std::string());
    }

    void zoneStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("zone");
        QTest::addColumn<QString>("body");
        QTest::newRow("unsealed 1") << int(ZoneState::Unsealed) << 1 << "0A8601";
        QTest::newRow("sealed 80") << int(ZoneState::Sealed) << 80 << "0A8750";
        QTest::newRow("isolated 12") << int(ZoneState::Isolated) << 12 << "0A8A0C";
        QTest::newRow("arm fail 3") << int(ZoneState::ArmFail) << 3 << "0A9203";
    }
    void zoneStates()
    {
        QFETCH(int, state);
        QFETCH(int, zone);
        QFETCH(QString, body);
        QCOMPARE(QString::fromStdString(ZoneStateBody(ZoneState(state), zone)), body);
    }

    void zoneName()
    {
        QCOMPARE(ZoneName("7"), std::string("Zone 7     "));
        QCOMPARE(ZoneName("123456789"), std::string("Zone 123456"));
        QCOMPARE(ZoneNameBody(12), std::string("AD8D0C"
                                               "5A6F6E65203132"
                                               "20202020"));
        QCOMPARE(ZoneNameBody(80).size(), std::size_t(6 + 22));
    }

    void statusStrings_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        const QString e22 = "error: Invalid Status String.\rMust be 22 characters.";
        const QString e24 = "error: Invalid Status String.\rMust be 24 characters.";
        QTest::newRow("status 1 default") << 1 << kDefaultStatus1 << "AC8E0100000000000000000000";
        QTest::newRow("status 1, 21 digits") << 1 << QString(21, QLatin1Char('0')) << e22;
        QTest::newRow("status 1, 23 digits") << 1 << QString(23, QLatin1Char('0')) << e22;
        QTest::newRow("status 1, non-hex") << 1 << "01000000000000000000G0" << e22;
        QTest::newRow("status 1, lower case as typed") << 1 << "abcdef0000000000000000"
                                                       << "AC8Eabcdef0000000000000000";
        QTest::newRow("status 2 default") << 2 << kDefaultStatus2 << "AD8F000000000000000000000000";
        QTest::newRow("status 2 given 22") << 2 << kDefaultStatus1 << e24;
        QTest::newRow("status 2 empty") << 2 << "" << e24;
    }
    void statusStrings()
    {
        QFETCH(int, which);
        QFETCH(QString, text);
        QFETCH(QString, result);
        const std::string t = text.toStdString();
        QCOMPARE(Show(which == 1 ? Status1Body(t) : Status2Body(t)), result);
    }

    void displayMessage_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("result");
        const QString error =
            "error: Invalid Message String.\rMust be between 1 and 19 characters.";
        QTest::newRow("Hi") << QByteArray("Hi") << "E3A64869";
        QTest::newRow("one character") << QByteArray("A") << "E2A641";
        QTest::newRow("19 characters")
            << QByteArray(19, 'a') << "F4A6" + QString("61").repeated(19);
        QTest::newRow("20 refused") << QByteArray(20, 'a') << error;
        QTest::newRow("empty refused") << QByteArray() << error;
        QTest::newRow("8-bit byte") << QByteArray("\xE9") << "E2A6E9";
    }
    void displayMessage()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, result);
        QCOMPARE(Show(DisplayMessageBody(text.toStdString())), result);
    }

    void keypadAndRequests()
    {
        QCOMPARE(KeypadBody("0"), std::string("0AA530"));
        QCOMPARE(KeypadBody("9"), std::string("0AA539"));
        QCOMPARE(KeypadBody("Enter"), std::string("0AA50D"));
        QCOMPARE(KeypadBody(""), std::string());
        QCOMPARE(GetZoneNameBody(80), std::string("0AA750"));
        QCOMPARE(std::string(kArmReadyBody), std::string("0A9200"));
    }
};

QTEST_APPLESS_MAIN(TestComposeSecurity)
#include "tst_compose_security.moc"

// Value formatting, the application directory, and the Interpret Command and
// Application Support texts.

#include "core/decode/applications.h"
#include "core/decode/decode.h"
#include "core/decode/interpret.h"
#include "core/decode/message.h"
#include "core/decode/values.h"

#include <QtTest>

#include <set>
#include <string>

using namespace tarvin;

class TestDecodeValues : public QObject
{
    Q_OBJECT

private slots:
    void applicationNames_data();
    void applicationNames();
    void levels();
    void onlyWholePercentLevelsPrintAsPercent();
    void rampAndLearnNames();
    void bytesAsText();
    void interpret_data();
    void interpret();
    void applicationSupport();
};

void TestDecodeValues::applicationNames_data()
{
    QTest::addColumn<int>("app");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("label");
    QTest::newRow("lighting") << 0x38 << true << QByteArray("Lighting")
                              << QByteArray("Lighting (38)");
    QTest::newRow("lighting 30 hex")
        << 0x30 << true << QByteArray("Lighting (30)") << QByteArray("Lighting (30) (30)");
    QTest::newRow("lighting 30 dec")
        << 0x30 << false << QByteArray("Lighting (48)") << QByteArray("Lighting (48) (48)");
    QTest::newRow("lighting 5F") << 0x5F << true << QByteArray("Lighting (5F)")
                                 << QByteArray("Lighting (5F) (5F)");
    QTest::newRow("60 unnamed") << 0x60 << true << QByteArray() << QByteArray("App 60");
    QTest::newRow("00 unnamed") << 0x00 << false << QByteArray() << QByteArray("App 0");
    QTest::newRow("FE unnamed") << 0xFE << true << QByteArray() << QByteArray("App FE");
    QTest::newRow("99 hex") << 0x99 << true << QByteArray() << QByteArray("App 99");
    QTest::newRow("99 dec") << 0x99 << false << QByteArray() << QByteArray("App 153");
    QTest::newRow("pool") << 0x72 << false << QByteArray("Pool, Spa, Pond and Fountain")
                          << QByteArray("Pool, Spa, Pond and Fountain (114)");
    QTest::newRow("network control")
        << 0xFF << false << QByteArray("Network Control") << QByteArray("Network Control (255)");
}

void TestDecodeValues::applicationNames()
{
    QFETCH(int, app);
    QFETCH(bool, hex);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, label);
    QCOMPARE(QByteArray::fromStdString(ApplicationName(app, hex)), name);
    QCOMPARE(QByteArray::fromStdString(ApplicationLabel(app, hex)), label);
}

void TestDecodeValues::levels()
{
    QCOMPARE(LevelOfPercent(50), 0x7F);
    QCOMPARE(LevelOfPercent(100), 0xFF);
    QCOMPARE(PercentOfLevel(0xFF), 100);
    QCOMPARE(PercentOfLevel(0), 0);
    QCOMPARE(LevelText(0, true), std::string("0%"));
    QCOMPARE(LevelText(2, true), std::string("1%"));
    QCOMPARE(LevelText(127, false), std::string("50%"));
    QCOMPARE(LevelText(255, true), std::string("100%"));
    QCOMPARE(LevelText(128, true), std::string("80"));
    QCOMPARE(LevelText(128, false), std::string("128"));
    QCOMPARE(LevelText(1, true), std::string("01"));
    QCOMPARE(LevelText(1, false), std::string("1"));
}

void TestDecodeValues::onlyWholePercentLevelsPrintAsPercent()
{
    std::set<int> sent;
    for (int percent = 0; percent <= 100; ++percent)
        sent.insert(LevelOfPercent(percent));
    QCOMPARE(sent.size(), std::size_t(101));
    for (int level = 0; level <= 255; ++level) {
        const std::string text = LevelText(level, true);
        QCOMPARE(text.back() == '%', sent.count(level) == 1);
        if (sent.count(level))
            QCOMPARE(LevelOfPercent(PercentOfLevel(level)), level);
    }
}

void TestDecodeValues::rampAndLearnNames()
{
    QCOMPARE(RampRateTable.size(), std::size_t(16));
    for (std::size_t k = 0; k < RampRateTable.size(); ++k) {
        QCOMPARE(RampRateTable[k].command, int(8 * k + 2));
        QCOMPARE(std::string(RampRateName(RampRateTable[k].command)),
                 std::string(RampRateTable[k].name));
    }
    QCOMPARE(std::string(RampRateName(0x42)), std::string("1.5m"));
    QVERIFY(RampRateName(0x01) == nullptr);
    QVERIFY(RampRateName(0x79) == nullptr);
    QVERIFY(RampRateName(0x82) == nullptr);
    QVERIFY(RampRateName(0xFA) == nullptr);
    QCOMPARE(std::string(LearnTypeName(0x82)), std::string("Exit Dimmer"));
    QCOMPARE(std::string(LearnTypeName(0x05)), std::string());
}

void TestDecodeValues::bytesAsText()
{
    Decoder decoder;
    QVERIFY(decoder.Parse("41424344454647"));
    QCOMPARE(BytesAsText(decoder.buffer(), 3, 11), std::string("CDEFG"));
    QCOMPARE(BytesAsText(decoder.buffer(), 1, 2), std::string("AB"));
    QCOMPARE(BytesAsText(decoder.buffer(), 1, 0), std::string());
    QCOMPARE(BytesAsText(decoder.buffer(), 1, -3), std::string());
    QCOMPARE(BytesAsText(decoder.buffer(), 8, 5), std::string());
    QCOMPARE(BytesAsText(decoder.buffer(), 199, 100), std::string());
    // Bytes of a longer earlier message never show through.
    QVERIFY(decoder.Parse("5A"));
    QCOMPARE(BytesAsText(decoder.buffer(), 1, 5), std::string("Z"));
}

void TestDecodeValues::interpret_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<int>("interfaceOptions");
    QTest::addColumn<QByteArray>("shown");
    auto row = [](const char* name, const QByteArray& typed, bool hex, int ifo, const char* shown) {
        QTest::newRow(name) << typed << hex << ifo << QByteArray(shown);
    };
    row("confirmation", "g.", true, 0, "Message = OK");
    row("checksum error", "!", true, 0, "Message = Checksum Error");
    row("outbound", "\\0538007905FF", true, 0, "Message = Lighting, GA 05 On");
    row("outbound without trailing byte", "\\0538007905", true, 0,
        "Message = Lighting, LENGTH ERROR");
    row("blank inside", "0501380079 05FF", true, 0, "Message could not be decoded");
    row("received", "050138007905FF", true, 0,
        "Message = Local Network, Source Unit 01, Lighting, GA 05 On");
    row("received decimal", "050A38007905FF", false, 0,
        "Message = Local Network, Source Unit 10, Lighting, GA 5 On");
    row("trimmed", QByteArray("\t  g.  \r\n"), true, 0, "Message = OK");
    row("empty", "", true, 0, "");
    row("blanks only", QByteArray(" \t\x01\x1f "), true, 0, "");
    row("lone backslash", "\\", true, 0, "Message could not be decoded");
    row("backslash and one digit", "\\0", true, 0, "Message could not be decoded");
    row("CAL with idmon", "8605000089017E", true, 0x40,
        "Message = Local Network, Source Unit 05, CAL, Reply, Parameter 01");
    row("CAL without idmon", "8220057E", true, 0, "Message = CAL, Reply, Parameter 20");
    row("junk", "hello", true, 0, "Message could not be decoded");
    // Only the first 100 characters after the header are kept: the second
    // of these commands would overrun into the 51st byte.
    row("outbound cut at 100", "\\053800" + QByteArray("7905").repeated(25) + "7906FF", true, 0,
        "Message = Lighting, GA 05 On, GA 05 On, GA 05 On, GA 05 On, GA 05 On, GA 05 On, "
        "GA 05 On, GA 05 On, GA 05 On, GA 05 On, GA 05 On, GA 05 On, GA 05 On, GA 05 On, "
        "GA 05 On, GA 05 On, GA 05 On, GA 05 On, GA 05 On, GA 05 On, GA 05 On, GA 05 On, "
        "GA 05 On, LENGTH ERROR");
}

void TestDecodeValues::interpret()
{
    QFETCH(QByteArray, typed);
    QFETCH(bool, hex);
    QFETCH(int, interfaceOptions);
    QFETCH(QByteArray, shown);
    DecodeContext context;
    context.hexNumbers = hex;
    context.interfaceOptions = static_cast<std::uint8_t>(interfaceOptions);
    QCOMPARE(QByteArray::fromStdString(InterpretCommandText(typed.toStdString(), context)), shown);
}

void TestDecodeValues::applicationSupport()
{
    const char* const expectedHex = "Applications Supported by this version :"
                                    "\r  19  Temperature Broadcast"
                                    "\r  26  Room Control System"
                                    "\r  30-5F  Lighting"
                                    "\r  70  Ventilation"
                                    "\r  71  Irrigation"
                                    "\r  72  Pool, Spa, Pond and Fountain"
                                    "\r  88  Heating"
                                    "\r  CA  Trigger Control"
                                    "\r  CB  Enable Control"
                                    "\r  D0  Security"
                                    "\r  D5  Access Control"
                                    "\r  DF  Time"
                                    "\r  E0  Telephony"
                                    "\r  E4  Measurement"
                                    "\r  FF  Network Control";
    QCOMPARE(ApplicationSupportText(true), std::string(expectedHex));
    const std::string decimal = ApplicationSupportText(false);
    QVERIFY(
        decimal.find("\r  25  Temperature Broadcast\r  38  Room Control System\r  48-95  Lighting\r"
                     "  112  Ventilation") != std::string::npos);
    QVERIFY(decimal.size() > 40 &&
            decimal.compare(decimal.size() - 23, 23, "\r  255  Network Control") == 0);
    QVERIFY(decimal.find('\n') == std::string::npos);
}

QTEST_APPLESS_MAIN(TestDecodeValues)
#include "tst_decode_values.moc"

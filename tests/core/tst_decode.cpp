// The parser and dispatcher: line kinds, the outbound rewrite, the header
// part of descriptions, the command walk, CAL and status replies, and
// malformed input.

#include "core/decode/decode.h"
#include "core/decode/hex.h"

#include <QtTest>

#include <string>

using namespace tarvin;

namespace {

// Test lines are written with blanks between pairs for reading; "xx" stands
// for the checksum byte, whatever its value.
std::string Line(const char* spaced)
{
    std::string line;
    for (const char* ch = spaced; *ch; ++ch)
        if (*ch != ' ')
            line.push_back(*ch);
    for (std::size_t at = line.find("xx"); at != std::string::npos; at = line.find("xx"))
        line.replace(at, 2, "C3");
    return line;
}

DecodeContext Context(bool hex, int interfaceOptions = 0)
{
    DecodeContext context;
    context.hexNumbers = hex;
    context.interfaceOptions = static_cast<std::uint8_t>(interfaceOptions);
    return context;
}

} // namespace

class TestDecode : public QObject
{
    Q_OBJECT

private slots:
    void describes_data();
    void describes();
    void rewritesSentCommands_data();
    void rewritesSentCommands();
    void hexHelpers();
    void keepsNoStateBetweenMessages();
    void fieldsBeyondMessageReadAsZero();
    void fieldOutsideBufferGivesEmptyText();
    void survivesEveryByteAndLength();
    void parseIntoBuffer();
};

void TestDecode::describes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("options");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<int>("interfaceOptions");
    QTest::addColumn<QByteArray>("expected");

    auto row = [](const char* name, const std::string& line, int options, bool hex, int ifo,
                  const char* expected) {
        QTest::newRow(name) << QByteArray::fromStdString(line) << options << hex << ifo
                            << QByteArray(expected);
    };

    // Confirmations and error reports.
    row("ok", "g.", 8, true, 0, "OK");
    row("ok any options", "g.", 0, false, 0, "OK");
    row("no clock", "j%", 31, true, 0, "No Tarvin Clock");
    row("no ack", "z#", 8, true, 0, "No Acknowledgement");
    row("corrupted", "h$", 8, true, 0, "Corrupted Transmission");
    row("f is no code", "f.", 8, true, 0, "");
    row("upper case is no code", "G.", 8, true, 0, "");
    row("other terminator", "g'", 8, true, 0, "");
    row("reset terminator", "g~", 8, true, 0, "");
    row("lone bang", "!", 8, true, 0, "Checksum Error");
    row("code and bang", "k!", 8, true, 0, "Checksum Error");
    row("bang in text", "0501!38", 8, true, 0, "Checksum Error");
    row("odd digits", "0501380", 15, true, 0, "");
    row("empty", "", 15, true, 0, "");
    row("blank inside", "0501380079 05FF", 15, true, 0, "");
    row("lone backslash", "\\", 15, true, 0, "");
    row("lone at", "@", 15, true, 0, "");
    row("reset line sent", "~~~", 24, true, 0, "");
    row("reset line received", "~~~", 15, true, 0, "");

    // The header part of SAL descriptions.
    const std::string on = Line("05 01 38 00 79 05 xx");
    row("unit app message", on, 13, true, 0, "Source Unit 01, Lighting, GA 05 On");
    row("all four", on, 15, true, 0, "Local Network, Source Unit 01, Lighting, GA 05 On");
    row("unit only", on, 1, true, 0, "Source Unit 01, ");
    row("network only", on, 2, true, 0, "Local Network, ");
    row("application only", on, 4, true, 0, "Lighting, ");
    row("message only", on, 8, true, 0, "GA 05 On");
    row("nothing", on, 0, true, 0, "");
    row("two commands", Line("05 01 38 00 0A 05 7F 01 06 xx"), 8, true, 0,
        "GA 05 Ramp to 50% over 4s, GA 06 Off");
    row("routed", Line("05 11 38 02 22 0A 79 05 xx"), 15, true, 0,
        "Network 1122, Source Unit 0A, Lighting, GA 05 On");
    row("routed decimal", Line("05 11 38 02 22 0A 79 05 xx"), 15, false, 0,
        "Network 1122, Source Unit 10, Lighting, GA 5 On");
    row("path text as received", Line("05 1a 38 02 2b 0C 79 05 xx"), 3, true, 0,
        "Network 1a2b, Source Unit 0C, ");
    row("decimal numbers", Line("05 1F 3A 00 79 FF xx"), 15, false, 0,
        "Local Network, Source Unit 31, Lighting (58), GA 255 On");
    row("hex app name", Line("05 1F 3A 00 79 FF xx"), 12, true, 0, "Lighting (3A), GA FF On");
    row("unnamed app", Line("05 01 99 00 79 05 01 06 xx"), 12, true, 0, ", , ");
    row("ventilation as lighting", Line("05 01 70 00 79 05 xx"), 12, true, 0,
        "Ventilation, GA 05 On");
    row("7F as lighting", Line("05 01 7F 00 79 05 xx"), 12, true, 0, ", GA 05 On");
    row("room control as lighting", Line("05 01 26 00 01 05 xx"), 8, true, 0, "GA 05 Off");
    row("heating as lighting", Line("05 01 88 00 01 05 xx"), 8, true, 0, "GA 05 Off");

    // The command walk.
    row("length error", Line("05 01 38 00 79 xx"), 8, true, 0, "LENGTH ERROR");
    row("only checksum after header", Line("\\05 03 38 00 79"), 8, true, 0, "");
    row("argument in checksum place", "050338007901", 8, true, 0, "LENGTH ERROR");
    row("error after good command", Line("05 01 38 00 79 05 79 xx"), 8, true, 0,
        "GA 05 On, LENGTH ERROR");
    row("long form overruns", Line("05 01 E0 00 A5 05 00 31 xx"), 8, true, 0, "LENGTH ERROR");
    row("learn too short", Line("05 01 38 00 03 01 10 xx"), 8, true, 0, "LENGTH ERROR");
    row("short SAL with unit", Line("05 01 38"), 15, true, 0, "");
    row("network needs six bytes", Line("05 01 38 00 79"), 2, true, 0, "");
    row("header compared whole 85", Line("85 01 38 00 79 05 xx"), 8, true, 0,
        "CAL, Reply, Parameter 01");
    row("header compared whole 45", Line("45 01 38 00 79 05 xx"), 8, true, 0, "");

    // Outbound commands.
    row("sent local", Line("\\05 38 00 79 05"), 24, true, 0, "GA 05 On");
    row("sent hides unit", Line("\\05 38 00 79 05"), 31, true, 0,
        "Local Network, Lighting, GA 05 On");
    row("sent routed", Line("\\03 0A 12 1B 38 79 05"), 26, true, 0, "Network 0A1B, GA 05 On");
    row("sent p2p2m without path", Line("\\03 38 00 79 05"), 26, true, 0, "Local Network, ");
    row("sent status MMI", Line("\\05 FF 00 7A 38 00"), 24, true, 0,
        "Status MMI Request for Application 38");
    row("sent level MMI decimal", Line("\\05 FF 00 73 07 38 20"), 24, false, 0,
        "Level MMI Request for Application 56");
    row("sent CAL idmon", "@A3400048", 24, true, 0x40, "CAL, Store Parameter 40");
    row("sent CAL default mode", "@A3400048", 24, true, 0x51, "CAL, Store Parameter 40");
    row("sent CAL without idmon", "@A3400048", 24, true, 0, "");
    row("sent CAL to unit", Line("\\06 05 00 21 01"), 24, true, 0x40, "CAL, Identify 01");
    row("sent status header", Line("\\C4 00 00 00"), 24, true, 0, "");
    row("sent other header", Line("\\07 00 00 00"), 24, true, 0x40, "");

    // CAL messages and status replies.
    row("CAL reply idmon", Line("86 05 00 00 89 01 xx"), 15, true, 0x40,
        "Local Network, Source Unit 05, CAL, Reply, Parameter 01");
    row("CAL reply no idmon", Line("82 20 05 xx"), 15, true, 0, "CAL, Reply, Parameter 20");
    row("CAL of three bytes", Line("82 20 05"), 15, true, 0, "");
    row("CAL data beyond message", Line("86 05 00 00"), 15, true, 0x40, "Source Unit 05, ");
    row("CAL data beyond message no unit", Line("86 05 00 00"), 14, true, 0x40, "");
    row("CAL routed idmon", Line("86 11 00 02 22 0A 21 02 xx"), 15, true, 0x40,
        "Network 1122, Source Unit 0A, CAL, Identify 02");
    row("CAL reset", Line("08 00 00 00"), 8, true, 0, "CAL, Reset");
    row("CAL unlock", Line("11 40 00 00"), 8, true, 0, "CAL, Unlock Parameter 40");
    row("CAL recall", Line("1A 30 04 00"), 8, false, 0, "CAL, Recall Parameter 48, Count = 4");
    row("CAL identify", Line("21 05 00 00"), 8, true, 0, "CAL, Identify 05");
    row("CAL identify at last byte", Line("86 05 00 00 21"), 8, true, 0x40, "CAL, Identify 00");
    row("CAL get status", Line("2A 38 10 00"), 8, true, 0, "CAL, Get Status 38, Count = 10");
    row("CAL acknowledge", Line("32 30 00 00"), 8, true, 0, "CAL, Acknowledge, Parameter 30");
    row("CAL store", Line("A3 40 00 48"), 8, true, 0, "CAL, Store Parameter 40");
    row("CAL status inside", Line("86 05 00 00 C7 38 00 xx"), 8, true, 0x40, "Status MMI");
    row("CAL extended inside", Line("86 05 00 00 E7 38 00 xx"), 8, true, 0x40,
        "Extended Format MMI");
    row("CAL unknown", Line("09 00 00 00"), 15, true, 0, "");
    row("status reply", Line("C4 38 00 01 02 03 04 05"), 15, true, 0, "Status MMI");
    row("status reply idmon", Line("C4 38 00 01 02 03 04 05"), 15, true, 0x40, "Status MMI");
    row("extended reply", Line("E5 00 38 00 11 22 33 44"), 15, true, 0, "Extended Format MMI");
    row("one byte status", "DF", 15, true, 0, "Status MMI");

    // Network control.
    row("installation MMI", Line("05 0A FF 00 7A FF 00 xx"), 15, true, 0,
        "Local Network, Source Unit 0A, Network Control, Installation MMI Request");
    row("level MMI", Line("05 0A FF 00 73 07 38 00 xx"), 15, true, 0,
        "Local Network, Source Unit 0A, Network Control, Level MMI Request for Application 38");
    row("level MMI bad marker", Line("05 0A FF 00 73 06 38 00 xx"), 8, true, 0, " Unknown");
    row("learn application", Line("05 0A FF 00 04 38 02 10 00 xx"), 8, true, 0,
        "Learn App 38, Initiate Dimmer, GA 10");
    row("network control unknown", Line("05 0A FF 00 01 05 xx"), 8, true, 0, " Unknown");
}

void TestDecode::describes()
{
    QFETCH(QByteArray, line);
    QFETCH(int, options);
    QFETCH(bool, hex);
    QFETCH(int, interfaceOptions);
    QFETCH(QByteArray, expected);
    const std::string result =
        DecodeMessage(line.toStdString(), options, Context(hex, interfaceOptions));
    QCOMPARE(QByteArray::fromStdString(result), expected);
}

void TestDecode::rewritesSentCommands_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("received");
    QTest::newRow("local") << QByteArray("0538007905") << QByteArray("05003800790500");
    QTest::newRow("one bridge") << QByteArray("030A0938790A") << QByteArray("050A380100790A00");
    QTest::newRow("two bridges") << QByteArray("030A121B387905")
                                 << QByteArray("050A38021B0079"
                                               "0500");
    QTest::newRow("p2p2m stays 03 without path") << QByteArray("03380079")
                                                 << QByteArray("0300380079"
                                                               "00");
    QTest::newRow("CAL to local PCI") << QByteArray("060000A3400048")
                                      << QByteArray("06000000A3400048"
                                                    "00");
    QTest::newRow("CAL routed") << QByteArray("060A0905210100")
                                << QByteArray("060A050100210100"
                                              "00");
    QTest::newRow("route byte not a multiple of 9") << QByteArray("0511"
                                                                  "0B"
                                                                  "38")
                                                    << QByteArray("051138"
                                                                  "01"
                                                                  "00"
                                                                  "00");
    QTest::newRow("path longer than text") << QByteArray("05FFFF")
                                           << QByteArray("05FF1C"
                                                         "00"
                                                         "00");
    QTest::newRow("header only") << QByteArray("05") << QByteArray("050000");
}

void TestDecode::rewritesSentCommands()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, received);
    const std::string rewritten = SentCommandInReceivedLayout(sent.toStdString());
    QCOMPARE(QByteArray::fromStdString(rewritten), received);
    QVERIFY(IsHexString(rewritten));
}

void TestDecode::hexHelpers()
{
    QCOMPARE(HexToNumber("7f"), 127LL);
    QCOMPARE(HexToNumber("7F"), 127LL);
    QCOMPARE(HexToNumber(""), 0LL);
    QCOMPARE(HexToNumber("\\0G5"), 5LL);
    QVERIFY(!IsHexString(""));
    QVERIFY(!IsHexString("0"));
    QVERIFY(!IsHexString("0G"));
    QVERIFY(!IsHexString("123"));
    QVERIFY(IsHexString("0a1B"));
}

void TestDecode::keepsNoStateBetweenMessages()
{
    // One decoder for a long message, then a short one whose fields lie where
    // the first one's bytes still stand in the buffer.
    Decoder decoder;
    const DecodeContext hex = Context(true, 0x40);
    QCOMPARE(decoder.DecodeMessage(Line("05 01 D5 00 A5 09 08 01 12 34 xx"), 8, hex),
             std::string(" Valid Access Request Network 09, Access Point 08, In, ID = 1234"));
    QCOMPARE(decoder.buffer().length, 11);
    QCOMPARE(decoder.DecodeMessage(Line("05 01 D5 00 A0 xx"), 8, hex),
             std::string(" Valid Access Request Network C3, Access Point 00, ID = "));
    QCOMPARE(decoder.buffer().length, 6);
    QCOMPARE(int(decoder.buffer().at(7)), 0);

    QCOMPARE(decoder.DecodeMessage(Line("86 05 00 00 21 44 xx"), 8, hex),
             std::string("CAL, Identify 44"));
    QCOMPARE(decoder.DecodeMessage(Line("86 05 00 00 21"), 8, hex),
             std::string("CAL, Identify 00"));
    QCOMPARE(decoder.DecodeMessage(Line("86 05 00 00 21"), 8, hex),
             DecodeMessage(Line("86 05 00 00 21"), 8, hex));
}

void TestDecode::fieldsBeyondMessageReadAsZero()
{
    // An access request without argument bytes reads network, access point
    // and direction from beyond its command: the checksum, then nothing.
    QCOMPARE(DecodeMessage(Line("05 01 D5 00 C0 7E"), 8, Context(true)),
             std::string(" Invalid Access Request Network 7E, Access Point 00, ID = "));
}

void TestDecode::fieldOutsideBufferGivesEmptyText()
{
    // A routed message whose path length points beyond the 200-byte buffer:
    // its source unit cannot exist, so nothing is said about the message.
    const std::string routed = Line("05 01 38 FF 79 05 xx");
    QCOMPARE(DecodeMessage(routed, 1, Context(true)), std::string());
    QCOMPARE(DecodeMessage(routed, 12, Context(true)), std::string("Lighting, "));

    // A 200-byte message whose last command's fields run past the buffer.
    std::string full = Line("05 01 D5 00");
    while (full.size() < 2 * 198)
        full += "79FF";
    full.resize(2 * 198);
    full += "A0C3"; // an access request without arguments, then the checksum
    QCOMPARE(full.size(), std::size_t(400));
    QCOMPARE(DecodeMessage(full, 8, Context(true)), std::string());

    // Pairs beyond the 200th are not read at all.
    Decoder decoder;
    QCOMPARE(decoder.DecodeMessage(full + "0102030405", 8, Context(true)), std::string());
    QCOMPARE(decoder.buffer().length, 200);
}

void TestDecode::survivesEveryByteAndLength()
{
    Decoder decoder;
    const DecodeContext contexts[] = {Context(false, 0), Context(true, 0x40)};
    // Every byte value in every position of a short line, under every option
    // word: nothing may crash, and a non-hex line says nothing unless it
    // carries "!" or is a two-character confirmation.
    for (int value = 0; value < 256; ++value) {
        for (int position = 0; position < 4; ++position) {
            std::string line = "0501";
            line.insert(line.begin() + position, static_cast<char>(value));
            for (int options = 0; options < 32; ++options)
                for (const DecodeContext& context : contexts) {
                    const std::string result = decoder.DecodeMessage(line, options, context);
                    if (value == '!')
                        QCOMPARE(result, std::string("Checksum Error"));
                    else if (!IsHexDigit(static_cast<char>(value)) && value != '@' && value != '\\')
                        QVERIFY2(result.empty(), line.c_str());
                }
        }
    }
    // Every byte value as a message byte, in every application.
    for (int app = 0; app < 256; ++app) {
        for (int c = 0; c < 256; c += 7) {
            std::string line = "0501" + HexByte(app) + "00" + HexByte(c);
            for (int k = 0; k < 40; ++k)
                line += HexByte((c * 31 + k * 17) & 0xFF);
            decoder.DecodeMessage(line, 15, contexts[app & 1]);
        }
    }
    // Very long lines of every kind.
    const std::string tenThousand(10000, 'F');
    QCOMPARE(decoder.DecodeMessage(tenThousand, 15, contexts[1]),
             std::string("Extended Format MMI"));
    std::string longSal = "05013800";
    while (longSal.size() < 10000)
        longSal += "7905";
    QVERIFY(!decoder.DecodeMessage(longSal, 15, contexts[0]).empty());
    QCOMPARE(decoder.buffer().length, 200);
    QVERIFY(decoder.DecodeMessage(tenThousand + "!", 15, contexts[0]) == "Checksum Error");
    QVERIFY(decoder.DecodeMessage("\\" + tenThousand, 31, contexts[1]).empty());
    QVERIFY(decoder.DecodeMessage(std::string(10000, '\0'), 15, contexts[0]).empty());
}

void TestDecode::parseIntoBuffer()
{
    Decoder decoder;
    QVERIFY(decoder.Parse("05a1FF"));
    QCOMPARE(decoder.buffer().length, 3);
    QCOMPARE(int(decoder.buffer().at(2)), 0xA1);
    QCOMPARE(int(decoder.buffer().at(3)), 0xFF);
    QCOMPARE(int(decoder.buffer().at(4)), 0);
    QVERIFY(!decoder.Parse("05a1F"));
    QVERIFY(!decoder.Parse(""));
    QVERIFY(!decoder.Parse("05 1"));
    QCOMPARE(decoder.buffer().length, 3);
    QVERIFY(decoder.Parse(std::string(1000, '1')));
    QCOMPARE(decoder.buffer().length, 200);
    QCOMPARE(int(decoder.buffer().at(200)), 0x11);
}

QTEST_APPLESS_MAIN(TestDecode)
#include "tst_decode.moc"

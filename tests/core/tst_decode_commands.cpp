// The command decoders of every application, through whole SAL messages:
// each row is one command in a local message with only the message shown.

#include "core/decode/decode.h"

#include <QtTest>

#include <string>

using namespace tarvin;

namespace {

// A local SAL message from unit 01: header, application, the command bytes
// (blanks allowed) and a checksum byte.
std::string Sal(int application, const char* command)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string line = "0501";
    line.push_back(kDigits[application >> 4]);
    line.push_back(kDigits[application & 0xF]);
    line += "00";
    for (const char* ch = command; *ch; ++ch)
        if (*ch != ' ')
            line.push_back(*ch);
    return line + "5A";
}

} // namespace

class TestDecodeCommands : public QObject
{
    Q_OBJECT

private slots:
    void describes_data();
    void describes();
    void everyRampRate();
    void keypadCharacters();
    void textArgumentsStopAtMessageEnd();
};

void TestDecodeCommands::describes_data()
{
    QTest::addColumn<int>("application");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QByteArray>("expected");
    auto row = [](const char* name, int app, const char* command, bool hex, const char* expected) {
        QTest::newRow(name) << app << QByteArray(command) << hex << QByteArray(expected);
    };

    // Lighting family.
    row("off", 0x38, "01 10", true, "GA 10 Off");
    row("set full", 0x38, "02 10 FF", true, "GA 10 Set to 100%");
    row("set raw level", 0x38, "02 10 80", true, "GA 10 Set to 80");
    row("set raw level decimal", 0x38, "02 10 80", false, "GA 16 Set to 128");
    row("set odd level", 0x38, "02 10 01", true, "GA 10 Set to 01");
    row("learn", 0x38, "03 01 10 00", true, "Learn Initiate Relay, GA 10");
    row("learn unnamed type", 0x38, "03 05 10 00", true, "Learn , GA 10");
    row("learn exit area decimal", 0x38, "03 83 20 00", false, "Learn Exit Area, GA 32");
    row("ramp 1m", 0x38, "3A 10 00", true, "GA 10 Ramp to 0% over 1m");
    row("ramp 4s half", 0x38, "0A 05 7F", false, "GA 5 Ramp to 50% over 4s");
    row("ramp 17m", 0x38, "7A 05 FF", true, "GA 05 Ramp to 100% over 17m");
    row("lighting kill unknown", 0x38, "09 10", true, " Unknown");
    row("ventilation on", 0x70, "79 05", true, "GA 05 On");
    row("scene kill", 0xCA, "09 05", true, "GA 05 Scene Indicator Kill");
    row("enable ramp illegal", 0xCB, "0A 05 20", true,
        "GA 05 Set to 20 over 4s - illegal Application Use");
    row("trigger set raw hex", 0xCA, "02 05 FF", true, "GA 05 Set to FF");
    row("trigger set raw dec", 0xCA, "02 05 FF", false, "GA 5 Set to 255");
    row("trigger on off", 0xCA, "79 01 01 02", true, "GA 01 On, GA 02 Off");
    row("trigger learn unknown", 0xCA, "03 01 10 00", true, " Unknown");
    row("temperature", 0x19, "02 03 50", true, "GA 03 is at 20.0C");
    row("temperature small", 0x19, "02 03 08", true, "GA 03 is at  2.0C");
    row("temperature max rounds up", 0x19, "02 03 FF", true, "GA 03 is at 63.8C");
    row("temperature quarter rounds up", 0x19, "02 03 01", true, "GA 03 is at  0.3C");
    row("temperature three quarters", 0x19, "02 03 03", true, "GA 03 is at  0.8C");
    row("temperature zero", 0x19, "02 0C 00", false, "GA 12 is at  0.0C");
    row("temperature other command", 0x19, "01 03", true, " Unknown");

    // Security.
    row("disarmed", 0xD0, "01 80", true, "System Disarmed");
    row("drop tamper", 0xD0, "01 A3", true, "Drop Tamper");
    row("arm ok only raised", 0xD0, "01 92", true, " Unknown");
    row("arm ok raised", 0xD0, "79 92", true, "Arm OK");
    row("raise alarm", 0xD0, "79 A4", true, "Raise Alarm");
    row("entry delay", 0xD0, "09 82", true, "Entry Delay Started");
    row("report 2 request", 0xD0, "09 A1", true, "Status Report 2 Request");
    row("zone unsealed", 0xD0, "0A 86 05", true, "Zone 5 Unsealed");
    row("zone isolated decimal always", 0xD0, "0A 8A 1F", true, "Zone 31 Isolated");
    row("battery charging", 0xD0, "0A 8C FF", true, "Battery Charging Started");
    row("battery charging odd", 0xD0, "0A 8C 01", true, " Unknown");
    row("password reenabled", 0xD0, "0A 90 04", true, "Password Entry Re-enabled");
    row("password other", 0xD0, "0A 90 05", true, " Unknown");
    row("arm ok value", 0xD0, "0A 92 00", true, "Arm OK");
    row("arm failed", 0xD0, "0A 92 07", true, "Arm Failed : Zone 7 Not Sealed");
    row("alarm type", 0xD0, "0A 93 01", true, "Alarm Type - this message has been superseded");
    row("arm night", 0xD0, "0A A2 02", true, "Arm System : Night (Home) Mode");
    row("arm highest", 0xD0, "0A A2 FF", true, "Arm System : Highest Level");
    row("arm odd mode", 0xD0, "0A A2 09", true, "Arm System : unknown mode");
    row("keypad letter", 0xD0, "0A A5 41", true, "Emulate Keypad : A");
    row("keypad enter", 0xD0, "0A A5 0D", true, "Emulate Keypad : Enter");
    row("keypad vacation", 0xD0, "0A A5 87", true, "Emulate Keypad : Vacation");
    row("keypad other", 0xD0, "0A A5 0C", true, "Emulate Keypad : #12");
    row("keypad high", 0xD0, "0A A5 FE", true, "Emulate Keypad : #254");
    row("zone name request", 0xD0, "0A A7 0C", true, "Request Zone 12 Name");
    row("0A unknown code", 0xD0, "0A 80 00", true, " Unknown");
    row("partially armed", 0xD0, "7A 80 02", true, "System Partially Armed");
    row("armed special", 0xD0, "7A 80 05", true, "System Armed State special");
    row("armed state needs 7A", 0xD0, "02 80 02", true, " Unknown");
    row("zone name", 0xD0, "AD 8D 03 46 72 6F 6E 74 20 44 6F 6F 72 20", true,
        "Zone 3 Name : Front Door ");
    row("report 1", 0xD0, "AC 8E 00 00 00 00 00 00 00 00 00 00 00", true, "Status Report 1");
    row("report 2", 0xD0, "AD 8F 00 00 00 00 00 00 00 00 00 00 00 00", true, "Status Report 2");
    row("report 1 wrong byte", 0xD0, "AD 8E 00 00 00 00 00 00 00 00 00 00 00 00", true, " Unknown");
    row("display message", 0xD0, "E4 A6 48 69 21", true, "Display Message : Hi!");
    row("display needs long form", 0xD0, "A4 A6 48 69 21", true, " Unknown");

    // Access control.
    row("close all", 0xD5, "02 FF FF", true,
        " Close Access Point : All Networks, All Access Points");
    row("lock one", 0xD5, "0A 03 FF", true, " Lock Access Point : Network 03, All Access Points");
    row("close decimal", 0xD5, "02 10 11", false,
        " Close Access Point : Network 16, Access Point 17");
    row("left open", 0xD5, "12 01 02", true,
        " Access Point Left Open : Network 01, Access Point 02");
    row("forced open", 0xD5, "1A FF 02", true,
        " Access Point Forced Open : Network FF, Access Point 02");
    row("closed", 0xD5, "22 01 02", true, " Access Point Closed : Network 01, Access Point 02");
    row("request to exit", 0xD5, "32 01 02", true,
        " Request to Exit : Network 01, Access Point 02");
    row("valid request", 0xD5, "A5 01 02 01 12 34", true,
        " Valid Access Request Network 01, Access Point 02, In, ID = 1234");
    row("invalid request out", 0xD5, "C6 01 02 02 0A BC 0D", false,
        " Invalid Access Request Network 1, Access Point 2, Out, ID = 0ABC0D");
    row("request without ID", 0xD5, "A3 01 02 03", true,
        " Valid Access Request Network 01, Access Point 02, ID = ");
    row("access unknown", 0xD5, "2A 01 02", true, " Unknown");

    // Clock.
    row("time with offset", 0xDF, "0D 01 0D 05 09 01", true,
        "Time 13:05:09 Daylight Savings Offset : 1 hour(s)");
    row("time without offset", 0xDF, "0D 01 00 00 00 00", true, "Time 00:00:00");
    row("date", 0xDF, "0E 02 07 EA 0C 07 00", true, "Date Monday 7/12/2026");
    row("date sunday", 0xDF, "0E 02 07 D0 01 01 06", true, "Date Sunday 1/1/2000");
    row("date no day name", 0xDF, "0E 02 07 D0 01 01 07", true, "Date 1/1/2000");
    row("time code mismatch", 0xDF, "0D 02 0D 05 09 01", true, " Unknown");

    // Telephony.
    row("on hook", 0xE0, "09 01", true, "Line On Hook");
    row("clear diversion", 0xE0, "09 84", true, "Clear Diversion");
    row("off hook needs other command", 0xE0, "09 02", true, " Unknown");
    row("no answer", 0xE0, "0A 03 02", true, "Dial Out Failure - No Answer");
    row("dial out other", 0xE0, "0A 03 06", true, " Unknown");
    row("stopped ringing", 0xE0, "0A 04 01", true, "Dial In Failure - Stopped Ringing");
    row("outlet isolated", 0xE0, "0A 80 01", true, "Secondary Outlet Isolated");
    row("recall incoming", 0xE0, "0A 81 02", true, "Recall Last Incoming Number");
    row("ringing", 0xE0, "A5 05 00 31 32 33", true, "Ringing 123");
    row("off hook outgoing", 0xE0, "A6 02 10 35 35 35 31", true,
        "Line Off Hook - Outgoing Voice 5551");
    row("off hook odd kind", 0xE0, "A4 02 77 39 39", true, " 99");
    row("recall response", 0xE0, "A4 06 00 34 32", true, "Recall Last Number Response 42");
    row("divert", 0xE0, "A4 83 30 31 32", true, "Divert to 012");
    row("telephony unknown", 0xE0, "A2 09 01", true, " Unknown");

    // Measurement.
    row("measurement", 0xE4, "0E 01 02 00 FF 00 D7", true, "Device 1 Channel 2 = 215E-1 C");
    row("measurement true", 0xE4, "0E 01 02 04 00 00 01", true, "Device 1 Channel 2 = TRUE");
    row("measurement false", 0xE4, "0E 01 02 04 05 00 00", true, "Device 1 Channel 2 = FALSE");
    row("measurement negative", 0xE4, "0E 0A 14 24 00 FF FF", true,
        "Device 10 Channel 20 = -1E0 Volts");
    row("measurement exponent", 0xE4, "0E 01 02 1A FE 7F FF", true,
        "Device 1 Channel 2 = 32767E-2 %");
    row("measurement min value", 0xE4, "0E 01 02 27 80 80 00", true,
        "Device 1 Channel 2 = -32768E-128 Webers");
    row("measurement no unit text", 0xE4, "0E 01 02 28 00 00 05", true, "Device 1 Channel 2 = 5E0");
    row("measurement other", 0xE4, "0D 01 02 00 00 00", true, " Unknown");
}

void TestDecodeCommands::describes()
{
    QFETCH(int, application);
    QFETCH(QByteArray, command);
    QFETCH(bool, hex);
    QFETCH(QByteArray, expected);
    DecodeContext context;
    context.hexNumbers = hex;
    const std::string result =
        DecodeMessage(Sal(application, command.constData()), ShowMessage, context);
    QCOMPARE(QByteArray::fromStdString(result), expected);
}

void TestDecodeCommands::everyRampRate()
{
    const char* const names[] = {"4s", "8s", "12s", "20s", "30s", "40s", "1m", "1.5m",
                                 "2m", "3m", "5m",  "7m",  "10m", "15m", "17m"};
    DecodeContext context;
    context.hexNumbers = true;
    for (int k = 1; k < 16; ++k) {
        char command[16];
        std::snprintf(command, sizeof command, "%02X 01 FF", 8 * k + 2);
        QCOMPARE(DecodeMessage(Sal(0x38, command), ShowMessage, context),
                 std::string("GA 01 Ramp to 100% over ") + names[k - 1]);
        QCOMPARE(DecodeMessage(Sal(0xCA, command), ShowMessage, context),
                 std::string("GA 01 Set to FF over ") + names[k - 1] +
                     " - illegal Application Use");
    }
}

void TestDecodeCommands::keypadCharacters()
{
    // Printable keys and DEL come through as the character itself.
    DecodeContext context;
    for (int v = 0x20; v <= 0x7F; ++v) {
        char command[16];
        std::snprintf(command, sizeof command, "0A A5 %02X", v);
        QCOMPARE(DecodeMessage(Sal(0xD0, command), ShowMessage, context),
                 std::string("Emulate Keypad : ") + static_cast<char>(v));
    }
}

void TestDecodeCommands::textArgumentsStopAtMessageEnd()
{
    DecodeContext context;
    // A short-form ringing command takes its count from the low five bits
    // of the command byte: 0D gives 11 characters, but the message (with
    // its checksum 5A, "Z") ends after four of them.
    QCOMPARE(DecodeMessage(Sal(0xE0, "0D 05 00 31 32 33"), ShowMessage, context),
             std::string("Ringing 123Z"));
    // Control bytes in text arguments pass through unchanged.
    QCOMPARE(DecodeMessage(Sal(0xE0, "A4 83 0A 00 0D"), ShowMessage, context),
             std::string("Divert to \n", 11) + std::string(1, '\0') + "\r");
    // A zone name cut short by the message end.
    QCOMPARE(DecodeMessage(Sal(0xD0, "AD 8D 01 41"), ShowMessage, context),
             std::string("LENGTH ERROR"));
}

QTEST_APPLESS_MAIN(TestDecodeCommands)
#include "tst_decode_commands.moc"

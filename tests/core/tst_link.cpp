// The link's pure pieces: the line assembler, framing, reply patterns,
// versions, time stamps and the settings text form.
#include <QtTest>

#include "core/decode/hex.h"
#include "core/files/settings.h"
#include "core/link/framing.h"
#include "core/link/line_assembler.h"
#include "core/link/log_text.h"

#include <map>
#include <random>

using namespace tarvin;

Q_DECLARE_METATYPE(std::string)

namespace {

std::vector<ReceivedLine> FeedAll(const std::string& text, bool showAscii = false,
                                  std::size_t pieceSize = 0)
{
    LineAssembler assembler;
    std::vector<ReceivedLine> lines;
    if (pieceSize == 0) {
        assembler.Feed(text, showAscii, lines);
    } else {
        for (std::size_t i = 0; i < text.size(); i += pieceSize)
            assembler.Feed(std::string_view(text).substr(i, pieceSize), showAscii, lines);
    }
    return lines;
}

QString Q(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    void assemblerLines_data();
    void assemblerLines();
    void assemblerPiecesDoNotMatter();
    void assemblerAsciiRendering();
    void assemblerBoundsEndlessLine();

    void checksum();
    void framing();
    void ackSequenceWraps();
    void headers_data();
    void headers();
    void stringsMatch_data();
    void stringsMatch();
    void extractVersion_data();
    void extractVersion();
    void hexHelpers();

    void timeStamps();
    void logLines();
    void settingsDefaultsAndGarbage();
};

void TestLink::assemblerLines_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("buffers");
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<QList<bool>>("terminators");

    QTest::newRow("reply with CR LF")
        << QByteArray("0501380079050A\r\n") << QStringList{"0501380079050A<CR>", "<LF>"}
        << QStringList{"0501380079050A", ""} << QList<bool>{false, false};
    QTest::newRow("lone checksum error")
        << QByteArray("!") << QStringList{"!"} << QStringList{"!"} << QList<bool>{true};
    QTest::newRow("confirmation passed whole")
        << QByteArray("g.") << QStringList{"g."} << QStringList{"g."} << QList<bool>{true};
    QTest::newRow("long line ended by dot has no part")
        << QByteArray("123.") << QStringList{"123."} << QStringList{""} << QList<bool>{true};
    QTest::newRow("bell ends the line with a marker")
        << QByteArray("AB\x07") << QStringList{"AB<0>"} << QStringList{"AB"} << QList<bool>{false};
    QTest::newRow("high byte") << QByteArray("12\xE9") << QStringList{"12<0>"} << QStringList{"12"}
                               << QList<bool>{false};
    QTest::newRow("tilde echo") << QByteArray("~~~") << QStringList{"~", "~", "~"}
                                << QStringList{"~", "~", "~"} << QList<bool>{true, true, true};
    QTest::newRow("quote and ampersand are text")
        << QByteArray("a\"b&c\r") << QStringList{"a\"b&c<CR>"} << QStringList{"a\"b&c"}
        << QList<bool>{false};
}

void TestLink::assemblerLines()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, buffers);
    QFETCH(QStringList, parts);
    QFETCH(QList<bool>, terminators);
    const auto lines = FeedAll(input.toStdString());
    QCOMPARE(int(lines.size()), buffers.size());
    for (int i = 0; i < buffers.size(); ++i) {
        QCOMPARE(Q(lines[i].buffer), buffers[i]);
        QCOMPARE(Q(lines[i].part), parts[i]);
        QCOMPARE(lines[i].terminator, terminators[i]);
    }
}

void TestLink::assemblerPiecesDoNotMatter()
{
    const std::string stream = "g.0501380079050A\r\nh#\x01"
                               "FF!86010089000102\r\n";
    const auto whole = FeedAll(stream);
    std::mt19937 rng(7);
    for (std::size_t size : {1u, 2u, 3u, 5u, 7u}) {
        const auto split = FeedAll(stream, false, size);
        QCOMPARE(split.size(), whole.size());
        for (std::size_t i = 0; i < whole.size(); ++i)
            QCOMPARE(Q(split[i].buffer), Q(whole[i].buffer));
    }
    // Random piece sizes, fed through one assembler.
    LineAssembler assembler;
    std::vector<ReceivedLine> lines;
    std::size_t pos = 0;
    while (pos < stream.size()) {
        const std::size_t n = std::uniform_int_distribution<std::size_t>(1, 6)(rng);
        assembler.Feed(std::string_view(stream).substr(pos, n), false, lines);
        pos += n;
    }
    QCOMPARE(lines.size(), whole.size());
    QVERIFY(assembler.pending().empty());
}

void TestLink::assemblerAsciiRendering()
{
    auto lines = FeedAll("48454C4C4F\r", true);
    QCOMPARE(lines.size(), size_t(1));
    QCOMPARE(Q(lines[0].buffer), QStringLiteral("48454C4C4F<CR>  \"HELLO\""));
    QCOMPARE(Q(lines[0].part), QStringLiteral("48454C4C4F"));
    QVERIFY(lines[0].keep());

    // Unprintable bytes become "_"; a single character gets no rendering.
    lines = FeedAll("41074209\r!", true);
    QCOMPARE(Q(lines[0].buffer), QStringLiteral("41074209<CR>  \"A_B_\""));
    QCOMPARE(Q(lines[1].buffer), QStringLiteral("!"));
    QVERIFY(!FeedAll("\n", true)[0].keep());
}

void TestLink::assemblerBoundsEndlessLine()
{
    LineAssembler assembler;
    std::vector<ReceivedLine> lines;
    const std::string junk(10000, 'A');
    assembler.Feed(junk, false, lines);
    QCOMPARE(lines.size(), size_t(2));
    QCOMPARE(lines[0].buffer.size(), LineAssembler::kMaxLine);
    QVERIFY(assembler.pending().size() < LineAssembler::kMaxLine);
}

void TestLink::checksum()
{
    QCOMPARE(Q(HexChecksum("\\053800790A")), QStringLiteral("40"));
    QCOMPARE(Q(HexChecksum("\\0538000A01")), QStringLiteral("B8"));
    QCOMPARE(Q(HexChecksum("")), QStringLiteral("00"));
    // Non-hex characters are skipped one at a time, so "@" and "~" do not count.
    QCOMPARE(Q(HexChecksum("@2101")), QStringLiteral("DE"));
    QCOMPARE(Q(HexChecksum("~~~A3300051")), QStringLiteral("DC"));
}

void TestLink::framing()
{
    AckSequence ack;
    QCOMPARE(Q(FrameCommand("\\0538000A01", kOptionChecksum, false, ack)),
             QStringLiteral("\\0538000A01B8"));
    QCOMPARE(ack.next(), 'g');
    QCOMPARE(Q(FrameCommand("\\0538000A01", 0x51, true, ack)), QStringLiteral("\\0538000A01g"));
    QCOMPARE(Q(FrameCommand("\\0538000A01", 0x59, true, ack)), QStringLiteral("\\0538000A01B8h"));
    // A text that already ends in a letter keeps it and does not use one.
    QCOMPARE(Q(FrameCommand("\\0538000A01k", 0, true, ack)), QStringLiteral("\\0538000A01k"));
    QCOMPARE(ack.next(), 'i');
}

void TestLink::ackSequenceWraps()
{
    AckSequence ack;
    std::string letters;
    for (int i = 0; i < 21; ++i)
        letters += ack.take();
    QCOMPARE(Q(letters), QStringLiteral("ghijklmnopqrstuvwxyzg"));
}

void TestLink::headers_data()
{
    QTest::addColumn<bool>("sal");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("header"); // empty: refused

    QTest::newRow("local SAL") << true << 0x38 << false << ""
                               << "\\053800";
    QTest::newRow("local CAL") << false << 0x0A << false << ""
                               << "\\060A00";
    QTest::newRow("path ignored when local") << true << 0x38 << false << "G"
                                             << "\\053800";
    QTest::newRow("two bridges") << true << 0x38 << true << "0A1B"
                                 << "\\030A121B38";
    QTest::newRow("one bridge CAL") << false << 0x05 << true << "22"
                                    << "\\06220905";
    QTest::newRow("six bridges") << true << 0xCA << true << "0102030405AB"
                                 << "\\030136020304"
                                    "05ABCA";
    QTest::newRow("lower case kept") << true << 0x38 << true << "0a"
                                     << "\\030a0938";
    QTest::newRow("odd path") << true << 0x38 << true << "0A1"
                              << "";
    QTest::newRow("not hex") << true << 0x38 << true << "0G"
                             << "";
    QTest::newRow("empty path") << false << 0x38 << true << ""
                                << "";
    QTest::newRow("seven bridges") << true << 0x38 << true << "01020304050607"
                                   << "";
}

void TestLink::headers()
{
    QFETCH(bool, sal);
    QFETCH(int, number);
    QFETCH(bool, remote);
    QFETCH(QString, path);
    QFETCH(QString, header);
    const std::string p = path.toStdString();
    const auto result = sal ? SALHeader(number, remote, p) : CALHeaderForUnit(number, remote, p);
    if (header.isEmpty()) {
        QVERIFY(!result.has_value());
    } else {
        QVERIFY(result.has_value());
        QCOMPARE(Q(*result), header);
    }
}

void TestLink::stringsMatch_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("match");
    QTest::newRow("rest") << "86????008900*"
                          << "86ABCD0089000102<CR>" << true;
    QTest::newRow("nothing after star") << "86????008900*"
                                        << "86ABCD008900" << true;
    QTest::newRow("too short") << "86????008900*"
                               << "86ABCD00890" << false;
    QTest::newRow("case matters") << "86????008900*"
                                  << "86abcd008900" << true;
    QTest::newRow("literal differs") << "86????008900*"
                                     << "86ABCD008A00" << false;
    QTest::newRow("exact length") << "8?"
                                  << "81" << true;
    QTest::newRow("longer than exact") << "8?"
                                       << "812" << false;
    QTest::newRow("lower case literal") << "a?"
                                        << "A1" << false;
    QTest::newRow("empty pattern") << ""
                                   << "" << false;
}

void TestLink::stringsMatch()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, match);
    QCOMPARE(StringsMatch(pattern.toStdString(), text.toStdString()), match);
}

void TestLink::extractVersion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("version");
    QTest::newRow("4.2") << "4.2" << 0x402;
    QTest::newRow("3.10") << "3.10" << 0x310;
    QTest::newRow("no dot") << "4" << 0x400;
    QTest::newRow("two dots") << "4.1.7" << 0x401;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters skipped") << "V3.C" << 0x30C;
    QTest::newRow("huge stays bounded") << "FFFFFFFFFFFFFFFFFFFF.1" << 0xFFFF * 256 + 1;
}

void TestLink::extractVersion()
{
    QFETCH(QString, text);
    QFETCH(int, version);
    QCOMPARE(ExtractVersion(text.toStdString()), version);
    // What the workbench shows of a version reads back as the same version.
    if (version <= 0xFFFF)
        QCOMPARE(ExtractVersion(VersionText(version)), version);
}

void TestLink::hexHelpers()
{
    QCOMPARE(HexToNumber("7f"), 127LL);
    QCOMPARE(HexToNumber("7F"), 127LL);
    QCOMPARE(HexToNumber(""), 0LL);
    QCOMPARE(HexToNumber("1x2"), 0x12LL);
    QVERIFY(!IsHexString(""));
    QVERIFY(!IsHexString("0"));
    QVERIFY(!IsHexString("0G"));
    QVERIFY(!IsHexString("123"));
    QVERIFY(IsHexString("0a1B"));
    QCOMPARE(Q(ClampHexByte("1FF")), QStringLiteral("FF"));
    QCOMPARE(Q(ClampHexByte("x5")), QStringLiteral("05"));
    QCOMPARE(Q(TextToHex("INT_AB  ")), QStringLiteral("494E545F41422020"));
    QCOMPARE(Q(NumberString(5, true)), QStringLiteral("05"));
    QCOMPARE(Q(NumberString(0x123, true)), QStringLiteral("123"));
    QCOMPARE(Q(NumberString(56, false)), QStringLiteral("56"));
    QCOMPARE(StringToNumber("38", true), 56LL);
    QCOMPARE(StringToNumber("-7", false), -7LL);
    QCOMPARE(StringToNumber("-7", true), 0LL);
    QCOMPARE(StringToNumber("1A", false), 0LL);
    QCOMPARE(StringToNumber("", false), 0LL);
}

void TestLink::timeStamps()
{
    const ClockTime t{13, 4, 5, 678};
    QCOMPARE(Q(TimeStampText(t, 0)), QStringLiteral("13:04:05"));
    QCOMPARE(Q(TimeStampText(t, 1)), QStringLiteral("13:04:05.6"));
    QCOMPARE(Q(TimeStampText(t, 2)), QStringLiteral("13:04:05.67"));
    QCOMPARE(Q(TimeStampText(t, 3)), QStringLiteral("13:04:05"));
    QCOMPARE(Q(TimeStampText({7, 5, 9, 300}, 1, "08/12/2026")),
             QStringLiteral("08/12/2026 07:05:09.3"));
}

void TestLink::logLines()
{
    QCOMPARE(Q(PaneLine(Direction::Transmitted, "GA 05 On", true, "")),
             QStringLiteral("Tx : GA 05 On"));
    QCOMPARE(Q(PaneLine(Direction::Received, "OK", true, "07:05:09.3")),
             QStringLiteral("07:05:09.3  Rx : OK"));
    QCOMPARE(Q(PaneLine(Direction::Received, "OK", false, "")), QStringLiteral("OK"));
    QCOMPARE(Q(PaneLine(Direction::Transmitted, "# note", true, "")), QStringLiteral("# note"));
    QCOMPARE(Q(CommandLogLine(Direction::Received, "OK", "")), QStringLiteral("Rx : OK"));
    QCOMPARE(Q(CommandLogLine(Direction::Transmitted, "#x", "")), QStringLiteral("#x"));
}

void TestLink::settingsDefaultsAndGarbage()
{
    Settings empty;
    LoadSettings(empty, [](const std::string&) { return std::optional<std::string>(); });
    QCOMPARE(Q(empty.comPort), QStringLiteral("COM1"));
    QCOMPARE(Q(empty.ipAddress), QStringLiteral("192.168.0.1"));
    QCOMPARE(empty.port, 14000);
    QVERIFY(!empty.usesTcp());
    QCOMPARE(empty.decodeOptions(), 8);
    QVERIFY(!empty.hexNumbers);

    const std::map<std::string, std::string> store{
        {"Port", "banana"},         {"ConnectionType", "5"},     {"ShowUnit", "1"},
        {"ShowMessage", "0"},       {"TimeDP", "99999999999"},   {"HexNumbers", ""},
        {"IPAddress", "127.0.0.1"}, {"SessionCaptureLines", "5"}};
    Settings s;
    LoadSettings(s, [&](const std::string& name) -> std::optional<std::string> {
        auto it = store.find(name);
        if (it == store.end())
            return std::nullopt;
        return it->second;
    });
    QCOMPARE(s.port, 14000);
    QVERIFY(s.usesTcp());
    QCOMPARE(s.decodeOptions(), 1);
    QCOMPARE(s.timeDP, 0);
    QVERIFY(!s.hexNumbers);
    QCOMPARE(Q(s.ipAddress), QStringLiteral("127.0.0.1"));
    QCOMPARE(s.sessionCaptureLines, kMinSessionCaptureLines); // held within its range

    // Every value is written as text, in the store's order.
    const auto values = SettingsValues(s);
    QCOMPARE(int(values.size()), 18);
    QCOMPARE(Q(values[2].second), QStringLiteral("14000"));
    QCOMPARE(Q(values[3].second), QStringLiteral("5"));
    QCOMPARE(Q(values[4].first), QStringLiteral("CombineLists"));
}

QTEST_APPLESS_MAIN(TestLink)
#include "tst_link.moc"

// Identification replies: field decoders, field positions and the texts
// built from them.
#include <QtTest>

#include "core/diagnostics/reply_fields.h"
#include "core/link/framing.h"

using namespace tarvin;

namespace {

QByteArray Q(const std::string& s)
{
    return QByteArray(s.data(), static_cast<int>(s.size()));
}

// A PCI reply: header, four route characters, "00", the reply byte, the
// echoed attribute, then the data.
std::string PCIReply(const std::string& replyAndAttribute, const std::string& data)
{
    return "86" + std::string("0A0B") + "00" + replyAndAttribute + data + "<CR>";
}

} // namespace

class TestDiagFields : public QObject
{
    Q_OBJECT

private slots:
    void sixBitName_data()
    {
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("all zero") << QByteArray("000000000000") << QByteArray("!!!!!!!!");
        QTest::newRow("TESTUNIT") << QByteArray("CE4CB3D2DA33") << QByteArray("TESTUNIT");
        QTest::newRow("PART and padding codes")
            << QByteArray("BE0C7379E79E") << QByteArray("PART    ");
        QTest::newRow("lower case digits") << QByteArray("ce4cb3d2da33") << QByteArray("TESTUNIT");
        QTest::newRow("code 63 is backquote")
            << QByteArray("FC0000000000") << QByteArray("`!!!!!!!");
        QTest::newRow("no reply") << QByteArray("") << QByteArray("");
    }
    void sixBitName()
    {
        QFETCH(QByteArray, hex);
        QFETCH(QByteArray, name);
        QCOMPARE(Q(UnpackSixBitName(hex.toStdString())), name);
    }

    void hexToPrintable_data()
    {
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("plain") << QByteArray("5043494E54") << QByteArray("PCINT");
        QTest::newRow("control and high bytes dropped")
            << QByteArray("41001F427F80FF43") << QByteArray("ABC");
        QTest::newRow("edges kept") << QByteArray("207E") << QByteArray(" ~");
        QTest::newRow("non-hex pair skipped") << QByteArray("41G242") << QByteArray("AB");
        QTest::newRow("odd tail ignored") << QByteArray("41424") << QByteArray("AB");
        QTest::newRow("marker after the data") << QByteArray("4142<CR>") << QByteArray("AB");
    }
    void hexToPrintable()
    {
        QFETCH(QByteArray, hex);
        QFETCH(QByteArray, text);
        QCOMPARE(Q(HexToPrintable(hex.toStdString())), text);
    }

    void serialNumber_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("30-576") << QByteArray("0001E240") << QByteArray("30-576");
        QTest::newRow("max") << QByteArray("FFFFFFFF") << QByteArray("1048575-4095");
        QTest::newRow("short reply") << QByteArray("0001E") << QByteArray("30-0");
        QTest::newRow("no reply") << QByteArray("") << QByteArray("");
    }
    void serialNumber()
    {
        QFETCH(QByteArray, field);
        QFETCH(QByteArray, text);
        QCOMPARE(Q(SerialNumberText(field.toStdString())), text);
    }

    void replyFieldStaysInsideTheLine()
    {
        QCOMPARE(Q(ReplyField("0123456789", 3, 4)), QByteArray("2345"));
        QCOMPARE(Q(ReplyField("0123456789", 3, 4, 4)), QByteArray("6789"));
        QCOMPARE(Q(ReplyField("0123456789", 9, 4)), QByteArray("89"));
        QCOMPARE(Q(ReplyField("0123456789", 11, 4)), QByteArray());
        QCOMPARE(Q(ReplyField("", 13, 16, 12)), QByteArray());
        QCOMPARE(Q(ReplyField("0123", 0, 2)), QByteArray());
    }

    void pciFieldsFromReplies()
    {
        QCOMPARE(Q(DecodePCIField(kPCIManufacturer, PCIReply("8900", "4F7374726F6C2020"))),
                 QByteArray("Ostrol  "));
        QCOMPARE(Q(DecodePCIField(kPCIFirmwareVersion, PCIReply("8902", "2020342E31322020"))),
                 QByteArray("4.12"));
        QCOMPARE(Q(DecodePCIField(kPCIPartName, PCIReply("872A", "CE4CB3D2DA33"))),
                 QByteArray("TESTUNIT"));
        // The serial number sits at data bytes 6..9.
        QCOMPARE(Q(DecodePCIField(kPCISerialNumber, PCIReply("8D04", "00000000000001E240"))),
                 QByteArray("30-576"));
        QCOMPARE(Q(DecodePCIField(kPCIUnitAddress, PCIReply("8220", "fe"))), QByteArray("fe"));
        QCOMPARE(Q(DecodePCIField(kPCIVoltage, PCIReply("8607", "32332E3556"))),
                 QByteArray("23.5V"));
        QCOMPARE(Q(DecodePCIField(kPCIManufacturer, "")), QByteArray());
        QCOMPARE(PCIOptionByteFromReply(PCIReply("8242", "0F")), std::uint8_t(0x0F));
        QCOMPARE(PCIOptionByteFromReply(""), std::uint8_t(0));
    }

    void pciDetailsText()
    {
        PCIDetails details;
        details.fields[kPCIManufacturer] = "OSTREL";
        details.fields[kPCIUnitType] = "PC_INT";
        details.fields[kPCIFirmwareVersion] = "4.2";
        details.fields[kPCIPartName] = "TESTUNIT";
        details.fields[kPCIProject] = "PART    ";
        details.fields[kPCISerialNumber] = "30-576";
        details.fields[kPCIVoltage] = "23.5V";
        details.fields[kPCIUnitAddress] = "FE";
        QCOMPARE(
            Q(PCIDetailsText(details, 0x402, TcpLocation("192.168.0.1", 14000))),
            QByteArray("PC Interface Details :\r  Location : 192.168.0.1:14000\r"
                       "  Manufacturer : OSTREL\r  Unit Type : PC_INT\r  Part Name : TESTUNIT\r"
                       "  Project : PART    \r  Firmware Version : 4.2\r  Serial Number : 30-576\r"
                       "  Unit Address : FE\r  Tarvin Voltage : 23.5V"));
        QCOMPARE(
            Q(PCIDetailsText(details, 0, SerialLocation("COM1"))),
            QByteArray(
                "PC Interface Details Unknown.\rSome software features may not work correctly.\r"
                "If possible, use a version 4.0 or later PCI."));
    }

    // A reply counts only when it comes from the unit and network asked.
    void unitReplySource_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("matches");
        QTest::newRow("local unit") << 5 << QByteArray() << QByteArray("8605000089014449") << true;
        QTest::newRow("another local unit")
            << 5 << QByteArray() << QByteArray("8604000089014449") << false;
        QTest::newRow("unit FE, not the one before")
            << 0xFE << QByteArray() << QByteArray("86FD000089015357") << false;
        QTest::newRow("behind two bridges")
            << 7 << QByteArray("0a1b") << QByteArray("860A00021B0789014449") << true;
        QTest::newRow("same unit on another network")
            << 7 << QByteArray("0A1C") << QByteArray("860A00021B0789014449") << false;
        QTest::newRow("same address on the local network")
            << 7 << QByteArray("0A1B") << QByteArray("8607000089014449") << false;
        QTest::newRow("behind one bridge")
            << 7 << QByteArray("0A") << QByteArray("860A0001078901") << true;
        QTest::newRow("another attribute")
            << 5 << QByteArray() << QByteArray("8605000089024449") << false;
    }

    void unitReplySource()
    {
        QFETCH(int, unit);
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, reply);
        QFETCH(bool, matches);
        const std::string pattern = UnitReplyPattern(unit, path.toStdString(), "8901*");
        QCOMPARE(StringsMatch(pattern, reply.toStdString()), matches);
    }

    void unitRepliesWithNetworkPath()
    {
        // With a 4-character path the data start at character 17.
        const std::string remote = "86"
                                   "0A1B"
                                   "0123"
                                   "45"
                                   "8901"
                                   "20504349"
                                   "4E540120"
                                   "<CR>";
        QCOMPARE(Q(UnitTypeFromReply(remote, 4)), QByteArray("PCINT"));
        const std::string local = "86"
                                  "0123"
                                  "45"
                                  "8901"
                                  "20504349"
                                  "4E540120";
        QCOMPARE(Q(UnitTypeFromReply(local, 0)), QByteArray("PCINT"));
        QCOMPARE(Q(UnitVoltageFromReply("86012345"
                                        "8607"
                                        "32342E3156"
                                        "FF",
                                        0)),
                 QByteArray("24.1V"));
        QCOMPARE(Q(UnitTypeFromReply("", 4)), QByteArray());
    }

    void unitTexts()
    {
        QCOMPARE(Q(IdentifyUnitText(10, "RELAY", false)), QByteArray("Unit 10 Type = RELAY"));
        QCOMPARE(Q(IdentifyUnitText(10, "", true)), QByteArray("Unit 0A Type = "));
        UnitTypeTable table;
        table[3] = "RELAY";
        table[200] = "PCINT";
        QCOMPARE(Q(UnitTypeListText(table, true)),
                 QByteArray("Unit 03 : RELAY\rUnit C8 : PCINT\r"));
        QCOMPARE(Q(UnitTypeListText(UnitTypeTable{}, false)), QByteArray());
    }

    void unitDataImage()
    {
        QCOMPARE(Q(UnitDataImage::BlockCommandBody(31)), QByteArray("1AF808"));
        QCOMPARE(Q(UnitDataImage::BlockReplyPattern(1, 0x12, "AA")), QByteArray("86AA????128908*"));
        UnitDataImage image;
        image.StoreBlock(1,
                         "86"
                         "AA"
                         "0123"
                         "45"
                         "8908"
                         "0102030405060708"
                         "<CR>",
                         2);
        image.StoreBlock(2,
                         "86012345"
                         "8910"
                         "FFEE",
                         0); // cut short
        image.StoreBlock(32,
                         "86012345"
                         "8900"
                         "1111111111111111",
                         0);
        QCOMPARE(image.at(8), std::uint8_t(1));
        QCOMPARE(image.at(15), std::uint8_t(8));
        QCOMPARE(image.at(16), std::uint8_t(0xFF));
        QCOMPARE(image.at(17), std::uint8_t(0xEE));
        QCOMPARE(image.at(18), std::uint8_t(0));
        QCOMPARE(image.at(0), std::uint8_t(0));
        QCOMPARE(image.at(256), std::uint8_t(0));
    }
};

QTEST_APPLESS_MAIN(TestDiagFields)
#include "tst_diag_fields.moc"

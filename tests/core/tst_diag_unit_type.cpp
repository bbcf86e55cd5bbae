// Unit type names and the template copy in the installation settings text.
#include <QtTest>

#include "core/diagnostics/unit_type.h"

using namespace tarvin;

namespace {

QByteArray Q(const std::string& s)
{
    return QByteArray(s.data(), static_cast<int>(s.size()));
}

QByteArray Q(const std::optional<std::string>& s)
{
    return s ? Q(*s) : QByteArray("<none>");
}

const char kSample[] = "; installation software settings\r\n"
                       "[General]\r\n"
                       "INT_OST=wrong section\r\n"
                       "\r\n"
                       "[Unit Templates]\r\n"
                       "RELAY8=1,2,3\r\n"
                       "int_ost = 7,IF,0x20 ; kept as is\r\n"
                       "INT_AB=old\r\n"
                       "\r\n"
                       "[Other]\r\n"
                       "Key=Value\r\n";

} // namespace

class TestDiagUnitType : public QObject
{
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("AB") << QByteArray("AB") << QByteArray("INT_AB  ")
                            << QByteArray("AAF700494E545F41422020");
        QTest::newRow("four") << QByteArray("z9Q1") << QByteArray("INT_z9Q1")
                              << QByteArray("AAF700494E545F7A395131");
        QTest::newRow("empty") << QByteArray("") << QByteArray("INT_    ")
                               << QByteArray("AAF700494E545F20202020");
        QTest::newRow("too long") << QByteArray("ABCDE") << QByteArray("INT_ABCD")
                                  << QByteArray("AAF700494E545F41424344");
    }
    void names()
    {
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, command);
        const std::string newName = NewUnitTypeName(typed.toStdString());
        QCOMPARE(Q(newName), name);
        QCOMPARE(Q(StoreUnitTypeCommand(newName)), command);
    }

    void checks()
    {
        QVERIFY(CanSetUnitType("INT_OST "));
        QVERIFY(!CanSetUnitType("int_ABCD"));
        QVERIFY(!CanSetUnitType("INT"));
        QVERIFY(!CanSetUnitType(""));
        QVERIFY(UnitTypeWritten("INT_AB  ", "INT_AB  "));
        QVERIFY(!UnitTypeWritten("INT_AB", "INT_AB  "));
        QVERIFY(!UnitTypeWritten("INT_AC  ", "INT_AB  "));
        QVERIFY(IsUnitTypeCharacter('z') && IsUnitTypeCharacter('0') && IsUnitTypeCharacter('Q'));
        QVERIFY(!IsUnitTypeCharacter('_') && !IsUnitTypeCharacter(' ') &&
                !IsUnitTypeCharacter('\xE9'));
    }

    void readReply()
    {
        // Not trimmed: the blanks are part of the name.
        QCOMPARE(Q(UnitTypeNameFromReply("86AABB00"
                                         "8901"
                                         "494E545F41422020"
                                         "<CR>")),
                 QByteArray("INT_AB  "));
        QCOMPARE(Q(UnitTypeNameFromReply("")), QByteArray(""));
        QCOMPARE(Q(ReadUnitTypeText("INT_AB  ")), QByteArray("Unit Type is \"INT_AB  \""));
    }

    void readValue()
    {
        QCOMPARE(Q(IniReadValue(kSample, "unit templates", "INT_OST")),
                 QByteArray("7,IF,0x20 ; kept as is"));
        QCOMPARE(Q(IniReadValue(kSample, "General", "INT_OST")), QByteArray("wrong section"));
        QCOMPARE(Q(IniReadValue(kSample, "Unit Templates", "Key")), QByteArray("<none>"));
        QCOMPARE(Q(IniReadValue(kSample, "Missing", "Key")), QByteArray("<none>"));
    }

    void copyAddsNewKey()
    {
        const std::string sample = kSample;
        const auto edited = CopyUnitTemplate(sample, "INT_XY  ");
        QVERIFY(edited);
        const std::string insertAfter = "INT_AB=old\r\n";
        const std::size_t at = sample.find(insertAfter) + insertAfter.size();
        QCOMPARE(Q(*edited),
                 Q(sample.substr(0, at) + "INT_XY=7,IF,0x20 ; kept as is\r\n" + sample.substr(at)));
    }

    void copyReplacesExistingKey()
    {
        const std::string sample = kSample;
        const auto edited = CopyUnitTemplate(sample, "INT_AB  ");
        std::string expected = sample;
        expected.replace(expected.find("INT_AB=old"), 10, "INT_AB=7,IF,0x20 ; kept as is");
        QCOMPARE(Q(edited), Q(expected));
    }

    void copyNothingToWrite()
    {
        QCOMPARE(Q(CopyUnitTemplate("[Unit Templates]\r\nRELAY8=1\r\n", "INT_AB  ")),
                 QByteArray("<none>"));
        QCOMPARE(Q(CopyUnitTemplate("[Unit Templates]\r\nINT_OST=\r\n", "INT_AB  ")),
                 QByteArray("<none>"));
        QCOMPARE(Q(CopyUnitTemplate("[General]\nINT_OST=1\n", "INT_AB  ")), QByteArray("<none>"));
        QCOMPARE(Q(CopyUnitTemplate("", "INT_AB  ")), QByteArray("<none>"));
    }

    void lastSectionWithoutFinalLineEnd()
    {
        QCOMPARE(Q(CopyUnitTemplate("[A]\nx=1\n[Unit Templates]\nINT_OST=T", "INT_AB  ")),
                 QByteArray("[A]\nx=1\n[Unit Templates]\nINT_OST=T\nINT_AB=T"));
        QCOMPARE(Q(IniWriteValue("[Unit Templates]", "Unit Templates", "K", "V")),
                 QByteArray("[Unit Templates]\r\nK=V"));
    }
};

QTEST_APPLESS_MAIN(TestDiagUnitType)
#include "tst_diag_unit_type.moc"

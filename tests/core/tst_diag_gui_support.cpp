// What the diagnostics commands read from a reply once the receive path's
// markers are cut off, and which typed numbers they accept.
#include <QtTest>

#include "core/diagnostics/diagnostics_support.h"
#include "core/diagnostics/reply_fields.h"

using namespace tarvin;

class TestDiagGuiSupport : public QObject
{
    Q_OBJECT

private slots:
    void stripMarkers_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("plain") << QByteArray("8601000082420EA7<CR>")
                               << QByteArray("8601000082420EA7");
        QTest::newRow("with ascii") << QByteArray("8601<CR><LF>  \"AB\"") << QByteArray("8601");
        QTest::newRow("no markers") << QByteArray("860100") << QByteArray("860100");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("only markers") << QByteArray("<CR>") << QByteArray();
    }

    void stripMarkers()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, text);
        QCOMPARE(QByteArray::fromStdString(StripReplyMarkers(reply.toStdString())), text);
    }

    // A reply cut right after its echoed number carries no value: the field
    // must read 0, not the "<C" of the marker as 0C.
    void cutRepliesReadAsZero_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("optionByte");
        QTest::addColumn<int>("secondByte"); // of a unit data block
        QTest::newRow("whole") << QByteArray("8601000082420E<CR>") << 0x0E << 0;
        QTest::newRow("no data") << QByteArray("860100008242<CR>") << 0 << 0;
        QTest::newRow("half a pair") << QByteArray("8601000082420<CR>") << 0 << 0;
    }

    void cutRepliesReadAsZero()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, optionByte);
        QFETCH(int, secondByte);
        const std::string text = StripReplyMarkers(reply.toStdString());
        QCOMPARE(int(PCIOptionByteFromReply(text)), optionByte);
        UnitDataImage image;
        image.StoreBlock(0, text, 0);
        QCOMPARE(int(image.at(1)), secondByte);
        // The fault the stripping prevents.
        QVERIFY(PCIOptionByteFromReply("860100008242<CR>") != 0);
    }

    void busNumbers()
    {
        QVERIFY(IsBusNumber(0));
        QVERIFY(IsBusNumber(255));
        QVERIFY(!IsBusNumber(-1));
        QVERIFY(!IsBusNumber(256));
        QVERIFY(!IsBusNumber(1LL << 40));
    }
};

QTEST_MAIN(TestDiagGuiSupport)
#include "tst_diag_gui_support.moc"

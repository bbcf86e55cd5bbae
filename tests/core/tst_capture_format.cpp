// The line forms of an unattended capture.
#include <QtTest>

#include "core/files/capture_format.h"

using namespace tarvin;

class TestCaptureFormat : public QObject
{
    Q_OBJECT

private slots:
    void csvQuoting_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("plain") << QByteArray("GA 5 On") << QByteArray("GA 5 On");
        QTest::newRow("comma") << QByteArray("GA 5 On, GA 6 Off")
                               << QByteArray("\"GA 5 On, GA 6 Off\"");
        QTest::newRow("quote") << QByteArray("say \"Hi\"") << QByteArray("\"say \"\"Hi\"\"\"");
        QTest::newRow("line break") << QByteArray("a\r\nb") << QByteArray("\"a\r\nb\"");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("high byte") << QByteArray("caf\xE9") << QByteArray("caf\xE9");
    }
    void csvQuoting()
    {
        QFETCH(QByteArray, field);
        QFETCH(QByteArray, written);
        QCOMPARE(QByteArray::fromStdString(CsvField(field.toStdString())), written);
    }

    void lines()
    {
        QCOMPARE(
            QByteArray::fromStdString(CaptureLine(CaptureFormat::Csv, "2026-12-08 07:05:09.300",
                                                  'R', "05013800790544<CR>", "GA 5 On, GA 6 Off")),
            QByteArray("2026-12-08 07:05:09.300,Rx,05013800790544<CR>,\"GA 5 On, GA 6 Off\""));
        QCOMPARE(QByteArray::fromStdString(
                     CaptureLine(CaptureFormat::Text, "07:05:09", 'T', "~~~", "Set Basic Mode")),
                 QByteArray("07:05:09  Tx : Set Basic Mode  [~~~]"));
        QCOMPARE(QByteArray::fromStdString(CaptureMarker(CaptureFormat::Csv, "t", "link lost")),
                 QByteArray("t,#,,link lost"));
        QCOMPARE(QByteArray::fromStdString(CaptureMarker(CaptureFormat::Text, "t", "link lost")),
                 QByteArray("t  # link lost"));
    }
};

QTEST_APPLESS_MAIN(TestCaptureFormat)
#include "tst_capture_format.moc"

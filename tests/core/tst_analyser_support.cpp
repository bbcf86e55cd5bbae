// Where the installation software's settings file is looked for.
#include <QtTest>

#include "core/diagnostics/analyser_support.h"

using namespace tarvin;

class TestAnalyserSupport : public QObject
{
    Q_OBJECT

private slots:
    void iniFilePath_data()
    {
        QTest::addColumn<QString>("overridePath");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("windowsFolder");
        QTest::addColumn<QString>("xdgConfigDirs");
        QTest::addColumn<QString>("expected");

        QTest::newRow("override wins") << "/tmp/x/tarvin.ini" << true << "C:/Windows"
                                       << "/etc/a"
                                       << "/tmp/x/tarvin.ini";
        QTest::newRow("windows folder") << "" << true << "D:/WINNT/"
                                        << ""
                                        << "D:/WINNT/tarvin.ini";
        QTest::newRow("windows default") << "" << true << ""
                                         << ""
                                         << "C:/Windows/tarvin.ini";
        QTest::newRow("xdg default") << "" << false << ""
                                     << ""
                                     << "/etc/xdg/tarvin.ini";
        QTest::newRow("first xdg entry") << "" << false << ""
                                         << "/opt/conf:/etc/xdg"
                                         << "/opt/conf/tarvin.ini";
        QTest::newRow("empty entries skipped") << "" << false << ""
                                               << "::/srv/cfg/:/etc/xdg"
                                               << "/srv/cfg/tarvin.ini";
        QTest::newRow("only separators") << "" << false << ""
                                         << ":::"
                                         << "/etc/xdg/tarvin.ini";
        QTest::newRow("root folder") << "" << false << ""
                                     << "/"
                                     << "/tarvin.ini";
    }

    void iniFilePath()
    {
        QFETCH(QString, overridePath);
        QFETCH(bool, windows);
        QFETCH(QString, windowsFolder);
        QFETCH(QString, xdgConfigDirs);
        QFETCH(QString, expected);
        IniLocationInput input;
        input.overridePath = overridePath.toStdString();
        input.windows = windows;
        input.windowsFolder = windowsFolder.toStdString();
        input.xdgConfigDirs = xdgConfigDirs.toStdString();
        QCOMPARE(QString::fromStdString(IniFilePath(input)), expected);
    }
};

QTEST_APPLESS_MAIN(TestAnalyserSupport)
#include "tst_analyser_support.moc"

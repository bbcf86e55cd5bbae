#include "core/decode/group_events.h"

#include <QtTest>

using namespace tarvin;

namespace {

// "source application path: group action level, ..." or "none".
QString Render(const std::optional<SalMessage>& m)
{
    if (!m)
        return QStringLiteral("none");
    QStringList events;
    for (const GroupEvent& e : m->events)
        events << QStringLiteral("%1 %2 %3")
                      .arg(e.group)
                      .arg(e.action == GroupAction::On    ? QStringLiteral("on")
                           : e.action == GroupAction::Off ? QStringLiteral("off")
                                                          : QStringLiteral("level"))
                      .arg(e.level);
    return QStringLiteral("%1 %2 %3: %4")
        .arg(m->source)
        .arg(m->application)
        .arg(QString::fromLatin1(m->path.c_str()), events.join(QStringLiteral(", ")));
}

} // namespace

class TestGroupEvents : public QObject
{
    Q_OBJECT
private slots:
    void read_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        // Local: 05, source, application, route 00, commands, checksum.
        QTest::newRow("on") << "05023800790147"
                            << "2 56 : 1 on 255";
        QTest::newRow("off, lower-case hex") << "050238000101bf"
                                             << "2 56 : 1 off 0";
        QTest::newRow("ramp over 4 s") << "050238000A05803A"
                                       << "2 56 : 5 level 128";
        QTest::newRow("instant ramp to 0") << "05023800020700C0"
                                           << "2 56 : 7 level 0";
        QTest::newRow("several commands, a learn skipped") << "050238007901030109000A0540AA"
                                                           << "2 56 : 1 on 255, 5 level 64";
        QTest::newRow("last lighting application") << "05027F00790100"
                                                   << "2 127 : 1 on 255";
        // Routed: the path's first entry in b2, the rest after the route
        // byte, then the source unit.
        QTest::newRow("routed over two bridges") << "050A38021B0779030000"
                                                 << "7 56 0A1B: 3 on 255";
        QTest::newRow("trigger control set") << "0502CA00020C2A00"
                                             << "2 202 : 12 level 42";
        QTest::newRow("enable control off") << "0502CB00010400"
                                            << "2 203 : 4 off 0";
        QTest::newRow("ramp means nothing to a trigger group") << "0502CA000A0C2A00"
                                                               << "2 202 : ";
        QTest::newRow("other application: no group states") << "0502D000790100"
                                                            << "2 208 : ";
        QTest::newRow("commands longer than the message") << "0502380079010A05"
                                                          << "2 56 : ";
        QTest::newRow("CAL message") << "8602380079010000"
                                     << "none";
        QTest::newRow("too short for its path") << "050A3803"
                                                << "none";
        QTest::newRow("confirmation") << "g."
                                      << "none";
        QTest::newRow("odd length") << "0502380079014"
                                    << "none";
    }
    void read()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(Render(ReadSalMessage(line.toStdString())), expected);
    }
};

QTEST_APPLESS_MAIN(TestGroupEvents)
#include "tst_group_events.moc"

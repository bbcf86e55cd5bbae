// Interface options: boxes, firmware gating and what Set Mode sends.
#include <QtTest>

#include "core/diagnostics/interface_mode.h"
#include "core/link/framing.h"

using namespace tarvin;

namespace {

// The actions as "kind:text:value" for compact comparison.
QStringList Describe(const std::vector<ModeAction>& actions)
{
    QStringList out;
    for (const ModeAction& a : actions)
        out << QStringLiteral("%1:%2:%3")
                   .arg(int(a.kind))
                   .arg(QString::fromLatin1(a.text.c_str()))
                   .arg(a.value);
    return out;
}

QString Act(ModeAction::Kind kind, const char* text = "", int value = 0)
{
    return QStringLiteral("%1:%2:%3").arg(int(kind)).arg(QString::fromLatin1(text)).arg(value);
}

} // namespace

class TestDiagMode : public QObject
{
    Q_OBJECT

private slots:
    void boxesRoundTrip()
    {
        for (int o1 = 0; o1 < 256; ++o1) {
            const ModeBoxes boxes = BoxesFromOptions(static_cast<std::uint8_t>(o1), 0x0F);
            // 0x02 and 0x80 have no box and never survive.
            QCOMPARE(int(Options1FromBoxes(boxes)), o1 & 0x7D);
            QCOMPARE(int(Options3FromBoxes(boxes)), 0x0F);
        }
        const ModeBoxes none = BoxesFromOptions(0x51, 0xF0);
        QVERIFY(none.connect && none.smart && none.idmon && !none.checksum && !none.xonXoff &&
                !none.monitor);
        QCOMPARE(int(Options3FromBoxes(none)), 0);
    }

    void gating_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("allMonitor");
        QTest::addColumn<bool>("localSal");
        QTest::addColumn<bool>("four");
        QTest::newRow("unknown") << 0 << false << false << false;
        QTest::newRow("2.255") << 0x2FF << false << false << false;
        QTest::newRow("3.0") << 0x300 << true << false << false;
        QTest::newRow("3.11") << 0x311 << true << false << false;
        QTest::newRow("3.12") << 0x312 << true << true << false;
        QTest::newRow("3.FF") << 0x3FF << true << true << false;
        QTest::newRow("4.0") << 0x400 << true << true << true;
    }
    void gating()
    {
        QFETCH(int, version);
        QFETCH(bool, allMonitor);
        QFETCH(bool, localSal);
        QFETCH(bool, four);
        const ModeGating g = GateModeOptions(version);
        QCOMPARE(g.allMonitor, allMonitor);
        QCOMPARE(g.localSal, localSal);
        QCOMPARE(g.pcn, four);
        QCOMPARE(g.pun, four);
        QCOMPARE(g.exstat, four);
        QCOMPARE(g.restore, four);
    }

    void startMonitoring()
    {
        QCOMPARE(StartMonitoringCommand(0x400), std::string("@A3400048"));
        QCOMPARE(StartMonitoringCommand(0x312), std::string("~~~A3300002"));
        QCOMPARE(StartMonitoringCommand(0x2FF), std::string());
    }

    void setModeConnectSmartIdmon()
    {
        ModeBoxes boxes;
        boxes.connect = boxes.smart = boxes.idmon = true;
        QCOMPARE(Describe(SetModeActions(boxes, false)),
                 QStringList({Act(ModeAction::StoreInterfaceOptions, "", 0x51),
                              Act(ModeAction::SendRaw, "~~~A3300051"),
                              Act(ModeAction::SetFlowControl, "", 0),
                              Act(ModeAction::StorePCIOptionByte, "", 0),
                              Act(ModeAction::SendCommand, "A3420000"),
                              Act(ModeAction::ClearAllMonitor)}));
    }

    void setModeAllOptions3WithChecksum()
    {
        ModeBoxes boxes;
        boxes.connect = boxes.checksum = boxes.xonXoff = true;
        boxes.pcn = boxes.localSal = boxes.pun = boxes.exstat = true;
        boxes.restore = true;
        // A3 + 41 + 00 + 0D = 0xF1: the checksum is 0F.
        QCOMPARE(
            Describe(SetModeActions(boxes, true)),
            QStringList({Act(ModeAction::StoreInterfaceOptions, "", 0x0D),
                         Act(ModeAction::SendRaw, "~~~A330000D"),
                         Act(ModeAction::SendRaw, "A341000D0F"),
                         Act(ModeAction::SetFlowControl, "", 1),
                         Act(ModeAction::StorePCIOptionByte, "", 0x0F),
                         Act(ModeAction::SendCommand, "A342000F"), Act(ModeAction::ClearAllMonitor),
                         Act(ModeAction::SendCommand, "A3400000")}));
        // The command itself is framed by the send path: with CHECKSUM on it
        // gets its checksum there.
        AckSequence ack;
        QCOMPARE(FrameCommand("A342000F", 0x0D, false, ack), std::string("A342000F0C"));
    }

    void restoreWithoutChecksumIsPlain()
    {
        ModeBoxes boxes;
        boxes.connect = boxes.restore = boxes.allMonitor = true;
        const auto actions = SetModeActions(boxes, true);
        QCOMPARE(Describe(actions).at(2), Act(ModeAction::SendRaw, "A3410001"));
        QCOMPARE(actions.back().kind, ModeAction::StartMonitoring);
        // Without debug features All Monitor does nothing.
        QCOMPARE(SetModeActions(boxes, false).back().kind, ModeAction::ClearAllMonitor);
    }

    void otherPCI()
    {
        QVERIFY(IsPCIUnitType("PCINT1"));
        QVERIFY(IsPCIUnitType("XPC_LOCAL"));
        QVERIFY(!IsPCIUnitType(""));
        QVERIFY(!IsPCIUnitType("pcint"));
        QCOMPARE(
            NotPCIWarningText("RELAY"),
            std::string(
                "This unit is not a PC Interface.\rIt is of type RELAY.\r"
                "Changing its Mode may cause operational problems.\rDo you want to continue ?"));
        ModeBoxes boxes;
        boxes.connect = boxes.smart = boxes.restore = boxes.allMonitor = true;
        boxes.pun = true;
        QCOMPARE(OtherPCIModeCommands("\\061F00", boxes),
                 (std::vector<std::string>{"\\061F001141", "\\061F00A3410011", "\\061F001142",
                                           "\\061F00A3420004"}));
    }
};

QTEST_APPLESS_MAIN(TestDiagMode)
#include "tst_diag_mode.moc"

// Descriptions in the log and the decoder's two dialogs, as the user sees them.
#include <QtTest>

#include "gui/app/main_form.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>

using namespace tarvin;

class TestDecodingInLog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
    }

    // Every test starts from an empty settings store.
    void init()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ostrel"),
                  QStringLiteral("Tarvin Diagnostic"))
            .clear();
    }

    void receivedLinesAreDescribed()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        form.link().ProcessReceivedText("0501380079054");
        form.flushLog();
        QVERIFY(form.TransmitMemo->toPlainText().isEmpty()); // not complete yet
        form.link().ProcessReceivedText("4\r\ng.");
        form.flushLog();
        QCOMPARE(form.TransmitMemo->toPlainText(), QStringLiteral("Rx : GA 5 On\nRx : OK"));

        // The decode options apply from the next line on.
        Settings chosen = form.settings();
        chosen.showUnit = true;
        chosen.showApplication = true;
        form.session().setSettings(chosen);
        form.HexadecimalNumbersItem->trigger();
        form.ClearSpeedButtonClick();
        form.link().ProcessReceivedText("05013800790544\r\n");
        form.flushLog();
        QCOMPARE(form.TransmitMemo->toPlainText(),
                 QStringLiteral("Rx : Source Unit 01, Lighting, GA 05 On"));

        // Nothing is decoded into the log while the analyser counts.
        form.state().allMonitor = true;
        form.link().ProcessReceivedText("05013800790544\r\n");
        form.flushLog();
        QCOMPARE(form.TransmitMemo->blockCount(), 1);
    }

    void sentCommandsAreDescribed()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        // The description of an outbound command, as the send path asks for it.
        const std::string described = form.session().decoder().DecodeMessage(
            "\\0538007905", form.session().decodeOptions() + SentCommand,
            form.session().decodeContext());
        QCOMPARE(QString::fromStdString(described), QStringLiteral("GA 5 On"));
    }

    void interpretCommand_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QString>("shown"); // empty: no box
        QTest::newRow("confirmation") << "g." << false << "Message = OK";
        QTest::newRow("checksum error") << "!" << false << "Message = Checksum Error";
        QTest::newRow("outbound") << "\\0538007905FF" << true << "Message = Lighting, GA 05 On";
        QTest::newRow("outbound without checksum")
            << "\\0538007905" << true << "Message = Lighting, LENGTH ERROR";
        QTest::newRow("blank inside")
            << "0501380079 05FF" << true << "Message could not be decoded";
        QTest::newRow("received") << "050138007905FF" << true
                                  << "Message = Local Network, Source Unit 01, Lighting, GA 05 On";
        QTest::newRow("only blanks") << "   " << true << "";
    }

    void interpretCommand()
    {
        QFETCH(QString, typed);
        QFETCH(bool, hex);
        QFETCH(QString, shown);
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        if (form.HexadecimalNumbersItem->isChecked() != hex)
            form.HexadecimalNumbersItem->trigger();
        prompts.inputs.enqueue(typed);
        form.InterpretCommand1->trigger();
        QCOMPARE(prompts.asked.first().kind, QStringLiteral("input"));
        QCOMPARE(prompts.asked.first().text, QStringLiteral("Command :"));
        if (shown.isEmpty()) {
            QVERIFY(prompts.messages().isEmpty());
        } else {
            QCOMPARE(prompts.messages(), QStringList{shown});
            QCOMPARE(prompts.asked.last().icon, Prompter::Icon::Information);
        }
        // Cancelling the input shows nothing.
        prompts.asked.clear();
        form.InterpretCommand1->trigger();
        QVERIFY(prompts.messages().isEmpty());
    }

    void applicationSupport()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        form.ApplicationSupportItem->trigger();
        QCOMPARE(prompts.messages().size(), 1);
        const QStringList lines = prompts.messages().first().split(u'\r');
        QCOMPARE(lines.first(), QStringLiteral("Applications Supported by this version :"));
        QCOMPARE(lines.size(), 16);
        QCOMPARE(lines[3], QStringLiteral("  48-95  Lighting"));
        QCOMPARE(lines.last(), QStringLiteral("  255  Network Control"));
    }
};

QTEST_MAIN(TestDecodingInLog)
#include "tst_decoding_in_log.moc"

// The live log under a stream of lines: every line reaches the pane and the
// session view, in order, and the pane takes a burst in at once, not line
// by line; so does a recording.
#include <QtTest>

#include "core/link/framing.h"
#include "gui/app/main_form.h"
#include "gui/capture/capture_model.h"
#include "gui/capture/capture_recording.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"
#include "test_support.h"

#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QWindow>

using namespace tarvin;

namespace {

class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;
    QRegion painted; // since last cleared

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++count;
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return QObject::eventFilter(watched, event);
    }
};

// A lighting On for group `group` from unit 01, as the bus sends it.
QByteArray OnLine(int group)
{
    const std::string body =
        "0501380079" + QByteArray::number(group, 16).toUpper().rightJustified(2, '0').toStdString();
    return QByteArray::fromStdString(body + HexChecksum(body) + "\r\n");
}

} // namespace

class TestLiveLog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
        // Under Windows the program's store is the registry, which every
        // test program shares: options another left (hexadecimal numbers,
        // say) would change the lines shown. Start from the defaults.
        test::StoreSettings({});
    }

    void burstArrivesWholeInOrderAndGoesInOnce()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QPlainTextEdit* pane = form.TransmitMemo;
        PaintCounter paints(pane->viewport());
        QSignalSpy changes(pane->document(), &QTextDocument::contentsChange);
        QTemporaryDir folder;
        const QString capture = folder.filePath(QStringLiteral("burst.csv"));
        QVERIFY(form.recording().start(capture));

        // Each line in two pieces, each piece an event of its own, and the
        // pending updates handed out after each, as the event loop would
        // between two reads of the link.
        constexpr int kLines = 250;
        QStringList shown;
        for (int group = 0; group < kLines; ++group) {
            const QByteArray line = OnLine(group);
            form.link().ProcessReceivedText(line.left(5));
            QCoreApplication::sendPostedEvents();
            form.link().ProcessReceivedText(line.mid(5));
            QCoreApplication::sendPostedEvents();
            shown << QStringLiteral("Rx : GA %1 On").arg(group);
        }
        // Gathered for the frame: not put in, nor drawn, line by line.
        QVERIFY(pane->toPlainText().isEmpty());
        QCOMPARE(changes.count(), 0);
        const int paintsBefore = paints.count;

        // The frame puts in the newest 200, in order, in one go, and draws them.
        QTRY_COMPARE(pane->blockCount(), 200);
        QCOMPARE(pane->toPlainText(), shown.mid(kLines - 200).join(u'\n'));
        QVERIFY(changes.count() < 10);
        QTRY_VERIFY(paints.count > paintsBefore);
        QCOMPARE(pane->verticalScrollBar()->value(), pane->verticalScrollBar()->maximum());

        // The session view has every line, in the order of the link.
        CaptureModel model(form.session().history());
        QStringList wire;
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.cellText(model.storeRow(row), CaptureModel::Direction) == QLatin1String("Rx"))
                wire << model.cellText(model.storeRow(row), CaptureModel::Wire);
        QCOMPARE(wire.size(), kLines);
        for (int group = 0; group < kLines; ++group)
            QCOMPARE(wire[group], QString::fromLatin1(OnLine(group).chopped(2) + "<CR>"));

        // The recording has every line too, in order, and what came after
        // it: the stop marker is the last line.
        form.recording().stop();
        QFile file(capture);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray recorded = file.readAll();
        qsizetype at = 0;
        for (int group = 0; group < kLines; ++group) {
            at = recorded.indexOf(OnLine(group).chopped(2) + "<CR>", at);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("group %1").arg(group)));
        }
        QVERIFY(recorded.trimmed().endsWith("recording stopped"));

        // What reads the panes takes the gathered lines first.
        form.link().ProcessReceivedText(OnLine(7));
        form.flushLog();
        QCOMPARE(pane->document()->lastBlock().text(), QStringLiteral("Rx : GA 7 On"));

        // Lines gathered before "Clear Lists" do not come back after it.
        form.link().ProcessReceivedText(OnLine(8));
        form.ClearSpeedButtonClick();
        form.flushLog();
        QVERIFY(pane->toPlainText().isEmpty());
    }

    // A full pane at its end takes a few lines a frame by moving what it
    // shows up and drawing the new lines only: what is on the screen is
    // what drawing the whole pane anew gives, and no line is lost or moved.
    void fewLinesMoveAFullPaneUp()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QPlainTextEdit* pane = form.TransmitMemo;
        QStringList shown;
        int group = 0;
        const auto frame = [&](int lines) {
            for (int n = 0; n < lines; ++n, ++group) {
                form.link().ProcessReceivedText(OnLine(group % 256));
                shown << QStringLiteral("Rx : GA %1 On").arg(group % 256);
            }
            form.flushLog();
            QCoreApplication::processEvents(); // the pane draws what it was asked to
        };
        const auto screen = [&] {
            return form.windowHandle()->screen()->grabWindow(form.winId()).toImage();
        };
        frame(230);
        QVERIFY(screen() == screen()); // the picture is taken as it stands
        PaintCounter paints(pane->viewport());
        for (const int lines : {1, 3, 7, 2, 12}) {
            paints.painted = QRegion();
            frame(lines);
            // Drawn: the new lines at the foot, not the whole pane.
            QVERIFY(!paints.painted.isEmpty());
            QVERIFY(paints.painted.boundingRect().height() < pane->viewport()->height() - 20);
            QCOMPARE(pane->toPlainText(), shown.mid(shown.size() - 200).join(u'\n'));
            QCOMPARE(pane->verticalScrollBar()->value(), pane->verticalScrollBar()->maximum());
            const QImage moved = screen();
            pane->viewport()->repaint();
            QVERIFY2(screen() == moved, qPrintable(QStringLiteral("after %1 lines").arg(lines)));
        }
    }
};

QTEST_MAIN(TestLiveLog)
#include "tst_live_log.moc"

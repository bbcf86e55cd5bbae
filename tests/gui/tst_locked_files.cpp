// Files another Windows program holds open without sharing them, as a
// spreadsheet holds the CSV it shows: the command log, the traffic report, a
// capture export and a new recording each fail with the file named and the
// system's reason, leave the held file as it was, and work again once the
// file is let go.
#include <QtTest>

#include "gui/app/main_form.h"
#include "gui/capture/capture_recording.h"
#include "gui/capture/capture_window.h"
#include "gui/diagnostics/analyser_form.h"
#include "gui/diagnostics/diagnostics.h"
#include "gui/diagnostics/interface_tools.h"
#include "scripted_prompter.h"
#include "session/session.h"

#include <QAction>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <qt_windows.h>

using namespace tarvin;

namespace {

const QByteArray kHeld = "held by another program\r\n";

// The file opened as such programs open it: no sharing at all.
class HeldFile
{
public:
    explicit HeldFile(const QString& path) : m_path(path)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(kHeld);
        file.close();
        m_handle = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()),
                               GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~HeldFile() { release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool held() const { return m_handle != INVALID_HANDLE_VALUE; }
    void release()
    {
        if (held())
            CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
    // Read once let go: while held, not even reading is shared.
    QByteArray contents() const
    {
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QString m_path;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// One error message naming the file and giving a reason after it.
void CheckRefusal(const ScriptedPrompter& prompts, const QString& path)
{
    QList<ScriptedPrompter::Asked> messages;
    for (const ScriptedPrompter::Asked& a : prompts.asked)
        if (a.kind == QLatin1String("message"))
            messages << a;
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().icon, Prompter::Icon::Error);
    const QString text = messages.first().text;
    const QString native = QDir::toNativeSeparators(path);
    const qsizetype at = text.indexOf(native);
    QVERIFY2(at >= 0, qPrintable(text));
    QVERIFY2(text.mid(at + native.size()).trimmed().size() > 2, qPrintable(text));
}

} // namespace

class TestLockedFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_data;
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        QVERIFY(m_data.isValid());
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
        qputenv("TARVIN_DATA_DIR", m_data.path().toLocal8Bit());
    }

    void commandLog()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        const QString path = form.session().commandLogPath();
        HeldFile held(path);
        QVERIFY(held.held());
        form.LogCommandsItem->trigger();
        CheckRefusal(prompts, path);
        QVERIFY(!form.LogCommandsItem->isChecked());
        QVERIFY(!form.session().commandLogOpen());
        held.release();
        QCOMPARE(held.contents(), kHeld);

        form.LogCommandsItem->trigger();
        QVERIFY(form.session().commandLogOpen());
        form.session().Log(1, QStringLiteral("\\05FF00"));
        QCOMPARE(held.contents(), QByteArray("Tx : \\05FF00\r\n"));
        form.LogCommandsItem->trigger();
    }

    void trafficReport()
    {
        ScriptedPrompter prompts;
        Session session;
        QWidget window;
        Diagnostics diagnostics(session, prompts, &window);
        InterfaceTools tools(session, diagnostics, prompts, &window,
                             [](QDialog& dialog) { return dialog.exec(); });
        UnitTypeTable unitTypes{};
        tools.StartMonitoring();
        TAnalyserForm analyser(session, prompts, tools.statistics(), unitTypes,
                               [] { return QDateTime::currentDateTime(); });
        analyser.show();
        const QString path = QDir(m_data.path()).filePath(QStringLiteral("report.htm"));
        HeldFile held(path);
        QVERIFY(held.held());
        QVERIFY(!analyser.ReportButtonClick());
        CheckRefusal(prompts, path);
        QVERIFY(analyser.Timer1->isActive());
        held.release();
        QCOMPARE(held.contents(), kHeld);

        QVERIFY(analyser.ReportButtonClick());
        QVERIFY(held.contents().startsWith("<html>"));
    }

    void captureExportAndRecording()
    {
        ScriptedPrompter prompts;
        Session session;
        auto* window = new CaptureWindow(session, prompts, [](QDialog&) { return 0; });
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->showSession();
        const QString exported = QDir(m_data.path()).filePath(QStringLiteral("export.csv"));
        {
            HeldFile held(exported);
            QVERIFY(held.held());
            // Replacing is agreed to; the system says no.
            prompts.answers.enqueue(QMessageBox::Yes);
            QVERIFY(!window->exportShown(exported));
            CheckRefusal(prompts, exported);
            held.release();
            QCOMPARE(held.contents(), kHeld);
            prompts.answers.enqueue(QMessageBox::Yes);
            QVERIFY(window->exportShown(exported));
            QVERIFY(held.contents().startsWith("time,"));
        }
        delete window;

        prompts.asked.clear();
        QWidget owner;
        CaptureRecording recording(session, prompts, &owner);
        const QString capture = QDir(m_data.path()).filePath(QStringLiteral("capture.csv"));
        HeldFile held(capture);
        QVERIFY(held.held());
        QVERIFY(!recording.start(capture));
        CheckRefusal(prompts, capture);
        held.release();
        QCOMPARE(held.contents(), kHeld);
        QVERIFY(recording.start(capture));
        recording.stop();
        QVERIFY(held.contents().startsWith(kHeld));
    }
};

QTEST_MAIN(TestLockedFiles)
#include "tst_locked_files.moc"

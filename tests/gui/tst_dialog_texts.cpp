// Every dialog shows the whole of its texts at the default font: no label,
// box or button narrower than its text, none reaching past its parent.
#include <QtTest>

#include "gui/app/main_form.h"
#include "gui/app/options_form.h"
#include "gui/app/print_form.h"
#include "gui/app/serial_setup_dialog.h"
#include "gui/app/string_form.h"
#include "gui/diagnostics/mode_form.h"
#include "gui/diagnostics/unit_type_form.h"
#include "scripted_prompter.h"
#include "session/transports.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <cmath>
#include <memory>
#include <utility>

using namespace tarvin;

namespace {

// Why `dialog` cuts a text, or empty when it shows them all.
QString CutTexts(const QWidget& dialog)
{
    QStringList cut;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&dialog) || !w->parentWidget())
            continue;
        int needed = 0;
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap())
            needed = label->sizeHint().width();
        else if (auto* push = qobject_cast<QPushButton*>(w))
            // The text and a little room each side (the size hint pads to 80).
            needed = push->fontMetrics().horizontalAdvance(push->text().remove(u'&')) + 8;
        else if (auto* button = qobject_cast<QAbstractButton*>(w);
                 button && !button->text().isEmpty())
            needed = w->sizeHint().width();
        else if (qobject_cast<QGroupBox*>(w))
            needed = w->minimumSizeHint().width();
        else
            continue;
        const QString name = w->objectName().isEmpty()
                                 ? QString::fromLatin1(w->metaObject()->className())
                                 : w->objectName();
        if (w->width() < needed)
            cut << QStringLiteral("%1 is %2 wide for %3").arg(name).arg(w->width()).arg(needed);
        if (w->geometry().right() >= w->parentWidget()->width())
            cut << QStringLiteral("%1 reaches past its parent").arg(name);
    }
    return cut.join(QStringLiteral("; "));
}

} // namespace

class TestDialogTexts : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        qputenv("TARVIN_DATA_DIR", m_dir.path().toLocal8Bit());
    }

    void wholeTexts_data()
    {
        QTest::addColumn<QString>("dialog");
        for (const char* name : {"options", "print", "strings", "mode", "unit type", "serial"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void wholeTexts()
    {
        QFETCH(QString, dialog);
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        QPrinter printer;
        SerialTransport port;
        std::unique_ptr<QDialog> d;
        const auto run = [](QDialog&) { return int(QDialog::Rejected); };
        if (dialog == QLatin1String("options"))
            d = std::make_unique<TOptionsForm>(form.session(), prompts, &form, run);
        else if (dialog == QLatin1String("print"))
            d = std::make_unique<TPrintForm>(form.session(),
                                             LogPanes{form.TransmitMemo, form.ReceiveMemo}, printer,
                                             QString(), prompts, &form);
        else if (dialog == QLatin1String("strings"))
            d = std::make_unique<TStringForm>(form.userButtonSlots(), &form);
        else if (dialog == QLatin1String("mode"))
            d = std::make_unique<TModeForm>(&form);
        else if (dialog == QLatin1String("unit type"))
            d = std::make_unique<TUnitTypeForm>(&form);
        else
            d = std::make_unique<SerialSetupDialog>(port, QStringLiteral("ttyS0"), &form);
        d->show();
        const QString why = CutTexts(*d);
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    // The main window with every tool, at its smallest and at a large size:
    // every page shows its texts whole, and no tab is cut (the tabs scroll).
    void mainWindowWhole_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("smallest") << QSize(1, 1);
        QTest::newRow("large") << QSize(1400, 1000);
    }
    void mainWindowWhole()
    {
        QFETCH(QSize, size);
        ScriptedPrompter prompts;
        TMainForm form({QStringLiteral("--all-tools")}, &prompts);
        form.show();
        form.resize(size);
        QVERIFY(form.width() >= form.minimumSizeHint().width());
        QTabWidget* pages = form.PageControl1;
        QTabBar* tabs = pages->tabBar();
        int tabsWidth = 0;
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QVERIFY(pages->isTabVisible(i));
            const QString why = CutTexts(form);
            QVERIFY2(why.isEmpty(), qPrintable(pages->tabText(i) + QStringLiteral(": ") + why));
            QVERIFY(tabs->tabRect(i).width() >
                    tabs->fontMetrics().horizontalAdvance(pages->tabText(i)));
            tabsWidth += tabs->tabRect(i).width();
        }
        // Tabs wider than their bar are reached with its arrows.
        bool arrows = false;
        for (const QToolButton* arrow : tabs->findChildren<QToolButton*>())
            arrows = arrows || arrow->isVisible();
        QCOMPARE(arrows, tabsWidth > tabs->width());
    }

    // The main window comes back at the size and split the user left it at.
    void mainWindowRemembered()
    {
        ScriptedPrompter prompts;
        QList<int> split;
        {
            TMainForm form({}, &prompts);
            form.show();
            form.resize(1100, 700);
            // The user drags the handle between the panes 200 pixels left.
            QSplitterHandle* handle = form.Splitter1->handle(1);
            const QPointF from(1, handle->height() / 2);
            const QPointF to = from - QPointF(200, 0);
            for (const auto& [type, at] :
                 {std::pair{QEvent::MouseButtonPress, from}, std::pair{QEvent::MouseMove, to},
                  std::pair{QEvent::MouseButtonRelease, to}}) {
                QMouseEvent event(type, at, handle->mapToGlobal(at),
                                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                                  type == QEvent::MouseButtonRelease ? Qt::NoButton
                                                                     : Qt::LeftButton,
                                  Qt::NoModifier);
                QApplication::sendEvent(handle, &event);
            }
            split = form.Splitter1->sizes();
            QVERIFY(form.close());
        }
        TMainForm again({}, &prompts);
        again.show();
        QCOMPARE(again.size(), QSize(1100, 700));
        QVERIFY(std::abs(again.Splitter1->sizes().value(0) - split.value(0)) <= 2);
    }
};

QTEST_MAIN(TestDialogTexts)
#include "tst_dialog_texts.moc"

// Every window opens inside the screen and shows the whole of its texts at
// the default font and the screen and scale the test runs at (ctest runs it
// on desktop and laptop screens at 100, 150 and 200 %): no label, box or
// button narrower than its text, none reaching past its parent, no button
// cut off by the window's edge. A window smaller than designed scrolls
// rather than squeezes what it holds, and keeps its own buttons in view.
#include <QtTest>

#include "core/diagnostics/installation.h"
#include "core/diagnostics/mmi_layout.h"
#include "gui/app/help_window.h"
#include "gui/app/main_form.h"
#include "gui/app/options_form.h"
#include "gui/app/print_form.h"
#include "gui/app/serial_setup_dialog.h"
#include "gui/app/string_form.h"
#include "gui/capture/capture_window.h"
#include "gui/diagnostics/analyser_form.h"
#include "gui/diagnostics/installation_window.h"
#include "gui/diagnostics/mmi_results_form.h"
#include "gui/diagnostics/mode_form.h"
#include "gui/diagnostics/unit_type_form.h"
#include "gui/widgets/window_sizes.h"
#include "scripted_prompter.h"
#include "session/session.h"
#include "session/transports.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
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
        // A grid that cannot scroll sideways must show every cell whole.
        if (auto* grid = qobject_cast<QTableWidget*>(w);
            grid && grid->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff) {
            for (int row = 0; row < grid->rowCount(); ++row)
                for (int column = 0; column < grid->columnCount(); ++column)
                    if (const QTableWidgetItem* item = grid->item(row, column);
                        item && grid->columnWidth(column) <=
                                    grid->fontMetrics().horizontalAdvance(item->text()))
                        cut << QStringLiteral("\"%1\" is cut").arg(item->text());
            continue;
        }
        // A list of titles shows each whole without scrolling sideways.
        if (auto* list = qobject_cast<QListWidget*>(w)) {
            if (list->viewport()->width() < list->sizeHintForColumn(0))
                cut << list->objectName() + QStringLiteral(" cuts its items");
            continue;
        }
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

// The part of `window` that holds more than it shows, if any.
const QScrollArea* Scrolling(const QWidget& window)
{
    for (const QScrollArea* area :
         window.findChildren<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly))
        if (area->verticalScrollBar()->maximum() > 0 || area->horizontalScrollBar()->maximum() > 0)
            return area;
    return nullptr;
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
        // As the program has it: without a maker's name Windows' registry
        // keeps no settings at all.
        QCoreApplication::setOrganizationName(QStringLiteral("Ostrel"));
        // There the store outlives the test: start from an empty one.
        QSettings().clear();
        qputenv("TARVIN_DATA_DIR", m_dir.path().toLocal8Bit());
    }

    void wholeTexts_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("remembered"); // left at 4000x3000 on a larger screen
        for (const char* name :
             {"options", "print", "strings", "mode", "unit type", "serial", "main", "all tools",
              "capture", "help", "analyser", "installation", "MMI results"}) {
            QTest::newRow(name) << QString::fromLatin1(name) << false;
            QTest::addRow("%s, remembered", name) << QString::fromLatin1(name) << true;
        }
    }
    void wholeTexts()
    {
        QFETCH(QString, window);
        QFETCH(bool, remembered);
        ScriptedPrompter prompts;
        const QStringList arguments{QStringLiteral("--all-tools")};
        TMainForm form(window == QLatin1String("all tools") ? arguments : QStringList(), &prompts);
        QPrinter printer;
        SerialTransport port;
        TrafficStatistics statistics;
        const UnitTypeTable types{};
        const Installation installation;
        const auto run = [](QDialog&) { return int(QDialog::Rejected); };
        const auto is = [&window](const char* name) { return window == QLatin1String(name); };
        const auto make = [&]() -> std::unique_ptr<QWidget> {
            if (is("options"))
                return std::make_unique<TOptionsForm>(form.session(), prompts, &form, run);
            if (is("print"))
                return std::make_unique<TPrintForm>(form.session(),
                                                    LogPanes{form.TransmitMemo, form.ReceiveMemo},
                                                    printer, QString(), prompts, &form);
            if (is("strings"))
                return std::make_unique<TStringForm>(form.userButtonSlots(), &form);
            if (is("mode"))
                return std::make_unique<TModeForm>(&form);
            if (is("unit type"))
                return std::make_unique<TUnitTypeForm>(&form);
            if (is("serial"))
                return std::make_unique<SerialSetupDialog>(port, QStringLiteral("ttyS0"), &form);
            if (is("capture"))
                return std::make_unique<CaptureWindow>(form.session(), prompts, run);
            if (is("help"))
                return std::make_unique<HelpWindow>();
            if (is("analyser"))
                return std::make_unique<TAnalyserForm>(
                    form.session(), prompts, statistics, types,
                    [] { return QDateTime::currentDateTime(); }, &form);
            if (is("installation"))
                return std::make_unique<InstallationWindow>(form.session(), prompts, installation);
            if (is("MMI results"))
                return std::make_unique<TMMIResultsForm>(
                    LayoutMMIResults(1, {}, {}, false),
                    QStringLiteral("Lighting (56), Local Network"), &form);
            return nullptr; // the main window itself
        };
        // A size remembered from a larger screen comes back no larger than
        // this one.
        QSize designed;
        if (std::unique_ptr<QWidget> first = make()) {
            designed = first->minimumSize();
            if (remembered)
                QSettings().setValue(QStringLiteral("Windows/") + first->objectName(),
                                     QSize(4000, 3000));
        } else if (remembered) {
            TMainForm large({}, &prompts);
            large.resize(4000, 3000);
            QSettings().setValue(QStringLiteral("Windows/MainForm"), large.saveGeometry());
        }
        std::unique_ptr<QWidget> w = make();
        QWidget& shown = w ? *w : static_cast<QWidget&>(form);
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        const QRect area = shown.screen()->availableGeometry();
        QVERIFY2(area.contains(shown.frameGeometry()),
                 qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 on %6x%7")
                                .arg(shown.objectName())
                                .arg(shown.frameGeometry().x())
                                .arg(shown.frameGeometry().y())
                                .arg(shown.frameGeometry().width())
                                .arg(shown.frameGeometry().height())
                                .arg(area.width())
                                .arg(area.height())));
        // What does not fit scrolls; what fits is whole.
        const QScrollArea* scrolling = Scrolling(shown);
        if (designed.isEmpty()) // no designed size: what its layout needs
            designed = shown.minimumSizeHint();
        // It scrolls one way only where the screen is wide enough.
        if (scrolling && scrolling->horizontalScrollBar()->maximum() > 0)
            QCOMPARE(shown.frameGeometry().width(), area.width());
        if (!scrolling) {
            QVERIFY2(shown.width() >= designed.width() && shown.height() >= designed.height(),
                     qPrintable(QStringLiteral("%1x%2 squeezes %3x%4")
                                    .arg(shown.width())
                                    .arg(shown.height())
                                    .arg(designed.width())
                                    .arg(designed.height())));
            const QString why = CutTexts(shown);
            QVERIFY2(why.isEmpty(), qPrintable(why));
        }
        // The main window's menu and status bar are in view.
        if (auto* main = qobject_cast<QMainWindow*>(&shown))
            for (const QWidget* bar :
                 {static_cast<QWidget*>(main->menuBar()), static_cast<QWidget*>(main->statusBar())})
                QVERIFY2(bar->isVisible() && bar->visibleRegion().boundingRect() == bar->rect(),
                         bar == main->menuBar() ? "the menu bar is cut" : "the status bar is cut");
        // Every button shows whole: none is cut by the window's edge, nor
        // hidden unless it is in the part that scrolls.
        for (const QPushButton* button : shown.findChildren<QPushButton*>()) {
            if (!button->isVisibleTo(&shown) || button->window() != &shown ||
                (scrolling && scrolling->isAncestorOf(button)))
                continue;
            QVERIFY2(button->visibleRegion().boundingRect() == button->rect(),
                     qPrintable(button->text() + QStringLiteral(" is cut")));
        }
        QSettings().remove(QStringLiteral("Windows"));
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
            form.resize(900, 500);
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
        QCOMPARE(again.size(), QSize(900, 500));
        QVERIFY(std::abs(again.Splitter1->sizes().value(0) - split.value(0)) <= 2);
    }
};

QTEST_MAIN(TestDialogTexts)
#include "tst_dialog_texts.moc"

// Dialogs of a fixed design grow: the designed size is the default and the
// minimum, what they hold follows the new size, and the size comes back
// the next time the dialog opens.
#include <QtTest>

#include "core/diagnostics/mmi_layout.h"
#include "gui/app/options_form.h"
#include "gui/app/print_form.h"
#include "gui/diagnostics/analyser_form.h"
#include "gui/diagnostics/mmi_results_form.h"
#include "gui/diagnostics/mode_form.h"
#include "gui/diagnostics/unit_type_form.h"
#include "gui/widgets/area_chart.h"
#include "scripted_prompter.h"
#include "session/session.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>

#include <functional>
#include <memory>

using namespace tarvin;

class TestWindowSizes : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    ScriptedPrompter m_prompts;
    Session m_session;
    TrafficStatistics m_statistics;
    UnitTypeTable m_types{};
    QPrinter m_printer;
    QPlainTextEdit m_transmit;
    QPlainTextEdit m_receive;

    std::unique_ptr<QDialog> make(const QString& name)
    {
        const auto clock = [] { return QDateTime(QDate(2026, 12, 9), QTime(5, 0)); };
        if (name == QLatin1String("analyser"))
            return std::make_unique<TAnalyserForm>(m_session, m_prompts, m_statistics, m_types,
                                                   clock);
        if (name == QLatin1String("MMI results"))
            return std::make_unique<TMMIResultsForm>(LayoutMMIResults(
                1, std::array<std::int32_t, 256>{}, std::array<std::uint8_t, 256>{}, true));
        if (name == QLatin1String("mode"))
            return std::make_unique<TModeForm>();
        if (name == QLatin1String("options"))
            return std::make_unique<TOptionsForm>(m_session, m_prompts, nullptr,
                                                  [](QDialog&) { return 0; });
        if (name == QLatin1String("print"))
            return std::make_unique<TPrintForm>(m_session, LogPanes{&m_transmit, &m_receive},
                                                m_printer, QString(), m_prompts, nullptr);
        return std::make_unique<TUnitTypeForm>();
    }

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
    }

    void growAndAreRemembered_data()
    {
        QTest::addColumn<QString>("dialog");
        for (const char* name :
             {"analyser", "MMI results", "mode", "options", "print", "unit type"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void growAndAreRemembered()
    {
        QFETCH(QString, dialog);
        QSize designed, larger;
        {
            std::unique_ptr<QDialog> d = make(dialog);
            d->show();
            designed = d->size();
            QCOMPARE(d->minimumSize(), designed);
            larger = designed + QSize(200, 120);
            d->resize(larger);
            QCOMPARE(d->size(), larger);
            d->resize(designed - QSize(50, 50));
            QCOMPARE(d->size(), designed); // never smaller than designed
            d->resize(larger);
            d->hide();
        }
        std::unique_ptr<QDialog> again = make(dialog);
        QCOMPARE(again->size(), larger);
        QSettings().remove(QStringLiteral("Windows/") + again->objectName());
    }

    // The analyser's grids and chart take the room; its buttons keep right.
    void analyserContentsFollow()
    {
        m_statistics = TrafficStatistics{};
        TAnalyserForm form(m_session, m_prompts, m_statistics, m_types,
                           [] { return QDateTime(QDate(2026, 12, 9), QTime(5, 0)); });
        form.show();
        // A long application name is not cut.
        m_statistics.applicationCounts[0x72] = 5;
        form.Refresh();
        const QString name = QStringLiteral("Pool, Spa, Pond and Fountain (72)"); // in hexadecimal
        QCOMPARE(form.TypeStringGrid->item(0, 0)->text(), name);
        QVERIFY(form.TypeStringGrid->columnWidth(0) >=
                form.TypeStringGrid->fontMetrics().horizontalAdvance(name));
        const int gridWidth = form.MessageSourceStringGrid->width();
        const int gridHeight = form.MessageSourceStringGrid->height();
        const int chartHeight = form.Chart1->height();
        form.resize(form.size() + QSize(200, 120));
        QCOMPARE(form.MessageSourceStringGrid->width(), gridWidth + 200);
        QCOMPARE(form.MessageSourceStringGrid->height(), gridHeight + 60);
        QCOMPARE(form.Chart1->height(), chartHeight + 60);
        QCOMPARE(form.Button1->x() + form.Button1->width() + 8, form.width());
        QSettings().remove(QStringLiteral("Windows/AnalyserForm"));
    }
};

QTEST_MAIN(TestWindowSizes)
#include "tst_window_sizes.moc"

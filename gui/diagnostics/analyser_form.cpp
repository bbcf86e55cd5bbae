#include "gui/diagnostics/analyser_form.h"

#include "gui/widgets/area_chart.h"
#include "gui/widgets/window_sizes.h"

#include "core/diagnostics/traffic_report.h"
#include "gui/widgets/prompter.h"
#include "session/session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

namespace tarvin {

namespace {

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename T> T* Named(T* object, const char* name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

constexpr int kColumnWidth = 120;
constexpr int kDesignedWidth = 520;
constexpr int kDesignedHeight = 552;
constexpr int kRowHeight = 18;

QTableWidget* MakeGrid(QWidget* parent, const char* name, int y, int height, bool scrollBar)
{
    auto* grid = Named(new QTableWidget(parent), name);
    grid->setGeometry(8, y, 505, height);
    grid->setColumnCount(4);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    grid->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    grid->horizontalHeader()->setMinimumHeight(kRowHeight);
    grid->horizontalHeader()->setFixedHeight(kRowHeight);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setShowGrid(true);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    return grid;
}

void SetCell(QTableWidget* table, int row, int column, const QString& text)
{
    QTableWidgetItem* item = table->item(row, column);
    if (!item) {
        table->setItem(row, column, new QTableWidgetItem(text));
        return;
    }
    // Most cells keep their text from one tick to the next.
    if (item->text() != text)
        item->setText(text);
}

} // namespace

void ShowGrid(QTableWidget* table, const GridTable& grid)
{
    if (grid.empty())
        return;
    const int columns = table->columnCount();
    QStringList header;
    for (int c = 0; c < columns; ++c)
        header << (c < static_cast<int>(grid[0].size())
                       ? Latin1(grid[0][static_cast<std::size_t>(c)])
                       : QString());
    for (int c = 0; c < columns; ++c) {
        QTableWidgetItem* item = table->horizontalHeaderItem(c);
        if (!item)
            table->setHorizontalHeaderItem(c, new QTableWidgetItem(header[c]));
        else if (item->text() != header[c])
            item->setText(header[c]);
    }
    const int rows = static_cast<int>(grid.size()) - 1;
    if (table->rowCount() != rows)
        table->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const auto& cells = grid[static_cast<std::size_t>(r) + 1];
        for (int c = 0; c < columns; ++c)
            SetCell(table, r, c,
                    c < static_cast<int>(cells.size()) ? Latin1(cells[static_cast<std::size_t>(c)])
                                                       : QString());
    }
    // No cell shows as selected.
    table->setCurrentItem(nullptr);
    table->clearSelection();
    // Wide enough for every text, never narrower than designed; the last
    // column takes what the grid has left.
    const int room = table->viewport()->width();
    int used = 0;
    for (int c = 0; c < columns; ++c) {
        table->resizeColumnToContents(c);
        int width = std::max(kColumnWidth, table->columnWidth(c));
        if (c == columns - 1)
            width = std::max(width, room - used);
        table->setColumnWidth(c, width);
        used += width;
    }
}

TAnalyserForm::TAnalyserForm(Session& session, Prompter& prompter, TrafficStatistics& statistics,
                             const UnitTypeTable& unitTypes, std::function<QDateTime()> clock,
                             QWidget* parent)
    : QDialog(parent), m_session(session), m_prompter(prompter), m_analyser(statistics),
      m_unitTypes(unitTypes), m_clock(std::move(clock))
{
    BuildWindow();
    // Creation: Reset (one tick), "3 seconds", headers, one more tick, chart.
    m_analyser.Open(seconds(), m_unitTypes, m_session.hexNumbers());
    UpdateComboBox->setCurrentIndex(kDefaultUpdateRateIndex);
    ShowTick();
    DrawGraph();
    connect(Timer1, &QTimer::timeout, this, &TAnalyserForm::Refresh);
    Timer1->start();
}

namespace {
const UnitTypeTable kNoUnitTypes{};
} // namespace

TAnalyserForm::TAnalyserForm(Session& session, Prompter& prompter, const TrafficAnalyser& finished,
                             int slotSeconds, const QString& title, QWidget* parent)
    : QDialog(parent), m_session(session), m_prompter(prompter), m_analyser(finished),
      m_unitTypes(kNoUnitTypes), m_offline(true)
{
    const double start = finished.statistics().startTime;
    m_clock = [start] { return QDateTime::fromMSecsSinceEpoch(qint64(start * 1000), Qt::UTC); };
    BuildWindow();
    setWindowTitle(title);
    // Nothing more comes: no reset, and the slots were chosen to span the
    // capture.
    ResetButton->hide();
    UpdateComboBox->hide();
    Label1->setText(QStringLiteral("Each point: %1 s").arg(slotSeconds));
    Label1->adjustSize();
    ShowTick();
    DrawGraph();
}

void TAnalyserForm::BuildWindow()
{
    setObjectName(QStringLiteral("AnalyserForm"));
    setWindowTitle(QStringLiteral("Traffic Analyser"));
    resize(kDesignedWidth, kDesignedHeight);

    Panel1 = Named(new QWidget(this), "Panel1");
    Panel1->setGeometry(0, 0, 520, 33);
    ResetButton = Named(new QPushButton(QStringLiteral("Reset"), Panel1), "ResetButton");
    ResetButton->setGeometry(8, 4, 75, 25);
    TimeLabel = Named(new QLabel(Panel1), "TimeLabel");
    TimeLabel->setGeometry(96, 8, 228, 17);
    ElapsedTimeLabel = Named(new QLabel(Panel1), "ElapsedTimeLabel");
    ElapsedTimeLabel->setGeometry(328, 8, 184, 17);

    SummaryStringGrid = MakeGrid(this, "SummaryStringGrid", 40, 61, false);
    TypeStringGrid = MakeGrid(this, "TypeStringGrid", 105, 81, true);
    MMIStringGrid = MakeGrid(this, "MMIStringGrid", 191, 61, true);
    MessageSourceStringGrid = MakeGrid(this, "MessageSourceStringGrid", 257, 99, true);

    Panel2 = Named(new QFrame(this), "Panel2");
    Panel2->setGeometry(0, 361, 520, 159);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    BuildChart();
    Label1 = Named(new QLabel(QStringLiteral("Update Rate"), Panel2), "Label1");
    Label1->setGeometry(8, 6, 72, 17);
    UpdateComboBox = Named(new QComboBox(Panel2), "UpdateComboBox");
    UpdateComboBox->setGeometry(82, 3, 90, 22);
    for (const char* text : kUpdateRateTexts)
        UpdateComboBox->addItem(QLatin1String(text));
    PeakCheckBox = Named(new QCheckBox(QStringLiteral("Peak"), Panel2), "PeakCheckBox");
    PeakCheckBox->setGeometry(180, 5, 60, 19);
    PeakCheckBox->setChecked(true);
    for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(UpdateComboBox),
                       static_cast<QWidget*>(PeakCheckBox)})
        w->raise();

    Panel3 = Named(new QWidget(this), "Panel3");
    Panel3->setGeometry(0, 520, 520, 32);
    ReportButton = Named(new QPushButton(QStringLiteral("Report"), Panel3), "ReportButton");
    ReportButton->setGeometry(271, 4, 75, 25);
    Button2 = Named(new QPushButton(QStringLiteral("OK"), Panel3), "Button2");
    Button2->setGeometry(354, 4, 75, 25);
    Button2->setDefault(true);
    Button1 = Named(new QPushButton(QStringLiteral("Help"), Panel3), "Button1");
    Button1->setGeometry(437, 4, 75, 25);

    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setInterval(1000);

    connect(ResetButton, &QPushButton::clicked, this, &TAnalyserForm::ResetButtonClick);
    connect(UpdateComboBox, &QComboBox::currentIndexChanged, this,
            &TAnalyserForm::UpdateComboBoxChange);
    connect(PeakCheckBox, &QCheckBox::clicked, this, &TAnalyserForm::PeakCheckBoxClick);
    connect(ReportButton, &QPushButton::clicked, this, [this] { ReportButtonClick(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button1, &QPushButton::clicked, this, &TAnalyserForm::Button1Click);

    MakeResizable(this);
    const QScreen* screen =
        parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

TAnalyserForm::~TAnalyserForm() = default;

void TAnalyserForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (!Panel3)
        return;
    // The grids widen with the window; the extra height goes half to the
    // source list, half to the chart; the buttons keep to the right.
    const int dw = width() - kDesignedWidth;
    const int dh = height() - kDesignedHeight;
    Panel1->resize(kDesignedWidth + dw, Panel1->height());
    for (QTableWidget* grid : {SummaryStringGrid, TypeStringGrid, MMIStringGrid})
        grid->resize(505 + dw, grid->height());
    MessageSourceStringGrid->resize(505 + dw, 99 + dh / 2);
    Panel2->setGeometry(0, 361 + dh / 2, kDesignedWidth + dw, 159 + dh - dh / 2);
    Chart1->setGeometry(Panel2->contentsRect());
    Panel3->setGeometry(0, 520 + dh, kDesignedWidth + dw, 32);
    ReportButton->move(271 + dw, 4);
    Button2->move(354 + dw, 4);
    Button1->move(437 + dw, 4);
}

void TAnalyserForm::BuildChart()
{
    // Legend at the top, the left axis from 0 to a fixed maximum, 60 points
    // across, no bottom axis; errors drawn over messages.
    Chart1 = Named(new AreaChart(Panel2), "Chart1");
    Chart1->setGeometry(Panel2->contentsRect());
    Chart1->setContentMargins(4);
    Chart1->setPointCount(kHistoryLength);
    Chart1->setAxisTickCount(3);
    Chart1->setAxisRange(0, 10);
    Series1 = Chart1->addSeries(QLatin1String(kMessagesSeriesTitle), Qt::blue);
    Series2 = Chart1->addSeries(QLatin1String(kErrorsSeriesTitle), Qt::red);
}

double TAnalyserForm::seconds() const
{
    return static_cast<double>(m_clock().toMSecsSinceEpoch()) / 1000.0;
}

void TAnalyserForm::ShowTick()
{
    const double start = m_analyser.statistics().startTime;
    // A capture's stamps are read as UTC: shown as written.
    const QDateTime startTime = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(start * 1000.0),
                                                               m_offline ? Qt::UTC : Qt::LocalTime);
    const QString when = QLocale::system().toString(startTime, QLocale::ShortFormat);
    TimeLabel->setText(Latin1(StartTimeLabel(when.toLatin1().toStdString())));
    ElapsedTimeLabel->setText(Latin1(m_analyser.elapsedTimeLabel()));
    ShowGrid(SummaryStringGrid, m_analyser.summaryGrid());
    ShowGrid(TypeStringGrid, m_analyser.typeGrid());
    ShowGrid(MMIStringGrid, m_analyser.mmiGrid());
    ShowGrid(MessageSourceStringGrid, m_analyser.sourceGrid());
}

void TAnalyserForm::Refresh()
{
    if (m_analyser.Refresh(seconds(), m_unitTypes, m_session.hexNumbers()))
        DrawGraph();
    ShowTick();
}

void TAnalyserForm::MoveTimeSlots()
{
    m_analyser.MoveTimeSlots();
    DrawGraph();
}

void TAnalyserForm::DrawGraph()
{
    const bool peak = PeakCheckBox->isChecked();
    const auto messages = m_analyser.messageSeries(peak);
    const auto errors = m_analyser.errorSeries(peak);
    Series1->replace(QList<double>(messages.begin(), messages.end()));
    Series2->replace(QList<double>(errors.begin(), errors.end()));
    Chart1->setAxisRange(0, m_analyser.axisMaximum());
}

void TAnalyserForm::ResetButtonClick()
{
    m_analyser.Reset(seconds(), m_unitTypes, m_session.hexNumbers());
    ShowTick();
    DrawGraph();
}

void TAnalyserForm::UpdateComboBoxChange()
{
    const int index = UpdateComboBox->currentIndex();
    if (index >= 0 && index < kUpdateRateCount)
        m_analyser.setSlotLength(kUpdateRateTicks[static_cast<std::size_t>(index)]);
}

void TAnalyserForm::PeakCheckBoxClick()
{
    DrawGraph();
}

bool TAnalyserForm::ReportButtonClick()
{
    const QDir folder(Session::dataFolder());
    const QString htmlPath = folder.filePath(QLatin1String(kReportFileName));
    const QString imagePath = folder.filePath(QLatin1String(kReportImageName));
    auto fail = [this](const QString& path, const QString& error) {
        m_prompter.message(
            this, Prompter::Icon::Error,
            QStringLiteral("Cannot write %1:\r%2").arg(QDir::toNativeSeparators(path), error));
        return false;
    };

    TrafficReportInput input;
    input.timeLabel = TimeLabel->text().toLatin1().toStdString();
    input.elapsedTimeLabel = ElapsedTimeLabel->text().toLatin1().toStdString();
    input.summary = m_analyser.summaryGrid();
    input.types = m_analyser.typeGrid();
    input.mmis = m_analyser.mmiGrid();
    input.sources = m_analyser.sourceGrid();
    const std::string page = TrafficReport(input);

    QSaveFile html(htmlPath);
    if (!html.open(QIODevice::WriteOnly))
        return fail(htmlPath, html.errorString());
    if (html.write(page.data(), static_cast<qint64>(page.size())) !=
        static_cast<qint64>(page.size()))
        return fail(htmlPath, html.errorString());

    // The chart panel as it is on the screen, list and check box included.
    const QPixmap picture = Panel2->grab();
    QSaveFile image(imagePath);
    if (!image.open(QIODevice::WriteOnly)) {
        html.cancelWriting();
        return fail(imagePath, image.errorString());
    }
    if (!picture.save(&image, "BMP")) {
        html.cancelWriting();
        image.cancelWriting();
        return fail(imagePath, image.errorString());
    }
    if (!image.commit()) {
        html.cancelWriting();
        return fail(imagePath, image.errorString());
    }
    if (!html.commit())
        return fail(htmlPath, html.errorString());

    // Tell the user where the report went when it is not beside the program.
    const QString beside = QDir(QCoreApplication::applicationDirPath()).absolutePath();
    if (QDir(folder).absolutePath() != beside)
        m_prompter.message(this, Prompter::Icon::Information,
                           QStringLiteral("The traffic report was written to\r%1")
                               .arg(QDir::toNativeSeparators(htmlPath)));
    m_prompter.openUrl(QUrl::fromLocalFile(htmlPath));
    return true;
}

void TAnalyserForm::Button1Click()
{
    emit helpRequested(80);
}

} // namespace tarvin

#include "gui/diagnostics/analyser_form.h"

#include "gui/widgets/area_chart.h"
#include "gui/widgets/window_sizes.h"

#include "core/diagnostics/traffic_report.h"
#include "gui/widgets/prompter.h"
#include "session/session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <utility>

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
constexpr int kButtonsHeight = 32;
constexpr int kContentHeight = kDesignedHeight - kButtonsHeight;

// The grids and the chart, placed by hand: it asks for its designed size
// and is never squeezed below it (the window scrolls it instead); whatever
// room it gets beyond that, `follow` shares out.
class DesignedPanel : public QWidget
{
public:
    DesignedPanel(QWidget* parent, std::function<void()> follow)
        : QWidget(parent), m_follow(std::move(follow))
    {
        setMinimumSize(kDesignedWidth, kContentHeight);
    }
    QSize sizeHint() const override { return minimumSize(); }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        m_follow();
    }

private:
    std::function<void()> m_follow;
};

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
    // Told before the link's message box is shown, so no tick runs while it
    // is read.
    connect(&m_session, &Session::connectionChanged, this, [this] {
        if (Timer1->isActive() && !m_session.connected() && m_session.lostAt().isValid())
            StopAtLinkLoss();
    });
}

void TAnalyserForm::StopAtLinkLoss()
{
    Timer1->stop();
    ResetButton->setEnabled(false);
    const QDateTime lost = m_session.lostAt();
    if (m_analyser.Refresh(static_cast<double>(lost.toMSecsSinceEpoch()) / 1000.0, m_unitTypes,
                           m_session.hexNumbers()))
        DrawGraph();
    ShowTick();
    m_lost = QStringLiteral("Link lost at %1: counting stopped")
                 .arg(lost.toString(QStringLiteral("HH:mm:ss")));
    setWindowTitle(QStringLiteral("Traffic Analyser - ") + m_lost);
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

    auto* content = new DesignedPanel(this, [this] { FollowSize(); });
    Panel1 = Named(new QWidget(content), "Panel1");
    Panel1->setGeometry(0, 0, 520, 33);
    ResetButton = Named(new QPushButton(QStringLiteral("Reset"), Panel1), "ResetButton");
    ResetButton->setGeometry(8, 4, 75, 25);
    TimeLabel = Named(new QLabel(Panel1), "TimeLabel");
    TimeLabel->setGeometry(96, 8, 228, 17);
    ElapsedTimeLabel = Named(new QLabel(Panel1), "ElapsedTimeLabel");
    ElapsedTimeLabel->setGeometry(328, 8, 184, 17);

    SummaryStringGrid = MakeGrid(content, "SummaryStringGrid", 40, 61, false);
    TypeStringGrid = MakeGrid(content, "TypeStringGrid", 105, 81, true);
    MMIStringGrid = MakeGrid(content, "MMIStringGrid", 191, 61, true);
    MessageSourceStringGrid = MakeGrid(content, "MessageSourceStringGrid", 257, 99, true);

    Panel2 = Named(new QFrame(content), "Panel2");
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
    // The label as wide as its text in the font at hand, the choices after it.
    Label1->resize(std::max(Label1->width(), Label1->sizeHint().width()), Label1->height());
    UpdateComboBox->move(Label1->geometry().right() + 3, UpdateComboBox->y());
    PeakCheckBox->move(UpdateComboBox->geometry().right() + 9, PeakCheckBox->y());
    for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(UpdateComboBox),
                       static_cast<QWidget*>(PeakCheckBox)})
        w->raise();

    Panel3 = Named(new QWidget(this), "Panel3");
    Panel3->setFixedHeight(kButtonsHeight);
    auto* right = new QHBoxLayout(Panel3);
    right->setContentsMargins(8, 4, 8, 3);
    right->setSpacing(8);
    right->addStretch(1);
    ReportButton = Named(new QPushButton(QStringLiteral("Report"), Panel3), "ReportButton");
    Button2 = Named(new QPushButton(QStringLiteral("OK"), Panel3), "Button2");
    Button2->setDefault(true);
    Button1 = Named(new QPushButton(QStringLiteral("Help"), Panel3), "Button1");
    for (QPushButton* button : {ReportButton, Button2, Button1}) {
        button->setFixedSize(75, 25);
        right->addWidget(button);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Panel3);
    // Laid out edge to edge, as designed.
    ScrollWhenTooSmall(this, content, buttons);
    layout()->setContentsMargins(0, 0, 0, 0);
    layout()->setSpacing(0);

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

void TAnalyserForm::FollowSize()
{
    if (!Panel2)
        return;
    // The grids widen with the window; the extra height goes half to the
    // source list, half to the chart.
    const QWidget* content = Panel1->parentWidget();
    const int dw = content->width() - kDesignedWidth;
    const int dh = content->height() - kContentHeight;
    Panel1->resize(kDesignedWidth + dw, Panel1->height());
    for (QTableWidget* grid : {SummaryStringGrid, TypeStringGrid, MMIStringGrid})
        grid->resize(505 + dw, grid->height());
    MessageSourceStringGrid->resize(505 + dw, 99 + dh / 2);
    Panel2->setGeometry(0, 361 + dh / 2, kDesignedWidth + dw, 159 + dh - dh / 2);
    if (Chart1)
        Chart1->setGeometry(Panel2->contentsRect());
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
    if (!m_lost.isEmpty())
        input.elapsedTimeLabel += " (" + m_lost.toLatin1().toStdString() + ")";
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

#include "gui/capture/capture_window.h"

#include "core/decode/hex.h"
#include "core/diagnostics/capture_analysis.h"
#include "gui/capture/capture_model.h"
#include "gui/compose/tab_support.h"
#include "gui/diagnostics/analyser_form.h"
#include "gui/widgets/prompter.h"
#include "gui/widgets/window_sizes.h"
#include "session/session.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSaveFile>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace tarvin {

using tabs::Named;

namespace {

constexpr qint64 kReadPiece = 4 << 20; // bytes read between two looks at the window
constexpr int kPollMs = 500;

std::string Std(const QString& text)
{
    return text.toLatin1().toStdString();
}

} // namespace

CaptureWindow::CaptureWindow(Session& session, Prompter& prompter,
                             std::function<int(QDialog&)> runDialog, QWidget* parent)
    : QMainWindow(parent), m_session(session), m_prompter(prompter),
      m_runDialog(std::move(runDialog))
{
    setObjectName(QStringLiteral("CaptureWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1000, 600);
    RememberSize(this);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* bar = new QHBoxLayout;
    FilterEdit = Named(new QLineEdit(central), "FilterEdit");
    FilterEdit->setPlaceholderText(QStringLiteral("Find text"));
    FilterEdit->setClearButtonEnabled(true);
    DirectionCombo = Named(new QComboBox(central), "DirectionCombo");
    DirectionCombo->addItems({QStringLiteral("All lines"), QStringLiteral("Sent"),
                              QStringLiteral("Received"), QStringLiteral("Markers")});
    ApplicationEdit = Named(new QLineEdit(central), "ApplicationEdit");
    SourceEdit = Named(new QLineEdit(central), "SourceEdit");
    showNumberBase(m_session.hexNumbers());
    ErrorsOnlyCheck =
        Named(new QCheckBox(QStringLiteral("Errors only"), central), "ErrorsOnlyCheck");
    CountLabel = Named(new QLabel(central), "CountLabel");
    // A sign that new lines scroll into view as they come.
    FollowingLabel = Named(new QLabel(QStringLiteral("Following"), this), "FollowingLabel");
    FollowingLabel->setToolTip(
        QStringLiteral("New lines are added as they come; while the last row is in view the "
                       "table scrolls to show them."));
    FollowingLabel->hide();
    statusBar()->addPermanentWidget(FollowingLabel);
    bar->addWidget(FilterEdit, 1);
    bar->addWidget(DirectionCombo);
    bar->addWidget(ApplicationEdit);
    bar->addWidget(SourceEdit);
    bar->addWidget(ErrorsOnlyCheck);
    bar->addWidget(CountLabel);
    layout->addLayout(bar);

    CaptureTable = Named(new QTableView(central), "CaptureTable");
    CaptureTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    CaptureTable->setWordWrap(false);
    CaptureTable->verticalHeader()->hide();
    CaptureTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    CaptureTable->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(CaptureTable, 1);
    setCentralWidget(central);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    ExportAction = Named(file->addAction(QStringLiteral("&Export Shown Rows...")), "ExportAction");
    file->addSeparator();
    file->addAction(QStringLiteral("&Close"), QKeySequence::Close, this, &QWidget::close);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    CopyAction = Named(edit->addAction(QStringLiteral("&Copy Rows")), "CopyAction");
    CopyAction->setShortcut(QKeySequence::Copy);
    GoToTimeAction = Named(edit->addAction(QStringLiteral("&Go to Time...")), "GoToTimeAction");
    GoToTimeAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    FollowAction = Named(view->addAction(QStringLiteral("&Follow the File")), "FollowAction");
    FollowAction->setCheckable(true);
    KeepLinesAction = Named(view->addAction(QStringLiteral("&Lines Kept...")), "KeepLinesAction");
    KeepLinesAction->setVisible(false);
    view->addSeparator();
    AnalyseAction =
        Named(view->addAction(QStringLiteral("&Analyse Shown Rows...")), "AnalyseAction");

    m_pollTimer = new QTimer(this);
    m_filterTimer = new QTimer(this);
    m_filterTimer->setSingleShot(true);
    m_filterTimer->setInterval(250);

    connect(FilterEdit, &QLineEdit::textChanged, m_filterTimer, qOverload<>(&QTimer::start));
    connect(ApplicationEdit, &QLineEdit::textChanged, m_filterTimer, qOverload<>(&QTimer::start));
    connect(SourceEdit, &QLineEdit::textChanged, m_filterTimer, qOverload<>(&QTimer::start));
    connect(m_filterTimer, &QTimer::timeout, this, &CaptureWindow::applyFilter);
    connect(DirectionCombo, &QComboBox::currentIndexChanged, this, &CaptureWindow::applyFilter);
    connect(ErrorsOnlyCheck, &QCheckBox::toggled, this, &CaptureWindow::applyFilter);
    connect(ExportAction, &QAction::triggered, this, [this] {
        const QString path = SaveUserFile(m_prompter, this, QStringLiteral("Captures (*.csv)"),
                                          QStringLiteral("csv"));
        if (!path.isEmpty())
            exportShown(path);
    });
    connect(CopyAction, &QAction::triggered, this, &CaptureWindow::copySelection);
    connect(GoToTimeAction, &QAction::triggered, this, &CaptureWindow::goToTime);
    connect(FollowAction, &QAction::toggled, this, &CaptureWindow::setFollow);
    connect(KeepLinesAction, &QAction::triggered, this, &CaptureWindow::keepLines);
    connect(AnalyseAction, &QAction::triggered, this, &CaptureWindow::analyse);
    connect(&m_session, &Session::hexNumbersChanged, this, [this](bool on) {
        showNumberBase(on);
        if (m_model)
            m_model->setHexNumbers(on);
    });
}

void CaptureWindow::showNumberBase(bool hexNumbers)
{
    const QLatin1String base(BaseName(hexNumbers));
    ApplicationEdit->setPlaceholderText(QStringLiteral("Application (%1)").arg(base));
    SourceEdit->setPlaceholderText(QStringLiteral("Source unit (%1)").arg(base));
    // Just wide enough for the hint that says which base to type in.
    for (QLineEdit* edit : {ApplicationEdit, SourceEdit})
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(edit->placeholderText()) +
                            edit->fontMetrics().height());
}

CaptureWindow::~CaptureWindow() = default;

const CaptureStore& CaptureWindow::store() const
{
    return m_live ? m_session.history() : m_fileStore;
}

bool CaptureWindow::openFile(const QString& path)
{
    m_path = path;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_prompter.message(this, Prompter::Icon::Error,
                           QStringLiteral("Cannot open the capture %1:\r%2")
                               .arg(QDir::toNativeSeparators(path), m_file.errorString()));
        return false;
    }
    setWindowTitle(QStringLiteral("Capture - %1").arg(QFileInfo(path).fileName()));
    useModel(m_fileStore);
    connect(m_pollTimer, &QTimer::timeout, this, &CaptureWindow::poll);
    m_loading = true;
    statusBar()->showMessage(QStringLiteral("Reading %1...").arg(QDir::toNativeSeparators(path)));
    QTimer::singleShot(0, this, &CaptureWindow::readSome);
    return true;
}

void CaptureWindow::showSession()
{
    m_live = true;
    setWindowTitle(QStringLiteral("Session"));
    useModel(m_session.history());
    FollowAction->setVisible(false);
    KeepLinesAction->setVisible(true);
    // New lines are taken in batches: at any rate the view redraws a few
    // times a second.
    // The session opens at its newest line, and goes on from there.
    m_startAtEnd = true;
    connect(m_pollTimer, &QTimer::timeout, this, &CaptureWindow::refreshRows);
    m_pollTimer->start(250);
    FollowingLabel->show();
    updateCount();
}

void CaptureWindow::useModel(const CaptureStore& store)
{
    m_model = new CaptureModel(store, this);
    m_model->setHexNumbers(m_session.hexNumbers());
    CaptureTable->setModel(m_model);
    // The capture's own order until a column is clicked.
    CaptureTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    CaptureTable->setSortingEnabled(true);
    // Wide enough for a full time stamp, a common application name and a
    // header with its sort mark; the description takes the rest.
    const QFontMetrics metrics = CaptureTable->fontMetrics();
    const QHeaderView* header = CaptureTable->horizontalHeader();
    const auto width = [&](int column, const char* sample) {
        return std::max(metrics.horizontalAdvance(QLatin1String(sample)) + 16,
                        header->sectionSizeHint(column));
    };
    CaptureTable->setColumnWidth(CaptureModel::Time,
                                 width(CaptureModel::Time, "2026-12-09 04:49:18.226"));
    CaptureTable->setColumnWidth(CaptureModel::Direction, width(CaptureModel::Direction, "Tx"));
    CaptureTable->setColumnWidth(CaptureModel::Network, width(CaptureModel::Network, "0"));
    CaptureTable->setColumnWidth(CaptureModel::Source, width(CaptureModel::Source, "255"));
    CaptureTable->setColumnWidth(CaptureModel::Application,
                                 width(CaptureModel::Application, "Trigger Control (CA)"));
    CaptureTable->setColumnWidth(CaptureModel::Wire,
                                 width(CaptureModel::Wire, "0529380026BE35<CR>"));
}

void CaptureWindow::readSome()
{
    // Gone since the last look: the next poll says so.
    if (!m_file.isOpen() && !m_file.open(QIODevice::ReadOnly))
        return;
    m_file.seek(m_offset);
    const QByteArray bytes = m_file.read(kReadPiece);
    m_offset += bytes.size();
    const bool atEnd = bytes.size() < kReadPiece;
    // A torn last line is a line of its own, unless the file is followed
    // and its end may still come.
    readLines(bytes, atEnd && !FollowAction->isChecked());
    refreshRows();
    if (!atEnd) {
        QTimer::singleShot(0, this, &CaptureWindow::readSome);
        return;
    }
    // Not held open between reads: Windows lets nobody rename or remove an
    // open file, and a monitor rotating the capture we follow must.
    m_file.close();
    if (m_loading) {
        m_loading = false;
        statusBar()->showMessage(QStringLiteral("Read %L1 lines").arg(store().size()), 10000);
        emit loaded();
    }
}

void CaptureWindow::readLines(const QByteArray& bytes, bool atEnd)
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            break;
        if (m_carry.isEmpty()) {
            addLine(std::string_view(bytes.constData() + start, std::size_t(end - start)));
        } else {
            m_carry.append(bytes.constData() + start, end - start);
            addLine(std::string_view(m_carry.constData(), std::size_t(m_carry.size())));
            m_carry.clear();
        }
        start = end + 1;
    }
    m_carry.append(bytes.constData() + start, bytes.size() - start);
    // A line without end is no capture line: kept as unreadable, and the
    // memory it takes is bounded.
    if ((atEnd && !m_carry.isEmpty()) || m_carry.size() > qsizetype(kMaxCaptureLine)) {
        addLine(std::string_view(m_carry.constData(), std::size_t(m_carry.size())));
        m_carry.clear();
    }
}

void CaptureWindow::addLine(std::string_view line)
{
    if (!m_form) {
        if (ParseCaptureLine(CaptureForm::Wire, line).kind == CaptureRecord::Blank)
            return;
        m_form = DetectCaptureForm(line);
    }
    const CaptureRecord record = ParseCaptureLine(*m_form, line);
    if (record.kind == CaptureRecord::Marker)
        if (const auto header = ParseCaptureHeader(record.text))
            if (const auto mode = ParseCountingMode(header->mode))
                m_mode = *mode;
    m_fileStore.add(record, m_mode);
}

void CaptureWindow::refreshRows()
{
    const QScrollBar* bar = CaptureTable->verticalScrollBar();
    const bool lastRowShown = std::exchange(m_startAtEnd, false) || bar->value() >= bar->maximum();
    m_model->refresh();
    updateCount();
    // Someone reading further up is left where they are.
    if (lastRowShown && following())
        CaptureTable->scrollToBottom();
}

bool CaptureWindow::following() const
{
    return m_live || FollowAction->isChecked();
}

void CaptureWindow::setFollow(bool on)
{
    if (m_live)
        return;
    FollowAction->setChecked(on);
    FollowingLabel->setVisible(on);
    if (on)
        m_pollTimer->start(kPollMs);
    else
        m_pollTimer->stop();
}

void CaptureWindow::poll()
{
    if (m_loading)
        return;
    const QFileInfo info(m_path);
    if (!info.exists()) {
        if (!m_gone)
            statusBar()->showMessage(
                QStringLiteral("The capture file is gone: showing the %L1 lines read.")
                    .arg(store().size()));
        m_gone = true;
        return;
    }
    if (m_gone || info.size() < m_offset) {
        // Replaced (a rotated capture starts a new file) or truncated: the
        // lines read stay, and the file's lines are read from its start.
        statusBar()->showMessage(
            m_gone ? QStringLiteral("The capture file is back: reading it from its start.")
                   : QStringLiteral("The capture file was replaced or cut short: reading its "
                                    "lines from its start."));
        m_gone = false;
        m_offset = 0;
        m_carry.clear();
        m_file.close();
    }
    if (info.size() > m_offset)
        readSome();
}

void CaptureWindow::updateCount()
{
    if (!m_model)
        return;
    QString text = QStringLiteral("%L1 of %L2 lines").arg(m_model->rowCount()).arg(store().size());
    if (store().unreadable() > 0)
        text += QStringLiteral(", %L1 unreadable").arg(store().unreadable());
    CountLabel->setText(text);
}

std::optional<int> CaptureWindow::numberIn(const QLineEdit* edit)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        return -1;
    return ReadBusNumber(text.toLatin1().toStdString(), m_session.hexNumbers());
}

void CaptureWindow::applyFilter()
{
    if (!m_model)
        return;
    m_filterTimer->stop();
    const auto application = numberIn(ApplicationEdit);
    const auto source = numberIn(SourceEdit);
    if (!application || !source) {
        statusBar()->showMessage(
            QStringLiteral("Application and source unit are numbers from 0 to 255 (%1).")
                .arg(m_session.hexNumbers() ? QStringLiteral("hexadecimal")
                                            : QStringLiteral("decimal")),
            10000);
        return;
    }
    CaptureFilter filter;
    filter.text = FilterEdit->text().toLatin1();
    static const char directions[] = {0, 'T', 'R', '#'};
    filter.direction = directions[std::clamp(DirectionCombo->currentIndex(), 0, 3)];
    filter.application = *application;
    filter.source = *source;
    filter.errorsOnly = ErrorsOnlyCheck->isChecked();
    if (filter == m_model->filter())
        return;
    m_model->setFilter(filter);
    updateCount();
}

void CaptureWindow::copySelection()
{
    QModelIndexList rows = CaptureTable->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (const QModelIndex& index : rows)
        lines << m_model->rowText(index.row(), u'\t');
    if (!lines.isEmpty())
        QApplication::clipboard()->setText(lines.join(u'\n') + u'\n');
}

bool CaptureWindow::exportShown(const QString& path)
{
    if (QFileInfo::exists(path) &&
        m_prompter.ask(this, Prompter::Icon::Warning,
                       QStringLiteral("%1 exists.\rDo you want to replace it ?")
                           .arg(QDir::toNativeSeparators(path)),
                       QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return false;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        m_prompter.message(this, Prompter::Icon::Error,
                           QStringLiteral("Cannot write %1:\r%2")
                               .arg(QDir::toNativeSeparators(path), out.errorString()));
        return false;
    }
    // A capture again: it opens and analyses like any other, each row under
    // the header that governed it in the source, so it is judged the same.
    const CaptureStore& source = store();
    std::vector<std::size_t> governing(source.size(), SIZE_MAX);
    for (std::size_t i = 0, header = SIZE_MAX; i < source.size(); ++i) {
        const CaptureStore::Row row = source.row(i);
        if (row.kind == CaptureRecord::Marker && ParseCaptureHeader(row.description))
            header = i;
        governing[i] = header;
    }
    std::string text = CsvHeader() + '\n';
    std::size_t written = SIZE_MAX;
    for (int r = 0; r < m_model->rowCount(); ++r) {
        const std::size_t index = m_model->storeIndex(r);
        if (index >= governing.size())
            continue; // dropped from the session's ring since the last refresh
        if (governing[index] != written && governing[index] != SIZE_MAX &&
            governing[index] != index) {
            written = governing[index];
            const CaptureStore::Row header = source.row(written);
            text += CaptureMarker(CaptureFormat::Csv, header.stamp, header.description) + '\n';
        } else if (governing[index] == index) {
            written = index;
        }
        const CaptureStore::Row row = m_model->storeRow(r);
        if (row.kind == CaptureRecord::Line)
            text +=
                CaptureLine(CaptureFormat::Csv, row.stamp, row.direction, row.raw, row.description);
        else if (row.kind == CaptureRecord::Marker)
            text += CaptureMarker(CaptureFormat::Csv, row.stamp, row.description);
        else
            text += CaptureMarker(CaptureFormat::Csv, row.stamp,
                                  "unreadable: " + std::string(row.description));
        text += '\n';
    }
    out.write(text.data(), qint64(text.size()));
    if (!out.commit()) {
        m_prompter.message(this, Prompter::Icon::Error,
                           QStringLiteral("Cannot write %1:\r%2")
                               .arg(QDir::toNativeSeparators(path), out.errorString()));
        return false;
    }
    statusBar()->showMessage(QStringLiteral("%L1 rows exported to %2")
                                 .arg(m_model->rowCount())
                                 .arg(QDir::toNativeSeparators(path)),
                             10000);
    return true;
}

void CaptureWindow::goToTime()
{
    if (m_model->rowCount() == 0)
        return;
    const QString first = QString::fromLatin1(m_model->storeRow(0).stamp.data(),
                                              qsizetype(m_model->storeRow(0).stamp.size()));
    bool ok = false;
    QString typed = m_prompter
                        .inputText(this, QStringLiteral("Go to Time"),
                                   QStringLiteral("Time (HH:mm:ss, or yyyy-MM-dd HH:mm:ss):"),
                                   first.mid(11, 8), &ok)
                        .trimmed();
    if (!ok || typed.isEmpty())
        return;
    // A time of day is on the first shown row's day.
    if (typed.size() <= 12 && first.size() >= 10)
        typed = first.left(10) + u' ' + typed;
    const auto seconds = CaptureStampSeconds(Std(typed));
    const int row = seconds ? m_model->rowAtTime(*seconds) : -1;
    if (!seconds || row < 0) {
        statusBar()->showMessage(seconds
                                     ? QStringLiteral("No shown line at or after %1.").arg(typed)
                                     : QStringLiteral("%1 is not a time.").arg(typed),
                                 10000);
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    CaptureTable->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    CaptureTable->scrollTo(index, QAbstractItemView::PositionAtTop);
}

void CaptureWindow::analyse()
{
    const std::vector<std::uint64_t> shown = m_model->shownSerials();
    const CaptureStore& s = store();
    // The slots span the shown lines' time line: 60 of them.
    double firstTime = -1, lastTime = -1;
    for (std::uint64_t serial : shown) {
        const double t = s.row(std::size_t(serial - s.firstSerial())).time;
        if (t < 0)
            continue;
        if (firstTime < 0)
            firstTime = t;
        lastTime = std::max(lastTime, t);
    }
    const int slot =
        firstTime < 0 ? 1 : std::max(1, int(std::ceil((lastTime - firstTime) / kHistoryLength)));
    // Every header counts, shown or not: it says how the lines after it
    // were taken.
    CaptureAnalysis analysis;
    analysis.setSlotSeconds(slot);
    std::size_t next = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::uint64_t serial = s.firstSerial() + i;
        const bool isShown = next < shown.size() && shown[next] == serial;
        if (isShown)
            ++next;
        const CaptureStore::Row row = s.row(i);
        const bool header =
            row.kind == CaptureRecord::Marker && ParseCaptureHeader(row.description).has_value();
        if (!isShown && !header)
            continue;
        CaptureRecord record;
        record.kind = row.kind;
        record.stamp = std::string(row.stamp);
        record.direction = row.direction;
        record.raw = std::string(row.raw);
        record.text = std::string(row.description);
        analysis.add(record);
    }
    analysis.finish({}, m_session.hexNumbers());
    TAnalyserForm form(m_session, m_prompter, analysis.analyser(), slot,
                       QStringLiteral("Traffic Analyser - %1").arg(windowTitle()), this);
    m_runDialog(form);
}

void CaptureWindow::keepLines()
{
    bool ok = false;
    const QString typed =
        m_prompter.inputText(this, QStringLiteral("Lines Kept"),
                             QStringLiteral("Lines of the session to keep (%L1 to %L2):")
                                 .arg(kMinSessionCaptureLines)
                                 .arg(kMaxSessionCaptureLines),
                             QString::number(m_session.settings().sessionCaptureLines), &ok);
    if (!ok)
        return;
    bool number = false;
    const int lines = typed.trimmed().toInt(&number);
    if (!number) {
        m_prompter.message(this, Prompter::Icon::Warning,
                           QStringLiteral("%1 is not a number of lines.").arg(typed));
        return;
    }
    m_session.setHistoryLimit(lines);
    m_model->refresh();
    updateCount();
}

} // namespace tarvin

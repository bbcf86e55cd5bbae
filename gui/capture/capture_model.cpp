#include "gui/capture/capture_model.h"

#include "core/decode/applications.h"
#include "core/decode/hex.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>
#include <array>
#include <utility>

namespace tarvin {

namespace {

constexpr std::array<const char*, CaptureModel::ColumnCount> kHeaders = {
    "Time", "Dir", "Network", "Source", "Application", "Wire Text", "Description"};

QString Latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

struct LowerTable
{
    std::array<char, 256> lower{};
    constexpr LowerTable()
    {
        for (int i = 0; i < 256; ++i)
            lower[static_cast<std::size_t>(i)] =
                static_cast<char>(i >= 'A' && i <= 'Z' ? i - 'A' + 'a' : i);
    }
};
constexpr LowerTable kLower;

char Lower(char ch)
{
    return kLower.lower[static_cast<unsigned char>(ch)];
}

// `needle` is lower case already.
bool ContainsFolded(std::string_view haystack, const QByteArray& needle)
{
    if (needle.isEmpty())
        return true;
    const auto found = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                                   [](char h, char n) { return Lower(h) == n; });
    return found != haystack.end();
}

} // namespace

bool CaptureFilter::operator==(const CaptureFilter& other) const
{
    return text == other.text && direction == other.direction && application == other.application &&
           source == other.source && errorsOnly == other.errorsOnly;
}

CaptureModel::CaptureModel(const CaptureStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store)
{
    refresh();
}

int CaptureModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int CaptureModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

std::size_t CaptureModel::storeIndex(int shownRow) const
{
    return static_cast<std::size_t>(m_shown[static_cast<std::size_t>(shownRow)] -
                                    m_store.firstSerial());
}

CaptureStore::Row CaptureModel::storeRow(int shownRow) const
{
    // The session's ring may have dropped the row since the last refresh:
    // it reads as blank until the refresh takes it away.
    const std::size_t index = storeIndex(shownRow);
    return index < m_store.size() ? m_store.row(index) : CaptureStore::Row{};
}

QString CaptureModel::cellText(const CaptureStore::Row& row, int column) const
{
    const auto number = [this](int n) {
        return n < 0 ? QString() : Latin1(NumberString(n, m_hex));
    };
    switch (column) {
    case Time:
        return Latin1(row.stamp);
    case Direction:
        if (row.kind == CaptureRecord::Marker)
            return QStringLiteral("#");
        if (row.kind == CaptureRecord::Unreadable)
            return QStringLiteral("?");
        return row.direction == 'T' ? QStringLiteral("Tx") : QStringLiteral("Rx");
    case Network:
        return number(row.network);
    case Source:
        return number(row.source);
    case Application: {
        if (row.application < 0)
            return {};
        // Some names carry their number already: "Lighting (58)".
        const std::string name = ApplicationName(row.application, m_hex);
        return Latin1(
            name.find('(') != std::string::npos ? name : ApplicationLabel(row.application, m_hex));
    }
    case Wire:
        return Latin1(row.raw);
    case Description:
        if (row.kind == CaptureRecord::Unreadable)
            return QStringLiteral("Unreadable: ") + Latin1(row.description);
        return Latin1(row.description);
    default:
        return {};
    }
}

QVariant CaptureModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const CaptureStore::Row row = storeRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return cellText(row, index.column());
    case Qt::ForegroundRole:
        if (row.error)
            return QBrush(QColor(0xC0, 0, 0));
        if (row.kind == CaptureRecord::Marker)
            return QBrush(QColor(0x60, 0x60, 0x60));
        return {};
    case Qt::BackgroundRole:
        if (row.unknown)
            return QBrush(QColor(0xFF, 0xF4, 0xD0));
        return {};
    case Qt::ToolTipRole:
        if (row.kind == CaptureRecord::Unreadable)
            return QStringLiteral("This line of the file could not be read as a capture line.");
        if (row.error)
            return QStringLiteral("Counted as an error.");
        if (row.unknown)
            return QStringLiteral("Received, and the decoder has no description for it.");
        return {};
    default:
        return {};
    }
}

QVariant CaptureModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QLatin1String(kHeaders[static_cast<std::size_t>(section)]);
}

bool CaptureModel::matches(const CaptureStore::Row& row) const
{
    const CaptureFilter& f = m_filter;
    if (f.errorsOnly && !row.error)
        return false;
    if (f.direction == '#') {
        if (row.kind != CaptureRecord::Marker)
            return false;
    } else if (f.direction != 0 && row.direction != f.direction) {
        return false;
    }
    if (f.application >= 0 && row.application != f.application)
        return false;
    if (f.source >= 0 && row.source != f.source)
        return false;
    return m_needle.isEmpty() || ContainsFolded(row.raw, m_needle) ||
           ContainsFolded(row.description, m_needle) || ContainsFolded(row.stamp, m_needle) ||
           (row.application >= 0 && m_applicationMatches[std::size_t(row.application)]);
}

void CaptureModel::setFilter(const CaptureFilter& filter)
{
    beginResetModel();
    m_filter = filter;
    m_needle = filter.text.toLower();
    // The application column's names, judged once for all rows.
    CaptureStore::Row named;
    for (int a = 0; a < 256; ++a) {
        named.application = a;
        const QByteArray name = cellText(named, Application).toLatin1();
        m_applicationMatches[std::size_t(a)] =
            !m_needle.isEmpty() &&
            ContainsFolded(std::string_view(name.constData(), name.size()), m_needle);
    }
    m_shown.clear();
    m_seenEnd = m_store.firstSerial();
    endResetModel();
    refresh();
}

void CaptureModel::setHexNumbers(bool on)
{
    if (on == m_hex)
        return;
    m_hex = on;
    if (rowCount() > 0)
        emit dataChanged(index(0, Network), index(rowCount() - 1, Application));
}

void CaptureModel::refresh()
{
    const std::uint64_t first = m_store.firstSerial();
    const std::uint64_t end = first + m_store.size();
    // Records the ring dropped go from the view at once.
    if (!m_shown.empty() &&
        (m_seenEnd > end || *std::min_element(m_shown.begin(), m_shown.end()) < first)) {
        beginResetModel();
        m_shown.erase(
            std::remove_if(m_shown.begin(), m_shown.end(),
                           [first, end](std::uint64_t s) { return s < first || s >= end; }),
            m_shown.end());
        endResetModel();
    }
    std::vector<std::uint64_t> added;
    for (std::uint64_t serial = std::max(m_seenEnd, first); serial < end; ++serial)
        if (matches(m_store.row(static_cast<std::size_t>(serial - first))))
            added.push_back(serial);
    m_seenEnd = end;
    if (added.empty())
        return;
    const int at = static_cast<int>(m_shown.size());
    if (m_sortColumn < 0) {
        beginInsertRows({}, at, at + static_cast<int>(added.size()) - 1);
        m_shown.insert(m_shown.end(), added.begin(), added.end());
        endInsertRows();
        return;
    }
    emit layoutAboutToBeChanged();
    m_shown.insert(m_shown.end(), added.begin(), added.end());
    sortShown(m_shown.begin() + at);
    emit layoutChanged();
}

void CaptureModel::sort(int column, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged();
    m_sortColumn = column;
    m_sortOrder = order;
    if (column < 0)
        std::sort(m_shown.begin(), m_shown.end());
    else
        sortShown(m_shown.begin());
    emit layoutChanged();
}

void CaptureModel::sortShown(std::vector<std::uint64_t>::iterator from)
{
    // Keys are read once; ties keep the capture's order. When only a tail is
    // new, it is sorted alone and merged into the sorted rest.
    const std::uint64_t first = m_store.firstSerial();
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    const auto sortRange = [&](auto key) {
        using Key = decltype(key(CaptureStore::Row{}));
        std::vector<std::pair<Key, std::uint64_t>> keyed;
        keyed.reserve(static_cast<std::size_t>(m_shown.end() - from));
        for (auto it = from; it != m_shown.end(); ++it)
            keyed.emplace_back(key(m_store.row(static_cast<std::size_t>(*it - first))), *it);
        const auto less = [descending](const auto& a, const auto& b) {
            if (a.first != b.first)
                return descending ? b.first < a.first : a.first < b.first;
            return a.second < b.second;
        };
        std::sort(keyed.begin(), keyed.end(), less);
        auto out = from;
        for (const auto& k : keyed)
            *out++ = k.second;
        if (from == m_shown.begin())
            return;
        // Merge the new tail into the rest, with the same keys.
        std::vector<std::pair<Key, std::uint64_t>> all;
        all.reserve(m_shown.size());
        for (std::uint64_t s : m_shown)
            all.emplace_back(key(m_store.row(static_cast<std::size_t>(s - first))), s);
        const auto middle = all.begin() + (from - m_shown.begin());
        std::inplace_merge(all.begin(), middle, all.end(), less);
        for (std::size_t i = 0; i < all.size(); ++i)
            m_shown[i] = all[i].second;
    };
    switch (m_sortColumn) {
    case Time:
        sortRange([](const CaptureStore::Row& r) { return r.time; });
        break;
    case Direction:
        sortRange([](const CaptureStore::Row& r) { return r.direction; });
        break;
    case Network:
        sortRange([](const CaptureStore::Row& r) { return r.network; });
        break;
    case Source:
        sortRange([](const CaptureStore::Row& r) { return r.source; });
        break;
    case Application:
        sortRange([](const CaptureStore::Row& r) { return r.application; });
        break;
    case Wire:
        sortRange([](const CaptureStore::Row& r) { return r.raw; });
        break;
    case Description:
        sortRange([](const CaptureStore::Row& r) { return r.description; });
        break;
    default:
        std::sort(from, m_shown.end());
        break;
    }
}

std::vector<std::uint64_t> CaptureModel::shownSerials() const
{
    std::vector<std::uint64_t> serials = m_shown;
    std::sort(serials.begin(), serials.end());
    return serials;
}

int CaptureModel::rowAtTime(double seconds) const
{
    // The nearest shown row at or after the time, whatever the sort.
    int best = -1;
    double bestTime = 0;
    for (std::size_t i = 0; i < m_shown.size(); ++i) {
        const double t =
            m_store.row(static_cast<std::size_t>(m_shown[i] - m_store.firstSerial())).time;
        if (t >= seconds && (best < 0 || t < bestTime)) {
            best = static_cast<int>(i);
            bestTime = t;
        }
    }
    return best;
}

QString CaptureModel::rowText(int shownRow, QChar separator) const
{
    const CaptureStore::Row row = storeRow(shownRow);
    QStringList cells;
    for (int c = 0; c < ColumnCount; ++c)
        cells << cellText(row, c);
    return cells.join(separator);
}

} // namespace tarvin

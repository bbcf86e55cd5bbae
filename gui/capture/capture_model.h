#pragma once
// The rows of a capture as a table: the store's records, filtered and
// sorted. Filtering and sorting work on the store's compact entries, so a
// million lines filter in a fraction of a second.

#include "core/files/capture_store.h"

#include <QAbstractTableModel>
#include <QByteArray>

#include <array>
#include <cstdint>
#include <vector>

namespace tarvin {

struct CaptureFilter
{
    QByteArray text;    // in the time, wire text, application or description, any case
    char direction = 0; // 0 any, 'T' sent, 'R' received, '#' markers
    int application = -1;
    int source = -1;
    bool errorsOnly = false;

    bool operator==(const CaptureFilter& other) const;
};

class CaptureModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        Time,
        Direction,
        Network,
        Source,
        Application,
        Wire,
        Description,
        ColumnCount
    };

    explicit CaptureModel(const CaptureStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    void setFilter(const CaptureFilter& filter);
    const CaptureFilter& filter() const { return m_filter; }
    void setHexNumbers(bool on);

    // The store changed: rows were added at its end, or dropped from its
    // start (a ring), or it was cleared. Shown rows follow, in order.
    void refresh();

    // The store row a shown row stands for.
    CaptureStore::Row storeRow(int shownRow) const;
    std::size_t storeIndex(int shownRow) const;
    // Shown rows in the store's order (the order of the capture).
    std::vector<std::uint64_t> shownSerials() const;
    // The first shown row at or after `seconds`, or -1.
    int rowAtTime(double seconds) const;
    // A shown row as text, for copying: the columns joined by `separator`.
    QString rowText(int shownRow, QChar separator) const;
    QString cellText(const CaptureStore::Row& row, int column) const;

private:
    bool matches(const CaptureStore::Row& row) const;
    void sortShown(std::vector<std::uint64_t>::iterator from);

    const CaptureStore& m_store;
    CaptureFilter m_filter;
    QByteArray m_needle; // the free text, lower case
    std::array<bool, 256> m_applicationMatches{};
    bool m_hex = false;
    int m_sortColumn = -1; // -1: the capture's own order
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::vector<std::uint64_t> m_shown; // serial numbers of the store's records
    std::uint64_t m_seenEnd = 0;        // serial after the last record looked at
};

} // namespace tarvin

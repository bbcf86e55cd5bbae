#pragma once
// A small chart of filled areas, painted with QPainter: a legend at the top,
// a value axis with grid lines on the left, and series of equally spaced
// points from the left edge to the right (no bottom axis). Later series are
// drawn over earlier ones. No zoom, panning or animation.

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QPainter;

namespace tarvin {

class AreaChart;

// One filled area: its legend name, its colour (fill and border) and its
// values, one per point, first point at the left.
class AreaSeries
{
public:
    const QString& name() const { return m_name; }
    const QColor& color() const { return m_color; }
    const QList<double>& values() const { return m_values; }
    // All values at once: one repaint.
    void replace(QList<double> values);

private:
    friend class AreaChart;
    AreaSeries(AreaChart& chart, const QString& name, const QColor& color);

    AreaChart& m_chart;
    QString m_name;
    QColor m_color;
    QList<double> m_values;
};

class AreaChart : public QWidget
{
    Q_OBJECT
public:
    explicit AreaChart(QWidget* parent = nullptr);
    ~AreaChart() override;

    // The chart keeps the series.
    AreaSeries* addSeries(const QString& name, const QColor& color);
    int seriesCount() const { return static_cast<int>(m_series.size()); }
    AreaSeries* series(int index) const
    {
        return m_series.at(static_cast<std::size_t>(index)).get();
    }

    // Points across the plot: the first at its left edge, the last at its
    // right edge, whatever number of values a series holds.
    void setPointCount(int count);
    int pointCount() const { return m_pointCount; }

    // The left axis: a fixed range, `tickCount` labelled grid lines (its
    // ends included), labels written as whole numbers.
    void setAxisRange(double minimum, double maximum);
    double axisMinimum() const { return m_axisMinimum; }
    double axisMaximum() const { return m_axisMaximum; }
    void setAxisTickCount(int count);
    int axisTickCount() const { return m_tickCount; }

    // Space kept free inside the white ground, around the chart's contents.
    void setContentMargins(int margin);

    // The plot area (inside the axis and below the legend) for the widget's
    // present size, in widget coordinates.
    QRectF plotArea() const;
    // The whole chart painted on `painter` within `rect` (the widget's own
    // paint event, or a picture of any size).
    void paint(QPainter& painter, const QRectF& rect) const;

    QSize sizeHint() const override { return {400, 150}; }
    QSize minimumSizeHint() const override { return {120, 80}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Layout
    {
        QRectF ground; // the white behind legend, labels and plot
        QRectF legend;
        QRectF plot;
    };
    Layout layoutFor(const QRectF& rect) const;
    QString tickLabel(int tick) const;
    double tickValue(int tick) const;

    std::vector<std::unique_ptr<AreaSeries>> m_series;
    int m_pointCount = 2;
    double m_axisMinimum = 0;
    double m_axisMaximum = 10;
    int m_tickCount = 3;
    int m_margin = 4;
};

} // namespace tarvin

#include "gui/widgets/area_chart.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace tarvin {

namespace {

// The colours of a light chart: white ground, pale grid, dark labels.
const QColor kGround(0xff, 0xff, 0xff);
const QColor kGridLine(0xe2, 0xe2, 0xe2);
const QColor kAxisLine(0xd6, 0xd6, 0xd6);
const QColor kLabel(0x40, 0x40, 0x44);

constexpr double kFrame = 9;          // the widget's own colour around the white ground
constexpr double kMarkerSize = 8;     // the legend's coloured square, outline included
constexpr double kMarkerGap = 6;      // between the square and its name
constexpr double kLegendGap = 14;     // between two legend entries
constexpr double kLegendPadding = 13; // above and below the legend's line
constexpr double kTickLength = 5;     // the marks left of the axis line
constexpr double kLabelGap = 2;       // between a label and its mark

} // namespace

void AreaSeries::replace(QList<double> values)
{
    m_values = std::move(values);
    m_chart.update();
}

AreaSeries::AreaSeries(AreaChart& chart, const QString& name, const QColor& color)
    : m_chart(chart), m_name(name), m_color(color)
{
}

AreaChart::AreaChart(QWidget* parent) : QWidget(parent)
{
    // The chart paints every pixel of itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

AreaChart::~AreaChart() = default;

AreaSeries* AreaChart::addSeries(const QString& name, const QColor& color)
{
    m_series.push_back(std::unique_ptr<AreaSeries>(new AreaSeries(*this, name, color)));
    update();
    return m_series.back().get();
}

void AreaChart::setPointCount(int count)
{
    m_pointCount = std::max(2, count);
    update();
}

void AreaChart::setAxisRange(double minimum, double maximum)
{
    if (minimum == m_axisMinimum && maximum == m_axisMaximum)
        return;
    m_axisMinimum = minimum;
    m_axisMaximum = maximum;
    update();
}

void AreaChart::setAxisTickCount(int count)
{
    m_tickCount = std::max(2, count);
    update();
}

void AreaChart::setContentMargins(int margin)
{
    m_margin = std::max(0, margin);
    update();
}

double AreaChart::tickValue(int tick) const
{
    return m_axisMinimum + (m_axisMaximum - m_axisMinimum) * tick / (m_tickCount - 1);
}

QString AreaChart::tickLabel(int tick) const
{
    // Whole numbers, as printf's %d writes them (cut towards zero).
    return QString::number(static_cast<qint64>(tickValue(tick)));
}

AreaChart::Layout AreaChart::layoutFor(const QRectF& rect) const
{
    const QFontMetricsF metrics(font());
    const double lineHeight = metrics.height();
    Layout layout;
    layout.ground = rect.adjusted(kFrame, kFrame, -kFrame, -kFrame);
    const QRectF inner = layout.ground.adjusted(m_margin, m_margin, -m_margin, -m_margin);

    double legendWidth = 0;
    for (const auto& series : m_series) {
        if (legendWidth > 0)
            legendWidth += kLegendGap;
        legendWidth += kMarkerSize + kMarkerGap + metrics.horizontalAdvance(series->name());
    }
    const double legendHeight = m_series.empty() ? 0 : lineHeight + 2 * kLegendPadding;
    layout.legend = QRectF(std::round(inner.center().x() - legendWidth / 2), inner.top(),
                           std::ceil(legendWidth), legendHeight);

    double labelWidth = 0;
    for (int tick = 0; tick < m_tickCount; ++tick)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(tickLabel(tick)));
    // Half a label's height above the top line and below the bottom one,
    // so that the end labels are whole. Whole pixels keep the lines sharp.
    const double top = std::round(layout.legend.bottom() + lineHeight / 2);
    const double bottom = std::round(inner.bottom() - lineHeight / 2);
    const double left = std::round(inner.left() + labelWidth + kLabelGap + kTickLength);
    const double right = std::round(inner.right());
    layout.plot = QRectF(left, top, std::max(1.0, right - left), std::max(1.0, bottom - top));
    return layout;
}

QRectF AreaChart::plotArea() const
{
    return layoutFor(QRectF(rect())).plot;
}

void AreaChart::paint(QPainter& painter, const QRectF& rect) const
{
    painter.save();
    painter.setFont(font());
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect, palette().window());
    const Layout layout = layoutFor(rect);
    painter.fillRect(layout.ground, kGround);
    const QRectF plot = layout.plot;
    const QFontMetricsF metrics(font());

    // Legend: a coloured square and the series' name, side by side.
    double x = layout.legend.left();
    for (const auto& series : m_series) {
        const QRectF marker(x, std::round(layout.legend.center().y() - kMarkerSize / 2),
                            kMarkerSize - 1, kMarkerSize - 1);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(series->color());
        painter.drawRect(marker);
        x += kMarkerSize + kMarkerGap;
        const double textWidth = metrics.horizontalAdvance(series->name());
        painter.setPen(kLabel);
        painter.drawText(QRectF(x, layout.legend.top(), textWidth + 1, layout.legend.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, series->name());
        x += textWidth + kLegendGap;
    }

    const double span = m_axisMaximum - m_axisMinimum;
    auto yOf = [&](double value) {
        const double share = span > 0 ? (value - m_axisMinimum) / span : 0;
        return plot.bottom() - std::clamp(share, 0.0, 1.0) * plot.height();
    };

    // Grid lines with their marks and labels.
    for (int tick = 0; tick < m_tickCount; ++tick) {
        const double y = std::round(yOf(tickValue(tick)));
        painter.setPen(QPen(kGridLine, 1));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(QPen(kAxisLine, 1));
        painter.drawLine(QPointF(plot.left() - kTickLength, y), QPointF(plot.left(), y));
        painter.setPen(kLabel);
        const double labelRight = plot.left() - kTickLength - kLabelGap;
        painter.drawText(QRectF(rect.left(), y - metrics.height() / 2, labelRight - rect.left(),
                                metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, tickLabel(tick));
    }

    // The areas from the axis minimum (or zero) up to their points, later
    // series over earlier ones; the outline only along the top.
    painter.save();
    painter.setClipRect(plot.adjusted(0, 0, 1, 0), Qt::IntersectClip);
    const double step = plot.width() / (m_pointCount - 1);
    const double base = yOf(std::clamp(0.0, m_axisMinimum, m_axisMaximum));
    for (const auto& series : m_series) {
        const QList<double>& values = series->values();
        const int count = static_cast<int>(std::min<qsizetype>(values.size(), m_pointCount));
        if (count == 0)
            continue;
        QPolygonF line;
        line.reserve(count + 2);
        for (int i = 0; i < count; ++i)
            line << QPointF(plot.left() + i * step, yOf(values[i]));
        QPolygonF area = line;
        area << QPointF(line.last().x(), base) << QPointF(line.first().x(), base);
        painter.setPen(Qt::NoPen);
        painter.setBrush(series->color());
        painter.drawPolygon(area);
        painter.setPen(QPen(series->color(), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(line);
    }
    painter.restore();

    // The bottom grid line over the areas' base (a series at 0 shows
    // nothing, at any scale), and the left axis line.
    painter.setPen(QPen(kGridLine, 1));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.setPen(QPen(kAxisLine, 1));
    painter.drawLine(plot.topLeft(), plot.bottomLeft());
    painter.restore();
}

void AreaChart::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    paint(painter, QRectF(rect()));
}

} // namespace tarvin

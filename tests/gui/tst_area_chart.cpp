// The painted area chart: what it holds, and where its colours land in its
// picture, at 1x and at twice the pixels (no golden picture of its text).
#include <QtTest>

#include "gui/widgets/area_chart.h"

#include <QImage>
#include <QPainter>

using namespace tarvin;

namespace {

// The colour at a point given in widget coordinates.
QColor ColourAt(const QImage& image, QPointF point)
{
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(QPoint(int(point.x() * ratio), int(point.y() * ratio)));
}

// A chart of 11 points: messages 8 from the middle on, errors 2 there, an
// axis to 10.
struct Sample
{
    AreaChart chart;
    AreaSeries* messages = nullptr;
    AreaSeries* errors = nullptr;
    Sample()
    {
        chart.resize(400, 160);
        chart.setPointCount(11);
        chart.setAxisRange(0, 10);
        messages = chart.addSeries(QStringLiteral("Messages / sec"), Qt::blue);
        errors = chart.addSeries(QStringLiteral("Errors / sec"), Qt::red);
        QList<double> high(11, 0.0);
        QList<double> low(11, 0.0);
        for (int i = 5; i < 11; ++i) {
            high[i] = 8;
            low[i] = 2;
        }
        messages->replace(high);
        errors->replace(low);
    }
    // A point of the plot: x as a share of its width, y as a value.
    QPointF at(double share, double value) const
    {
        const QRectF plot = chart.plotArea();
        return {plot.left() + share * plot.width(), plot.bottom() - value / 10 * plot.height()};
    }
};

void CheckPicture(const Sample& s, const QImage& image)
{
    QVERIFY(!image.isNull());
    // Right half: red to 2, blue above it to 8, white above that (away
    // from the grid lines at 0, 5 and 10).
    QCOMPARE(ColourAt(image, s.at(0.75, 1)), QColor(Qt::red));
    QCOMPARE(ColourAt(image, s.at(0.75, 4)), QColor(Qt::blue));
    QCOMPARE(ColourAt(image, s.at(0.75, 9)), QColor(Qt::white));
    // Left half: the series at 0 draw nothing, the bottom grid line shows.
    QCOMPARE(ColourAt(image, s.at(0.2, 1)), QColor(Qt::white));
    QCOMPARE(ColourAt(image, s.at(0.2, 4)), QColor(Qt::white));
    QCOMPARE(ColourAt(image, s.at(0.2, 0)), QColor(0xe2, 0xe2, 0xe2));
    // The legend's squares above the plot, in the series' colours.
    int blue = 0;
    int red = 0;
    const int top = int(s.chart.plotArea().top() * image.devicePixelRatio());
    for (int y = 0; y < top; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            blue += c == QColor(Qt::blue);
            red += c == QColor(Qt::red);
        }
    QVERIFY(blue > 0);
    QVERIFY(red > 0);
}

} // namespace

class TestAreaChart : public QObject
{
    Q_OBJECT

private slots:
    void holdsItsSeries()
    {
        Sample s;
        QCOMPARE(s.chart.seriesCount(), 2);
        QCOMPARE(s.chart.series(0), s.messages);
        QCOMPARE(s.messages->name(), QStringLiteral("Messages / sec"));
        QCOMPARE(s.errors->color(), QColor(Qt::red));
        QCOMPARE(s.messages->values().size(), 11);
        QCOMPARE(s.messages->values().at(10), 8.0);
        QCOMPARE(s.errors->values().at(4), 0.0);
        QCOMPARE(s.chart.axisMinimum(), 0.0);
        QCOMPARE(s.chart.axisMaximum(), 10.0);
        // The plot lies inside the widget, below the legend.
        const QRectF plot = s.chart.plotArea();
        QVERIFY(QRectF(s.chart.rect()).contains(plot));
        QVERIFY(plot.top() > 20);
        QVERIFY(plot.width() > 300);
    }

    void paintsTheAreas()
    {
        Sample s;
        const QImage image = s.chart.grab().toImage();
        QCOMPARE(image.size(), s.chart.size() * s.chart.devicePixelRatioF());
        CheckPicture(s, image);
    }

    void paintsAtTwiceThePixels()
    {
        Sample s;
        QImage image(s.chart.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        s.chart.paint(painter, QRectF(s.chart.rect()));
        painter.end();
        CheckPicture(s, image);
        // The top edge lies where the value is, to a device pixel or two.
        const QPointF edge = s.at(0.75, 8);
        QCOMPARE(image.pixelColor(QPoint(int(edge.x() * 2), int(edge.y() * 2) + 3)),
                 QColor(Qt::blue));
        QCOMPARE(image.pixelColor(QPoint(int(edge.x() * 2), int(edge.y() * 2) - 3)),
                 QColor(Qt::white));
    }

    void newValuesRepaint()
    {
        Sample s;
        s.errors->replace(QList<double>(11, 0.0));
        s.chart.setAxisRange(0, 20);
        QCOMPARE(s.chart.axisMaximum(), 20.0);
        const QImage image = s.chart.grab().toImage();
        // Messages reach 8 of 20 now, errors are gone: at() counts in
        // tenths of the plot, so its 3 is 6 and its 4.5 is 9 (grid lines
        // at 0, 10 and 20).
        QCOMPARE(ColourAt(image, s.at(0.75, 3)), QColor(Qt::blue));
        QCOMPARE(ColourAt(image, s.at(0.75, 1)), QColor(Qt::blue));
        QCOMPARE(ColourAt(image, s.at(0.75, 4.5)), QColor(Qt::white));
    }
};

QTEST_MAIN(TestAreaChart)
#include "tst_area_chart.moc"

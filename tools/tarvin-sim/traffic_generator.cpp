#include "traffic_generator.h"

#include <cmath>
#include <iterator>

namespace tarvin::sim {

namespace {

// Lighting family, trigger and enable control, security, access control,
// clock, telephony, measurement, temperature broadcast.
constexpr quint8 kApplications[] = {0x38, 0x38, 0x38, 0x39, 0x3A, 0x30, 0x5F, 0xCA,
                                    0xCB, 0xD0, 0xD5, 0xDF, 0xE0, 0xE4, 0x19};
constexpr int kUnits = 48; // sources 01..30

QByteArray Hex(quint8 byte)
{
    return QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
}

} // namespace

TrafficGenerator::TrafficGenerator(double rate, int errorPercent, quint32 seed, LineSender sender,
                                   QObject* parent)
    : QObject(parent), m_rate(rate > 0 ? rate : 1), m_errorPercent(errorPercent), m_random(seed),
      m_send(std::move(sender))
{
    m_timer.setTimerType(Qt::PreciseTimer);
    setRate(m_rate);
    connect(&m_timer, &QTimer::timeout, this, &TrafficGenerator::tick);
}

void TrafficGenerator::setRate(double rate)
{
    m_rate = rate > 0 ? rate : 1;
    // Often enough that a slow rate keeps its pace, seldom enough that a
    // fast one goes out in small bursts.
    m_timer.setInterval(std::max(1, std::min(100, static_cast<int>(1000.0 / m_rate))));
    if (m_timer.isActive()) {
        m_clock.start();
        m_sentAtStart = m_sent;
    }
}

void TrafficGenerator::start()
{
    if (m_timer.isActive())
        return;
    m_clock.start();
    m_sentAtStart = m_sent;
    m_timer.start();
    tick();
}

void TrafficGenerator::tick()
{
    const auto due =
        m_sentAtStart +
        static_cast<qint64>(std::floor(static_cast<double>(m_clock.elapsed()) * m_rate / 1000.0)) +
        1;
    int burst = 0;
    while (m_sent < due && burst < kMaxBurst) {
        m_send(nextLine());
        ++m_sent;
        ++burst;
    }
}

QByteArray TrafficGenerator::nextLine()
{
    const bool damaged = static_cast<int>(m_random.bounded(100)) < m_errorPercent;
    const quint8 source = static_cast<quint8>(1 + m_random.bounded(kUnits));
    const int kind = static_cast<int>(m_random.bounded(20));
    QByteArray line;
    if (kind < 2) {
        // An MMI status message: never damaged in a way the end shows.
        const quint8 application = kind == 0 ? 0xFF : 0x38;
        line = "05" + Hex(source) + Hex(application) + "90";
        const int count = 1 + static_cast<int>(m_random.bounded(4));
        for (int i = 0; i < count; ++i)
            line += Hex(static_cast<quint8>(m_random.bounded(256)));
        if (damaged)
            line = line.left(8); // cut to its header: four bytes
        return line;
    }
    if (kind < 4 && m_identities && m_random.bounded(2) == 0) {
        // Padded texts and names as the PCI's own answers carry them.
        static const char* const kTypes[] = {"PIRSENS ", "DIMMER4 ", "SWITCH2 "};
        const QByteArray type = kTypes[m_random.bounded(3)];
        static const QByteArray kBodies[] = {
            "8900" + QByteArray("OSTREL  ").toHex(), "",
            "8902" + QByteArray("3.9     ").toHex(), "872A" + QByteArray("CE4CB3D2DA33"),
            "8723" + QByteArray("BE0C7379E79E"),     "8D04" + QByteArray(24, '0'),
            "8607" + QByteArray("35.5V").toHex(),    "8242FF"};
        const auto pick = m_random.bounded(static_cast<quint32>(std::size(kBodies)));
        const QByteArray body = pick == 1 ? "8901" + type.toHex() : kBodies[pick];
        return "86" + Hex(source) + "0000" + body.toUpper() + (damaged ? "9B" : "9A");
    }
    if (kind < 4) {
        line = "86" + Hex(source) + "0000" + "83" +
               Hex(static_cast<quint8>(0x50 + m_random.bounded(0x20))) +
               Hex(static_cast<quint8>(m_random.bounded(256)));
        return line + (damaged ? "9B" : "9A");
    }
    const quint8 application =
        kApplications[m_random.bounded(static_cast<quint32>(sizeof kApplications))];
    line = "05" + Hex(source) + Hex(application) + "00";
    if (damaged && m_random.bounded(2) == 0)
        return line; // four bytes: nothing after the header survived
    const int count = 1 + static_cast<int>(m_random.bounded(4));
    for (int i = 0; i < count; ++i)
        line += Hex(static_cast<quint8>(m_random.bounded(256)));
    return line + (damaged ? "34" : "35");
}

} // namespace tarvin::sim

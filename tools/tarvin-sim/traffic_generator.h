#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>

#include <functional>

namespace tarvin::sim {

// Bus traffic as an interface monitoring everything passes it on: SAL
// messages of many applications and sources, MMI status messages and CAL
// replies between units, a share of them damaged, at a steady rate.
//
// Line formats (hexadecimal, sent with CR LF):
//   SAL  05 SS AA 00 <1..4 command bytes> 35   (35: received intact)
//   MMI  05 SS AA 90 <1..4 status bytes>        (no end mark)
//   CAL  86 SS 00 00 83 PP VV 9A                (9A: received intact)
// A damaged line has another end byte, or is a SAL or MMI message cut to 4
// bytes.
//
// None of it may pass for the answer the program is waiting for, which it
// picks out by pattern: no line starts with C0-FF (a status report without
// IDMON), and the CAL replies carry 83 (a Recall of two parameters) from
// parameters 50-6F, never the Identify or Recall replies a tool asks for.
class TrafficGenerator : public QObject
{
    Q_OBJECT

public:
    using LineSender = std::function<void(const QByteArray& line)>;

    // rate: lines per second; errorPercent: 0..100 of them damaged.
    TrafficGenerator(double rate, int errorPercent, quint32 seed, LineSender sender,
                     QObject* parent = nullptr);
    // Half the CAL replies answer Identify and Recall requests of another
    // tool, as the PCI's own answers would look but for their source.
    void setIdentityReplies(bool on) { m_identities = on; }

    void start();
    void stop() { m_timer.stop(); }
    // Takes effect at once; the pace is counted afresh from now.
    void setRate(double rate);
    bool isActive() const { return m_timer.isActive(); }
    qint64 sent() const { return m_sent; }

    // One line of the mix, for the next draw of the generator.
    QByteArray nextLine();

    static constexpr int kMaxBurst = 2000; // lines written in one timer tick at most

private:
    void tick();

    double m_rate;
    int m_errorPercent;
    QRandomGenerator m_random;
    LineSender m_send;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_sent = 0;
    qint64 m_sentAtStart = 0; // m_sent when m_clock started
    bool m_identities = false;
};

} // namespace tarvin::sim

#include "core/compose/lighting.h"

#include <QtTest>

#include <deque>
#include <set>

using namespace tarvin::compose;

Q_DECLARE_METATYPE(LightingKind)

namespace {

struct ParsedCommand
{
    int code;
    int group;
    int level; // -1 for On and Off
};

// Splits a lighting body into its commands; fails the test on a bad layout.
std::vector<ParsedCommand> ParseBody(const std::string& body)
{
    std::vector<ParsedCommand> out;
    std::size_t p = 0;
    auto byte = [&](std::size_t at) { return std::stoi(body.substr(at, 2), nullptr, 16); };
    while (p + 4 <= body.size()) {
        ParsedCommand c{byte(p), byte(p + 2), -1};
        p += 4;
        if (c.code != kLightingOnCode && c.code != kLightingOffCode) {
            if (p + 2 > body.size())
                break;
            c.level = byte(p);
            p += 2;
        }
        out.push_back(c);
    }
    if (p != body.size())
        out.clear();
    return out;
}

// Answers draws from a script and records the n of every request.
struct ScriptedSource
{
    std::deque<int> answers;
    std::vector<int> requests;
    RandomSource source()
    {
        return [this](int n) {
            requests.push_back(n);
            const int v = answers.empty() ? 0 : answers.front();
            if (!answers.empty())
                answers.pop_front();
            return v;
        };
    }
};

} // namespace

class TestComposeLighting : public QObject
{
    Q_OBJECT

private slots:
    void commandBody_data()
    {
        QTest::addColumn<LightingKind>("kind");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("rateIndex");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("body");
        QTest::newRow("on group 00") << LightingKind::On << 0 << 0 << 0 << "7900";
        QTest::newRow("off group 05") << LightingKind::Off << 5 << 3 << 99 << "0105";
        QTest::newRow("ramp 50% over 4 s")
            << LightingKind::Ramp << 5 << 1 << PercentToLevel(50) << "0A057F";
        QTest::newRow("ramp 100% over 17 min to FF")
            << LightingKind::Ramp << 255 << 15 << 255 << "7AFFFF";
        QTest::newRow("ramp level 80 instant")
            << LightingKind::Ramp << 0x12 << 0 << 0x80 << "021280";
        QTest::newRow("group clamped high") << LightingKind::On << 300 << 0 << 0 << "79FF";
        QTest::newRow("group clamped low") << LightingKind::Off << -4 << 0 << 0 << "0100";
        QTest::newRow("rate index clamped") << LightingKind::Ramp << 1 << 40 << 1 << "7A0101";
    }
    void commandBody()
    {
        QFETCH(LightingKind, kind);
        QFETCH(int, group);
        QFETCH(int, rateIndex);
        QFETCH(int, level);
        QFETCH(QString, body);
        QCOMPARE(QString::fromStdString(LightingCommandBody(kind, group, rateIndex, level)), body);
    }

    void rampRateTable()
    {
        QCOMPARE(kRampRates.size(), std::size_t(16));
        for (std::size_t i = 0; i < kRampRates.size(); ++i)
            QCOMPARE(kRampRates[i].code, int(2 + 8 * i));
        QCOMPARE(kRampRates.front().text, std::string_view("instantaneously"));
        QCOMPARE(kRampRates.back().text, std::string_view("over 17 minutes"));
        QCOMPARE(RampRateCode(7), std::string("3A"));
    }

    void selectedLevel_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("percentMode");
        QTest::addColumn<int>("level");
        QTest::newRow("0 %") << 0 << true << 0x00;
        QTest::newRow("1 %") << 1 << true << 0x02;
        QTest::newRow("50 %") << 50 << true << 0x7F;
        QTest::newRow("99 %") << 99 << true << 0xFC;
        QTest::newRow("100 %") << 100 << true << 0xFF;
        QTest::newRow("level 80 unchanged") << 0x80 << false << 0x80;
        QTest::newRow("level FF") << 255 << false << 0xFF;
        QTest::newRow("no selection") << -1 << true << 0;
        QTest::newRow("level index beyond list") << 400 << false << 0xFF;
    }
    void selectedLevel()
    {
        QFETCH(int, index);
        QFETCH(bool, percentMode);
        QFETCH(int, level);
        QCOMPARE(SelectedLevel(index, percentMode), level);
    }

    void percentItemsAreDecimal()
    {
        const auto items = PercentLevelItems();
        QCOMPARE(items.size(), std::size_t(101));
        QCOMPARE(items[0], std::string("0"));
        QCOMPARE(items[16], std::string("16"));
        QCOMPARE(items[100], std::string("100"));
    }

    void allOffCoversEveryGroupOnceInOrder()
    {
        const auto bodies = AllOffBodies();
        QCOMPARE(bodies.size(), std::size_t(32));
        int expected = 0;
        for (const auto& body : bodies) {
            const auto commands = ParseBody(body);
            QCOMPARE(commands.size(), std::size_t(8));
            for (const auto& c : commands) {
                QCOMPARE(c.code, kLightingOffCode);
                QCOMPARE(c.group, expected++);
            }
        }
        QCOMPARE(expected, 256);
        QCOMPARE(bodies.front(), std::string("0100010101020103010401050106"
                                             "0107"));
        QCOMPARE(bodies.back().substr(bodies.back().size() - 4), std::string("01FF"));
    }

    void description_data()
    {
        QTest::addColumn<LightingKind>("kind");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("levelIndex");
        QTest::addColumn<bool>("percentMode");
        QTest::addColumn<bool>("hexNumbers");
        QTest::addColumn<QString>("caption");
        QTest::newRow("on hex") << LightingKind::On << 5 << 37 << true << true << "GA05 100%";
        QTest::newRow("off decimal") << LightingKind::Off << 5 << 37 << true << false << "GA5 0%";
        QTest::newRow("ramp percent shows percent")
            << LightingKind::Ramp << 5 << 50 << true << true << "GA05 50%";
        QTest::newRow("ramp percent decimal group")
            << LightingKind::Ramp << 200 << 1 << true << false << "GA200 1%";
        QTest::newRow("ramp level hex")
            << LightingKind::Ramp << 0x1F << 0x80 << false << true << "GA1F Level 80";
        QTest::newRow("ramp level decimal")
            << LightingKind::Ramp << 5 << 0x80 << false << false << "GA5 Level 128";
    }
    void description()
    {
        QFETCH(LightingKind, kind);
        QFETCH(int, group);
        QFETCH(int, levelIndex);
        QFETCH(bool, percentMode);
        QFETCH(bool, hexNumbers);
        QFETCH(QString, caption);
        QCOMPARE(QString::fromStdString(
                     LightingCommandDescription(kind, group, levelIndex, percentMode, hexNumbers)),
                 caption);
    }

    void appWarning()
    {
        QCOMPARE(LightingAppWarning(0x30, true), std::string());
        QCOMPARE(LightingAppWarning(0x7F, false), std::string());
        QCOMPARE(LightingAppWarning(0x2F, true),
                 std::string("Use of Application Addresses outside the range 30 to 7F may cause "
                             "undesirable effects."));
        QCOMPARE(LightingAppWarning(0x80, false),
                 std::string("Use of Application Addresses outside the range 48 to 127 may cause "
                             "undesirable effects."));
    }

    void speeds()
    {
        QCOMPARE(SpeedPeriodMs(0), std::optional<int>(3000));
        QCOMPARE(SpeedPeriodMs(3), std::optional<int>(100));
        QVERIFY(!SpeedPeriodMs(4));
        QVERIFY(!SpeedPeriodMs(-1));
        QCOMPARE(kSpeeds[kDefaultSpeedIndex].text, std::string_view("Medium Speed (1 second)"));
    }

    // The draws happen in a fixed order with fixed ranges; a script pins it.
    void randomDrawOrder()
    {
        ScriptedSource script;
        // count-1, app offset, then kind/group(/level) per command.
        script.answers = {2, 3, 0, 4, 3, 1, 200, 1, 0};
        RandomTrafficSettings s;
        s.commandType = kRandomConcatenated;
        s.appFrom = 0x38;
        s.appTo = 0x3F;
        s.groupFrom = 0x10;
        s.groupTo = 0x1F;
        const auto m = DrawRandomLighting(s, script.source());
        QCOMPARE(m.application, 0x3B);
        QCOMPARE(m.body, std::string("7914"
                                     "0A11C8"
                                     "0110"));
        QCOMPARE(script.requests, (std::vector<int>{4, 8, 5, 16, 5, 16, 255, 5, 16}));
    }

    void randomSwappedRangeDrawsBetween()
    {
        ScriptedSource script;
        script.answers = {0, 1, 2};
        RandomTrafficSettings s;
        s.commandType = kRandomOnOff;
        s.appFrom = 0x40;
        s.appTo = 0x38;
        s.groupFrom = 9;
        s.groupTo = 5;
        const auto m = DrawRandomLighting(s, script.source());
        QCOMPARE(script.requests, (std::vector<int>{9, 2, 5}));
        QCOMPARE(m.application, 0x38);
        QCOMPARE(m.body, std::string("0107"));
    }

    void randomFaultySourceStaysInRange()
    {
        RandomTrafficSettings s;
        s.commandType = kRandomOnOffRamp;
        const auto m = DrawRandomLighting(s, [](int n) { return n + 7; });
        QCOMPARE(m.application, 0x38);
        QCOMPARE(m.body, std::string("12FFFE"));
    }

    void randomSeeded_data()
    {
        QTest::addColumn<int>("commandType");
        QTest::addColumn<int>("maxCommands");
        QTest::addColumn<int>("kinds");
        QTest::newRow("on & off") << kRandomOnOff << 1 << 2;
        QTest::newRow("on, off & ramp") << kRandomOnOffRamp << 1 << 5;
        QTest::newRow("concatenated") << kRandomConcatenated << 4 << 5;
    }
    void randomSeeded()
    {
        QFETCH(int, commandType);
        QFETCH(int, maxCommands);
        QFETCH(int, kinds);
        RandomTrafficSettings s;
        s.commandType = commandType;
        s.appFrom = 0x30;
        s.appTo = 0x33;
        s.groupFrom = 0xF0;
        s.groupTo = 0xFF;
        const RandomSource random = MakeRandomSource(1234);
        std::set<int> codes, counts, apps, groups;
        int maxLevel = 0;
        for (int i = 0; i < 3000; ++i) {
            const auto m = DrawRandomLighting(s, random);
            const auto commands = ParseBody(m.body);
            QVERIFY2(!commands.empty(), m.body.c_str());
            counts.insert(int(commands.size()));
            apps.insert(m.application);
            for (const auto& c : commands) {
                codes.insert(c.code);
                groups.insert(c.group);
                maxLevel = std::max(maxLevel, c.level);
            }
        }
        QCOMPARE(int(counts.size()), maxCommands);
        QCOMPARE(*counts.rbegin(), maxCommands);
        QCOMPARE(int(codes.size()), kinds);
        const std::set<int> allowed{0x79, 0x01, 0x02, 0x0A, 0x12};
        for (int c : codes)
            QVERIFY(allowed.count(c));
        QCOMPARE(apps, (std::set<int>{0x30, 0x31, 0x32, 0x33}));
        QCOMPARE(int(groups.size()), 16);
        QCOMPARE(*groups.begin(), 0xF0);
        QVERIFY(maxLevel <= 0xFE);
    }

    void randomSingleValueRanges()
    {
        RandomTrafficSettings s;
        s.appFrom = s.appTo = 0x44;
        s.groupFrom = s.groupTo = 0x21;
        const RandomSource random = MakeRandomSource(7);
        for (int i = 0; i < 200; ++i) {
            const auto m = DrawRandomLighting(s, random);
            QCOMPARE(m.application, 0x44);
            for (const auto& c : ParseBody(m.body))
                QCOMPARE(c.group, 0x21);
        }
    }
};

QTEST_APPLESS_MAIN(TestComposeLighting)
#include "tst_compose_lighting.moc"

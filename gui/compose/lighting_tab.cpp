#include "gui/compose/lighting_tab.h"

#include "gui/compose/number_combo.h"
#include "gui/compose/radio_group.h"
#include "gui/widgets/prompter.h"
#include "session/link_session.h"
#include "session/session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalBlocker>
#include <QTimer>

namespace tarvin {

using namespace tabs;
using compose::LightingKind;

namespace {

constexpr int kPercentMode = 0;
constexpr int kLevelMode = 1;
constexpr int kStartApplication = compose::kLightingApp; // 56

} // namespace

LightingTab::LightingTab(Session& session, Prompter& prompter, tabs::AssignMenu assignMenu,
                         QWidget* parent)
    : QWidget(parent), m_session(session), m_prompter(prompter),
      m_random(compose::MakeRandomSource(QRandomGenerator::global()->generate()))
{
    DestinationGroupBox =
        Named(new QGroupBox(QStringLiteral("Destination"), this), "DestinationGroupBox");
    DestinationGroupBox->setGeometry(8, 2, 150, 118);
    AddLabel(DestinationGroupBox, QStringLiteral("Application"), {10, 16, 120, 16});
    LightingAppComboBox = AddNumberCombo(DestinationGroupBox, m_session, "LightingAppComboBox",
                                         {10, 32, 130, 24}, kStartApplication);
    AddLabel(DestinationGroupBox, QStringLiteral("Group"), {10, 62, 120, 16});
    LightingGroupComboBox = AddNumberCombo(DestinationGroupBox, m_session, "LightingGroupComboBox",
                                           {10, 78, 130, 24}, 0);

    CommandGroupBox = Named(new QGroupBox(QStringLiteral("Command"), this), "CommandGroupBox");
    CommandGroupBox->setGeometry(164, 2, 380, 118);
    RampRadioButton =
        Named(new QRadioButton(QStringLiteral("Ramp to"), CommandGroupBox), "RampRadioButton");
    RampRadioButton->setGeometry(10, 22, 80, 20);
    OnRadioButton = Named(new QRadioButton(QStringLiteral("On"), CommandGroupBox), "OnRadioButton");
    OnRadioButton->setGeometry(10, 52, 80, 20);
    OffRadioButton =
        Named(new QRadioButton(QStringLiteral("Off"), CommandGroupBox), "OffRadioButton");
    OffRadioButton->setGeometry(10, 82, 80, 20);
    RampRadioButton->setChecked(true);
    LevelComboBox = AddCombo(CommandGroupBox, "LevelComboBox", {96, 20, 70, 24});
    LevelRadioGroup =
        Named(new RadioGroup(QString(),
                             {Latin1(compose::kLevelModes[0]), Latin1(compose::kLevelModes[1])}, 2,
                             CommandGroupBox),
              "LevelRadioGroup");
    LevelRadioGroup->setGeometry(172, 10, 140, 40);
    LevelRadioGroup->setItemIndex(kPercentMode);
    RampRateComboBox = AddCombo(CommandGroupBox, "RampRateComboBox", {96, 62, 216, 24});
    AddItems(RampRateComboBox, compose::kRampRates);
    RampRateComboBox->setCurrentIndex(0);

    ToggleCheckBox =
        Named(new QCheckBox(QStringLiteral("Continuously Toggle"), this), "ToggleCheckBox");
    ToggleCheckBox->setGeometry(552, 6, 170, 20);
    ToggleSpeedComboBox = AddCombo(this, "ToggleSpeedComboBox", {552, 28, 190, 24});
    AddItems(ToggleSpeedComboBox, compose::kSpeeds);
    ToggleSpeedComboBox->setCurrentIndex(compose::kDefaultSpeedIndex);
    AllOffButton = AddButton(this, "AllOffButton", QStringLiteral("All Off"), {552, 60, 90, 28});
    SendButton = AddButton(this, "SendButton", QStringLiteral("Send"), {652, 60, 90, 28});
    AttachAssignMenu(SendButton, std::move(assignMenu));
    RandomCheckBox = Named(new QCheckBox(QStringLiteral("Random"), this), "RandomCheckBox");
    RandomCheckBox->setGeometry(652, 94, 90, 20);
    // This build offers no random traffic from the page.
    RandomCheckBox->hide();

    // Lies over the Destination and Command boxes while "Random" is checked.
    RandomPanel = Named(new QFrame(this), "RandomPanel");
    RandomPanel->setFrameShape(QFrame::Panel);
    RandomPanel->setFrameShadow(QFrame::Raised);
    RandomPanel->setAutoFillBackground(true);
    RandomPanel->setGeometry(8, 2, 536, 118);
    AddLabel(RandomPanel, QStringLiteral("Application"), {8, 6, 100, 16});
    AppComboBox1 =
        AddNumberCombo(RandomPanel, m_session, "AppComboBox1", {8, 22, 80, 24}, kStartApplication);
    AddLabel(RandomPanel, QStringLiteral("to"), {94, 26, 16, 16});
    AppComboBox2 = AddNumberCombo(RandomPanel, m_session, "AppComboBox2", {112, 22, 80, 24},
                                  kStartApplication);
    AddLabel(RandomPanel, QStringLiteral("Group Address"), {8, 56, 100, 16});
    GAComboBox1 = AddNumberCombo(RandomPanel, m_session, "GAComboBox1", {8, 72, 80, 24}, 0);
    AddLabel(RandomPanel, QStringLiteral("to"), {94, 76, 16, 16});
    GAComboBox2 = AddNumberCombo(RandomPanel, m_session, "GAComboBox2", {112, 72, 80, 24}, 255);
    SpeedComboBox = AddCombo(RandomPanel, "SpeedComboBox", {210, 22, 190, 24});
    AddItems(SpeedComboBox, compose::kSpeeds);
    SpeedComboBox->setCurrentIndex(compose::kDefaultSpeedIndex);
    CommandTypeComboBox = AddCombo(RandomPanel, "CommandTypeComboBox", {210, 72, 220, 24});
    AddItems(CommandTypeComboBox, compose::kRandomCommandTypes);
    CommandTypeComboBox->setCurrentIndex(compose::kRandomConcatenated);
    RunCheckBox = Named(new QCheckBox(QStringLiteral("Run"), RandomPanel), "RunCheckBox");
    RunCheckBox->setGeometry(440, 24, 80, 20);
    RandomPanel->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(*compose::SpeedPeriodMs(compose::kDefaultSpeedIndex));

    FillLevelCombo();
    RampRadioButtonClick();

    for (QRadioButton* b : {RampRadioButton, OnRadioButton, OffRadioButton})
        connect(b, &QRadioButton::toggled, this, &LightingTab::RampRadioButtonClick);
    connect(LevelRadioGroup, &RadioGroup::itemClicked, this, &LightingTab::LevelRadioGroupClick);
    connect(ToggleCheckBox, &QCheckBox::toggled, this, &LightingTab::ToggleCheckBoxClick);
    connect(RandomCheckBox, &QCheckBox::toggled, this, &LightingTab::RandomCheckBoxClick);
    connect(RunCheckBox, &QCheckBox::toggled, this, &LightingTab::RunCheckBoxClick);
    connect(SendButton, &QPushButton::clicked, this, &LightingTab::SendButtonClick);
    connect(AllOffButton, &QPushButton::clicked, this, &LightingTab::AllOffButtonClick);
    connect(Timer1, &QTimer::timeout, this, &LightingTab::Timer1Timer);
    connect(&m_session, &Session::linkLost, this, &LightingTab::StopTraffic);
    // The level list starts again in the new base, as it does on a change
    // of mode.
    connect(&m_session, &Session::hexNumbersChanged, this, &LightingTab::FillLevelCombo);
    // Only the user's choice warns: the list is also refilled and set by
    // the program (the number base, the settings), which must stay quiet.
    connect(LightingAppComboBox, &QComboBox::activated, this,
            &LightingTab::LightingAppComboBoxChange);
    for (QComboBox* speed : {SpeedComboBox, ToggleSpeedComboBox})
        connect(speed, &QComboBox::currentIndexChanged, this,
                [this, speed] { SpeedComboBoxChange(speed); });
}

QByteArray LightingTab::TarvinLightingCommandString(int application, int group, int rateIndex,
                                                    int level, LightingKind kind)
{
    const QByteArray header = m_session.SALHeader(application);
    if (header.isEmpty())
        return {};
    return header +
           QByteArray::fromStdString(compose::LightingCommandBody(kind, group, rateIndex, level));
}

void LightingTab::SendTarvinLightingCommand(int application, int group, int rateIndex, int level)
{
    const QByteArray text =
        TarvinLightingCommandString(application, group, rateIndex, level, LightingKind::Ramp);
    if (!text.isEmpty())
        m_session.SendTarvinCommand(text);
}

int LightingTab::SelectedLevel() const
{
    return compose::SelectedLevel(LevelComboBox->currentIndex(),
                                  LevelRadioGroup->itemIndex() != kLevelMode);
}

LightingKind LightingTab::SelectedKind() const
{
    if (OnRadioButton->isChecked())
        return LightingKind::On;
    if (OffRadioButton->isChecked())
        return LightingKind::Off;
    return LightingKind::Ramp;
}

QByteArray LightingTab::GetTarvinCommandString()
{
    return TarvinLightingCommandString(
        LightingAppComboBox->currentIndex(), LightingGroupComboBox->currentIndex(),
        RampRateComboBox->currentIndex(), SelectedLevel(), SelectedKind());
}

QString LightingTab::GetTarvinCommandDescription() const
{
    return Latin1(compose::LightingCommandDescription(
        SelectedKind(), LightingGroupComboBox->currentIndex(), LevelComboBox->currentIndex(),
        LevelRadioGroup->itemIndex() != kLevelMode, m_session.hexNumbers()));
}

void LightingTab::SendRandomCommand()
{
    compose::RandomTrafficSettings settings;
    settings.commandType = CommandTypeComboBox->currentIndex();
    settings.appFrom = AppComboBox1->currentIndex();
    settings.appTo = AppComboBox2->currentIndex();
    settings.groupFrom = GAComboBox1->currentIndex();
    settings.groupTo = GAComboBox2->currentIndex();
    const compose::RandomLightingMessage message = compose::DrawRandomLighting(settings, m_random);
    if (!SendSAL(m_session, message.application, message.body))
        m_headerRefused = true;
}

void LightingTab::FillLevelCombo()
{
    m_levelListMode = LevelRadioGroup->itemIndex();
    LevelComboBox->clear();
    QStringList items;
    if (LevelRadioGroup->itemIndex() == kLevelMode)
        items = NumberItems(m_session);
    else
        for (const std::string& item : compose::PercentLevelItems())
            items << Latin1(item);
    LevelComboBox->addItems(items);
    LevelComboBox->setCurrentIndex(0);
}

void LightingTab::SendButtonClick()
{
    if (RandomCheckBox->isChecked()) {
        SendRandomCommand();
        return;
    }
    const QByteArray text = GetTarvinCommandString();
    if (text.isEmpty()) {
        m_headerRefused = true;
        return;
    }
    m_session.SendTarvinCommand(text);
}

void LightingTab::RampRadioButtonClick()
{
    const bool ramp = RampRadioButton->isChecked();
    LevelComboBox->setEnabled(ramp);
    LevelRadioGroup->setEnabled(ramp);
    RampRateComboBox->setEnabled(ramp);
}

void LightingTab::LevelRadioGroupClick()
{
    // Clicking the mode already chosen keeps the chosen level: a refill
    // would put it back to 0 and the next Send would ramp the lights off.
    if (LevelRadioGroup->itemIndex() != m_levelListMode)
        FillLevelCombo();
}

void LightingTab::ToggleCheckBoxClick()
{
    const bool on = ToggleCheckBox->isChecked();
    if (on)
        Timer1->start();
    else
        Timer1->stop();
    SendButton->setVisible(!on);
}

void LightingTab::RandomCheckBoxClick()
{
    RandomPanel->setVisible(RandomCheckBox->isChecked());
    if (ToggleCheckBox->isChecked())
        ToggleCheckBox->setChecked(false); // stops the toggle through its handler
}

void LightingTab::LightingAppComboBoxChange()
{
    const std::string warning =
        compose::LightingAppWarning(LightingAppComboBox->currentIndex(), m_session.hexNumbers());
    if (!warning.empty())
        m_prompter.message(this, Prompter::Icon::Warning, Latin1(warning));
}

void LightingTab::RunCheckBoxClick()
{
    if (RunCheckBox->isChecked())
        Timer1->start();
    else
        Timer1->stop();
}

void LightingTab::Timer1Timer()
{
    // A tick that finds a send still in its pause is dropped, so sends never
    // nest: ticks come faster than the pacing at full speed, and a click's
    // send (All Off is 32 of them) pauses with the event loop running.
    if (m_inTick || m_session.link().waiter().depth() > 0)
        return;
    m_inTick = true;
    m_headerRefused = false;
    if (ToggleCheckBox->isChecked()) {
        if (OnRadioButton->isChecked())
            OffRadioButton->setChecked(true);
        else
            OnRadioButton->setChecked(true);
        RampRadioButtonClick();
        SendButtonClick();
    } else {
        SendRandomCommand();
    }
    m_inTick = false;
    if (m_headerRefused)
        StopTraffic();
}

void LightingTab::StopTraffic()
{
    Timer1->stop();
    ToggleCheckBox->setChecked(false);
    RunCheckBox->setChecked(false);
}

void LightingTab::SpeedComboBoxChange(QComboBox* from)
{
    const int index = from->currentIndex();
    if (const std::optional<int> period = compose::SpeedPeriodMs(index))
        Timer1->setInterval(*period);
    QComboBox* other = from == SpeedComboBox ? ToggleSpeedComboBox : SpeedComboBox;
    const QSignalBlocker quiet(other);
    other->setCurrentIndex(index);
}

void LightingTab::AllOffButtonClick()
{
    // Six seconds of paced sends: shown as it goes, and Cancel or a lost link
    // stops it between two messages.
    Session::Command command = m_session.begin(QStringLiteral("All Off"));
    if (!command)
        return;
    const std::vector<std::string> bodies = compose::AllOffBodies();
    const int total = static_cast<int>(bodies.size());
    for (int m = 0; m < total && !command.interrupted(); ++m) {
        command.progress(m + 1, total);
        // A refused path has been reported once; the rest would only repeat it.
        if (!SendSAL(m_session, LightingAppComboBox->currentIndex(), bodies[std::size_t(m)]))
            return;
    }
}

} // namespace tarvin

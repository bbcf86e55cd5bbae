#include "gui/compose/measurement_tab.h"

#include "core/compose/measurement.h"
#include "gui/compose/spin_edit.h"
#include "gui/compose/tab_support.h"
#include "gui/widgets/prompter.h"
#include "session/session.h"

#include <QComboBox>
#include <QPushButton>

namespace tarvin {

using namespace tabs;

MeasurementTab::MeasurementTab(Session& session, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_session(session), m_prompter(prompter)
{
    const auto spin = [this](const char* name, const QString& caption, int x, int lo, int hi) {
        AddLabel(this, caption, {x, 8, 90, 16});
        auto* edit = Named(new SpinEdit(lo, hi, 0, this), name);
        edit->setGeometry(x, 26, 90, 24);
        return edit;
    };
    DeviceSpinEdit = spin("DeviceSpinEdit", QStringLiteral("Device ID"), 16, 0, 255);
    ChannelSpinEdit = spin("ChannelSpinEdit", QStringLiteral("Channel"), 116, 0, 255);
    ValueSpinEdit =
        spin("ValueSpinEdit", QStringLiteral("Value"), 216, compose::kValueMin, compose::kValueMax);
    ExponentSpinEdit = spin("ExponentSpinEdit", QStringLiteral("Exponent"), 316,
                            compose::kExponentMin, compose::kExponentMax);
    MeasurementComboBox = AddCombo(this, "MeasurementComboBox", {16, 64, 190, 24});
    AddItems(MeasurementComboBox, compose::kMeasurementUnits);
    MeasurementComboBox->setCurrentIndex(0);
    MeasurementButton =
        AddButton(this, "MeasurementButton", QStringLiteral("Send"), {216, 62, 90, 28});
    connect(MeasurementButton, &QPushButton::clicked, this,
            &MeasurementTab::MeasurementButtonClick);
}

void MeasurementTab::MeasurementButtonClick()
{
    const QByteArray header = m_session.SALHeader(compose::kMeasurementApp);
    if (header.isEmpty())
        return;
    const compose::MeasurementResult result = compose::MeasurementBody(
        DeviceSpinEdit->value(), ChannelSpinEdit->value(), MeasurementComboBox->currentIndex(),
        Bytes(ExponentSpinEdit->text()), Bytes(ValueSpinEdit->text()));
    ExponentSpinEdit->setText(Latin1(result.exponentText));
    ValueSpinEdit->setText(Latin1(result.valueText));
    for (const std::string& notice : result.notices)
        m_prompter.message(this, Prompter::Icon::Information, Latin1(notice));
    if (!result.body.empty())
        SendBehind(m_session, header, result.body);
}

} // namespace tarvin

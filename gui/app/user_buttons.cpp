#include "gui/app/user_buttons.h"

#include "gui/app/string_form.h"
#include "session/session.h"

#include <QPushButton>

namespace tarvin {

namespace {

bool ValidSlot(int slot)
{
    return slot >= 1 && slot <= kUserButtonCount;
}

std::size_t Index(int slot)
{
    return static_cast<std::size_t>(slot - 1);
}

} // namespace

UserButtonSlots::UserButtonSlots(Session& session, std::vector<QPushButton*> buttons,
                                 QWidget* window, std::function<int(QDialog&)> runDialog)
    : QObject(window), m_session(session), m_buttons(std::move(buttons)),
      m_runDialog(std::move(runDialog))
{
    setObjectName(QStringLiteral("UserButtonSlots"));
    // The captions live on the buttons: a window that gives fewer has no
    // slot to keep them in.
    Q_ASSERT(m_buttons.size() == static_cast<std::size_t>(kUserButtonCount));
    m_stringForm = new TStringForm(*this, window);
    // OK counts as a change even when nothing was edited.
    connect(m_stringForm, &QDialog::accepted, this, &UserButtonSlots::changed);
    connect(m_stringForm, &TStringForm::helpRequested, this, &UserButtonSlots::helpRequested);

    for (int slot = 1; slot <= kUserButtonCount; ++slot) {
        QPushButton* button = m_buttons[Index(slot)];
        button->setToolTip(QStringLiteral("User Button %1").arg(slot));
        connect(button, &QPushButton::clicked, this, [this, slot] { UserButtonClick(slot); });
    }
}

void UserButtonSlots::AssignToButton(int slot, const QByteArray& command, const QString& caption)
{
    if (!ValidSlot(slot))
        return;
    setCommand(slot, command);
    setCaption(slot, caption);
    emit changed();
}

QByteArray UserButtonSlots::command(int slot) const
{
    return ValidSlot(slot) ? m_commands[Index(slot)] : QByteArray();
}

QString UserButtonSlots::caption(int slot) const
{
    return ValidSlot(slot) ? m_buttons[Index(slot)]->text() : QString();
}

void UserButtonSlots::setCommand(int slot, const QByteArray& command)
{
    if (ValidSlot(slot))
        m_commands[Index(slot)] = command;
}

void UserButtonSlots::setCaption(int slot, const QString& caption)
{
    if (ValidSlot(slot))
        m_buttons[Index(slot)]->setText(caption);
}

UserButtonSet UserButtonSlots::data() const
{
    UserButtonSet set;
    for (int slot = 1; slot <= kUserButtonCount; ++slot) {
        set[Index(slot)].caption = caption(slot).toLatin1().toStdString();
        set[Index(slot)].command = command(slot).toStdString();
    }
    return set;
}

void UserButtonSlots::UserButtonClick(int slot)
{
    // Copied: the pause after the send runs events, and a data file opened
    // meanwhile may reassign the slot.
    const QByteArray text = command(slot);
    m_session.SendTarvinCommand(text);
}

void UserButtonSlots::AssignLightingCommand(int slot)
{
    if (!m_lightingCommand || !m_lightingDescription)
        return;
    const QString caption = m_lightingDescription();
    const QByteArray command = m_lightingCommand();
    // An empty command means the page refused its remote path and has told
    // the user; the button keeps what it had.
    if (command.isEmpty())
        return;
    AssignToButton(slot, command, caption);
}

void UserButtonSlots::EditUserButtonItemClick()
{
    m_runDialog(*m_stringForm);
}

void UserButtonSlots::UserButtonsItemClick()
{
    m_runDialog(*m_stringForm);
}

} // namespace tarvin

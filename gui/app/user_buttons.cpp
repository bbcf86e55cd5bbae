#include "gui/app/user_buttons.h"

#include "gui/app/main_form.h"
#include "gui/app/shell_files.h"
#include "gui/app/string_form.h"

#include <QAction>
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

UserButtonSlots::UserButtonSlots(TMainForm& form) : QObject(&form), m_form(form)
{
    setObjectName(QStringLiteral("UserButtonSlots"));
    m_stringForm = new TStringForm(form, *this);

    for (int slot = 1; slot <= kUserButtonCount; ++slot) {
        QPushButton* button = form.UserButtons[Index(slot)];
        button->setToolTip(QStringLiteral("User Button %1").arg(slot));
        connect(button, &QPushButton::clicked, this, [this, slot] { UserButtonClick(slot); });
    }
    using Handler = void (UserButtonSlots::*)();
    const std::array<Handler, kUserButtonCount> handlers{
        &UserButtonSlots::User1ItemClick, &UserButtonSlots::User2ItemClick,
        &UserButtonSlots::User3ItemClick, &UserButtonSlots::User4ItemClick,
        &UserButtonSlots::User5ItemClick, &UserButtonSlots::User6ItemClick,
        &UserButtonSlots::User7ItemClick, &UserButtonSlots::User81Click,
        &UserButtonSlots::User91Click};
    for (std::size_t i = 0; i < handlers.size(); ++i) {
        if (i < form.AssignItems.size())
            connect(form.AssignItems[i], &QAction::triggered, this, handlers[i]);
        if (i < form.PopupAssignItems.size())
            connect(form.PopupAssignItems[i], &QAction::triggered, this, handlers[i]);
    }
    connect(form.EditProperties1, &QAction::triggered, this,
            &UserButtonSlots::EditUserButtonItemClick);
    connect(form.UserButtonsItem, &QAction::triggered, this,
            &UserButtonSlots::UserButtonsItemClick);
}

void UserButtonSlots::AssignToButton(int slot, const QByteArray& command, const QString& caption)
{
    if (!ValidSlot(slot))
        return;
    setCommand(slot, command);
    setCaption(slot, caption);
    m_form.shellFiles().setModified(true);
}

QByteArray UserButtonSlots::command(int slot) const
{
    return ValidSlot(slot) ? m_commands[Index(slot)] : QByteArray();
}

QString UserButtonSlots::caption(int slot) const
{
    return ValidSlot(slot) ? m_form.UserButtons[Index(slot)]->text() : QString();
}

void UserButtonSlots::setCommand(int slot, const QByteArray& command)
{
    if (ValidSlot(slot))
        m_commands[Index(slot)] = command;
}

void UserButtonSlots::setCaption(int slot, const QString& caption)
{
    if (ValidSlot(slot))
        m_form.UserButtons[Index(slot)]->setText(caption);
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
    m_form.SendTarvinCommand(text);
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
    m_form.runDialog(*m_stringForm);
}

void UserButtonSlots::UserButtonsItemClick()
{
    m_form.runDialog(*m_stringForm);
}

} // namespace tarvin

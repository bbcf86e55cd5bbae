#pragma once
// The nine user buttons: their command texts and captions, their clicks,
// the assignment of the Lighting page's command and the "Set User Key
// Strings" dialog.

#include "core/files/data_file.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <vector>

class QDialog;
class QPushButton;
class QWidget;

namespace tarvin {

class Session;
class TStringForm;

class UserButtonSlots : public QObject
{
    Q_OBJECT
public:
    // `buttons` are the window's nine buttons, which show the captions and
    // send on a click; `window` parents the dialog, which runs through
    // `runDialog` (tests replace it).
    UserButtonSlots(Session& session, std::vector<QPushButton*> buttons, QWidget* window,
                    std::function<int(QDialog&)> runDialog);

    void AssignToButton(int slot, const QByteArray& command, const QString& caption);
    // Slots 1..9; outside that range an empty text.
    QByteArray command(int slot) const;
    QString caption(int slot) const;
    // Without marking the data as modified (the dialog marks it once).
    void setCommand(int slot, const QByteArray& command);
    void setCaption(int slot, const QString& caption);
    // The nine buttons as a data file holds them.
    UserButtonSet data() const;

    // Sends the slot's command (nothing when it is empty).
    void UserButtonClick(int slot);
    // Assigns the Lighting page's current command and caption to a slot.
    void AssignLightingCommand(int slot);
    // The assign handlers, shared by the Options submenu and the pop-ups.
    void User1ItemClick() { AssignLightingCommand(1); }
    void User2ItemClick() { AssignLightingCommand(2); }
    void User3ItemClick() { AssignLightingCommand(3); }
    void User4ItemClick() { AssignLightingCommand(4); }
    void User5ItemClick() { AssignLightingCommand(5); }
    void User6ItemClick() { AssignLightingCommand(6); }
    void User7ItemClick() { AssignLightingCommand(7); }
    void User81Click() { AssignLightingCommand(8); }
    void User91Click() { AssignLightingCommand(9); }
    // "Edit Properties..." and "User Button Properties...".
    void EditUserButtonItemClick();
    void UserButtonsItemClick();

    // Where the Lighting page's command comes from.
    void setLightingCommandSource(std::function<QByteArray()> command,
                                  std::function<QString()> description)
    {
        m_lightingCommand = std::move(command);
        m_lightingDescription = std::move(description);
    }

    TStringForm& stringForm() { return *m_stringForm; }

signals:
    // An assignment or the dialog's OK changed what a data file would hold.
    void changed();
    void helpRequested(int context);

private:
    Session& m_session;
    std::vector<QPushButton*> m_buttons;
    std::function<int(QDialog&)> m_runDialog;
    std::array<QByteArray, kUserButtonCount> m_commands;
    TStringForm* m_stringForm = nullptr;
    std::function<QByteArray()> m_lightingCommand;
    std::function<QString()> m_lightingDescription;
};

} // namespace tarvin

#pragma once
// Small pieces shared by the command-area pages: building named controls at
// fixed places, the Latin-1 boundary, and sending a body behind its header.
// The pages stand on the session; what else they need is handed to them.

#include "core/compose/compose_common.h"

#include <QByteArray>
#include <QComboBox>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QLabel;
class QPoint;
class QPushButton;
class QWidget;

namespace tarvin {

class Prompter;
class Session;

namespace tabs {

template <class W> W* Named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

inline QString Latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string Bytes(const QString& text)
{
    return text.toLatin1().toStdString();
}

QLabel* AddLabel(QWidget* parent, const QString& caption, const QRect& at);
QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, const QRect& at);
QComboBox* AddCombo(QWidget* parent, const char* name, const QRect& at);
// A list of the numbers 0..255 that follows the session's number base.
QComboBox* AddNumberCombo(QWidget* parent, Session& session, const char* name, const QRect& at,
                          int index);

template <class Item, std::size_t N>
void AddItems(QComboBox* combo, const std::array<Item, N>& items)
{
    QStringList texts;
    for (const Item& item : items)
        texts << Latin1(item.text);
    combo->addItems(texts);
}

template <std::size_t N>
void AddItems(QComboBox* combo, const std::array<std::string_view, N>& items)
{
    QStringList texts;
    for (std::string_view item : items)
        texts << Latin1(item);
    combo->addItems(texts);
}

// Sends header + body. An empty header means the remote path was refused
// (the user has been told): a body without its header would be a malformed
// command, so nothing goes out. False when nothing was sent for that reason.
bool SendBehind(Session& session, const QByteArray& header, const std::string& body);
// The same behind the SAL header of an application.
bool SendSAL(Session& session, int application, const std::string& body);

// A validation message: an error box with OK.
void ShowError(Prompter& prompter, QWidget* parent, const std::string& text);
// The body a composer produced, or nothing: after showing its refusal, or
// when it produced no command at all.
std::optional<std::string> CheckedBody(Prompter& prompter, QWidget* parent,
                                       const compose::ComposeResult& result);

// Pops up, at a point on the screen, the "Assign to User Button" menu. The
// window owns that menu and decides what its items assign.
using AssignMenu = std::function<void(const QPoint& at)>;
// The menu on a send button's right click.
void AttachAssignMenu(QPushButton* button, AssignMenu menu);

} // namespace tabs
} // namespace tarvin

#include "gui/compose/tab_support.h"

#include "gui/compose/number_combo.h"
#include "gui/widgets/prompter.h"
#include "session/session.h"

#include <QLabel>
#include <QPushButton>

namespace tarvin::tabs {

QLabel* AddLabel(QWidget* parent, const QString& caption, const QRect& at)
{
    auto* label = new QLabel(caption, parent);
    label->setGeometry(at);
    return label;
}

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, const QRect& at)
{
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setGeometry(at);
    return button;
}

namespace {

QComboBox* Placed(QComboBox* combo, const char* name, const QRect& at)
{
    Named(combo, name);
    combo->setGeometry(at);
    combo->setMaxVisibleItems(16);
    return combo;
}

} // namespace

QComboBox* AddCombo(QWidget* parent, const char* name, const QRect& at)
{
    return Placed(new QComboBox(parent), name, at);
}

QComboBox* AddNumberCombo(QWidget* parent, Session& session, const char* name, const QRect& at,
                          int index)
{
    return Placed(new NumberCombo(session, index, parent), name, at);
}

bool SendBehind(Session& session, const QByteArray& header, const std::string& body)
{
    if (header.isEmpty())
        return false;
    session.SendTarvinCommand(header + QByteArray::fromStdString(body));
    return true;
}

bool SendSAL(Session& session, int application, const std::string& body)
{
    return SendBehind(session, session.SALHeader(application), body);
}

void ShowError(Prompter& prompter, QWidget* parent, const std::string& text)
{
    prompter.message(parent, Prompter::Icon::Error, Latin1(text));
}

std::optional<std::string> CheckedBody(Prompter& prompter, QWidget* parent,
                                       const compose::ComposeResult& result)
{
    if (!result.ok()) {
        ShowError(prompter, parent, result.error);
        return std::nullopt;
    }
    if (result.commands.empty())
        return std::nullopt;
    return result.commands.front();
}

void AttachAssignMenu(QPushButton* button, AssignMenu menu)
{
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(button, &QWidget::customContextMenuRequested, button,
                     [menu = std::move(menu), button](const QPoint& at) {
                         if (menu)
                             menu(button->mapToGlobal(at));
                     });
}

} // namespace tarvin::tabs

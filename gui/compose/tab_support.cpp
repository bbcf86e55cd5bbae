#include "gui/compose/tab_support.h"

#include "gui/app/main_form.h"
#include "gui/app/prompter.h"

#include <QLabel>
#include <QMenu>
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

QComboBox* AddCombo(QWidget* parent, const char* name, const QRect& at)
{
    auto* combo = Named(new QComboBox(parent), name);
    combo->setGeometry(at);
    combo->setMaxVisibleItems(16);
    return combo;
}

bool SendBehind(TMainForm& form, const QByteArray& header, const std::string& body)
{
    if (header.isEmpty())
        return false;
    form.SendTarvinCommand(header + QByteArray::fromStdString(body));
    return true;
}

bool SendSAL(TMainForm& form, int application, const std::string& body)
{
    return SendBehind(form, form.SALHeader(application), body);
}

void ShowError(TMainForm& form, QWidget* parent, const std::string& text)
{
    form.prompter().message(parent, Prompter::Icon::Error, Latin1(text));
}

std::optional<std::string> CheckedBody(TMainForm& form, QWidget* parent,
                                       const compose::ComposeResult& result)
{
    if (!result.ok()) {
        ShowError(form, parent, result.error);
        return std::nullopt;
    }
    if (result.commands.empty())
        return std::nullopt;
    return result.commands.front();
}

void AttachAssignMenu(TMainForm& form, QPushButton* button)
{
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(button, &QWidget::customContextMenuRequested, button,
                     [&form, button](const QPoint& at) {
                         if (form.PopupMenu2)
                             form.PopupMenu2->popup(button->mapToGlobal(at));
                     });
}

} // namespace tarvin::tabs

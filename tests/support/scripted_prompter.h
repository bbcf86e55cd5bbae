#pragma once
// A Prompter for tests: records every question and answers from a script,
// so no test ever blocks on a modal dialog.

#include "gui/widgets/prompter.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>

namespace tarvin {

class ScriptedPrompter : public Prompter
{
public:
    struct Asked
    {
        QString kind; // "message", "ask", "open", "save", "input", "url"
        Icon icon = Icon::None;
        QString text;
        QString folder{}; // where a file dialog started
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };

    void message(QWidget*, Icon icon, const QString& text) override
    {
        asked.append({QStringLiteral("message"), icon, text});
        if (onMessage)
            onMessage(text);
    }
    QMessageBox::StandardButton
    ask(QWidget*, Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) override
    {
        asked.append({QStringLiteral("ask"), icon, text, {}, defaultButton});
        if (!answers.isEmpty())
            return answers.dequeue();
        return (buttons & QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    }
    QString openFileName(QWidget*, const QString& folder, const QString& filter,
                         const QString&) override
    {
        asked.append({QStringLiteral("open"), Icon::None, filter, folder});
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    QString saveFileName(QWidget*, const QString& folder, const QString& filter) override
    {
        asked.append({QStringLiteral("save"), Icon::None, filter, folder});
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    QString inputText(QWidget*, const QString& title, const QString& label, const QString&,
                      bool* ok) override
    {
        asked.append({QStringLiteral("input"), Icon::None, label});
        inputTitles << title;
        if (ok)
            *ok = !inputs.isEmpty();
        return inputs.isEmpty() ? QString() : inputs.dequeue();
    }
    bool openUrl(const QUrl& url) override
    {
        asked.append({QStringLiteral("url"), Icon::None, url.toString()});
        return true;
    }

    // The texts of the messages shown so far.
    QStringList messages() const
    {
        QStringList texts;
        for (const Asked& a : asked)
            if (a.kind == QLatin1String("message"))
                texts << a.text;
        return texts;
    }

    QList<Asked> asked;
    QQueue<QMessageBox::StandardButton> answers;
    QQueue<QString> fileNames;
    QQueue<QString> inputs;
    // The title of each input box, in order.
    QStringList inputTitles;
    std::function<void(const QString&)> onMessage;
};

} // namespace tarvin

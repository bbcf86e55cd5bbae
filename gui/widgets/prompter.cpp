#include "gui/widgets/prompter.h"

#include "core/decode/hex.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QSettings>
#include <QStandardPaths>

namespace tarvin {

namespace {

QMessageBox::Icon ToIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Error:
        return QMessageBox::Critical;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString MessageText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void DialogPrompter::message(QWidget* parent, Icon icon, const QString& text)
{
    QMessageBox box(ToIcon(icon), QApplication::applicationDisplayName(), MessageText(text),
                    QMessageBox::Ok, parent);
    box.exec();
}

QMessageBox::StandardButton DialogPrompter::ask(QWidget* parent, Icon icon, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(ToIcon(icon), QApplication::applicationDisplayName(), MessageText(text),
                    buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString DialogPrompter::openFileName(QWidget* parent, const QString& dir, const QString& filter,
                                     const QString& selectedFilter)
{
    QString selected = selectedFilter;
    return QFileDialog::getOpenFileName(parent, QString(), dir, filter, &selected);
}

QString DialogPrompter::saveFileName(QWidget* parent, const QString& dir, const QString& filter)
{
    // The program asks its own replace question.
    return QFileDialog::getSaveFileName(parent, QString(), dir, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString DialogPrompter::inputText(QWidget* parent, const QString& title, const QString& label,
                                  const QString& value, bool* ok)
{
    return QInputDialog::getText(parent, title, label, QLineEdit::Normal, value, ok);
}

bool DialogPrompter::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

namespace {

const QString kUserFolderKey = QStringLiteral("Files/LastFolder");

QString Remembered(const QString& chosen)
{
    if (!chosen.isEmpty())
        QSettings().setValue(kUserFolderKey, QFileInfo(chosen).absolutePath());
    return chosen;
}

} // namespace

QString UserFileFolder()
{
    const QString last = QSettings().value(kUserFolderKey).toString();
    // A folder since removed (an unplugged stick) is no place to start.
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString OpenUserFile(Prompter& prompter, QWidget* parent, const QString& filter,
                     const QString& selectedFilter)
{
    return Remembered(prompter.openFileName(parent, UserFileFolder(), filter, selectedFilter));
}

QString SaveUserFile(Prompter& prompter, QWidget* parent, const QString& filter,
                     const QString& suffix)
{
    QString chosen = prompter.saveFileName(parent, UserFileFolder(), filter);
    if (!chosen.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        chosen += QLatin1Char('.') + suffix;
    return Remembered(chosen);
}

std::optional<int> AskBusNumber(Prompter& prompter, QWidget* parent, const QString& title,
                                const QString& label, const char* what, bool hexNumbers,
                                const QString& value)
{
    bool ok = false;
    const QString typed = prompter.inputText(
        parent, title, QStringLiteral("%1 (%2) :").arg(label, QLatin1String(BaseName(hexNumbers))),
        value, &ok);
    if (!ok)
        return std::nullopt;
    const std::string text = typed.toLatin1().toStdString();
    const std::optional<int> number = ReadBusNumber(text, hexNumbers);
    if (!number) {
        const std::string refusal = BusNumberRefusal(what, text, hexNumbers);
        prompter.message(
            parent, Prompter::Icon::Warning,
            QString::fromLatin1(refusal.data(), static_cast<qsizetype>(refusal.size())));
    }
    return number;
}

} // namespace tarvin

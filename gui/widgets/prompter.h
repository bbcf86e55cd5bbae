#pragma once
// Every question the program asks the user goes through a Prompter, so tests
// can answer it instead of a person.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class QWidget;

namespace tarvin {

class Prompter
{
public:
    enum class Icon
    {
        Error,
        Warning,
        Information,
        Question,
        None
    };

    virtual ~Prompter() = default;
    // A message with an OK button.
    virtual void message(QWidget* parent, Icon icon, const QString& text) = 0;
    // A question; returns the button pressed. Enter presses `defaultButton`
    // (NoButton: the toolkit's choice).
    virtual QMessageBox::StandardButton
    ask(QWidget* parent, Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;
    // File dialogs; an empty result means cancelled.
    virtual QString openFileName(QWidget* parent, const QString& dir, const QString& filter,
                                 const QString& selectedFilter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& dir, const QString& filter) = 0;
    // A typed line; ok is false when cancelled.
    virtual QString inputText(QWidget* parent, const QString& title, const QString& label,
                              const QString& value, bool* ok) = 0;
    // Hands a file or address to the desktop.
    virtual bool openUrl(const QUrl& url) = 0;
};

// The real dialogs.
class DialogPrompter : public Prompter
{
public:
    void message(QWidget* parent, Icon icon, const QString& text) override;
    QMessageBox::StandardButton
    ask(QWidget* parent, Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) override;
    QString openFileName(QWidget* parent, const QString& dir, const QString& filter,
                         const QString& selectedFilter) override;
    QString saveFileName(QWidget* parent, const QString& dir, const QString& filter) override;
    QString inputText(QWidget* parent, const QString& title, const QString& label,
                      const QString& value, bool* ok) override;
    bool openUrl(const QUrl& url) override;
};

// Asks for a bus number in the base the program shows, naming the base in
// the label ("Unit Number (hex) :" for `label` "Unit Number"). What is not a
// number of 0..255 in that base is refused with a message naming `what`
// ("unit"). Nothing when cancelled or refused.
std::optional<int> AskBusNumber(Prompter& prompter, QWidget* parent, const QString& title,
                                const QString& label, const char* what, bool hexNumbers,
                                const QString& value = {});

// Message texts use a carriage return as their line break.
QString MessageText(const QString& text);

// The user's own files (captures, exports) are asked for where the user
// last chose one, and the first time in the user's documents folder, never
// in the program's folder. `suffix` is added to a saved name that has none.
QString OpenUserFile(Prompter& prompter, QWidget* parent, const QString& filter,
                     const QString& selectedFilter = {});
QString SaveUserFile(Prompter& prompter, QWidget* parent, const QString& filter,
                     const QString& suffix);
// Where the next of those dialogs starts.
QString UserFileFolder();

} // namespace tarvin

#include "gui/widgets/window_sizes.h"

#include <QEvent>
#include <QSettings>
#include <QWidget>

namespace tarvin {

namespace {

QString Key(const QWidget* window)
{
    return QStringLiteral("Windows/") + window->objectName();
}

// Remembers the window's size whenever it is hidden or closed.
class SizeKeeper : public QObject
{
public:
    explicit SizeKeeper(QWidget* window) : QObject(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close) {
            auto* window = static_cast<QWidget*>(watched);
            QSettings().setValue(Key(window), window->size());
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void MakeResizable(QWidget* window)
{
    window->setMinimumSize(window->size());
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    RememberSize(window);
}

void RememberSize(QWidget* window)
{
    const QSize saved = QSettings().value(Key(window)).toSize();
    if (saved.isValid())
        window->resize(saved.expandedTo(window->minimumSize()));
    window->installEventFilter(new SizeKeeper(window));
}

void SetDesignedSize(QWidget* window, QSize designed)
{
    window->setMinimumSize(designed);
    window->resize(window->size().expandedTo(designed));
}

} // namespace tarvin

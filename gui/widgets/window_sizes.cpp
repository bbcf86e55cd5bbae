#include "gui/widgets/window_sizes.h"

#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace tarvin {

namespace {

QString Key(const QWidget* window)
{
    return QStringLiteral("Windows/") + window->objectName();
}

} // namespace

namespace {

class ScreenKeeper : public QObject
{
public:
    explicit ScreenKeeper(QWidget* window) : QObject(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            FitToScreen(static_cast<QWidget*>(watched));
        return QObject::eventFilter(watched, event);
    }
};

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

// Asks for its whole content, however large (a plain scroll area asks for
// no more than a few dozen lines), so a window shows all of it wherever
// there is room and scrolls only where there is not.
class ContentScrollArea : public QScrollArea
{
public:
    explicit ContentScrollArea(QWidget* parent) : QScrollArea(parent) {}
    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }
};

} // namespace

void FitToScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The window system's frame is known once the window is shown.
    const QRect frame = window->frameGeometry();
    const QSize border = frame.size() - window->size();
    const QSize room = (area.size() - border).expandedTo(QSize(1, 1));
    if (window->minimumWidth() > room.width() || window->minimumHeight() > room.height())
        window->setMinimumSize(window->minimumSize().boundedTo(room));
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room));
    // Made lower than its content, the window scrolls it: room beside it for
    // the scroll bar, rather than a second bar below for the few pixels the
    // first one takes.
    if (window->height() < window->sizeHint().height() &&
        window->findChild<ContentScrollArea*>(QString(), Qt::FindDirectChildrenOnly)) {
        const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
        const int wide = std::min(room.width(), window->sizeHint().width() + bar);
        if (window->width() < wide)
            window->resize(wide, window->height());
    }
    // A window not yet shown is left where its parent will centre it.
    if (!window->isVisible())
        return;
    const QSize outer = window->size() + border;
    const int x =
        std::max(area.left(), std::min(frame.x(), area.left() + area.width() - outer.width()));
    const int y =
        std::max(area.top(), std::min(frame.y(), area.top() + area.height() - outer.height()));
    if (x != frame.x() || y != frame.y())
        window->move(x, y);
}

void KeepOnScreen(QWidget* window)
{
    window->installEventFilter(new ScreenKeeper(window));
}

QScrollArea* ScrollWhenTooSmall(QWidget* window, QWidget* content, QLayout* buttons)
{
    auto* scroll = new ContentScrollArea(window);
    scroll->setObjectName(window->objectName() + QStringLiteral("ScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(scroll, 1);
    layout->addLayout(buttons);
    return scroll;
}

void ContentChanged(QScrollArea* scroll)
{
    if (QLayout* layout = scroll->widget()->layout())
        layout->activate();
    scroll->updateGeometry();
}

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
    KeepOnScreen(window);
}

void SetDesignedSize(QWidget* window, QSize designed)
{
    window->setMinimumSize(designed);
    window->resize(window->size().expandedTo(designed));
    FitToScreen(window);
}

} // namespace tarvin

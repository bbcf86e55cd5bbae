#include "gui/widgets/fit_texts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>

namespace tarvin {

namespace {

// The width a control needs for its own text; 0 when it has none.
int TextWidth(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->wordWrap() ? 0 : label->sizeHint().width();
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))
        return w->sizeHint().width();
    if (const auto* button = qobject_cast<const QPushButton*>(w)) {
        // Not sizeHint(): the style pads every push button to 80 pixels.
        QString text = button->text();
        text.remove(QLatin1Char('&'));
        const int margin = w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w) +
                           2 * w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
        return w->fontMetrics().horizontalAdvance(text) + margin;
    }
    if (qobject_cast<const QGroupBox*>(w))
        return w->minimumSizeHint().width();
    return 0;
}

bool LaidOut(const QWidget* w)
{
    const QWidget* parent = w->parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(w) >= 0;
}

// Grows `w` to hold its placed children, keeping the left margin of the
// leftmost one on the right too.
void GrowToHold(QWidget* w)
{
    if (w->layout())
        return;
    int right = 0;
    int margin = 8;
    for (QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || child->isHidden())
            continue;
        right = std::max(right, child->geometry().right() + 1);
        margin = std::min(margin, std::max(child->x(), 0));
    }
    const int needed = right + margin;
    if (needed <= w->width())
        return;
    if (w->isWindow() && w->minimumWidth() == w->maximumWidth())
        w->setFixedWidth(needed);
    else
        w->resize(needed, w->height());
}

} // namespace

void FitTexts(QWidget* window)
{
    const QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (LaidOut(w))
            continue;
        const int needed = TextWidth(w);
        if (needed <= w->width())
            continue;
        if (w->minimumWidth() == w->maximumWidth())
            w->setFixedWidth(needed);
        else
            w->resize(needed, w->height());
    }
    // Children are listed after their parents: grow from the inside out.
    for (auto it = widgets.crbegin(); it != widgets.crend(); ++it)
        if (!LaidOut(*it))
            GrowToHold(*it);
    GrowToHold(window);
}

} // namespace tarvin

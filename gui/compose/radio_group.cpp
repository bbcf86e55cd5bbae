#include "gui/compose/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>

#include <algorithm>

namespace tarvin {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this)), m_columns(std::max(1, columns))
{
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        m_group->addButton(button, i);
        m_buttons.push_back(button);
    }
    connect(m_group, &QButtonGroup::idClicked, this, &RadioGroup::itemClicked);
    placeButtons();
}

int RadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (QRadioButton* b = button(index))
        b->setChecked(true);
}

QRadioButton* RadioGroup::button(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return m_buttons[static_cast<std::size_t>(index)];
}

void RadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    placeButtons();
}

void RadioGroup::placeButtons()
{
    const int rows = (count() + m_columns - 1) / m_columns;
    const int columnWidth = std::max(20, (width() - 12) / m_columns);
    const int rowHeight = rows > 0 ? std::max(18, (height() - 22) / rows) : 18;
    for (int i = 0; i < count(); ++i) {
        const int column = i / std::max(1, rows);
        const int row = i % std::max(1, rows);
        m_buttons[static_cast<std::size_t>(i)]->setGeometry(
            8 + column * columnWidth, 18 + row * rowHeight, columnWidth - 4, 18);
    }
}

} // namespace tarvin

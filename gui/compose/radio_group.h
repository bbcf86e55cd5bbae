#pragma once
// A titled box of radio buttons read and set by index, laid out in columns.

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QButtonGroup;
class QRadioButton;

namespace tarvin {

class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent);

    int itemIndex() const;
    // Checks the item without emitting itemClicked.
    void setItemIndex(int index);
    QRadioButton* button(int index) const;
    int count() const { return static_cast<int>(m_buttons.size()); }

signals:
    // The user (or a click()) chose an item.
    void itemClicked(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeButtons();

    QButtonGroup* m_group = nullptr;
    std::vector<QRadioButton*> m_buttons;
    int m_columns = 1;
};

} // namespace tarvin

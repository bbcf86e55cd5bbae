#pragma once
// The MMI results window: the grid laid out by LayoutMMIResults as a table
// of painted text (sharp at any screen scale), its legend and title, with
// OK and Help.

#include "core/diagnostics/mmi_layout.h"

#include <QColor>
#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;
class QTableWidget;

namespace tarvin {

class TMMIResultsForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 40;

    // `subject` names what was asked ("Application 56 (Lighting), Local
    // Network"); empty for a window that needs no more than its caption.
    explicit TMMIResultsForm(const MMIResultsLayout& layout, const QString& subject = QString(),
                             QWidget* parent = nullptr);

    // What address n shows, as the user sees it.
    QString cellText(int n) const;
    QColor cellColour(int n) const;

    // Why reports are missing (nobody answered, cancelled, link lost) and
    // how far the inquiry got; empty hides it.
    void setNote(const QString& note);

    QLabel* TitleLabel = nullptr;
    QTableWidget* Image1 = nullptr;
    QLabel* NoteLabel = nullptr;
    QPushButton* OKBitBtn = nullptr;
    QPushButton* HelpButton = nullptr;

signals:
    void helpRequested(int context);

private:
    QScrollArea* m_scroll = nullptr;
};

} // namespace tarvin

#pragma once
// The MMI results window: the picture laid out by LayoutMMIResults, drawn
// once into an image, with OK and Help.

#include "core/diagnostics/mmi_layout.h"

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

namespace tarvin {

class TMMIResultsForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kClientWidth = 391;
    static constexpr int kClientHeight = 437;
    static constexpr int kHelpContext = 40;

    explicit TMMIResultsForm(const MMIResultsLayout& layout, QWidget* parent = nullptr);

    // The picture as drawn.
    const QImage& image() const { return m_image; }

    // Paints a layout; the font is the one every text of the window uses.
    static QImage Render(const MMIResultsLayout& layout);
    static QFont TextFont();

    // Why reports are missing (nobody answered, cancelled, link lost);
    // empty hides it.
    void setNote(const QString& note);

    QLabel* Image1 = nullptr;
    QLabel* NoteLabel = nullptr;
    QPushButton* OKBitBtn = nullptr;
    QPushButton* HelpButton = nullptr;

signals:
    void helpRequested(int context);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeControls();

    QImage m_image;
    int m_extra = 0; // the note's height when it shows
};

} // namespace tarvin

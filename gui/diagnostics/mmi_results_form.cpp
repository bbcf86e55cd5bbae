#include "gui/diagnostics/mmi_results_form.h"

#include "gui/widgets/window_sizes.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace tarvin {

namespace {

QColor Colour(MMIColour colour)
{
    return QColor::fromRgb(static_cast<QRgb>(MMIColourRgb(colour)));
}

} // namespace

QFont TMMIResultsForm::TextFont()
{
    QFont font(QStringLiteral("Arial"));
    // Pixels, not points, so the cells hold their numbers on any screen; no
    // smoothing, so every text pixel has exactly its legend colour.
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QImage TMMIResultsForm::Render(const MMIResultsLayout& layout)
{
    QImage image(MMIResultsLayout::kImageWidth, MMIResultsLayout::kImageHeight,
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    for (const MMILine& line : layout.lines) {
        painter.setPen(QPen(Colour(line.colour), 1));
        painter.drawLine(line.x1, line.y1, line.x2, line.y2);
    }
    const QFont font = TextFont();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (const MMIText& text : layout.texts) {
        const QString s =
            QString::fromLatin1(text.text.data(), static_cast<qsizetype>(text.text.size()));
        int x = text.x;
        if (text.centred)
            x -= metrics.horizontalAdvance(s) / 2;
        painter.setPen(Colour(text.colour));
        // Positions give the top of the text; QPainter wants the baseline.
        painter.drawText(QPoint(x, text.y + metrics.ascent()), s);
    }
    return image;
}

TMMIResultsForm::TMMIResultsForm(const MMIResultsLayout& layout, QWidget* parent)
    : QDialog(parent), m_image(Render(layout))
{
    setObjectName(QStringLiteral("MMIResultsForm"));
    setWindowTitle(
        QString::fromLatin1(layout.caption.data(), static_cast<qsizetype>(layout.caption.size())));
    resize(kClientWidth, kClientHeight);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(MMIResultsLayout::kImageLeft, MMIResultsLayout::kImageTop,
                        MMIResultsLayout::kImageWidth, MMIResultsLayout::kImageHeight);
    Image1->setPixmap(QPixmap::fromImage(m_image));

    OKBitBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBitBtn->setObjectName(QStringLiteral("OKBitBtn"));
    OKBitBtn->setGeometry(112, 403, 75, 25);
    OKBitBtn->setDefault(true);
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    HelpButton->setGeometry(204, 403, 75, 25);
    connect(OKBitBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(HelpButton, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpContext); });

    NoteLabel = new QLabel(this);
    NoteLabel->setObjectName(QStringLiteral("NoteLabel"));
    NoteLabel->setWordWrap(true);
    NoteLabel->hide();
    MakeResizable(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TMMIResultsForm::setNote(const QString& note)
{
    // Missing reports are said in words under the grid, which grows the
    // window; an empty grid alone would read as a network without units.
    constexpr int kNoteHeight = 36;
    NoteLabel->setText(note);
    NoteLabel->setVisible(!note.isEmpty());
    m_extra = note.isEmpty() ? 0 : kNoteHeight;
    SetDesignedSize(this, QSize(kClientWidth, kClientHeight + m_extra));
    placeControls();
}

void TMMIResultsForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeControls();
}

void TMMIResultsForm::placeControls()
{
    // The picture keeps its cells' size and stays in the middle; the note
    // and the buttons keep under it, the buttons at the bottom.
    constexpr int kNoteTop = 403;
    constexpr int kNoteHeight = 36;
    const int dx = std::max(0, (width() - kClientWidth) / 2);
    const int dy = std::max(0, height() - kClientHeight - m_extra);
    Image1->move(MMIResultsLayout::kImageLeft + dx, MMIResultsLayout::kImageTop);
    NoteLabel->setGeometry(MMIResultsLayout::kImageLeft + dx, kNoteTop,
                           kClientWidth - 2 * MMIResultsLayout::kImageLeft, kNoteHeight - 4);
    OKBitBtn->move(112 + dx, kNoteTop + m_extra + dy);
    HelpButton->move(204 + dx, kNoteTop + m_extra + dy);
}

} // namespace tarvin

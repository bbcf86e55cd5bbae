#include "gui/diagnostics/mmi_results_form.h"

#include "gui/widgets/window_sizes.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tarvin {

namespace {

QColor Colour(MMIColour colour)
{
    return QColor::fromRgb(static_cast<QRgb>(MMIColourRgb(colour)));
}

QString Latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

QLabel* ColouredLabel(const MMIText& text, QWidget* parent)
{
    auto* label = new QLabel(Latin1(text.text), parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Colour(text.colour));
    label->setPalette(palette);
    return label;
}

// The grid as a table: the text is drawn by the style at the screen's own
// resolution, the headers come with it, and a cell's borders keep three-
// digit addresses apart whatever the font.
QTableWidget* MakeGrid(const MMIResultsLayout& layout, QWidget* parent)
{
    auto* grid = new QTableWidget(16, 16, parent);
    grid->setObjectName(QStringLiteral("Image1"));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int i = 0; i < 16; ++i) {
        grid->setHorizontalHeaderItem(
            i, new QTableWidgetItem(Latin1(layout.columnHeaders[static_cast<std::size_t>(i)])));
        grid->setVerticalHeaderItem(
            i, new QTableWidgetItem(Latin1(layout.rowHeaders[static_cast<std::size_t>(i)])));
    }
    for (int n = 0; n < 256; ++n) {
        const MMIText& cell = layout.cells[static_cast<std::size_t>(n)];
        auto* item = new QTableWidgetItem(Latin1(cell.text));
        item->setForeground(Colour(cell.colour));
        item->setTextAlignment(Qt::AlignCenter);
        grid->setItem(n / 16, n % 16, item);
    }
    // Every column as wide as the widest, so the grid reads as a square of
    // addresses; the whole grid shows without scrolling.
    grid->resizeColumnsToContents();
    grid->resizeRowsToContents();
    int column = 0;
    for (int i = 0; i < 16; ++i)
        column = std::max(column, grid->columnWidth(i));
    grid->horizontalHeader()->setDefaultSectionSize(column);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (int i = 0; i < 16; ++i)
        grid->setColumnWidth(i, column);
    const int frame = 2 * grid->frameWidth();
    grid->setFixedSize(grid->verticalHeader()->sizeHint().width() + 16 * column + frame,
                       grid->horizontalHeader()->sizeHint().height() +
                           grid->verticalHeader()->length() + frame);
    return grid;
}

} // namespace

TMMIResultsForm::TMMIResultsForm(const MMIResultsLayout& layout, const QString& subject,
                                 QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("MMIResultsForm"));
    const QString caption = Latin1(layout.caption);
    setWindowTitle(subject.isEmpty() ? caption : caption + QStringLiteral(" - ") + subject);

    // The legend and the grid on white, as one picture: silver text would
    // not read on a window's grey.
    auto* picture = new QFrame(this);
    picture->setObjectName(QStringLiteral("PictureFrame"));
    picture->setFrameStyle(QFrame::Box | QFrame::Plain);
    picture->setAutoFillBackground(true);
    QPalette white = picture->palette();
    white.setColor(QPalette::Window, Qt::white);
    picture->setPalette(white);
    auto* inside = new QVBoxLayout(picture);

    TitleLabel =
        new QLabel(subject.isEmpty() ? caption : caption + QStringLiteral(": ") + subject, picture);
    TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
    TitleLabel->setWordWrap(true);
    QFont bold = TitleLabel->font();
    bold.setBold(true);
    TitleLabel->setFont(bold);
    inside->addWidget(TitleLabel);
    if (!layout.legend.empty()) {
        inside->addWidget(ColouredLabel({"LEGEND", MMIColour::Black}, picture));
        int row = 0;
        for (const MMIText& text : layout.legend) {
            QLabel* label = ColouredLabel(text, picture);
            label->setObjectName(QStringLiteral("LegendLabel%1").arg(++row));
            label->setIndent(10);
            inside->addWidget(label);
        }
    }
    Image1 = MakeGrid(layout, picture);
    inside->addWidget(Image1, 0, Qt::AlignHCenter);

    NoteLabel = new QLabel(this);
    NoteLabel->setObjectName(QStringLiteral("NoteLabel"));
    NoteLabel->setWordWrap(true);
    NoteLabel->hide();

    OKBitBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBitBtn->setObjectName(QStringLiteral("OKBitBtn"));
    OKBitBtn->setDefault(true);
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    HelpButton->setAutoDefault(false);
    connect(OKBitBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(HelpButton, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpContext); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBitBtn);
    buttons->addWidget(HelpButton);
    buttons->addStretch(1);
    auto* content = new QWidget(this);
    auto* outside = new QVBoxLayout(content);
    outside->setContentsMargins(0, 0, 0, 0);
    outside->addWidget(picture, 0, Qt::AlignHCenter);
    outside->addWidget(NoteLabel);
    outside->addStretch(1);
    // The title and the note wrap to the grid's width rather than widen the
    // window.
    NoteLabel->setMaximumWidth(Image1->width() + 2 * inside->contentsMargins().left());
    TitleLabel->setMaximumWidth(Image1->width());
    m_scroll = ScrollWhenTooSmall(this, content, buttons);
    resize(sizeHint());
    MakeResizable(this);
}

QString TMMIResultsForm::cellText(int n) const
{
    const QTableWidgetItem* item = Image1->item(n / 16, n % 16);
    return item ? item->text() : QString();
}

QColor TMMIResultsForm::cellColour(int n) const
{
    const QTableWidgetItem* item = Image1->item(n / 16, n % 16);
    return item ? item->foreground().color() : QColor();
}

void TMMIResultsForm::setNote(const QString& note)
{
    NoteLabel->setText(note);
    NoteLabel->setVisible(!note.isEmpty());
    ContentChanged(m_scroll);
    SetDesignedSize(this, sizeHint());
}

} // namespace tarvin

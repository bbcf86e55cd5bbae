#include "gui/app/help_window.h"

#include "gui/widgets/window_sizes.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace tarvin {

namespace {

// Help pages are compiled into the program as resources under :/help.
QString PageForContext(int context)
{
    switch (context) {
    case 0:
        return QStringLiteral("qrc:/help/index.html");
    case 1:
        return QStringLiteral("qrc:/help/using-help.html");
    default:
        return QStringLiteral("qrc:/help/context-%1.html").arg(context);
    }
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Tarvin Diagnostic Utility Help"));
    resize(720, 520);
    RememberSize(this);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(false);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("HelpSearchEdit"));
    m_search->setPlaceholderText(QStringLiteral("Keyword"));
    m_results = new QListWidget(this);
    m_results->setObjectName(QStringLiteral("HelpSearchResults"));
    auto* contents = new QPushButton(QStringLiteral("Contents"), this);
    auto* find = new QPushButton(QStringLiteral("Find"), this);
    auto* top = new QHBoxLayout;
    top->addWidget(contents);
    top->addWidget(new QLabel(QStringLiteral("Search:"), this));
    top->addWidget(m_search, 1);
    top->addWidget(find);
    // Opened from a dialog the help is modal: it needs its own way out.
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("HelpCloseButton"));
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    top->addWidget(close);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(m_results);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    connect(contents, &QPushButton::clicked, this, [this] { showContext(0); });
    connect(find, &QPushButton::clicked, this, &HelpWindow::Search);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_search, &QLineEdit::returnPressed, this, &HelpWindow::Search);
    // Leaving "No topic matches" by its link brings the topics back too.
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this] {
        if (m_results->count() == 0) {
            m_search->clear();
            Search();
        }
    });
    connect(m_results, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0)
            return;
        m_browser->setSource(QUrl(m_results->item(row)->data(Qt::UserRole).toString()));
        const QString keyword = m_search->text().trimmed();
        if (!keyword.isEmpty())
            m_browser->find(keyword);
    });
    LoadPages();
    Search(); // with no keyword: every page, as an index
    // The topics as wide as the longest title, in the font at hand.
    const int topics =
        std::max(180, m_results->sizeHintForColumn(0) + 2 * m_results->frameWidth() +
                          m_results->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    split->setSizes({topics, width() - topics});
}

void HelpWindow::LoadPages()
{
    const QDir dir(QStringLiteral(":/help"));
    for (const QString& name : dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QTextDocument document;
        document.setHtml(QString::fromUtf8(file.readAll()));
        Page page;
        page.url = QStringLiteral("qrc:/help/") + name;
        page.title = document.metaInformation(QTextDocument::DocumentTitle);
        page.text = document.toPlainText();
        m_pages.append(page);
    }
    // The contents first, the rest by title.
    std::sort(m_pages.begin(), m_pages.end(), [](const Page& a, const Page& b) {
        const bool aIndex = a.url.endsWith(QLatin1String("/index.html"));
        const bool bIndex = b.url.endsWith(QLatin1String("/index.html"));
        if (aIndex != bIndex)
            return aIndex;
        return a.title.localeAwareCompare(b.title) < 0;
    });
}

void HelpWindow::Search()
{
    const QString keyword = m_search->text().trimmed();
    const QSignalBlocker quiet(m_results);
    m_results->clear();
    for (const Page& page : m_pages) {
        if (keyword.isEmpty() || page.text.contains(keyword, Qt::CaseInsensitive) ||
            page.title.contains(keyword, Qt::CaseInsensitive)) {
            auto* item = new QListWidgetItem(page.title, m_results);
            item->setData(Qt::UserRole, page.url);
        }
    }
    if (keyword.isEmpty())
        return;
    if (m_results->count() == 0) {
        // The page shown before has nothing to do with the word.
        m_browser->setHtml(
            QStringLiteral("<html><head><title>No topic matches</title></head><body>"
                           "<h1>No topic matches</h1><p>No help page holds \"%1\". Try a "
                           "shorter or another word, or go back to the <a "
                           "href=\"qrc:/help/index.html\">Contents</a>.</p></body></html>")
                .arg(keyword.toHtmlEscaped()));
        return;
    }
    m_results->setCurrentRow(0);
    m_browser->setSource(QUrl(m_results->item(0)->data(Qt::UserRole).toString()));
    m_browser->find(keyword);
}

void HelpWindow::showContext(int context)
{
    // A page asked for by name brings back the full list of topics.
    if (!m_search->text().isEmpty()) {
        m_search->clear();
        Search();
    }
    m_browser->setSource(QUrl(PageForContext(context)));
    if (m_browser->document()->isEmpty())
        m_browser->setSource(QUrl(PageForContext(0)));
    show();
    raise();
}

void HelpWindow::showSearch(const QString& keyword)
{
    showContext(0);
    m_search->setText(keyword);
    m_search->setFocus();
    Search();
}

void HelpWindow::showHelpOnHelp()
{
    showContext(1);
}

QString HelpWindow::currentPage() const
{
    return m_browser->source().toString();
}

} // namespace tarvin

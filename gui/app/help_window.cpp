#include "app/help_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

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
    resize(640, 480);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(false);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("HelpSearchEdit"));
    m_search->setPlaceholderText(QStringLiteral("Keyword"));
    auto* contents = new QPushButton(QStringLiteral("Contents"), this);
    auto* find = new QPushButton(QStringLiteral("Find"), this);
    auto* top = new QHBoxLayout;
    top->addWidget(contents);
    top->addWidget(new QLabel(QStringLiteral("Search:"), this));
    top->addWidget(m_search, 1);
    top->addWidget(find);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_browser, 1);
    connect(contents, &QPushButton::clicked, this, [this] { showContext(0); });
    const auto search = [this] {
        const QString keyword = m_search->text().trimmed();
        if (!keyword.isEmpty() && !m_browser->find(keyword)) {
            // Not on this page: look from the contents on.
            m_browser->setSource(QUrl(PageForContext(0)));
            m_browser->find(keyword);
        }
    };
    connect(find, &QPushButton::clicked, this, search);
    connect(m_search, &QLineEdit::returnPressed, this, search);
}

void HelpWindow::showContext(int context)
{
    QUrl url(PageForContext(context));
    m_browser->setSource(url);
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

#pragma once
// The help viewer: HTML pages shipped with the program, with contents,
// context pages for the dialogs and a keyword search over every page.

#include <QWidget>

class QListWidget;
class QTextBrowser;
class QLineEdit;

namespace tarvin {

class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // 0 opens the contents; other numbers open the page of that context.
    void showContext(int context);
    // Lists the pages holding `keyword` (all pages when it is empty).
    void showSearch(const QString& keyword);
    void showHelpOnHelp();
    QString currentPage() const;

private:
    struct Page
    {
        QString url;
        QString title;
        QString text;
    };
    void LoadPages();
    void Search();

    QTextBrowser* m_browser = nullptr;
    QLineEdit* m_search = nullptr;
    QListWidget* m_results = nullptr;
    QList<Page> m_pages;
};

} // namespace tarvin

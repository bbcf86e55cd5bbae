#pragma once
// The help viewer: HTML pages shipped with the program.

#include <QWidget>

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
    void showSearch(const QString& keyword);
    void showHelpOnHelp();
    QString currentPage() const;

private:
    QTextBrowser* m_browser = nullptr;
    QLineEdit* m_search = nullptr;
};

} // namespace tarvin

#include "core/files/print_layout.h"

#include <algorithm>

namespace tarvin {

std::string PageEstimateText(int transmitLines, int receiveLines, bool printTransmit,
                             bool printReceive)
{
    const int n = (printTransmit ? transmitLines : 0) + (printReceive ? receiveLines : 0);
    const int k = n / 50;
    if (k == 0)
        return "1 Page";
    return std::to_string(k + 1) + " Pages";
}

int PrintLineY(int textHeight, int lineNumber)
{
    return textHeight * (lineNumber + 2) * 3 / 2;
}

namespace {

class Layout
{
public:
    explicit Layout(const PrintJob& job) : m_job(job) {}

    void heading()
    {
        m_line = 1;
        // The heading always fits: a page too short for it must not start
        // page after page.
        m_inHeading = true;
        print(m_job.heading, PrintStyle::Bold);
        print(std::string(), PrintStyle::Regular);
        m_inHeading = false;
        if (overflows())
            m_line = 3; // keep printing below the heading on a tiny page
    }

    void print(const std::string& text, PrintStyle style)
    {
        m_lines.push_back({m_page, kPrintLeft, PrintLineY(m_job.textHeight, m_line), text, style});
        ++m_line;
        if (!m_inHeading && overflows()) {
            ++m_page;
            heading();
        }
    }

    std::vector<PrintedLine> take() { return std::move(m_lines); }

private:
    bool overflows() const
    {
        return PrintLineY(m_job.textHeight, m_line) > m_job.pageHeight - kPrintBottomMargin;
    }

    const PrintJob& m_job;
    std::vector<PrintedLine> m_lines;
    int m_page = 0;
    int m_line = 1;
    bool m_inHeading = false;
};

} // namespace

std::vector<PrintedLine> LayOutPrintJob(const PrintJob& job)
{
    Layout layout(job);
    layout.heading();
    if (job.printTransmit) {
        layout.print(job.combineLists ? "Transmitted and Received Strings" : "Transmitted Strings",
                     PrintStyle::BoldUnderlined);
        layout.print(std::string(), PrintStyle::Regular);
        for (const std::string& line : job.transmitLines)
            layout.print(line, PrintStyle::Regular);
        layout.print(std::string(), PrintStyle::Regular);
    }
    if (!job.combineLists && job.printReceive) {
        layout.print("Received Strings", PrintStyle::BoldUnderlined);
        layout.print(std::string(), PrintStyle::Regular);
        for (const std::string& line : job.receiveLines)
            layout.print(line, PrintStyle::Regular);
    }
    return layout.take();
}

int PageCount(const std::vector<PrintedLine>& lines)
{
    int pages = 0;
    for (const PrintedLine& l : lines)
        pages = std::max(pages, l.page + 1);
    return pages;
}

} // namespace tarvin

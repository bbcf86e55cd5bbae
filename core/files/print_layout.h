#pragma once
// Printing the log: the page estimate and where each printed line goes.
// Measures are the printer's device units.

#include <string>
#include <vector>

namespace tarvin {

// "1 Page" up to 49 lines, then "2 Pages" from 50, "3 Pages" from 100...
// Only the ticked directions count.
std::string PageEstimateText(int transmitLines, int receiveLines, bool printTransmit,
                             bool printReceive);

// Line n (from 1) of a page is drawn at this height; `textHeight` is the
// height of the text "Xy" in the printer font.
int PrintLineY(int textHeight, int lineNumber);
constexpr int kPrintLeft = 50;
constexpr int kPrintBottomMargin = 200;

enum class PrintStyle
{
    Regular,
    Bold,
    BoldUnderlined
};

struct PrintedLine
{
    int page = 0; // from 0
    int x = kPrintLeft;
    int y = 0;
    std::string text;
    PrintStyle style = PrintStyle::Regular;
};

struct PrintJob
{
    std::string heading; // the data file name, empty when there is none
    std::vector<std::string> transmitLines;
    std::vector<std::string> receiveLines;
    bool printTransmit = true;
    bool printReceive = true;
    bool combineLists = true;
    int textHeight = 1;
    int pageHeight = 1;
};

// Every line of the print-out in order, with its page and position; blank
// lines are included (empty text) so the layout can be checked whole.
std::vector<PrintedLine> LayOutPrintJob(const PrintJob& job);
// How many pages LayOutPrintJob fills.
int PageCount(const std::vector<PrintedLine>& lines);

} // namespace tarvin

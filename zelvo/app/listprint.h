// Printing of line lists, shared by every list window (the ephemeris list,
// the O-C, identification, observatory and plate lists and their results):
// the pagination, the paper check, the head files printed above a list, the
// layout of an editor's page, and the drawing of a laid-out page in the
// fixed-pitch font. The windows print through fw::Printable (printing.h);
// what a page shows is plain data that tests read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "framework/printing.h"

class QPainter;

namespace zelvo {

using PaperKind = fw::PaperKind;

// Lines of the list per printed page: 45 in portrait, 30 in landscape; A3
// half as many again, any paper other than A4 and A3 two thirds (integer
// arithmetic).
int lines_per_page(bool portrait, PaperKind paper);
int page_count(int lines, int linesPerPage);
// The warning given before the first page of a job, empty when none: A5
// portrait and (when narrowA4 is asked for) A4 portrait pages narrower than
// 85 characters of 28 pixels may be too narrow; paper other than A4 and A5
// may be too small.
std::string printWarning(PaperKind paper, bool portrait, int pageWidth, bool narrowA4 = true);

// The pagination of a list of lineCount lines (the ephemeris view's, which
// every list shares): info.maxPage := the pages; the lines per page.
int beginListPrinting(fw::PrintInfo& info, int lineCount);

struct PrintItem {
    int x = 0, y = 0;  // device pixels, top left of the text
    std::string text;
    bool operator==(const PrintItem&) const = default;
};

struct PrintPage {
    int lineHeight = 0, charWidth = 0;
    std::vector<PrintItem> items;
};

// Draws the items in the fixed-pitch font of the page's line height, no
// wider than its character cells.
void drawPrintPage(QPainter& painter, const PrintPage& page);

// count head records of a head file (82-byte records, each shown as its
// first 80 characters up to a zero byte) after the first skip records;
// fewer when the file is shorter; nothing when it cannot be opened.
std::optional<std::vector<std::string>> readHeadFile(const std::string& path, int skip, int count);

// The page layout of a line editor's list (head file above the lines).
struct EditorPrintFormat {
    int headLines = 7;      // head lines of the file
    double lineOffset = 0;  // f: the first line stands trunc(f h) + rows h below the top
    int rows = 7;           // with the head
    int rowsWithoutHead = 7;
    int lineChars = 80;  // characters of a line printed
};

// Page page (1-based): h = H / (linesPerPage + headLines + 4), c = W / 85
// when that is at least 28, else 0; text starts at x = 2c. Head record k at
// y = (k + 1) h; the page's lines at y = l h + trunc(f h) + rows h; the page
// number at (W / 2 - 3c, H - 2h). prefix (a selection's description) is
// drawn at (2c, 0) when not empty.
PrintPage layoutEditorPage(int page, int pageWidth, int pageHeight, int linesPerPage,
                           const std::optional<std::vector<std::string>>& head, const EditorPrintFormat& shape,
                           const std::vector<std::string>& lines, int itemCount, const std::string& prefix = {});

}  // namespace zelvo

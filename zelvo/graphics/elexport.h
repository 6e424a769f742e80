// The element list on paper and in files: the text export (Save As, *.elr),
// the print file "result.el4" of the working directory and the pages drawn
// from it. Plain functions over an ElementList; the window only runs them.
//
// The export: head lines (the epoch, the object list, the filter), a boxed
// table head, then one line per listed object in display order.
//
// The print file: per object one line of 110 characters, or, with a derived
// column, two lines of 125 (the second holding only the derived value), each
// followed by CR LF. Every line of a file has the same length, so a page is
// found by its byte offset. A page shows a head of up to three lines, the
// table head and LinesPerPage print lines: 30 on A4, 45 on A3, 20 on other
// paper; with a derived column an even number, so that both lines of an
// object stay on one page.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "framework/binfile.h"
#include "zelvo/ephemeris/ephresult.h"
#include "zelvo/graphics/ellist.h"

namespace zelvo::elements {

// What the heads of the export and of the pages name.
struct ListHead {
    std::string epochText;
    bool useObjectList = false;
    std::string objectListFile;
    std::string queryText;  // the filter; "\n  " becomes one blank
    int derivedCode = 0;
    std::string derivedTitle;  // the derived column's name with its suffix
};
ListHead listHead(const ElementList& list, const std::string& epochText);

// The lines of the export (without their line ends).
std::vector<std::string> exportLines(const ElementList& list, const std::string& epochText);
// One object's line of the export.
std::string exportLine(std::int32_t number, const char* textRecord, int derivedCode, std::string_view derivedText,
                       bool calendarDateForm);
// Writes the export of the list to path with CR LF line ends (write_file: a
// failed write leaves the old file whole).
fw::WriteStatus writeExport(const std::string& path, const ElementList& list, const std::string& epochText);
// Writes lines with CR LF to path (write_file).
fw::WriteStatus writeTextLines(const std::string& path, const std::vector<std::string>& lines);

// The print lines of one object (one, or two with a derived column).
std::vector<std::string> printFileLines(std::int32_t number, const char* textRecord, bool derived,
                                        std::string_view derivedText);
// Writes the print file of the list (write_file).
fw::WriteStatus write_print_file(const std::string& path, const ElementList& list);

int printLinesPerPage(PaperKind paper, bool derived);
int printLineCount(const ElementList& list);

// The lines of page (from 1) of the print file, as many as the page holds;
// nothing when the file cannot be opened.
std::optional<std::vector<std::string>> readPrintPage(const std::string& path, int page, int linesPerPage,
                                                      int printLines);

// What page (from 1) shows on a printable area of pageWidth x pageHeight
// device pixels: the head, the table head, the print lines of the page (none
// when the print file was missing) and the page number. Lines are
// pageHeight / (linesPerPage + 10) high, + 11 with a derived column, whose
// taller table head would otherwise put the last line on the page number.
PrintPage layoutElementPage(int page, int pageWidth, int pageHeight, int linesPerPage, const ListHead& head,
                            const std::optional<std::vector<std::string>>& lines);

// The warning shown once per print job on paper other than A4.
inline constexpr char kPaperWarning[] =
    "The text to print may exceed page size.\n For correct printing use page size ''A4''.";

}  // namespace zelvo::elements

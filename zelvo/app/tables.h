// Tables shared by the line lists, line editors and task windows: the
// fixed-column record formats, the units rulers, the caption lines of the
// child frames and of the line editor, and the check-error messages; with the
// small helpers built on them.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "zelvo/app/context.h"

namespace fw {
class LineListView;
}

namespace zelvo {

// Messages of the library's check-error codes 0-10.
extern const std::array<std::string_view, 11> ControlErrorText;

// A fixed-column record format. lineLength counts the record with its two end
// bytes (CR LF in text files, two zero bytes in result records); column
// starts are 0-based, those beyond columnCount are 0. captionVariant selects
// the line editor's caption record 24 + variant (0 or -1 for lines that are
// never edited).
struct RecordFormat {
    std::int32_t key;
    std::int16_t columnCount;
    std::int16_t lineLength;
    std::int16_t captionVariant;
    std::array<std::int32_t, 11> columnStart;
};
extern const std::array<RecordFormat, 19> RecordFormatTable;

// The units ruler of each format (entries 0-18 by format row; 19 and 20 for
// the ephemeris windows). '' minutes of arc, "" seconds of arc, o degrees.
extern const std::array<std::string_view, 21> FormatRulerTable;

// Caption lines: records 0-19 of the task windows by TaskCode (17-19 of the
// O-C input by main plane), 20-23 empty, 24-28 of the line editor by caption
// variant (line 1 title, line 3 seconds mask, line 5 minutes mask).
using CaptionRecord = std::array<std::string_view, 10>;
extern const std::array<CaptionRecord, 29> ColumnCaptionTable;

// lineLength of the format of key; 0 after the message "Output error!No
// format" for a key not in the table.
int GetRecordLength(int key);
// Row of the format of key; -1 after "Error: No format found".
int FindRecordFormat(int key);
// Heads the list's single column with the format's ruler, the column 2000
// pixels wide; "Output error!No format" for a key not in the table.
void SetupFormatColumn(fw::LineListView& list, int key);
// Writes the first lineLength - 2 characters of row item of the list and
// CR LF to file (null: not open, "Output error!No file").
void WriteListLine(fw::LineListView& list, int item, int key, std::ostream* file);
// True for an empty text or one of blanks only (a tab is not a blank).
bool IsBlankText(std::string_view text);
std::string AppDirectory(const AppContext& ctx);
// The companion editor, which the build puts beside the program.
std::string editorProgramPath(const AppContext& ctx);
// The help book, relative to AppDirectory.
std::string HelpFileName(const AppContext& ctx);
// value printed with the decimals of the element named name.
std::string FormatElementValue(std::string_view name, double value);
// text in a message box with an OK button.
void ShowMessage(const std::string& text);

}  // namespace zelvo

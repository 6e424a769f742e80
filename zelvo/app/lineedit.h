// The line check and the line editor of the input lists.
//
// A task command or a list editor has the library's cntl test one line; a
// fault is reported with its line number, the geocentre code may be put in
// place of a missing observatory code, and otherwise the user corrects the
// line in the String Editor (or cancels) and it is tested again.
//
// Every list window edits its lines in its own record format, fixed when
// the window was opened (LineWindow::formatKey): an observation or plate
// line is 80 columns followed by CR LF, an observatory list line is a
// 79-byte record without a line end. The program-wide TaskCode, which later
// task commands change, plays no part.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvo/app/taskdialogs.h"

namespace fw {
class Document;
}

namespace zelvo {

// The window whose lines are checked or edited.
struct LineWindow {
    std::vector<std::string>* lines = nullptr;  // the document's lines (records of formatKey)
    fw::Document* document = nullptr;           // marked modified by a change
    int formatKey = 0;                          // the window's own record format
    std::vector<int> selected;                  // selected rows, ascending
    bool viewPresent = true;                    // the list window exists
};

// The record format of the editable lines of a window of the template
// docName: "OC" the main-plane digit C of observationTypeCode (the data type
// when the window opened), "Indent" key 10, "UltPla" key 100, "Observ1" key
// 200; 0 for a window without editable lines (the editor then says "Error:
// No such type." and takes key 1).
int windowFormatKey(const std::string& docName, int observationTypeCode);

// Characters of an edited line in format key: the record less its two end
// bytes, except the observatory list's records (key 200), which have none.
int editLength(int key);
// A line of format key from text: cut or blank-padded to editLength(key),
// then CR LF unless the format is the observatory list's records.
std::string formatLine(std::string_view text, int key);

// ControlErrorText[code] + " in line " + (lineIndex + 1): for code 3 asks
// "Geocenter?" (Yes: 0, the caller puts the geocentre in; No: 1), for the
// others an OK box and 1.
int ReportControlError(int code, int lineIndex);

// One edit of a line of a list, from the command that starts it to its
// end: the row under edit, whether the line is new (the editor then starts
// blank), the result of the row's last check (error, first column, last
// column, layout) and the line as it was before the editor opened.
struct LineEditSession {
    int row = 0;
    int newLine = 0;  // 0 an existing line, 1 inserted, 2 added
    std::array<int, 4> check{};
    std::string savedText;
};

// Edits one line in the String Editor: the session's row when a line is
// being added or a check has failed, else the first selected line (which
// becomes the session's row, its text the saved one). 1 when the user
// saved, 0 when cancelled or no line was selected.
int EditTableLine(LineEditSession& session, TaskDialogs& dialogs, LineWindow& window);

// Puts "500" in the observatory code (columns 78-80) of line row; "No
// Table" without lines, "No ActiveView" without a list window.
void SetGeocentricCode(int row, LineWindow& window);

// The check protocol for line i with cntl (task, system; the record length of
// key is passed): true when the line is accepted (at once, with the
// geocentre, or after editing), false when the user cancelled. The session
// holds the row and the last check's result afterwards.
bool CheckLine(LineEditSession& session, Library& lib, TaskDialogs& dialogs, LineWindow& window, int i, int task,
               int system, int key);

// The lines of a task's input, checked one after another. Besides Retry
// and Cancel, "Try to correct or cancel" offers "Skip all": the line and
// every later line with the same error are left out of the run without
// another question.
struct BatchCheck {
    std::vector<int> skippedErrors;  // the errors the user chose to skip
    int skipped = 0;                 // the lines left out
    // "Skipped lines: N" (empty while none was skipped).
    std::string summary() const;
};
enum class BatchLine { Accepted, Skipped, Cancelled };
BatchLine checkBatchLine(LineEditSession& session, Library& lib, TaskDialogs& dialogs, LineWindow& window, int i,
                         int task, int system, int key, BatchCheck& batch);

}  // namespace zelvo

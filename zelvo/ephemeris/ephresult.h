// The ephemeris result window: the document over the work file "result.ep4"
// that the ephemeris driver writes (82-byte records: 80 characters of text,
// then two zero bytes), its list view with the column ruler of the result's
// format, the caption bars of its frame (column captions above, the two
// description records of the header file "eph.hat" below), and the view's
// commands: Continue of a stopped run, the text export (*.epr), printing and
// print preview, and the task description.
//
// "eph.hat": 82-byte records, each a text of 80 characters followed by zero
// bytes; records 1-2 describe the run (frame and kind of positions, the
// motion model; the centre or the observer), records 3-7 are the column
// headings of the result.
//
// The plain functions below hold the rules (texts, page layout) and are
// tested without a display; CEphDoc and CEphView show them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/document.h"
#include "framework/linelist.h"
#include "framework/resources.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvo/app/listprint.h"

class QPrinter;
class QPainter;
namespace fw {
class Application;
}

namespace zelvo {

// Command ids of the ephemeris result window.
namespace cmd {
inline constexpr int kEphContinue = 40020;  // "Continue" of "Ephemerides"
inline constexpr int kEphTaskInfo = 40021;  // "Task Info" of "Ephemerides"
inline constexpr int kFilePrintDirect = 57608;
inline constexpr int kEphMenu = 147;  // menu of the ephemeris result window
}  // namespace cmd

// The records of "eph.hat": up to 7 texts (each up to its first zero byte, at
// most 80 characters); fewer when the file is shorter. Nothing when the file
// cannot be opened.
std::optional<std::vector<std::string>> readEphHeader(const std::string& path);

// The caption below the ephemeris list: record 1 without leading blanks, CR
// LF, record 2 without trailing blanks, and "  See Task Info for imposed
// restrictions" when there are restrictions (selectionText other than " ").
std::string ephemerisHeaderText(const std::vector<std::string>& header, const std::string& selectionText);

// The restriction text broken into lines of at most 80 characters: a line is
// cut at the last blank among its first 79 characters (offsets 1-78), the
// next line beginning with that blank; without such a blank after 78
// characters. Every line moves on by at least one character.
std::vector<std::string> selectionLines(std::string_view text);

// The text export of Save As: the title line, the header (record 1, record 2,
// the restriction lines, records 3-7; none when header is missing), then
// every line of the list (80 characters each), all lines ending CR LF.
std::string ephemerisExportText(const std::optional<std::vector<std::string>>& header, const std::string& selectionText,
                                const std::vector<std::string>& lines);

// Records of an ephemeris result file of recordLength-byte records, from
// record skip + 1 on; a partial record at the end is dropped. Each line is
// the record's text up to its first zero byte (at most recordLength - 2
// characters). Nothing when the file cannot be opened.
std::optional<std::vector<std::string>> readEphemerisRecords(const std::string& path, int recordLength,
                                                             std::size_t skip = 0);

// ---- Printing -----------------------------------------------------------------
// (Pagination, the paper check and the drawing are those of every list,
// listprint.h.)

// What page (1-based) shows: the header rows (when the header exists), the
// lines of the page (lineChars characters each) and the page number.
PrintPage layoutPrintPage(int page, int pageWidth, int pageHeight, int linesPerPage,
                          const std::optional<std::vector<std::string>>& header, const std::string& selectionText,
                          const std::vector<std::string>& lines, int lineChars);

// ---- Document and view ----------------------------------------------------------

// The ephemeris lines of "result.ep4" in the record format of the result,
// fixed when the document is made.
class CEphDoc final : public fw::LineDocument {
public:
    explicit CEphDoc(int formatKey) : formatKey_(formatKey) {}
    int formatKey() const { return formatKey_; }

protected:
    bool load(const std::string& path) override;
    // The result is exported by the view's commands, never written back.
    bool save(const std::string& path) const override;

private:
    int formatKey_;
};

// The run a result window continues: its counters and the library's task
// serial when the run last came back.
struct EphRunState {
    EphRunCounters counters;
    int serial = -1;
};

class CEphView final : public fw::LineListView, public fw::Printable {
public:
    // Takes the program-wide values of the task it shows: TaskCode (the
    // ruler), SelectionText, TaskInfoText.
    CEphView(AppContext& ctx, Library& lib);
    ~CEphView() override;

    void onInitialUpdate() override;
    bool canClose() const override { return !running_; }

    // The run that produced the window; without one Continue stays disabled.
    void attachRun(const EphRunState& run);
    const std::optional<EphRunState>& run() const { return run_; }
    // Whether Continue may run now; with report, the reason it may not is
    // shown.
    bool continueAllowed(bool report) const;

    void OnContinue();
    void OnFileSaveAs();
    void OnTaskInfo();
    void onFilePrint();
    void OnFilePrintPreview();
    // Prints every page on printer; the number of pages printed.
    int printTo(QPrinter& printer);

    // The print hooks: the pagination of the list, the header file read
    // once per job, each page laid out by layoutPrintPage.
    bool onPreparePrinting(fw::PrintInfo& info) override;
    void onBeginPrinting(fw::PrintInfo& info) override;
    void onPrint(QPainter& painter, const fw::PrintInfo& info) override;

    int formatKey() const;
    const std::string& selectionText() const { return selectionText_; }
    // Shows the task description (a modal dialog unless replaced).
    std::function<void(const std::string&)> showTaskInfo;

private:
    AppContext& ctx_;
    Library& lib_;
    int taskCode_;
    std::string selectionText_;
    std::string taskInfoText_;
    std::optional<EphRunState> run_;
    bool running_ = false;
    // The job being printed.
    int linesPerPage_ = 45;
    std::optional<std::vector<std::string>> printHeader_;
};

// The column ruler of an ephemeris result by TaskCode: FormatRulerTable
// entry 0, 1, 1, 2, 3, 3, 4, 5, 6, 19 for codes 0-9, 0 for any other.
int ephemerisRulerIndex(int taskCode);

// The menu of the result window (resource 147), added to the tables.
void addEphemerisResources(fw::ResourceTables& r);
// The document and view of the template "Eph".
std::unique_ptr<fw::Document> makeEphemerisDocument(AppContext& ctx);
std::unique_ptr<fw::View> makeEphemerisView(AppContext& ctx, Library& lib);

// Marks a run of a task driver: a stopped ephemeris whose run the library
// no longer holds cannot be continued.
void noteLibraryTaskRun(AppContext& ctx);

// After a new ephemeris run: HeaderText from "eph.hat" (or the message
// "Warning: header file not found"), EphemerisMode := 1, CalcInterrupted and
// EphRun from run, then "result.ep4" of the working directory opens in the
// template "Eph" with ctx.TaskCode, ctx.EphFormatKey, ctx.SelectionText and
// ctx.TaskInfoText as the set-up left them. The window keeps the run for its
// Continue. Null when the window could not be opened.
fw::Document* OpenEphemerisResult(fw::Application& app, AppContext& ctx, const EphRunCounters& run);

// The ephemeris set-up registers how it is shown again: when an ephemeris
// result window has closed and EphemerisMode is still set, handler runs from
// the event loop after the window is gone.
void setEphemerisReopenHandler(AppContext& ctx, std::function<void()> handler);

}  // namespace zelvo

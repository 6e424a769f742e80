// The O-C task's windows: the input window over an observation file (the
// line editor of the O-C lines with the data type, the calculation accuracy
// and the orbit of the task), and the result window over the residual
// records that the library writes ("result.oc4" after a run, "result.oc5"
// after a separation), with its text export, printing and the continuation
// of a stopped run.
//
// Each window keeps what decides its behaviour: the input window its data
// type (the record format, captions and check of its lines), a result
// window the run that made it (its counters, settings and whether it was
// stopped), its kind (run or selection), its format key and its level of the
// row-count stack. Commands given in another window never change them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "framework/document.h"
#include "framework/linelist.h"
#include "framework/printing.h"
#include "framework/resources.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvo/app/listprint.h"
#include "zelvo/app/taskdialogs.h"
#include "zelvo/observations/lineview.h"
#include "zelvo/observations/ocdialogs.h"
#include "zelvo/observations/resultview.h"

namespace zelvo {

// Command ids of the O-C windows.
namespace cmd {
inline constexpr int kOcAccuracy = 40035;      // "Calculation accuracy"
inline constexpr int kOcDataType = 40015;      // "Data &type"
inline constexpr int kOcOrbit = 40036;         // "&Orbit parameters"
inline constexpr int kOcContinue = 40006;      // "&Continue calculate"
inline constexpr int kOcPrintPreview = 40034;  // "Print preview" of the result window
inline constexpr int kOcInputMenu = 167;
inline constexpr int kOcResultMenu = 165;
}  // namespace cmd

// The description of the O-C input window: HeaderText cut before an
// "Accuracy" after its first character, the accuracy of the model (relSun
// mark when withRelSun), then the orbit: "  Orbit: from data base of the
// package " or the introduced orbit (a list file's name, trailing blanks
// off, longer than 20 characters as "..." and its last 20).
std::string ocStatusText(const std::string& headerText, int model, const OcAccuracySettings& accuracy, bool withRelSun,
                         bool orbitIntroduced, bool orbitAsElements, bool singleOrbit,
                         const std::string& orbitListFile);

// ---- Input window ---------------------------------------------------------------------

class COCView final : public LineEditorView {
public:
    // choices: the window's own, made by the template (the data type comes
    // from ctx.ObservationTypeCode, the header from ctx.HeaderText of the
    // task that opens the window).
    COCView(AppContext& ctx, Library& lib, TaskDialogs& dialogs, OcChoices choices);

    void onInitialUpdate() override;
    // The window's data type P C E and its main-plane digit.
    int typeCode() const { return typeCode_; }
    int mainPlane() const { return (typeCode_ / 10) % 10; }
    // The window's accuracy, orbit and task record, which its Calculate O-C
    // uses, and the text of its header bar.
    OcChoices& choices() { return choices_; }
    const std::string& headerText() const { return headerText_; }

    void onDataType();
    void onAccuracy();
    void onOrbitParameters();
    // Rebuilds the header text and shows it in the header bar (withRelSun
    // after the accuracy and orbit dialogs).
    void updateStatusText(bool withRelSun);

private:
    void showCaptions();
    void showHeader();
    int typeCode_;
    OcChoices choices_;
    std::string headerText_;
};

// ---- Result window --------------------------------------------------------------------

// The residual records of a file of recordLength-byte records, from record
// skip + 1 on (each up to its first zero byte); a partial record at the end
// is dropped. Nothing when the file cannot be opened.
std::optional<std::vector<std::string>> readOcRecords(const std::string& path, int recordLength, std::size_t skip = 0);

// After a continued run: the records of the result file past the held
// lines, appended to lines until they number |status| (the run's count).
void appendContinuedRecords(std::vector<std::string>& lines, const std::string& path, int recordLength, int status);

// The file a result or list is saved as, asked with the overwrite question;
// nothing on Cancel.
std::optional<std::string> askSavePath(const char* ext, const char* filter);

// Writes text into path through a file beside it; false (after the message)
// when it cannot be written.
bool saveTextFile(const std::string& path, const std::string& text);

// The File menu of the line windows: Save As, Print, Print Preview and
// Print Setup.
fw::MenuItem lineWindowFileMenu();

// "omc.hat": its 70-byte records (up to 6); nothing when it cannot be opened.
std::optional<std::vector<std::string>> readOcHeader(const std::string& path);

// The text export: "                       O-C RESULT", the head (record 1's
// first 69 characters, title, records 2-6's first 69; none without the
// header), then every line in full; CR LF after each.
std::string ocExportText(const std::optional<std::vector<std::string>>& header, const std::string& title,
                         const std::vector<std::string>& lines);

// A printed page: h = H / (P + 11), m = W / 85 when at least 28, else 0; the
// head at x = 4m, y = (j + 1) h (j = 1 the title, the others the records of
// "omc.hat" without leading blanks); the lines (68 characters) at y = l h +
// trunc(2.1 h) + 7 h (0 h without the head); the page number at (W/2 - 3m,
// H - 2h).
PrintPage layoutOcResultPage(int page, int pageWidth, int pageHeight, int linesPerPage,
                             const std::optional<std::vector<std::string>>& header, const std::string& title,
                             const std::vector<std::string>& lines, int lineChars);

// The records of an O-C result, read with key 4 (70 bytes); never written
// back.
class COCResDoc final : public RunResultDoc {
public:
    COCResDoc() : RunResultDoc(4) {}
};

// What an O-C run left for its result window.
struct OcRunState {
    RunCounters counters;
    OcRunSetup setup;
    int serial = -1;  // OcRunSerial of the run
};

class COCResView final : public RunResultView {
public:
    // Takes the program-wide values of the result being opened: TaskCode
    // (its format key), OcResultFromRun (a run's result or a selection),
    // and for a run the counters, settings and serial of the last O-C run.
    // selectionTitle: the second title line of a selection (a run's is
    // blank).
    COCResView(AppContext& ctx, Library& lib, std::string selectionTitle = {});
    ~COCResView() override;

    void onInitialUpdate() override;

    int formatKey() const { return key_; }
    bool fromRun() const { return fromRun_; }
    int rowCountLevel() const { return level_; }
    const OcRunState& run() const { return run_; }
    bool interrupted() const override { return fromRun_ && run_.counters.status < 0; }
    const std::string& title() const { return title_; }
    // Whether Continue may run; with report, the reason it may not is shown.
    bool continueAllowed(bool report) const;

    void OnContinue() override;
    void OnFileSaveAs() override;

    void onBeginPrinting(fw::PrintInfo& info) override;
    void onPrint(QPainter& painter, const fw::PrintInfo& info) override;
    PrintPage layoutPage(const fw::PrintInfo& info) const;

private:
    void storeRowCount();

    int key_;
    bool fromRun_;
    std::string title_;
    OcRunState run_;
    int level_;
};

// The menus of the O-C windows (resources 167 and 165).
void addOcResources(fw::ResourceTables& r);

}  // namespace zelvo

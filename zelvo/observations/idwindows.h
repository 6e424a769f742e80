// The identification's windows and the observatory list.
//
// CIndentView is the line editor of two windows: the identification input
// (observation lines that Identify compares with the catalogue) and the
// observatory list (79-byte records, edited one at a time and checked by the
// library's cnto against their row) or a selection of it. Which of them a
// window is, and whether its list may be edited, is fixed when the window is
// created and kept by the window.
//
// CIndentResultView shows the result lines of an identification run
// ("result.id4"), exports them (*.idr), prints them and continues a stopped
// run. The window keeps the run that made it: its counters, its tolerances
// and the serial of the run, so a later identification, another window's
// closing or a program-wide value never changes what it continues.
#pragma once

#include <array>
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
#include "zelvo/observations/resultview.h"

namespace zelvo {

namespace cmd {
inline constexpr int kIdContinue = 40012;      // "&Continuation" of the identification result
inline constexpr int kIdPrintPreview = 40034;  // print preview of the result window
inline constexpr int kIdInputMenu = 168;
inline constexpr int kIdResultMenu = 164;
inline constexpr int kObservatoryMenu = 129;
}  // namespace cmd

// ---- Identification and observatory lists ---------------------------------------------

enum class IndentMode {
    Identification,        // "Indent": identification lines
    ObservatoryList,       // "Observ1": the whole list file, editable
    ObservatorySelection,  // "Observ1": a selection, read-only
};

// The *.obs export of an observatory window: the selection's description
// when a selection is shown, an empty line, the head (the first 80
// characters of each record given), then every record up to its last CR or
// LF; CR LF after each line.
std::string observatoryExportText(const std::string& selectionText, bool selection,
                                  const std::optional<std::vector<std::string>>& head,
                                  const std::vector<std::string>& records);

class CIndentView final : public LineEditorView {
public:
    // mode: the identification input, or the window of template "Observ1"
    // (the whole list, or a selection when Observatories|Select opens it).
    CIndentView(AppContext& ctx, Library& lib, TaskDialogs& dialogs, IndentMode mode);
    ~CIndentView() override;

    void onInitialUpdate() override;

    IndentMode mode() const { return mode_; }
    bool observatoryMode() const { return mode_ != IndentMode::Identification; }
    // Whether this window's lines may be edited.
    bool editable() const { return mode_ != IndentMode::ObservatorySelection; }
    int rowCountLevel() const { return level_; }

    void OnFileSaveAs();

protected:
    std::string printPrefix() const override;

private:
    IndentMode mode_;
    int level_ = -1;
    std::string selectionText_;
};

// ---- Identification result ------------------------------------------------------------

// The result records of an identification (82 bytes each, up to a first
// zero byte), read with key 10; never written back.
class CIndentResultDoc final : public RunResultDoc {
public:
    CIndentResultDoc() : RunResultDoc(10) {}
};

// The *.idr export: "              IDENTIFICATION LIST", the head (the first
// 80 characters of each record of "ide.hat"; none without it), then every
// line in full; CR LF after each.
std::string idExportText(const std::optional<std::vector<std::string>>& head, const std::vector<std::string>& lines);

// A printed page of the result: the head records at y = (r + 1) h, the
// lines (80 characters) at y = k h + trunc(1.1 h) + r h where r is the
// number of head lines drawn, h = H / (P + 11), text at x = 2m.
PrintPage layoutIdResultPage(int page, int pageWidth, int pageHeight, int linesPerPage,
                             const std::optional<std::vector<std::string>>& head,
                             const std::vector<std::string>& lines);

// What an identification run left for its result window.
struct IdRunState {
    RunCounters counters;
    double tolRA = 0, tolDecl = 0;
    int serial = -1;
};

class CIndentResultView final : public RunResultView {
public:
    // Takes the last identification run (IdRun, IdRunSerial) and the
    // tolerances it was made with (Decl., R.A., arcsec).
    CIndentResultView(AppContext& ctx, Library& lib, std::array<double, 2> tolerance);
    ~CIndentResultView() override;

    void onInitialUpdate() override;

    const IdRunState& run() const { return run_; }
    bool interrupted() const override { return run_.counters.status < 0; }
    bool continueAllowed(bool report) const;
    int rowCount() const { return rowCount_; }

    void OnContinue() override;
    void OnFileSaveAs() override;

    void onBeginPrinting(fw::PrintInfo& info) override;
    void onPrint(QPainter& painter, const fw::PrintInfo& info) override;
    PrintPage layoutPage(const fw::PrintInfo& info) const;

private:
    IdRunState run_;
    int rowCount_ = 0;
};

// The plate object list (template "PlaLT"): the lines of the last plate
// search, with the help page of its own.
class CPlateObjectListView final : public fw::LineListView {
public:
    explicit CPlateObjectListView(AppContext& ctx);
};

// The menus of the identification and observatory windows (168, 164, 129).
void addIdResources(fw::ResourceTables& r);

}  // namespace zelvo
